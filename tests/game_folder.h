// A throwaway game folder on the real disk, laid out file by file per test.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// Paths in tests are UTF-8, as in the program.
std::filesystem::path Utf8Path(const std::string& utf8);

class GameFolder {
 public:
  GameFolder();
  ~GameFolder();
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;

  // The folder as the capture is given it: UTF-8, "/" separators.
  const std::string& dir() const { return dir_; }
  std::filesystem::path Path(const std::string& relative) const;

  void MakeFolder(const std::string& relative) const;
  void WriteFile(const std::string& relative, const std::string& bytes) const;
  std::optional<std::string> ReadFile(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  // Names of everything directly in a folder, sorted.
  std::string List(const std::string& relative) const;

  // The usual game: Data/, data/ and User/SavedLevels/, with no current.thm.
  void LayOutGame() const;

 private:
  std::string dir_;
};

// `size` bytes that differ from position to position and from seed to seed.
std::string SampleBytes(std::size_t size, std::uint32_t seed = 1);

// True where "a" and "A" name the same file (Windows, macOS).
bool FileSystemIgnoresCase(const GameFolder& folder);
