// Text drawn exactly as given and exactly where given. FLTK's normal labels
// read "@..." as symbol names, which would mangle a level name such as "@home",
// and Fl_Box indents left-aligned text by 3 pixels, which a Windows label doesn't.
#pragma once

#include <FL/Enumerations.H>
#include <FL/Fl_Box.H>

constexpr Fl_Labeltype PlainLabel = FL_FREE_LABELTYPE;

// Registers PlainLabel with FLTK; call once before any widget is drawn.
void RegisterPlainLabel();

// A label: its text in PlainLabel, aligned to its own edges.
class TextLabel : public Fl_Box {
 public:
  TextLabel(int x, int y, int w, int h);

 protected:
  void draw() override;
};
