// Command1's face: a push button cannot have a colour of its own, so it
// draws itself.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// Draws the button of `item` on `face` (the system's face colour when null)
// with its text in `font`; edges and focus mark sized for `dpi`.
void DrawOwnerButton(const DRAWITEMSTRUCT& item, HBRUSH face, HFONT font, int dpi);
