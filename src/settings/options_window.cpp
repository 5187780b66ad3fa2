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

}  // namespace

OptionsWindow::OptionsWindow(const FormServices& services, Parts parts, SettingsStore& settings,
                             std::string program_folder, std::string program_path,
                             std::function<void()> show_advanced_options)
    : Form(services.views, "OptionsWindow", "Pelkrin - Options", {0, 0, kWidth, kHeight}),
      RainButton1(*this, "RainButton1", {}, "", ControlKind::kTitleStrip),
      Label1(*this, "Label1", {}),
      Label9(*this, "Label9", kLayout.Copy(34)),
      Label2(*this, "Label2", kLayout.Heading(34), "When a popup has been pelked:"),
      Check1(*this, "Check1", kLayout.Box(56), 0),
      Label3(*this, "Label3", kLayout.Label(55), "Play a sound file"),
      Check6(*this, "Check6", kLayout.Box(76), 0),
      Label4(*this, "Label4", kLayout.Label(75), "Animate the system tray icon"),
      Check7(*this, "Check7", kLayout.Box(96), 0),
      Label5(*this, "Label5", kLayout.Label(95), "Add popup caption to the history list"),
      Text1(*this, "Text1", {kBoxLeft, 120, kWidth - kBoxLeft - 12, 20}),
      RainButton2(*this, "RainButton2", {kWidth - 2 * 80 - 4, 146, 76, 22}, "&Browse"),
      RainButton6(*this, "RainButton6", {kWidth - 88, 146, 76, 22}, "&Preview"),
      Line1(*this, "Line1", kLayout.Line(178), Shape::Style::kRectangle, kLineColor),
      Label10(*this, "Label10", kLayout.Copy(188)),
      Label6(*this, "Label6", kLayout.Heading(188), "Start / Close Program:"),
      Check2(*this, "Check2", kLayout.Box(210), 0),
      Label7(*this, "Label7", kLayout.Label(209), "Start Pelkrin with Windows"),
      Check3(*this, "Check3", kLayout.Box(230), 0),
      Label8(*this, "Label8", kLayout.Label(229), "Automatically enable Pelkrin"),
      Check4(*this, "Check4", kLayout.Box(250), 0),
      Label11(*this, "Label11", kLayout.Label(249), "Display the close program dialogue"),
      Check5(*this, "Check5", {kWidth - 30, 250, 14, 14}, 0),
      Line2(*this, "Line2", kLayout.Line(274), Shape::Style::kRectangle, kLineColor),
      RainButton5(*this, "RainButton5", {kLeft, 284, 116, 24}, "&Advanced Options"),
      RainButton3(*this, "RainButton3", {kWidth - 2 * 80 - 4, 284, 76, 24}, "&Save"),
      RainButton4(*this, "RainButton4", {kWidth - 88, 284, 76, 24}, "&Cancel"),
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
  SetUpChrome(*this, RainButton1, Label1, nullptr, Caption(), services.drag, "", {});

  for (Label* heading : {&Label2, &Label6}) {
    heading->font.bold = true;
    heading->fore_color = kTextColor;
  }
  for (Label* copy : {&Label9, &Label10}) {
    copy->font.bold = true;
    copy->fore_color = kCopyLabelColor;
  }
  Label2.SetCopy(Label9);
  Label6.SetCopy(Label10);

  // Each box and its label share the tooltip; a click on the label toggles the box after a
  // click sound of its own.
  const struct {
    CheckBox* box;
    Label* label;
    const char* tip;
  } rows[] = {
      {&Check1, &Label3, "Play the wave file of your choice when a popup has been pelked."},
      {&Check6, &Label4,
       "When a popup has been pelked, the system tray will briefly display a trash can icon."},
      {&Check7, &Label5,
       "When a popup has been pelked, the popup caption will be added to the history list."},
      {&Check2, &Label7,
       "Pelkrin will automatically start when you start your computer.  This way you will never "
       "forget to run Pelkrin while browsing the internet."},
      {&Check3, &Label8,
       "Turn Pelkrin on automatically when the program starts.  Disable this option to save on "
       "system resources while not browing the internet."},
      {&Check4, &Label11, "Prompts you with \"Are you sure you want to exit pelkrin?\""},
  };
  for (const auto& [box, label, tip] : rows) {
    box->tool_tip = label->tool_tip = tip;
    label->fore_color = kTextColor;
    label->on_click = [this, box = box] {
      sounds_.PlayClickSound();
      box->SetValue(box->Value() == 1 ? 0 : 1);
    };
  }
  Check5.tool_tip = "Automatically delete cookies when pelkrin has been closed.";

  Text1.tool_tip = "Location of wave file.";
  RainButton2.tool_tip =
      "Browse your computer for a wave sound file to be played when a popup has been pelked.";
  RainButton6.tool_tip = "Test your sound file.";
  RainButton3.tool_tip = "Save and exit.";
  RainButton4.tool_tip = "Cancel without saving.";
  RainButton5.tool_tip = "Advanced user options.";
  for (RainButton* button : {&RainButton2, &RainButton6, &RainButton5, &RainButton3, &RainButton4})
    StyleButton(*button);

  // Every box but the clear-cookies one plays the click sound when it changes, whoever changed
  // it; the start-with-Windows box also writes or deletes the start-up entry at once.
  for (CheckBox* box : {&Check1, &Check6, &Check7, &Check3, &Check4})
    box->on_click = [this] { sounds_.PlayClickSound(); };
  Check2.on_click = [this] { StartWithWindowsClicked(); };

  RainButton2.on_click = [this] { Browse(); };
  RainButton6.on_click = [this] { Preview(); };
  RainButton3.on_click = [this] { Save(); };
  RainButton4.on_click = [this] { Cancel(); };
  RainButton5.on_click = [this] { AdvancedOptions(); };

  int tab = 0;
  for (Control* control : std::initializer_list<Control*>{
           &Check1, &Check6, &Check7, &Text1, &RainButton2, &RainButton6, &Check2, &Check3, &Check4,
           &Check5, &RainButton5, &RainButton3, &RainButton4})
    control->tab_index = ++tab;
}

