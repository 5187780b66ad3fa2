// The detector on the simulated desktop: the window readers, the popup rules and one survey
// after another, as the main window's Timer2 runs them.
#include "detector/detection_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "detector/popup_rules.h"
#include "detector/window_readers.h"
#include "platform/sim/sim_desktop.h"
#include "sim_browser.h"
#include "survey_host.h"
#include "ui/services.h"
#include "ui/sim/sim_view_host.h"

namespace pelkrin {
namespace {

using testing::AddBrowser;
using testing::AddHtmlDialog;
using testing::AddPopup;
using testing::BrowserCaption;
using testing::SimBrowser;

constexpr DetectionSwitches kAllOff{false, false, false, false, false};

class DetectorTest : public ::testing::Test {
 protected:
  DetectorTest() {
    // The pelk event: records the short caption and empties the signal, as it does.
    host.Text2.on_change = [this] {
      if (host.Text2.Text().empty()) return;
      pelk_events.push_back(host.Text2.Text());
      host.Text2.SetText("");
    };
  }

  sim::SimWindows& windows() { return desktop.windows; }
  AllowLists lists() {
    return {host.domains, host.captions, host.blocks, list_states, desktop.text_case};
  }
  Verdict Judge(Hwnd window, const DetectionSwitches& with = {}) {
    return Classify(windows(), window, windows().Caption(window), lists(), with);
  }
  // Windows that the survey hid, in order.
  std::vector<Hwnd> Hidden() {
    std::vector<Hwnd> hidden;
    for (const auto& call : windows().ShowCalls())
      if (call.command == kSwHide) hidden.push_back(call.window);
    return hidden;
  }
  std::vector<Hwnd> Closed() {
    std::vector<Hwnd> closed;
    for (const auto& posted : windows().Posted())
      if (posted.message == kWmClose) closed.push_back(posted.window);
    return closed;
  }

