// The modal message box that tells the user how a capture went.
#pragma once

#include "capture/capture.h"

class Fl_Window;

// Shows `report` over `owner`: its title as the caption, its prompt as the
// text, the information sign when asked for, and one OK button. Returns when
// the user has dismissed it; `owner` takes no input until then. Sized for
// `dpi`, like its owner.
void ShowReport(const CaptureReport& report, const Fl_Window& owner, int dpi);
