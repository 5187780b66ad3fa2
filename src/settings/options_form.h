// Form2, the Options window. Its check boxes are the live values of the general options for
// the whole run, and their design states are the defaults start-up writes for missing settings.
#pragma once

#include "ui/controls.h"
#include "ui/form.h"

namespace pelkrin {

class Pelkrin;

class Form2 : public Form {
 public:
  explicit Form2(Pelkrin& app);

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

 protected:
  void OnLoad() override;

 private:
  Pelkrin& app_;
};

}  // namespace pelkrin
