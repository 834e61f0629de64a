// POSIX file system. Paths are bytes; UTF-8 passes through unchanged.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <strings.h>

#include <atomic>
#include <climits>
#include <string>

#include "capture/disk_interface.h"

namespace {

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool CaseInsensitiveEqual(const std::string& a, const char* b) {
  return strcasecmp(a.c_str(), b) == 0;
}

class PosixDisk : public DiskInterface {
 public:
  FileHandle OpenForRead(const std::string& path) override {
    // Non-blocking, so that a FIFO named current.thm cannot hang us.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return NoFile;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      close(fd);
      return NoFile;
    }
    return fd;
  }

  bool Size(FileHandle file, std::uint64_t* size) override {
    struct stat st;
    if (fstat(static_cast<int>(file), &st) != 0) return false;
    *size = static_cast<std::uint64_t>(st.st_size);
    return true;
  }

  bool Read(FileHandle file, char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t got = read(static_cast<int>(file), data, size < SSIZE_MAX ? size : SSIZE_MAX);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      data += got;
      size -= static_cast<std::size_t>(got);
    }
    return true;
  }

  bool Close(FileHandle file) override {
    // Linux closes the descriptor even when close() reports an error, so no retry.
    return close(static_cast<int>(file)) == 0;
  }

  FileHandle CreateTempBeside(const std::string& beside, std::string* tempPath) override {
    const std::string folder = FolderOf(beside);
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string candidate = folder + "/.grablet-" + std::to_string(getpid()) + "-" +
                                    std::to_string(counter_++) + ".tmp";
      const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) {
        *tempPath = candidate;
        return fd;
      }
      if (errno != EEXIST) return NoFile;
    }
    return NoFile;
  }

  bool Write(FileHandle file, const char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t put = write(static_cast<int>(file), data, size < SSIZE_MAX ? size : SSIZE_MAX);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      data += put;
      size -= static_cast<std::size_t>(put);
    }
    return true;
  }

  bool Flush(FileHandle file) override { return fsync(static_cast<int>(file)) == 0; }

  bool Replace(const std::string& from, const std::string& to) override {
    // rename() would replace a file without write permission; Windows would
    // refuse, and a player who marked a level read-only means to keep it.
    struct stat st;
    if (lstat(to.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
      return false;
    return rename(from.c_str(), to.c_str()) == 0;
  }

  // The rename lives in the folder's own data, which fsync on the file does
  // not cover.
  bool FlushFolder(const std::string& path) override {
    const int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = fsync(fd) == 0;
    return close(fd) == 0 && flushed;
  }

  bool Remove(const std::string& path) override { return unlink(path.c_str()) == 0; }

  bool IsRegularFileOfSize(const std::string& path, std::uint64_t size) override {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           static_cast<std::uint64_t>(st.st_size) == size;
  }

  std::string FolderName(const std::string& parent, const std::string& name) override {
    struct stat st;
    if (stat((parent + "/" + name).c_str(), &st) == 0) return name;
    DIR* dir = opendir(parent.empty() ? "/" : parent.c_str());
    if (!dir) return name;
    // Sorted pick, so the same tree always gives the same folder.
    std::string found;
    while (const dirent* entry = readdir(dir)) {
      const std::string candidate = entry->d_name;
      if (CaseInsensitiveEqual(candidate, name.c_str()) && (found.empty() || candidate < found) &&
          stat((parent + "/" + candidate).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        found = candidate;
    }
    closedir(dir);
    return found.empty() ? name : found;
  }

 private:
  std::atomic<unsigned> counter_{0};
};

}  // namespace

DiskInterface& RealDisk() {
  static PosixDisk disk;
  return disk;
}
