#include "window/fltk/plain_label.h"

#include <FL/Fl.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>

namespace {

void DrawPlain(const Fl_Label* label, int x, int y, int w, int h, Fl_Align align) {
  fl_font(label->font, label->size);
  fl_color(static_cast<Fl_Color>(label->color));
  fl_draw(label->value, x, y, w, h, align, label->image, 0);
}

void MeasurePlain(const Fl_Label* label, int& w, int& h) {
  fl_font(label->font, label->size);
  fl_measure(label->value, w, h, 0);
}

}  // namespace

void RegisterPlainLabel() { Fl::set_labeltype(PlainLabel, DrawPlain, MeasurePlain); }

TextLabel::TextLabel(int x, int y, int w, int h) : Fl_Box(x, y, w, h) {
  labeltype(PlainLabel);
  align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
}

void TextLabel::draw() {
  draw_box();
  draw_label(x(), y(), w(), h(), align());
}
