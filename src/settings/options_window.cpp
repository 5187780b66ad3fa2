#include "settings/options_window.h"

#include <stdexcept>
#include <utility>

#include "settings/options_layout.h"
#include "settings/startup_entry.h"
#include "ui/chrome.h"
#include "ui/text.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 318;
constexpr OptionsLayout kLayout{kWidth};
constexpr int kLeft = OptionsLayout::kLeft;
constexpr int kBoxLeft = OptionsLayout::kBoxLeft;

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

constexpr LabelledBox<OptionsWindow> kLabelledBoxes[] = {
    {&OptionsWindow::play_sound_box, &OptionsWindow::play_sound_label, 56,
     "Play the wave file of your choice when a popup has been pelked."},
    {&OptionsWindow::animate_tray_box, &OptionsWindow::animate_tray_label, 76,
     "When a popup has been pelked, the system tray will briefly display a trash can icon."},
    {&OptionsWindow::keep_history_box, &OptionsWindow::keep_history_label, 96,
     "When a popup has been pelked, the popup caption will be added to the history list."},
    {&OptionsWindow::start_with_windows_box, &OptionsWindow::start_with_windows_label, 210,
     "Pelkrin will automatically start when you start your computer.  This way you will never "
     "forget to run Pelkrin while browsing the internet."},
    {&OptionsWindow::enable_at_start_box, &OptionsWindow::enable_at_start_label, 230,
     "Turn Pelkrin on automatically when the program starts.  Disable this option to save on "
     "system resources while not browing the internet."},
    {&OptionsWindow::exit_question_box, &OptionsWindow::exit_question_label, 250,
     "Prompts you with \"Are you sure you want to exit pelkrin?\""},
};

// Where the controls other than the labelled boxes lie, and the tips they show.
void LayOut(OptionsWindow& w) {
  constexpr int kSecondButtonLeft = kWidth - 2 * 80 - 4;
  constexpr int kLastButtonLeft = kWidth - 88;
  Place({
      {w.sound_file_box, {kBoxLeft, 120, kWidth - kBoxLeft - 12, 20}, "Location of wave file."},
      {w.browse_button,
       {kSecondButtonLeft, 146, 76, 22},
       "Browse your computer for a wave sound file to be played when a popup has been pelked."},
      {w.preview_button, {kLastButtonLeft, 146, 76, 22}, "Test your sound file."},
      {w.start_close_line, kLayout.Line(178)},
      {w.clear_cookies_box,
       {kWidth - 30, 250, 14, 14},
       "Automatically delete cookies when pelkrin has been closed."},
      {w.buttons_line, kLayout.Line(274)},
      {w.advanced_options_button, {kLeft, 284, 116, 24}, "Advanced user options."},
      {w.save_button, {kSecondButtonLeft, 284, 76, 24}, "Save and exit."},
      {w.cancel_button, {kLastButtonLeft, 284, 76, 24}, "Cancel without saving."},
  });
  PlaceHeading(kLayout, w.pelked_heading, w.pelked_heading_copy, 34);
  PlaceHeading(kLayout, w.start_close_heading, w.start_close_heading_copy, 188);
}

}  // namespace

