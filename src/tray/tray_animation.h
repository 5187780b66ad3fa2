// The tray icon's short animation after a pelk: on each tick of the main window's animation
// timer the icon shows the next frame: the first frame, the second, the first again, then the
// icon that says whether pelking is on, when the timer stops itself. Pelking may have been
// switched off meanwhile. A pelk during an animation only enables the running timer again, so
// the animation goes on from where it is.
#pragma once

#include <functional>

#include "tray/tray_icon.h"
#include "ui/controls.h"

namespace pelkrin {

class TrayAnimation {
 public:
  // `resting_icon` is the icon between animations, as the pelking state is at the last frame.
  TrayAnimation(Timer& timer, TrayIcon& tray, const Image& first_frame, const Image& second_frame,
                std::function<Picture()> resting_icon);

  void Start() { timer_.SetEnabled(true); }
  // One tick.
  void Step();

 private:
  Timer& timer_;
  TrayIcon& tray_;
  const Image& first_frame_;
  const Image& second_frame_;
  std::function<Picture()> resting_icon_;
  int step_ = 1;  // 1 to 4: the step the next tick shows
};

}  // namespace pelkrin
