// A registry of string values with the error codes of advapi32: case-insensitive key paths and
// value names (keeping their first spelling), counted handles so tests catch leaks, and
// write-protected branches the way a normal user meets HKEY_LOCAL_MACHINE without rights. A value
// holds its data bytes as stored, so data that another program wrote without a terminating NUL
// reads back the way it does on Windows.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pelkrin::sim {

inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorBadPathname = 161;
inline constexpr long kErrorKeyDeleted = 1018;

class SimRegistry : public Registry {
 public:
  SimRegistry();

  // Registry. Opening or creating with an empty path on a predefined root hands back the root
  // itself (no new handle); on an open key it opens a second handle to that key. A path must not
  // start with a backslash (161). Handles of a deleted key answer 1018. Querying needs read
  // access, setting and deleting values needs write access (5 otherwise). DeleteKey refuses a
  // key that still has subkeys with 5, as RegDeleteKeyA does on Windows NT; deleting needs no
  // access on the parent handle.
  [[nodiscard]] long OpenKey(RegKey root, const std::string& path, std::uint32_t access,
                             RegKey* key) override;
  [[nodiscard]] long CreateKey(RegKey root, const std::string& path, std::uint32_t access,
                               RegKey* key) override;
  [[nodiscard]] long QueryValue(RegKey key, const std::string& name, std::string* data,
                                std::uint32_t* size) override;
  [[nodiscard]] long SetStringValue(RegKey key, const std::string& name,
                                    const std::string& text) override;
  [[nodiscard]] long DeleteValue(RegKey key, const std::string& name) override;
  [[nodiscard]] long DeleteKey(RegKey key, const std::string& subkey) override;
  [[nodiscard]] long CloseKey(RegKey key) override;

  // Test set-up and checks; paths are relative to a predefined root. Put stores the text with
  // its terminating NUL, as SetStringValue does; PutData stores exactly `bytes` (a string value
  // that another program wrote with or without its terminator, or with no data at all).
  void Put(RegKey root, const std::string& path, const std::string& name, const std::string& text);
  void PutData(RegKey root, const std::string& path, const std::string& name,
               const std::string& bytes);
  void PutKey(RegKey root, const std::string& path);
  bool HasKey(RegKey root, const std::string& path) const;
  // The value's text: its data less the terminating NUL when it has one.
  std::optional<std::string> Value(RegKey root, const std::string& path,
                                   const std::string& name) const;
  std::vector<std::string> ValueNames(RegKey root, const std::string& path) const;
  std::vector<std::string> SubkeyNames(RegKey root, const std::string& path) const;
  // Opening with write access, creating keys, setting or deleting values and deleting keys at
  // or below `path` fail with 5 (access denied); reading still works.
  void DenyWrite(RegKey root, const std::string& path);
  std::size_t OpenHandleCount() const { return handles_.size(); }

 private:
  struct Node {
    std::string name;
    std::map<std::string, std::shared_ptr<Node>> subkeys;               // by lower-case name
    std::map<std::string, std::pair<std::string, std::string>> values;  // lower -> name, data
    bool deleted = false;
  };
  struct Handle {
    std::shared_ptr<Node> node;
    RegKey root;
    std::vector<std::string> path;  // lower-case components below the root
    std::uint32_t access;
  };
  struct Location {
    std::shared_ptr<Node> node;
    RegKey root = 0;
    std::vector<std::string> path;
    std::uint32_t access = 0;
    bool predefined = false;
  };

  static bool IsPredefined(RegKey key) { return key >= 0x80000000u && key <= 0x80000006u; }
  long Locate(RegKey key, Location* location) const;
  std::shared_ptr<Node> Root(RegKey root) const;
  std::shared_ptr<Node> Find(RegKey root, const std::string& path) const;
  bool IsDenied(RegKey root, const std::vector<std::string>& path) const;
  RegKey NewHandle(Handle handle);

  mutable std::map<RegKey, std::shared_ptr<Node>> roots_;
  std::map<RegKey, Handle> handles_;
  std::vector<std::pair<RegKey, std::vector<std::string>>> denied_;
  RegKey next_handle_ = 0x0100;
};

// The components of a registry path, split at backslashes; empty components are dropped.
std::vector<std::string> SplitKeyPath(const std::string& path);

}  // namespace pelkrin::sim
