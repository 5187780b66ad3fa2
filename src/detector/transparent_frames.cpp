#include "detector/transparent_frames.h"

#include <algorithm>
#include <utility>

#include "detector/popup_rules.h"
#include "detector/transparent_list.h"

namespace pelkrin {

TransparentFrames::TransparentFrames(Services services, std::string list_path)
    : services_(services), list_path_(std::move(list_path)) {}

std::vector<TransparentFrames::Frame>::iterator TransparentFrames::Find(Hwnd frame) {
  return std::find_if(frames_.begin(), frames_.end(),
                      [frame](const Frame& entry) { return entry.window == frame; });
}

bool TransparentFrames::MakeTransparent(Hwnd frame) {
  WindowManager& windows = services_.windows;
  if (const auto found = Find(frame); found != frames_.end())
    return found->state != State::kTakingOff;
  // A frame that is layered already draws itself that way: it is left as it is.
  if ((windows.ExStyle(frame) & kWsExLayered) || frames_.size() == kMaxTransparentFrames)
    return false;
  // On the file first: whatever happens to this run from here on, the next one finds it.
  frames_.push_back(Frame{frame, State::kAsked});
  Save();
  windows.RequestLayered(frame, kTransparentAlpha, kExStyleTimeoutMs);
  return true;
}

bool TransparentFrames::TakeOff(Hwnd frame) {
  WindowManager& windows = services_.windows;
  // Only a browser frame that is layered with exactly our alpha: the handle may name another
  // window by now, and a frame that layers itself is its program's business.
  if (KindOfClass(windows.ClassName(frame, 260)) != WindowKind::kFrame) return false;
  if (!(windows.ExStyle(frame) & kWsExLayered)) return false;
  const std::optional<std::uint8_t> alpha = windows.LayeredAlpha(frame);
  if (alpha && *alpha != kTransparentAlpha) return false;
  windows.RequestLayered(frame, std::nullopt, kExStyleTimeoutMs);
  return true;
}

void TransparentFrames::MakeOpaque(Hwnd frame) {
  const auto found = Find(frame);
  if (found == frames_.end() || found->state == State::kTakingOff) return;
  if (found->state == State::kAsked) {
    // Its transparency is still on its way: this change follows it, whatever became of it.
    services_.windows.RequestLayered(frame, std::nullopt, kExStyleTimeoutMs);
    found->state = State::kTakingOff;
  } else if (TakeOff(frame)) {
    found->state = State::kTakingOff;
  } else {
    frames_.erase(found);  // carries our transparency no more: only forgotten
  }
}

void TransparentFrames::TakeDone() {
  for (const WindowManager::LayeredDone& done : services_.windows.TakeLayeredDone()) {
    const auto found = Find(done.window);
    if (found == frames_.end()) continue;
    if (done.layered) {
      // Asked to be opaque again meanwhile: that change comes next.
      if (found->state != State::kAsked) continue;
      if (done.took) {
        found->state = State::kTransparent;
        continue;
      }
      // Gone, or a busy program: left as it was, and on the file until its next write.
      services_.diagnostics.Trace("a hidden popup (" + std::to_string(done.window) +
                                  ") did not take the transparency");
      frames_.erase(found);
    } else if (found->state == State::kTakingOff) {
      if (done.took) {
        // The file is not written for this: a handle left on it only costs the next repair a
        // look, as a frame that no longer carries the transparency is left alone.
        frames_.erase(found);
        continue;
      }
      services_.diagnostics.Trace("a transparent frame (" + std::to_string(done.window) +
                                  ") did not answer; it is made opaque later");
      found->state = State::kTransparent;
      found->opaque_refused = true;
    }
  }
}

void TransparentFrames::RetryOpaque() {
  std::vector<Hwnd> refused;
  for (Frame& entry : frames_)
    if (std::exchange(entry.opaque_refused, false)) refused.push_back(entry.window);
  for (const Hwnd frame : refused) MakeOpaque(frame);
}

bool TransparentFrames::IsTransparent(Hwnd frame) const {
  return std::any_of(frames_.begin(), frames_.end(), [frame](const Frame& entry) {
    return entry.window == frame && entry.state != State::kTakingOff;
  });
}

std::vector<Hwnd> TransparentFrames::Frames() const {
  std::vector<Hwnd> frames;
  for (const Frame& entry : frames_) frames.push_back(entry.window);
  return frames;
}

void TransparentFrames::Repair() {
  WindowManager& windows = services_.windows;
  // The changes still on their way first, so that none lands after the repair.
  if (!windows.WaitLayered(kRepairWaitMs))
    services_.diagnostics.Trace("a browser did not take a change of its transparency in time");
  TakeDone();
  std::vector<Hwnd> frames = Frames();
  frames_.clear();
  if (const std::optional<FileContents> file = services_.files.ReadFile(list_path_)) {
    file_holds_frames_ = !file->bytes.empty();
    std::size_t skipped = 0;
    for (const Hwnd frame : ParseTransparentList(file->bytes, &skipped))
      if (std::find(frames.begin(), frames.end(), frame) == frames.end()) frames.push_back(frame);
    if (skipped != 0)
      services_.diagnostics.Trace(list_path_ + ": " + std::to_string(skipped) +
                                  " lines that are no window handle were passed over");
  }
  for (const Hwnd frame : frames)
    if (frames_.size() < kMaxTransparentFrames && TakeOff(frame))
      frames_.push_back(Frame{frame, State::kTakingOff});
  const std::size_t asked = frames_.size();
  // One that does not answer now stays on the file, and is tried again at the next repair.
  if (asked != 0 && !windows.WaitLayered(kRepairWaitMs))
    services_.diagnostics.Trace("a browser did not take a change of its transparency in time");
  TakeDone();
  if (asked != frames_.size())
    services_.diagnostics.Note("made " + std::to_string(asked - frames_.size()) +
                               " transparent frames opaque again");
  Save();
}

void TransparentFrames::Save() {
  // Nothing to keep and nothing kept: no write (the usual start-up, and every pelk after one).
  if (frames_.empty() && !file_holds_frames_) return;
  if (services_.files.ReplaceFile(list_path_, FormatTransparentList(Frames()))) {
    file_holds_frames_ = !frames_.empty();
    save_failed_ = false;
  } else if (!std::exchange(save_failed_, true)) {
    services_.diagnostics.Trace(
        list_path_ + " cannot be written; a frame left transparent by a failure stays so");
  }
}

}  // namespace pelkrin
