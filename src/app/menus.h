// The one table of each of the main window's menus: the tray menu's items in their order, with
// what each does, and the items of the three list pop-up menus. The main window builds its
// menus from these tables and from nothing else.
#pragma once

#include "app/command_ids.h"
#include "lists/list_model.h"

namespace pelkrin {

// The windows that the tray menu's commands open (and the Advanced options window, which its
// command number opens), as the program around the main window opens them: each shows its
// window, making it first where needed.
class WindowOpener {
 public:
  virtual ~WindowOpener() = default;
  virtual void ShowHelpTopicsWindow() = 0;
  virtual void ShowCookieRemoverWindow() = 0;
  virtual void ShowHomePageLockWindow() = 0;
  virtual void ShowAboutWindow() = 0;
  virtual void ShowOptionsWindow() = 0;
  virtual void ShowAllowBlockWindow() = 0;
  virtual void ShowHistoryWindow() = 0;
  // The Options window steps aside and the Advanced options window comes up.
  virtual void ShowAdvancedOptionsWindow() = 0;
  // "E&xit": the exit confirmation window, which ends the program or goes away again.
  virtual void ShowExitConfirmation() = 0;
};

// What a tray menu item does when it is chosen.
enum class TrayAction {
  kNone,              // a separator, or a submenu: opening one only plays the menu sound
  kOpen,              // the barble sound, then the item's window
  kOpenAfterPause,    // the barble sound, a tenth of a second, then the item's window
  kKillAllIeWindows,  // closes the browser windows
  kRestorePopup,      // shows the last hidden popup again
  kRestoreFlashAd,    // shows the last hidden Flash control again
  kPelkPopups,        // the click sound, and pelking switches
};

struct TrayMenuRow {
  bool in_submenu;      // belongs to the last submenu above it rather than to the menu itself
  const char* name;     // "" for a separator
  const char* caption;  // "-" for a separator
  CommandId command;    // also run when it arrives as WM_COMMAND; 0 for none
  TrayAction action;
  void (WindowOpener::*window)();  // the window that kOpen and kOpenAfterPause open
};

inline constexpr char kTraySeparator[] = "-";

// The tray menu, top to bottom. "&Pelk Popups" is its default item.
inline constexpr TrayMenuRow kTrayMenu[] = {
    {false, "TheHelpMenu", "&Tools && Help", {}, TrayAction::kNone, nullptr},
    {true, "HelpTopics", "&Help Topics", kCmdHelpTopics, TrayAction::kOpen,
     &WindowOpener::ShowHelpTopicsWindow},
    {true, "", kTraySeparator, {}, TrayAction::kNone, nullptr},
    {true, "RemoveCookies", "Delete &Cookies", kCmdRemoveCookies, TrayAction::kOpenAfterPause,
     &WindowOpener::ShowCookieRemoverWindow},
    {true, "KillAllIeWindows", "&Kill All IE Windows", kCmdKillAllIeWindows,
     TrayAction::kKillAllIeWindows, nullptr},
    {true, "HomePageLock", "Home &Page Lock", kCmdHomePageLock, TrayAction::kOpen,
     &WindowOpener::ShowHomePageLockWindow},
    {true, "", kTraySeparator, {}, TrayAction::kNone, nullptr},
    {true, "AboutPelkrin", "&About Pelkrin", kCmdAboutPelkrin, TrayAction::kOpenAfterPause,
     &WindowOpener::ShowAboutWindow},
    {false, "", kTraySeparator, {}, TrayAction::kNone, nullptr},
    {false, "OptionsMenu", "&Options", kCmdOptionsMenu, TrayAction::kOpenAfterPause,
     &WindowOpener::ShowOptionsWindow},
    {false, "AllowBlockList", "&Allow / Block", kCmdAllowBlockList, TrayAction::kOpenAfterPause,
     &WindowOpener::ShowAllowBlockWindow},
    {false, "", kTraySeparator, {}, TrayAction::kNone, nullptr},
    {false, "StatsMenu", "H&istory List", kCmdStatsMenu, TrayAction::kOpenAfterPause,
     &WindowOpener::ShowHistoryWindow},
    {false, "RestoreMode", "&Restore Last", {}, TrayAction::kNone, nullptr},
    {true, "RestorePopup", "&Popup", kCmdRestorePopup, TrayAction::kRestorePopup, nullptr},
    {true, "RestoreFlashAd", "&Flash Ad", kCmdRestoreFlashAd, TrayAction::kRestoreFlashAd, nullptr},
    {false, "", kTraySeparator, {}, TrayAction::kNone, nullptr},
    {false, "PelkPopups", "&Pelk Popups", kCmdPelkPopups, TrayAction::kPelkPopups, nullptr},
    {false, "", kTraySeparator, {}, TrayAction::kNone, nullptr},
    {false, "ExitMenu", "E&xit", kCmdExitMenu, TrayAction::kOpenAfterPause,
     &WindowOpener::ShowExitConfirmation},
};

// One list pop-up menu: the item that removes the selected entry (the menu's default item), a
// separator, and the item that clears the whole list after asking.
struct ListMenuRow {
  AllowList list;
  const char* remove_name;
  const char* remove_caption;
  CommandId remove_command;
  const char* clear_name;
  const char* clear_caption;
  CommandId clear_command;
};

inline constexpr ListMenuRow kListMenus[] = {
    {AllowList::kCaption, "RemoveCaption", "&Remove Caption", kCmdRemoveCaption,
     "ClearEntireCaptionList", "&Clear Entire List", kCmdClearEntireCaptionList},
    {AllowList::kDomain, "RemoveDomain", "&Remove Domain", kCmdRemoveDomain,
     "ClearEntireDomainList", "&Clear Entire List", kCmdClearEntireDomainList},
    {AllowList::kBlock, "RemoveBlackListEntry", "&Remove Entry", kCmdRemoveBlackListEntry,
     "ClearBlackList", "&Clear Block List", kCmdClearBlackList},
};

}  // namespace pelkrin
