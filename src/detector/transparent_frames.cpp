#include "detector/transparent_frames.h"

#include <algorithm>
#include <utility>

#include "detector/popup_rules.h"
#include "detector/transparent_list.h"

namespace pelkrin {

TransparentFrames::TransparentFrames(Services services, std::string list_path)
    : services_(services), list_path_(std::move(list_path)) {}

TransparentFrames::Made TransparentFrames::MakeTransparent(Hwnd frame) {
  WindowManager& windows = services_.windows;
  if (IsTransparent(frame)) return Made::kTransparent;
  // A frame that is layered already draws itself that way: it is left as it is.
  const std::uint32_t ex_style = windows.ExStyle(frame);
  if ((ex_style & kWsExLayered) || frames_.size() == kMaxTransparentFrames)
    return Made::kLayeredAlready;
  // On the file first: whatever happens to this run from here on, the next one finds it.
  frames_.push_back(frame);
  Save();
  if (!windows.SetExStyle(frame, ex_style | kWsExLayered, kExStyleTimeoutMs)) {
    services_.diagnostics.Trace("a hidden popup (" + std::to_string(frame) +
                                ") did not take the transparency in time");
    frames_.pop_back();  // left on the file until its next write: see MakeOpaque
    return Made::kNoAnswer;
  }
  if (!windows.SetLayeredAlpha(frame, kTransparentAlpha)) {
    // Layered without an alpha it would not be drawn at all: it goes back as it was.
    services_.diagnostics.Trace("a hidden popup (" + std::to_string(frame) +
                                ") took no alpha; its extended style goes back");
    (void)MakeOpaque(frame);  // one that does not answer now is made opaque at the repair
    return Made::kLayeredAlready;
  }
  return Made::kTransparent;
}

TransparentFrames::Opaque TransparentFrames::TakeOff(Hwnd frame) {
  WindowManager& windows = services_.windows;
  // Only a browser frame that is layered with exactly our alpha: the handle may name another
  // window by now, and a frame that layers itself is its program's business.
  if (KindOfClass(windows.ClassName(frame, 260)) != WindowKind::kFrame) return Opaque::kNotOurs;
  const std::uint32_t ex_style = windows.ExStyle(frame);
  if (!(ex_style & kWsExLayered)) return Opaque::kNotOurs;
  const std::optional<std::uint8_t> alpha = windows.LayeredAlpha(frame);
  if (alpha && *alpha != kTransparentAlpha) return Opaque::kNotOurs;
  return windows.SetExStyle(frame, ex_style & ~kWsExLayered, kExStyleTimeoutMs) ? Opaque::kDone
                                                                                : Opaque::kNoAnswer;
}

bool TransparentFrames::MakeOpaque(Hwnd frame) {
  const auto listed = std::find(frames_.begin(), frames_.end(), frame);
  if (listed == frames_.end()) return true;
  if (TakeOff(frame) == Opaque::kNoAnswer) {
    services_.diagnostics.Trace("a transparent frame (" + std::to_string(frame) +
                                ") did not answer; it is made opaque later");
    return false;
  }
  // The file is not written for this: a handle left on it only costs the next repair a look, as
  // a frame that no longer carries the transparency is left alone. The next frame made
  // transparent, or the repair at shutdown, writes the list as it is then.
  frames_.erase(listed);
  return true;
}

bool TransparentFrames::IsTransparent(Hwnd frame) const {
  return std::find(frames_.begin(), frames_.end(), frame) != frames_.end();
}

void TransparentFrames::Repair() {
  std::vector<Hwnd> frames = std::exchange(frames_, {});
  if (const std::optional<FileContents> file = services_.files.ReadFile(list_path_)) {
    file_holds_frames_ = !file->bytes.empty();
    std::size_t skipped = 0;
    for (const Hwnd frame : ParseTransparentList(file->bytes, &skipped))
      if (std::find(frames.begin(), frames.end(), frame) == frames.end()) frames.push_back(frame);
    if (skipped != 0)
      services_.diagnostics.Trace(list_path_ + ": " + std::to_string(skipped) +
                                  " lines that are no window handle were passed over");
  }
  for (const Hwnd frame : frames) {
    const Opaque opaque = TakeOff(frame);
    if (opaque == Opaque::kDone)
      services_.diagnostics.Note("made a transparent frame (" + std::to_string(frame) +
                                 ") opaque again");
    // One that does not answer now is tried again at the next repair.
    if (opaque == Opaque::kNoAnswer && frames_.size() < kMaxTransparentFrames)
      frames_.push_back(frame);
  }
  Save();
}

void TransparentFrames::Save() {
  // Nothing to keep and nothing kept: no write (the usual start-up, and every pelk after one).
  if (frames_.empty() && !file_holds_frames_) return;
  if (services_.files.ReplaceFile(list_path_, FormatTransparentList(frames_))) {
    file_holds_frames_ = !frames_.empty();
    save_failed_ = false;
  } else if (!std::exchange(save_failed_, true)) {
    services_.diagnostics.Trace(
        list_path_ + " cannot be written; a frame left transparent by a failure stays so");
  }
}

}  // namespace pelkrin
