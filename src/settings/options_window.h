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
  RainButton title_strip;  // "Pelkrin - Options", no close mark
  Label drag_handle;
  Label pelked_heading_copy, pelked_heading;  // "When a popup has been pelked:"
  CheckBox play_sound_box;
  Label play_sound_label;
  CheckBox animate_tray_box;
  Label animate_tray_label;
  CheckBox keep_history_box;
  Label keep_history_label;
  TextBox sound_file_box;  // the wave file played on a pelk
  RainButton browse_button;
  RainButton preview_button;
  Shape start_close_line;
  Label start_close_heading_copy, start_close_heading;  // "Start / Close Program:"
  CheckBox start_with_windows_box;
  Label start_with_windows_label;
  CheckBox enable_at_start_box;  // super_mode
  Label enable_at_start_label;
  CheckBox exit_question_box;  // close_dlg
  Label exit_question_label;
  CheckBox clear_cookies_box;  // without a label of its own
  Shape buttons_line;
  RainButton advanced_options_button;
  RainButton save_button;
  RainButton cancel_button;

  // Sets the seven boxes from the stored settings; a value that is no number leaves its box.
  void SetBoxesFromSettings();
  // The state of the box of a general option, by its setting key (a key of kOptionBoxes).
  int OptionValue(std::string_view key) const;
  // What the pelk event reads: the boxes and the sound file as they are now.
  PelkOptions PelkingOptions() const;

  void Save();
  void Cancel();
  void Browse();
  void Preview();
  void AdvancedOptions();
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
    {&OptionsWindow::play_sound_box, "play_sound", 0},
    {&OptionsWindow::animate_tray_box, "animate_tray", 1},
    {&OptionsWindow::start_with_windows_box, "start_with_windows", 1},
    {&OptionsWindow::enable_at_start_box, "super_mode", 1},
    {&OptionsWindow::exit_question_box, "close_dlg", 1},
    {&OptionsWindow::clear_cookies_box, "clear_cookies", 0},
    {&OptionsWindow::keep_history_box, "keep_history", 1},
}};

}  // namespace pelkrin
