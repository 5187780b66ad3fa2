// One argument of a command line, quoted so that the started program reads it back exactly as
// it was given, by the rules every program built with the usual runtime (and CommandLineToArgvW)
// follows: the argument goes in double quotes; a double quote inside is written \"; backslashes
// count only before a double quote, where each is doubled. Nothing in the argument can end it
// early or start a second one. Both the ANSI and the wide form of a command line use it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pelkrin {

template <typename Char>
std::basic_string<Char> QuoteArgument(std::basic_string_view<Char> argument) {
  std::basic_string<Char> quoted(1, Char('"'));
  std::size_t backslashes = 0;
  for (const Char c : argument) {
    if (c == Char('\\')) {
      ++backslashes;
      continue;
    }
    // Backslashes before a double quote are doubled, and the quote gets one more of its own.
    const std::size_t count = c == Char('"') ? 2 * backslashes + 1 : backslashes;
    quoted.append(count, Char('\\'));
    quoted += c;
    backslashes = 0;
  }
  // Before the closing quote, too, each backslash is doubled.
  quoted.append(2 * backslashes, Char('\\'));
  quoted += Char('"');
  return quoted;
}

}  // namespace pelkrin
