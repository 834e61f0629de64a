// How the window manager frames the Grablet's windows.
#pragma once

class Fl_Window;

// Shows `window` at its current size and place in a fixed dialog frame: it
// cannot be resized, minimised or maximised, keeps its close box and is left
// out of the taskbar.
void ShowFixedDialog(Fl_Window& window);

// Places `window` so that its centre lies on the centre of the primary screen.
void CentreOnScreen(Fl_Window& window);
