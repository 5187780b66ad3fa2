#include "settings/settings_store.h"

#include "ui/text.h"

namespace pelkrin {
namespace {
constexpr std::size_t kReadBufferChars = 750;
}

SettingsStore::SettingsStore(ProfileFile& profile, Diagnostics& diagnostics,
                             std::string program_folder)
    : profile_(profile),
      diagnostics_(diagnostics),
      path_(PathInFolder(program_folder, kSettingsFileName)) {}

std::string SettingsStore::ReadSetting(std::string_view key) const {
  return profile_.Read(path_, kSettingsSection, ToLowerAscii(key), "", kReadBufferChars);
}

bool SettingsStore::WriteSetting(std::string_view key, std::string_view value) {
  return profile_.Write(path_, kSettingsSection, ToUpperAscii(key), std::string(value));
}

void SettingsStore::WriteSettingOrTrace(std::string_view key, std::string_view value) {
  if (!WriteSetting(key, value))
    diagnostics_.Trace("the setting " + ToLowerAscii(key) + " could not be written to " + path_);
}

}  // namespace pelkrin
