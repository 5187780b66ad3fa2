// The Advanced options window and the browser's Block button, as a user meets them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/block_button.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::InFolder;
using testing::kSettingsPath;
using testing::SimApp;

const std::vector<std::string> kValueNames = {"ButtonText", "CLSID", "Default Visible", "Exec",
                                              "HotIcon",    "Icon",  "MenuStatusBar",   "MenuText"};

struct AdvancedTest : ::testing::Test {
  std::optional<std::string> Value(const std::string& name) {
    return p.desktop.registry.Value(kHkeyLocalMachine, kBlockButtonKey, name);
  }
  bool KeyExists() { return p.desktop.registry.HasKey(kHkeyLocalMachine, kBlockButtonKey); }
  Form8& w() { return p->form8; }
  void ShowWindow() { w().Show(); }

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
}

TEST_F(AdvancedTest, AButtonSwitchedOffStaysOffAcrossStarts) {
  p.desktop.files.Put(kSettingsPath, "[pk]\r\nADV_BUSYICON=0\r\n");
  p.desktop.registry.Put(kHkeyLocalMachine, kBlockButtonKey, "ButtonText", "Block");
  p.Start();
  EXPECT_FALSE(KeyExists()) << "loading the window removes it again";
  EXPECT_EQ(p.Setting("icon_created"), "0");
  EXPECT_EQ(w().Check6.Value(), 0);
  p.Restart();
  EXPECT_FALSE(KeyExists());
}

TEST_F(AdvancedTest, TheLabelSwitchesTheButtonAtOnceAndCancelPutsItBack) {
  p.desktop.sound.SetDeviceCount(1);
  p.Start();
  ShowWindow();
  const std::size_t sounds_before = p.desktop.sound.Plays().size();
  w().Label14.Click();
  EXPECT_EQ(w().Check6.Value(), 0);
  EXPECT_FALSE(KeyExists()) << "removed at once, before Save";
  EXPECT_EQ(p.Setting("icon_created"), "0");
  EXPECT_EQ(p.desktop.sound.Plays().size() - sounds_before, 2u)
      << "the label's click and the box's change";
  p.desktop.dialogs.AnswerNext(kIdOk);
  w().Save();

  // Switching on again points the button at the program's new folder.
  // The program moved, with its settings file.
  p.desktop.files.Put("D:\\Tools\\Pelkrin\\pk.sys", p.FileBytes("pk.sys"));
  p.desktop.process.SetProgramFolder("D:\\Tools\\Pelkrin");
  p.Restart();
  EXPECT_FALSE(KeyExists());
  ShowWindow();
  const std::uint64_t before = p.desktop.events.Now();
  w().Check6.UserClick();
  EXPECT_GE(p.desktop.events.Now() - before, 200u) << "a 0.2 s wait before the installation";
  EXPECT_EQ(Value("Exec"), "D:\\Tools\\Pelkrin\\block.exe");
  EXPECT_EQ(p.Setting("icon_created"), "1");

  // Stored as off: Cancel switches it off again, with its effect.
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().Cancel();
  EXPECT_EQ(w().Check6.Value(), 0);
  EXPECT_FALSE(KeyExists());
  EXPECT_FALSE(w().Visible());
}

TEST_F(AdvancedTest, SwitchingOffAndOnRewritesEveryValue) {
  p.Start();
  p.desktop.registry.Put(kHkeyLocalMachine, kBlockButtonKey, "MenuText", "stale");
  ShowWindow();
  w().Check6.UserClick();
  w().Check6.UserClick();
  EXPECT_EQ(Value("MenuText"), "&Block Popup");
  EXPECT_EQ(p.Setting("icon_created"), "1");
}

TEST_F(AdvancedTest, ADetectionSwitchActsBeforeSaveAndCancelBringsTheStoredValueBack) {
  p.Start();
  ShowWindow();
  w().Label11.Click();  // "Flash advertisements"
  EXPECT_FALSE(w().Switches().flash);
  EXPECT_EQ(p.Setting("adv_flash"), "1") << "nothing is saved yet";
  p.desktop.dialogs.AnswerNext(kIdNo);
  w().Cancel();
  EXPECT_TRUE(w().Visible()) << "No keeps the window and every box as they were";
  EXPECT_FALSE(w().Switches().flash);
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().Cancel();
  EXPECT_TRUE(w().Switches().flash);
  EXPECT_FALSE(w().Visible());
  const auto& box = p.desktop.dialogs.Shown().back();
  EXPECT_EQ(box.text, "Are you sure you want to cancel without saving?");
  EXPECT_EQ(box.title, "Pelkrin");
  EXPECT_EQ(box.style, 0x1024u);
}

TEST_F(AdvancedTest, SaveWritesTheSixKeysAndSaysSoEvenWhenNothingChanged) {
  p.Start();
  ShowWindow();
  w().Save();
  ASSERT_EQ(p.desktop.dialogs.Shown().size(), 1u);
  EXPECT_EQ(p.desktop.dialogs.Shown()[0].text, "Settings saved successfully.");
  EXPECT_EQ(p.desktop.dialogs.Shown()[0].style, 0x1040u);
  EXPECT_FALSE(w().Visible());

  ShowWindow();
  w().Check1.UserClick();
  w().Check3.UserClick();
  w().Save();
  EXPECT_EQ(p.Setting("adv_max"), "0");
  EXPECT_EQ(p.Setting("adv_adware"), "0");
  EXPECT_EQ(p.Setting("adv_min"), "1");
  p.Restart();
  EXPECT_FALSE(p->form8.Switches().no_maximize_box);
  EXPECT_FALSE(p->form8.Switches().adware);
}

TEST_F(AdvancedTest, SaveAndCancelRestoreAMinimisedOptionsWindow) {
  p.Start();
  p->form2.Show();
  p->form2.SetWindowState(1);
  ShowWindow();
  w().Save();
  EXPECT_EQ(p->form2.WindowState(), 0);
  p->form2.Hide();
  p->form2.SetWindowState(1);
  ShowWindow();
  w().Save();
  EXPECT_EQ(p->form2.WindowState(), 1) << "a hidden Options window is left alone";
}

TEST_F(AdvancedTest, EscapeMeansCancel) {
  p.Start();
  ShowWindow();
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().CloseRequested();
  EXPECT_FALSE(w().Visible());
  EXPECT_EQ(p.desktop.dialogs.Shown().back().text,
            "Are you sure you want to cancel without saving?");
}

TEST_F(AdvancedTest, WithoutRightsToTheMachineHiveNothingClaimsTheButtonExists) {
  p.desktop.registry.DenyWrite(kHkeyLocalMachine, "Software\\Microsoft\\Internet Explorer");
  p.desktop.diagnostics.Expect("Block button");
  p.Start();
  EXPECT_FALSE(KeyExists());
  EXPECT_EQ(p.Setting("icon_created"), "") << "the next start tries again";
  EXPECT_TRUE(p.desktop.dialogs.Shown().empty()) << "start-up says nothing";

  // The user's own click is answered.
  ShowWindow();
  w().Check6.UserClick();  // off: there was nothing to remove
  w().Check6.UserClick();  // on
  ASSERT_FALSE(p.desktop.dialogs.Shown().empty());
  EXPECT_EQ(p.desktop.dialogs.Shown().back().text, kBlockButtonInstallError);
  EXPECT_EQ(p.desktop.dialogs.Shown().back().style, 0x1010u);
  EXPECT_NE(p.Setting("icon_created"), "1");
}

}  // namespace
}  // namespace pelkrin
