#include <algorithm>

#include "capture/capture.h"

std::string InstallDirFromExePath(std::string exePath, bool backslashIsSeparator) {
  if (backslashIsSeparator) std::replace(exePath.begin(), exePath.end(), '\\', '/');
  const auto slash = exePath.rfind('/');
  if (slash == std::string::npos) return exePath;
  // A root keeps its separator: "/" and "C:/".
  std::string folder = exePath.substr(0, slash);
  const bool driveRoot = folder.size() == 2 && folder[1] == ':';
  if (folder.empty() || driveRoot) folder += '/';
  return folder;
}
