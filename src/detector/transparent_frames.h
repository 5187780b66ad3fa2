// Browser frames made transparent while still hidden: a frame the rules judge a popup before its
// page shows it gets WS_EX_LAYERED with alpha 0, so that when it shows, none of it reaches the
// screen before the pelk hides it. Nothing else about the frame changes. Whatever becomes of it
// next takes the transparency off again: the hide (once it has taken effect), a verdict at the
// show that lets it stay, a frame that never shows, a restore, the shutdown, and, for a run that
// ended before any of these, the next start-up.
//
// The handles are kept in a file of the program folder, written before a frame is made
// transparent, so that no run can leave a transparent frame behind that a later run does not
// know of. Only a browser frame that still carries exactly this transparency is ever made opaque
// again: a handle may name another program's window by then.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pelkrin {

inline constexpr std::uint8_t kTransparentAlpha = 0;
// How long the frame's program may take to answer a change of its extended style. The change
// is a message the program takes between two of its own; this program waits meanwhile, and so
// does every other popup's hide: a browser busy showing another popup of a burst is asked again
// at the frame's next judgement rather than waited for.
inline constexpr unsigned kExStyleTimeoutMs = 3;

class TransparentFrames {
 public:
  struct Services {
    WindowManager& windows;
    FileSystem& files;
    Diagnostics& diagnostics;
  };
  // `list_path`: the file of handles (kTransparentListFile in the program folder).
  TransparentFrames(Services services, std::string list_path);

  enum class Made { kTransparent, kLayeredAlready, kNoAnswer };
  // Makes the hidden browser frame transparent: its handle to the file, then WS_EX_LAYERED and
  // alpha 0. Unless it was made transparent, nothing about it has changed: it is layered by its
  // program already, or its program did not answer in time (a busy program may answer later).
  [[nodiscard]] Made MakeTransparent(Hwnd frame);
  // Takes the transparency off a frame this made transparent, and its handle off the file: its
  // extended style is what it was before, with whatever its program changed since. A handle
  // that names no browser frame carrying the transparency any more is only forgotten. False
  // when its program did not answer in time: it stays on the file, and is tried again later.
  // The file itself is rewritten only with the next frame made transparent, or by the repair.
  [[nodiscard]] bool MakeOpaque(Hwnd frame);
  bool IsTransparent(Hwnd frame) const;
  const std::vector<Hwnd>& Frames() const { return frames_; }

  // Start-up and shutdown: every frame on the file or made transparent by this run that is
  // still a browser frame carrying the transparency is made opaque; the rest are forgotten.
  void Repair();

 private:
  // What became of one frame's transparency.
  enum class Opaque { kDone, kNotOurs, kNoAnswer };
  Opaque TakeOff(Hwnd frame);
  void Save();

  Services services_;
  std::string list_path_;
  std::vector<Hwnd> frames_;
  bool file_holds_frames_ = false;  // the file may name frames: an empty list is written
  bool save_failed_ = false;        // traced once until a save succeeds again
};

}  // namespace pelkrin
