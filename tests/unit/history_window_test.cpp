// The History window's list and counters, and the About window that shows the lifetime count.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/command_line.h"
#include "sim_browser.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::AddHtmlDialog;
using testing::Box;
using testing::BrowserCaption;
using testing::SimApp;
using testing::SimBrowser;

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

// ---- The entry menu ----

constexpr char kBrowser[] = "C:\\Program Files\\Internet Explorer\\iexplore.exe";

struct HistoryMenuTest : HistoryTest {
  HistoryMenuTest() {
    p.desktop.registry.Put(kHkeyLocalMachine, kBrowserAppPathKey, "",
                           std::string("\"") + kBrowser + "\"");
    p.desktop.files.Put(kBrowser, "MZ");
    p.desktop.sound.SetDeviceCount(1);
    p.Start();
    w().Show();
  }
  sim::SimWindows& windows() { return p.desktop.windows; }
  // A popup from `address`, pelked by the next survey.
  SimBrowser Pelked(const std::string& title, const std::string& address) {
    const SimBrowser popup = testing::AddPopup(windows(), title, address);
    p.desktop.events.Advance(600);
    EXPECT_FALSE(windows().IsVisible(popup.frame)) << title;
    return popup;
  }
  // The right button on the entry, and `item` chosen from its menu ("": none).
  void Choose(int entry, const std::string& item) {
    w().entry_list.UserSelectForMenu(entry);
    p.views.ChooseNext(item);
    w().entry_list.DblClick();
  }
  std::vector<sim::SimProcess::Started> Starts() { return p.desktop.process.StartedPrograms(); }
  // The lines of the menu last shown, in order, a greyed one in brackets.
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (const auto& item : p.views.MenusShown().back().menu->Children())
      lines.push_back(item->Enabled() ? item->Caption() : "(" + item->Caption() + ")");
    return lines;
  }
};

TEST_F(HistoryMenuTest, TheFirstLineSaysWhyAndFromWhereAndWhatCannotBeDoneIsGreyed) {
  Pelked("Offer", "http://ads.example.net/offer?a=1&b=2\tx");
  Choose(0, "");
  ASSERT_EQ(p.views.MenusShown().back().menu, &w().entry_menu);
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "(No toolbars: http://ads.example.net/offer?a=1&&b=2 x)", "&Reopen",
                         "Allow this &site", "Allow this &caption", "-", "&Remove"}));

  // An HTML dialog has no address; gone once the next pelk closed it, it cannot be reopened.
  AddHtmlDialog(windows(), "Survey");
  p.desktop.events.Advance(600);
  Pelked("Next", "http://ads.example.net/next");
  Choose(1, "Reopen");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"(Adware dialog: no address)", "(&Reopen)",
                                               "(Allow this &site)", "Allow this &caption", "-",
                                               "&Remove"}));
  EXPECT_TRUE(Starts().empty());

  // Opened from its address, a popup on the block list would be pelked again.
  p->allow_block_window.block_list.AddItem(BrowserCaption("Offer"));
  Choose(0, "");
  EXPECT_EQ(w().why_item->Caption(),
            "No toolbars: http://ads.example.net/offer?a=1&&b=2 x - pelked again if reopened");
}

// In a burst the addresses are read after the hides, and still reach their entries: at once
// when the menu opens before the burst is over (a browser window still hidden).
TEST_F(HistoryMenuTest, ABurstsEntriesGetTheAddressesReadAfterItsHides) {
  testing::AddBrowser(windows(), {.title = "Still Hidden", .visible = false});
  const std::string names[] = {"one", "two"};
  for (const std::string& name : names) {
    windows().SetVisible(testing::AddPopup(windows(), name, "http://ads.example.net/" + name).frame,
                         true);
    p.desktop.events.Advance(1);
  }
  for (const int entry : {0, 1}) {
    Choose(entry, "");
    EXPECT_EQ(w().why_item->Caption(), "No toolbars: http://ads.example.net/" + names[entry]);
  }
}

