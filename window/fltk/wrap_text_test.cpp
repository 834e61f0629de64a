#include "window/fltk/wrap_text.h"

#include <gtest/gtest.h>

namespace {

// One unit per code point, so widths are easy to count by eye.
double CodePoints(std::string_view text) {
  double count = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

struct WrapCase {
  const char* name;
  std::string text;
  double maxWidth;
  std::vector<std::string> lines;
};

class WrapTextTest : public testing::TestWithParam<WrapCase> {};

TEST_P(WrapTextTest, BreaksIntoFittingLines) {
  const WrapCase& c = GetParam();
  EXPECT_EQ(WrapText(c.text, c.maxWidth, CodePoints), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrapTextTest,
    testing::Values(
        WrapCase{"FitsOnOneLine", "Created a.bit.", 20, {"Created a.bit."}},
        WrapCase{"ExactWidthFits", "abc def", 7, {"abc def"}},
        WrapCase{"BreaksAtTheLastFittingSpace", "Could not locate current.thm! You must", 20,
                 {"Could not locate", "current.thm! You", "must"}},
        WrapCase{"BreaksAWordWiderThanALine", "Created abcdefghijkl.bit.", 8,
                 {"Created", "abcdefgh", "ijkl.bit", "."}},
        WrapCase{"NeverSplitsACodePoint", "Карта_Łódź", 4, {"Карт", "а_Łó", "dź"}},
        WrapCase{"KeepsRunsOfSpaces", "a  b", 10, {"a  b"}},
        WrapCase{"BreaksAtNewlines", "ab\ncd", 10, {"ab", "cd"}},
        WrapCase{"EmptyTextIsOneEmptyLine", "", 10, {""}},
        WrapCase{"TooNarrowForAnythingStillShowsEveryCodePoint", "abc", 0, {"a", "b", "c"}}),
    [](const testing::TestParamInfo<WrapCase>& info) { return info.param.name; });

// With widths in bytes, a break inside a code point would often fit better.
TEST(WrapText, BreaksOnlyBetweenCodePoints) {
  const auto bytes = [](std::string_view text) { return static_cast<double>(text.size()); };
  EXPECT_EQ(WrapText("aКb", 2, bytes), (std::vector<std::string>{"a", "К", "b"}));
  EXPECT_EQ(WrapText("x€y", 2, bytes), (std::vector<std::string>{"x", "€", "y"}));
}

TEST(WrapText, LosesNoTextExceptTheSpacesItBreaksAt) {
  const std::string text = "Could not create Stolen_Map_with_a_very_long_name.bit! You must place "
                           "the Grablet in the main directory!";
  std::string joined;
  for (const std::string& line : WrapText(text, 13, CodePoints)) {
    EXPECT_LE(CodePoints(line), 13) << line;
    joined += line;
  }
  std::string withoutSpaces;
  for (char c : text)
    if (c != ' ') withoutSpaces += c;
  std::string joinedWithoutSpaces;
  for (char c : joined)
    if (c != ' ') joinedWithoutSpaces += c;
  EXPECT_EQ(joinedWithoutSpaces, withoutSpaces);
}

}  // namespace
