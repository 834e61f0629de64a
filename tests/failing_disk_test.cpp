// Each file-system step failed in turn: the right report, no handle left
// open, an old level untouched and no temporary file left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>

#include "capture/capture.h"
#include "capture/disk_interface.h"
#include "tests/game_folder.h"

namespace {

enum class Step {
  None, OpenForRead, Size, SizeAfterRead, Read, CloseSource, CreateTemp, Write, Flush,
  CloseTarget, Replace, FlushFolder, Verify, HugeSize, SizeChanges
};

// The real disk, with one chosen step failing and every handle counted.
class FailingDisk : public DiskInterface {
 public:
  explicit FailingDisk(Step failing) : failing_(failing) {}

  std::set<FileHandle> open;
  int maxOpen = 0;

  FileHandle OpenForRead(const std::string& path) override {
    if (failing_ == Step::OpenForRead) return NoFile;
    return Track(real_.OpenForRead(path));
  }
  bool Size(FileHandle file, std::uint64_t* size) override {
    const bool after = sized_++ > 0;
    if (failing_ == (after ? Step::SizeAfterRead : Step::Size)) return false;
    if (!real_.Size(file, size)) return false;
    if (failing_ == Step::HugeSize) *size = UINT64_MAX / 2;
    if (failing_ == Step::SizeChanges && after) *size += 1;
    return true;
  }
  bool Read(FileHandle file, char* data, std::size_t size) override {
    return failing_ != Step::Read && real_.Read(file, data, size);
  }
  bool Close(FileHandle file) override {
    const bool target = file == temp_;
    open.erase(file);
    const bool closed = real_.Close(file);  // closed for real even when reported as failed
    return closed && failing_ != (target ? Step::CloseTarget : Step::CloseSource);
  }
  FileHandle CreateTempBeside(const std::string& beside, std::string* tempPath) override {
    if (failing_ == Step::CreateTemp) return NoFile;
    return temp_ = Track(real_.CreateTempBeside(beside, tempPath));
  }
  bool Write(FileHandle file, const char* data, std::size_t size) override {
    // A disk that fills up part-way: half the bytes land, then an error.
    if (failing_ == Step::Write) {
      real_.Write(file, data, size / 2);
      return false;
    }
    return real_.Write(file, data, size);
  }
  bool Flush(FileHandle file) override { return failing_ != Step::Flush && real_.Flush(file); }
  bool Replace(const std::string& from, const std::string& to) override {
    return failing_ != Step::Replace && real_.Replace(from, to);
  }
  bool FlushFolder(const std::string& path) override {
    // The folder is opened to be flushed, so it counts as an open file.
    maxOpen = std::max(maxOpen, static_cast<int>(open.size()) + 1);
    return failing_ != Step::FlushFolder && real_.FlushFolder(path);
  }
  bool Remove(const std::string& path) override { return real_.Remove(path); }
  bool IsRegularFileOfSize(const std::string& path, std::uint64_t size) override {
    return failing_ != Step::Verify && real_.IsRegularFileOfSize(path, size);
  }
  std::string FolderName(const std::string& parent, const std::string& name) override {
    return real_.FolderName(parent, name);
  }

 private:
  FileHandle Track(FileHandle file) {
    if (file != NoFile) open.insert(file);
    maxOpen = std::max(maxOpen, static_cast<int>(open.size()));
    return file;
  }

  DiskInterface& real_ = RealDisk();
  Step failing_;
  int sized_ = 0;
  FileHandle temp_ = NoFile;
};

TEST(FailingDiskTest, EveryStepFailsIntoItsOwnReport) {
  struct Case {
    Step step;
    CaptureOutcome outcome;
    const char* name;
  };
  const Case cases[] = {
      {Step::None, CaptureOutcome::Created, "nothing"},
      {Step::OpenForRead, CaptureOutcome::SourceNotLocated, "opening the source"},
      {Step::Size, CaptureOutcome::SourceNotLocated, "sizing the source"},
      {Step::HugeSize, CaptureOutcome::SourceNotLocated, "holding the source in memory"},
      {Step::Read, CaptureOutcome::SourceNotLocated, "reading the source"},
      {Step::SizeAfterRead, CaptureOutcome::SourceNotLocated, "sizing after the read"},
      {Step::SizeChanges, CaptureOutcome::SourceNotLocated, "a source that grows while read"},
      {Step::CloseSource, CaptureOutcome::SourceNotLocated, "closing the source"},
      {Step::CreateTemp, CaptureOutcome::TargetNotCreated, "creating the target"},
      {Step::Write, CaptureOutcome::TargetNotCreated, "writing the target"},
      {Step::Flush, CaptureOutcome::TargetNotCreated, "putting the target on the device"},
      {Step::CloseTarget, CaptureOutcome::TargetNotCreated, "closing the target"},
      {Step::Replace, CaptureOutcome::TargetNotCreated, "moving the target into place"},
      // The level is complete and on the device; only its name may not survive a power cut.
      {Step::FlushFolder, CaptureOutcome::Created, "putting the new name on the device"},
      {Step::Verify, CaptureOutcome::TargetNotCreated, "finding a real file afterwards"},
  };
  const std::string source = SampleBytes(4096, 11), old = SampleBytes(9000, 12);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder game;
    game.LayOutGame();
    game.WriteFile("Data/current.thm", source);
    game.WriteFile("User/SavedLevels/Old.bit", old);
    FailingDisk disk(c.step);

    const CaptureReport report = CaptureLastMap(disk, game.dir(), GameChoice::Armageddon, "Old");

    EXPECT_EQ(report.outcome, c.outcome);
    EXPECT_TRUE(disk.open.empty()) << "a handle was left open";
    EXPECT_LE(disk.maxOpen, 1) << "more than one file was open at once";
    EXPECT_EQ(game.ReadFile("Data/current.thm"), source);
    // Only the steps after the move see the new level.
    const bool replaced =
        c.step == Step::None || c.step == Step::FlushFolder || c.step == Step::Verify;
    EXPECT_EQ(game.ReadFile("User/SavedLevels/Old.bit"), replaced ? source.substr(4) : old);
    EXPECT_EQ(game.List("User/SavedLevels"), "Old.bit");
  }
}

}  // namespace
