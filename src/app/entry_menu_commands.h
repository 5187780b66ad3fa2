// What the History window's entry menu does beyond that window: a pelked popup shown again or
// opened from its address in the system's browser, and its site or caption allowed.
#pragma once

#include <string>

#include "detector/detection_cycle.h"
#include "history/history_window.h"
#include "history/pelk_record.h"
#include "lists/allow_block_window.h"
#include "platform/platform.h"
#include "ui/services.h"

namespace pelkrin {

// Where Windows keeps the program file of Internet Explorer, as its unnamed value.
inline constexpr char kBrowserAppPathKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
inline constexpr char kCannotReopen[] =
    "Pelkrin could not open this popup's address in Internet Explorer.";
inline constexpr char kNoSiteToAllow[] = "There is no site in this popup's address to allow.";

// The program file of the system's browser, from its App Paths entry, without the quotes a path
// with blanks may be written in; "" when there is none.
std::string BrowserProgram(Registry& registry);

class EntryMenuCommands : public EntryMenuActions {
 public:
  struct Services {
    WindowManager& windows;
    Registry& registry;
    Process& process;
    Dialogs& dialogs;
    Sounds& sounds;
    Diagnostics& diagnostics;
  };
  // The popup is shown again through the detector; sites and captions go to the lists of the
  // Allow/Block window.
  EntryMenuCommands(Services services, DetectionCycle& detector, AllowBlockWindow& lists);

  // The handle is still the detector's last hidden popup and still names a window of the class
  // that was pelked: one that passed to another window since is not shown.
  bool CanRestore(const PelkRecord& pelk) override;
  bool IsBlocked(const PelkRecord& pelk) override;
  // As "&Popup" of "&Restore Last" while it can; otherwise the address in a new window of
  // Internet Explorer, started with the address as its one argument.
  void Reopen(const PelkRecord& pelk) override;
  // The address's host onto the domain list, as if typed; an address without a host adds
  // nothing and says so.
  void AllowSite(const PelkRecord& pelk) override;
  void AllowCaption(const PelkRecord& pelk) override;
  void ReadAddressNow(const PelkRecord& pelk) override;

 private:
  Services services_;
  DetectionCycle& detector_;
  AllowBlockWindow& lists_;
};

}  // namespace pelkrin