OptionsWindow::OptionsWindow(const FormServices& services, Parts parts, SettingsStore& settings,
                             std::string program_folder, std::string program_path,
                             std::function<void()> show_advanced_options)
    : Form(services.views, "OptionsWindow", "Pelkrin - Options", {0, 0, kWidth, kHeight}),
      title_strip(*this, "title_strip", {}, "", ControlKind::kTitleStrip),
      drag_handle(*this, "drag_handle", {}),
      pelked_heading_copy(*this, "pelked_heading_copy", {}),
      pelked_heading(*this, "pelked_heading", {}, "When a popup has been pelked:"),
      play_sound_box(*this, "play_sound_box", {}, 0),
      play_sound_label(*this, "play_sound_label", {}, "Play a sound file"),
      animate_tray_box(*this, "animate_tray_box", {}, 0),
      animate_tray_label(*this, "animate_tray_label", {}, "Animate the system tray icon"),
      keep_history_box(*this, "keep_history_box", {}, 0),
      keep_history_label(*this, "keep_history_label", {}, "Add popup caption to the history list"),
      sound_file_box(*this, "sound_file_box", {}),
      browse_button(*this, "browse_button", {}, "&Browse"),
      preview_button(*this, "preview_button", {}, "&Preview"),
      start_close_line(*this, "start_close_line", {}, Shape::Style::kRectangle, kLineColor),
      start_close_heading_copy(*this, "start_close_heading_copy", {}),
      start_close_heading(*this, "start_close_heading", {}, "Start / Close Program:"),
      start_with_windows_box(*this, "start_with_windows_box", {}, 0),
      start_with_windows_label(*this, "start_with_windows_label", {}, "Start Pelkrin with Windows"),
      enable_at_start_box(*this, "enable_at_start_box", {}, 0),
      enable_at_start_label(*this, "enable_at_start_label", {}, "Automatically enable Pelkrin"),
      exit_question_box(*this, "exit_question_box", {}, 0),
      exit_question_label(*this, "exit_question_label", {}, "Display the close program dialogue"),
      clear_cookies_box(*this, "clear_cookies_box", {}, 0),
      buttons_line(*this, "buttons_line", {}, Shape::Style::kRectangle, kLineColor),
      advanced_options_button(*this, "advanced_options_button", {}, "&Advanced Options"),
      save_button(*this, "save_button", {}, "&Save"),
      cancel_button(*this, "cancel_button", {}, "&Cancel"),
      windows_(services.windows),
      sounds_(services.sounds),
      parts_(parts),
      settings_(settings),
      program_folder_(std::move(program_folder)),
      program_path_(std::move(program_path)),
      show_advanced_options_(std::move(show_advanced_options)) {
  back_color = kSkinBack;
  SetDesignValues(*this, kOptionBoxes);
  // No close mark: the window is left through Save, Cancel or Advanced Options.
  SetUpChrome(*this, title_strip, drag_handle, nullptr, Caption(), services.drag, "", {});
  LayOut(*this);
  LayOutLabelledBoxes(*this, kLayout, sounds_, kLabelledBoxes);
  for (RainButton* button :
       {&browse_button, &preview_button, &advanced_options_button, &save_button, &cancel_button})
    StyleButton(*button);
  SetTabOrder({&play_sound_box, &animate_tray_box, &keep_history_box, &sound_file_box,
               &browse_button, &preview_button, &start_with_windows_box, &enable_at_start_box,
               &exit_question_box, &clear_cookies_box, &advanced_options_button, &save_button,
               &cancel_button});

  // Every box but the clear-cookies one plays the click sound when it changes, whoever changed
  // it; the start-with-Windows box also writes or deletes the start-up entry at once.
  for (CheckBox* box : {&play_sound_box, &animate_tray_box, &keep_history_box, &enable_at_start_box,
                        &exit_question_box})
    box->on_click = [this] { sounds_.PlayClickSound(); };
  start_with_windows_box.on_click = [this] { StartWithWindowsClicked(); };

  browse_button.on_click = [this] { Browse(); };
  preview_button.on_click = [this] { Preview(); };
  save_button.on_click = [this] { Save(); };
  cancel_button.on_click = [this] { Cancel(); };
  advanced_options_button.on_click = [this] { AdvancedOptions(); };
}

void OptionsWindow::OnLoad() {
  MakeTopmost(windows_, *this);
  const std::string sound_file = settings_.ReadSetting("sound_file");
  sound_file_box.SetText(sound_file.empty()
                             ? PathInFolder(parts_.text_case.Lower(program_folder_), kPopSoundFile)
                             : sound_file);
  SetBoxesFromSettings();
}

void OptionsWindow::SetBoxesFromSettings() {
  pelkrin::SetBoxesFromSettings(settings_, *this, kOptionBoxes);
}

