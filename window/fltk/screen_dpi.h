// The DPI the Linux window is laid out at: the one desktops set for scaling.
#pragma once

// The X server's Xft.dpi resource (as `xrdb` or the desktop's settings put
// it on the RESOURCE_MANAGER property), else 96. Opens the display.
int ScreenDpi();

// The DPI an Xft.dpi value names, rounded; 96 for none, for what is not a
// number, and for a number no screen has.
int DpiFromXftValue(const char* value);
