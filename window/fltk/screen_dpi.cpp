#include "window/fltk/screen_dpi.h"

#include <FL/x.H>

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

constexpr int kDefaultDpi = 96;
// A quarter to five times the usual: anything beyond is a typing error, and a
// window laid out at it would be unusable.
constexpr double kLowestDpi = 24, kHighestDpi = 480;

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

}  // namespace

int DpiFromXftValue(const char* value) {
  if (value == nullptr) return kDefaultDpi;
  const char* first = value;
  const char* last = value + std::strlen(value);
  while (first < last && IsSpace(*first)) ++first;
  while (last > first && IsSpace(last[-1])) --last;
  double dpi = 0;
  // from_chars, not strtod: the decimal point must not depend on the locale.
  const auto [end, error] = std::from_chars(first, last, dpi);
  if (error != std::errc() || end != last || !(dpi >= kLowestDpi && dpi <= kHighestDpi))
    return kDefaultDpi;
  return static_cast<int>(std::lround(dpi));
}

int ScreenDpi() {
  fl_open_display();
  // Xlib reads RESOURCE_MANAGER (or ~/.Xdefaults without it) once per display.
  return DpiFromXftValue(XGetDefault(fl_display, "Xft", "dpi"));
}
