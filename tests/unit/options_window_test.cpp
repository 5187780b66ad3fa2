// The Options and Advanced options windows: the settings keys behind their boxes, Save and
// Cancel, the sound file, the Windows start-up entry that follows its box at once, and the
// browser's Block button.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/block_button.h"
#include "settings/startup_entry.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::Box;
using testing::InFolder;
using testing::SimApp;

const std::string kProgram = InFolder("pelkrin.exe");
const Box kCancelQuestion{"Are you sure you want to cancel without saving?", "Pelkrin", 0x1024};

// Every start stores one key as "0" and all the others as "1".
TEST(OptionBoxes, EachStoredValueLandsInItsOwnBoxAndTheDetectorSeesIt) {
  const struct {
    const char* key;
    CheckBox OptionsWindow::*option;
    CheckBox AdvancedOptionsWindow::*advanced = nullptr;
    bool DetectionSwitches::*flag = nullptr;  // none: no detection switch
  } rows[] = {
      {"play_sound", &OptionsWindow::play_sound_box},
      {"animate_tray", &OptionsWindow::animate_tray_box},
      {"start_with_windows", &OptionsWindow::start_with_windows_box},
      {"super_mode", &OptionsWindow::enable_at_start_box},
      {"close_dlg", &OptionsWindow::exit_question_box},
      {"clear_cookies", &OptionsWindow::clear_cookies_box},
      {"keep_history", &OptionsWindow::keep_history_box},
      {"adv_max",
       {},
       &AdvancedOptionsWindow::no_maximize_button_box,
       &DetectionSwitches::no_maximize_box},
      {"adv_min",
       {},
       &AdvancedOptionsWindow::no_minimize_button_box,
       &DetectionSwitches::no_minimize_box},
      {"adv_title", {}, &AdvancedOptionsWindow::no_title_bar_box, &DetectionSwitches::no_title_bar},
      {"adv_busyicon", {}, &AdvancedOptionsWindow::block_button_box},
      {"adv_adware", {}, &AdvancedOptionsWindow::adware_box, &DetectionSwitches::adware},
      {"adv_flash", {}, &AdvancedOptionsWindow::flash_box, &DetectionSwitches::flash}};
  ASSERT_EQ(std::size(rows), kOptionBoxes.size() + kAdvancedBoxes.size());
  for (const auto& off : rows) {
    std::string file;
    for (const auto& row : rows)
      file += std::string(row.key) + (&row == &off ? "=0\r\n" : "=1\r\n");
    SimApp p;
    p.Start(file);
    const DetectionSwitches switches = p->advanced_options_window.Switches();
    for (const auto& row : rows) {
      const int value = &row == &off ? 0 : 1;
      const CheckBox& box =
          row.option ? p->options_window.*row.option : p->advanced_options_window.*row.advanced;
      EXPECT_EQ(box.Value(), value) << row.key << " with " << off.key << " off";
      if (row.flag) {
        EXPECT_EQ(switches.*row.flag, value == 1) << row.key << " with " << off.key;
      }
    }
  }
}

struct OptionsTest : ::testing::Test {
  // A registry like Windows': both Run keys exist.
  OptionsTest() {
    p.desktop.registry.PutKey(kHkeyLocalMachine, kRunKey);
    p.desktop.registry.PutKey(kHkeyCurrentUser, kRunKey);
  }
  std::optional<std::string> Entry(RegKey root) {
    return p.desktop.registry.Value(root, kRunKey, "Pelkrin");
  }
  OptionsWindow& w() { return p->options_window; }

  SimApp p;
};

TEST_F(OptionsTest, SaveWritesEveryBoxAndTheSoundFileInLowerCase) {
  p.Start();
  EXPECT_EQ(w().sound_file_box.Text(), "c:\\program files\\pelkrin\\pop.wav");
  w().Show();
  w().play_sound_label.Click();  // "Play a sound file" by its label
  w().clear_cookies_box.UserClick();
  w().sound_file_box.SetText("D:\\Sounds\\Boing.wav");
  w().save_button.Click();
  EXPECT_EQ(p.Setting("play_sound"), "1");
  EXPECT_EQ(p.Setting("clear_cookies"), "1");
  EXPECT_EQ(p.Setting("animate_tray"), "1");
  EXPECT_EQ(p.Setting("sound_file"), "d:\\sounds\\boing.wav");
  EXPECT_EQ(p.LastBox(), (Box{"Settings saved successfully.", "Pelkrin", 0x1040}));
  EXPECT_FALSE(w().Visible());
}

