#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "capture/capture.h"
#include "capture/utf16_win32.h"

namespace {

// The program's own path: grows the buffer, so a folder deeper than
// MAX_PATH still works. Empty when Windows cannot tell.
std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    // Paths cannot exceed 32767 characters; past that something is wrong.
    if (path.size() > 65536) return std::wstring();
    path.resize(path.size() * 2);
  }
  // Started through a "\\?\" path: keep the plain form. The prefix only
  // lifts the length limit, which the disk code adds back where needed.
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
  if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

}  // namespace

std::string InstallDir() {
  const std::string path = Utf8Of(ModulePath());
  // Like the POSIX side: with no path to go on, the current folder.
  if (path.empty()) return ".";
  return InstallDirFromExePath(path, true);
}
