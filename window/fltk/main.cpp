// The Grablet on Linux: shows the main window and serves it until it is closed.
#include <FL/Fl.H>

#include "window/fltk/main_window.h"
#include "window/fltk/screen_dpi.h"

int main() {
  // Fixed look: no scheme or colours taken from the environment.
  Fl::scheme("base");
  // The dialog face of Windows, behind every control that has no colour of its own.
  Fl::background(240, 240, 240);
  // Read once: the window keeps its size, as it has a fixed frame.
  MainWindow window(ScreenDpi());
  window.Show();
  return Fl::run();
}
