#include "app/exit_confirmation_window.h"

#include <utility>

#include "settings/option_keys.h"
#include "settings/setting_value.h"
#include "ui/chrome.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 128;
constexpr int kLeft = 18;

}  // namespace

ExitConfirmationWindow::ExitConfirmationWindow(const FormServices& services,
                                               SettingsStore& settings, ExitConfirmationHooks hooks)
    : Form(services.views, "ExitConfirmationWindow", kAppTitle, {0, 0, kWidth, kHeight}),
      title_strip(*this, "title_strip", {}, "", ControlKind::kTitleStrip),
      drag_handle(*this, "drag_handle", {}),
      question_label_copy(*this, "question_label_copy", {kLeft - 1, 37, kWidth - 2 * kLeft, 16}),
      question_label(*this, "question_label", {kLeft, 38, kWidth - 2 * kLeft, 16}, kExitQuestion),
      never_ask_box(*this, "never_ask_box", {kLeft + 2, 64, 14, 14}, 0),
      never_ask_label(*this, "never_ask_label", {kLeft + 22, 63, kWidth - kLeft - 40, 16},
                      kNeverAskAgain),
      ok_button(*this, "ok_button", {kWidth - 2 * 84, kHeight - 36, 76, 24}, "&Ok"),
      cancel_button(*this, "cancel_button", {kWidth - 88, kHeight - 36, 76, 24}, "&Cancel"),
      windows_(services.windows),
      sounds_(services.sounds),
      settings_(settings),
      hooks_(std::move(hooks)) {
  back_color = kSkinBack;
  // No close mark: the window closes through Ok or Cancel.
  SetUpChrome(*this, title_strip, drag_handle, nullptr, Caption(), services.drag, "", {});

  question_label.font.bold = question_label_copy.font.bold = true;
  question_label.fore_color = kTextColor;
  question_label_copy.fore_color = kCopyLabelColor;
  question_label.SetCopy(question_label_copy);
  never_ask_label.fore_color = kTextColor;
  never_ask_box.caption = kNeverAskAgain;

  ok_button.tool_tip = "Exit Pelkrin.";
  cancel_button.tool_tip = "Keep Pelkrin running.";
  StyleButton(ok_button);
  StyleButton(cancel_button);
  ok_button.on_click = [this] { Ok(); };
  cancel_button.on_click = [this] { Cancel(); };

  // The box changes its own state; the text beside it toggles the box, after a click sound of
  // its own.
  never_ask_box.on_click = [this] { sounds_.PlayClickSound(); };
  never_ask_label.on_click = [this] {
    sounds_.PlayClickSound();
    never_ask_box.SetValue(never_ask_box.Value() == 1 ? 0 : 1);
  };

  int tab = 0;
  for (Control* control :
       std::initializer_list<Control*>{&never_ask_box, &ok_button, &cancel_button})
    control->tab_index = ++tab;
}

void ExitConfirmationWindow::OnLoad() {
  MakeTopmost(windows_, *this);
  Hide();
}

void ExitConfirmationWindow::Activated() {
  if (SettingNumber(settings_.ReadSetting(kCloseDialogKey)) != 0) return;  // the user decides
  // Asked never to ask: the program ends at once, as "&Ok" ends it, without a sound and without
  // writing anything.
  hooks_.remove_tray_icon();
  hooks_.unload_main_and_end();
}

void ExitConfirmationWindow::Ok() {
  sounds_.PlayClickSound();
  hooks_.remove_tray_icon();
  if (never_ask_box.Value() == 1) settings_.WriteSettingOrTrace(kCloseDialogKey, "0");
  hooks_.unload_main_and_end();
}

void ExitConfirmationWindow::Cancel() {
  sounds_.PlayClickSound();
  hooks_.dismiss();
}

}  // namespace pelkrin