  sim::SimDesktop desktop;
  Platform platform = desktop.platform();
  SettingsStore settings{desktop.profile, desktop.diagnostics, "C:\\Pelkrin"};
  sim::SimViewHost views;
  testing::SurveyHost host{views};
  ListStates list_states;
  bool pelking = true;
  DetectionSwitches switches;
  std::vector<std::string> pelk_events;
  int saves = 0;
  std::string fail_with;  // a survey fails with this when it is set
  DetectionCycle cycle{{desktop.windows, desktop.events, settings, desktop.dialogs, desktop.process,
                        desktop.diagnostics},
                       {host.domains, host.captions, host.blocks, list_states, desktop.text_case},
                       {host.TextHnd, host.TextFlash, host.Text2, host.List2},
                       {[this] { return pelking; },
                        [this] {
                          if (!fail_with.empty()) throw std::runtime_error(fail_with);
                          return switches;
                        },
                        [this] { ++saves; }}};
};

// ---- Readers ----

TEST_F(DetectorTest, TheAddressComesThroughWorkerAOrWorkerWAndCaptionsAreReadWhole) {
  const SimBrowser w = AddBrowser(windows(), {.address = "http://www.example.com/path"});
  EXPECT_EQ(ReadAddressBar(windows(), w.frame), "http://www.example.com/path");
  const SimBrowser a = AddBrowser(windows(), {.address = "http://example.org/", .worker_a = true});
  EXPECT_EQ(ReadAddressBar(windows(), a.frame), "http://example.org/");
  // An HTML dialog has no chain: a single blank. Frame 0: nothing.
  EXPECT_EQ(ReadAddressBar(windows(), AddHtmlDialog(windows(), "Dialog")), " ");
  EXPECT_EQ(ReadAddressBar(windows(), kNoWindow), "");
  // A class that merely begins with the wanted name is not it.
  const Hwnd parent = windows().Add(kNoWindow, "IEFrame", std::string(40000, 'a'), 0, true);
  windows().Add(parent, "EditBox", "", sim::kWsChild, true);
  const Hwnd edit = windows().Add(parent, "Edit", "", sim::kWsChild, true);
  EXPECT_EQ(FindChildByClass(windows(), parent, "Edit"), edit);
  EXPECT_EQ(FindChildByClass(windows(), parent, "edit"), kNoWindow);
  EXPECT_EQ(ReadCaption(windows(), parent), std::string(40000, 'a')) << "beyond 32767 characters";
}

// The hung browser fault: an address bar that does not answer costs one 200 ms send.
TEST_F(DetectorTest, AHungBrowserCostsOneShortSendAndReadsAsABlank) {
  const SimBrowser hung = AddPopup(windows(), "Hung");
  windows().SetHung(hung.edit, true);
  const std::uint64_t before = desktop.events.Now();
  EXPECT_EQ(ReadAddressBar(windows(), hung.frame), " ");
  EXPECT_EQ(desktop.events.Now() - before, 200u);
}

// ---- Rules ----

TEST_F(DetectorTest, HiddenToolbarsMakeAPopupEvenWithEverySwitchOff) {
  EXPECT_EQ(Judge(AddPopup(windows(), "Offer").frame, kAllOff).rule, PopupRule::kHiddenToolbars);
  const SimBrowser normal = AddBrowser(windows());
  EXPECT_FALSE(Judge(normal.frame).IsPopup());
  // A longer class name beginning with WorkerW counts too.
  const Hwnd frame = windows().Add(kNoWindow, "IEFrame", "Long", testing::kNormalFrameStyle, true);
  windows().Add(frame, "WorkerWindowLonger", "", sim::kWsChild, false);
  EXPECT_EQ(Judge(frame).rule, PopupRule::kHiddenToolbars);
}

TEST_F(DetectorTest, EachStyleSwitchCatchesItsMissingBit) {
  using testing::kNormalFrameStyle;
  const auto judge_style = [&](std::uint32_t style, const DetectionSwitches& with) {
    return Judge(AddBrowser(windows(), {.style = style}).frame, with).rule;
  };
  EXPECT_EQ(judge_style(kNormalFrameStyle & ~kWsMaximizeBox, {}), PopupRule::kNoMaximizeBox);
  EXPECT_EQ(judge_style(kNormalFrameStyle & ~kWsMinimizeBox, {}), PopupRule::kNoMinimizeBox);
  // A border without the dialog-frame bit is no title bar.
  EXPECT_EQ(judge_style(testing::kWsBorder | kWsMaximizeBox | kWsMinimizeBox, {}),
            PopupRule::kNoTitleBar);
  EXPECT_EQ(judge_style(kNormalFrameStyle & ~kWsMaximizeBox, kAllOff), PopupRule::kNone);
}

TEST_F(DetectorTest, TheBlockListMatchesTheWholeCaptionExactlyAndAnAllowedCaptionBeatsIt) {
  const SimBrowser ad = AddBrowser(windows(), {.title = "Daily Results"});
  host.blocks.AddItem("daily results - microsoft internet explorer");
  host.blocks.AddItem("Daily Results");
  EXPECT_FALSE(Judge(ad.frame, kAllOff).IsPopup());
  host.blocks.AddItem(ad.caption);
  EXPECT_TRUE(Judge(ad.frame, kAllOff).ShouldPelk());
  EXPECT_EQ(Judge(ad.frame, kAllOff).short_caption, "Daily Results");
  host.captions.AddItem("results");
  EXPECT_EQ(Describe(Judge(ad.frame)), "popup (block list), exempt (allowed caption)");
}

TEST_F(DetectorTest, ExemptionsInTheirOrder) {
  const auto exemption = [&](const std::string& caption,
                             const std::string& address = "http://ads.example.net/") {
    const SimBrowser popup = AddPopup(windows(), "", address);
    windows().SetCaption(popup.frame, caption);
    return Judge(popup.frame).exemption;
  };
  EXPECT_EQ(exemption(""), Exemption::kEmptyCaption);
  EXPECT_EQ(exemption("Find"), Exemption::kBrowserDialog);
  EXPECT_EQ(exemption("find"), Exemption::kNone);
  EXPECT_EQ(exemption(BrowserCaption("Pelkrin - restored")), Exemption::kOwnWindow);
  host.captions.AddItem("results");
  EXPECT_EQ(exemption(BrowserCaption("Search RESULTS")), Exemption::kAllowedCaption);
  host.domains.AddItem("example.org");
  EXPECT_EQ(exemption("Offer", "http://www.test/?from=EXAMPLE.ORG"), Exemption::kAllowedDomain);
  EXPECT_EQ(exemption("Offer"), Exemption::kNone);
}

// The letter-case fault: case is the system's, not ASCII's (in Windows-1252 0xC9 is the capital
// of 0xE9).
TEST_F(DetectorTest, AllowedCaptionsAndDomainsMatchAccentedCapitals) {
  host.captions.AddItem("caf\xE9");
  const SimBrowser cafe = AddPopup(windows(), "CAF\xC9 OF THE DAY");
  EXPECT_EQ(Judge(cafe.frame).exemption, Exemption::kAllowedCaption);
  host.domains.AddItem("\xE9t\xE9.example");
  const SimBrowser summer = AddPopup(windows(), "Offer", "HTTP://\xC9T\xC9.EXAMPLE/");
  EXPECT_EQ(Judge(summer.frame).exemption, Exemption::kAllowedDomain);
  const SimBrowser times = AddPopup(windows(), "2\xD7 more", "http://example.net/");
  host.captions.AddItem("2\xF7 more");  // the division sign is no lower-case multiplication sign
  EXPECT_EQ(Judge(times.frame).exemption, Exemption::kNone);
}

TEST_F(DetectorTest, TheSuffixAnywhereCostsTheLastThirtyCharacters) {
  EXPECT_EQ(ShortCaption(BrowserCaption("News")), "News");
  const std::string middle = "A - Microsoft Internet Explorer and then some more text";
  EXPECT_EQ(ShortCaption(middle), middle.substr(0, middle.size() - 30));
  EXPECT_EQ(ShortCaption("No suffix"), "No suffix");
}

// ---- The cycle ----

TEST_F(DetectorTest, APopupIsHiddenAtOnceReportedOnceAndClosedAtTheNextPelk) {
  const SimBrowser normal = AddBrowser(windows());
  const SimBrowser first = AddPopup(windows(), "First Offer");
  const std::uint64_t start = desktop.events.Now();
  cycle.Survey();
  EXPECT_EQ(Hidden(), std::vector<Hwnd>{first.frame});
  EXPECT_EQ(pelk_events, std::vector<std::string>{"First Offer"});
  EXPECT_EQ(host.TextHnd.Text(), std::to_string(first.frame));
  EXPECT_EQ(desktop.events.Now() - start, 0u) << "a pelk no longer pauses the program";
  EXPECT_TRUE(desktop.diagnostics.Notes().back().find("hidden toolbars") != std::string::npos);

  // Hidden, it is still enumerated but never reported again.
  cycle.Survey();
  EXPECT_EQ(pelk_events.size(), 1u);

  const SimBrowser second = AddPopup(windows(), "Second Offer");
  cycle.Survey();
  EXPECT_EQ(Closed(), std::vector<Hwnd>{first.frame});
  EXPECT_EQ(host.TextHnd.Text(), std::to_string(second.frame));
  EXPECT_TRUE(windows().IsVisible(normal.frame));
}

// The survey does only the work the rules need: a window not shown yet is no candidate, and the
// address bar, which costs messages the browser must answer before the hide, is read only when
// a domain could allow the popup.
TEST_F(DetectorTest, AHiddenWindowIsNoCandidateAndTheAddressIsReadOnlyForADomainList) {
  AddBrowser(windows(), {.title = "Not Yet", .toolbars = false, .visible = false});
  cycle.Survey();
  EXPECT_TRUE(Hidden().empty());
  EXPECT_TRUE(pelk_events.empty());

  AddPopup(windows(), "No Domains", "http://ads.example.net/");
  cycle.Survey();
  EXPECT_EQ(pelk_events, std::vector<std::string>{"No Domains"});
  EXPECT_EQ(windows().SendCount(), 0);

  host.domains.AddItem("example.org");
  AddPopup(windows(), "Some Domains", "http://ads.example.net/");
  cycle.Survey();
  EXPECT_EQ(pelk_events.back(), "Some Domains");
  EXPECT_GT(windows().SendCount(), 0);
}

TEST_F(DetectorTest, TheBlockButtonsRequestWaitsWhilePelkingIsOffAndIsPelkedInTheSameSurvey) {
  const SimBrowser ad = AddBrowser(windows(), {.title = "Sticky Ad"});
  ASSERT_TRUE(settings.WriteSetting("block_tmp", ad.caption));
  pelking = false;
  cycle.Survey();
  EXPECT_TRUE(Hidden().empty());
  EXPECT_EQ(settings.ReadSetting("block_tmp"), ad.caption);
  pelking = true;
  cycle.Survey();
  EXPECT_EQ(host.blocks.Items(), std::vector<std::string>{ad.caption});
  EXPECT_EQ(settings.ReadSetting("block_tmp"), "");
  EXPECT_EQ(Hidden(), std::vector<Hwnd>{ad.frame});
  EXPECT_EQ(pelk_events, std::vector<std::string>{"Sticky Ad"});
  ASSERT_TRUE(settings.WriteSetting("block_tmp", ad.caption));
  desktop.files.SetReadOnlyFolder("C:\\Pelkrin", true);
  desktop.diagnostics.Expect("cannot be cleared from pk.sys");
  for (int i = 0; i < 5; ++i) cycle.Survey();
  EXPECT_EQ(host.blocks.Items(), std::vector<std::string>{ad.caption});
  EXPECT_EQ(desktop.diagnostics.Lines().size(), 1u);
}

TEST_F(DetectorTest, AStormOfIdenticallyTitledPopupsIsPelkedInTurn) {
  std::vector<Hwnd> storm;
  for (int i = 0; i < 5; ++i) storm.push_back(AddPopup(windows(), "Free Prize").frame);
  cycle.Survey();
  EXPECT_EQ(desktop.events.SleptMs(), 0u) << "the next popup is not held back";
  EXPECT_EQ(pelk_events.size(), 5u);
  for (const Hwnd popup : storm) EXPECT_FALSE(windows().IsVisible(popup));
  EXPECT_EQ(Closed().size(), 4u) << "each pelk closed the one before";
  // An already hidden popup with the caption does not shadow a new one.
  const Hwnd again = AddPopup(windows(), "Free Prize").frame;
  cycle.Survey();
  EXPECT_FALSE(windows().IsVisible(again));
}

TEST_F(DetectorTest, AWindowOfAnotherProgramIsNeverTouchedWhateverItsCaption) {
  const SimBrowser popup = AddPopup(windows(), "Report");
  // A document window with the browser window's caption, in front of it, and a blank-titled
  // window such as the taskbar.
  const Hwnd document = windows().Add(kNoWindow, "Notepad", popup.caption, 0, true);
  const Hwnd taskbar = windows().Add(kNoWindow, "Shell_TrayWnd", "", 0, true);
  cycle.Survey();
  EXPECT_EQ(Hidden(), std::vector<Hwnd>{popup.frame});
  EXPECT_TRUE(windows().IsVisible(document));
  EXPECT_TRUE(windows().IsVisible(taskbar));
  // Its handle now belongs to another program's window: the next pelk must not close that.
  host.TextHnd.SetText(std::to_string(document));
  AddPopup(windows(), "Another Report");
  cycle.Survey();
  EXPECT_TRUE(Closed().empty());
  EXPECT_TRUE(windows().IsWindow(document));
}

TEST_F(DetectorTest, ABlankTitledPopupDoesNotStopTheSurvey) {
  const SimBrowser blank = AddPopup(windows(), "");
  windows().SetCaption(blank.frame, "");
  const SimBrowser behind = AddPopup(windows(), "Behind");
  windows().MakeTopmost(blank.frame);
  cycle.Survey();
  EXPECT_EQ(Hidden(), std::vector<Hwnd>{behind.frame});
  EXPECT_TRUE(windows().IsVisible(blank.frame));
}

TEST_F(DetectorTest, FlashIsHiddenInEveryBrowserWindowWhileTheSwitchIsOnButTheCtrlMarkLetsItBe) {
  windows().SetKeyDown(kVkControl, true);  // and the override's tick has not come yet
  const SimBrowser marked =
      AddBrowser(windows(), {.title = "Offer", .toolbars = false, .flash = true});
  cycle.Survey();
  EXPECT_EQ(windows().Caption(marked.frame), marked.caption + "     ");
  windows().SetKeyDown(kVkControl, false);
  cycle.Survey();
  EXPECT_TRUE(Hidden().empty());
  EXPECT_EQ(host.TextFlash.Text(), "");
  EXPECT_TRUE(windows().IsVisible(marked.flash));
  windows().Remove(marked.frame);

  const SimBrowser with_flash = AddBrowser(windows(), {.title = "News", .flash = true});
  cycle.Survey();
  EXPECT_FALSE(windows().IsVisible(with_flash.flash));
  EXPECT_TRUE(windows().IsVisible(with_flash.frame)) << "an ordinary window is not a popup";
  EXPECT_EQ(host.TextFlash.Text(), std::to_string(with_flash.flash));
  switches.flash = false;
  windows().SetVisible(with_flash.flash, true);
  cycle.Survey();
  EXPECT_TRUE(windows().IsVisible(with_flash.flash));
}

TEST_F(DetectorTest, AnHtmlDialogIsMarkedPelkedAndGivenItsCaptionBack) {
  const Hwnd dialog = AddHtmlDialog(windows(), "Special Offer");
  switches.adware = false;
  cycle.Survey();
  EXPECT_EQ(windows().Caption(dialog), "Special Offer");
  EXPECT_TRUE(windows().IsVisible(dialog));
  switches.adware = true;
  cycle.Survey();
  EXPECT_EQ(pelk_events, std::vector<std::string>{"Special Offer"});
  EXPECT_FALSE(windows().IsVisible(dialog));
  EXPECT_EQ(windows().Caption(dialog), "Special Offer");
  // An exempt one is retitled back and forth, and stays.
  const Hwnd find = AddHtmlDialog(windows(), "Find");
  cycle.Survey();
  EXPECT_EQ(windows().Caption(find), "Find");
  EXPECT_TRUE(windows().IsVisible(find));
}

// The hung browser fault: a popup whose program stopped answering never freezes the survey.
TEST_F(DetectorTest, AHungPopupNeverFreezesTheSurveyNorIsReportedTwice) {
  const SimBrowser hung = AddPopup(windows(), "Hung Offer");
  windows().SetHung(hung.frame, true);
  windows().SetHung(hung.edit, true);
  const std::uint64_t start = desktop.events.Now();
  cycle.Survey();
  EXPECT_LE(desktop.events.Now() - start, 500u);
  // Not having taken its hide yet, it is not reported twice.
  windows().SetHung(hung.edit, false);
  cycle.Survey();
  EXPECT_EQ(pelk_events.size(), 1u);
  EXPECT_TRUE(Closed().empty()) << "it is the last hidden popup, not the one before it";
  EXPECT_EQ(Hidden(), (std::vector<Hwnd>{hung.frame, hung.frame})) << "the hide is asked again";
  windows().SetHung(hung.frame, false);
  EXPECT_FALSE(windows().IsVisible(hung.frame));
  const SimBrowser later = AddPopup(windows(), "Later Offer");
  cycle.Survey();
  EXPECT_FALSE(windows().IsVisible(later.frame));
}

TEST_F(DetectorTest, ACensusBeyond32767FramesKeepsTheLastInTheLastPlace) {
  for (std::size_t i = 0; i < kMaxCensus + 2; ++i)
    windows().Add(kNoWindow, "IEFrame", "Frame " + std::to_string(i), testing::kNormalFrameStyle,
                  false);
  cycle.Survey();
  ASSERT_EQ(host.List2.ListCount(), static_cast<int>(kMaxCensus));
  // The newest window is first in z-order; the oldest one took the last place.
  EXPECT_EQ(host.List2.List(static_cast<int>(kMaxCensus) - 1), "Frame 0");
}

TEST_F(DetectorTest, AFailedSurveySaysSoSavesAndEndsTheProgram) {
  AddPopup(windows(), "Offer");
  desktop.diagnostics.Expect("a survey failed");
  fail_with = "Overflow";
  EXPECT_THROW(cycle.Survey(), sim::ProcessExit);
  ASSERT_EQ(desktop.dialogs.Shown().size(), 1u);
  const sim::ShownMessageBox& box = desktop.dialogs.Shown()[0];
  EXPECT_EQ(box.title + "|" + box.text + "|" + std::to_string(box.style),
            "Pelkrin Error 5|Overflow|" + std::to_string(0x1030));
  EXPECT_EQ(saves, 1) << "the lists and the counter are saved before the end";
}

// ---- The event path: new browser windows judged as they show ----

// The cycle wired as the program wires it: window events noted, the new windows followed as the
// message loop's idle work (the top of SimEventLoop::Advance).
class EventPathTest : public DetectorTest {
 protected:
  EventPathTest() {
    windows().WatchWindowEvents(
        [this](WindowEvent event, Hwnd window) { cycle.NoteWindowEvent(event, window); });
    desktop.events.SetIdleWork([this] { return cycle.FollowNewWindows(); });
  }
  ~EventPathTest() override {
    windows().WatchWindowEvents({});
    desktop.events.SetIdleWork({});
  }
  // A page's popup, created hidden as a browser creates it, shown later.
  SimBrowser HiddenPopup(const std::string& title) {
    return AddBrowser(windows(), {.title = title, .toolbars = false, .visible = false});
  }
  int HiddenCount(Hwnd window) {
    const std::vector<Hwnd> hidden = Hidden();
    return static_cast<int>(std::count(hidden.begin(), hidden.end(), window));
  }
  bool NotedAs(const std::string& path) {
    for (const std::string& note : desktop.diagnostics.Notes())
      if (note.find(path) != std::string::npos) return true;
    return false;
  }
};

TEST_F(EventPathTest, APopupIsPelkedWithinAMillisecondOfShowingOnWindowsAndOnWine) {
  for (const bool wine : {false, true}) {
    SCOPED_TRACE(wine ? "creation events only (Wine)" : "show events too (Windows)");
    windows().SetDeliversShowAndCaptionEvents(!wine);
    const SimBrowser popup = HiddenPopup(wine ? "Wine Offer" : "Windows Offer");
    desktop.events.Advance(30);  // the page fills it before showing it
    EXPECT_EQ(cycle.FollowedCount(), 1u);
    EXPECT_TRUE(windows().IsWindow(popup.frame));
    EXPECT_EQ(HiddenCount(popup.frame), 0);

    windows().SetVisible(popup.frame, true);
    const std::uint64_t shown = desktop.events.Now();
    desktop.events.Advance(kFollowPollMs);
    EXPECT_FALSE(windows().IsVisible(popup.frame));
    EXPECT_LE(desktop.events.Now() - shown, 1u);
    EXPECT_EQ(host.TextHnd.Text(), std::to_string(popup.frame));
    EXPECT_EQ(cycle.FollowedCount(), 0u);
  }
  EXPECT_EQ(pelk_events, (std::vector<std::string>{"Windows Offer", "Wine Offer"}));
  EXPECT_TRUE(NotedAs("as it showed: popup (hidden toolbars)"));
  EXPECT_EQ(desktop.events.SleptMs(), 0u);
}

TEST_F(EventPathTest, OrdinaryAndExemptWindowsAreNeverHiddenNorOtherProgramsTouched) {
  host.domains.AddItem("example.org");
  const SimBrowser page = AddBrowser(windows(), {.visible = false});
  const SimBrowser allowed = AddPopup(windows(), "Partner", "http://www.example.org/deal");
  const Hwnd notepad = windows().Add(kNoWindow, "Notepad", "Offer", 0, false);
  desktop.events.Advance(5);
  EXPECT_EQ(cycle.FollowedCount(), 1u) << "only the hidden browser frame is followed";
  windows().SetVisible(page.frame, true);
  windows().SetVisible(notepad, true);
  desktop.events.Advance(kFollowForMs * 2);
  EXPECT_TRUE(Hidden().empty());
  EXPECT_TRUE(pelk_events.empty());
  EXPECT_TRUE(windows().IsVisible(allowed.frame));
}

TEST_F(EventPathTest, ABurstOfTenIsAllPelkedOneReportEachAndOnlyTheLastLeftAlive) {
  std::vector<Hwnd> burst;
  for (int i = 0; i < 10; ++i) burst.push_back(HiddenPopup("Free Prize").frame);
  desktop.events.Advance(10);
  for (const Hwnd popup : burst) windows().SetVisible(popup, true);
  desktop.events.Advance(kFollowPollMs);
  EXPECT_EQ(pelk_events, std::vector<std::string>(10, "Free Prize"));
  EXPECT_EQ(Closed(), std::vector<Hwnd>(burst.begin(), burst.end() - 1));
  EXPECT_TRUE(windows().IsWindow(burst.back()));
  EXPECT_FALSE(windows().IsVisible(burst.back()));
  // The survey that comes next finds nothing new to report.
  desktop.events.Advance(kFollowForMs);
  cycle.Survey();
  EXPECT_EQ(pelk_events.size(), 10u);
}

TEST_F(EventPathTest, TheTwoPathsNeverReportOneWindowTwice) {
  // Pelked by events; its program stopped answering, so it still shows at the survey.
  const SimBrowser slow = HiddenPopup("Slow Offer");
  const SimBrowser last = HiddenPopup("Last Offer");
  windows().SetVisible(slow.frame, true);
  windows().SetVisible(last.frame, true);
  windows().SetHung(slow.frame, true);
  desktop.events.Advance(kFollowPollMs);
  ASSERT_EQ(pelk_events.size(), 2u);
  ASSERT_TRUE(windows().IsVisible(slow.frame));
  cycle.Survey();
  EXPECT_EQ(pelk_events.size(), 2u) << "the survey only asks it again to hide";
  EXPECT_EQ(HiddenCount(slow.frame), 2);

  // Pelked by the survey first; the show event that comes after it finds it hidden.
  windows().SetDeliversShowAndCaptionEvents(false);
  const SimBrowser surveyed = AddPopup(windows(), "Surveyed Offer");
  cycle.Survey();
  windows().SetVisible(surveyed.frame, true);  // as a restore would
  desktop.events.Advance(kFollowPollMs);
  EXPECT_EQ(pelk_events.size(), 3u);
}

TEST_F(EventPathTest, NeitherPathRunsInsideTheOther) {
  // A survey tick inside the pelk event of the event path is skipped.
  const SimBrowser first = HiddenPopup("First");
  const SimBrowser other = AddPopup(windows(), "Other");  // the inner survey's, if it ran
  int inner_surveys = 0;
  host.Text2.on_change = [&] {
    if (host.Text2.Text().empty()) return;
    if (inner_surveys++ == 0) {
      cycle.Survey();
      EXPECT_TRUE(windows().IsVisible(other.frame)) << "the survey ran inside the event path";
      EXPECT_TRUE(NotedAs("a survey tick came while a new window was being judged"));
    }
    host.Text2.SetText("");
  };
  windows().SetVisible(first.frame, true);
  desktop.events.Advance(kFollowPollMs);
  EXPECT_FALSE(windows().IsVisible(first.frame));

  // The event path's work asked for inside a survey does nothing; the window waits its turn.
  host.Text2.on_change = [this] {
    if (!host.Text2.Text().empty()) host.Text2.SetText("");
  };
  Hwnd during = kNoWindow;
  windows().OnEnum([&](Hwnd) {
    if (during != kNoWindow) return;
    during = HiddenPopup("During").frame;
    windows().SetVisible(during, true);
    EXPECT_EQ(cycle.FollowNewWindows(), kFollowPollMs);
  });
  cycle.Survey();
  windows().OnEnum({});
  EXPECT_TRUE(windows().IsVisible(during)) << "not judged inside the survey";
  desktop.events.Advance(0);
  EXPECT_FALSE(windows().IsVisible(during));
  EXPECT_FALSE(windows().IsVisible(other.frame));
}

TEST_F(EventPathTest, EventsInsideAWaitAreJudgedOnlyBackAtTheTopOfTheLoop) {
  Hwnd popup = kNoWindow;
  desktop.events.OnProcessPending([&] {
    if (popup != kNoWindow) return;
    popup = AddPopup(windows(), "Waited Offer").frame;
    desktop.events.Advance(50);  // time passes inside the wait
  });
  Wait(desktop.events, 0.1);
  desktop.events.OnProcessPending({});
  ASSERT_NE(popup, kNoWindow);
  EXPECT_TRUE(windows().IsVisible(popup)) << "nothing is judged inside a wait";
  desktop.events.Advance(0);
  EXPECT_FALSE(windows().IsVisible(popup));
}

TEST_F(EventPathTest, AVanishedWindowAndAReusedHandleAreLeftAlone) {
  // Gone before it showed.
  const SimBrowser gone = HiddenPopup("Gone");
  desktop.events.Advance(5);
  windows().Remove(gone.frame);
  desktop.events.Advance(5);
  EXPECT_EQ(cycle.FollowedCount(), 0u);
  // Gone between its events and their turn, its handle passed to another program's window.
  const SimBrowser reused = HiddenPopup("Reused");
  windows().SetVisible(reused.frame, true);
  windows().Remove(reused.frame);
  windows().ReuseHandle(reused.frame);
  ASSERT_EQ(windows().Add(kNoWindow, "Notepad", "Offer", 0, false), reused.frame);
  desktop.events.Advance(5);
  // Followed as a browser frame, replaced by another program's window before it showed.
  const SimBrowser swapped = HiddenPopup("Swapped");
  desktop.events.Advance(5);
  windows().SetDeliversShowAndCaptionEvents(false);
  windows().Remove(swapped.frame);
  windows().ReuseHandle(swapped.frame);
  ASSERT_EQ(windows().Add(kNoWindow, "#32770", "Offer", 0, true), swapped.frame);
  desktop.events.Advance(5);
  EXPECT_TRUE(Hidden().empty());
  EXPECT_TRUE(pelk_events.empty());
  EXPECT_TRUE(windows().IsVisible(swapped.frame));
}

TEST_F(EventPathTest, WithPelkingOffEventsDoNothingAndAHiddenWindowIsFollowedOnlySoLong) {
  pelking = false;
  const SimBrowser off = AddPopup(windows(), "Off");
  desktop.events.Advance(5);
  EXPECT_EQ(cycle.FollowedCount(), 0u);
  EXPECT_TRUE(windows().IsVisible(off.frame));
  pelking = true;

  HiddenPopup("Never Shown");
  desktop.events.Advance(kFollowForMs - 5);
  EXPECT_EQ(cycle.FollowedCount(), 1u);
  desktop.events.Advance(10);
  EXPECT_EQ(cycle.FollowedCount(), 0u);
  const int runs = desktop.events.IdleWorkRuns();
  desktop.events.Advance(1000);
  EXPECT_LE(desktop.events.IdleWorkRuns(), runs + 1) << "one turn of the loop, and no polling";
}

TEST_F(EventPathTest, ARetitledWindowIsJudgedAgainWhereTheSystemSaysSo) {
  host.blocks.AddItem(BrowserCaption("Sticky Ad"));
  const SimBrowser page = AddBrowser(windows());
  desktop.events.Advance(5);
  windows().SetCaption(page.frame, BrowserCaption("Sticky Ad"));
  desktop.events.Advance(kFollowPollMs);
  EXPECT_FALSE(windows().IsVisible(page.frame));
  EXPECT_EQ(pelk_events, std::vector<std::string>{"Sticky Ad"});
}

TEST_F(EventPathTest, APelkEventThatFailsOrOutlivesARestoreLosesNothing) {
  AddPopup(windows(), "First");
  desktop.events.Advance(kFollowPollMs);
  desktop.diagnostics.Expect("the pelk event of \"Second\" failed: no room");
  const auto record = std::exchange(host.Text2.on_change, [this] {
    host.TextHnd.SetText("");  // "First" restored meanwhile
    if (!host.Text2.Text().empty()) throw std::runtime_error("no room");
  });
  const Hwnd second = AddPopup(windows(), "Second").frame;
  desktop.events.Advance(kFollowPollMs);
  host.Text2.on_change = record;
  AddPopup(windows(), "Third");
  desktop.events.Advance(kFollowPollMs);
  EXPECT_EQ(pelk_events, (std::vector<std::string>{"First", "Third"}));
  EXPECT_EQ(Closed(), std::vector<Hwnd>{second});
}

TEST_F(EventPathTest, AnHtmlDialogIsPelkedAsItShows) {
  const Hwnd dialog = AddHtmlDialog(windows(), "Special Offer", false);
  windows().SetVisible(dialog, true);
  desktop.events.Advance(kFollowPollMs);
  EXPECT_FALSE(windows().IsVisible(dialog));
  EXPECT_EQ(windows().Caption(dialog), "Special Offer");
  EXPECT_EQ(pelk_events, std::vector<std::string>{"Special Offer"});
}

TEST_F(DetectorTest, PelkSoundsAndAnimationsStartAtMostOncePer600Ms) {
  EXPECT_TRUE(cycle.TakePelkShowTurn());
  desktop.events.Advance(599);
  EXPECT_FALSE(cycle.TakePelkShowTurn());
  desktop.events.Advance(1);
  EXPECT_TRUE(cycle.TakePelkShowTurn());
  EXPECT_FALSE(cycle.TakePelkShowTurn());
}

}  // namespace
}  // namespace pelkrin
