// The information sign of a message box: a white "i" on a blue disc.
#pragma once

#include <FL/Fl_Widget.H>

class InfoIcon : public Fl_Widget {
 public:
  static constexpr int Size = 32;
  InfoIcon(int x, int y);

 protected:
  void draw() override;
};
