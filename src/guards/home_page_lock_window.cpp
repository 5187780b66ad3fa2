#include "guards/home_page_lock_window.h"

#include <string>

#include "settings/setting_value.h"
#include "ui/chrome.h"
#include "ui/layout.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 236;
constexpr ColumnLayout kLayout(kWidth, 22);
constexpr int kLeft = kLayout.Left();

// The example address of the explanation.
constexpr char kExampleAddress[] = "http://www.example.com";

}  // namespace

HomePageLockWindow::HomePageLockWindow(const FormServices& services, SettingsStore& settings,
                                       EventLoop& events, Dialogs& dialogs, TextCase& text_case,
                                       HomePageLock& lock)
    : Form(services.views, "HomePageLockWindow", "Pelkrin - Home Page Lock",
           {0, 0, kWidth, kHeight}),
      title_strip(*this, "title_strip", {}, "", ControlKind::kTitleStrip),
      drag_handle(*this, "drag_handle", {}),
      close_mark(*this, "close_mark", {}),
      frame(*this, "frame", kLayout.Frame(158), Shape::Style::kRoundedRectangle, kFrameColor),
      current_page_heading_copy(*this, "current_page_heading_copy", {}),
      current_page_heading(*this, "current_page_heading", kLayout.Row(44), "Current Home Page:"),
      current_page_box(*this, "current_page_box", kLayout.Row(62, 21)),
      desired_page_heading_copy(*this, "desired_page_heading_copy", {}),
      desired_page_heading(*this, "desired_page_heading", kLayout.Row(92), "Desired Home Page:"),
      desired_page_box(*this, "desired_page_box", kLayout.Row(110, 21)),
      lock_box(*this, "lock_box", {kLeft, 142, 14, 14}, 0),
      lock_label(*this, "lock_label", {kLeft + 20, 141, kLayout.Inner() - 20, 16},
                 "Lock Desired Home Page"),
      reset_button(*this, "reset_button", {kLeft, 162, 150, 24}, "&Reset Home Page Now"),
      info_button(*this, "info_button", {kWidth - kLeft - 70, 162, 70, 24}, "&Info"),
      windows_(services.windows),
      sounds_(services.sounds),
      settings_(settings),
      events_(events),
      dialogs_(dialogs),
      text_case_(text_case),
      lock_(lock) {
  back_color = kSkinBack;
  SetUpChrome(*this, title_strip, drag_handle, &close_mark, Caption(), services.drag,
              "Close home page lock.", [this] { Close(); });
  AddHeading(current_page_heading, current_page_heading_copy);
  AddHeading(desired_page_heading, desired_page_heading_copy);
  current_page_box.locked = true;
  lock_label.fore_color = kTextColor;
  lock_box.tool_tip = lock_label.tool_tip = kLockTip;
  reset_button.tool_tip = "Set your homepage now to the desired home page.";
  info_button.tool_tip = "How to use home page lock...";
  StyleButton(reset_button);
  StyleButton(info_button);

  // A click on the text beside the box toggles it, without a sound.
  lock_label.on_click = [this] { lock_box.SetValue(lock_box.Value() == 1 ? 0 : 1); };
  reset_button.on_click = [this] { ResetNow(); };
  info_button.on_click = [this] { ShowInfo(); };
  SetTabOrder({&current_page_box, &desired_page_box, &lock_box, &reset_button, &info_button});
}

void HomePageLockWindow::OnLoad() {
  const InUse in_use(*this);
  MakeTopmost(windows_, *this);
  current_page_box.SetText(lock_.StartPage());
  // A fresh settings file: the lock starts off, and the start page is what it guards.
  if (settings_.ReadSetting(kLockHomePageKey).empty())
    settings_.WriteSettingOrTrace(kLockHomePageKey, "0");
  if (settings_.ReadSetting(kHomePageKey).empty())
    settings_.WriteSettingOrTrace(kHomePageKey, current_page_box.Text());
  Wait(events_, 0.2);
  if (auto value = CheckBoxValue(settings_.ReadSetting(kLockHomePageKey)))
    lock_box.SetValue(*value);
  desired_page_box.SetText(settings_.ReadSetting(kHomePageKey));
}

void HomePageLockWindow::ResetNow() {
  const InUse in_use(*this);
  sounds_.PlayClickSound();
  const std::string page = text_case_.Lower(desired_page_box.Text());
  if (page == lock_.StartPage()) {
    dialogs_.MessageBox("Your home page is already set to " + page + "!", kAppTitle,
                        kExclamationSystemModal);
    return;
  }
  // The settings are not touched here; a start page that could not be written is not reported
  // as reset.
  if (!lock_.SetStartPage(page)) return;
  Wait(events_, 0.2);
  dialogs_.MessageBox("Your home page has been reset to " + page, kAppTitle,
                      kInformationSystemModal);
  current_page_box.SetText(page);
}

std::string HomePageLockWindow::InfoText() {
  return std::string(
             "Your home page may be changed without your consent by a website that you visit!"
             "\r\r"
             "To prevent this, type your desired home page (ie: ") +
         kExampleAddress +
         ") in the provided box and check \"Lock Desired Home Page\".  Your home page will be set "
         "back to your desired home page if Pelkrin detects a change.";
}

void HomePageLockWindow::ShowInfo() {
  const InUse in_use(*this);
  dialogs_.MessageBox(InfoText(), kAppTitle, kInformationSystemModal);
}

void HomePageLockWindow::Close() {
  // A second click on the close mark while the question is open does nothing more.
  if (closing_ || !IsLoaded()) return;
  closing_ = true;
  const InUse in_use(*this);
  sounds_.PlayClickSound();
  settings_.WriteSettingOrTrace(kLockHomePageKey, std::to_string(lock_box.Value()));
  if (lock_box.Value() == 1) settings_.WriteSettingOrTrace(kHomePageKey, desired_page_box.Text());
  const std::string actual = lock_.StartPage();
  const std::string desired = settings_.ReadSetting(kHomePageKey);
  if (actual != desired) {
    const std::string question = "You have changed your desired page to " + desired +
                                 ".\r\rWould you like to make this your permanent start page?";
    if (dialogs_.MessageBox(question, kAppTitle, kQuestionYesNoSystemModal) == kIdYes) {
      // A failure has been shown to the user; the window closes all the same.
      static_cast<void>(lock_.SetStartPage(desired));
    } else {
      settings_.WriteSettingOrTrace(kHomePageKey, actual);
    }
  }
  Unload();
  closing_ = false;
}

}  // namespace pelkrin
