// The dialog's model: its table as the window must show it, and its Click.
#include <gtest/gtest.h>

#include <algorithm>

#include "capture/disk_interface.h"
#include "tests/game_folder.h"
#include "window/dialog.h"

namespace {

TEST(DialogTest, WindowAsAWhole) {
  const DialogSpec& main = MainDialog();
  EXPECT_STREQ(main.name, "main");
  EXPECT_STREQ(main.title, "Ostrel's Map Grablet v1.0.1");
  EXPECT_EQ(main.clientWidth, 5820);
  EXPECT_EQ(main.clientHeight, 1860);
  EXPECT_STREQ(main.fontName, "Verdana");
  EXPECT_DOUBLE_EQ(main.fontPoints, 8.25);
  EXPECT_EQ(main.fontWeight, 400);
  EXPECT_EQ(main.controls.size(), 8u);
}

TEST(DialogTest, ControlsAsTheWindowShowsThem) {
  const Colour black{0, 0, 0}, lightGrey{224, 224, 224}, buttonGrey{192, 192, 192};
  struct Row {
    const char* name;
    int index;
    ControlKind kind;
    int left, top, width, height;
    const char* text;
    TextAlign align;
    bool transparent;
    std::optional<Colour> background, foreground;
    bool selected;
    int tab;
  };
  const Row rows[] = {
      {"Label4", -1, ControlKind::Label, 120, 120, 5535, 255,
       "Steal the last map you played on online for your own use!", TextAlign::Centre, true, {},
       {}, false, 7},
      {"Label1", -1, ControlKind::Label, 120, 480, 1815, 255, "Select A Game:", TextAlign::Left,
       true, {}, {}, false, 0},
      {"Label3", -1, ControlKind::Label, 3000, 480, 1695, 255, "Enter A Name:", TextAlign::Left,
       true, {}, {}, false, 5},
      {"Option1", 0, ControlKind::RadioButton, 360, 840, 2295, 195, "Worms Armageddon",
       TextAlign::Left, false, {}, {}, true, 1},
      {"Option1", 1, ControlKind::RadioButton, 360, 1080, 2295, 195, "Worms World Party",
       TextAlign::Left, false, {}, {}, false, 2},
      {"Text1", -1, ControlKind::TextField, 3240, 915, 2055, 285, "Stolen_Map", TextAlign::Left,
       false, black, lightGrey, false, 3},
      {"Label2", -1, ControlKind::Label, 5295, 975, 615, 255, ".bit", TextAlign::Left, true, {},
       {}, false, 4},
      {"Command1", -1, ControlKind::PushButton, 2180, 1440, 1215, 255, "Steal It!",
       TextAlign::Centre, false, buttonGrey, {}, false, 6},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.index));
    const ControlSpec* control = FindControl(row.name, row.index);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->kind, row.kind);
    EXPECT_EQ(control->left, row.left);
    EXPECT_EQ(control->top, row.top);
    EXPECT_EQ(control->width, row.width);
    EXPECT_EQ(control->height, row.height);
    EXPECT_STREQ(control->text, row.text);
    EXPECT_EQ(control->align, row.align);
    EXPECT_EQ(control->transparent, row.transparent);
    EXPECT_EQ(control->background, row.background);
    EXPECT_EQ(control->foreground, row.foreground);
    EXPECT_EQ(control->selected, row.selected);
    EXPECT_EQ(control->tabIndex, row.tab);
  }
}

TEST(DialogTest, ControlsComeInTabOrder) {
  const auto controls = MainDialog().controls;
  for (std::size_t i = 0; i < controls.size(); ++i) EXPECT_EQ(controls[i].tabIndex, int(i));
  // Exactly one radio button starts selected.
  EXPECT_EQ(std::count_if(controls.begin(), controls.end(),
                          [](const ControlSpec& c) { return c.selected; }),
            1);
}

TEST(DialogTest, TwipsBecomePixelsAtTheScreensDpi) {
  struct Case {
    int twips, dpi, pixels;
  };
  const Case cases[] = {{5820, 96, 388}, {1860, 96, 124}, {5820, 144, 582}, {1860, 144, 186},
                        {15, 96, 1},     {7, 96, 0},      {8, 96, 1},       {5820, 120, 485},
                        {1860, 120, 155}, {5820, 192, 776}, {1860, 192, 248}};
  for (const Case& c : cases)
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;

  // Edges are rounded, so a control keeps its right edge whatever its left.
  EXPECT_EQ(ToPixels(*FindControl("Option1", 0), 96), (PixelRect{24, 56, 153, 13}));
  EXPECT_EQ(ToPixels(*FindControl("Command1"), 96), (PixelRect{145, 96, 81, 17}));
  EXPECT_EQ(ToPixels(*FindControl("Text1"), 144), (PixelRect{324, 92, 206, 28}));
}

TEST(DialogTest, FontScalesWithTheDpi) {
  // 8.25 pt is 11 px at 96 DPI, as Windows dialogs of this font have it.
  const int cases[][2] = {{96, 11}, {120, 14}, {144, 17}, {192, 22}, {72, 8}};
  for (const auto& c : cases) EXPECT_EQ(FontPixels(MainDialog(), c[0]), c[1]) << c[0] << " DPI";
}

class ClickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game.LayOutGame();
    game.WriteFile("Data/current.thm", armageddon);
    if (!FileSystemIgnoresCase(game)) game.WriteFile("data/current.thm", worldParty);
  }
  CaptureReport Press(const MainState& state) { return Click(state, RealDisk(), game.dir()); }

  GameFolder game;
  const std::string armageddon = SampleBytes(100, 1), worldParty = SampleBytes(120, 2);
};

TEST_F(ClickTest, UntouchedWindowCapturesArmageddonAsStolenMap) {
  const MainState state = DefaultState();
  EXPECT_TRUE(state.option1Index0Selected);
  EXPECT_EQ(state.text1, "Stolen_Map");
  const CaptureReport report = Press(state);
  EXPECT_EQ(report.outcome, CaptureOutcome::Created);
  EXPECT_EQ(report.prompt, "Created Stolen_Map.bit.");
  EXPECT_EQ(game.ReadFile("User/SavedLevels/Stolen_Map.bit"), armageddon.substr(4));
}

TEST_F(ClickTest, OptionChoosesTheDataFolder) {
  if (FileSystemIgnoresCase(game)) GTEST_SKIP() << "Data and data are one folder here";
  MainState state = DefaultState();
  state.option1Index0Selected = false;
  EXPECT_EQ(GameOf(state), GameChoice::WorldParty);
  ASSERT_EQ(Press(state).outcome, CaptureOutcome::Created);
  EXPECT_EQ(game.ReadFile("User/SavedLevels/Stolen_Map.bit"), worldParty.substr(4));

  state.option1Index0Selected = true;
  EXPECT_EQ(GameOf(state), GameChoice::Armageddon);
  ASSERT_EQ(Press(state).outcome, CaptureOutcome::Created);
  EXPECT_EQ(game.ReadFile("User/SavedLevels/Stolen_Map.bit"), armageddon.substr(4));
}

TEST_F(ClickTest, NameIsPassedAsTyped) {
  const char* names[] = {"", " spaced ", "Карта"};
  for (const char* name : names) {
    const CaptureReport report = Press({true, name});
    EXPECT_EQ(report.prompt, std::string("Created ") + name + ".bit.");
    EXPECT_EQ(game.ReadFile(std::string("User/SavedLevels/") + name + ".bit"),
              armageddon.substr(4));
  }
}

}  // namespace
