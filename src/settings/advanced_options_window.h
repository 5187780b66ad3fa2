// AdvancedOptionsWindow, the Advanced options window: the five detection switches the detector
// reads on every survey, live, saved or not, and the "Show block button" switch, which installs or
// removes the browser's Block button at once. Loaded at start-up and only ever hidden afterwards.
#pragma once

#include <array>
#include <functional>

#include "platform/platform.h"
#include "settings/block_button.h"
#include "settings/detection_switches.h"
#include "settings/option_keys.h"
#include "settings/settings_store.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/services.h"

namespace pelkrin {

class AdvancedOptionsWindow : public Form {
 public:
  // `restore_options_window` puts the Options window back to its normal state when it is
  // visible (it minimised itself to show this one).
  AdvancedOptionsWindow(const FormServices& services, SettingsStore& settings, EventLoop& events,
                        Dialogs& dialogs, BlockButton& block_button,
                        std::function<void()> restore_options_window);

  // Declaration order is drawing order: the strip first, the labels over it, copies behind.
  RainButton RainButton1;  // title strip "Advanced Options", no close mark
  Label Label1;            // drag handle
  Label Label2;            // "Detection Methods:"
  Label Label9, Label3;    // "Kill windows without..." and its copy
  CheckBox Check1;         // adv_max
  Label Label4;            // "...a maximize button"
  CheckBox Check2;         // adv_min
  Label Label5;            // "...a minimize button"
  CheckBox Check5;         // adv_title
  Label Label6;            // "...a title bar"
  Shape Line1;
  Label Label10, Label7;  // "Kill these types of ads:" and its copy
  CheckBox Check3;        // adv_adware
  Label Label8;           // "Adware popups"
  CheckBox Check4;        // adv_flash
  Label Label11;          // "Flash advertisements"
  Shape Line2;
  Label Label13, Label12;  // "Internet Explorer Block Button:" and its copy
  CheckBox Check6;         // adv_busyicon
  Label Label14;           // "Show block button"
  Shape Line3;
  RainButton RainButton3;  // "&Save"
  RainButton RainButton4;  // "&Cancel"
  // Stand-in for the name the control is getting.
  CheckBox& no_maximize_button_box = Check1;

  // Sets the six boxes from the stored settings, in the order of kAdvancedBoxes; a value that
  // is no number leaves its box, a different one is a change.
  void SetBoxesFromSettings();
  // The five detection switches as the boxes hold them now, saved or not.
  DetectionSwitches Switches() const;

  void Save();    // RainButton3
  void Cancel();  // RainButton4
  // Escape or Alt+F4: the window has no close mark, so they mean Cancel.
  void CloseRequested() override { Cancel(); }

 protected:
  void OnLoad() override;

 private:
  void BlockButtonSwitched();

  WindowManager& windows_;
  Sounds& sounds_;
  SettingsStore& settings_;
  EventLoop& events_;
  Dialogs& dialogs_;
  BlockButton& block_button_;
  std::function<void()> restore_options_window_;
};

// The six boxes in the order the window loads and saves them: max, min, title, block button,
// adware, flash. Every switch is on unless stored otherwise.
inline constexpr std::array<OptionBox<AdvancedOptionsWindow>, 6> kAdvancedBoxes{{
    {&AdvancedOptionsWindow::Check1, "adv_max", 1},
    {&AdvancedOptionsWindow::Check2, "adv_min", 1},
    {&AdvancedOptionsWindow::Check5, "adv_title", 1},
    {&AdvancedOptionsWindow::Check6, "adv_busyicon", 1},
    {&AdvancedOptionsWindow::Check3, "adv_adware", 1},
    {&AdvancedOptionsWindow::Check4, "adv_flash", 1},
}};

}  // namespace pelkrin
