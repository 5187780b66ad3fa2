// Form8, the Advanced options window: the five detection switches the detector reads on every
// survey, and the "Show block button" switch.
#pragma once

#include <array>

#include "platform/platform.h"
#include "settings/detection_switches.h"
#include "settings/option_keys.h"
#include "settings/settings_store.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/services.h"

namespace pelkrin {

class Form8 : public Form {
 public:
  Form8(const FormServices& services, SettingsStore& settings);

  CheckBox Check1;  // "...a maximize button" (adv_max)
  CheckBox Check2;  // "...a minimize button" (adv_min)
  CheckBox Check5;  // "...a title bar" (adv_title)
  CheckBox Check3;  // "Adware popups" (adv_adware)
  CheckBox Check4;  // "Flash advertisements" (adv_flash)
  CheckBox Check6;  // "Show block button" (adv_busyicon)

  // Sets the six boxes from the stored settings, in the order max, min, title, block button,
  // adware, flash; a value that is no number leaves its box.
  void SetBoxesFromSettings();
  // The five detection switches as the boxes hold them now, saved or not.
  DetectionSwitches Switches() const;

 protected:
  void OnLoad() override;

 private:
  // The boxes in the order of kAdvancedSwitchKeys.
  std::array<CheckBox*, kAdvancedSwitchKeys.size()> Boxes();

  WindowManager& windows_;
  Sounds& sounds_;
  SettingsStore& settings_;
};

}  // namespace pelkrin
