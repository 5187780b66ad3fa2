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

TEST_F(HistoryTest, ANonNumericCountCountsFromZeroAndReachesTheFileAtExit) {
  p.Start("HISTORY_COUNT=abc\r\nINSTALL_DATE=3/4/04\r\n");
  EXPECT_EQ(w().Label2.Caption(), "pelked popups since installation  [3/4/04]");
  EXPECT_EQ(w().Label3.Caption(), "pelked popups since startup  [06/12/2026]");
  EXPECT_EQ(w().Label4.Caption(), "abc") << "seeded verbatim";
  Pelk("Offer");
  EXPECT_EQ(w().Label4.Caption(), "1");
  EXPECT_EQ(w().Label7.Caption(), "1") << "the copy label follows";
  p->main_window.Unload();
  EXPECT_EQ(p.Setting("history_count"), "1");
}

TEST_F(HistoryTest, ClearingResetsOnlyTheStartUpCounter) {
  p.Start("HISTORY_COUNT=40\r\n");
  w().Show();
  w().RainButton2.Click();
  EXPECT_EQ(
      p.Boxes(),
      (std::vector<Box>{{"There are no history entries to clear!", "Pelkrin History", 0x1030}}))
      << "nothing is asked";

  Pelk("One");
  Pelk("Two");
  p.desktop.dialogs.AnswerNext(kIdNo);
  w().RainButton2.Click();
  EXPECT_EQ(w().List1.ListCount(), 2);
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().RainButton2.Click();
  EXPECT_EQ(p.LastBox(), (Box{"Clear entire contents of history?", "Pelkrin", 0x1024}));
  EXPECT_EQ(w().List1.ListCount(), 0);
  EXPECT_EQ(w().Label1.Caption(), "0");
  EXPECT_EQ(w().Label10.Caption(), "0");
  EXPECT_EQ(w().Label4.Caption(), "42");
}

TEST_F(HistoryTest, RemovingAnEntryAsksWithItsNumberAndNeverLowersACounter) {
  p.desktop.events.SetTimeText("9:15:00 AM");
  p.Start();
  Pelk("One");
  Pelk("Two");
  w().Show();
  w().List1.UserSelect(0);  // No is the default answer
  EXPECT_EQ(p.LastBox(), (Box{"Pelked Popup #1\r\rPelked on 06/12/2026 9:15:00 am : One\r\r"
                              "Remove this history entry?",
                              "Pelkrin History", 0x1124}));
  EXPECT_EQ(w().List1.ListCount(), 2);

  p.desktop.dialogs.AnswerNext(kIdYes);
  w().List1.UserSelect(1);
  EXPECT_TRUE(p.LastBox().text.starts_with("Pelked Popup #2\r\r"));
  ASSERT_EQ(w().List1.ListCount(), 1);
  EXPECT_TRUE(w().List1.List(0).ends_with(" : One"));
  EXPECT_EQ(w().Label1.Caption(), "2");
  EXPECT_EQ(w().Label4.Caption(), "2");

  w().Label6.Click();  // the close mark only hides
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
  EXPECT_EQ(about().Label5.Caption(), "0 Pelked Since 06/12/2026") << "the first day";
  about().RainButton2.Click();
  EXPECT_FALSE(about().IsLoaded());

  p->history_window.Label4.SetCaption("809");
  ASSERT_TRUE(p->settings.WriteSetting("install_date", "3/4/04"));
  about().Open();
  EXPECT_EQ(about().Label5.Caption(), "809 Pelked Since 3/4/04");
}

TEST_F(AboutTest, EveryNineSecondsTheIconsBlinkWithAPopAndTheWindowStaysAlive) {
  about().Open();
  const std::uint64_t opened = p.desktop.events.Now();
  p.desktop.events.Advance(9000);
  // The tick runs its whole blink inside its waits; what it did shows in the clock and sounds.
  EXPECT_EQ(Pops(), 2);
  EXPECT_TRUE(about().Image1.Visible());
  EXPECT_TRUE(about().Image2.Visible());
  EXPECT_GE(p.desktop.events.Now(), opened + 9000 + 1200);
}

TEST_F(AboutTest, ACloseDuringABlinkEndsItWithoutLoadingTheWindowAgain) {
  about().Open();
  // The user clicks Close while the first step waits.
  bool clicked = false;
  p.desktop.events.OnProcessPending([&] {
    if (clicked || about().Image1.Visible()) return;
    clicked = true;
    about().RainButton1.Click();
  });
  p.desktop.events.Advance(9000 + 2000);
  p.desktop.events.OnProcessPending({});
  EXPECT_TRUE(clicked);
  EXPECT_FALSE(about().IsLoaded());
  EXPECT_FALSE(about().Timer1.Enabled());
  EXPECT_EQ(Pops(), 1) << "the blink ended at the close";

  // The next opening is a fresh window.
  about().Open();
  EXPECT_TRUE(about().Image1.Visible());
  EXPECT_TRUE(about().Timer1.Enabled());
}

}  // namespace
}  // namespace pelkrin
