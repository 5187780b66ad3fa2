#include "settings/advanced_options_window.h"

#include <utility>

#include "settings/options_layout.h"
#include "ui/chrome.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 260;
constexpr int kHeight = 318;
constexpr OptionsLayout kLayout{kWidth};

using Window = AdvancedOptionsWindow;
constexpr LabelledBox<Window> kLabelledBoxes[] = {
    {&Window::no_maximize_button_box, &Window::no_maximize_button_label, 80, ""},
    {&Window::no_minimize_button_box, &Window::no_minimize_button_label, 100, ""},
    {&Window::no_title_bar_box, &Window::no_title_bar_label, 120, ""},
    {&Window::adware_box, &Window::adware_label, 176, ""},
    {&Window::flash_box, &Window::flash_label, 196, ""},
    {&Window::block_button_box, &Window::block_button_label, 252, ""},
};

// Where the controls other than the labelled boxes lie, and the tips they show.
void LayOut(AdvancedOptionsWindow& w) {
  Place({
      {w.detection_heading, kLayout.Heading(34)},
      {w.ad_kinds_line, kLayout.Line(144)},
      {w.block_button_line, kLayout.Line(220)},
      {w.buttons_line, kLayout.Line(276)},
      {w.save_button, {kWidth - 2 * 84, 284, 76, 24}, "Save and exit."},
      {w.cancel_button, {kWidth - 88, 284, 76, 24}, "Cancel without saving."},
  });
  w.detection_heading.font.bold = true;
  w.detection_heading.fore_color = kTextColor;
  PlaceHeading(kLayout, w.kill_without_heading, w.kill_without_heading_copy, 58);
  PlaceHeading(kLayout, w.ad_kinds_heading, w.ad_kinds_heading_copy, 154);
  PlaceHeading(kLayout, w.block_button_heading, w.block_button_heading_copy, 230);
}

}  // namespace

AdvancedOptionsWindow::AdvancedOptionsWindow(const FormServices& services, SettingsStore& settings,
                                             EventLoop& events, Dialogs& dialogs,
                                             BlockButton& block_button,
                                             std::function<void()> restore_options_window)
    : Form(services.views, "AdvancedOptionsWindow", "Advanced Options", {0, 0, kWidth, kHeight}),
      title_strip(*this, "title_strip", {}, "", ControlKind::kTitleStrip),
      drag_handle(*this, "drag_handle", {}),
      detection_heading(*this, "detection_heading", {}, "Detection Methods:"),
      kill_without_heading_copy(*this, "kill_without_heading_copy", {}),
      kill_without_heading(*this, "kill_without_heading", {}, "Kill windows without..."),
      no_maximize_button_box(*this, "no_maximize_button_box", {}, 0),
      no_maximize_button_label(*this, "no_maximize_button_label", {}, "...a maximize button"),
      no_minimize_button_box(*this, "no_minimize_button_box", {}, 0),
      no_minimize_button_label(*this, "no_minimize_button_label", {}, "...a minimize button"),
      no_title_bar_box(*this, "no_title_bar_box", {}, 0),
      no_title_bar_label(*this, "no_title_bar_label", {}, "...a title bar"),
      ad_kinds_line(*this, "ad_kinds_line", {}, Shape::Style::kRectangle, kLineColor),
      ad_kinds_heading_copy(*this, "ad_kinds_heading_copy", {}),
      ad_kinds_heading(*this, "ad_kinds_heading", {}, "Kill these types of ads:"),
      adware_box(*this, "adware_box", {}, 0),
      adware_label(*this, "adware_label", {}, "Adware popups"),
      flash_box(*this, "flash_box", {}, 0),
      flash_label(*this, "flash_label", {}, "Flash advertisements"),
      block_button_line(*this, "block_button_line", {}, Shape::Style::kRectangle, kLineColor),
      block_button_heading_copy(*this, "block_button_heading_copy", {}),
      block_button_heading(*this, "block_button_heading", {}, "Internet Explorer Block Button:"),
      block_button_box(*this, "block_button_box", {}, 0),
      block_button_label(*this, "block_button_label", {}, "Show block button"),
      buttons_line(*this, "buttons_line", {}, Shape::Style::kRectangle, kLineColor),
      save_button(*this, "save_button", {}, "&Save"),
      cancel_button(*this, "cancel_button", {}, "&Cancel"),
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
  SetUpChrome(*this, title_strip, drag_handle, nullptr, Caption(), services.drag, "", {});
  LayOut(*this);
  LayOutLabelledBoxes(*this, kLayout, sounds_, kLabelledBoxes);
  StyleButton(save_button);
  StyleButton(cancel_button);
  SetTabOrder({&no_maximize_button_box, &no_minimize_button_box, &no_title_bar_box, &adware_box,
               &flash_box, &block_button_box, &save_button, &cancel_button});

  save_button.on_click = [this] { Save(); };
  cancel_button.on_click = [this] { Cancel(); };
  // A change of a box, by a click, by its label or by the window itself, plays the click sound;
  // the detector sees a detection box's new value at its next survey, before anything is saved.
  for (CheckBox* box : {&no_maximize_button_box, &no_minimize_button_box, &no_title_bar_box,
                        &adware_box, &flash_box})
    box->on_click = [this] { sounds_.PlayClickSound(); };
  block_button_box.on_click = [this] {
    sounds_.PlayClickSound();
    BlockButtonSwitched();
  };
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
      .no_maximize_box = no_maximize_button_box.Value() == 1,
      .no_minimize_box = no_minimize_button_box.Value() == 1,
      .no_title_bar = no_title_bar_box.Value() == 1,
      .adware = adware_box.Value() == 1,
      .flash = flash_box.Value() == 1,
  };
}

void AdvancedOptionsWindow::BlockButtonSwitched() {
  // Loading the window at start-up removes a button the user switched off; installing only
  // ever follows the user's own click.
  const auto report = Visible() ? BlockButton::Report::kToTheUser : BlockButton::Report::kSilently;
  if (block_button_box.Value() == 1) {
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
