// File-name wildcards as the file functions of Windows match a long file name: '*' matches any
// run of characters, '?' exactly one, without regard to ASCII case; a pattern that ends in ".*"
// also matches names without any dot, as "*.*" does. Both sides of the seam use it: the real file
// system to keep only names that match by their long form, the simulated one to list at all.
#pragma once

#include <cstddef>
#include <string_view>

namespace pelkrin {

namespace wildcard_detail {

inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

inline bool Matches(std::string_view name, std::string_view pattern) {
  // Greedy, with one backtrack point for the last '*'.
  std::size_t n = 0, p = 0;
  std::size_t star = std::string_view::npos, star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_n = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace wildcard_detail

inline bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  if (wildcard_detail::Matches(name, pattern)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos)
    return wildcard_detail::Matches(name, pattern.substr(0, pattern.size() - 2));
  return false;
}

}  // namespace pelkrin
