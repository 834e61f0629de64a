// What only Windows can do to a capture: wide paths, share modes, file
// attributes, device names and long paths.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "capture/disk_interface.h"
#include "tests/game_folder.h"

namespace {

const char kLevels[] = "User/SavedLevels";
const char kSource[] = "Data/current.thm";

std::wstring Wide(const std::string& utf8) { return Utf8Path(utf8).wstring(); }

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

// A file held open by someone else, as the game may hold current.thm.
class HeldFile {
 public:
  HeldFile(const std::filesystem::path& path, DWORD access, DWORD share)
      : handle_(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~HeldFile() {
    if (held()) CloseHandle(handle_);
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class Win32CaptureTest : public ::testing::Test {
 protected:
  void SetUp() override { game.LayOutGame(); }
  CaptureReport Capture(const std::string& name) {
    return CaptureLastMap(game.dir(), GameChoice::Armageddon, name);
  }
  GameFolder game;
};

TEST(Win32InstallDirTest, IsTheFolderOfThisProgram) {
  std::wstring module(32768, L'\0');
  module.resize(GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size())));
  ASSERT_FALSE(module.empty());
  const std::string expected = Utf8(std::filesystem::path(module).parent_path());

  const std::string dir = InstallDir();
  EXPECT_EQ(dir, expected);
  EXPECT_EQ(dir.find('\\'), std::string::npos) << dir;
  // Whatever folder this runs from, Unicode included, the program is found in it.
  const DWORD attributes = GetFileAttributesW(Wide(dir + "/capture_tests.exe").c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << dir;
}

TEST(Win32InstallDirTest, WindowsPathsBecomeSlashedFolders) {
  struct Case {
    const char* exePath;
    const char* installDir;
  };
  const Case cases[] = {
      {"C:\\Program Files (x86)\\Team17\\WA\\grablet.exe", "C:/Program Files (x86)/Team17/WA"},
      {"C:\\Игры\\Łódź\\grablet.exe", "C:/Игры/Łódź"},
      {"\\\\nas\\games\\WWP\\grablet.exe", "//nas/games/WWP"},
      {"D:\\grablet.exe", "D:/"},
  };
  for (const Case& c : cases) EXPECT_EQ(InstallDirFromExePath(c.exePath, true), c.installDir);
}

TEST_F(Win32CaptureTest, UnicodeInstallDirAndLevelNames) {
  const std::string root = "Worms Armageddon – Карта";
  game.MakeFolder(root + "/Data");
  game.MakeFolder(root + "/User/SavedLevels");
  const std::string source = SampleBytes(120, 7);
  game.WriteFile(root + "/Data/current.thm", source);
  for (const char* name : {"Карта", "Łódź", "島の地図", "Ñandú 🐛"}) {
    const CaptureReport report = CaptureLastMap(game.dir() + "/" + root, GameChoice::Armageddon, name);
    EXPECT_EQ(report.outcome, CaptureOutcome::Created) << name;
    EXPECT_EQ(report.prompt, std::string("Created ") + name + ".bit.");
    EXPECT_EQ(game.ReadFile(root + "/User/SavedLevels/" + name + ".bit"), source.substr(4)) << name;
  }
  EXPECT_EQ(game.List(root + "/User/SavedLevels"),
            "Ñandú 🐛.bit Łódź.bit Карта.bit 島の地図.bit");
}

// The game keeps current.thm open while it runs; reading must share with it.
// Only a holder that refuses all readers stops the capture.
TEST_F(Win32CaptureTest, SourceHeldOpenByTheGame) {
  struct Case {
    const char* holder;
    DWORD access, share;
    CaptureOutcome outcome;
  };
  const Case cases[] = {
      {"reading, sharing reads", GENERIC_READ, FILE_SHARE_READ, CaptureOutcome::Created},
      {"writing, sharing reads", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
       CaptureOutcome::Created},
      {"writing, sharing everything", GENERIC_READ | GENERIC_WRITE,
       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, CaptureOutcome::Created},
      {"writing, sharing nothing", GENERIC_READ | GENERIC_WRITE, 0,
       CaptureOutcome::SourceNotLocated},
  };
  const std::string source = SampleBytes(80, 3);
  game.WriteFile(kSource, source);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.holder);
    game.WriteFile("User/SavedLevels/Held.bit", "old");
    HeldFile held(game.Path(kSource), c.access, c.share);
    ASSERT_TRUE(held.held());
    EXPECT_EQ(Capture("Held").outcome, c.outcome);
    EXPECT_EQ(game.ReadFile("User/SavedLevels/Held.bit"),
              c.outcome == CaptureOutcome::Created ? source.substr(4) : "old");
    EXPECT_EQ(game.List(kLevels), "Held.bit");
  }
  EXPECT_EQ(game.ReadFile(kSource), source);
}

TEST_F(Win32CaptureTest, ReadOnlyLevelIsRefusedAndKept) {
  const std::string old = SampleBytes(70, 9);
  game.WriteFile("User/SavedLevels/Mine.bit", old);
  ASSERT_TRUE(SetFileAttributesW(game.Path("User/SavedLevels/Mine.bit").c_str(),
                                 FILE_ATTRIBUTE_READONLY));
  game.WriteFile(kSource, SampleBytes(60, 4));
  EXPECT_EQ(Capture("Mine").outcome, CaptureOutcome::TargetNotCreated);
  EXPECT_EQ(game.ReadFile("User/SavedLevels/Mine.bit"), old);
  EXPECT_EQ(game.List(kLevels), "Mine.bit");
  EXPECT_EQ(GetFileAttributesW(game.Path("User/SavedLevels/Mine.bit").c_str()) &
                FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

// Names that Windows takes for devices: the bytes would vanish into NUL or
// go to a port, and the player would be told "Created".
TEST_F(Win32CaptureTest, DeviceNamesAreNotCreated) {
  game.WriteFile(kSource, SampleBytes(64, 2));
  for (const char* name : {"NUL", "nul", "CON", "AUX", "COM1", "LPT1"}) {
    EXPECT_EQ(Capture(name).outcome, CaptureOutcome::TargetNotCreated) << name;
    EXPECT_EQ(game.List(kLevels), "") << name << ": nothing left behind";
  }
}

// The level is written beside the old one and moved over it in one step:
// whatever stops that step leaves the old level as it was.
TEST_F(Win32CaptureTest, OldLevelSurvivesAFailedReplace) {
  const std::string old = SampleBytes(200, 11);
  game.WriteFile("User/SavedLevels/Busy.bit", old);
  game.WriteFile(kSource, SampleBytes(90, 12));
  {
    // Open without FILE_SHARE_DELETE: Windows cannot replace it meanwhile.
    HeldFile held(game.Path("User/SavedLevels/Busy.bit"), GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(held.held());
    EXPECT_EQ(Capture("Busy").outcome, CaptureOutcome::TargetNotCreated);
  }
  EXPECT_EQ(game.ReadFile("User/SavedLevels/Busy.bit"), old);
  EXPECT_EQ(game.List(kLevels), "Busy.bit");

  // Once it is free again the same capture replaces it whole.
  EXPECT_EQ(Capture("Busy").outcome, CaptureOutcome::Created);
  EXPECT_EQ(game.ReadFile("User/SavedLevels/Busy.bit"), SampleBytes(90, 12).substr(4));
  EXPECT_EQ(game.List(kLevels), "Busy.bit");
}

TEST_F(Win32CaptureTest, FolderNamedLikeTheLevelIsKept) {
  game.MakeFolder("User/SavedLevels/Taken.bit");
  game.WriteFile("User/SavedLevels/Taken.bit/inside", "keep");
  game.WriteFile(kSource, SampleBytes(64, 5));
  EXPECT_EQ(Capture("Taken").outcome, CaptureOutcome::TargetNotCreated);
  EXPECT_EQ(game.ReadFile("User/SavedLevels/Taken.bit/inside"), "keep");
  EXPECT_EQ(game.List(kLevels), "Taken.bit");
}

// A name the wide API cannot say exactly must not become some other file.
TEST_F(Win32CaptureTest, NamesThatCannotBeConvertedAreNotCreated) {
  game.WriteFile(kSource, SampleBytes(64, 6));
  for (const std::string& name : {std::string("bad\xff"), std::string("half\xd0"),
                                  std::string("cut\0off", 7), std::string("\xed\xa0\x80")}) {
    EXPECT_EQ(Capture(name).outcome, CaptureOutcome::TargetNotCreated);
    EXPECT_EQ(game.List(kLevels), "");
  }
}

// On Windows a backslash in the name is a folder separator too.
TEST_F(Win32CaptureTest, BackslashInTheNameReachesASubfolder) {
  game.MakeFolder("User/SavedLevels/Mine");
  const std::string source = SampleBytes(64, 8);
  game.WriteFile(kSource, source);
  const CaptureReport report = Capture("Mine\\Island");
  EXPECT_EQ(report.outcome, CaptureOutcome::Created);
  EXPECT_EQ(report.prompt, "Created Mine\\Island.bit.");
  EXPECT_EQ(game.ReadFile("User/SavedLevels/Mine/Island.bit"), source.substr(4));
  EXPECT_EQ(game.List("User/SavedLevels/Mine"), "Island.bit");
  EXPECT_EQ(Capture("Missing\\Island").outcome, CaptureOutcome::TargetNotCreated);
}

// A game folder deeper than MAX_PATH, made with the long-path prefix
// because plain calls cannot reach it.
TEST_F(Win32CaptureTest, GameFolderDeeperThanMaxPath) {
  // Cleared here, deepest first: the fixture's own clean-up cannot reach this deep.
  struct DeepTree {
    std::vector<std::wstring> folders, files;
    ~DeepTree() {
      for (const std::wstring& file : files) DeleteFileW(file.c_str());
      for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        RemoveDirectoryW(folder->c_str());
    }
  } tree;
  std::string deep = game.dir();
  std::wstring wide = L"\\\\?\\" + std::filesystem::path(Wide(deep)).make_preferred().wstring();
  while (deep.size() < MAX_PATH + 40) {
    const std::string part(60, 'w');
    deep += "/" + part;
    wide += L"\\" + Wide(part);
    ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
    tree.folders.push_back(wide);
  }
  for (const wchar_t* folder : {L"\\Data", L"\\User", L"\\User\\SavedLevels"}) {
    ASSERT_TRUE(CreateDirectoryW((wide + folder).c_str(), nullptr));
    tree.folders.push_back(wide + folder);
  }
  tree.files = {wide + L"\\Data\\current.thm", wide + L"\\User\\SavedLevels\\Deep.bit"};
  const std::string source = SampleBytes(100, 13);
  {
    const HANDLE file = CreateFileW((wide + L"\\Data\\current.thm").c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, source.data(), static_cast<DWORD>(source.size()), &written, nullptr));
    CloseHandle(file);
  }
  ASSERT_EQ(CaptureLastMap(deep, GameChoice::Armageddon, "Deep").outcome, CaptureOutcome::Created);

  const HANDLE level = CreateFileW((wide + L"\\User\\SavedLevels\\Deep.bit").c_str(), GENERIC_READ,
                                   FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(level, INVALID_HANDLE_VALUE);
  std::string bytes(200, '\0');
  DWORD got = 0;
  ReadFile(level, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(level);
  bytes.resize(got);
  EXPECT_EQ(bytes, source.substr(4));
}

// The contract of each call, straight on the real disk.
TEST(Win32DiskTest, OpenForReadTakesOnlyDiskFiles) {
  GameFolder game;
  game.MakeFolder("folder");
  game.WriteFile("file", "12345");
  DiskInterface& disk = RealDisk();
  for (const std::string& path : {game.dir() + "/folder", game.dir() + "/missing",
                                  game.dir() + "/NUL", std::string("NUL"), std::string("CON"),
                                  std::string("\\\\.\\pipe\\grablet-none")}) {
    const FileHandle file = disk.OpenForRead(path);
    EXPECT_EQ(file, NoFile) << path;
    if (file != NoFile) disk.Close(file);
  }
  const FileHandle file = disk.OpenForRead(game.dir() + "\\file");
  ASSERT_NE(file, NoFile);
  std::uint64_t size = 0;
  EXPECT_TRUE(disk.Size(file, &size));
  EXPECT_EQ(size, 5u);
  char bytes[8] = {};
  EXPECT_TRUE(disk.Read(file, bytes, 3));
  EXPECT_EQ(std::string(bytes, 3), "123");
  EXPECT_FALSE(disk.Read(file, bytes, 3)) << "only two bytes were left";
  // Shows the flush reaches FlushFileBuffers, which refuses a handle it cannot write.
  EXPECT_FALSE(disk.Flush(file));
  EXPECT_TRUE(disk.Close(file));
}

TEST(Win32DiskTest, TempFilesAreNewAndBesideTheTarget) {
  GameFolder game;
  game.MakeFolder("Levels");
  DiskInterface& disk = RealDisk();
  std::string first, second;
  const FileHandle a = disk.CreateTempBeside(game.dir() + "/Levels/Map.bit", &first);
  const FileHandle b = disk.CreateTempBeside(game.dir() + "\\Levels\\Map.bit", &second);
  ASSERT_NE(a, NoFile);
  ASSERT_NE(b, NoFile);
  EXPECT_NE(first, second);
  EXPECT_TRUE(disk.Write(a, "abc", 3));
  EXPECT_TRUE(disk.Flush(a));
  EXPECT_TRUE(disk.Close(a));
  EXPECT_TRUE(disk.Close(b));
  const std::string both = game.List("Levels");
  EXPECT_EQ(std::count(both.begin(), both.end(), ' '), 1) << both;
  EXPECT_TRUE(disk.IsRegularFileOfSize(first, 3));
  EXPECT_FALSE(disk.IsRegularFileOfSize(first, 4));
  EXPECT_TRUE(disk.Replace(first, game.dir() + "/Levels/Map.bit"));
  EXPECT_TRUE(disk.Remove(second));
  EXPECT_EQ(game.List("Levels"), "Map.bit");
  EXPECT_EQ(game.ReadFile("Levels/Map.bit"), "abc");
  EXPECT_FALSE(disk.IsRegularFileOfSize(game.dir() + "/Levels", 0));
  EXPECT_FALSE(disk.IsRegularFileOfSize("NUL", 0));
  EXPECT_EQ(disk.CreateTempBeside(game.dir() + "/Missing/Map.bit", &first), NoFile);
}

}  // namespace
