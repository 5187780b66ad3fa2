// The key tables of the Options and Advanced options windows: each stored value reaches its own
// box, and the detector's view of the switches names each box rightly.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "settings/option_keys.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::SimApp;

// Starts with every key of `table` stored as "1" except `off`, stored as "0".
template <typename Window, std::size_t N>
void StartWithOneOff(SimApp& p, const std::array<OptionBox<Window>, N>& table,
                     std::string_view off) {
  std::string file;
  for (const auto& row : table)
    file += std::string(row.key) + "=" + (row.key == off ? "0" : "1") + "\r\n";
  p.Start(file);
}

TEST(OptionBoxes, EachGeneralOptionLandsInItsOwnBox) {
  const struct {
    const char* key;
    CheckBox OptionsWindow::*box;
  } expected[] = {{"play_sound", &OptionsWindow::play_sound_box},
                  {"animate_tray", &OptionsWindow::animate_tray_box},
                  {"start_with_windows", &OptionsWindow::start_with_windows_box},
                  {"super_mode", &OptionsWindow::enable_at_start_box},
                  {"close_dlg", &OptionsWindow::exit_question_box},
                  {"clear_cookies", &OptionsWindow::clear_cookies_box},
                  {"keep_history", &OptionsWindow::keep_history_box}};
  ASSERT_EQ(std::size(expected), kOptionBoxes.size());
  for (const auto& off : expected) {
    SimApp p;
    StartWithOneOff(p, kOptionBoxes, off.key);
    for (const auto& [key, box] : expected) {
      EXPECT_EQ((p->options_window.*box).Value(), &box == &off.box ? 0 : 1)
          << key << " with " << off.key << " off";
    }
  }
}

TEST(OptionBoxes, EachAdvancedSwitchLandsInItsOwnBoxAndTheDetectorSeesIt) {
  const struct {
    const char* key;
    CheckBox AdvancedOptionsWindow::*box;
    bool DetectionSwitches::*flag;  // nullptr: not a detection switch
  } expected[] = {
      {"adv_max", &AdvancedOptionsWindow::no_maximize_button_box,
       &DetectionSwitches::no_maximize_box},
      {"adv_min", &AdvancedOptionsWindow::no_minimize_button_box,
       &DetectionSwitches::no_minimize_box},
      {"adv_title", &AdvancedOptionsWindow::no_title_bar_box, &DetectionSwitches::no_title_bar},
      {"adv_busyicon", &AdvancedOptionsWindow::block_button_box, nullptr},
      {"adv_adware", &AdvancedOptionsWindow::adware_box, &DetectionSwitches::adware},
      {"adv_flash", &AdvancedOptionsWindow::flash_box, &DetectionSwitches::flash}};
  ASSERT_EQ(std::size(expected), kAdvancedBoxes.size());
  for (const auto& off : expected) {
    SimApp p;
    StartWithOneOff(p, kAdvancedBoxes, off.key);
    const DetectionSwitches switches = p->advanced_options_window.Switches();
    for (const auto& [key, box, flag] : expected) {
      const bool is_off = &box == &off.box;
      EXPECT_EQ((p->advanced_options_window.*box).Value(), is_off ? 0 : 1)
          << key << " with " << off.key << " off";
      if (flag) {
        EXPECT_EQ(switches.*flag, !is_off) << key << " with " << off.key << " off";
      }
    }
  }
}

}  // namespace
}  // namespace pelkrin
