// Form8, the Advanced options window: the five detection switches the detector reads on every
// survey, and the "Show block button" switch.
#pragma once

#include "ui/controls.h"
#include "ui/form.h"

namespace pelkrin {

class Pelkrin;

class Form8 : public Form {
 public:
  explicit Form8(Pelkrin& app);

  CheckBox Check1;  // "...a maximize button" (adv_max)
  CheckBox Check2;  // "...a minimize button" (adv_min)
  CheckBox Check5;  // "...a title bar" (adv_title)
  CheckBox Check3;  // "Adware popups" (adv_adware)
  CheckBox Check4;  // "Flash advertisements" (adv_flash)
  CheckBox Check6;  // "Show block button" (adv_busyicon)

  // Sets the six boxes from the stored settings, in the order max, min, title, block button,
  // adware, flash; a value that is no number leaves its box.
  void SetBoxesFromSettings();

 protected:
  void OnLoad() override;

 private:
  Pelkrin& app_;
};

}  // namespace pelkrin
