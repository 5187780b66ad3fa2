// Private-profile (INI) files on top of the simulated file system, with the reading and writing
// rules of GetPrivateProfileStringA / WritePrivateProfileStringA as Wine implements them (and
// as Windows behaves for files the program writes itself):
//  - section and key names compare case-insensitively, after trimming blanks around them;
//  - a value read loses the blanks around it and one pair of matching outer quotes;
//  - a value longer than the buffer is cut to buffer - 1 characters; a missing file, section or
//    key (or a line without '=') gives the fallback, which loses its trailing blanks;
//  - a write keeps the first spelling of an existing key, appends a new key at the end of its
//    section and a new section at the end of the file;
//  - a write re-emits the whole file with CR LF line ends, without blank lines and without the
//    blanks around '='; comments (lines without '=') are kept; writing the value a key already
//    has leaves the file untouched.
// Real Windows edits the file in place instead, so on a hand-edited file it keeps blank lines and
// untouched lines byte for byte; for files the program writes itself both give the same bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_files.h"

namespace pelkrin::sim {

class SimProfile : public ProfileFile {
 public:
  // A bare file name resolves to the Windows folder, as the real functions do.
  SimProfile(SimFileSystem& files, Process& process) : files_(files), process_(process) {}

  std::string Read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& fallback, std::size_t buffer_chars) override;
  [[nodiscard]] bool Write(const std::string& path, const std::string& section,
                           const std::string& key, const std::string& value) override;

  struct WriteCall {
    std::string path, section, key, value;
    bool succeeded = false;
  };
  // Every Write call, in order (including ones that left the file untouched).
  const std::vector<WriteCall>& Writes() const { return writes_; }
  int ReadCount() const { return reads_; }

 private:
  std::string Resolve(const std::string& path);

  SimFileSystem& files_;
  Process& process_;
  std::vector<WriteCall> writes_;
  int reads_ = 0;
};

}  // namespace pelkrin::sim
