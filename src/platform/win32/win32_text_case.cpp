#include <algorithm>

#include "platform/win32/win32_platform.h"

namespace pelkrin::win32 {

std::string Win32TextCase::Lower(std::string_view text) {
  std::string lower(text);
  // CharLowerBuffA lowers in place, so it works on the copy; a text longer than one call can
  // take goes in pieces (the program's texts never come near that).
  constexpr std::size_t kMaxPiece = 1u << 30;
  for (std::size_t done = 0; done < lower.size();) {
    const std::size_t piece = std::min(lower.size() - done, kMaxPiece);
    ::CharLowerBuffA(lower.data() + done, static_cast<DWORD>(piece));
    done += piece;
  }
  return lower;
}

}  // namespace pelkrin::win32
