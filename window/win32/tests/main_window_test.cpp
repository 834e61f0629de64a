// The main window created in this process and told that its DPI changed, as
// Windows tells a per-monitor aware window moved to a monitor of another
// scale: every control, the font and the client area must follow the model.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "window/dialog.h"
#include "window/win32/main_window.h"
#include "window/win32/window_dpi.h"

namespace {

template <typename Fn>
Fn User32Function(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

PixelRect RectInParent(HWND control, HWND parent) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::string Text(const PixelRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) +
         "x" + std::to_string(r.height);
}

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&commonControls);
    ASSERT_TRUE(RegisterMainWindowClass(GetModuleHandleW(nullptr)));
  }

  void SetUp() override {
    window = CreateMainWindow(GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ShowMainWindow(window, SW_SHOWNOACTIVATE);
  }

  void TearDown() override {
    if (window) DestroyWindow(window);
    // The window's WM_DESTROY posts WM_QUIT; it is meant for a message loop
    // this test does not run.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  // What Windows sends: the new DPI twice, and the window's new place.
  void ChangeDpi(int dpi, const RECT& suggested) {
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
  }

  // A place for the window a little off its present one, sized for the
  // model's client area at `dpi` inside the frame as it is drawn now.
  RECT SuggestedRect(int dpi, int shift) const {
    RECT frame, client;
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    const int frameW = (frame.right - frame.left) - client.right;
    const int frameH = (frame.bottom - frame.top) - client.bottom;
    const int left = frame.left + shift, top = frame.top + shift;
    return {left, top, left + TwipsToPixels(MainDialog().clientWidth, dpi) + frameW,
            top + TwipsToPixels(MainDialog().clientHeight, dpi) + frameH};
  }

  void ExpectLaidOutAt(int dpi) {
    SCOPED_TRACE(std::to_string(dpi) + " DPI");
    const DialogSpec& dialog = MainDialog();
    EXPECT_EQ(MainWindowDpi(), dpi);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, TwipsToPixels(dialog.clientWidth, dpi));
    EXPECT_EQ(client.bottom, TwipsToPixels(dialog.clientHeight, dpi));

    const std::vector<HWND> children = Children(window);
    ASSERT_EQ(children.size(), dialog.controls.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
      const ControlSpec& layout = dialog.controls[i];
      SCOPED_TRACE(std::string(layout.name) + " " + std::to_string(layout.index));
      const PixelRect expected = ToPixels(layout, dpi), actual = RectInParent(children[i], window);
      EXPECT_EQ(actual, expected) << Text(actual) << ", expected " << Text(expected);

      const auto font = reinterpret_cast<HFONT>(SendMessageW(children[i], WM_GETFONT, 0, 0));
      LOGFONTW logFont{};
      ASSERT_EQ(GetObjectW(font, sizeof logFont, &logFont), int(sizeof logFont))
          << "the control's font is gone";
      EXPECT_EQ(logFont.lfHeight, -FontPixels(dialog, dpi));
      EXPECT_STREQ(logFont.lfFaceName, L"Verdana");
      EXPECT_EQ(logFont.lfWeight, dialog.fontWeight);
    }
  }

  HWND window = nullptr;
};

TEST_F(MainWindowTest, LaysItselfOutAtItsOwnDpi) { ExpectLaidOutAt(WindowDpi(window)); }

TEST_F(MainWindowTest, FollowsEachDpiChangeAndTakesTheSuggestedPlace) {
  int shift = 0;
  for (const int dpi : {96, 144, 120}) {
    const RECT suggested = SuggestedRect(dpi, shift += 10);
    ChangeDpi(dpi, suggested);
    ExpectLaidOutAt(dpi);
    RECT frame;
    GetWindowRect(window, &frame);
    EXPECT_TRUE(EqualRect(&frame, &suggested))
        << "at " << frame.left << "," << frame.top << " " << frame.right - frame.left << "x"
        << frame.bottom - frame.top;
  }
}

// Per-monitor v2 asks the window for its size before it suggests one.
TEST_F(MainWindowTest, AsksForTheModelsClientAreaAtTheNewDpi) {
  RECT frame, client;
  GetWindowRect(window, &frame);
  GetClientRect(window, &client);
  const int dpi = WindowDpi(window);
  SIZE size{};
  ASSERT_TRUE(SendMessageW(window, WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&size)));
  // At the DPI it has, the size it has.
  EXPECT_EQ(size.cx, frame.right - frame.left);
  EXPECT_EQ(size.cy, frame.bottom - frame.top);
  ASSERT_TRUE(SendMessageW(window, WM_GETDPISCALEDSIZE, 192, reinterpret_cast<LPARAM>(&size)));
  // The client area at 192 DPI inside a frame no thinner than at 96.
  EXPECT_GE(size.cx - 776, (frame.right - frame.left) - client.right);
  EXPECT_GE(size.cy - 248, (frame.bottom - frame.top) - client.bottom);
  EXPECT_LE(size.cx - 776, 4 * ((frame.right - frame.left) - client.right));
}

// The manifest makes the program per-monitor aware wherever the system can
// say so; the DPI calls are looked up at run time, so their absence is legal.
TEST(DpiAwarenessTest, ManifestAsksForPerMonitorAwareness) {
  using GetContextFn = HANDLE(WINAPI*)();
  using AwarenessFn = int(WINAPI*)(HANDLE);
  const auto getContext = User32Function<GetContextFn>("GetThreadDpiAwarenessContext");
  const auto awarenessOf = User32Function<AwarenessFn>("GetAwarenessFromDpiAwarenessContext");
  std::printf("GetDpiForWindow %s, AdjustWindowRectExForDpi %s, system DPI %d\n",
              User32Function<void*>("GetDpiForWindow") ? "present" : "absent",
              User32Function<void*>("AdjustWindowRectExForDpi") ? "present" : "absent",
              SystemDpi());
  if (!getContext || !awarenessOf) GTEST_SKIP() << "this system cannot tell its awareness";
  using EqualFn = BOOL(WINAPI*)(HANDLE, HANDLE);
  const auto equal = User32Function<EqualFn>("AreDpiAwarenessContextsEqual");
  const int awareness = awarenessOf(getContext());
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is the handle -4.
  std::printf("thread DPI awareness %d (2: per monitor), v2 %s\n", awareness,
              !equal ? "unknown" : equal(getContext(), reinterpret_cast<HANDLE>(-4)) ? "yes" : "no");
  EXPECT_EQ(awareness, 2);  // DPI_AWARENESS_PER_MONITOR_AWARE
}

}  // namespace
