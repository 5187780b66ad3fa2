// The setting keys of the Options window's general options and of the Advanced options window's
// switches, each table in the one order in which the window loads and saves them and start-up
// writes the defaults of the missing ones; and the routine that sets a window's boxes from them.
#pragma once

#include <array>
#include <cstddef>

#include "settings/setting_value.h"
#include "settings/settings_store.h"
#include "ui/controls.h"

namespace pelkrin {

inline constexpr std::array<const char*, 7> kGeneralOptionKeys = {
    "play_sound", "animate_tray",  "start_with_windows", "super_mode",
    "close_dlg",  "clear_cookies", "keep_history",
};

// "0" once the user chose never to be asked again whether to exit.
inline constexpr char kCloseDialogKey[] = "close_dlg";

inline constexpr std::array<const char*, 6> kAdvancedSwitchKeys = {
    "adv_max", "adv_min", "adv_title", "adv_busyicon", "adv_adware", "adv_flash",
};

// Sets each box from the stored setting of the key in the same place, in table order; a value
// that is no number leaves its box. A box whose value changes raises its click handling.
template <std::size_t N>
void SetBoxesFromSettings(const SettingsStore& settings, const std::array<const char*, N>& keys,
                          const std::array<CheckBox*, N>& boxes) {
  for (std::size_t i = 0; i < N; ++i) {
    if (auto value = CheckBoxValue(settings.ReadSetting(keys[i]))) boxes[i]->SetValue(*value);
  }
}

}  // namespace pelkrin
