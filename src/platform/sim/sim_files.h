// In-memory files with Windows path rules, and the failures tests need to provoke: a folder the
// user may not write to, a disk that fills up part-way through a write, a read that breaks off.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pelkrin::sim {

class SimFileSystem : public FileSystem {
 public:
  // FileSystem
  // At most the read limit (kMaxReadBytes unless a test sets another), as Windows does.
  [[nodiscard]] std::optional<FileContents> ReadFile(const std::string& path) override;
  [[nodiscard]] bool ReplaceFile(const std::string& path, const std::string& bytes) override;
  // A folder exists when it was made with MakeFolder or something lies in it.
  [[nodiscard]] std::optional<std::vector<std::string>> ListFiles(
      const std::string& folder, const std::string& pattern) override;
  [[nodiscard]] bool DeleteFile(const std::string& path) override;

  // Test set-up and checks. Put and Remove act directly, bypassing every failure rule, and
  // are not counted as writes.
  void Put(const std::string& path, std::string bytes);
  std::optional<std::string> Bytes(const std::string& path) const;
  bool Exists(const std::string& path) const;
  void Remove(const std::string& path);
  // An empty folder; removing it takes whatever lies in it too.
  void MakeFolder(const std::string& path);
  void RemoveFolder(const std::string& path);
  // A link (a symbolic link or junction) at `path`: it is no plain file, so listings leave it
  // out; reading and deleting fail.
  void PutLink(const std::string& path);
  // Another program holds the file open without sharing it: deleting it fails until released.
  void SetInUse(const std::string& path, bool in_use);
  // Every file, in the spelling of its last creation, ordered case-insensitively.
  std::vector<std::string> Paths() const;

  // Writes, creations and deletions in `folder` and below fail; reads still work.
  void SetReadOnlyFolder(const std::string& folder, bool read_only);
  // The user may no longer list `folder` (its permissions changed): listing it fails, while its
  // files can still be read and deleted.
  void SetUnlistableFolder(const std::string& folder, bool unlistable);
  // The disk fills up: the next write of more than `bytes` bytes stops after `bytes` bytes and
  // fails. Only that one write fails; smaller writes before it succeed.
  void FailWritesAfter(std::size_t bytes);
  // Reading `path` breaks off after `bytes` bytes, until StopFailingReads. A file no longer
  // than that reads whole.
  void FailReadsAfter(const std::string& path, std::size_t bytes);
  void StopFailingReads(const std::string& path);
  // Files are read up to `bytes` bytes instead of kMaxReadBytes, so that a test of a file too
  // big to read whole need not hold 64 MiB.
  void SetReadLimit(std::size_t bytes) { read_limit_ = bytes; }
  // How many writes of `path` were attempted (ReplaceFile and private-profile writes, failed
  // ones included), so a test can assert that nothing was written.
  int WriteCount(const std::string& path) const;

  // The private-profile functions write the file in place: they truncate it and write the new
  // contents, so a full disk leaves the bytes written so far. Returns false on any failure.
  [[nodiscard]] bool WriteInPlace(const std::string& path, const std::string& bytes);

  // Whether `path` is a well-formed Windows file path (a drive or UNC prefix, no characters
  // that Windows rejects in names, not ending in a separator).
  static bool IsValidPath(const std::string& path);

 private:
  struct File {
    std::string name;  // the path as spelt when the file was last created
    std::string bytes;
    bool link = false;
  };
  bool IsReadOnly(const std::string& path) const;
  bool FolderExists(const std::string& folder_key) const;
  // The file at the key, unless it is missing or a link.
  const File* PlainFile(const std::string& key) const;
  // Consumes the armed disk-full failure if a write of `size` bytes triggers it; returns the
  // number of bytes that fit, or nullopt when the write fits whole.
  std::optional<std::size_t> TakeWriteFailure(std::size_t size);

  std::map<std::string, File> files_;  // by lower-case normalised path
  std::vector<std::string> read_only_folders_;
  std::vector<std::string> unlistable_folders_;
  std::vector<std::string> folders_;  // lower-case keys of folders made empty
  std::vector<std::string> in_use_;   // lower-case keys of files held open
  std::optional<std::size_t> fail_writes_after_;
  std::map<std::string, std::size_t> fail_reads_after_;
  std::size_t read_limit_ = kMaxReadBytes;
  std::map<std::string, int> write_counts_;
};

// The path in the form the simulated file system keys it by: '/' turned into '\', lower case.
std::string PathKey(const std::string& path);
// The folder part of a path (without the trailing backslash) and the name part.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

}  // namespace pelkrin::sim
