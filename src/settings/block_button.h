// The browser's Block button: a toolbar button (with a Tools menu entry) that the browser's
// extension mechanism provides through one registry key naming block.exe. The key belongs in the
// machine-wide hive; a user who may not write there (the per-user installation runs without
// administrator rights) gets it in the user's own hive, which the browser reads as well, its
// 32-bit and 64-bit copies alike. This installs and removes that key and keeps the setting
// "icon_created" in step with it.
#pragma once

#include <string>

#include "platform/platform.h"
#include "settings/settings_store.h"

namespace pelkrin {

inline constexpr char kBlockButtonKey[] =
    "Software\\Microsoft\\Internet Explorer\\Extensions\\{5D1A3C7E-2B94-4F60-A8E1-7C3F9B0D2E46}";
inline constexpr char kIconCreatedKey[] = "icon_created";
inline constexpr char kBlockButtonInstallError[] =
    "Error creating Internet Explorer Block icon.  Please make sure you have the latest version "
    "of IE.  To enable this feature later, go to options/advanced options.";
inline constexpr char kBlockButtonRemoveError[] =
    "Error deleting Block icon.  Restart your computer and try again.";

class BlockButton {
 public:
  BlockButton(Registry& registry, SettingsStore& settings, Dialogs& dialogs,
              Diagnostics& diagnostics, std::string program_folder);

  // Whether a failure is shown to the user: yes when the user asked (the switch of the Advanced
  // options window), no when start-up does it on its own (every start would say it again).
  enum class Report { kSilently, kToTheUser };

  // Writes the button's eight values unless "icon_created" is "1" or "0", then sets it to "1".
  // They go under the machine-wide hive, which then holds the only copy, or else under the
  // user's own. When neither can be written, "icon_created" keeps its value, so the next attempt
  // tries again, and the failure is reported as asked.
  void Install(Report report);
  // Deletes the key with its values from both hives and sets "icon_created" to "0". A key that
  // stays is reported as asked, and "icon_created" keeps its value.
  void Remove(Report report);

  // Whether the key exists now, in either hive.
  bool Installed();

 private:
  // Writes the eight values under `root`; false, with a diagnostic line, at the first that fails.
  [[nodiscard]] bool WriteValues(RegKey root);

  Registry& registry_;
  SettingsStore& settings_;
  Dialogs& dialogs_;
  Diagnostics& diagnostics_;
  std::string program_folder_;
};

}  // namespace pelkrin
