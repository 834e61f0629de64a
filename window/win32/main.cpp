// The Grablet on Windows: shows the main window and serves it until it is closed.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "window/win32/main_window.h"

namespace {
constexpr wchar_t kOwnerClass[] = L"GrabletOwner";
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

  WNDCLASSEXW ownerClass{};
  ownerClass.cbSize = sizeof ownerClass;
  ownerClass.lpfnWndProc = DefWindowProcW;
  ownerClass.hInstance = instance;
  ownerClass.lpszClassName = kOwnerClass;
  if (!RegisterClassExW(&ownerClass) || !RegisterMainWindowClass(instance)) return 1;

  // Owned by a window that is never shown: so the taskbar leaves it out,
  // while the caption stays a normal one.
  const HWND owner = CreateWindowExW(0, kOwnerClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                     nullptr, instance, nullptr);
  if (!owner) return 1;
  const HWND window = CreateMainWindow(instance, owner);
  if (!window) return 1;
  ShowMainWindow(window, show);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  DestroyWindow(owner);
  return static_cast<int>(message.wParam);
}
