#include "settings/settings_store.h"

#include <cctype>

namespace pelkrin {
namespace {
constexpr std::size_t kReadBufferChars = 750;
}

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

SettingsStore::SettingsStore(ProfileFile& profile, std::string program_folder)
    : profile_(profile), path_(std::move(program_folder) + "\\" + kSettingsFileName) {}

std::string SettingsStore::ReadSetting(std::string_view key) const {
  return profile_.Read(path_, kSettingsSection, ToLowerAscii(key), "", kReadBufferChars);
}

void SettingsStore::WriteSetting(std::string_view key, std::string_view value) {
  profile_.Write(path_, kSettingsSection, ToUpperAscii(key), std::string(value));
}

}  // namespace pelkrin
