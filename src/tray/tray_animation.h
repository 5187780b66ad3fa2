// The tray icon's short animation after a pelk: on each tick of the main window's animation
// timer, the icon shows the next frame as the frame counter names it (a text, "1" between
// animations): the first frame, the second, the first again, then the normal icon, when the
// timer stops itself. A pelk during an animation only enables the running timer again, so the
// animation goes on from where it is.
#pragma once

#include "tray/systray.h"
#include "ui/controls.h"

namespace pelkrin {

struct TrayAnimation {
  TextBox& counter;
  Timer& timer;
  cSysTray& tray;
  const Image& normal;
  const Image& frame1;
  const Image& frame2;

  // One tick. A counter that is not "1" to "4" changes nothing, and the timer keeps running.
  void Step();
};

}  // namespace pelkrin
