#include "tests/crash_disk.h"

#include <set>

namespace {

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Every way a file's unflushed bytes may come back: any leading part of
// them, or as many zeros.
std::vector<std::string> ContentsAfterCut(const std::string& data, std::size_t flushed) {
  std::vector<std::string> contents;
  for (std::size_t kept = flushed; kept <= data.size(); ++kept)
    contents.push_back(data.substr(0, kept));
  if (flushed < data.size())
    contents.push_back(data.substr(0, flushed) + std::string(data.size() - flushed, '\0'));
  return contents;
}

}  // namespace

void CrashDisk::AddFolder(const std::string& path) { folders_[path]; }

void CrashDisk::AddFile(const std::string& path, const std::string& bytes) {
  inodes_.push_back({bytes, bytes.size()});
  folders_.at(FolderOf(path)).flushed[path] = static_cast<int>(inodes_.size() - 1);
}

bool CrashDisk::PowerOn() {
  if (calls_ >= cutAfter_) return false;
  ++calls_;
  return true;
}

int CrashDisk::Find(const std::string& path) const {
  const auto folder = folders_.find(FolderOf(path));
  if (folder == folders_.end()) return -1;
  const Names& names = folder->second.Now();
  const auto name = names.find(path);
  return name == names.end() ? -1 : name->second;
}

CrashDisk::Names& CrashDisk::Change(const std::string& folder) {
  Folder& changed = folders_.at(folder);
  changed.changes.push_back(changed.Now());
  return changed.changes.back();
}

CrashDisk::Open* CrashDisk::Handle(FileHandle file) {
  const auto open = open_.find(file);
  return open == open_.end() ? nullptr : &open->second;
}

FileHandle CrashDisk::OpenForRead(const std::string& path) {
  if (!PowerOn()) return NoFile;
  const int inode = Find(path);
  if (inode < 0) return NoFile;
  open_[nextHandle_] = {inode, 0};
  return nextHandle_++;
}

bool CrashDisk::Size(FileHandle file, std::uint64_t* size) {
  Open* open = Handle(file);
  if (!PowerOn() || !open) return false;
  *size = inodes_[open->inode].data.size();
  return true;
}

bool CrashDisk::Read(FileHandle file, char* data, std::size_t size) {
  Open* open = Handle(file);
  if (!PowerOn() || !open) return false;
  const std::string& bytes = inodes_[open->inode].data;
  if (bytes.size() - open->offset < size) return false;
  bytes.copy(data, size, open->offset);
  open->offset += size;
  return true;
}

bool CrashDisk::Close(FileHandle file) {
  const bool closed = open_.erase(file) == 1;
  return PowerOn() && closed;
}

FileHandle CrashDisk::CreateTempBeside(const std::string& beside, std::string* tempPath) {
  const std::string folder = FolderOf(beside);
  if (!PowerOn() || !folders_.count(folder)) return NoFile;
  *tempPath = folder + "/.grablet-" + std::to_string(tempCounter_++) + ".tmp";
  inodes_.push_back({});
  const int inode = static_cast<int>(inodes_.size() - 1);
  Change(folder)[*tempPath] = inode;
  open_[nextHandle_] = {inode, 0};
  return nextHandle_++;
}

bool CrashDisk::Write(FileHandle file, const char* data, std::size_t size) {
  Open* open = Handle(file);
  if (!PowerOn() || !open) return false;
  inodes_[open->inode].data.append(data, size);
  return true;
}

bool CrashDisk::Flush(FileHandle file) {
  Open* open = Handle(file);
  if (!PowerOn() || !open) return false;
  Inode& inode = inodes_[open->inode];
  if (!flushDoesNothing) inode.flushed = inode.data.size();
  return true;
}

bool CrashDisk::Replace(const std::string& from, const std::string& to) {
  const int inode = Find(from);
  if (!PowerOn() || inode < 0 || !folders_.count(FolderOf(to)) || folders_.count(to)) return false;
  // One change where both names share a folder: the move is atomic.
  Names& target = Change(FolderOf(to));
  target[to] = inode;
  if (FolderOf(from) == FolderOf(to))
    target.erase(from);
  else
    Change(FolderOf(from)).erase(from);
  return true;
}

bool CrashDisk::FlushFolder(const std::string& path) {
  const auto folder = folders_.find(FolderOf(path));
  if (!PowerOn() || folder == folders_.end() || folderFlushFails) return false;
  folder->second.flushed = folder->second.Now();
  folder->second.changes.clear();
  return true;
}

bool CrashDisk::Remove(const std::string& path) {
  if (!PowerOn() || Find(path) < 0) return false;
  Change(FolderOf(path)).erase(path);
  return true;
}

bool CrashDisk::IsRegularFileOfSize(const std::string& path, std::uint64_t size) {
  const int inode = Find(path);
  return PowerOn() && inode >= 0 && inodes_[inode].data.size() == size;
}

std::string CrashDisk::FolderName(const std::string&, const std::string& name) {
  PowerOn();
  return name;
}

std::vector<CrashDisk::Image> CrashDisk::AfterPowerCut() const {
  // Each folder independently at its last flush or after any of its changes.
  std::vector<Names> namings(1);
  for (const auto& [path, folder] : folders_) {
    std::vector<const Names*> states{&folder.flushed};
    for (const Names& change : folder.changes) states.push_back(&change);
    std::vector<Names> more;
    for (const Names& naming : namings)
      for (const Names* state : states) {
        Names merged = naming;
        merged.insert(state->begin(), state->end());
        more.push_back(merged);
      }
    namings.swap(more);
  }
  std::vector<Image> images;
  for (const Names& naming : namings) {
    std::set<int> named;
    for (const auto& [path, inode] : naming) named.insert(inode);
    // Each named file independently in each of its states.
    std::vector<std::map<int, std::string>> contents(1);
    for (const int inode : named) {
      std::vector<std::map<int, std::string>> more;
      for (const std::string& content : ContentsAfterCut(inodes_[inode].data, inodes_[inode].flushed))
        for (std::map<int, std::string> chosen : contents) {
          chosen[inode] = content;
          more.push_back(std::move(chosen));
        }
      contents.swap(more);
    }
    for (const auto& chosen : contents) {
      Image image;
      for (const auto& [path, inode] : naming) image[path] = chosen.at(inode);
      images.push_back(std::move(image));
    }
  }
  return images;
}
