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
  } expected[] = {
      {"play_sound", &OptionsWindow::Check1},         {"animate_tray", &OptionsWindow::Check6},
      {"start_with_windows", &OptionsWindow::Check2}, {"super_mode", &OptionsWindow::Check3},
      {"close_dlg", &OptionsWindow::Check4},          {"clear_cookies", &OptionsWindow::Check5},
      {"keep_history", &OptionsWindow::Check7}};
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
  } expected[] = {{"adv_max", &AdvancedOptionsWindow::Check1, &DetectionSwitches::no_maximize_box},
                  {"adv_min", &AdvancedOptionsWindow::Check2, &DetectionSwitches::no_minimize_box},
                  {"adv_title", &AdvancedOptionsWindow::Check5, &DetectionSwitches::no_title_bar},
                  {"adv_busyicon", &AdvancedOptionsWindow::Check6, nullptr},
                  {"adv_adware", &AdvancedOptionsWindow::Check3, &DetectionSwitches::adware},
                  {"adv_flash", &AdvancedOptionsWindow::Check4, &DetectionSwitches::flash}};
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
