// Windows file system through the wide API. Paths arrive as UTF-8 with "/"
// or "\" as separator and are turned into UTF-16 only here.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>
#include <string>

#include "capture/disk_interface.h"
#include "capture/utf16_win32.h"

namespace {

// Big enough for speed, small enough for any file system or network share.
constexpr DWORD kChunk = 1 << 20;

// The path as the wide API wants it: backslashes, absolute, and with the
// "\\?\" prefix when it is too long for the classic limit. The prefix turns
// off Windows' own clean-up of "." and "..", so GetFullPathNameW does it first.
bool Win32Path(const std::string& utf8, std::wstring* path) {
  std::wstring wide;
  // An embedded NUL would cut the name short and name some other file.
  if (utf8.find('\0') != std::string::npos || !Utf16Of(utf8, &wide) || wide.empty())
    return false;
  for (wchar_t& c : wide)
    if (c == L'/') c = L'\\';
  if (wide.rfind(L"\\\\?\\", 0) == 0) {
    *path = wide;
    return true;
  }
  DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  for (int attempt = 0; attempt < 3 && length > 0; ++attempt) {
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
    if (written == 0) return false;
    if (written < length) {
      full.resize(written);
      if (full.size() >= MAX_PATH) {
        if (full.rfind(L"\\\\.\\", 0) == 0) {
          // A device path stays as it is.
        } else if (full.rfind(L"\\\\", 0) == 0) {
          full = L"\\\\?\\UNC\\" + full.substr(2);
        } else {
          full = L"\\\\?\\" + full;
        }
      }
      *path = full;
      return true;
    }
    length = written;  // the current folder changed in between; try again
  }
  return false;
}

bool IsDiskFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

HANDLE HandleOf(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
FileHandle FileOf(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }

class Win32Disk : public DiskInterface {
 public:
  FileHandle OpenForRead(const std::string& path) override {
    std::wstring wide;
    if (!Win32Path(path, &wide)) return NoFile;
    // The game may hold current.thm open, even for writing; share everything.
    const HANDLE file =
        CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return NoFile;
    if (!IsDiskFile(file)) {
      CloseHandle(file);
      return NoFile;
    }
    return FileOf(file);
  }

  bool Size(FileHandle file, std::uint64_t* size) override {
    LARGE_INTEGER length;
    if (!GetFileSizeEx(HandleOf(file), &length) || length.QuadPart < 0) return false;
    *size = static_cast<std::uint64_t>(length.QuadPart);
    return true;
  }

  bool Read(FileHandle file, char* data, std::size_t size) override {
    while (size > 0) {
      const DWORD want = size < kChunk ? static_cast<DWORD>(size) : kChunk;
      DWORD got = 0;
      if (!ReadFile(HandleOf(file), data, want, &got, nullptr) || got == 0) return false;
      data += got;
      size -= got;
    }
    return true;
  }

  bool Close(FileHandle file) override { return CloseHandle(HandleOf(file)) != 0; }

  FileHandle CreateTempBeside(const std::string& beside, std::string* tempPath) override {
    const auto separator = beside.find_last_of("/\\");
    const std::string folder = separator == std::string::npos ? "." : beside.substr(0, separator);
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string candidate = folder + "/.grablet-" + std::to_string(GetCurrentProcessId()) +
                                    "-" + std::to_string(counter_++) + ".tmp";
      std::wstring wide;
      if (!Win32Path(candidate, &wide)) return NoFile;
      const HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
        return NoFile;
      }
      if (!IsDiskFile(file)) {
        // Not ours to delete: whatever answered is no file we made.
        CloseHandle(file);
        return NoFile;
      }
      *tempPath = candidate;
      return FileOf(file);
    }
    return NoFile;
  }

  bool Write(FileHandle file, const char* data, std::size_t size) override {
    while (size > 0) {
      const DWORD want = size < kChunk ? static_cast<DWORD>(size) : kChunk;
      DWORD put = 0;
      if (!WriteFile(HandleOf(file), data, want, &put, nullptr) || put == 0) return false;
      data += put;
      size -= put;
    }
    return true;
  }

  bool Flush(FileHandle file) override { return FlushFileBuffers(HandleOf(file)) != 0; }

  bool Replace(const std::string& from, const std::string& to) override {
    std::wstring wideFrom, wideTo;
    if (!Win32Path(from, &wideFrom) || !Win32Path(to, &wideTo)) return false;
    // A player who marked a level read-only means to keep it. Windows
    // refuses such a move itself, Wine does not, so ask first.
    const DWORD attributes = GetFileAttributesW(wideTo.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
      return false;
    // Windows refuses to replace a folder.
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }

  // MOVEFILE_WRITE_THROUGH returns only once the move is on the disk, so the
  // folder holds nothing more to flush.
  bool FlushFolder(const std::string&) override { return true; }

  bool Remove(const std::string& path) override {
    std::wstring wide;
    return Win32Path(path, &wide) && DeleteFileW(wide.c_str()) != 0;
  }

  bool IsRegularFileOfSize(const std::string& path, std::uint64_t size) override {
    std::wstring wide;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!Win32Path(path, &wide) || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
      return false;
    const std::uint64_t actual =
        (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0 &&
           actual == size;
  }

  // Windows finds "Data" and "data" alike.
  std::string FolderName(const std::string&, const std::string& name) override { return name; }

 private:
  std::atomic<unsigned> counter_{0};
};

}  // namespace

DiskInterface& RealDisk() {
  static Win32Disk disk;
  return disk;
}
