#include "settings/startup_entry.h"

#include "settings/registry_routines.h"

namespace pelkrin {
namespace {

// Opens a Run key for writing without creating it; 0 when that is refused or it is missing.
class RunKey {
 public:
  RunKey(Registry& registry, RegKey root) : registry_(registry) {
    if (registry_.OpenKey(root, kRunKey, kKeyWrite, &key_) != kErrorSuccess) key_ = 0;
  }
  RunKey(const RunKey&) = delete;
  RunKey& operator=(const RunKey&) = delete;
  ~RunKey() {
    if (key_ != 0) CloseOpenedKey(registry_, key_);
  }
  bool IsOpen() const { return key_ != 0; }
  RegKey Get() const { return key_; }

 private:
  Registry& registry_;
  RegKey key_ = 0;
};

bool HasEntry(Registry& registry, RegKey root) {
  constexpr char kMissing[] = "\x01missing";
  return RegReadString(registry, root, kRunKey, kStartupValueName, kMissing) != kMissing;
}

// Deletes the value under one root; true when none is left there.
[[nodiscard]] bool DeleteEntry(Registry& registry, RegKey root) {
  if (!HasEntry(registry, root)) return true;
  RunKey key(registry, root);
  return key.IsOpen() && registry.DeleteValue(key.Get(), kStartupValueName) == kErrorSuccess;
}

}  // namespace

std::string ProgramPath(Process& process) {
  return process.ProgramFolder() + "\\" + process.ProgramBaseName() + ".exe";
}

bool SetStartupEntry(Registry& registry, const std::string& program_path) {
  // Once the machine-wide entry is there, Windows starts the program at logon: a second entry
  // under the user's key that cannot go only makes that second start say the program is
  // already running, so the entry counts as set either way.
  {
    RunKey machine(registry, kHkeyLocalMachine);
    if (machine.IsOpen() &&
        registry.SetStringValue(machine.Get(), kStartupValueName, program_path) == kErrorSuccess) {
      (void)DeleteEntry(registry, kHkeyCurrentUser);
      return true;
    }
  }
  // An administrator's entry that already names this program is enough.
  if (RegReadString(registry, kHkeyLocalMachine, kRunKey, kStartupValueName, "") == program_path) {
    (void)DeleteEntry(registry, kHkeyCurrentUser);
    return true;
  }
  // The user's own Run key may be missing in a fresh profile; it is the user's to create.
  return RegWriteString(registry, kHkeyCurrentUser, kRunKey, kStartupValueName, program_path);
}

bool RemoveStartupEntry(Registry& registry) {
  const bool machine = DeleteEntry(registry, kHkeyLocalMachine);
  const bool user = DeleteEntry(registry, kHkeyCurrentUser);
  return machine && user;
}

}  // namespace pelkrin
