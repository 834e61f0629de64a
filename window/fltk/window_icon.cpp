#include "window/fltk/window_icon.h"

#include <FL/Fl_Pixmap.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>

#include "window/icon/grablet16.xpm"
#include "window/icon/grablet32.xpm"

void SetWindowIcon(Fl_Window& window) {
  // Converted once; the images keep their transparent corners as alpha.
  static const Fl_Pixmap pixmap16(grablet16_xpm), pixmap32(grablet32_xpm);
  static const Fl_RGB_Image icon16(&pixmap16), icon32(&pixmap32);
  const Fl_RGB_Image* icons[] = {&icon16, &icon32};
  window.icons(icons, 2);
}
