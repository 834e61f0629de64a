#include "window/win32/window_dpi.h"

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
// shcore's GetDpiForMonitor, for Windows 8.1, which has no GetDpiForWindow.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

template <typename Fn>
Fn User32Function(const char* name) {
  // user32 is always loaded: the program imports it.
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

GetDpiForMonitorFn ShcoreGetDpiForMonitor() {
  // Only from System32, never from beside the exe; the flag is unknown
  // before Windows 8, where shcore does not exist either.
  static const HMODULE shcore =
      LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return shcore ? reinterpret_cast<GetDpiForMonitorFn>(reinterpret_cast<void*>(
                      GetProcAddress(shcore, "GetDpiForMonitor")))
                : nullptr;
}

}  // namespace

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

int WindowDpi(HWND window) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  } else if (const GetDpiForMonitorFn getDpiForMonitor = ShcoreGetDpiForMonitor()) {
    // Answers the system DPI for a program that is not per-monitor aware.
    UINT dpiX = 0, dpiY = 0;
    if (SUCCEEDED(getDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY),
                                   kEffectiveDpi, &dpiX, &dpiY)) &&
        dpiY > 0)
      return static_cast<int>(dpiY);
  }
  return SystemDpi();
}

SIZE FrameSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjustForDpi =
      User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  RECT frame{0, 0, clientWidth, clientHeight};
  // Without it the frame is the system DPI's, which is what such a system draws.
  if (!adjustForDpi || !adjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  return {frame.right - frame.left, frame.bottom - frame.top};
}
