// The Grablet's own icon for its windows' title bars.
#pragma once

class Fl_Window;

// Gives `window` the 16 x 16 icon (and the 32 x 32 one for window managers
// that show a larger image). Call before the window is shown.
void SetWindowIcon(Fl_Window& window);