void OptionsWindow::OnLoad() {
  MakeTopmost(windows_, *this);
  const std::string sound_file = settings_.ReadSetting("sound_file");
  Text1.SetText(sound_file.empty()
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
  return PelkOptions{.keep_history = Check7.Value() == 1,
                     .play_sound = Check1.Value() == 1,
                     .animate_tray = Check6.Value() == 1,
                     .sound_file = Text1.Text()};
}

void OptionsWindow::StartWithWindowsClicked() {
  sounds_.PlayClickSound();
  if (Check2.Value() == 0) {
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
  const bool saved = SaveBoxesToSettings(settings_, *this, kOptionBoxes) &&
                     settings_.WriteSetting("sound_file", parts_.text_case.Lower(Text1.Text()));
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
      Text1.SetText(PathInFolder(program_folder_, *chosen));
      return;
    }
    // Only a name that ends in ".wav" as written, lower case, is taken.
    if (EndsWith(*chosen, ".wav")) {
      Text1.SetText(*chosen);
      return;
    }
    parts_.dialogs.MessageBox(kNotAWaveFileMessage, "Pelkrin Error", kExclamationSystemModal);
  }
}

void OptionsWindow::Preview() { sounds_.PlayFile(Text1.Text()); }

void OptionsWindow::AdvancedOptions() {
  sounds_.PlayClickSound();
  SetWindowState(1);
  Wait(parts_.events, 0.1);
  sounds_.PlayBarbleSound();
  Wait(parts_.events, 0.1);
  if (show_advanced_options_) show_advanced_options_();
}

}  // namespace pelkrin