TEST_F(HistoryMenuTest, ReopenShowsTheLastHiddenPopupElseStartsTheBrowserWithTheAddress) {
  const SimBrowser first = Pelked("First", "http://ads.example.net/first");
  const SimBrowser second = Pelked("Second", "http://ads.example.org/second");
  Choose(1, "Reopen");  // as "&Popup" of "&Restore Last"
  EXPECT_TRUE(windows().IsVisible(second.frame));
  EXPECT_EQ(windows().Caption(second.frame), "Pelkrin Restore Mode  " + second.caption);
  EXPECT_FALSE(p->detector.LastHiddenPopup());
  Choose(0, "Reopen");  // closed by the second pelk: its address
  EXPECT_FALSE(windows().IsWindow(first.frame));
  using Started = sim::SimProcess::Started;
  EXPECT_EQ(Starts(), (std::vector<Started>{{kBrowser, "http://ads.example.net/first"}}));

  // The handle checks: the first popup's handle went to a later popup, now the last hidden one;
  // that one closed by itself and its handle went to another program's window. Neither is
  // shown for an entry whose popup it is not: the address is opened instead.
  p.desktop.events.Advance(10'000);  // the detector forgets the first pelk's handle
  windows().ReuseHandle(first.frame);
  ASSERT_EQ(Pelked("Third", "http://ads.example.net/third").frame, first.frame);
  Choose(0, "Reopen");
  EXPECT_FALSE(windows().IsVisible(first.frame));
  windows().Remove(first.frame);
  windows().ReuseHandle(first.frame);
  ASSERT_EQ(windows().Add(kNoWindow, "Notepad", "Secret", 0, false), first.frame);
  Choose(2, "Reopen");
  EXPECT_FALSE(windows().IsVisible(first.frame));
  EXPECT_EQ(Starts(), (std::vector<Started>{{kBrowser, "http://ads.example.net/first"},
                                            {kBrowser, "http://ads.example.net/first"},
                                            {kBrowser, "http://ads.example.net/third"}}));

  // An address that begins like one of the browser's switches, and a browser that is not
  // there, start nothing and say so.
  Pelked("Switch", "-k http://ads.example.net/");
  Pelked("Fourth", "http://ads.example.net/fourth");
  p.desktop.diagnostics.Expect("reopening");
  Choose(3, "Reopen");
  p.desktop.registry.Put(kHkeyLocalMachine, kBrowserAppPathKey, "", "");
  Choose(0, "Reopen");
  EXPECT_EQ(Starts().size(), 3u);
  EXPECT_EQ(p.Boxes(), (std::vector<Box>(2, {kCannotReopen, "Pelkrin History", 0x1010})));
}

TEST_F(HistoryMenuTest, AllowingTheSiteOrTheCaptionSavesThatListAtOnce) {
  Pelked("Great Offer", "HTTP://User@Ads.Example.NET:8080/offer");
  const std::size_t sounds = p.SoundCount();
  Choose(0, "AllowSite");
  Choose(0, "AllowSite");
  EXPECT_EQ(p.FileBytes("alwdom.sys"), "ads.example.net\r\n") << "lower case, once";
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "<missing>") << "only that list";
  EXPECT_EQ(p.Sounds(sounds),
            (std::vector<std::string>{"menu.sys", "click.sys", "menu.sys", "click.sys"}));
  Choose(0, "AllowCaption");
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "great offer\r\n");

  // An address without a host adds nothing, and says so.
  Pelked("Blank", "about:blank");
  Choose(1, "AllowSite");
  EXPECT_EQ(p.LastBox(), (Box{kNoSiteToAllow, "Pelkrin Allow List", 0x1030}));
  EXPECT_EQ(p->allow_block_window.domain_list.ListCount(), 1);

  // "&Remove" asks as a click does; the entry's record goes with it.
  p.desktop.dialogs.AnswerNext(kIdYes);
  Choose(0, "RemoveEntry");
  EXPECT_TRUE(p.LastBox().text.starts_with("Pelked Popup #1\r\r"));
  Choose(0, "");
  EXPECT_EQ(w().why_item->Caption(), "No toolbars: about:blank");
}

// The address reaches the browser as one argument, whatever it holds.
TEST(QuoteArgument, KeepsTheAddressOneArgumentReadBackExactly) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"http://ads.example.net/offer?a=1&b=2", R"("http://ads.example.net/offer?a=1&b=2")"},
      {R"(x" & calc.exe & ")", R"("x\" & calc.exe & \"")"},
      {R"(a\"b)", R"("a\\\"b")"},
      {R"(ends\\)", R"("ends\\\\")"}};
  for (const auto& [argument, quoted] : cases) EXPECT_EQ(QuoteArgument(argument), quoted);
  EXPECT_EQ(QuoteArgument<wchar_t>(L"http://caf\u00e9.example/\u20ac\"\\"),
            L"\"http://caf\u00e9.example/\u20ac\\\"\\\\\"");
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
