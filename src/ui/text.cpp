#include "ui/text.h"

#include <cctype>

namespace pelkrin {

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

std::string PathInFolder(std::string_view folder, std::string_view file_name) {
  std::string path(folder);
  path += '\\';
  path += file_name;
  return path;
}

}  // namespace pelkrin
