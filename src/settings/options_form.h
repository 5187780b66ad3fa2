// Form2, the Options window. Its check boxes are the live values of the general options for
// the whole run, and their design states are the defaults start-up writes for missing settings.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "settings/option_keys.h"
#include "settings/settings_store.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/services.h"

namespace pelkrin {

class Form2 : public Form {
 public:
  // The default sound file lies in `program_folder`.
  Form2(const FormServices& services, SettingsStore& settings, std::string program_folder);

  CheckBox Check1;  // "Play a sound file" (play_sound)
  CheckBox Check6;  // "Animate the system tray icon" (animate_tray)
  CheckBox Check7;  // "Add popup caption to the history list" (keep_history)
  CheckBox Check2;  // "Start Pelkrin with Windows" (start_with_windows)
  CheckBox Check3;  // "Automatically enable Pelkrin" (super_mode)
  CheckBox Check4;  // "Display the close program dialogue" (close_dlg)
  CheckBox Check5;  // clear_cookies
  TextBox Text1;    // the wave file played on a pelk (sound_file)

  // Sets the seven boxes from the stored settings; a value that is no number leaves its box.
  void SetBoxesFromSettings();
  // The state of the box of a general option, by its key (one of kGeneralOptionKeys).
  int OptionValue(std::string_view key);

 protected:
  void OnLoad() override;

 private:
  // The boxes in the order of kGeneralOptionKeys.
  std::array<CheckBox*, kGeneralOptionKeys.size()> Boxes();

  WindowManager& windows_;
  Sounds& sounds_;
  SettingsStore& settings_;
  std::string program_folder_;
};

}  // namespace pelkrin
