// The face and size that the window and the message boxes are drawn with.
#pragma once

#include <FL/Enumerations.H>

// The dialog's font (Verdana) where it is installed; else DejaVu Sans, a wide
// screen face with a large x-height like Verdana's, so texts fit their places.
Fl_Font DialogFont();
// The dialog's point size in pixels at `dpi` (8.25 pt makes 11 px at 96).
Fl_Fontsize DialogFontSize(int dpi);
