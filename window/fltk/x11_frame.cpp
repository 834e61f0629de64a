#include "window/fltk/x11_frame.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xatom.h>

namespace {

// Motif hints, the one way to ask most window managers for fewer frame buttons.
constexpr long kMwmHintsFunctions = 1L << 0;
constexpr long kMwmHintsDecorations = 1L << 1;
constexpr long kMwmFuncMove = 1L << 2;
constexpr long kMwmFuncClose = 1L << 5;
constexpr long kMwmDecorBorder = 1L << 1;
constexpr long kMwmDecorTitle = 1L << 3;
constexpr long kMwmDecorMenu = 1L << 4;

Atom Intern(const char* name) { return XInternAtom(fl_display, name, False); }

void SetAtoms(Window xid, const char* property, const Atom* atoms, int count, int mode) {
  XChangeProperty(fl_display, xid, Intern(property), XA_ATOM, 32, mode,
                  reinterpret_cast<const unsigned char*>(atoms), count);
}

void SetFrameProperties(Window xid) {
  const long motif[5] = {kMwmHintsFunctions | kMwmHintsDecorations, kMwmFuncMove | kMwmFuncClose,
                         kMwmDecorBorder | kMwmDecorTitle | kMwmDecorMenu, 0, 0};
  const Atom motifHints = Intern("_MOTIF_WM_HINTS");
  XChangeProperty(fl_display, xid, motifHints, motifHints, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(motif), 5);

  const Atom dialog = Intern("_NET_WM_WINDOW_TYPE_DIALOG");
  SetAtoms(xid, "_NET_WM_WINDOW_TYPE", &dialog, 1, PropModeReplace);
  // Appended: FLTK may already have marked a message box as modal.
  const Atom skipTaskbar = Intern("_NET_WM_STATE_SKIP_TASKBAR");
  SetAtoms(xid, "_NET_WM_STATE", &skipTaskbar, 1, PropModeAppend);
}

}  // namespace

void ShowFixedDialog(Fl_Window& window) {
  window.size_range(window.w(), window.h(), window.w(), window.h());
  fl_open_display();
  // FLTK maps the window as soon as it creates it, and a window manager reads
  // these properties only when it first takes the window on. Holding the
  // server until they are set means it always sees them.
  XGrabServer(fl_display);
  window.show();
  SetFrameProperties(fl_xid(&window));
  XUngrabServer(fl_display);
  XFlush(fl_display);
}

void CentreOnScreen(Fl_Window& window) {
  int x, y, w, h;
  Fl::screen_xywh(x, y, w, h, 0);
  window.position(x + (w - window.w()) / 2, y + (h - window.h()) / 2);
}
