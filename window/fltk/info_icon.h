// The information sign of a message box: a white "i" on a blue disc.
#pragma once

#include <FL/Fl_Widget.H>

class InfoIcon : public Fl_Widget {
 public:
  // 32 pixels across at 96 DPI, drawn to scale at any other size.
  static constexpr int BaseSize = 32;
  InfoIcon(int x, int y, int size);

 protected:
  void draw() override;
};
