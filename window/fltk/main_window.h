// The Grablet's one window, built from the dialog table and drawn with FLTK.
#pragma once

#include <FL/Fl_Double_Window.H>
#include <vector>

#include "window/dialog.h"

class Fl_Input;
class Fl_Round_Button;
class Fl_Widget;

class MainWindow {
 public:
  // Laid out from the model at `dpi`, and fixed at that size.
  explicit MainWindow(int dpi);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Shows the window centred on the screen, focus on its first control.
  void Show();
  // What the user has set in the controls now.
  MainState State() const;
  // The control of that name and index, for reading it back.
  Fl_Widget* Widget(const char* name, int index = -1) const;
  const Fl_Double_Window& Window() const { return window_; }

 private:
  Fl_Widget* Build(const ControlSpec& control);
  static void OnCommand1Click(Fl_Widget*, void* self);
  static void OnClose(Fl_Widget* window, void*);

  int dpi_;
  Fl_Double_Window window_;
  struct Built {
    const ControlSpec* layout;
    Fl_Widget* widget;
  };
  std::vector<Built> controls_;  // in tab order
};