int OptionsWindow::OptionValue(std::string_view key) const {
  for (const OptionBox<OptionsWindow>& row : kOptionBoxes)
    if (key == row.key) return (this->*row.box).Value();
  throw std::invalid_argument("no general option \"" + std::string(key) + "\"");
}

PelkOptions OptionsWindow::PelkingOptions() const {
  return PelkOptions{.keep_history = keep_history_box.Value() == 1,
                     .play_sound = play_sound_box.Value() == 1,
                     .animate_tray = animate_tray_box.Value() == 1,
                     .sound_file = sound_file_box.Text()};
}

void OptionsWindow::StartWithWindowsClicked() {
  sounds_.PlayClickSound();
  if (start_with_windows_box.Value() == 0) {
    if (!RemoveStartupEntry(parts_.registry))
      parts_.diagnostics.Trace("the start-up entry could not be deleted");
  } else if (!SetStartupEntry(parts_.registry, program_path_)) {
    parts_.diagnostics.Trace("the start-up entry could not be written");
  }
}

void OptionsWindow::SyncStartupEntry() {
  if (SettingNumber(settings_.ReadSetting("start_with_windows")) == 0) return;
  if (!SetStartupEntry(parts_.registry, program_path_))
    parts_.diagnostics.Trace("start-up: the start-up entry could not be written");
}

void OptionsWindow::Save() {
  sounds_.PlayClickSound();
  // Success is reported only when every value reached the file; the first failure skips the
  // rest.
  const bool saved =
      SaveBoxesToSettings(settings_, *this, kOptionBoxes) &&
      settings_.WriteSetting("sound_file", parts_.text_case.Lower(sound_file_box.Text()));
  if (saved) {
    parts_.dialogs.MessageBox(kSettingsSavedMessage, kAppTitle, kInformationSystemModal);
  } else {
    parts_.diagnostics.Trace("the options could not be saved to " + settings_.Path());
    parts_.dialogs.MessageBox(kSettingsNotSavedMessage, kAppTitle, kStopSystemModal);
  }
  Hide();
}

void OptionsWindow::Cancel() {
  sounds_.PlayClickSound();
  if (parts_.dialogs.MessageBox(kCancelQuestion, kAppTitle, kQuestionYesNoSystemModal) != kIdYes)
    return;
  // Each box goes back to its stored value with its usual effect (the start-up entry follows
  // its box). The sound file box keeps an unsaved choice for the rest of the run.
  SetBoxesFromSettings();
  Hide();
}

void OptionsWindow::Browse() {
  sounds_.PlayClickSound();
  // Owned by this window, the dialog is modal to it: this topmost window can neither cover it nor
  // be saved or cancelled while it is open.
  const FileDialogRequest request{.owner = Handle(),
                                  .initial_folder = program_folder_,
                                  .filter = kWaveFileFilter,
                                  .title = kWaveFileDialogTitle,
                                  .file_name = kPopSoundFile};
  for (;;) {
    const std::optional<std::string> chosen = parts_.dialogs.OpenFile(request);
    if (!chosen) return;
    if (chosen->empty() || *chosen == kPopSoundFile) {
      sound_file_box.SetText(PathInFolder(program_folder_, *chosen));
      return;
    }
    // Only a name that ends in ".wav" as written, lower case, is taken.
    if (EndsWith(*chosen, ".wav")) {
      sound_file_box.SetText(*chosen);
      return;
    }
    parts_.dialogs.MessageBox(kNotAWaveFileMessage, "Pelkrin Error", kExclamationSystemModal);
  }
}

void OptionsWindow::Preview() { sounds_.PlayFile(sound_file_box.Text()); }

void OptionsWindow::AdvancedOptions() {
  sounds_.PlayClickSound();
  SetWindowState(1);
  Wait(parts_.events, 0.1);
  sounds_.PlayBarbleSound();
  Wait(parts_.events, 0.1);
  if (show_advanced_options_) show_advanced_options_();
}

}  // namespace pelkrin
