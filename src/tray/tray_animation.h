// The tray icon's short animation after a pelk: on each tick of the main window's animation
// timer, the icon shows the next frame as the frame counter names it (a text, "1" between
// animations): the first frame, the second, the first again, then the icon that says whether
// pelking is on, when the timer stops itself. Pelking may have been switched off meanwhile. A pelk
// during an animation only enables the running timer again, so the animation goes on from where
// it is.
#pragma once

#include <functional>

#include "tray/tray_icon.h"
#include "ui/controls.h"

namespace pelkrin {

struct TrayAnimation {
  TextBox& counter;
  Timer& timer;
  TrayIcon& tray;
  // The icon between animations, as the pelking state is at the last frame.
  std::function<Picture()> resting_icon;
  const Image& frame1;
  const Image& frame2;

  // One tick. A counter that is not "1" to "4" changes nothing, and the timer keeps running.
  void Step();
};

}  // namespace pelkrin
