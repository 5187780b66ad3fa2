// The transparent frames' file: no crash, no handle 0 or more than kept, and it reads back.
#include <algorithm>
#include <cstdlib>

#include "detector/transparent_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto frames = pelkrin::ParseTransparentList({reinterpret_cast<const char*>(data), size});
  if (pelkrin::ParseTransparentList(pelkrin::FormatTransparentList(frames)) != frames ||
      frames.size() > pelkrin::kMaxTransparentFrames ||
      std::count(frames.begin(), frames.end(), 0u))
    std::abort();
  return 0;
}
