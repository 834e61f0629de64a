// Drives grablet.exe from outside, as a player would: starts it, checks its
// window against the dialog model, picks a game, types a name, presses
// "Steal It!", reads the message box, presses OK and closes the window.
// Prints one line per failed check and exits non-zero when any failed.
//
//   grablet_ui_driver --exe PATH --dpi N [--game armageddon|worldparty]
//       [--name TEXT] [--clicks N] --caption TEXT --prompt TEXT --icon yes|no
//       [--pause-dir DIR]
//
// With --pause-dir it leaves window.ready and messagebox.ready there while
// the window or the first message box is up, and waits for them to be
// deleted, so that a script can take screenshots.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "capture/utf16_win32.h"
#include "window/dialog.h"

namespace {

int g_checks = 0;
int g_failures = 0;

void Check(bool ok, const std::string& what) {
  ++g_checks;
  if (!ok) {
    ++g_failures;
    std::printf("FAIL: %s\n", what.c_str());
    std::fflush(stdout);
  }
}

template <typename T>
void CheckEqual(const T& actual, const T& expected, const std::string& what) {
  Check(actual == expected, what);
}

void CheckText(const std::wstring& actual, const std::wstring& expected, const std::string& what) {
  Check(actual == expected, what + ": got \"" + Utf8Of(actual) + "\", expected \"" + Utf8Of(expected) + "\"");
}

// Polls until `done` holds; the script's own timeout bounds the whole run.
template <typename Done>
bool WaitFor(Done done, int tries = 600) {
  for (int i = 0; i < tries; ++i) {
    if (done()) return true;
    Sleep(50);
  }
  return false;
}

// WM_GETTEXT is marshalled across processes; GetWindowText is not, for controls.
std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
    return L"<no answer>";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

bool SameClass(HWND window, const wchar_t* expected) {
  return _wcsicmp(ClassOf(window).c_str(), expected) == 0;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

std::string Describe(const ControlSpec& layout) {
  return std::string(layout.name) + (layout.index >= 0 ? "(" + std::to_string(layout.index) + ")" : "");
}

struct Options {
  std::wstring exe;
  int dpi = 96;
  std::wstring game;
  bool setName = false;
  std::wstring name;
  int clicks = 1;
  std::wstring caption, prompt;
  bool icon = false;
  std::wstring pauseDir;
};

bool ParseOptions(int argc, wchar_t** argv, Options* options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring key = argv[i], value = argv[i + 1];
    if (key == L"--exe") options->exe = value;
    else if (key == L"--dpi") options->dpi = _wtoi(value.c_str());
    else if (key == L"--game") options->game = value;
    else if (key == L"--name") options->setName = true, options->name = value;
    else if (key == L"--clicks") options->clicks = _wtoi(value.c_str());
    else if (key == L"--caption") options->caption = value;
    else if (key == L"--prompt") options->prompt = value;
    else if (key == L"--icon") options->icon = value == L"yes";
    else if (key == L"--pause-dir") options->pauseDir = value;
    else return false;
  }
  return argc % 2 == 1 && !options->exe.empty();
}

// Leaves a marker for the script, naming the part of the screen that shows
// `windows` with a margin, and waits until the script has taken it away.
void Pause(const Options& options, const wchar_t* marker, std::initializer_list<HWND> windows) {
  if (options.pauseDir.empty()) return;
  RECT area{};
  for (HWND window : windows) {
    RECT rect;
    GetWindowRect(window, &rect);
    UnionRect(&area, &area, &rect);
  }
  InflateRect(&area, 12, 12);
  const std::string geometry = std::to_string(area.right - area.left) + "x" +
                               std::to_string(area.bottom - area.top) + "+" +
                               std::to_string(std::max(0L, area.left)) + "+" +
                               std::to_string(std::max(0L, area.top));
  const std::wstring path = options.pauseDir + L"\\" + marker;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, geometry.data(), static_cast<DWORD>(geometry.size()), &written, nullptr);
    CloseHandle(file);
  }
  Check(WaitFor([&] { return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; }, 1200),
        "the script took the screenshot");
}

