// The DPI a window is drawn at, from the newest call this Windows has. The
// newer calls are looked up at run time, so the program still starts where
// user32 lacks them (before Windows 10), and there is system-DPI aware.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The screen's DPI as GDI reports it: the system DPI.
int SystemDpi();
// The DPI of `window`: its monitor's for a per-monitor aware program on
// Windows 8.1 and later, else the system DPI.
int WindowDpi(HWND window);
// The outer size of a window with that client size and styles at `dpi`,
// measuring the frame at `dpi` where the system can.
SIZE FrameSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);
