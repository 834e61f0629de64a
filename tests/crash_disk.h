// An in-memory disk that loses power, in the spirit of SQLite's crash tests:
// after the cut, whatever was not flushed may be gone.
//
// A file keeps its flushed bytes; of the bytes written after them it may keep
// any leading part, or zeros in their place. A folder comes back as it was at
// its last flush or after any number of its later changes, in their order
// (journaling file systems commit names in the order they change).
#pragma once

#include <climits>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "capture/disk_interface.h"

// Paths use "/"; folders are only those made with AddFolder.
class CrashDisk : public DiskInterface {
 public:
  // What was there before the program ran, all of it on the device.
  void AddFolder(const std::string& path);
  void AddFile(const std::string& path, const std::string& bytes);

  // The power fails once this many calls have run: every later call fails
  // and changes nothing.
  void CutPowerAfter(int calls) { cutAfter_ = calls; }
  int calls() const { return calls_; }

  // The program as it was before it flushed: Flush succeeds and keeps nothing.
  bool flushDoesNothing = false;
  // A device that refuses to flush folders.
  bool folderFlushFails = false;

  // Each state the disk may come back in after the cut: file path to bytes.
  using Image = std::map<std::string, std::string>;
  std::vector<Image> AfterPowerCut() const;

  FileHandle OpenForRead(const std::string& path) override;
  bool Size(FileHandle file, std::uint64_t* size) override;
  bool Read(FileHandle file, char* data, std::size_t size) override;
  bool Close(FileHandle file) override;
  FileHandle CreateTempBeside(const std::string& beside, std::string* tempPath) override;
  bool Write(FileHandle file, const char* data, std::size_t size) override;
  bool Flush(FileHandle file) override;
  bool Replace(const std::string& from, const std::string& to) override;
  bool FlushFolder(const std::string& path) override;
  bool Remove(const std::string& path) override;
  bool IsRegularFileOfSize(const std::string& path, std::uint64_t size) override;
  std::string FolderName(const std::string& parent, const std::string& name) override;

 private:
  struct Inode {
    std::string data;
    std::size_t flushed = 0;  // how many leading bytes are on the device
  };
  using Names = std::map<std::string, int>;  // file path to inode, within one folder
  struct Folder {
    Names flushed;
    std::vector<Names> changes;  // the folder after each later change, in order
    const Names& Now() const { return changes.empty() ? flushed : changes.back(); }
  };
  struct Open {
    int inode;
    std::size_t offset;
  };

  bool PowerOn();
  int Find(const std::string& path) const;
  Names& Change(const std::string& folder);
  Open* Handle(FileHandle file);

  std::vector<Inode> inodes_;
  std::map<std::string, Folder> folders_;
  std::map<FileHandle, Open> open_;
  FileHandle nextHandle_ = 1;
  unsigned tempCounter_ = 0;
  int calls_ = 0;
  int cutAfter_ = INT_MAX;
};
