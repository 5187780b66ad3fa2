// The name of the temporary file that a save writes beside the file it replaces: "~pk", the
// saving process's number, "_", the save's number within that process, ".tmp", both numbers in
// decimal without leading zeros ("~pk4711_3.tmp"). A save killed before its file took the old
// one's place leaves it behind; start-up removes such files. Both go by this one spelling, so
// that no file the saves did not make (a user's "~pk1.tmp", "~PK4711_3.TMP") is ever removed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelkrin {

// What a listing of the folder asks for; IsTemporarySaveName then keeps the exact names.
inline constexpr char kTemporarySavePattern[] = "~pk*.tmp";

inline std::string TemporarySaveName(std::uint32_t process_id, std::uint32_t save) {
  return "~pk" + std::to_string(process_id) + "_" + std::to_string(save) + ".tmp";
}

namespace temporary_save_detail {

// Takes a number as std::to_string writes a std::uint32_t off the front of `text`.
inline bool TakeNumber(std::string_view& text) {
  std::size_t digits = 0;
  std::uint64_t value = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    value = value * 10 + static_cast<std::uint64_t>(text[digits] - '0');
    if (++digits > 10) return false;
  }
  if (digits == 0 || (digits > 1 && text[0] == '0') || value > UINT32_MAX) return false;
  text.remove_prefix(digits);
  return true;
}

}  // namespace temporary_save_detail

// Whether `name` (a file name without its folder) is one that TemporarySaveName gives, to the
// letter.
inline bool IsTemporarySaveName(std::string_view name) {
  using temporary_save_detail::TakeNumber;
  constexpr std::string_view kPrefix = "~pk", kSuffix = ".tmp";
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return false;
  name.remove_prefix(kPrefix.size());
  name.remove_suffix(kSuffix.size());
  if (!TakeNumber(name) || !name.starts_with('_')) return false;
  name.remove_prefix(1);
  return TakeNumber(name) && name.empty();
}

}  // namespace pelkrin
