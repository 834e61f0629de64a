// The Linux window built at several screen DPIs: every control where the
// model puts it at that DPI, in the font scaled with it. Nothing is shown.
#include "window/fltk/main_window.h"

#include <FL/Fl_Input.H>
#include <FL/Fl_Widget.H>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MainWindowTest, LaidOutFromTheModelAtTheScreensDpi) {
  const DialogSpec& dialog = MainDialog();
  for (const int dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE(std::to_string(dpi) + " DPI");
    MainWindow window(dpi);
    EXPECT_EQ(window.Window().w(), TwipsToPixels(dialog.clientWidth, dpi));
    EXPECT_EQ(window.Window().h(), TwipsToPixels(dialog.clientHeight, dpi));
    for (const ControlSpec& control : dialog.controls) {
      SCOPED_TRACE(std::string(control.name) + " " + std::to_string(control.index));
      const Fl_Widget* widget = window.Widget(control.name, control.index);
      ASSERT_NE(widget, nullptr);
      // FLTK places children in window coordinates, whatever group holds them.
      EXPECT_EQ((PixelRect{widget->x(), widget->y(), widget->w(), widget->h()}),
                ToPixels(control, dpi));
      const int size = control.kind == ControlKind::TextField
                           ? static_cast<const Fl_Input*>(widget)->textsize()
                           : widget->labelsize();
      EXPECT_EQ(size, FontPixels(dialog, dpi));
    }
  }
}

}  // namespace
