// The five detection switches of the Advanced options window as one value: what the detector
// reads on every survey, without knowing the window that holds them. A switch is on when its
// box holds 1.
#pragma once

namespace pelkrin {

struct DetectionSwitches {
  bool no_maximize_box = true;  // "adv_max": a window without a maximize box is a popup
  bool no_minimize_box = true;  // "adv_min": a window without a minimize box is a popup
  bool no_title_bar = true;     // "adv_title": a window without a title bar is a popup
  bool adware = true;           // "adv_adware": the browser's HTML dialogs are popups
  bool flash = true;            // "adv_flash": Flash advertisements are hidden
  friend bool operator==(const DetectionSwitches&, const DetectionSwitches&) = default;
};

}  // namespace pelkrin