TEST_F(OptionsTest, ASettingsFileThatCannotBeWrittenIsReportedNotSaved) {
  p.Start();
  p.desktop.files.SetReadOnlyFolder(testing::kFolder, true);
  p.desktop.diagnostics.Expect("could not be saved");
  const Box error{
      "There was an error saving your settings.  Please reload the program and try again.",
      "Pelkrin", 0x1010};
  w().Show();
  w().animate_tray_box.UserClick();
  w().save_button.Click();
  EXPECT_EQ(p.LastBox(), error);
  EXPECT_FALSE(w().Visible());
  EXPECT_EQ(p.Setting("animate_tray"), "1");

  // The Advanced options window says the same (a value that did not change needs no write).
  p->advanced_options_window.Show();
  p->advanced_options_window.flash_box.UserClick();
  p->advanced_options_window.save_button.Click();
  EXPECT_EQ(p.Boxes().size(), 2u);
  EXPECT_EQ(p.LastBox(), error);
}

TEST_F(OptionsTest, TheStartupEntryFollowsTheBoxAtOnceAndCancelPutsBackAllButTheSoundFile) {
  p.Start();
  EXPECT_EQ(Entry(kHkeyLocalMachine), kProgram) << "start-up writes the entry";
  w().Show();
  w().start_with_windows_label.Click();  // "Start Pelkrin with Windows" off
  EXPECT_EQ(Entry(kHkeyLocalMachine), std::nullopt) << "deleted before Save";
  p.desktop.dialogs.AnswerNext(kIdNo);
  w().cancel_button.Click();
  EXPECT_TRUE(w().Visible());
  EXPECT_EQ(Entry(kHkeyLocalMachine), std::nullopt) << "No changes nothing";
  w().sound_file_box.SetText("D:\\Sounds\\boing.wav");
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().cancel_button.Click();
  EXPECT_EQ(p.LastBox(), kCancelQuestion);
  EXPECT_EQ(w().start_with_windows_box.Value(), 1);
  EXPECT_EQ(Entry(kHkeyLocalMachine), kProgram) << "the revert writes it again";
  EXPECT_FALSE(w().Visible());
  EXPECT_EQ(p.desktop.registry.OpenHandleCount(), 0u);
  // The sound file box keeps an unsaved choice for this run only.
  EXPECT_EQ(w().PelkingOptions().sound_file, "D:\\Sounds\\boing.wav");
  p.Restart();
  EXPECT_EQ(w().sound_file_box.Text(), "c:\\program files\\pelkrin\\pop.wav");
}

// Start-up writes the entry with the program's path (a moved program starts from its new
// place) under the machine's key, and leaves it in no other place, so Windows starts one copy;
// a removal leaves it nowhere. Start-up never deletes it.
TEST_F(OptionsTest, StartUpWritesTheEntryInOnePlaceWithTheProgramsPathAndNeverDeletesIt) {
  p.desktop.registry.Put(kHkeyLocalMachine, kRunKey, "Pelkrin", "C:\\Old\\pelkrin.exe");
  p.desktop.registry.Put(kHkeyCurrentUser, kRunKey, "Pelkrin", "C:\\Old\\pelkrin.exe");
  p.Start("START_WITH_WINDOWS=1\r\n");
  EXPECT_EQ(Entry(kHkeyLocalMachine), kProgram);
  EXPECT_EQ(Entry(kHkeyCurrentUser), std::nullopt);
  p.desktop.registry.Put(kHkeyCurrentUser, kRunKey, "Pelkrin", kProgram);
  w().start_with_windows_box.UserClick();
  EXPECT_EQ(Entry(kHkeyLocalMachine), std::nullopt);
  EXPECT_EQ(Entry(kHkeyCurrentUser), std::nullopt);

  SimApp q;
  q.desktop.registry.Put(kHkeyLocalMachine, kRunKey, "Pelkrin", "C:\\Old\\pelkrin.exe");
  q.desktop.registry.DenyWrite(kHkeyLocalMachine, kRunKey);
  q.desktop.diagnostics.Expect("start-up entry could not be deleted");
  q.Start("START_WITH_WINDOWS=0\r\n");
  EXPECT_EQ(q.desktop.registry.Value(kHkeyLocalMachine, kRunKey, "Pelkrin"), "C:\\Old\\pelkrin.exe")
      << "loading the box tried to delete it; without rights the value stays, with a trace";
}

