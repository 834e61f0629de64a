// The few file-system calls a capture makes, so tests can make any of them
// fail and each platform can use its own API. Paths are UTF-8 with "/" as
// separator (Windows also takes "\").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

using FileHandle = std::intptr_t;
constexpr FileHandle NoFile = -1;

class DiskInterface {
 public:
  virtual ~DiskInterface() = default;

  // Opens an existing regular file for reading; anything else (missing,
  // a folder, a FIFO, a device) gives NoFile without blocking.
  virtual FileHandle OpenForRead(const std::string& path) = 0;
  // Current length of an open file.
  virtual bool Size(FileHandle file, std::uint64_t* size) = 0;
  // Reads exactly `size` bytes; a short read is a failure.
  virtual bool Read(FileHandle file, char* data, std::size_t size) = 0;
  // Closes a file opened here; false when the close reported an error.
  virtual bool Close(FileHandle file) = 0;

  // Creates a new, empty regular file in the folder that would hold
  // `beside`, under a name no other file has; its path goes to *tempPath.
  virtual FileHandle CreateTempBeside(const std::string& beside, std::string* tempPath) = 0;
  // Writes all `size` bytes.
  virtual bool Write(FileHandle file, const char* data, std::size_t size) = 0;
  // Returns once everything written to the file is on the device, so that
  // a power cut after it cannot take the data back.
  virtual bool Flush(FileHandle file) = 0;
  // Moves `from` over `to` in one step. A read-only `to` is refused.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  // Returns once the names in the folder that holds `path` (a move into it
  // among them) are on the device. Opens the folder itself, so call it with
  // no file open.
  virtual bool FlushFolder(const std::string& path) = 0;
  virtual bool Remove(const std::string& path) = 0;
  // True when `path` is a regular file (not a device) of exactly `size` bytes.
  virtual bool IsRegularFileOfSize(const std::string& path, std::uint64_t size) = 0;

  // The name under which folder `name` exists in `parent`. Where the file
  // system tells case apart, an exact match wins, then one that differs only
  // in case; with neither, `name` itself.
  virtual std::string FolderName(const std::string& parent, const std::string& name) = 0;
};

// The disk of the platform the program runs on.
DiskInterface& RealDisk();
