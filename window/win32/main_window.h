// The Grablet's main window: the dialog model drawn with the system's own
// controls, laid out at the window's own DPI and again whenever it changes,
// and its one handler, Click of Command1.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// Registers the main window's class; once, before CreateMainWindow.
bool RegisterMainWindowClass(HINSTANCE instance);
// Creates the one main window, hidden, owned by `owner`, centred on the
// primary screen and laid out at its DPI there. Null on failure.
HWND CreateMainWindow(HINSTANCE instance, HWND owner);
// Shows the main window with the focus on its first control.
void ShowMainWindow(HWND window, int show);
// The DPI the main window is laid out at now.
int MainWindowDpi();
