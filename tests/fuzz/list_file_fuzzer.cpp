// Feeds arbitrary bytes to the list-file parser: it must never crash, never produce an entry
// that could not be written back as one line, and saving what it read must read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lists/list_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> entries = pelkrin::ParseListFile(bytes);
  for (const std::string& entry : entries)
    if (entry.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) std::abort();
  if (pelkrin::ParseListFile(pelkrin::FormatListFile(entries)) != entries) std::abort();
  if (entries.size() > size + 1) std::abort();
  return 0;
}
