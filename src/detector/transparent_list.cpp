#include "detector/transparent_list.h"

#include <algorithm>
#include <cstdint>

namespace pelkrin {
namespace {

// A handle, or kNoWindow for anything else.
Hwnd ParseHandle(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return kNoWindow;
  line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
  if (line.empty() || line.size() > 10) return kNoWindow;
  std::uint64_t value = 0;
  for (const char c : line) {
    if (c < '0' || c > '9') return kNoWindow;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value > 0xFFFFFFFFu ? kNoWindow : static_cast<Hwnd>(value);
}

}  // namespace

std::vector<Hwnd> ParseTransparentList(std::string_view bytes, std::size_t* skipped) {
  std::vector<Hwnd> frames;
  std::size_t bad = 0;
  while (!bytes.empty() && frames.size() < kMaxTransparentFrames) {
    const std::size_t end = bytes.find('\n');
    const std::string_view line = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    const Hwnd frame = ParseHandle(line);
    if (frame == kNoWindow) {
      ++bad;
    } else if (std::find(frames.begin(), frames.end(), frame) == frames.end()) {
      frames.push_back(frame);
    }
  }
  if (skipped) *skipped = bad;
  return frames;
}

std::string FormatTransparentList(const std::vector<Hwnd>& frames) {
  std::string bytes;
  for (const Hwnd frame : frames) bytes += std::to_string(frame) + "\r\n";
  return bytes;
}

}  // namespace pelkrin
