// Feeds arbitrary bytes to the parser of the file of transparent frames: it must never crash,
// never give a handle of 0, the same handle twice or more than the most it keeps, and writing
// what it read must read back the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "detector/transparent_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::size_t skipped = 0;
  std::vector<pelkrin::Hwnd> frames = pelkrin::ParseTransparentList(bytes, &skipped);
  if (frames.size() > pelkrin::kMaxTransparentFrames || skipped > size) std::abort();
  if (pelkrin::ParseTransparentList(pelkrin::FormatTransparentList(frames)) != frames) std::abort();
  if (std::count(frames.begin(), frames.end(), pelkrin::kNoWindow) != 0) std::abort();
  std::sort(frames.begin(), frames.end());
  if (std::adjacent_find(frames.begin(), frames.end()) != frames.end()) std::abort();
  return 0;
}
