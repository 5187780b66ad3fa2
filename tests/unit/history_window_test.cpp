// The History window's list and counters, and the About window that shows the lifetime count.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "test_support.h"

namespace pelkrin {
namespace {

using testing::Box;
using testing::SimApp;

struct HistoryTest : ::testing::Test {
  void Pelk(const std::string& caption) { p.Pelk(caption); }
  HistoryWindow& w() { return p->history_window; }

  SimApp p;
};

// The since-installation count starts from the file, the since-start-up one from zero; every
// entry counts in both, and clearing empties the list and the since-start-up count only.
TEST_F(HistoryTest, ClearingAsksAndResetsOnlyTheStartUpCount) {
  p.Start("HISTORY_COUNT=40\r\nINSTALL_DATE=3/4/04\r\n");
  EXPECT_EQ(w().since_installation_label.Caption(), "pelked popups since installation  [3/4/04]");
  EXPECT_EQ(w().since_startup_label.Caption(), "pelked popups since startup  [06/12/2026]");
  w().Show();
  w().clear_button.Click();
  EXPECT_EQ(
      p.Boxes(),
      (std::vector<Box>{{"There are no history entries to clear!", "Pelkrin History", 0x1030}}))
      << "nothing is asked";

  w().AddEntry("One");
  w().AddEntry("Two");
  EXPECT_EQ(w().since_installation_count_copy.Caption(), "42") << "the copy label follows";
  p.desktop.dialogs.AnswerNext(kIdNo);
  w().clear_button.Click();
  EXPECT_EQ(w().entry_list.ListCount(), 2);
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().clear_button.Click();
  EXPECT_EQ(p.LastBox(), (Box{"Clear entire contents of history?", "Pelkrin", 0x1024}));
  EXPECT_EQ(w().entry_list.ListCount(), 0);
  EXPECT_EQ(w().since_startup_count_copy.Caption(), "0");
  EXPECT_EQ(w().since_installation_count.Caption(), "42");
}

TEST_F(HistoryTest, RemovingAnEntryAsksWithItsNumberAndNeverLowersACount) {
  p.Start();
  w().AddEntry("06/12/2026 9:15:00 am : One");
  w().AddEntry("06/12/2026 9:16:00 am : Two");
  w().Show();
  w().entry_list.UserSelect(0);  // No is the default answer
  EXPECT_EQ(p.LastBox(), (Box{"Pelked Popup #1\r\rPelked on 06/12/2026 9:15:00 am : One\r\r"
                              "Remove this history entry?",
                              "Pelkrin History", 0x1124}));
  EXPECT_EQ(w().entry_list.ListCount(), 2);

  p.desktop.dialogs.AnswerNext(kIdYes);
  w().entry_list.UserSelect(1);
  EXPECT_TRUE(p.LastBox().text.starts_with("Pelked Popup #2\r\r"));
  EXPECT_EQ(w().entry_list.Items(), std::vector<std::string>{"06/12/2026 9:15:00 am : One"});
  EXPECT_EQ(w().since_startup_count.Caption(), "2");
  EXPECT_EQ(w().since_installation_count.Caption(), "2");

  w().close_mark.Click();  // the close mark only hides
  EXPECT_FALSE(w().Visible());
  EXPECT_TRUE(w().IsLoaded());
}

struct AboutTest : HistoryTest {
  AboutTest() {
    p.desktop.sound.SetDeviceCount(1);
    p.desktop.files.Put(testing::InFolder("pop.wav"), "RIFF");
    p.Start();
  }
  AboutWindow& about() { return p->about_window; }
  long Pops() {
    const auto sounds = p.Sounds();
    return std::count(sounds.begin(), sounds.end(), "pop.wav");
  }
};

TEST_F(AboutTest, TheWindowShowsTheLifetimeCountAsTheHistoryWindowsCopyHoldsIt) {
  p->main_window.Command(kCmdAboutPelkrin);
  ASSERT_TRUE(about().Visible());
  EXPECT_EQ(about().count_label.Caption(), "0 Pelked Since 06/12/2026") << "the first day";
  about().right_close_button.Click();
  EXPECT_FALSE(about().IsLoaded());

  p->history_window.since_installation_count.SetCaption("809");
  ASSERT_TRUE(p->settings.WriteSetting("install_date", "3/4/04"));
  about().Open();
  EXPECT_EQ(about().count_label.Caption(), "809 Pelked Since 3/4/04");
}

TEST_F(AboutTest, EveryNineSecondsTheIconsBlinkWithAPopAndACloseDuringABlinkEndsIt) {
  about().Open();
  const std::uint64_t opened = p.desktop.events.Now();
  p.desktop.events.Advance(9000);
  // The tick runs its whole blink inside its waits; what it did shows in the clock and sounds.
  EXPECT_EQ(Pops(), 2);
  EXPECT_TRUE(about().top_icon.Visible() && about().bottom_icon.Visible());
  EXPECT_GE(p.desktop.events.Now(), opened + 9000 + 1200);

  // The user clicks Close while the next blink's first step waits.
  bool clicked = false;
  p.desktop.events.OnProcessPending([&] {
    if (clicked || about().top_icon.Visible()) return;
    clicked = true;
    about().left_close_button.Click();
  });
  p.desktop.events.Advance(9000 + 2000);
  p.desktop.events.OnProcessPending({});
  EXPECT_TRUE(clicked);
  EXPECT_FALSE(about().IsLoaded());
  EXPECT_FALSE(about().blink_timer.Enabled());
  EXPECT_EQ(Pops(), 3) << "the blink ended at the close";

  // The next opening is a fresh window.
  about().Open();
  EXPECT_TRUE(about().top_icon.Visible());
  EXPECT_TRUE(about().blink_timer.Enabled());
}

}  // namespace
}  // namespace pelkrin
