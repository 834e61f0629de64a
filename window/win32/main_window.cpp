#include "window/win32/main_window.h"

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "capture/utf16_win32.h"
#include "window/dialog.h"
#include "window/win32/owner_button.h"
#include "window/win32/window_dpi.h"

namespace {

constexpr wchar_t kMainClass[] = L"GrabletMain";
// Clear of IDOK and IDCANCEL, which the dialog manager sends for Enter and
// Esc: neither presses a button here.
constexpr int kFirstControlId = 100;
constexpr int kIconId = 1;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

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
  int dpi = 96;                  // the one everything is laid out at now
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

// Click of Command1: one capture from what the controls hold now, then its
// report. The controls are left exactly as they are.
void OnClick() {
  MainState state;
  state.option1Index0Selected =
      SendMessageW(ControlNamed("Option1", 0), BM_GETCHECK, 0, 0) == BST_CHECKED;
  state.text1 = Utf8Of(TextOf(ControlNamed("Text1")));
  const CaptureReport report = Click(state);
  const UINT icon = report.icon == ReportIcon::Information ? MB_ICONINFORMATION : 0;
  // The system scales the message box for the monitor it is on.
  MessageBoxW(g_main.hwnd, Utf16Of(report.prompt).c_str(), Utf16Of(report.title).c_str(),
              MB_OK | icon);
}

HFONT CreateModelFont(const DialogSpec& dialog, int dpi) {
  // Negative: the character height in pixels, as point sizes are meant.
  return CreateFontW(-FontPixels(dialog, dpi), 0, 0, 0, dialog.fontWeight, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, Utf16Of(dialog.fontName).c_str());
}

SIZE FrameSizeAt(int dpi) {
  const DialogSpec& dialog = MainDialog();
  return FrameSizeForClient(TwipsToPixels(dialog.clientWidth, dpi),
                            TwipsToPixels(dialog.clientHeight, dpi), kStyle, kExStyle, dpi);
}

// Every control's place and the font, from the model at `dpi`. The old font
// goes only once no control holds it any more.
void LayOut(int dpi) {
  const DialogSpec& dialog = MainDialog();
  const HFONT font = CreateModelFont(dialog, dpi);
  if (!font) return;
  const HFONT old = g_main.font;
  g_main.font = font;
  g_main.dpi = dpi;
  SendMessageW(g_main.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
    const PixelRect rect = ToPixels(dialog.controls[i], dpi);
    SetWindowPos(g_main.controls[i], nullptr, rect.left, rect.top, rect.width, rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(g_main.controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (old) DeleteObject(old);
}

bool CreateControls(HINSTANCE instance) {
  const auto& controls = MainDialog().controls;
  g_main.controls.assign(controls.size(), nullptr);
  g_main.brushes.assign(controls.size(), nullptr);
  // Created in tab order, which is the order the model lists them in; placed
  // and given their font by LayOut.
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
        style |= ES_AUTOHSCROLL | WS_TABSTOP |
                 (layout.align == TextAlign::Centre ? ES_CENTER : ES_LEFT);
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::PushButton:
        className = L"BUTTON";
        style |= BS_OWNERDRAW | WS_TABSTOP;
        break;
    }
    const HWND control = CreateWindowExW(
        exStyle, className, Utf16Of(layout.text).c_str(), style, 0, 0, 0, 0, g_main.hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(i))),
        instance, nullptr);
    if (!control) return false;
    g_main.controls[i] = control;
    if (layout.background) g_main.brushes[i] = CreateSolidBrush(ColourRef(*layout.background));
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
      std::size_t position = 0;
      if (item->CtlType == ODT_BUTTON && SpecOf(item->hwndItem, &position)) {
        DrawOwnerButton(*item, g_main.brushes[position], g_main.font, g_main.dpi);
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
    case WM_GETDPISCALEDSIZE: {
      // Per-monitor v2: the exact size for the model's client area at the
      // new DPI, where the system would scale the whole frame and round.
      *reinterpret_cast<SIZE*>(lParam) = FrameSizeAt(static_cast<int>(wParam));
      return TRUE;
    }
    case WM_DPICHANGED: {
      // Moved to a monitor of another scale: lay out afresh rather than
      // let the system stretch a bitmap, and take the place it suggests.
      LayOut(HIWORD(wParam));
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
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
    case WM_NCDESTROY:
      for (HBRUSH brush : g_main.brushes)
        if (brush) DeleteObject(brush);
      if (g_main.font) DeleteObject(g_main.font);
      g_main = MainWindow{};
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HICON LoadIconSized(HINSTANCE instance, int size) {
  return static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXW mainClass{};
  mainClass.cbSize = sizeof mainClass;
  mainClass.lpfnWndProc = MainProc;
  mainClass.hInstance = instance;
  mainClass.hIcon = LoadIconSized(instance, GetSystemMetrics(SM_CXICON));
  mainClass.hIconSm = LoadIconSized(instance, GetSystemMetrics(SM_CXSMICON));
  mainClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  mainClass.lpszClassName = kMainClass;
  return RegisterClassExW(&mainClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance, HWND owner) {
  if (g_main.hwnd) return nullptr;  // there is only the one
  const DialogSpec& dialog = MainDialog();
  // Made at the primary screen's corner, where it will be centred, so the
  // DPI it reports is that of the monitor it is shown on.
  g_main.hwnd = CreateWindowExW(kExStyle, kMainClass, Utf16Of(dialog.title).c_str(), kStyle, 0, 0,
                                0, 0, owner, nullptr, instance, nullptr);
  if (!g_main.hwnd) return nullptr;
  const HWND hwnd = g_main.hwnd;
  if (!CreateControls(instance)) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  const int dpi = WindowDpi(hwnd);
  LayOut(dpi);
  if (!g_main.font) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  const SIZE frame = FrameSizeAt(dpi);
  SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - frame.cx) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - frame.cy) / 2, frame.cx, frame.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  WNDCLASSEXW registered{};
  registered.cbSize = sizeof registered;
  if (GetClassInfoExW(instance, kMainClass, &registered)) {
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(registered.hIconSm));
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(registered.hIcon));
  }
  return hwnd;
}

void ShowMainWindow(HWND window, int show) {
  g_main.lastFocus = FirstFocus();
  ShowWindow(window, show);
  UpdateWindow(window);
  if (g_main.lastFocus) SetFocus(g_main.lastFocus);
}

int MainWindowDpi() { return g_main.dpi; }
