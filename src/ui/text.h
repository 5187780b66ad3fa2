// Small text routines that every part of the program shares: ASCII case (setting keys, list
// entries) and the path of a file next to the program.
#pragma once

#include <string>
#include <string_view>

namespace pelkrin {

std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);

// The folder, a backslash, and the file name.
std::string PathInFolder(std::string_view folder, std::string_view file_name);

}  // namespace pelkrin
