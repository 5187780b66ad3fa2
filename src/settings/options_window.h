// OptionsWindow, the Options window. Its check boxes are the live values of the general options for
// the whole run (the pelk event reads them, saved or not), and their design states are the
// defaults start-up writes for missing settings. The start-with-Windows box keeps the Windows
// start-up entry in step at once, before Save.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "settings/option_keys.h"
#include "settings/pelk_options.h"
#include "settings/settings_store.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/services.h"

namespace pelkrin {

inline constexpr char kWaveFileFilter[] = "Wave Files Only (*.wav)|*.wav";
inline constexpr char kWaveFileDialogTitle[] = "Pelkrin - Select a wave file...";
inline constexpr char kNotAWaveFileMessage[] = "Not a valid wave sound file!";

class OptionsWindow : public Form {
 public:
  // The platform parts the window calls.
  struct Parts {
    EventLoop& events;
    Dialogs& dialogs;
    Registry& registry;
    TextCase& text_case;
    Diagnostics& diagnostics;
  };
  // The default sound file lies in `program_folder`; the start-up entry names `program_path`.
  // `show_advanced_options` shows the Advanced options window.
  OptionsWindow(const FormServices& services, Parts parts, SettingsStore& settings,
                std::string program_folder, std::string program_path,
                std::function<void()> show_advanced_options);

  // Declaration order is drawing order: the strip first, the labels over it, copies behind.
  RainButton RainButton1;  // title strip "Pelkrin - Options", no close mark
  Label Label1;            // drag handle
  Label Label9, Label2;    // "When a popup has been pelked:" and its copy
  CheckBox Check1;         // "Play a sound file" (play_sound)
  Label Label3;
  CheckBox Check6;  // "Animate the system tray icon" (animate_tray)
  Label Label4;
  CheckBox Check7;  // "Add popup caption to the history list" (keep_history)
  Label Label5;
  TextBox Text1;           // the wave file played on a pelk (sound_file)
  RainButton RainButton2;  // "&Browse"
  RainButton RainButton6;  // "&Preview"
  Shape Line1;
  Label Label10, Label6;  // "Start / Close Program:" and its copy
  CheckBox Check2;        // "Start Pelkrin with Windows" (start_with_windows)
  Label Label7;
  CheckBox Check3;  // "Automatically enable Pelkrin" (super_mode)
  Label Label8;
  CheckBox Check4;  // "Display the close program dialogue" (close_dlg)
  Label Label11;
  CheckBox Check5;  // clear_cookies, without a label of its own
  Shape Line2;
  RainButton RainButton5;  // "&Advanced Options"
  RainButton RainButton3;  // "&Save"
  RainButton RainButton4;  // "&Cancel"
  // Stand-ins for the names the controls are getting.
  CheckBox& play_sound_box = Check1;
  CheckBox& animate_tray_box = Check6;
  CheckBox& keep_history_box = Check7;
  TextBox& sound_file_box = Text1;
  CheckBox& enable_at_start_box = Check3;

  // Sets the seven boxes from the stored settings; a value that is no number leaves its box.
  void SetBoxesFromSettings();
  // The state of the box of a general option, by its setting key (a key of kOptionBoxes).
  int OptionValue(std::string_view key) const;
  // What the pelk event reads: the boxes and the sound file as they are now.
  PelkOptions PelkingOptions() const;

  void Save();             // RainButton3
  void Cancel();           // RainButton4
  void Browse();           // RainButton2
  void Preview();          // RainButton6
  void AdvancedOptions();  // RainButton5
  // Escape or Alt+F4: the window has no close mark, so they mean Cancel.
  void CloseRequested() override { Cancel(); }

  // The start-up entry follows the setting: written again with the current path when
  // start_with_windows is on (a moved program starts from its new place); nothing is deleted.
  void SyncStartupEntry();

 protected:
  void OnLoad() override;

 private:
  void StartWithWindowsClicked();

  WindowManager& windows_;
  Sounds& sounds_;
  Parts parts_;
  SettingsStore& settings_;
  std::string program_folder_;
  std::string program_path_;
  std::function<void()> show_advanced_options_;
};

// The seven boxes in the order the window loads and saves them and start-up writes their
// defaults; the design values are the defaults of a first run.
inline constexpr std::array<OptionBox<OptionsWindow>, 7> kOptionBoxes{{
    {&OptionsWindow::Check1, "play_sound", 0},
    {&OptionsWindow::Check6, "animate_tray", 1},
    {&OptionsWindow::Check2, "start_with_windows", 1},
    {&OptionsWindow::Check3, "super_mode", 1},
    {&OptionsWindow::Check4, "close_dlg", 1},
    {&OptionsWindow::Check5, "clear_cookies", 0},
    {&OptionsWindow::Check7, "keep_history", 1},
}};

}  // namespace pelkrin
