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
    CheckBox Form2::*box;
  } expected[] = {{"play_sound", &Form2::Check1},         {"animate_tray", &Form2::Check6},
                  {"start_with_windows", &Form2::Check2}, {"super_mode", &Form2::Check3},
                  {"close_dlg", &Form2::Check4},          {"clear_cookies", &Form2::Check5},
                  {"keep_history", &Form2::Check7}};
  ASSERT_EQ(std::size(expected), kOptionBoxes.size());
  for (const auto& off : expected) {
    SimApp p;
    StartWithOneOff(p, kOptionBoxes, off.key);
    for (const auto& [key, box] : expected) {
      EXPECT_EQ((p->form2.*box).Value(), &box == &off.box ? 0 : 1)
          << key << " with " << off.key << " off";
    }
  }
}

TEST(OptionBoxes, EachAdvancedSwitchLandsInItsOwnBoxAndTheDetectorSeesIt) {
  const struct {
    const char* key;
    CheckBox Form8::*box;
    bool DetectionSwitches::*flag;  // nullptr: not a detection switch
  } expected[] = {{"adv_max", &Form8::Check1, &DetectionSwitches::no_maximize_box},
                  {"adv_min", &Form8::Check2, &DetectionSwitches::no_minimize_box},
                  {"adv_title", &Form8::Check5, &DetectionSwitches::no_title_bar},
                  {"adv_busyicon", &Form8::Check6, nullptr},
                  {"adv_adware", &Form8::Check3, &DetectionSwitches::adware},
                  {"adv_flash", &Form8::Check4, &DetectionSwitches::flash}};
  ASSERT_EQ(std::size(expected), kAdvancedBoxes.size());
  for (const auto& off : expected) {
    SimApp p;
    StartWithOneOff(p, kAdvancedBoxes, off.key);
    const DetectionSwitches switches = p->form8.Switches();
    for (const auto& [key, box, flag] : expected) {
      const bool is_off = &box == &off.box;
      EXPECT_EQ((p->form8.*box).Value(), is_off ? 0 : 1) << key << " with " << off.key << " off";
      if (flag) {
        EXPECT_EQ(switches.*flag, !is_off) << key << " with " << off.key << " off";
      }
    }
  }
}

}  // namespace
}  // namespace pelkrin
