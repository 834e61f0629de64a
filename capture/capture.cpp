#include "capture/capture.h"

#include <cstdint>

#include "capture/disk_interface.h"
#include "capture/source_buffer.h"

namespace {

// Closes on every path out, so a failure never leaks a handle.
class OpenFile {
 public:
  OpenFile(DiskInterface& disk, FileHandle file) : disk_(disk), file_(file) {}
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() { Close(); }

  FileHandle get() const { return file_; }
  bool Close() {
    if (file_ == NoFile) return true;
    const FileHandle file = file_;
    file_ = NoFile;
    return disk_.Close(file);
  }

 private:
  DiskInterface& disk_;
  FileHandle file_;
};

const char* DataFolder(GameChoice game) {
  return game == GameChoice::WorldParty ? "data" : "Data";
}

// Reads the whole file and closes it before anything is judged, so that
// only one file is ever open.
bool ReadSource(DiskInterface& disk, const std::string& path, SourceBuffer* source) {
  OpenFile file(disk, disk.OpenForRead(path));
  if (file.get() == NoFile) return false;
  std::uint64_t size = 0;
  if (!disk.Size(file.get(), &size) || size == 0 || size > SIZE_MAX) return false;
  if (!source->Allocate(static_cast<std::size_t>(size)) ||
      !disk.Read(file.get(), source->data(), source->size()))
    return false;
  // The game may rewrite the file under us; a torn copy is not the map.
  std::uint64_t sizeAfter = 0;
  if (!disk.Size(file.get(), &sizeAfter) || sizeAfter != size) return false;
  return file.Close();
}

// Writes the level beside the target, puts it on the device and only then
// moves it over the target in one step: a failure part-way, or a power cut
// at any moment, leaves any earlier level of that name whole.
bool WriteLevel(DiskInterface& disk, const std::string& path, const char* level,
                std::size_t size) {
  std::string tempPath;
  OpenFile file(disk, disk.CreateTempBeside(path, &tempPath));
  if (file.get() == NoFile) return false;
  const bool written = disk.Write(file.get(), level, size) && disk.Flush(file.get()) &&
                       file.Close() && disk.Replace(tempPath, path);
  if (!written) {
    file.Close();
    disk.Remove(tempPath);
    return false;
  }
  // Makes the new name durable too. A failure here is no failed capture: the
  // level is there, complete and already on the device, and after a power cut
  // the name holds either it or the earlier level, never a torn file.
  disk.FlushFolder(path);
  // A device name such as NUL swallows the bytes; only a real file counts.
  return disk.IsRegularFileOfSize(path, size);
}

}  // namespace

CaptureReport CaptureLastMap(DiskInterface& disk, const std::string& installDir,
                             GameChoice game, const std::string& levelName) {
  // Out of memory while building a path fails the phase it happens in.
  CaptureOutcome failure = CaptureOutcome::SourceNotLocated;
  try {
    const std::string sourcePath =
        installDir + "/" + disk.FolderName(installDir, DataFolder(game)) + "/current.thm";
    SourceBuffer source;
    if (!ReadSource(disk, sourcePath, &source)) return ReportFor(failure, levelName);
    if (source.size() < MinSourceLength) return ReportFor(CaptureOutcome::SourceInvalid, levelName);

    failure = CaptureOutcome::TargetNotCreated;
    const std::string user = installDir + "/" + disk.FolderName(installDir, "User");
    const std::string levels = user + "/" + disk.FolderName(user, "SavedLevels");
    const std::string targetPath = levels + "/" + levelName + ".bit";
    const std::size_t levelSize = source.size() - SourcePrefixLength;
    if (!WriteLevel(disk, targetPath, source.data() + SourcePrefixLength, levelSize))
      return ReportFor(failure, levelName);
    return ReportFor(CaptureOutcome::Created, levelName);
  } catch (...) {
    return ReportFor(failure, levelName);
  }
}

CaptureReport CaptureLastMap(const std::string& installDir, GameChoice game,
                             const std::string& levelName) {
  return CaptureLastMap(RealDisk(), installDir, game, levelName);
}
