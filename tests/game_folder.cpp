#include "tests/game_folder.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

fs::path Utf8Path(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

namespace {

std::string Utf8Of(const fs::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

GameFolder::GameFolder() {
  static std::mt19937 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate =
        fs::temp_directory_path() / ("grablet-test-" + std::to_string(random()));
    if (fs::create_directory(candidate)) {
      dir_ = Utf8Of(fs::canonical(candidate));
      return;
    }
  }
  throw std::runtime_error("no temporary folder");
}

GameFolder::~GameFolder() {
  std::error_code ignored;
  // Read-only files must not stop the clean-up; nor may a throwing
  // iterator end the whole test run from a destructor.
  fs::recursive_directory_iterator it(Utf8Path(dir_), ignored), end;
  for (; !ignored && it != end; it.increment(ignored))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(Utf8Path(dir_), ignored);
}

fs::path GameFolder::Path(const std::string& relative) const {
  return Utf8Path(dir_ + "/" + relative);
}

void GameFolder::MakeFolder(const std::string& relative) const {
  fs::create_directories(Path(relative));
}

void GameFolder::WriteFile(const std::string& relative, const std::string& bytes) const {
  std::ofstream out(Path(relative), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + relative);
}

std::optional<std::string> GameFolder::ReadFile(const std::string& relative) const {
  std::ifstream in(Path(relative), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool GameFolder::Exists(const std::string& relative) const {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(Path(relative), ignored));
}

std::string GameFolder::List(const std::string& relative) const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Path(relative)))
    names.push_back(Utf8Of(entry.path().filename()));
  std::sort(names.begin(), names.end());
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : " ") + name;
  return list;
}

void GameFolder::LayOutGame() const {
  MakeFolder("Data");
  if (!Exists("data")) MakeFolder("data");
  MakeFolder("User/SavedLevels");
}

std::string SampleBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  return bytes;
}

bool FileSystemIgnoresCase(const GameFolder& folder) {
  folder.WriteFile("case-probe", "");
  const bool ignores = folder.Exists("CASE-PROBE");
  fs::remove(folder.Path("case-probe"));
  return ignores;
}
