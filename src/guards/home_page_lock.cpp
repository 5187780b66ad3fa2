#include "guards/home_page_lock.h"

#include "settings/registry_routines.h"
#include "ui/form.h"

namespace pelkrin {

HomePageLock::HomePageLock(Registry& registry, SettingsStore& settings, Dialogs& dialogs,
                           Diagnostics& diagnostics)
    : registry_(registry), settings_(settings), dialogs_(dialogs), diagnostics_(diagnostics) {}

std::string HomePageLock::StartPage() {
  return RegReadString(registry_, kHkeyCurrentUser, kStartPageKeyPath, kStartPageValue, "");
}

bool HomePageLock::SetStartPage(const std::string& page) {
  if (RegWriteString(registry_, kHkeyCurrentUser, kStartPageKeyPath, kStartPageValue, page))
    return true;
  diagnostics_.Trace("could not write the browser's start page");
  dialogs_.MessageBox(kStartPageNotWritten, kAppTitle, kStopSystemModal);
  return false;
}

void HomePageLock::Check() {
  if (settings_.ReadSetting(kLockHomePageKey) != "1") return;
  const std::string actual = StartPage();
  const std::string desired = settings_.ReadSetting(kHomePageKey);
  if (actual == desired) return;

  const std::string question =
      "Pelkrin has detected a change in your Internet Start Page!\r"
      "It is recommended that you click 'Yes' to restore your desired page.\r\r"
      "Current Page : " +
      actual + "\rDesired Page : " + desired + "\r\rReset to desired page?";
  if (dialogs_.MessageBox(question, kHomePageLockTitle, kQuestionYesNoSystemModal) == kIdYes) {
    // A start page that could not be written is not reported as reset; the next check asks
    // again.
    if (SetStartPage(desired))
      dialogs_.MessageBox("Your home page has successfully been reset to:\r\r" + desired, kAppTitle,
                          kInformationSystemModal);
    return;
  }
  settings_.WriteSettingOrTrace(kHomePageKey, actual);
  dialogs_.MessageBox("Your desired page is now " + actual +
                          ".  This can be changed in the 'Home Page Lock' section.",
                      kAppTitle, kInformationSystemModal);
}

}  // namespace pelkrin
