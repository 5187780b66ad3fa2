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
      RainButton1(*this, "RainButton1", {}, "", ControlKind::kTitleStrip),
      Label3(*this, "Label3", {}),
      Label4(*this, "Label4", {kLeft - 1, 37, kWidth - 2 * kLeft, 16}),
      Label1(*this, "Label1", {kLeft, 38, kWidth - 2 * kLeft, 16}, kExitQuestion),
      Check1(*this, "Check1", {kLeft + 2, 64, 14, 14}, 0),
      Label2(*this, "Label2", {kLeft + 22, 63, kWidth - kLeft - 40, 16}, kNeverAskAgain),
      RainButton2(*this, "RainButton2", {kWidth - 2 * 84, kHeight - 36, 76, 24}, "&Ok"),
      RainButton3(*this, "RainButton3", {kWidth - 88, kHeight - 36, 76, 24}, "&Cancel"),
      windows_(services.windows),
      sounds_(services.sounds),
      settings_(settings),
      hooks_(std::move(hooks)) {
  back_color = kSkinBack;
  // No close mark: the window closes through Ok or Cancel.
  SetUpChrome(*this, RainButton1, Label3, nullptr, Caption(), services.drag, "", {});

  Label1.font.bold = Label4.font.bold = true;
  Label1.fore_color = kTextColor;
  Label4.fore_color = kCopyLabelColor;
  Label1.SetCopy(Label4);
  Label2.fore_color = kTextColor;
  Check1.caption = kNeverAskAgain;

  RainButton2.tool_tip = "Exit Pelkrin.";
  RainButton3.tool_tip = "Keep Pelkrin running.";
  StyleButton(RainButton2);
  StyleButton(RainButton3);
  RainButton2.on_click = [this] { Ok(); };
  RainButton3.on_click = [this] { Cancel(); };

  // The box changes its own state; the text beside it toggles the box, after a click sound of
  // its own.
  Check1.on_click = [this] { sounds_.PlayClickSound(); };
  Label2.on_click = [this] {
    sounds_.PlayClickSound();
    Check1.SetValue(Check1.Value() == 1 ? 0 : 1);
  };

  int tab = 0;
  for (Control* control : std::initializer_list<Control*>{&Check1, &RainButton2, &RainButton3})
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
  if (Check1.Value() == 1) settings_.WriteSettingOrTrace(kCloseDialogKey, "0");
  hooks_.unload_main_and_end();
}

void ExitConfirmationWindow::Cancel() {
  sounds_.PlayClickSound();
  hooks_.dismiss();
}

}  // namespace pelkrin
