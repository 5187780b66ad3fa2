#include "settings/setting_value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace pelkrin {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the number at the start of `text` (after blanks were skipped), 0 when none.
std::size_t NumberLength(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  return i;
}

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

double ParseNumber(std::string_view number) {
  // strtod needs a terminated string; the number is short and already validated.
  std::string copy(number);
  double value = std::strtod(copy.c_str(), nullptr);
  if (std::isnan(value)) return 0;
  return value;  // HUGE_VAL on overflow: saturated, never undefined
}

}  // namespace

double SettingNumber(std::string_view text) {
  text = SkipBlanks(text);
  std::size_t length = NumberLength(text);
  if (length == 0) return 0;
  return ParseNumber(text.substr(0, length));
}

std::optional<int> SettingInteger(std::string_view text) {
  text = SkipBlanks(text);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  std::size_t length = NumberLength(text);
  if (length == 0 || length != text.size()) return std::nullopt;
  double value = std::nearbyint(ParseNumber(text));  // default rounding: half to even
  if (!(value >= -32768.0 && value <= 32767.0)) return std::nullopt;
  return static_cast<int>(value);
}

std::optional<int> CheckBoxValue(std::string_view text) {
  const std::optional<int> value = SettingInteger(text);
  if (value && (*value == 0 || *value == 1)) return value;
  return std::nullopt;
}

std::string NumberPlusOne(std::string_view text) {
  const double value = SettingNumber(text) + 1;
  char buffer[40];
  if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
    std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
  } else {
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
  }
  return buffer;
}

}  // namespace pelkrin
