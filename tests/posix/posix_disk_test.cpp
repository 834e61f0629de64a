// What only a POSIX file system can do to a capture.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "capture/capture.h"
#include "capture/disk_interface.h"
#include "tests/game_folder.h"

namespace {

TEST(PosixDiskTest, InstallDirIsTheFolderOfThisProgram) {
  EXPECT_EQ(InstallDir(), std::filesystem::canonical("/proc/self/exe").parent_path().string());
}

// A FIFO would block a plain open() forever; the capture must answer at once.
TEST(PosixDiskTest, SourceThatIsAFifoIsNotLocated) {
  GameFolder game;
  game.LayOutGame();
  ASSERT_EQ(mkfifo(game.Path("Data/current.thm").c_str(), 0644), 0);
  EXPECT_EQ(CaptureLastMap(game.dir(), GameChoice::Armageddon, "Map").outcome,
            CaptureOutcome::SourceNotLocated);
  EXPECT_EQ(game.List("User/SavedLevels"), "");
}

// The capture ignores a failed folder flush, so only this shows that it works.
TEST(PosixDiskTest, FolderFlushOpensTheFolderThatHoldsThePath) {
  GameFolder game;
  game.LayOutGame();
  const std::string levels = game.dir() + "/User/SavedLevels";
  EXPECT_TRUE(RealDisk().FlushFolder(levels + "/Map.bit"));
  EXPECT_FALSE(RealDisk().FlushFolder(game.dir() + "/User/Missing/Map.bit"));
}

// Wine prefixes and copied installs do not keep the case of these folders.
TEST(PosixDiskTest, FoldersAreFoundWhateverTheirCase) {
  struct Case {
    const char* data;
    const char* levels;
    GameChoice game;
  };
  const Case cases[] = {
      {"DATA", "user/savedlevels", GameChoice::Armageddon},
      {"Data", "USER/SavedLevels", GameChoice::WorldParty},
      {"data", "User/savedLevels", GameChoice::Armageddon},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.data) + " " + c.levels);
    GameFolder game;
    game.MakeFolder(c.data);
    game.MakeFolder(c.levels);
    const std::string source = SampleBytes(64);
    game.WriteFile(std::string(c.data) + "/current.thm", source);
    EXPECT_EQ(CaptureLastMap(game.dir(), c.game, "Map").outcome, CaptureOutcome::Created);
    EXPECT_EQ(game.ReadFile(std::string(c.levels) + "/Map.bit"), source.substr(4));
  }
}

TEST(PosixDiskTest, ExactCaseWinsOverAnotherCase) {
  GameFolder game;
  game.MakeFolder("DATA");
  game.MakeFolder("data");
  game.MakeFolder("User/SavedLevels");
  game.WriteFile("DATA/current.thm", SampleBytes(64, 1));
  game.WriteFile("data/current.thm", SampleBytes(64, 2));
  ASSERT_EQ(CaptureLastMap(game.dir(), GameChoice::WorldParty, "Map").outcome,
            CaptureOutcome::Created);
  EXPECT_EQ(game.ReadFile("User/SavedLevels/Map.bit"), SampleBytes(64, 2).substr(4));
}

}  // namespace
