#include "tray/tray_animation.h"

#include "settings/setting_value.h"

namespace pelkrin {

void TrayAnimation::Step() {
  const std::string& frame = counter.Text();
  if (frame == "1" || frame == "3") {
    tray.SetTrayIcon(frame1.Get());
  } else if (frame == "2") {
    tray.SetTrayIcon(frame2.Get());
  } else if (frame == "4") {
    tray.SetTrayIcon(resting_icon());
    counter.SetText("1");
    timer.SetEnabled(false);
    return;
  } else {
    return;
  }
  counter.SetText(NumberPlusOne(frame));
}

}  // namespace pelkrin
