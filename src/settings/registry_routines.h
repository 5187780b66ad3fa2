// Reading and writing the registry values that belong to Windows and the browser (the start
// page, the Block button's key). The program keeps no setting of its own in the registry.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace pelkrin {

// Drops one leading and then one trailing backslash.
std::string TrimKeyPath(std::string_view path);

// Closes a key that the caller opened. Closing fails only for a key that is not open, which
// leaves nothing to release, so no caller needs the result.
void CloseOpenedKey(Registry& registry, RegKey key);

// The value's text, or `fallback` when the key cannot be opened or the value cannot be read.
// The value name "*" stands for the key's unnamed default value.
std::string RegReadString(Registry& registry, RegKey root, std::string_view key_path,
                          std::string_view value_name, std::string_view fallback);
// Creates the key path if needed and stores the text as a REG_SZ value.
[[nodiscard]] bool RegWriteString(Registry& registry, RegKey root, std::string_view key_path,
                                  std::string_view value_name, std::string_view text);
// Deletes the named value; with an empty value name deletes the key at the key path itself.
[[nodiscard]] bool RegDeleteEntry(Registry& registry, RegKey root, std::string_view key_path,
                                  std::string_view value_name);

}  // namespace pelkrin
