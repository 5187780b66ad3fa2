// The file that keeps the handles of the browser frames the program has made transparent, so
// that a run that ended before taking the transparency off again lets the next run do it: one
// handle a line, in decimal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace pelkrin {

inline constexpr char kTransparentListFile[] = "popclear.sys";
// More handles than this are never kept: a burst of popups is far fewer, and a damaged file
// cannot make a start-up look at millions of windows.
inline constexpr std::size_t kMaxTransparentFrames = 1024;

// The handles of the file, in its order, each once. A line that is not a handle (a handle is 1
// to 4294967295, in decimal digits, blanks around it allowed) is passed over; `skipped`, when
// given, receives how many were.
std::vector<Hwnd> ParseTransparentList(std::string_view bytes, std::size_t* skipped = nullptr);
// One handle a line, each line ended by CR LF.
std::string FormatTransparentList(const std::vector<Hwnd>& frames);

}  // namespace pelkrin
