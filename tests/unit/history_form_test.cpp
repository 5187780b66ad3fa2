// The History window's list and counters, and the About window that shows the lifetime count.
#include <gtest/gtest.h>

#include <string>

#include "app/command_ids.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::kSettingsPath;
using testing::SimApp;

struct HistoryTest : ::testing::Test {
  void Start(const std::string& settings = "") {
    p.desktop.files.Put(kSettingsPath, "[pk]\r\n" + settings);
    p.Start();
  }
  void Pelk(const std::string& caption) { p->main.Text2.SetText(caption); }
  Form1& w() { return p->form1; }
  const sim::ShownMessageBox& LastBox() { return p.desktop.dialogs.Shown().back(); }
  std::size_t Boxes() { return p.desktop.dialogs.Shown().size(); }

  SimApp p;
};

TEST_F(HistoryTest, TheWindowLoadsAtStartUpWithBothDatesAndOneBarble) {
  p.desktop.sound.SetDeviceCount(1);
  Start("INSTALL_DATE=3/4/04\r\n");
  int barbles = 0;
  for (const auto& play : p.desktop.sound.Plays()) barbles += play.path.ends_with("barble.sys");
  EXPECT_EQ(barbles, 1);
  EXPECT_TRUE(w().IsLoaded());
  EXPECT_FALSE(w().Visible());
  EXPECT_EQ(w().Label2.Caption(), "pelked popups since installation  [3/4/04]");
  EXPECT_EQ(w().Label9.Caption(), w().Label2.Caption());
  EXPECT_EQ(w().Label3.Caption(), "pelked popups since startup  [06/12/2026]");
  EXPECT_EQ(w().Label8.Caption(), w().Label3.Caption());
}

TEST_F(HistoryTest, ANonNumericCountCountsFromZeroAndReachesTheFileAtExit) {
  Start("HISTORY_COUNT=abc\r\n");
  EXPECT_EQ(w().Label4.Caption(), "abc") << "seeded verbatim";
  EXPECT_EQ(w().Label7.Caption(), "abc");
  Pelk("Offer");
  EXPECT_EQ(w().Label4.Caption(), "1");
  EXPECT_EQ(w().Label7.Caption(), "1");
  p->main.Unload();
  EXPECT_EQ(p.Setting("history_count"), "1");
}

TEST_F(HistoryTest, ClearingResetsOnlyTheStartUpCounter) {
  Start("HISTORY_COUNT=40\r\nINSTALL_DATE=3/4/04\r\n");
  w().Show();
  w().RainButton2.Click();
  EXPECT_EQ(LastBox().text, "There are no history entries to clear!");
  EXPECT_EQ(LastBox().title, "Pelkrin History");
  EXPECT_EQ(LastBox().style, 0x1030u);
  EXPECT_EQ(Boxes(), 1u) << "nothing is asked";

  Pelk("One");
  Pelk("Two");
  p.desktop.dialogs.AnswerNext(kIdNo);
  w().RainButton2.Click();
  EXPECT_EQ(w().List1.ListCount(), 2);
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().RainButton2.Click();
  EXPECT_EQ(LastBox().text, "Clear entire contents of history?");
  EXPECT_EQ(LastBox().title, "Pelkrin");
  EXPECT_EQ(LastBox().style, 0x1024u);
  EXPECT_EQ(w().List1.ListCount(), 0);
  EXPECT_EQ(w().Label1.Caption(), "0");
  EXPECT_EQ(w().Label10.Caption(), "0");
  EXPECT_EQ(w().Label4.Caption(), "42");
  EXPECT_EQ(w().Label7.Caption(), "42");
  EXPECT_EQ(w().Label2.Caption(), "pelked popups since installation  [3/4/04]");
}

TEST_F(HistoryTest, RemovingAnEntryAsksWithItsNumberAndNeverLowersACounter) {
  p.desktop.events.SetTimeText("9:15:00 AM");
  Start();
  Pelk("One");
  Pelk("Two");
  w().Show();
  w().List1.UserSelect(0);  // No is the default answer
  EXPECT_EQ(LastBox().text,
            "Pelked Popup #1\r\rPelked on 06/12/2026 9:15:00 am : One\r\rRemove this history "
            "entry?");
  EXPECT_EQ(LastBox().title, "Pelkrin History");
  EXPECT_EQ(LastBox().style, 0x1124u);
  EXPECT_EQ(w().List1.ListCount(), 2);

  p.desktop.dialogs.AnswerNext(kIdYes);
  w().List1.UserSelect(1);
  EXPECT_TRUE(LastBox().text.starts_with("Pelked Popup #2\r\r"));
  ASSERT_EQ(w().List1.ListCount(), 1);
  EXPECT_TRUE(w().List1.List(0).ends_with(" : One"));
  EXPECT_EQ(w().Label1.Caption(), "2");
  EXPECT_EQ(w().Label4.Caption(), "2");
}

TEST_F(HistoryTest, TheCloseMarkHidesTheWindowAndKeepsTheEntries) {
  Start();
  Pelk("One");
  w().Show();
  w().Label6.Click();
  EXPECT_FALSE(w().Visible());
  EXPECT_TRUE(w().IsLoaded());
  w().Show();
  EXPECT_EQ(w().List1.ListCount(), 1);
}

struct AboutTest : HistoryTest {
  Form4& about() { return p->form4; }
  int Pops() {
    int pops = 0;
    for (const auto& play : p.desktop.sound.Plays()) pops += play.path.ends_with("pop.wav");
    return pops;
  }
};

TEST_F(AboutTest, TheWindowShowsTheLifetimeCountAsTheHistoryWindowsCopyHoldsIt) {
  Start();
  p->main.Command(kCmdAboutPelkrin);
  ASSERT_TRUE(about().Visible());
  EXPECT_EQ(about().Label5.Caption(), "0 Pelked Since 06/12/2026") << "the first day";
  about().RainButton2.Click();
  EXPECT_FALSE(about().IsLoaded());

  p->form1.Label4.SetCaption("809");
  p->settings.WriteSetting("install_date", "3/4/04");
  about().Open();
  EXPECT_EQ(about().Label5.Caption(), "809 Pelked Since 3/4/04");
}

TEST_F(AboutTest, EveryNineSecondsTheIconsBlinkWithAPopAndTheWindowStaysAlive) {
  p.desktop.sound.SetDeviceCount(1);
  p.desktop.files.Put(testing::InFolder("pop.wav"), "RIFF");
  Start();
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
  p.desktop.sound.SetDeviceCount(1);
  p.desktop.files.Put(testing::InFolder("pop.wav"), "RIFF");
  Start();
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
  EXPECT_TRUE(about().Image2.Visible()) << "untouched after the close";

  // The next opening is a fresh window.
  about().Open();
  EXPECT_TRUE(about().Image1.Visible());
  EXPECT_TRUE(about().Timer1.Enabled());
}

}  // namespace
}  // namespace pelkrin
