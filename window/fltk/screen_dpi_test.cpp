// Xft.dpi as desktops write it, and what is made of a value that is no DPI.
#include "window/fltk/screen_dpi.h"

#include <gtest/gtest.h>

namespace {

TEST(ScreenDpiTest, XftValues) {
  const struct {
    const char* value;
    int dpi;
  } cases[] = {
      {nullptr, 96},  {"", 96},       {"96", 96},       {"144", 144},   {"192", 192},
      {"120.0", 120}, {"143.6", 144}, {" 192\t", 192},  {"96.5", 97},   {"abc", 96},
      {"144x", 96},   {"-144", 96},   {"0", 96},        {"1e9", 96},    {"nan", 96},
      {"inf", 96},    {"24", 24},     {"480", 480},     {"481", 96},    {"14 4", 96},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DpiFromXftValue(c.value), c.dpi) << (c.value ? c.value : "(none)");
}

}  // namespace
