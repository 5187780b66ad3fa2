// Setting values come from a file anyone can edit (and from block.exe): their numeric readings
// must be defined for every text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/setting_value.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (std::isnan(pelkrin::SettingNumber(text))) std::abort();
  if (auto value = pelkrin::SettingInteger(text); value && (*value < -32768 || *value > 32767))
    std::abort();
  return 0;
}
