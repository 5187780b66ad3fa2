// What the survey remembers of the windows it has read, so that a desktop where nothing changes
// costs little: the kind of each top-level window (a browser frame, the browser's HTML dialog, or
// another program's window), the first child of each frame with whether it is the toolbar
// container, and the Flash control the frame holds.
//
// It keeps only what cannot change without the system reporting it: a window's class is fixed
// for its life, and a handle passes to a new window only with that window's creation, reported
// for top-level windows and for the windows inside them alike. So each creation makes the memory
// forget what it knew of the top-level window concerned. Everything that can change unreported
// under Wine (captions, styles, which child is first, a child shown or hidden, a child destroyed)
// is read again at every survey. Without the reports the memory is not used at all.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "detector/popup_rules.h"
#include "platform/platform.h"

namespace pelkrin {

class SurveyMemory {
 public:
  struct Frame {
    // The first child as last read, and whether its class begins "WorkerA" or "WorkerW".
    Hwnd first_child = kNoWindow;
    bool first_child_is_container = false;
    // The Flash control at the end of the document view's chain; known once read.
    std::optional<Hwnd> flash;
  };

  std::optional<WindowKind> KindOf(Hwnd window) const;
  void RememberKind(Hwnd window, WindowKind kind);
  // The frame's entry, made when missing (its kind is then a frame).
  Frame& FrameOf(Hwnd frame);

  // A window was created with this handle: whatever was known under it belonged to another.
  void Forget(Hwnd window) { entries_.erase(window); }
  // A window was created inside this top-level window.
  void ForgetChildren(Hwnd window);
  // Keeps only the windows of the last listing, so that the memory stays as small as the desktop.
  void KeepOnly(const std::vector<Hwnd>& listed);
  std::size_t Size() const { return entries_.size(); }

 private:
  struct Entry {
    WindowKind kind = WindowKind::kOther;
    Frame frame;
    std::uint32_t listing = 0;
  };
  std::unordered_map<Hwnd, Entry> entries_;
  std::uint32_t listing_ = 0;
};

}  // namespace pelkrin
