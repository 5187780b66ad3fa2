// The one table of each options window's boxes: which box, the setting it loads from and saves
// to, and its design value. A window loads, saves and cancels through its table, in the table's
// order, and start-up writes a missing setting from it; no other list of these keys exists.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "settings/setting_value.h"
#include "settings/settings_store.h"
#include "ui/controls.h"

namespace pelkrin {

// What both options windows say on Save and ask on Cancel.
inline constexpr char kSettingsSavedMessage[] = "Settings saved successfully.";
inline constexpr char kSettingsNotSavedMessage[] =
    "There was an error saving your settings.  Please reload the program and try again.";
inline constexpr char kCancelQuestion[] = "Are you sure you want to cancel without saving?";

template <typename Window>
struct OptionBox {
  CheckBox Window::*box;
  const char* key;
  int design_value;  // the box's state when the window is built; the default of a missing setting
};

// "0" once the user chose never to be asked again whether to exit.
inline constexpr char kCloseDialogKey[] = "close_dlg";


// Gives each box its design value; the window does this before it wires the boxes' handlers.
template <typename Window, std::size_t N>
void SetDesignValues(Window& window, const std::array<OptionBox<Window>, N>& table) {
  for (const OptionBox<Window>& row : table) (window.*row.box).SetValue(row.design_value);
}

// Sets each box from its stored setting, in table order; a value that is no number leaves its
// box. A box whose value changes raises its click handling.
template <typename Window, std::size_t N>
void SetBoxesFromSettings(const SettingsStore& settings, Window& window,
                          const std::array<OptionBox<Window>, N>& table) {
  for (const OptionBox<Window>& row : table) {
    if (auto value = CheckBoxValue(settings.ReadSetting(row.key)))
      (window.*row.box).SetValue(*value);
  }
}

// Writes each box's value as decimal text, in table order. Stops at the first write that fails
// and returns false; the writes before it stay written.
template <typename Window, std::size_t N>
[[nodiscard]] bool SaveBoxesToSettings(SettingsStore& settings, const Window& window,
                         const std::array<OptionBox<Window>, N>& table) {
  for (const OptionBox<Window>& row : table) {
    if (!settings.WriteSetting(row.key, std::to_string((window.*row.box).Value()))) return false;
  }
  return true;
}

}  // namespace pelkrin
