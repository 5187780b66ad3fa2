#include "guards/home_page_lock_window.h"

#include <string>

#include "settings/setting_value.h"
#include "ui/chrome.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 236;
constexpr int kLeft = 22;
constexpr int kInner = kWidth - 2 * kLeft;

// The example address of the explanation.
constexpr char kExampleAddress[] = "http://www.example.com";

}  // namespace

HomePageLockWindow::HomePageLockWindow(const FormServices& services, SettingsStore& settings,
                                       EventLoop& events, Dialogs& dialogs, TextCase& text_case,
                                       HomePageLock& lock)
    : Form(services.views, "HomePageLockWindow", "Pelkrin - Home Page Lock",
           {0, 0, kWidth, kHeight}),
      RainButton2(*this, "RainButton2", {}, "", ControlKind::kTitleStrip),
      Label4(*this, "Label4", {}),
      Label12(*this, "Label12", {}),
      Frame1(*this, "Frame1", {12, 34, kWidth - 24, 158}, Shape::Style::kRoundedRectangle,
             kFrameColor),
      Label1(*this, "Label1", {kLeft - 1, 43, kInner, 16}),
      Label5(*this, "Label5", {kLeft, 44, kInner, 16}, "Current Home Page:"),
      Text1(*this, "Text1", {kLeft, 62, kInner, 21}),
      Label2(*this, "Label2", {kLeft - 1, 91, kInner, 16}),
      Label6(*this, "Label6", {kLeft, 92, kInner, 16}, "Desired Home Page:"),
      Text2(*this, "Text2", {kLeft, 110, kInner, 21}),
      Check1(*this, "Check1", {kLeft, 142, 14, 14}, 0),
      Label3(*this, "Label3", {kLeft + 20, 141, kInner - 20, 16}, "Lock Desired Home Page"),
      RainButton1(*this, "RainButton1", {kLeft, 162, 150, 24}, "&Reset Home Page Now"),
      RainButton3(*this, "RainButton3", {kWidth - kLeft - 70, 162, 70, 24}, "&Info"),
      windows_(services.windows),
      sounds_(services.sounds),
      settings_(settings),
      events_(events),
      dialogs_(dialogs),
      text_case_(text_case),
      lock_(lock) {
  back_color = kSkinBack;
  SetUpChrome(*this, RainButton2, Label4, &Label12, Caption(), services.drag,
              "Close home page lock.", [this] { Close(); });

  for (Label* heading : {&Label5, &Label6}) {
    heading->font.bold = true;
    heading->fore_color = kTextColor;
  }
  for (Label* copy : {&Label1, &Label2}) {
    copy->font.bold = true;
    copy->fore_color = kCopyLabelColor;
  }
  Label5.SetCopy(Label1);
  Label6.SetCopy(Label2);
  Text1.locked = true;
  Label3.fore_color = kTextColor;
  Check1.tool_tip = Label3.tool_tip = kLockTip;
  RainButton1.tool_tip = "Set your homepage now to the desired home page.";
  RainButton3.tool_tip = "How to use home page lock...";
  StyleButton(RainButton1);
  StyleButton(RainButton3);

  // A click on the text beside the box toggles it, without a sound.
  Label3.on_click = [this] { Check1.SetValue(Check1.Value() == 1 ? 0 : 1); };
  RainButton1.on_click = [this] { ResetNow(); };
  RainButton3.on_click = [this] { ShowInfo(); };

  int tab = 0;
  for (Control* control :
       std::initializer_list<Control*>{&Text1, &Text2, &Check1, &RainButton1, &RainButton3})
    control->tab_index = ++tab;
}

void HomePageLockWindow::OnLoad() {
  const InUse in_use(*this);
  MakeTopmost(windows_, *this);
  Text1.SetText(lock_.StartPage());
  // A fresh settings file: the lock starts off, and the start page is what it guards.
  if (settings_.ReadSetting(kLockHomePageKey).empty())
    settings_.WriteSettingOrTrace(kLockHomePageKey, "0");
  if (settings_.ReadSetting(kHomePageKey).empty())
    settings_.WriteSettingOrTrace(kHomePageKey, Text1.Text());
  Wait(events_, 0.2);
  if (auto value = CheckBoxValue(settings_.ReadSetting(kLockHomePageKey))) Check1.SetValue(*value);
  Text2.SetText(settings_.ReadSetting(kHomePageKey));
}

void HomePageLockWindow::ResetNow() {
  const InUse in_use(*this);
  sounds_.PlayClickSound();
  const std::string page = text_case_.Lower(Text2.Text());
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
  Text1.SetText(page);
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
  settings_.WriteSettingOrTrace(kLockHomePageKey, std::to_string(Check1.Value()));
  if (Check1.Value() == 1) settings_.WriteSettingOrTrace(kHomePageKey, Text2.Text());
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
