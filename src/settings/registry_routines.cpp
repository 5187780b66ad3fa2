#include "settings/registry_routines.h"

namespace pelkrin {
namespace {

// Closes the key it holds when the routine that opened it returns, whatever the path.
class OpenedKey {
 public:
  explicit OpenedKey(Registry& registry) : registry_(registry) {}
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  ~OpenedKey() {
    if (open_) CloseOpenedKey(registry_, key_);
  }
  long Open(RegKey root, const std::string& path, std::uint32_t access) {
    long error = registry_.OpenKey(root, path, access, &key_);
    open_ = error == kErrorSuccess;
    return error;
  }
  long Create(RegKey root, const std::string& path, std::uint32_t access) {
    long error = registry_.CreateKey(root, path, access, &key_);
    open_ = error == kErrorSuccess;
    return error;
  }
  bool IsOpen() const { return open_; }
  RegKey Get() const { return key_; }

 private:
  Registry& registry_;
  RegKey key_ = 0;
  bool open_ = false;
};

std::string ValueName(std::string_view name) { return name == "*" ? "" : std::string(name); }

}  // namespace

std::string TrimKeyPath(std::string_view path) {
  if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

void CloseOpenedKey(Registry& registry, RegKey key) { (void)registry.CloseKey(key); }

std::string RegReadString(Registry& registry, RegKey root, std::string_view key_path,
                          std::string_view value_name, std::string_view fallback) {
  const std::string path = TrimKeyPath(key_path);
  OpenedKey key(registry);
  if (key.Open(root, path, kKeyAllAccess) == kErrorAccessDenied) key.Open(root, path, kKeyRead);
  if (!key.IsOpen()) return std::string(fallback);

  const std::string name = ValueName(value_name);
  std::uint32_t size = 0;
  if (registry.QueryValue(key.Get(), name, nullptr, &size) != kErrorSuccess || size == 0)
    return std::string(fallback);
  std::string data;
  if (registry.QueryValue(key.Get(), name, &data, &size) != kErrorSuccess)
    return std::string(fallback);
  if (size < data.size()) data.resize(size);
  // The size counts the string's terminator when the writer stored one; another program may
  // have stored the text alone, and then the last byte is the text's own.
  if (!data.empty() && data.back() == '\0') data.pop_back();
  return data;
}

bool RegWriteString(Registry& registry, RegKey root, std::string_view key_path,
                    std::string_view value_name, std::string_view text) {
  OpenedKey key(registry);
  if (key.Create(root, TrimKeyPath(key_path), kKeyAllAccess) != kErrorSuccess) return false;
  return registry.SetStringValue(key.Get(), ValueName(value_name), std::string(text)) ==
         kErrorSuccess;
}

bool RegDeleteEntry(Registry& registry, RegKey root, std::string_view key_path,
                    std::string_view value_name) {
  const std::string path = TrimKeyPath(key_path);
  OpenedKey key(registry);
  if (!value_name.empty()) {
    if (key.Open(root, path, kKeyAllAccess) != kErrorSuccess) return false;
    return registry.DeleteValue(key.Get(), ValueName(value_name)) == kErrorSuccess;
  }
  if (key.Open(root, "", kKeyAllAccess) != kErrorSuccess) return false;
  return registry.DeleteKey(key.Get(), path) == kErrorSuccess;
}

}  // namespace pelkrin
