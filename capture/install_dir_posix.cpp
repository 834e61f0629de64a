#include <unistd.h>

#include <string>

#include "capture/capture.h"

std::string InstallDir() {
  // /proc/self/exe names the program itself, wherever it was started from.
  std::string path(256, '\0');
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0) return ".";
    if (static_cast<std::size_t>(length) < path.size()) {
      path.resize(static_cast<std::size_t>(length));
      break;
    }
    path.resize(path.size() * 2);
  }
  // Backslash is an ordinary character in POSIX names, not a separator.
  return InstallDirFromExePath(path, false);
}
