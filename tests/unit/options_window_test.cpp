// The Options window: its boxes, Save and Cancel, the sound file, and the Windows start-up entry
// that follows the start-with-Windows box at once.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/startup_entry.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::Box;
using testing::InFolder;
using testing::SimApp;

const std::string kProgram = InFolder("pelkrin.exe");
const Box kCancelQuestion{"Are you sure you want to cancel without saving?", "Pelkrin", 0x1024};

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

TEST_F(OptionsTest, TheStartupEntryFollowsTheBoxAtOnceAndCancelPutsItBack) {
  p.Start();
  EXPECT_EQ(Entry(kHkeyLocalMachine), kProgram) << "start-up writes the entry";
  w().Show();
  w().start_with_windows_label.Click();  // "Start Pelkrin with Windows" off
  EXPECT_EQ(Entry(kHkeyLocalMachine), std::nullopt) << "deleted before Save";
  p.desktop.dialogs.AnswerNext(kIdNo);
  w().cancel_button.Click();
  EXPECT_TRUE(w().Visible());
  EXPECT_EQ(Entry(kHkeyLocalMachine), std::nullopt) << "No changes nothing";
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().cancel_button.Click();
  EXPECT_EQ(p.LastBox(), kCancelQuestion);
  EXPECT_EQ(w().start_with_windows_box.Value(), 1);
  EXPECT_EQ(Entry(kHkeyLocalMachine), kProgram) << "the revert writes it again";
  EXPECT_FALSE(w().Visible());
  EXPECT_EQ(p.desktop.registry.OpenHandleCount(), 0u);
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

TEST_F(OptionsTest, OnePlaceHoldsTheEntrySoWindowsStartsOneCopy) {
  // Written under the user's key once, then the machine's key became writable.
  p.desktop.registry.Put(kHkeyCurrentUser, kRunKey, "Pelkrin", "C:\\Old\\pelkrin.exe");
  p.Start();
  EXPECT_EQ(Entry(kHkeyLocalMachine), kProgram);
  EXPECT_EQ(Entry(kHkeyCurrentUser), std::nullopt);

  // A removal leaves a value in neither place.
  p.desktop.registry.Put(kHkeyCurrentUser, kRunKey, "Pelkrin", kProgram);
  w().start_with_windows_box.UserClick();
  EXPECT_EQ(Entry(kHkeyLocalMachine), std::nullopt);
  EXPECT_EQ(Entry(kHkeyCurrentUser), std::nullopt);
}

TEST_F(OptionsTest, StartUpWritesTheEntryWithTheProgramsPathAndNeverDeletesIt) {
  p.desktop.registry.Put(kHkeyLocalMachine, kRunKey, "Pelkrin", "C:\\Old\\pelkrin.exe");
  p.Start("START_WITH_WINDOWS=1\r\n");
  EXPECT_EQ(Entry(kHkeyLocalMachine), kProgram) << "a moved program starts from its new place";

  SimApp q;
  q.desktop.registry.Put(kHkeyLocalMachine, kRunKey, "Pelkrin", "C:\\Old\\pelkrin.exe");
  q.desktop.registry.DenyWrite(kHkeyLocalMachine, kRunKey);
  q.desktop.diagnostics.Expect("start-up entry could not be deleted");
  q.Start("START_WITH_WINDOWS=0\r\n");
  EXPECT_EQ(q.desktop.registry.Value(kHkeyLocalMachine, kRunKey, "Pelkrin"), "C:\\Old\\pelkrin.exe")
      << "loading the box tried to delete it; without rights the value stays, with a trace";
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

TEST_F(OptionsTest, CancelKeepsAnUnsavedSoundFileForThisRunOnly) {
  p.Start();
  w().sound_file_box.SetText("D:\\Sounds\\boing.wav");
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().cancel_button.Click();
  EXPECT_EQ(w().PelkingOptions().sound_file, "D:\\Sounds\\boing.wav");
  p.Restart();
  EXPECT_EQ(w().sound_file_box.Text(), "c:\\program files\\pelkrin\\pop.wav");
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

}  // namespace
}  // namespace pelkrin
