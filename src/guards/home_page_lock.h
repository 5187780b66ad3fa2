// The home page lock: the browser's start page, the desired page the user wants it to be (setting
// "home_page"), and the check that offers to put the desired page back while the lock (setting
// "lock_home_page") is on. Start-up, every pelk and shutdown run the check.
#pragma once

#include <string>

#include "platform/platform.h"
#include "settings/settings_store.h"

namespace pelkrin {

inline constexpr char kLockHomePageKey[] = "lock_home_page";
inline constexpr char kHomePageKey[] = "home_page";
// The browser's start page.
inline constexpr char kStartPageKeyPath[] = "Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr char kStartPageValue[] = "Start Page";
inline constexpr char kHomePageLockTitle[] = "Pelkrin - Home Page Lock";

class HomePageLock {
 public:
  HomePageLock(Registry& registry, SettingsStore& settings, Dialogs& dialogs,
               Diagnostics& diagnostics);

  // While the lock is on and the start page differs from the desired page in any way, letter
  // case included: asks whether to put the desired page back. Yes restores it; No makes the
  // changed page the desired one, so the same change is not reported again.
  void Check();

  // The browser's start page as it is now; "" when it cannot be read.
  std::string StartPage();
  // Makes `page` the browser's start page. A value that cannot be written leaves a diagnostic
  // line and returns false.
  [[nodiscard]] bool SetStartPage(const std::string& page);

 private:
  Registry& registry_;
  SettingsStore& settings_;
  Dialogs& dialogs_;
  Diagnostics& diagnostics_;
};

}  // namespace pelkrin
