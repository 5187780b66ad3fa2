// The setting keys of the Options window's general options and of the Advanced options window's
// switches, each table in the one order in which the window loads and saves them and start-up
// writes the defaults of the missing ones.
#pragma once

#include <array>

namespace pelkrin {

inline constexpr std::array<const char*, 7> kGeneralOptionKeys = {
    "play_sound", "animate_tray",  "start_with_windows", "super_mode",
    "close_dlg",  "clear_cookies", "keep_history",
};

inline constexpr std::array<const char*, 6> kAdvancedSwitchKeys = {
    "adv_max", "adv_min", "adv_title", "adv_busyicon", "adv_adware", "adv_flash",
};

}  // namespace pelkrin
