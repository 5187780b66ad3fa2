#include "app/entry_menu_commands.h"

#include <algorithm>
#include <cctype>

#include "detector/popup_rules.h"
#include "detector/restore.h"
#include "lists/list_model.h"
#include "settings/registry_routines.h"

namespace pelkrin {

std::string BrowserProgram(Registry& registry) {
  std::string path = RegReadString(registry, kHkeyLocalMachine, kBrowserAppPathKey, "*", "");
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
    path = path.substr(1, path.size() - 2);
  return path;
}

EntryMenuCommands::EntryMenuCommands(Services services, DetectionCycle& detector,
                                     AllowBlockWindow& lists)
    : services_(services), detector_(detector), lists_(lists) {}

bool EntryMenuCommands::CanRestore(const PelkRecord& pelk) {
  return pelk.window && detector_.LastHiddenPopup() == pelk.window &&
         IsBrowserWindowClass(pelk.window_class) &&
         services_.windows.ClassName(*pelk.window, 260) == pelk.window_class;
}

void EntryMenuCommands::ReadAddressNow(const PelkRecord& pelk) {
  detector_.ReadWaitingAddressNow(pelk.serial);
}

bool EntryMenuCommands::IsBlocked(const PelkRecord& pelk) {
  const std::vector<std::string>& blocked = lists_.block_list.Items();
  return std::find(blocked.begin(), blocked.end(), pelk.caption) != blocked.end();
}

void EntryMenuCommands::Reopen(const PelkRecord& pelk) {
  if (CanRestore(pelk)) {
    RestorePopup({services_.windows, services_.dialogs, services_.sounds, services_.diagnostics},
                 detector_.TakeLastHiddenPopup());
    return;
  }
  if (!pelk.address) return;
  services_.sounds.PlayClickSound();
  const std::string& address = *pelk.address;
  const std::string browser = BrowserProgram(services_.registry);
  // An address has to begin with a letter (its scheme, or a host): one that began like "-k" or
  // "/embedding" would be taken by the browser for one of its switches.
  const bool openable =
      !address.empty() && std::isalpha(static_cast<unsigned char>(address.front())) != 0;
  if (openable && !browser.empty() && services_.process.StartProgram(browser, address)) return;
  services_.diagnostics.Trace("reopening \"" + address + "\": " +
                              (!openable         ? "it does not begin like an address"
                               : browser.empty() ? "Internet Explorer has no App Paths entry"
                                                 : "\"" + browser + "\" did not start"));
  services_.dialogs.MessageBox(kCannotReopen, kHistoryTitle, kStopSystemModal);
}

void EntryMenuCommands::AllowSite(const PelkRecord& pelk) {
  if (!pelk.address) return;
  services_.sounds.PlayClickSound();
  const std::optional<std::string> host = HostOfAddress(*pelk.address);
  if (host && lists_.AllowNow(AllowList::kDomain, *host)) return;
  services_.dialogs.MessageBox(kNoSiteToAllow, kListBoxTitle, kExclamationSystemModal);
}

void EntryMenuCommands::AllowCaption(const PelkRecord& pelk) {
  services_.sounds.PlayClickSound();
  // Only an empty caption is refused, and its item is greyed.
  (void)lists_.AllowNow(AllowList::kCaption, pelk.short_caption);
}

}  // namespace pelkrin
