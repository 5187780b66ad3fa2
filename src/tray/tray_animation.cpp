#include "tray/tray_animation.h"

#include <utility>

namespace pelkrin {

TrayAnimation::TrayAnimation(Timer& timer, TrayIcon& tray, const Image& first_frame,
                             const Image& second_frame, std::function<Picture()> resting_icon)
    : timer_(timer),
      tray_(tray),
      first_frame_(first_frame),
      second_frame_(second_frame),
      resting_icon_(std::move(resting_icon)) {}

void TrayAnimation::Step() {
  switch (step_) {
    case 1:
    case 3:
      tray_.SetTrayIcon(first_frame_.Get());
      break;
    case 2:
      tray_.SetTrayIcon(second_frame_.Get());
      break;
    default:
      tray_.SetTrayIcon(resting_icon_());
      step_ = 1;
      timer_.SetEnabled(false);
      return;
  }
  ++step_;
}

}  // namespace pelkrin
