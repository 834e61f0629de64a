#include "window/fltk/info_icon.h"

#include <FL/fl_draw.H>

namespace {
const Fl_Color kDisc = fl_rgb_color(30, 90, 200);
const Fl_Color kRim = fl_rgb_color(20, 60, 140);
}  // namespace

InfoIcon::InfoIcon(int x, int y, int size) : Fl_Widget(x, y, size, size) {
  // A picture, not a control: it takes neither focus nor clicks.
  clear_visible_focus();
  box(FL_NO_BOX);
}

void InfoIcon::draw() {
  const int size = w();
  // Lengths on the 32-pixel drawing, to this icon's size.
  const auto at = [size](int base) { return (base * size + BaseSize / 2) / BaseSize; };
  const int rim = at(1) > 0 ? at(1) : 1;
  fl_color(kRim);
  fl_pie(x(), y(), size, size, 0, 360);
  fl_color(kDisc);
  fl_pie(x() + rim, y() + rim, size - 2 * rim, size - 2 * rim, 0, 360);
  fl_color(FL_WHITE);
  const int centre = x() + size / 2;
  fl_pie(centre - at(3), y() + at(6), at(6), at(6), 0, 360);  // the dot
  fl_rectf(centre - at(2), y() + at(14), at(5), at(12));      // the stem
  fl_rectf(centre - at(5), y() + at(14), at(3), at(2));       // its serif
}
