// The settings file "pk.sys": one section "pk" of a private-profile file next to the program.
// ReadSetting and WriteSetting are the only way in and out; nothing is cached, so a value that
// block.exe wrote is seen by the very next read.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace pelkrin {

inline constexpr char kSettingsFileName[] = "pk.sys";
inline constexpr char kSettingsSection[] = "pk";

class SettingsStore {
 public:
  SettingsStore(ProfileFile& profile, Diagnostics& diagnostics, std::string program_folder);

  // The key's value, or "" when the file, the section or the key is missing. A value longer
  // than 749 characters comes back cut to 749.
  std::string ReadSetting(std::string_view key) const;
  // Stores the value under the key's upper-case name. False when the file could not be written
  // (a read-only folder, a file another program holds locked).
  [[nodiscard]] bool WriteSetting(std::string_view key, std::string_view value);
  // The same for a caller that goes on whether or not the value reached the file, as the user
  // is not told: a failure leaves a diagnostic line naming the key and the file.
  void WriteSettingOrTrace(std::string_view key, std::string_view value);

  const std::string& Path() const { return path_; }

 private:
  ProfileFile& profile_;
  Diagnostics& diagnostics_;
  std::string path_;
};

}  // namespace pelkrin
