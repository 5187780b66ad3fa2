#include "platform/sim/sim_registry.h"

#include <algorithm>

#include "platform/sim/sim_text.h"

namespace pelkrin::sim {

namespace {

// Access rights that need write permission, and those that allow reading or setting values
// (the generic rights included).
constexpr std::uint32_t kWriteRights =
    0x2 | 0x4 | 0x20 | 0x10000 | 0x40000 | 0x80000 | 0x40000000u | 0x10000000u;
constexpr std::uint32_t kQueryRights = 0x1 | 0x80000000u | 0x10000000u;
constexpr std::uint32_t kSetRights = 0x2 | 0x40000000u | 0x10000000u;
constexpr std::uint32_t kFullRights = 0xFFFFFFFFu;

}  // namespace

std::vector<std::string> SplitKeyPath(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

SimRegistry::SimRegistry() {
  Root(kHkeyCurrentUser);
  Root(kHkeyLocalMachine);
}

std::shared_ptr<SimRegistry::Node> SimRegistry::Root(RegKey root) const {
  auto& node = roots_[root];
  if (!node) node = std::make_shared<Node>();
  return node;
}

std::shared_ptr<SimRegistry::Node> SimRegistry::Find(RegKey root, const std::string& path) const {
  if (!IsPredefined(root)) return nullptr;
  std::shared_ptr<Node> node = Root(root);
  for (const std::string& part : SplitKeyPath(path)) {
    const auto sub = node->subkeys.find(LowerAscii(part));
    if (sub == node->subkeys.end()) return nullptr;
    node = sub->second;
  }
  return node;
}

long SimRegistry::Locate(RegKey key, Location* location) const {
  if (IsPredefined(key)) {
    *location = Location{Root(key), key, {}, kFullRights, true};
    return kErrorSuccess;
  }
  const auto handle = handles_.find(key);
  if (handle == handles_.end()) return kErrorInvalidHandle;
  if (handle->second.node->deleted) return kErrorKeyDeleted;
  const Handle& h = handle->second;
  *location = Location{h.node, h.root, h.path, h.access, false};
  return kErrorSuccess;
}

bool SimRegistry::IsDenied(RegKey root, const std::vector<std::string>& path) const {
  for (const auto& [denied_root, denied_path] : denied_) {
    if (denied_root != root || denied_path.size() > path.size()) continue;
    if (std::equal(denied_path.begin(), denied_path.end(), path.begin())) return true;
  }
  return false;
}

RegKey SimRegistry::NewHandle(Handle handle) {
  const RegKey key = next_handle_;
  next_handle_ += 4;  // handles are never reused, so a stale one never aliases a live key
  handles_.emplace(key, std::move(handle));
  return key;
}

long SimRegistry::OpenKey(RegKey root, const std::string& path, std::uint32_t access, RegKey* key) {
  if (!key) return kErrorInvalidParameter;
  Location base;
  if (const long error = Locate(root, &base)) return error;
  if (!path.empty() && path.front() == '\\') return kErrorBadPathname;
  if (path.find("\\\\") != std::string::npos) return kErrorFileNotFound;
  std::shared_ptr<Node> node = base.node;
  std::vector<std::string> full = base.path;
  for (const std::string& part : SplitKeyPath(path)) {
    full.push_back(LowerAscii(part));
    const auto sub = node->subkeys.find(full.back());
    if (sub == node->subkeys.end()) return kErrorFileNotFound;
    node = sub->second;
  }
  if (base.predefined && full.empty()) {
    *key = root;
    return kErrorSuccess;
  }
  if ((access & kWriteRights) && IsDenied(base.root, full)) return kErrorAccessDenied;
  *key = NewHandle(Handle{node, base.root, std::move(full), access});
  return kErrorSuccess;
}

long SimRegistry::CreateKey(RegKey root, const std::string& path, std::uint32_t access,
                            RegKey* key) {
  if (!key) return kErrorInvalidParameter;
  Location base;
  if (const long error = Locate(root, &base)) return error;
  if (!path.empty() && path.front() == '\\') return kErrorBadPathname;
  std::shared_ptr<Node> node = base.node;
  std::vector<std::string> full = base.path;
  bool created = false;
  for (const std::string& part : SplitKeyPath(path)) {
    full.push_back(LowerAscii(part));
    auto sub = node->subkeys.find(full.back());
    if (sub == node->subkeys.end()) {
      if (IsDenied(base.root, full)) return kErrorAccessDenied;
      auto child = std::make_shared<Node>();
      child->name = part;
      sub = node->subkeys.emplace(full.back(), std::move(child)).first;
      created = true;
    }
    node = sub->second;
  }
  if (base.predefined && full.empty()) {
    *key = root;
    return kErrorSuccess;
  }
  if (!created && (access & kWriteRights) && IsDenied(base.root, full)) return kErrorAccessDenied;
  *key = NewHandle(Handle{node, base.root, std::move(full), access});
  return kErrorSuccess;
}

long SimRegistry::QueryValue(RegKey key, const std::string& name, std::string* data,
                             std::uint32_t* size) {
  Location at;
  if (const long error = Locate(key, &at)) return error;
  if (!size) return kErrorInvalidParameter;
  if (!(at.access & kQueryRights)) return kErrorAccessDenied;
  const auto value = at.node->values.find(LowerAscii(name));
  if (value == at.node->values.end()) return kErrorFileNotFound;
  const std::string& bytes = value->second.second;
  const auto needed = static_cast<std::uint32_t>(bytes.size());
  if (!data) {
    *size = needed;
    return kErrorSuccess;
  }
  if (*size < needed) {
    *size = needed;
    return kErrorMoreData;
  }
  *data = bytes;
  *size = needed;
  return kErrorSuccess;
}

long SimRegistry::SetStringValue(RegKey key, const std::string& name, const std::string& text) {
  Location at;
  if (const long error = Locate(key, &at)) return error;
  if (!(at.access & kSetRights)) return kErrorAccessDenied;
  if (at.predefined && IsDenied(at.root, {})) return kErrorAccessDenied;
  auto& value = at.node->values.try_emplace(LowerAscii(name), name, std::string()).first->second;
  value.second = text + '\0';
  return kErrorSuccess;
}

long SimRegistry::DeleteValue(RegKey key, const std::string& name) {
  Location at;
  if (const long error = Locate(key, &at)) return error;
  if (!(at.access & kSetRights)) return kErrorAccessDenied;
  if (at.predefined && IsDenied(at.root, {})) return kErrorAccessDenied;
  return at.node->values.erase(LowerAscii(name)) ? kErrorSuccess : kErrorFileNotFound;
}

long SimRegistry::DeleteKey(RegKey key, const std::string& subkey) {
  Location base;
  if (const long error = Locate(key, &base)) return error;
  if (!subkey.empty() && subkey.front() == '\\') return kErrorBadPathname;
  std::vector<std::string> target = base.path;
  for (const std::string& part : SplitKeyPath(subkey)) target.push_back(LowerAscii(part));
  if (target.empty()) return kErrorAccessDenied;  // a predefined root cannot be deleted

  std::shared_ptr<Node> parent = Root(base.root);
  for (std::size_t i = 0; i + 1 < target.size(); ++i) {
    const auto sub = parent->subkeys.find(target[i]);
    if (sub == parent->subkeys.end()) return kErrorFileNotFound;
    parent = sub->second;
  }
  const auto victim = parent->subkeys.find(target.back());
  if (victim == parent->subkeys.end()) return kErrorFileNotFound;
  if (!victim->second->subkeys.empty()) return kErrorAccessDenied;
  if (IsDenied(base.root, target)) return kErrorAccessDenied;
  victim->second->deleted = true;
  parent->subkeys.erase(victim);
  return kErrorSuccess;
}

long SimRegistry::CloseKey(RegKey key) {
  if (IsPredefined(key)) return kErrorSuccess;
  return handles_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

void SimRegistry::PutKey(RegKey root, const std::string& path) {
  if (!IsPredefined(root)) return;
  std::shared_ptr<Node> node = Root(root);
  for (const std::string& part : SplitKeyPath(path)) {
    auto& sub = node->subkeys[LowerAscii(part)];
    if (!sub) {
      sub = std::make_shared<Node>();
      sub->name = part;
    }
    node = sub;
  }
}

void SimRegistry::Put(RegKey root, const std::string& path, const std::string& name,
                      const std::string& text) {
  PutData(root, path, name, text + '\0');
}

void SimRegistry::PutData(RegKey root, const std::string& path, const std::string& name,
                          const std::string& bytes) {
  if (!IsPredefined(root)) return;
  PutKey(root, path);
  auto& value =
      Find(root, path)->values.try_emplace(LowerAscii(name), name, std::string()).first->second;
  value.second = bytes;
}

bool SimRegistry::HasKey(RegKey root, const std::string& path) const {
  return Find(root, path) != nullptr;
}

std::optional<std::string> SimRegistry::Value(RegKey root, const std::string& path,
                                              const std::string& name) const {
  const auto node = Find(root, path);
  if (!node) return std::nullopt;
  const auto value = node->values.find(LowerAscii(name));
  if (value == node->values.end()) return std::nullopt;
  std::string text = value->second.second;
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

std::vector<std::string> SimRegistry::ValueNames(RegKey root, const std::string& path) const {
  std::vector<std::string> names;
  if (const auto node = Find(root, path))
    for (const auto& entry : node->values) names.push_back(entry.second.first);
  return names;
}

std::vector<std::string> SimRegistry::SubkeyNames(RegKey root, const std::string& path) const {
  std::vector<std::string> names;
  if (const auto node = Find(root, path))
    for (const auto& entry : node->subkeys) names.push_back(entry.second->name);
  return names;
}

void SimRegistry::DenyWrite(RegKey root, const std::string& path) {
  std::vector<std::string> parts;
  for (const std::string& part : SplitKeyPath(path)) parts.push_back(LowerAscii(part));
  denied_.emplace_back(root, std::move(parts));
}

}  // namespace pelkrin::sim
