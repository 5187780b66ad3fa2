// What one pelk leaves beside its history entry for the rest of the run: why the popup was
// pelked, from which address, and the window itself while it is still the last hidden popup.
// The History window's entry menu reopens the popup or allows its site or caption from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace pelkrin {

struct PelkRecord {
  std::string short_caption;  // as the history entry shows it
  std::string caption;        // whole, as the block list would hold it
  // The rule that caught the popup, in the program's words ("No toolbars").
  std::string reason;
  // As its address bar showed it once the popup was hidden; none for an HTML dialog, a browser
  // that did not answer in time, or a window without an address bar.
  std::optional<std::string> address;
  // The popup while it is the last hidden popup; none once a later pelk took its place.
  std::optional<Hwnd> window;
  // The window's class when it was pelked: a handle that passed to another window is not it.
  std::string window_class;
  // Which pelk of this run it is: an address read after the pelk finds its record by it.
  std::uint64_t serial = 0;
  bool operator==(const PelkRecord&) const = default;
};

}  // namespace pelkrin
