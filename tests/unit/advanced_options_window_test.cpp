// The Advanced options window and the browser's Block button, as a user meets them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/block_button.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::Box;
using testing::InFolder;
using testing::SimApp;

struct AdvancedTest : ::testing::Test {
  std::optional<std::string> Value(const std::string& name) {
    return p.desktop.registry.Value(kHkeyLocalMachine, kBlockButtonKey, name);
  }
  bool KeyExists() { return p.desktop.registry.HasKey(kHkeyLocalMachine, kBlockButtonKey); }
  AdvancedOptionsWindow& w() { return p->advanced_options_window; }

  SimApp p;
};

TEST_F(AdvancedTest, TheFirstStartInstallsTheBlockButtonWithItsEightValues) {
  p.Start();
  ASSERT_TRUE(KeyExists());
  EXPECT_EQ(p.desktop.registry.ValueNames(kHkeyLocalMachine, kBlockButtonKey).size(), 8u);
  EXPECT_EQ(Value("ButtonText"), "Block");
  EXPECT_EQ(Value("CLSID"), "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}");
  EXPECT_EQ(Value("Default Visible"), "Yes");
  EXPECT_EQ(Value("Exec"), InFolder("block.exe"));
  EXPECT_EQ(Value("HotIcon"), InFolder("trash.ico"));
  EXPECT_EQ(Value("Icon"), InFolder("chopper.ico"));
  EXPECT_EQ(Value("MenuStatusBar"), "Block");
  EXPECT_EQ(Value("MenuText"), "&Block Popup");
  EXPECT_EQ(p.Setting("icon_created"), "1");

  // The next start leaves a button that is there alone, even when its values were changed.
  p.desktop.registry.Put(kHkeyLocalMachine, kBlockButtonKey, "Exec", "changed");
  p.Restart();
  EXPECT_EQ(Value("Exec"), "changed");
  // Switching off and on rewrites every value.
  w().Show();
  w().block_button_box.UserClick();
  p.desktop.registry.Put(kHkeyCurrentUser, kBlockButtonKey, "Exec", "C:\\Old\\block.exe");
  w().block_button_box.UserClick();
  EXPECT_EQ(Value("Exec"), InFolder("block.exe"));
  EXPECT_FALSE(p.desktop.registry.HasKey(kHkeyCurrentUser, kBlockButtonKey)) << "the only copy";
}

TEST_F(AdvancedTest, AButtonSwitchedOffStaysOffAcrossStarts) {
  p.desktop.registry.Put(kHkeyLocalMachine, kBlockButtonKey, "ButtonText", "Block");
  p.Start("ADV_BUSYICON=0\r\n");
  EXPECT_FALSE(KeyExists()) << "loading the window removes it again";
  EXPECT_EQ(p.Setting("icon_created"), "0");
  p.Restart();
  EXPECT_FALSE(KeyExists());
}

TEST_F(AdvancedTest, TheLabelSwitchesTheButtonAtOnceAndCancelPutsItBack) {
  p.desktop.sound.SetDeviceCount(1);
  p.Start();
  w().Show();
  const std::size_t sounds_before = p.SoundCount();
  w().block_button_label.Click();
  EXPECT_EQ(w().block_button_box.Value(), 0);
  EXPECT_FALSE(KeyExists()) << "removed at once, before Save";
  EXPECT_EQ(p.Setting("icon_created"), "0");
  EXPECT_EQ(p.SoundCount() - sounds_before, 2u) << "the label's click and the box's change";
  w().Save();

  // The program moved, with its settings file: switching on points at the new folder.
  p.desktop.files.Put("D:\\Tools\\Pelkrin\\pk.sys", p.FileBytes("pk.sys"));
  p.desktop.process.SetProgramFolder("D:\\Tools\\Pelkrin");
  p.Restart();
  EXPECT_FALSE(KeyExists());
  w().Show();
  const std::uint64_t before = p.desktop.events.Now();
  w().block_button_box.UserClick();
  EXPECT_GE(p.desktop.events.Now() - before, 200u) << "a 0.2 s wait before the installation";
  EXPECT_EQ(Value("Exec"), "D:\\Tools\\Pelkrin\\block.exe");
  EXPECT_EQ(p.Setting("icon_created"), "1");

  // Stored as off: Cancel switches it off again, with its effect.
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().Cancel();
  EXPECT_EQ(w().block_button_box.Value(), 0);
  EXPECT_FALSE(KeyExists());
  EXPECT_FALSE(w().Visible());
}

TEST_F(AdvancedTest, ADetectionSwitchActsBeforeSaveAndCancelOrEscapeBringTheStoredValueBack) {
  p.Start();
  w().Show();
  w().flash_label.Click();  // "Flash advertisements"
  EXPECT_FALSE(w().Switches().flash);
  EXPECT_EQ(p.Setting("adv_flash"), "1") << "nothing is saved yet";
  p.desktop.dialogs.AnswerNext(kIdNo);
  w().Cancel();
  EXPECT_TRUE(w().Visible()) << "No keeps the window and every box as they were";
  EXPECT_FALSE(w().Switches().flash);
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().CloseRequested();
  EXPECT_TRUE(w().Switches().flash);
  EXPECT_FALSE(w().Visible());
  EXPECT_EQ(p.LastBox(),
            (Box{"Are you sure you want to cancel without saving?", "Pelkrin", 0x1024}));
}

TEST_F(AdvancedTest, SaveWritesTheSixKeysAndSaysSoEvenWhenNothingChanged) {
  p.Start();
  w().Show();
  w().Save();
  EXPECT_EQ(p.Boxes(), (std::vector<Box>{{"Settings saved successfully.", "Pelkrin", 0x1040}}));
  EXPECT_FALSE(w().Visible());

  w().Show();
  w().no_maximize_button_box.UserClick();
  w().adware_box.UserClick();
  w().Save();
  EXPECT_EQ(p.Setting("adv_max"), "0");
  EXPECT_EQ(p.Setting("adv_adware"), "0");
  EXPECT_EQ(p.Setting("adv_min"), "1");
  p.Restart();
  EXPECT_FALSE(p->advanced_options_window.Switches().no_maximize_box);
  EXPECT_FALSE(p->advanced_options_window.Switches().adware);
}

TEST_F(AdvancedTest, WithoutRightsToTheMachineHiveTheButtonIsTheUsersAndWithoutEitherNowhere) {
  p.desktop.registry.DenyWrite(kHkeyLocalMachine, "Software\\Microsoft\\Internet Explorer");
  p.desktop.diagnostics.Expect("Block button");
  p.Start();
  EXPECT_FALSE(KeyExists());
  EXPECT_EQ(p.desktop.registry.ValueNames(kHkeyCurrentUser, kBlockButtonKey).size(), 8u);
  EXPECT_EQ(p.Setting("icon_created"), "1");
  w().Show();
  w().block_button_box.UserClick();  // off
  EXPECT_FALSE(p.desktop.registry.HasKey(kHkeyCurrentUser, kBlockButtonKey));

  // Nothing claims a button that could be written nowhere; the user's own click is answered.
  p.desktop.registry.DenyWrite(kHkeyCurrentUser, "Software\\Microsoft\\Internet Explorer");
  w().block_button_box.UserClick();  // on
  EXPECT_EQ(p.LastBox(), (Box{kBlockButtonInstallError, "Pelkrin", 0x1010}));
  p.Restart();
  EXPECT_EQ(p.Setting("icon_created"), "") << "the next start tries again";
  EXPECT_EQ(p.Boxes().size(), 1u) << "start-up says nothing";
}

}  // namespace
}  // namespace pelkrin
