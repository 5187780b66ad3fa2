#include "settings/handle_text.h"

#include <cmath>

#include "settings/setting_value.h"

namespace pelkrin {

std::string HandleToText(Hwnd window) { return std::to_string(window); }

Hwnd HandleFromText(std::string_view text) {
  const double value = SettingNumber(text);
  if (!(value >= 1.0 && value <= 4294967295.0)) return kNoWindow;
  return static_cast<Hwnd>(std::floor(value));
}

}  // namespace pelkrin
