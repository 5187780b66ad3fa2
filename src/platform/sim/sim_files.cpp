#include "platform/sim/sim_files.h"

#include <algorithm>
#include <utility>

#include "platform/sim/sim_text.h"

namespace pelkrin::sim {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool MatchesFrom(std::string_view name, std::string_view pattern) {
  // Classic greedy matcher with one backtrack point for the last '*'.
  std::size_t n = 0, p = 0;
  std::size_t star = std::string_view::npos, star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_n = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  if (MatchesFrom(name, pattern)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos)
    return MatchesFrom(name, pattern.substr(0, pattern.size() - 2));
  return false;
}

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
  const auto file = files_.find(key);
  if (file == files_.end()) return std::nullopt;
  std::size_t readable = read_limit_;
  const auto failure = fail_reads_after_.find(key);
  if (failure != fail_reads_after_.end()) readable = std::min(readable, failure->second);
  const std::string& bytes = file->second.bytes;
  if (bytes.size() <= readable) return FileContents{bytes, true};
  return FileContents{bytes.substr(0, readable), false};
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

std::vector<std::string> SimFileSystem::ListFiles(const std::string& folder,
                                                  const std::string& pattern) {
  std::string folder_key = PathKey(folder);
  while (!folder_key.empty() && folder_key.back() == '\\') folder_key.pop_back();
  std::vector<std::string> names;
  for (const auto& [key, file] : files_) {
    if (FolderOf(key) != folder_key) continue;
    std::string name = NameOf(file.name);
    if (MatchesWildcard(name, pattern)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return LessNoCase(a, b); });
  return names;
}

bool SimFileSystem::DeleteFile(const std::string& path) {
  if (!IsValidPath(path) || IsReadOnly(path)) return false;
  return files_.erase(PathKey(path)) == 1;
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

void SimFileSystem::SetReadOnlyFolder(const std::string& folder, bool read_only) {
  std::string key = PathKey(folder);
  while (!key.empty() && key.back() == '\\') key.pop_back();
  std::erase(read_only_folders_, key);
  if (read_only) read_only_folders_.push_back(key);
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
