#include "window/fltk/info_icon.h"

#include <FL/fl_draw.H>

namespace {
const Fl_Color kDisc = fl_rgb_color(30, 90, 200);
const Fl_Color kRim = fl_rgb_color(20, 60, 140);
}  // namespace

InfoIcon::InfoIcon(int x, int y) : Fl_Widget(x, y, Size, Size) {
  // A picture, not a control: it takes neither focus nor clicks.
  clear_visible_focus();
  box(FL_NO_BOX);
}

void InfoIcon::draw() {
  fl_color(kRim);
  fl_pie(x(), y(), Size, Size, 0, 360);
  fl_color(kDisc);
  fl_pie(x() + 1, y() + 1, Size - 2, Size - 2, 0, 360);
  fl_color(FL_WHITE);
  const int centre = x() + Size / 2;
  fl_pie(centre - 3, y() + 6, 6, 6, 0, 360);   // the dot
  fl_rectf(centre - 2, y() + 14, 5, 12);       // the stem
  fl_rectf(centre - 5, y() + 14, 3, 2);        // its serif
}
