// The capture against real files in a throwaway game folder.
#include <gtest/gtest.h>

#include <random>

#include "capture/capture.h"
#include "capture/disk_interface.h"
#include "tests/game_folder.h"

namespace {

const char kLevels[] = "User/SavedLevels";
const char kArmageddonSource[] = "Data/current.thm";

class CaptureTest : public ::testing::Test {
 protected:
  void SetUp() override { game.LayOutGame(); }

  CaptureReport Capture(const std::string& name, GameChoice choice = GameChoice::Armageddon) {
    return CaptureLastMap(game.dir(), choice, name);
  }
  std::optional<std::string> Level(const std::string& name) const {
    return game.ReadFile(std::string(kLevels) + "/" + name + ".bit");
  }

  GameFolder game;
};

TEST(ReportTest, ReportsAreWordForWord) {
  struct Case {
    CaptureOutcome outcome;
    const char* title;
    const char* prompt;
    ReportIcon icon;
  };
  const Case cases[] = {
      {CaptureOutcome::Created, "Theivery Successful", "Created My Map.bit.", ReportIcon::None},
      {CaptureOutcome::SourceInvalid, "Problem with current.thm",
       "current.thm is invalid! It sometimes gets this way due to the way Worms works. Sorry, "
       "the map data cannot be stolen.",
       ReportIcon::None},
      {CaptureOutcome::SourceNotLocated, "Error",
       "Could not locate current.thm! You must place the Grablet in the Worms Armageddon or "
       "Worms World Party main directory!",
       ReportIcon::Information},
      {CaptureOutcome::TargetNotCreated, "Error",
       "Could not create My Map.bit! You must place the Grablet in the Worms Armageddon or Worms "
       "World Party main directory!",
       ReportIcon::Information},
  };
  for (const Case& c : cases) {
    const CaptureReport report = ReportFor(c.outcome, "My Map");
    EXPECT_EQ(report.outcome, c.outcome);
    EXPECT_EQ(report.title, c.title);
    EXPECT_EQ(report.prompt, c.prompt);
    EXPECT_EQ(report.icon, c.icon);
  }
}

// Around the length limits; an old level of the same name shows whether the
// target was touched.
TEST_F(CaptureTest, SourceLengthDecidesTheOutcome) {
  struct Case {
    std::size_t size;
    CaptureOutcome outcome;
  };
  const Case cases[] = {
      {0, CaptureOutcome::SourceNotLocated}, {4, CaptureOutcome::SourceInvalid},
      {49, CaptureOutcome::SourceInvalid},   {50, CaptureOutcome::Created},
      {51, CaptureOutcome::Created},         {300000, CaptureOutcome::Created},
  };
  const std::string old = "old level that must survive a refused capture";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    const std::string source = SampleBytes(c.size, static_cast<std::uint32_t>(c.size));
    game.WriteFile(kArmageddonSource, source);
    game.WriteFile("User/SavedLevels/Level.bit", old);
    EXPECT_EQ(Capture("Level").outcome, c.outcome);
    if (c.outcome == CaptureOutcome::Created)
      EXPECT_EQ(Level("Level"), source.substr(4));
    else
      EXPECT_EQ(Level("Level"), old);
    EXPECT_EQ(game.List(kLevels), "Level.bit");
  }
}

TEST_F(CaptureTest, LevelIsTheSourceWithoutItsFirstFourBytes) {
  std::string source = "HEAD" + SampleBytes(46, 7);
  source[4] = 'L';
  game.WriteFile(kArmageddonSource, source);
  ASSERT_EQ(Capture("Stolen_Map").outcome, CaptureOutcome::Created);
  const std::string level = *Level("Stolen_Map");
  ASSERT_EQ(level.size(), 46u);
  EXPECT_EQ(level[0], 'L');
  EXPECT_EQ(level, source.substr(4));
  EXPECT_EQ(level.find("HEAD"), std::string::npos);
  EXPECT_EQ(game.ReadFile(kArmageddonSource), source) << "the source is never changed";
}

TEST_F(CaptureTest, MissingSourceIsNotLocatedAndNotCreated) {
  EXPECT_EQ(Capture("x").outcome, CaptureOutcome::SourceNotLocated);
  EXPECT_FALSE(game.Exists(kArmageddonSource));

  GameFolder bare;  // no Data folder at all
  EXPECT_EQ(CaptureLastMap(bare.dir(), GameChoice::Armageddon, "x").outcome,
            CaptureOutcome::SourceNotLocated);
  EXPECT_FALSE(bare.Exists("Data/current.thm"));
  EXPECT_FALSE(bare.Exists("Data"));
}

TEST_F(CaptureTest, SourceThatIsAFolderIsNotLocated) {
  game.MakeFolder("Data/current.thm");
  EXPECT_EQ(Capture("x").outcome, CaptureOutcome::SourceNotLocated);
  EXPECT_EQ(game.List(kLevels), "");
}

TEST_F(CaptureTest, EachGameReadsItsOwnDataFolder) {
  if (FileSystemIgnoresCase(game)) GTEST_SKIP() << "Data and data are one folder here";
  const std::string armageddon = SampleBytes(64, 1), worldParty = SampleBytes(80, 2);
  game.WriteFile("Data/current.thm", armageddon);
  game.WriteFile("data/current.thm", worldParty);
  // There and back again: each capture stands alone.
  const std::pair<GameChoice, const std::string*> order[] = {
      {GameChoice::Armageddon, &armageddon},
      {GameChoice::WorldParty, &worldParty},
      {GameChoice::Armageddon, &armageddon}};
  for (const auto& [choice, source] : order) {
    ASSERT_EQ(Capture("Map", choice).outcome, CaptureOutcome::Created);
    EXPECT_EQ(Level("Map"), source->substr(4));
  }
}

