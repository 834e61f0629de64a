// The Grablet on Windows: the main window of the dialog model, drawn with
// the system's own controls, and its one handler, Click of Command1.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "capture/utf16_win32.h"
#include "window/dialog.h"

namespace {

constexpr wchar_t kMainClass[] = L"GrabletMain";
constexpr wchar_t kOwnerClass[] = L"GrabletOwner";
// Clear of IDOK and IDCANCEL, which the dialog manager sends for Enter and
// Esc: neither presses a button here.
constexpr int kFirstControlId = 100;
constexpr int kIconId = 1;

std::wstring TextOf(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
  return text;
}

COLORREF ColourRef(const Colour& colour) { return RGB(colour.red, colour.green, colour.blue); }

// The one window of the one thread.
struct MainWindow {
  HWND hwnd = nullptr;
  std::vector<HWND> controls;    // as the model lists them
  std::vector<HBRUSH> brushes;   // each control's own background, if it has one
  HFONT font = nullptr;
  HWND lastFocus = nullptr;      // given back when the window is active again
};
MainWindow g_main;

const ControlSpec* SpecOf(HWND control, std::size_t* position = nullptr) {
  const int id = GetDlgCtrlID(control) - kFirstControlId;
  const auto& controls = MainDialog().controls;
  if (id < 0 || static_cast<std::size_t>(id) >= controls.size() ||
      g_main.controls[static_cast<std::size_t>(id)] != control)
    return nullptr;
  if (position) *position = static_cast<std::size_t>(id);
  return &controls[static_cast<std::size_t>(id)];
}

HWND ControlNamed(const char* name, int index = -1) {
  const auto& controls = MainDialog().controls;
  for (std::size_t i = 0; i < controls.size(); ++i)
    if (std::strcmp(controls[i].name, name) == 0 && controls[i].index == index)
      return g_main.controls[i];
  return nullptr;
}

// Colours from the model; anything it leaves open keeps the system's look.
HBRUSH ControlColours(HDC dc, HWND control) {
  std::size_t position = 0;
  const ControlSpec* layout = SpecOf(control, &position);
  if (!layout) return nullptr;
  if (layout->foreground) SetTextColor(dc, ColourRef(*layout->foreground));
  if (layout->background) {
    SetBkColor(dc, ColourRef(*layout->background));
    return g_main.brushes[position];
  }
  if (layout->transparent) {
    // The window's face is one plain colour, so painting it is the same as
    // letting it show through, and repaints never leave stale pixels.
    SetBkMode(dc, TRANSPARENT);
    return GetSysColorBrush(COLOR_BTNFACE);
  }
  return nullptr;
}

// Command1 draws itself: a push button cannot have a face colour of its own.
void DrawButton(const DRAWITEMSTRUCT& item) {
  std::size_t position = 0;
  const ControlSpec* layout = SpecOf(item.hwndItem, &position);
  if (!layout) return;
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  const bool pressed = item.itemState & ODS_SELECTED;
  const bool focused = item.itemState & ODS_FOCUS;
  const bool disabled = item.itemState & ODS_DISABLED;

  FillRect(dc, &rect, g_main.brushes[position] ? g_main.brushes[position]
                                                : GetSysColorBrush(COLOR_BTNFACE));
  if (focused || pressed) {
    FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&rect, -1, -1);
  }
  if (pressed)
    FrameRect(dc, &rect, GetSysColorBrush(COLOR_BTNSHADOW));
  else
    DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);

  RECT textRect = rect;
  if (pressed) OffsetRect(&textRect, 1, 1);
  const std::wstring text = TextOf(item.hwndItem);
  const HGDIOBJ oldFont = SelectObject(dc, g_main.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);

  if (focused && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = rect;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
}

