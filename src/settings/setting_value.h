// The numeric value of a setting's text. Every setting is text; wherever a number is needed it is
// computed here, so all readers agree on what " 1", "1.0", "" or "yes" mean.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelkrin {

// The leading number of the text: leading blanks and tabs skipped, then an optional sign, digits,
// an optional fraction and exponent. "1.0" is 1, " 1" is 1, "12abc" is 12; a text without a
// leading number ("", "abc") is 0. Huge values saturate instead of overflowing.
double SettingNumber(std::string_view text);

// The text as a whole number, for values that must be numbers throughout (a check box's state):
// blanks around the number are allowed, a fraction is rounded half to even ("1.0" is 1); an empty
// text, a word, or trailing junk gives nullopt, as does a value outside the 16-bit range.
std::optional<int> SettingInteger(std::string_view text);

// The state a check box takes from a stored flag: 0 or 1; nullopt for anything else, which
// leaves the box as it is.
std::optional<int> CheckBoxValue(std::string_view text);

// A counter kept as text, advanced by one: the numeric value of the text (SettingNumber) plus 1,
// written without blanks; whole numbers without a fraction ("809" gives "810", "abc" gives "1",
// "2.5" gives "3.5").
std::string NumberPlusOne(std::string_view text);

}  // namespace pelkrin