TEST_F(OptionsTest, AUserWhoMayNotWriteTheMachineKeyGetsTheEntryUnderHisOwn) {
  p.desktop.registry.DenyWrite(kHkeyLocalMachine, kRunKey);
  p.Start();
  EXPECT_EQ(Entry(kHkeyCurrentUser), kProgram) << "start-up";
  w().start_with_windows_box.UserClick();
  EXPECT_EQ(Entry(kHkeyCurrentUser), std::nullopt);
  w().start_with_windows_box.UserClick();
  EXPECT_EQ(Entry(kHkeyCurrentUser), kProgram);
  EXPECT_EQ(Entry(kHkeyLocalMachine), std::nullopt);
  EXPECT_EQ(p.desktop.registry.OpenHandleCount(), 0u);
}

TEST_F(OptionsTest, BrowseRefusesACapitalExtensionAndTakesTheLowerCaseOne) {
  p.Start();
  w().Show();
  p.desktop.dialogs.AnswerFileNext("D:\\Sounds\\BOING.WAV");
  p.desktop.dialogs.AnswerFileNext("D:\\Sounds\\boing.wav");
  w().browse_button.Click();
  EXPECT_EQ(w().sound_file_box.Text(), "D:\\Sounds\\boing.wav");
  ASSERT_EQ(p.desktop.dialogs.FileRequests().size(), 2u);
  const FileDialogRequest& request = p.desktop.dialogs.FileRequests().front();
  EXPECT_TRUE(request.owner != kNoWindow && request.owner == w().Handle()) << "modal to Options";
  EXPECT_EQ(request.initial_folder, testing::kFolder);
  EXPECT_EQ(request.filter, "Wave Files Only (*.wav)|*.wav");
  EXPECT_EQ(request.file_name, "pop.wav");
  EXPECT_EQ(p.LastBox(), (Box{"Not a valid wave sound file!", "Pelkrin Error", 0x1030}));

  // Cancelling keeps the text; a bare "pop.wav" lies in the program's folder.
  w().browse_button.Click();
  EXPECT_EQ(w().sound_file_box.Text(), "D:\\Sounds\\boing.wav");
  p.desktop.dialogs.AnswerFileNext("pop.wav");
  w().browse_button.Click();
  EXPECT_EQ(w().sound_file_box.Text(), InFolder("pop.wav"));
}

TEST_F(OptionsTest, AdvancedOptionsStepsAsideAndShowsTheAdvancedWindow) {
  p.desktop.sound.SetDeviceCount(1);
  p.Start();
  w().Show();
  const std::uint64_t before = p.desktop.events.Now();
  w().advanced_options_button.Click();
  EXPECT_EQ(w().WindowState(), 1);
  EXPECT_TRUE(p->advanced_options_window.Visible());
  EXPECT_GE(p.desktop.events.Now() - before, 200u);
  EXPECT_EQ(p.Sounds().back(), "barble.sys");
  // Its Save puts this window back; a hidden Options window is left alone.
  p->advanced_options_window.save_button.Click();
  EXPECT_EQ(w().WindowState(), 0);
  w().Hide();
  w().SetWindowState(1);
  p->advanced_options_window.Show();
  p->advanced_options_window.save_button.Click();
  EXPECT_EQ(w().WindowState(), 1);
}

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

  // Switched off, it stays off in later runs, even when someone put it back in between. The
  // program moved, with its settings file: switching on points at the new folder.
  p.desktop.files.Put("D:\\Tools\\Pelkrin\\pk.sys", p.FileBytes("pk.sys"));
  p.desktop.process.SetProgramFolder("D:\\Tools\\Pelkrin");
  p.desktop.registry.Put(kHkeyLocalMachine, kBlockButtonKey, "ButtonText", "Block");
  p.Restart();
  EXPECT_FALSE(KeyExists()) << "loading the window removes it again";
  EXPECT_EQ(p.Setting("icon_created"), "0");
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

// A detection switch acts before Save; Cancel's No keeps every box, Yes (or Escape) brings the
// stored values back. Save writes the boxes, and says so even when nothing changed.
TEST_F(AdvancedTest, ADetectionSwitchActsBeforeSaveAndCancelOrEscapeBringTheStoredValueBack) {
  p.Start();
  w().Show();
  w().Save();
  EXPECT_EQ(p.Boxes(), (std::vector<Box>{{"Settings saved successfully.", "Pelkrin", 0x1040}}));
  EXPECT_FALSE(w().Visible());
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
  EXPECT_EQ(p.LastBox(), kCancelQuestion);
  EXPECT_TRUE(w().Switches().flash);
  EXPECT_FALSE(w().Visible());
  w().adware_box.UserClick();
  w().Save();
  EXPECT_EQ(p.Setting("adv_adware"), "0");
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