// Click of Command1: one capture from what the controls hold now, then its
// report. The controls are left exactly as they are.
void OnClick() {
  MainState state;
  state.option1Index0Selected =
      SendMessageW(ControlNamed("Option1", 0), BM_GETCHECK, 0, 0) == BST_CHECKED;
  state.text1 = Utf8Of(TextOf(ControlNamed("Text1")));
  const CaptureReport report = Click(state);
  const UINT icon = report.icon == ReportIcon::Information ? MB_ICONINFORMATION : 0;
  MessageBoxW(g_main.hwnd, Utf16Of(report.prompt).c_str(), Utf16Of(report.title).c_str(), MB_OK | icon);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (HBRUSH brush = ControlColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
        return reinterpret_cast<LRESULT>(brush);
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlType == ODT_BUTTON) {
        DrawButton(*item);
        return TRUE;
      }
      break;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED &&
          reinterpret_cast<HWND>(lParam) == ControlNamed("Command1") && lParam != 0) {
        OnClick();
        return 0;
      }
      break;
    case WM_ACTIVATE:
      // Not a dialog, so keep the focus across switching away and back ourselves.
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) g_main.lastFocus = focus;
      } else if (g_main.lastFocus) {
        SetFocus(g_main.lastFocus);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

HFONT CreateModelFont(const DialogSpec& dialog, int dpi) {
  // Negative: the character height in pixels, as point sizes are meant.
  const int height = -static_cast<int>(std::lround(dialog.fontPoints * dpi / 72.0));
  return CreateFontW(height, 0, 0, 0, dialog.fontWeight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, Utf16Of(dialog.fontName).c_str());
}

HICON LoadIconSized(HINSTANCE instance, int size) {
  return static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

bool CreateControls(HINSTANCE instance, int dpi) {
  const auto& controls = MainDialog().controls;
  g_main.controls.assign(controls.size(), nullptr);
  g_main.brushes.assign(controls.size(), nullptr);
  // Created in tab order, which is the order the model lists them in.
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ControlSpec& layout = controls[i];
    const ControlSpec* previous = i > 0 ? &controls[i - 1] : nullptr;
    // A run of radio buttons of one name is one group; everything else stands alone.
    const bool continuesGroup = layout.kind == ControlKind::RadioButton && previous &&
                                previous->kind == ControlKind::RadioButton &&
                                std::strcmp(previous->name, layout.name) == 0;
    DWORD style = WS_CHILD | WS_VISIBLE | (continuesGroup ? 0 : WS_GROUP);
    DWORD exStyle = 0;
    const wchar_t* className = L"STATIC";
    switch (layout.kind) {
      case ControlKind::Label:
        style |= layout.align == TextAlign::Centre ? SS_CENTER : SS_LEFT;
        break;
      case ControlKind::RadioButton:
        className = L"BUTTON";
        // Tab reaches a group at its selected button; checking a button
        // moves the tab stop along with it.
        style |= BS_AUTORADIOBUTTON | (layout.selected ? WS_TABSTOP : 0);
        break;
      case ControlKind::TextField:
        className = L"EDIT";
        style |= ES_AUTOHSCROLL | WS_TABSTOP | (layout.align == TextAlign::Centre ? ES_CENTER : ES_LEFT);
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::PushButton:
        className = L"BUTTON";
        style |= BS_OWNERDRAW | WS_TABSTOP;
        break;
    }
    const PixelRect rect = ToPixels(layout, dpi);
    const HWND control = CreateWindowExW(
        exStyle, className, Utf16Of(layout.text).c_str(), style, rect.left, rect.top, rect.width,
        rect.height, g_main.hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(i))),
        instance, nullptr);
    if (!control) return false;
    g_main.controls[i] = control;
    if (layout.background) g_main.brushes[i] = CreateSolidBrush(ColourRef(*layout.background));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_main.font), FALSE);
    if (layout.kind == ControlKind::RadioButton && layout.selected)
      SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
  }
  return true;
}

// Focus at start: the first control in tab order that takes it; in a
// group of radio buttons, the selected one.
HWND FirstFocus() {
  const auto& controls = MainDialog().controls;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ControlSpec& layout = controls[i];
    if (layout.kind == ControlKind::Label) continue;
    if (layout.kind == ControlKind::RadioButton && !layout.selected) continue;
    return g_main.controls[i];
  }
  return nullptr;
}

}  // namespace

// An exception that escaped would end the program either way; the library's
// own handler would print to a console a GUI program does not have, and it
// brings a demangler and printf with it, a quarter of the program's size.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&commonControls);

  const DialogSpec& dialog = MainDialog();
  const int dpi = ScreenDpi();

  WNDCLASSEXW ownerClass{};
  ownerClass.cbSize = sizeof ownerClass;
  ownerClass.lpfnWndProc = DefWindowProcW;
  ownerClass.hInstance = instance;
  ownerClass.lpszClassName = kOwnerClass;
  WNDCLASSEXW mainClass{};
  mainClass.cbSize = sizeof mainClass;
  mainClass.lpfnWndProc = MainProc;
  mainClass.hInstance = instance;
  mainClass.hIcon = LoadIconSized(instance, GetSystemMetrics(SM_CXICON));
  mainClass.hIconSm = LoadIconSized(instance, GetSystemMetrics(SM_CXSMICON));
  mainClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  mainClass.lpszClassName = kMainClass;
  if (!RegisterClassExW(&ownerClass) || !RegisterClassExW(&mainClass)) return 1;

  // Owned by a window that is never shown: so the taskbar leaves it out,
  // while the caption stays a normal one.
  const HWND owner = CreateWindowExW(0, kOwnerClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                     nullptr, instance, nullptr);
  if (!owner) return 1;

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, TwipsToPixels(dialog.clientWidth, dpi), TwipsToPixels(dialog.clientHeight, dpi)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

  g_main.font = CreateModelFont(dialog, dpi);
  g_main.hwnd = CreateWindowExW(exStyle, kMainClass, Utf16Of(dialog.title).c_str(), style, left, top,
                                width, height, owner, nullptr, instance, nullptr);
  if (!g_main.hwnd || !CreateControls(instance, dpi)) return 1;
  SendMessageW(g_main.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(g_main.font), FALSE);
  SendMessageW(g_main.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(mainClass.hIconSm));
  SendMessageW(g_main.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(mainClass.hIcon));

  g_main.lastFocus = FirstFocus();
  ShowWindow(g_main.hwnd, show);
  UpdateWindow(g_main.hwnd);
  if (g_main.lastFocus) SetFocus(g_main.lastFocus);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(g_main.hwnd, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  DestroyWindow(owner);
  for (HBRUSH brush : g_main.brushes)
    if (brush) DeleteObject(brush);
  if (g_main.font) DeleteObject(g_main.font);
  return static_cast<int>(message.wParam);
}
