#include "settings/advanced_options_window.h"

#include <string>
#include <utility>

#include "settings/options_layout.h"
#include "ui/chrome.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 260;
constexpr int kHeight = 318;
constexpr OptionsLayout kLayout{kWidth};

}  // namespace

AdvancedOptionsWindow::AdvancedOptionsWindow(const FormServices& services, SettingsStore& settings,
                                             EventLoop& events, Dialogs& dialogs,
                                             BlockButton& block_button,
                                             std::function<void()> restore_options_window)
    : Form(services.views, "AdvancedOptionsWindow", "Advanced Options", {0, 0, kWidth, kHeight}),
      RainButton1(*this, "RainButton1", {}, "", ControlKind::kTitleStrip),
      Label1(*this, "Label1", {}),
      Label2(*this, "Label2", kLayout.Heading(34), "Detection Methods:"),
      Label9(*this, "Label9", kLayout.Copy(58)),
      Label3(*this, "Label3", kLayout.Heading(58), "Kill windows without..."),
      Check1(*this, "Check1", kLayout.Box(80), 0),
      Label4(*this, "Label4", kLayout.Label(79), "...a maximize button"),
      Check2(*this, "Check2", kLayout.Box(100), 0),
      Label5(*this, "Label5", kLayout.Label(99), "...a minimize button"),
      Check5(*this, "Check5", kLayout.Box(120), 0),
      Label6(*this, "Label6", kLayout.Label(119), "...a title bar"),
      Line1(*this, "Line1", kLayout.Line(144), Shape::Style::kRectangle, kLineColor),
      Label10(*this, "Label10", kLayout.Copy(154)),
      Label7(*this, "Label7", kLayout.Heading(154), "Kill these types of ads:"),
      Check3(*this, "Check3", kLayout.Box(176), 0),
      Label8(*this, "Label8", kLayout.Label(175), "Adware popups"),
      Check4(*this, "Check4", kLayout.Box(196), 0),
      Label11(*this, "Label11", kLayout.Label(195), "Flash advertisements"),
      Line2(*this, "Line2", kLayout.Line(220), Shape::Style::kRectangle, kLineColor),
      Label13(*this, "Label13", kLayout.Copy(230)),
      Label12(*this, "Label12", kLayout.Heading(230), "Internet Explorer Block Button:"),
      Check6(*this, "Check6", kLayout.Box(252), 0),
      Label14(*this, "Label14", kLayout.Label(251), "Show block button"),
      Line3(*this, "Line3", kLayout.Line(276), Shape::Style::kRectangle, kLineColor),
      RainButton3(*this, "RainButton3", {kWidth - 2 * 84, 284, 76, 24}, "&Save"),
      RainButton4(*this, "RainButton4", {kWidth - 88, 284, 76, 24}, "&Cancel"),
      windows_(services.windows),
      sounds_(services.sounds),
      settings_(settings),
      events_(events),
      dialogs_(dialogs),
      block_button_(block_button),
      restore_options_window_(std::move(restore_options_window)) {
  back_color = kSkinBack;
  SetDesignValues(*this, kAdvancedBoxes);
  // No close mark: the window closes through Save or Cancel.
  SetUpChrome(*this, RainButton1, Label1, nullptr, Caption(), services.drag, "", {});

  Label2.font.bold = true;
  Label2.fore_color = kTextColor;
  for (Label* heading : {&Label3, &Label7, &Label12}) {
    heading->font.bold = true;
    heading->fore_color = kTextColor;
  }
  for (Label* copy : {&Label9, &Label10, &Label13}) {
    copy->font.bold = true;
    copy->fore_color = kCopyLabelColor;
  }
  Label3.SetCopy(Label9);
  Label7.SetCopy(Label10);
  Label12.SetCopy(Label13);

  RainButton3.tool_tip = "Save and exit.";
  RainButton4.tool_tip = "Cancel without saving.";
  StyleButton(RainButton3);
  StyleButton(RainButton4);
  RainButton3.on_click = [this] { Save(); };
  RainButton4.on_click = [this] { Cancel(); };

  // A change of a box, by a click, by its label or by the window itself, plays the click sound;
  // the detector sees a detection box's new value at its next survey, before anything is saved.
  for (CheckBox* box : {&Check1, &Check2, &Check5, &Check3, &Check4})
    box->on_click = [this] { sounds_.PlayClickSound(); };
  Check6.on_click = [this] {
    sounds_.PlayClickSound();
    BlockButtonSwitched();
  };
  // A click on a label toggles its box, after a click sound of its own.
  const std::pair<Label*, CheckBox*> labels[] = {{&Label4, &Check1},  {&Label5, &Check2},
                                                 {&Label6, &Check5},  {&Label8, &Check3},
                                                 {&Label11, &Check4}, {&Label14, &Check6}};
  for (const auto& [label, box] : labels) {
    label->fore_color = kTextColor;
    label->on_click = [this, box = box] {
      sounds_.PlayClickSound();
      box->SetValue(box->Value() == 1 ? 0 : 1);
    };
  }

  int tab = 0;
  for (Control* control : std::initializer_list<Control*>{
           &Check1, &Check2, &Check5, &Check3, &Check4, &Check6, &RainButton3, &RainButton4})
    control->tab_index = ++tab;
}

void AdvancedOptionsWindow::OnLoad() {
  MakeTopmost(windows_, *this);
  SetBoxesFromSettings();
}

void AdvancedOptionsWindow::SetBoxesFromSettings() {
  pelkrin::SetBoxesFromSettings(settings_, *this, kAdvancedBoxes);
}

DetectionSwitches AdvancedOptionsWindow::Switches() const {
  return DetectionSwitches{
      .no_maximize_box = Check1.Value() == 1,
      .no_minimize_box = Check2.Value() == 1,
      .no_title_bar = Check5.Value() == 1,
      .adware = Check3.Value() == 1,
      .flash = Check4.Value() == 1,
  };
}

void AdvancedOptionsWindow::BlockButtonSwitched() {
  // Loading the window at start-up removes a button the user switched off; installing only
  // ever follows the user's own click.
  const auto report = Visible() ? BlockButton::Report::kToTheUser : BlockButton::Report::kSilently;
  if (Check6.Value() == 1) {
    // An empty flag makes the installation write every value again, even over a button that is
    // there already (it may point at the program's old folder).
    settings_.WriteSettingOrTrace(kIconCreatedKey, "");
    Wait(events_, 0.2);
    block_button_.Install(report);
  } else {
    block_button_.Remove(report);
  }
}

void AdvancedOptionsWindow::Save() {
  sounds_.PlayClickSound();
  // Success is reported only when every value reached the file.
  if (SaveBoxesToSettings(settings_, *this, kAdvancedBoxes)) {
    dialogs_.MessageBox(kSettingsSavedMessage, kAppTitle, kInformationSystemModal);
  } else {
    dialogs_.MessageBox(kSettingsNotSavedMessage, kAppTitle, kStopSystemModal);
  }
  if (restore_options_window_) restore_options_window_();
  Hide();
}

void AdvancedOptionsWindow::Cancel() {
  sounds_.PlayClickSound();
  if (dialogs_.MessageBox(kCancelQuestion, kAppTitle, kQuestionYesNoSystemModal) != kIdYes) return;
  if (restore_options_window_) restore_options_window_();
  // Each box goes back to its stored value with its usual effect: a Block button switched on or
  // off since the last save is removed or installed again to match the stored switch.
  SetBoxesFromSettings();
  Hide();
}

}  // namespace pelkrin
