// Command numbers of the tray menu and the list pop-up menus. The main window runs the same
// command when one of these arrives as WM_COMMAND, so another program (or a test) can post it.
#pragma once

#include <cstdint>

namespace pelkrin {

enum CommandId : std::uint16_t {
  // The tray menu.
  kCmdHelpTopics = 1001,
  kCmdRemoveCookies = 1002,
  kCmdKillAllIeWindows = 1003,
  kCmdHomePageLock = 1004,
  kCmdAboutPelkrin = 1005,
  kCmdOptionsMenu = 1006,
  kCmdAllowBlockList = 1007,
  kCmdStatsMenu = 1008,
  kCmdRestorePopup = 1009,
  kCmdRestoreFlashAd = 1010,
  kCmdPelkPopups = 1011,
  kCmdExitMenu = 1012,
  // List pop-up menus.
  kCmdRemoveCaption = 1101,
  kCmdClearEntireCaptionList = 1102,
  kCmdRemoveDomain = 1103,
  kCmdClearEntireDomainList = 1104,
  kCmdRemoveBlackListEntry = 1105,
  kCmdClearBlackList = 1106,
  // The Options window's "Advanced Options" button: shows the Advanced options window.
  kCmdAdvancedOptions = 1201,
};

// The main window's class (MainWindow, caption "Pelkrin"), as other programs find it. The tray
// control's window class is in tray/tray_icon.h, that of every skinned window in ui/form.h.
inline constexpr char kMainWindowClass[] = "PelkrinMain";

}  // namespace pelkrin
