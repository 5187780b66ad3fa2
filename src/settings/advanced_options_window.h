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
  RainButton title_strip;  // "Advanced Options", no close mark
  Label drag_handle;
  Label detection_heading;                                // "Detection Methods:", without a copy
  Label kill_without_heading_copy, kill_without_heading;  // "Kill windows without..."
  CheckBox no_maximize_button_box;                        // adv_max
  Label no_maximize_button_label;                         // "...a maximize button"
  CheckBox no_minimize_button_box;                        // adv_min
  Label no_minimize_button_label;
  CheckBox no_title_bar_box;  // adv_title
  Label no_title_bar_label;
  Shape ad_kinds_line;
  Label ad_kinds_heading_copy, ad_kinds_heading;  // "Kill these types of ads:"
  CheckBox adware_box;                            // adv_adware
  Label adware_label;
  CheckBox flash_box;  // adv_flash
  Label flash_label;
  Shape block_button_line;
  Label block_button_heading_copy, block_button_heading;  // "Internet Explorer Block Button:"
  CheckBox block_button_box;                              // adv_busyicon
  Label block_button_label;                               // "Show block button"
  Shape buttons_line;
  RainButton save_button;
  RainButton cancel_button;

  // Sets the six boxes from the stored settings, in the order of kAdvancedBoxes; a value that
  // is no number leaves its box, a different one is a change.
  void SetBoxesFromSettings();
  // The five detection switches as the boxes hold them now, saved or not.
  DetectionSwitches Switches() const;

  void Save();
  void Cancel();
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
    {&AdvancedOptionsWindow::no_maximize_button_box, "adv_max", 1},
    {&AdvancedOptionsWindow::no_minimize_button_box, "adv_min", 1},
    {&AdvancedOptionsWindow::no_title_bar_box, "adv_title", 1},
    {&AdvancedOptionsWindow::block_button_box, "adv_busyicon", 1},
    {&AdvancedOptionsWindow::adware_box, "adv_adware", 1},
    {&AdvancedOptionsWindow::flash_box, "adv_flash", 1},
}};

}  // namespace pelkrin