struct Search {
  DWORD processId;
  std::wstring title;
  HWND owner;
  HWND found;
};

BOOL CALLBACK MatchMainWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  if (process == search->processId && IsWindowVisible(window) && search->title == text) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindMainWindow(DWORD processId, const std::wstring& title) {
  Search search{processId, title, nullptr, nullptr};
  EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK MatchMessageBox(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  if (IsWindowVisible(window) && SameClass(window, L"#32770") &&
      GetWindow(window, GW_OWNER) == search->owner) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindMessageBox(DWORD threadId, HWND owner) {
  Search search{0, std::wstring(), owner, nullptr};
  EnumThreadWindows(threadId, MatchMessageBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The colour on screen at a point of the main window's client area.
COLORREF PixelAt(HWND window, int x, int y) {
  POINT point{x, y};
  ClientToScreen(window, &point);
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

std::string ColourText(COLORREF colour) {
  return std::to_string(GetRValue(colour)) + "," + std::to_string(GetGValue(colour)) + "," +
         std::to_string(GetBValue(colour));
}

void CheckWindow(HWND window, DWORD threadId, int dpi) {
  const DialogSpec& dialog = MainDialog();
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  Check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU), "caption with a close box");
  Check(!(style & WS_MAXIMIZEBOX), "no maximise box");
  Check(!(style & WS_MINIMIZEBOX), "no minimise box");
  Check(!(style & WS_THICKFRAME), "not resizable");
  Check(!(exStyle & WS_EX_TOOLWINDOW), "not a tool window");
  Check(!(exStyle & WS_EX_APPWINDOW), "no taskbar button forced");
  const HWND owner = GetWindow(window, GW_OWNER);
  Check(owner && !IsWindowVisible(owner), "owned by a hidden window, so not in the taskbar");
  // The icons are seen on the screenshots: Wine cannot pass WM_GETICON
  // between processes.

  RECT client;
  GetClientRect(window, &client);
  CheckEqual<int>(client.right, TwipsToPixels(dialog.clientWidth, dpi),
                  "client width " + std::to_string(client.right));
  CheckEqual<int>(client.bottom, TwipsToPixels(dialog.clientHeight, dpi),
                  "client height " + std::to_string(client.bottom));
  RECT frame;
  GetWindowRect(window, &frame);
  const int dx = (frame.left + frame.right) - GetSystemMetrics(SM_CXSCREEN);
  const int dy = (frame.top + frame.bottom) - GetSystemMetrics(SM_CYSCREEN);
  Check(dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2,
        "centred on the screen (off by " + std::to_string(dx) + "," + std::to_string(dy) + " half pixels)");

  const std::vector<HWND> children = Children(window);
  CheckEqual(children.size(), dialog.controls.size(), "number of controls");
  HWND selected = nullptr;
  for (std::size_t i = 0; i < children.size() && i < dialog.controls.size(); ++i) {
    const ControlSpec& layout = dialog.controls[i];
    const HWND control = children[i];
    const std::string name = Describe(layout);
    const LONG controlStyle = GetWindowLongW(control, GWL_STYLE);
    const wchar_t* className = layout.kind == ControlKind::Label      ? L"Static"
                               : layout.kind == ControlKind::TextField ? L"Edit"
                                                                     : L"Button";
    Check(SameClass(control, className), name + " is a " + Utf8Of(className) + ", got " + Utf8Of(ClassOf(control)));
    CheckText(TextOf(control), Utf16Of(layout.text), name + " text");

    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    const PixelRect expected = ToPixels(layout, dpi);
    const PixelRect actual{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    Check(actual == expected, name + " at " + std::to_string(actual.left) + "," +
                                  std::to_string(actual.top) + " " + std::to_string(actual.width) +
                                  "x" + std::to_string(actual.height) + ", expected " +
                                  std::to_string(expected.left) + "," + std::to_string(expected.top) +
                                  " " + std::to_string(expected.width) + "x" +
                                  std::to_string(expected.height));

    switch (layout.kind) {
      case ControlKind::Label: {
        const LONG align = controlStyle & SS_TYPEMASK;
        Check(align == (layout.align == TextAlign::Centre ? SS_CENTER : SS_LEFT), name + " alignment");
        Check(!(controlStyle & WS_TABSTOP), name + " takes no focus");
        break;
      }
      case ControlKind::RadioButton: {
        Check((controlStyle & BS_TYPEMASK) == BS_AUTORADIOBUTTON, name + " is a radio button");
        const bool checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        CheckEqual(checked, layout.selected, name + " selected at start");
        if (layout.selected) selected = control;
        Check(((controlStyle & WS_TABSTOP) != 0) == layout.selected, name + " tab stop when selected");
        Check(((controlStyle & WS_GROUP) != 0) == (layout.index == 0), name + " group start");
        break;
      }
      case ControlKind::TextField:
        Check((controlStyle & WS_TABSTOP) && (controlStyle & WS_GROUP), name + " tab stop, own group");
        Check(!(controlStyle & ES_MULTILINE), name + " single line");
        break;
      case ControlKind::PushButton: {
        const LONG type = controlStyle & BS_TYPEMASK;
        Check(type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW,
              name + " is a push button");
        Check((controlStyle & WS_TABSTOP) != 0, name + " tab stop");
        break;
      }
    }
  }

  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  Check(GetGUIThreadInfo(threadId, &gui) && gui.hwndFocus == selected && selected,
        "first focus on the selected radio button");

  // Colours, read off the screen at spots that no text covers.
  for (std::size_t i = 0; i < children.size() && i < dialog.controls.size(); ++i) {
    const ControlSpec& layout = dialog.controls[i];
    const PixelRect rect = ToPixels(layout, dpi);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    COLORREF expected = CLR_INVALID;
    // Inside the client area: Label2 reaches past its right edge.
    const int right = std::min(rect.left + rect.width, TwipsToPixels(dialog.clientWidth, dpi));
    int x = right - 4, y = rect.top + rect.height / 2;
    if (layout.kind == ControlKind::TextField && layout.background) {
      expected = RGB(layout.background->red, layout.background->green, layout.background->blue);
    } else if (layout.kind == ControlKind::PushButton && layout.background) {
      expected = RGB(layout.background->red, layout.background->green, layout.background->blue);
      x = rect.left + 4;
    } else if (layout.kind == ControlKind::Label && layout.transparent) {
      expected = face;
      y = rect.top + 1;
    }
    if (expected == CLR_INVALID) continue;
    const COLORREF actual = PixelAt(window, x, y);
    Check(actual == expected, Describe(layout) + " colour " + ColourText(actual) + ", expected " +
                                  ColourText(expected));
  }
}

struct MessageBoxSeen {
  std::wstring caption, text;
  bool icon = false;
  HWND ok = nullptr;
};

MessageBoxSeen ReadMessageBox(HWND box) {
  MessageBoxSeen seen;
  seen.caption = TextOf(box);
  for (HWND child : Children(box)) {
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (SameClass(child, L"Static")) {
      if ((style & SS_TYPEMASK) == SS_ICON) {
        if (IsWindowVisible(child) && SendMessageW(child, STM_GETICON, 0, 0)) seen.icon = true;
      } else if (seen.text.empty()) {
        seen.text = TextOf(child);
      }
    } else if (SameClass(child, L"Button") && GetDlgCtrlID(child) == IDOK) {
      seen.ok = child;
    }
  }
  return seen;
}

HWND ControlOf(HWND window, const char* name, int index = -1) {
  const auto& controls = MainDialog().controls;
  const std::vector<HWND> children = Children(window);
  for (std::size_t i = 0; i < controls.size() && i < children.size(); ++i)
    if (std::strcmp(controls[i].name, name) == 0 && controls[i].index == index) return children[i];
  return nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Our own coordinates must be real pixels to compare them with the window's.
  SetProcessDPIAware();
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::printf("usage: grablet_ui_driver --exe PATH --dpi N [options]\n");
    return 2;
  }

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + options.exe + L"\"";
  if (!CreateProcessW(options.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    std::printf("FAIL: cannot start %s (error %lu)\n", Utf8Of(options.exe).c_str(), GetLastError());
    return 1;
  }
  WaitForInputIdle(process.hProcess, 30000);

  const std::wstring title = Utf16Of(MainDialog().title);
  HWND window = nullptr;
  Check(WaitFor([&] { return (window = FindMainWindow(process.dwProcessId, title)) != nullptr; }),
        "window \"" + Utf8Of(title) + "\" shown");
  if (!window) {
    TerminateProcess(process.hProcess, 1);
    return 1;
  }
  const DWORD threadId = GetWindowThreadProcessId(window, nullptr);
  // Let the first paint and the focus settle before looking.
  WaitFor([&] {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    return GetGUIThreadInfo(threadId, &gui) && gui.hwndFocus != nullptr;
  }, 100);
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  CheckWindow(window, threadId, options.dpi);
  Pause(options, L"window.ready", {window});

  const HWND armageddon = ControlOf(window, "Option1", 0);
  const HWND worldParty = ControlOf(window, "Option1", 1);
  const HWND text1 = ControlOf(window, "Text1");
  const HWND command1 = ControlOf(window, "Command1");
  if (options.game == L"worldparty") SendMessageW(worldParty, BM_CLICK, 0, 0);
  if (options.game == L"armageddon") SendMessageW(armageddon, BM_CLICK, 0, 0);
  if (options.setName)
    SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(options.name.c_str()));
  const bool wantArmageddon = options.game != L"worldparty";
  const std::wstring wantName = options.setName ? options.name : Utf16Of(FindControl("Text1")->text);
  Check((SendMessageW(armageddon, BM_GETCHECK, 0, 0) == BST_CHECKED) == wantArmageddon &&
            (SendMessageW(worldParty, BM_GETCHECK, 0, 0) == BST_CHECKED) != wantArmageddon,
        "game chosen");
  const HWND chosen = wantArmageddon ? armageddon : worldParty;
  const HWND other = wantArmageddon ? worldParty : armageddon;
  Check((GetWindowLongW(chosen, GWL_STYLE) & WS_TABSTOP) && !(GetWindowLongW(other, GWL_STYLE) & WS_TABSTOP),
        "the tab stop is on the chosen game");

  for (int click = 1; click <= options.clicks; ++click) {
    const std::string round = "press " + std::to_string(click) + ": ";
    // Posted: the button's handler stays in the modal message box until OK.
    PostMessageW(command1, BM_CLICK, 0, 0);
    HWND box = nullptr;
    Check(WaitFor([&] { return (box = FindMessageBox(threadId, window)) != nullptr; }),
          round + "message box shown, owned by the window");
    if (!box) break;
    WaitFor([&] { return ReadMessageBox(box).ok != nullptr; }, 100);
    const MessageBoxSeen seen = ReadMessageBox(box);
    CheckText(seen.caption, options.caption, round + "message box caption");
    CheckText(seen.text, options.prompt, round + "message box text");
    Check(seen.icon == options.icon, round + (options.icon ? "information icon shown" : "no icon shown"));
    Check(!IsWindowEnabled(window), round + "the window waits while the message box is up");
    if (click == 1) Pause(options, L"messagebox.ready", {window, box});
    Check(seen.ok != nullptr, round + "OK button");
    if (seen.ok) PostMessageW(seen.ok, BM_CLICK, 0, 0);
    Check(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }), round + "OK closes the message box");
    Check(WaitFor([&] { return IsWindowEnabled(window) != FALSE; }), round + "the window takes input again");

    // The controls keep what the user left in them.
    CheckText(TextOf(text1), wantName, round + "Text1 kept");
    Check((SendMessageW(armageddon, BM_GETCHECK, 0, 0) == BST_CHECKED) == wantArmageddon,
          round + "game choice kept");
  }

  PostMessageW(window, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
  Check(ended, "closing the window ends the program");
  DWORD exitCode = 1;
  if (ended) GetExitCodeProcess(process.hProcess, &exitCode);
  else TerminateProcess(process.hProcess, 1);
  CheckEqual<DWORD>(exitCode, 0, "exit code " + std::to_string(exitCode));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  std::printf("ui checks: %d passed, %d failed\n", g_checks - g_failures, g_failures);
  return g_failures == 0 ? 0 : 1;
}
