// Command numbers of the tray menu and the list pop-up menus. The main window runs the same
// command when one of these arrives as WM_COMMAND, so another program (or a test) can post it.
#pragma once

#include <cstdint>

namespace pelkrin {

enum CommandId : std::uint16_t {
  // Tray menu (MenuMain).
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
};

// Window classes of the program's own windows, as other programs find them.
inline constexpr char kMainWindowClass[] = "PelkrinMain";      // frmMain, caption "Pelkrin"
inline constexpr char kTrayWindowClass[] = "PelkrinTrayIcon";  // the tray control's window
inline constexpr char kFormWindowClass[] = "PelkrinForm";      // every skinned window
inline constexpr std::uint32_t kTrayCallbackMessage = 0x465;

}  // namespace pelkrin