TEST_F(CaptureTest, LongerOldLevelIsReplacedWhole) {
  game.WriteFile("User/SavedLevels/Map.bit", SampleBytes(5000, 3));
  const std::string source = SampleBytes(60, 4);
  game.WriteFile(kArmageddonSource, source);
  ASSERT_EQ(Capture("Map").outcome, CaptureOutcome::Created);
  EXPECT_EQ(Level("Map"), source.substr(4));
  EXPECT_EQ(game.List(kLevels), "Map.bit") << "no temporary file is left behind";
}

TEST_F(CaptureTest, EmptyNameWritesDotBit) {
  game.WriteFile(kArmageddonSource, SampleBytes(50));
  const CaptureReport report = Capture("");
  EXPECT_EQ(report.outcome, CaptureOutcome::Created);
  EXPECT_EQ(report.prompt, "Created .bit.");
  EXPECT_EQ(game.List(kLevels), ".bit");
}

TEST_F(CaptureTest, NameWithAFolderIsUsedAsTyped) {
  const std::string source = SampleBytes(70);
  game.WriteFile(kArmageddonSource, source);

  const CaptureReport missing = Capture("Mine/Map");
  EXPECT_EQ(missing.outcome, CaptureOutcome::TargetNotCreated);
  EXPECT_EQ(missing.prompt,
            "Could not create Mine/Map.bit! You must place the Grablet in the Worms Armageddon "
            "or Worms World Party main directory!");
  EXPECT_FALSE(game.Exists("User/SavedLevels/Mine"));

  game.MakeFolder("User/SavedLevels/Mine");
  EXPECT_EQ(Capture("Mine/Map").outcome, CaptureOutcome::Created);
  EXPECT_EQ(Level("Mine/Map"), source.substr(4));
  EXPECT_EQ(game.List("User/SavedLevels/Mine"), "Map.bit");
}

TEST_F(CaptureTest, MissingSavedLevelsIsNotCreated) {
  GameFolder noLevels;
  noLevels.MakeFolder("Data");
  noLevels.MakeFolder("User");
  noLevels.WriteFile("Data/current.thm", SampleBytes(100));
  EXPECT_EQ(CaptureLastMap(noLevels.dir(), GameChoice::Armageddon, "Map").outcome,
            CaptureOutcome::TargetNotCreated);
  EXPECT_FALSE(noLevels.Exists("User/SavedLevels"));
  EXPECT_EQ(noLevels.List("User"), "");
}

TEST_F(CaptureTest, TwoCapturesInARowAgree) {
  const std::string source = SampleBytes(1234);
  game.WriteFile(kArmageddonSource, source);
  const CaptureReport first = Capture("Again");
  const CaptureReport second = Capture("Again");
  EXPECT_EQ(first.outcome, CaptureOutcome::Created);
  EXPECT_EQ(second.outcome, first.outcome);
  EXPECT_EQ(second.prompt, first.prompt);
  EXPECT_EQ(Level("Again"), source.substr(4));
  EXPECT_EQ(game.List(kLevels), "Again.bit");
}

TEST_F(CaptureTest, ReadOnlyLevelIsKept) {
  const std::string old = SampleBytes(90, 5);
  game.WriteFile("User/SavedLevels/Keep.bit", old);
  std::filesystem::permissions(game.Path("User/SavedLevels/Keep.bit"),
                               std::filesystem::perms::owner_read);
  game.WriteFile(kArmageddonSource, SampleBytes(60, 6));
  EXPECT_EQ(Capture("Keep").outcome, CaptureOutcome::TargetNotCreated);
  EXPECT_EQ(Level("Keep"), old);
  EXPECT_EQ(game.List(kLevels), "Keep.bit");
}

TEST_F(CaptureTest, Utf8NamesAndFolders) {
  GameFolder unicode;
  const std::string root = "Игры/Łódź Worms";
  unicode.MakeFolder(root + "/Data");
  unicode.MakeFolder(root + "/User/SavedLevels");
  const std::string source = SampleBytes(75);
  unicode.WriteFile(root + "/Data/current.thm", source);
  const CaptureReport report =
      CaptureLastMap(unicode.dir() + "/" + root, GameChoice::Armageddon, "Карта_Żółw");
  EXPECT_EQ(report.outcome, CaptureOutcome::Created);
  EXPECT_EQ(report.prompt, "Created Карта_Żółw.bit.");
  EXPECT_EQ(unicode.ReadFile(root + "/User/SavedLevels/Карта_Żółw.bit"), source.substr(4));
}

// Over random sizes and contents, the level is always the source minus four bytes.
TEST_F(CaptureTest, PropertyLevelIsSourceMinusPrefix) {
  std::mt19937 random(20261211);
  for (int round = 0; round < 60; ++round) {
    // Every tenth round is large enough to take the huge-page path.
    const std::size_t size = 50 + random() % (round % 10 == 0 ? 6000000 : 4000);
    const std::string source = SampleBytes(size, random());
    game.WriteFile(kArmageddonSource, source);
    ASSERT_EQ(Capture("Prop").outcome, CaptureOutcome::Created) << size;
    ASSERT_EQ(Level("Prop"), source.substr(4)) << size;
  }
}

}  // namespace
