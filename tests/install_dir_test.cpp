#include <gtest/gtest.h>

#include "capture/capture.h"

namespace {

TEST(InstallDirTest, FolderOfTheExecutable) {
  struct Case {
    const char* exePath;
    bool backslashIsSeparator;
    const char* installDir;
  };
  const Case cases[] = {
      {"C:\\Games\\Worms Armageddon\\grablet.exe", true, "C:/Games/Worms Armageddon"},
      {"C:\\grablet.exe", true, "C:/"},
      {"D:/Mixed\\Separators/WWP\\grablet.exe", true, "D:/Mixed/Separators/WWP"},
      {"\\\\server\\share\\WA\\grablet.exe", true, "//server/share/WA"},
      {"/home/player/.wine/drive_c/WA/grablet", false, "/home/player/.wine/drive_c/WA"},
      {"/grablet", false, "/"},
      // On POSIX a backslash is part of a name, not a separator.
      {"/games/odd\\name/grablet", false, "/games/odd\\name"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(InstallDirFromExePath(c.exePath, c.backslashIsSeparator), c.installDir)
        << c.exePath;
}

TEST(InstallDirTest, InstallDirHasNoBackslashOrTrailingSeparator) {
  const std::string dir = InstallDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(dir.size() == 1 || dir.back() != '/' || dir.ends_with(":/")) << dir;
}

}  // namespace
