// Browser frames made transparent while still hidden: a frame the rules judge a popup before its
// page shows it gets WS_EX_LAYERED with alpha 0, so that when it shows, none of it reaches the
// screen before the pelk hides it. Nothing else about the frame changes. Whatever becomes of it
// next takes the transparency off again: the hide (once it has taken effect), a verdict at the
// show that lets it stay, a frame that never shows, a restore, the shutdown, and, for a run that
// ended before any of these, the next start-up.
//
// The changes wait for the frame's program, so they are made on a thread of their own
// (WindowManager::RequestLayered) and taken note of as they are done (TakeDone).
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
// How long the frame's program may take to answer before a change of its transparency is given
// up. The change waits for its program on a thread of its own, never on this one: a browser busy
// with the next popup of a burst takes it a few milliseconds later.
inline constexpr unsigned kExStyleTimeoutMs = 250;
// How long the repair at shutdown waits for the changes still on their way.
inline constexpr unsigned kRepairWaitMs = 1000;

class TransparentFrames {
 public:
  struct Services {
    WindowManager& windows;
    FileSystem& files;
    Diagnostics& diagnostics;
  };
  // `list_path`: the file of handles (kTransparentListFile in the program folder).
  TransparentFrames(Services services, std::string list_path);

  // Asks for the hidden browser frame to be made transparent: its handle to the file, then
  // WS_EX_LAYERED and alpha 0, made once its program takes them. False when nothing was asked:
  // it is layered by its program already, or the list is full.
  [[nodiscard]] bool MakeTransparent(Hwnd frame);
  // Asks for the transparency to be taken off a frame this made (or asked to make)
  // transparent: its extended style becomes what it was before, with whatever its program
  // changed since. A frame that carries our transparency no longer (its handle may name another
  // window by now) is only forgotten. The file is rewritten only with the next frame made
  // transparent, or by the repair; a frame whose program does not take the change stays on it.
  void MakeOpaque(Hwnd frame);
  // Made or asked to be made transparent, and not asked to be opaque again since.
  bool IsTransparent(Hwnd frame) const;
  std::vector<Hwnd> Frames() const;
  // Takes note of the changes made since the last call. Cheap: called at every poll.
  void TakeDone();
  // Asks again for the opacity of each frame whose program did not take it (a browser that had
  // stopped answering may show it by now): called at every survey.
  void RetryOpaque();

  // Start-up and shutdown: every frame on the file or made transparent by this run that is
  // still a browser frame carrying the transparency is made opaque; the rest are forgotten.
  // Waits up to kRepairWaitMs for the changes; a frame whose program has not taken its change
  // by then stays on the file for the next repair.
  void Repair();

 private:
  enum class State { kAsked, kTransparent, kTakingOff };
  struct Frame {
    Hwnd window;
    State state;
    bool opaque_refused = false;  // its program did not take the opacity: asked again
  };
  std::vector<Frame>::iterator Find(Hwnd frame);
  // Asks for the transparency to come off a frame that carries it: false when it does not.
  bool TakeOff(Hwnd frame);
  void Save();

  Services services_;
  std::string list_path_;
  std::vector<Frame> frames_;
  bool file_holds_frames_ = false;  // the file may name frames: an empty list is written
  bool save_failed_ = false;        // traced once until a save succeeds again
};

}  // namespace pelkrin
