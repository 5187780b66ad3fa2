#include "platform/sim/sim_files.h"

#include <algorithm>
#include <utility>

#include "platform/sim/sim_text.h"
#include "platform/wildcard.h"

namespace pelkrin::sim {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string PathKey(const std::string& path) {
  std::string key = LowerAscii(path);
  std::replace(key.begin(), key.end(), '/', '\\');
  return key;
}

std::string FolderOf(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string NameOf(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool SimFileSystem::IsValidPath(const std::string& path) {
  if (path.empty() || path.size() >= 32767 || IsSeparator(path.back())) return false;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c < 32) return false;
    switch (c) {
      case '<':
      case '>':
      case '"':
      case '|':
      case '?':
      case '*':
        return false;
      case ':':
        // Only the drive letter's colon.
        if (i != 1 || !((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
          return false;
        break;
      default:
        break;
    }
  }
  return true;
}

std::optional<FileContents> SimFileSystem::ReadFile(const std::string& path) {
  if (!IsValidPath(path)) return std::nullopt;
  const std::string key = PathKey(path);
  const File* file = PlainFile(key);
  if (file == nullptr) return std::nullopt;
  std::size_t readable = read_limit_;
  const auto failure = fail_reads_after_.find(key);
  if (failure != fail_reads_after_.end()) readable = std::min(readable, failure->second);
  const std::string& bytes = file->bytes;
  if (bytes.size() <= readable) return FileContents{bytes, true};
  return FileContents{bytes.substr(0, readable), false};
}

const SimFileSystem::File* SimFileSystem::PlainFile(const std::string& key) const {
  const auto file = files_.find(key);
  return file == files_.end() || file->second.link ? nullptr : &file->second;
}

bool SimFileSystem::FolderExists(const std::string& folder_key) const {
  // A drive's root always exists.
  if (folder_key.size() == 2 && folder_key[1] == ':') return true;
  const std::string inside = folder_key + '\\';
  const auto lies_inside = [&](const std::string& key) {
    return key == folder_key || key.compare(0, inside.size(), inside) == 0;
  };
  if (std::any_of(folders_.begin(), folders_.end(), lies_inside)) return true;
  return std::any_of(files_.begin(), files_.end(), [&](const auto& entry) {
    return entry.first.compare(0, inside.size(), inside) == 0;
  });
}

bool SimFileSystem::ReplaceFile(const std::string& path, const std::string& bytes) {
  const std::string key = PathKey(path);
  ++write_counts_[key];
  if (!IsValidPath(path) || IsReadOnly(path)) return false;
  // A full disk breaks the temporary file off part-way; it is deleted and the old file stays.
  if (TakeWriteFailure(bytes.size())) return false;
  files_[key] = File{path, bytes};
  return true;
}

bool SimFileSystem::WriteInPlace(const std::string& path, const std::string& bytes) {
  const std::string key = PathKey(path);
  ++write_counts_[key];
  if (!IsValidPath(path) || IsReadOnly(path)) return false;
  auto existing = files_.find(key);
  const std::string name = existing != files_.end() ? existing->second.name : path;
  if (const auto fits = TakeWriteFailure(bytes.size())) {
    files_[key] = File{name, bytes.substr(0, *fits)};
    return false;
  }
  files_[key] = File{name, bytes};
  return true;
}

std::optional<std::vector<std::string>> SimFileSystem::ListFiles(const std::string& folder,
                                                                 const std::string& pattern) {
  std::string folder_key = PathKey(folder);
  while (!folder_key.empty() && folder_key.back() == '\\') folder_key.pop_back();
  if (!IsValidPath(folder_key)) return std::nullopt;
  if (files_.count(folder_key) != 0 || !FolderExists(folder_key) ||
      std::count(unlistable_folders_.begin(), unlistable_folders_.end(), folder_key) != 0)
    return std::nullopt;
  std::vector<std::string> names;
  for (const auto& [key, file] : files_) {
    // Files in folders below are not listed; those folders themselves are not files.
    if (file.link || FolderOf(key) != folder_key) continue;
    std::string name = NameOf(file.name);
    if (MatchesWildcard(name, pattern)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return LessNoCase(a, b); });
  return names;
}

bool SimFileSystem::DeleteFile(const std::string& path) {
  if (!IsValidPath(path) || IsReadOnly(path)) return false;
  const std::string key = PathKey(path);
  if (PlainFile(key) == nullptr || std::count(in_use_.begin(), in_use_.end(), key) != 0)
    return false;
  return files_.erase(key) == 1;
}

void SimFileSystem::MakeFolder(const std::string& path) {
  std::string key = PathKey(path);
  while (!key.empty() && key.back() == '\\') key.pop_back();
  if (std::count(folders_.begin(), folders_.end(), key) == 0) folders_.push_back(key);
}

void SimFileSystem::RemoveFolder(const std::string& path) {
  std::string key = PathKey(path);
  while (!key.empty() && key.back() == '\\') key.pop_back();
  const std::string inside = key + '\\';
  const auto lies_inside = [&](const std::string& k) {
    return k == key || k.compare(0, inside.size(), inside) == 0;
  };
  std::erase_if(folders_, lies_inside);
  std::erase_if(files_, [&](const auto& entry) { return lies_inside(entry.first); });
}

void SimFileSystem::PutLink(const std::string& path) {
  files_[PathKey(path)] = File{path, {}, true};
}

void SimFileSystem::SetInUse(const std::string& path, bool in_use) {
  const std::string key = PathKey(path);
  std::erase(in_use_, key);
  if (in_use) in_use_.push_back(key);
}

void SimFileSystem::Put(const std::string& path, std::string bytes) {
  files_[PathKey(path)] = File{path, std::move(bytes)};
}

std::optional<std::string> SimFileSystem::Bytes(const std::string& path) const {
  const auto file = files_.find(PathKey(path));
  if (file == files_.end()) return std::nullopt;
  return file->second.bytes;
}

bool SimFileSystem::Exists(const std::string& path) const {
  return files_.count(PathKey(path)) != 0;
}

void SimFileSystem::Remove(const std::string& path) { files_.erase(PathKey(path)); }

std::vector<std::string> SimFileSystem::Paths() const {
  std::vector<std::string> paths;
  for (const auto& entry : files_) paths.push_back(entry.second.name);
  std::sort(paths.begin(), paths.end(),
            [](const std::string& a, const std::string& b) { return LessNoCase(a, b); });
  return paths;
}

namespace {

// Puts the folder into `folders`, or takes it out.
void MarkFolder(std::vector<std::string>& folders, const std::string& folder, bool marked) {
  std::string key = PathKey(folder);
  while (!key.empty() && key.back() == '\\') key.pop_back();
  std::erase(folders, key);
  if (marked) folders.push_back(key);
}

}  // namespace

void SimFileSystem::SetReadOnlyFolder(const std::string& folder, bool read_only) {
  MarkFolder(read_only_folders_, folder, read_only);
}

void SimFileSystem::SetUnlistableFolder(const std::string& folder, bool unlistable) {
  MarkFolder(unlistable_folders_, folder, unlistable);
}

void SimFileSystem::FailWritesAfter(std::size_t bytes) { fail_writes_after_ = bytes; }

void SimFileSystem::FailReadsAfter(const std::string& path, std::size_t bytes) {
  fail_reads_after_[PathKey(path)] = bytes;
}

void SimFileSystem::StopFailingReads(const std::string& path) {
  fail_reads_after_.erase(PathKey(path));
}

int SimFileSystem::WriteCount(const std::string& path) const {
  const auto count = write_counts_.find(PathKey(path));
  return count == write_counts_.end() ? 0 : count->second;
}

bool SimFileSystem::IsReadOnly(const std::string& path) const {
  const std::string folder = PathKey(FolderOf(path));
  for (const std::string& read_only : read_only_folders_) {
    if (folder == read_only) return true;
    if (folder.size() > read_only.size() && folder.compare(0, read_only.size(), read_only) == 0 &&
        folder[read_only.size()] == '\\')
      return true;
  }
  return false;
}

std::optional<std::size_t> SimFileSystem::TakeWriteFailure(std::size_t size) {
  if (!fail_writes_after_ || size <= *fail_writes_after_) return std::nullopt;
  return std::exchange(fail_writes_after_, std::nullopt);
}

}  // namespace pelkrin::sim
