// The detector on the simulated desktop: the window readers, the popup rules and one survey
// after another, as the main window's survey timer runs them, and the event path beside them.
#include "detector/detection_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "detector/popup_rules.h"
#include "detector/restore.h"
#include "detector/transparent_list.h"
#include "detector/window_readers.h"
#include "platform/sim/sim_desktop.h"
#include "sim_browser.h"
#include "survey_host.h"
#include "ui/services.h"
#include "ui/sim/sim_view_host.h"

namespace pelkrin {
void PrintTo(const PelkRecord& r, std::ostream* out) {
  *out << r.short_caption << " | " << r.reason << " | " << r.address.value_or("(none)") << " | "
       << r.window.value_or(0) << " " << r.window_class;
}
namespace {

using testing::AddBrowser;
using testing::AddHtmlDialog;
using testing::AddPopup;
using testing::BrowserCaption;
using testing::SimBrowser;

constexpr DetectionSwitches kAllOff{false, false, false, false, false};

class DetectorTest : public ::testing::Test {
 protected:
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
  std::vector<Hwnd> Closed() { return testing::ClosesPosted(windows()); }
  // One survey over a desktop that takes it several slices, each coming on its timer.
  void SurveyToTheEnd() {
    cycle.Survey();
    while (cycle.SurveyUnderWay()) desktop.events.Advance(kSurveySliceGapMs);
  }

  sim::SimDesktop desktop;
  SettingsStore settings{desktop.profile, desktop.diagnostics, "C:\\Pelkrin"};
  Sounds sounds{desktop.sound, "C:\\Pelkrin"};
  sim::SimViewHost views;
  testing::SurveyHost host{views};
  ListStates list_states;
  bool pelking = true;
  DetectionSwitches switches;
  // The short captions the pelk event was called with; `during_pelk` runs inside the next one.
  std::vector<std::string> pelk_events;
  std::vector<PelkRecord> records;  // what each pelk recorded for the history
  std::function<void()> during_pelk;
  int saves = 0;
  std::string fail_with;  // a survey fails with this when it is set
  TransparentFrames transparent{{desktop.windows, desktop.files, desktop.diagnostics},
                                "C:\\Pelkrin\\popclear.sys"};
  DetectionCycle cycle{
      {desktop.windows, desktop.events, settings, desktop.dialogs, desktop.process,
       desktop.diagnostics},
      lists(),
      {.pelking_on = [this] { return pelking; },
       .switches =
           [this] {
             if (!fail_with.empty()) throw std::runtime_error(fail_with);
             return switches;
           },
       .save_before_failure_exit = [this] { ++saves; },
       .pelk_event =
           [this](const std::string& caption) {
             pelk_events.push_back(caption);
             if (during_pelk) std::exchange(during_pelk, {})();
           },
       .pelk_recorded = [this](PelkRecord record) { records.push_back(std::move(record)); },
       .pelk_address =
           [this](std::uint64_t serial, std::optional<std::string> address) {
             for (PelkRecord& record : records)
               if (record.serial == serial) record.address = std::move(address);
           }},
      &transparent};
};

// ---- Readers and rules ----

TEST_F(DetectorTest, TheAddressComesThroughWorkerAOrWorkerWCaptionsWholeAndAHungBarAsABlank) {
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
  // The hung browser fault: an address bar that does not answer costs one 200 ms send.
  windows().SetHung(w.edit, true);
  const std::uint64_t before = desktop.events.Now();
  EXPECT_EQ(ReadAddressBar(windows(), w.frame), " ");
  EXPECT_EQ(desktop.events.Now() - before, 200u);
}

TEST_F(DetectorTest, HiddenToolbarsAlwaysEachStyleSwitchItsMissingBitAndTheBlockListItsCaption) {
  EXPECT_EQ(Judge(AddPopup(windows(), "Offer").frame, kAllOff).rule, PopupRule::kHiddenToolbars);
  EXPECT_FALSE(Judge(AddBrowser(windows()).frame).IsPopup());
  // A longer class name beginning with WorkerW counts too.
  const Hwnd frame = windows().Add(kNoWindow, "IEFrame", "Long", testing::kNormalFrameStyle, true);
  windows().Add(frame, "WorkerWindowLonger", "", sim::kWsChild, false);
  EXPECT_EQ(Judge(frame).rule, PopupRule::kHiddenToolbars);

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

  // The block list matches the whole caption exactly, and an allowed caption beats it.
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

TEST_F(DetectorTest, ExemptionsInTheirOrderWithTheSystemsLetterCase) {
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
  // The letter-case fault: case is the system's, not ASCII's (in Windows-1252 0xC9 is the
  // capital of 0xE9).
  host.captions.AddItem("caf\xE9");
  EXPECT_EQ(exemption(BrowserCaption("CAF\xC9 OF THE DAY")), Exemption::kAllowedCaption);
  host.domains.AddItem("\xE9t\xE9.example");
  EXPECT_EQ(exemption("Offer", "HTTP://\xC9T\xC9.EXAMPLE/"), Exemption::kAllowedDomain);
  // The short caption: when the suffix stands anywhere, the last 30 characters go.
  const std::string middle = "A - Microsoft Internet Explorer and then some more text";
  EXPECT_EQ(ShortCaption(middle), middle.substr(0, middle.size() - 30));
  EXPECT_EQ(ShortCaption("No suffix"), "No suffix");
}

// ---- The cycle ----

TEST_F(DetectorTest, APopupIsHiddenAtOnceReportedOnceAndClosedAtTheNextPelk) {
  const SimBrowser normal = AddBrowser(windows());
  const SimBrowser first = AddPopup(windows(), "Free Prize");
  // Left alone: a popup not shown yet, a document window with the popup's caption in front of
  // it, a blank-titled window such as the taskbar, and a blank-titled popup in front of all.
  const SimBrowser not_yet = AddBrowser(windows(), {.toolbars = false, .visible = false});
  const Hwnd document = windows().Add(kNoWindow, "Notepad", first.caption, 0, true);
  const Hwnd taskbar = windows().Add(kNoWindow, "Shell_TrayWnd", "", 0, true);
  const SimBrowser blank = AddPopup(windows(), "");
  windows().SetCaption(blank.frame, "");
  cycle.Survey();
  EXPECT_EQ(Hidden(), std::vector<Hwnd>{first.frame});
  EXPECT_EQ(pelk_events, std::vector<std::string>{"Free Prize"});
  EXPECT_EQ(cycle.LastHiddenPopup(), first.frame);
  EXPECT_TRUE(desktop.diagnostics.Notes().back().ends_with(
      ": popup (hidden toolbars) from http://ads.example.net/offer"));
  for (const Hwnd window : {normal.frame, document, taskbar, blank.frame})
    EXPECT_TRUE(windows().IsVisible(window));
  EXPECT_FALSE(windows().IsVisible(not_yet.frame));
  // The address bar costs messages the browser must answer: without a domain list it is read
  // only once the hide is sent, for the history, and only once.
  EXPECT_EQ(windows().ShowCalls().at(0).sends_before, 0);
  EXPECT_EQ(windows().SendCount(), 2) << "its length, then its text";
  EXPECT_EQ(records,
            (std::vector<PelkRecord>{{"Free Prize", first.caption, "No toolbars",
                                      "http://ads.example.net/offer", first.frame, "IEFrame", 1}}));

  // Hidden, it is still enumerated but never reported again.
  cycle.Survey();
  EXPECT_EQ(pelk_events.size(), 1u);

  // A storm of popups under the same caption: each is pelked in turn, without a pause, and each
  // pelk closes the one before.
  std::vector<Hwnd> storm;
  for (int i = 0; i < 4; ++i) storm.push_back(AddPopup(windows(), "Free Prize").frame);
  SurveyToTheEnd();
  EXPECT_EQ(desktop.events.SleptMs(), 0u) << "the next popup is not held back";
  EXPECT_EQ(pelk_events.size(), 5u);
  for (const Hwnd popup : storm) EXPECT_FALSE(windows().IsVisible(popup));
  EXPECT_EQ(Closed(), (std::vector<Hwnd>{first.frame, storm[3], storm[2], storm[1]}))
      << "newest first, in z-order";
  EXPECT_EQ(cycle.LastHiddenPopup(), storm[0]);

  // With a domain list, the read that found no allowed domain serves the history too.
  host.domains.AddItem("example.org");
  const int sends = windows().SendCount();
  AddPopup(windows(), "Second Prize", "http://ads.example.net/second");
  SurveyToTheEnd();
  EXPECT_EQ(windows().SendCount(), sends + 2);
  EXPECT_EQ(records.back().address, "http://ads.example.net/second");
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

TEST_F(DetectorTest, FlashIsHiddenWhileTheSwitchIsOnUnlessCtrlIsHeldAndARestoredOneStaysAWhile) {
  windows().SetKeyDown(kVkControl, true);  // and the override's tick has not come yet
  const SimBrowser marked =
      AddBrowser(windows(), {.title = "Offer", .toolbars = false, .flash = true});
  cycle.Survey();
  EXPECT_EQ(windows().Caption(marked.frame), marked.caption + "     ");
  windows().SetKeyDown(kVkControl, false);
  cycle.Survey();
  EXPECT_TRUE(Hidden().empty());
  EXPECT_TRUE(windows().IsVisible(marked.flash));
  windows().Remove(marked.frame);

  const SimBrowser news = AddBrowser(windows(), {.title = "News", .flash = true});
  cycle.Survey();
  EXPECT_FALSE(windows().IsVisible(news.flash));
  EXPECT_TRUE(windows().IsVisible(news.frame)) << "an ordinary window is not a popup";
  // Restored, it stays while it is the last one seen; with a second window, one without Flash,
  // the survey alternates and hides it again.
  RestoreFlashAd({desktop.windows, desktop.dialogs, sounds, desktop.diagnostics},
                 cycle.LastHiddenFlash());
  cycle.Survey();
  EXPECT_TRUE(windows().IsVisible(news.flash));
  AddBrowser(windows());
  cycle.Survey();
  cycle.Survey();
  EXPECT_FALSE(windows().IsVisible(news.flash));
  switches.flash = false;
  windows().SetVisible(news.flash, true);
  cycle.Survey();
  EXPECT_TRUE(windows().IsVisible(news.flash));
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
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].reason, "Adware dialog");
  EXPECT_FALSE(records[0].address) << "it has no address bar";
  EXPECT_EQ(windows().SendCount(), 0) << "nor is one asked for";
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
  EXPECT_EQ(desktop.events.Now() - start, 200u) << "one timed read of its address, after the hide";
  ASSERT_EQ(records.size(), 1u);
  EXPECT_FALSE(records[0].address) << "no answer, no address";
  // Not having taken its hide yet, it is not reported twice, nor its address read again.
  windows().SetHung(hung.edit, false);
  cycle.Survey();
  EXPECT_EQ(pelk_events.size(), 1u);
  EXPECT_EQ(records.size(), 1u);
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
  SurveyToTheEnd();
  ASSERT_EQ(cycle.Census().size(), kMaxCensus);
  // The newest window is first in z-order; the oldest one took the last place.
  EXPECT_EQ(cycle.Census().back().caption, "Frame 0");
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
  EventPathTest() { EXPECT_TRUE(cycle.Attach()); }
  ~EventPathTest() override { cycle.Detach(); }
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

TEST_F(EventPathTest, APopupIsPelkedWithinAMillisecondOfShowingOrOfItsRetitling) {
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
    EXPECT_EQ(cycle.LastHiddenPopup(), popup.frame);
    EXPECT_EQ(cycle.FollowedCount(), 0u);
  }
  EXPECT_TRUE(NotedAs("as it showed: popup (hidden toolbars)"));
  EXPECT_EQ(desktop.events.SleptMs(), 0u);

  // Where the system reports caption changes, a window retitled onto the block list is judged
  // again; an HTML dialog is judged as it shows, ahead of it: it was reported shown.
  windows().SetDeliversShowAndCaptionEvents(true);
  host.blocks.AddItem(BrowserCaption("Sticky Ad"));
  const SimBrowser page = AddBrowser(windows());
  desktop.events.Advance(5);
  windows().SetCaption(page.frame, BrowserCaption("Sticky Ad"));
  const Hwnd dialog = AddHtmlDialog(windows(), "Special Offer", false);
  windows().SetVisible(dialog, true);
  desktop.events.Advance(kFollowPollMs);
  EXPECT_FALSE(windows().IsVisible(page.frame));
  EXPECT_FALSE(windows().IsVisible(dialog));
  EXPECT_EQ(pelk_events, (std::vector<std::string>{"Windows Offer", "Wine Offer", "Special Offer",
                                                   "Sticky Ad"}));
}

TEST_F(EventPathTest, ABurstIsPelkedInOneTurnAndTheTwoPathsNeverReportOneWindowTwice) {
  std::vector<Hwnd> burst;
  for (int i = 0; i < 10; ++i) burst.push_back(HiddenPopup("Free Prize").frame);
  desktop.events.Advance(10);
  for (const Hwnd popup : burst) windows().SetVisible(popup, true);
  desktop.events.Advance(kFollowPollMs);
  EXPECT_EQ(pelk_events, std::vector<std::string>(10, "Free Prize"));
  EXPECT_EQ(Closed(), std::vector<Hwnd>(burst.begin(), burst.end() - 1));
  EXPECT_FALSE(windows().IsVisible(burst.back()));
  // Every hide before any address read; each address reaches its record.
  EXPECT_EQ(windows().ShowCalls().at(9).sends_before, 0);
  for (const PelkRecord& record : records) EXPECT_EQ(record.address, "http://www.example.com/");
  pelk_events.clear();

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

TEST_F(EventPathTest, NeitherPathRunsInsideTheOtherNorTheEventPathInsideAWait) {
  // A survey tick inside the pelk event of the event path is skipped.
  const SimBrowser first = HiddenPopup("First");
  const SimBrowser other = AddPopup(windows(), "Other");  // the inner survey's, if it ran
  during_pelk = [&] {
    cycle.Survey();
    EXPECT_TRUE(windows().IsVisible(other.frame)) << "the survey ran inside the event path";
    EXPECT_TRUE(NotedAs("a survey tick came while a new window was being judged"));
  };
  windows().SetVisible(first.frame, true);
  desktop.events.Advance(kFollowPollMs);
  EXPECT_FALSE(windows().IsVisible(first.frame));

  // The event path's work asked for inside a survey does nothing; the window waits its turn.
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

  // Nor inside a wait: events that come in one are judged back at the top of the loop.
  Hwnd waited = kNoWindow;
  desktop.events.OnProcessPending([&] {
    if (waited != kNoWindow) return;
    waited = AddPopup(windows(), "Waited Offer").frame;
    desktop.events.Advance(50);  // time passes inside the wait
  });
  Wait(desktop.events, 0.1);
  desktop.events.OnProcessPending({});
  ASSERT_NE(waited, kNoWindow);
  EXPECT_TRUE(windows().IsVisible(waited)) << "nothing is judged inside a wait";
  desktop.events.Advance(0);
  EXPECT_FALSE(windows().IsVisible(waited));
}

TEST_F(EventPathTest, OrdinaryExemptAndVanishedWindowsAndReusedHandlesAreLeftAlone) {
  host.domains.AddItem("example.org");
  const SimBrowser page = AddBrowser(windows(), {.visible = false});
  const SimBrowser allowed = AddPopup(windows(), "Partner", "http://www.example.org/deal");
  const Hwnd notepad = windows().Add(kNoWindow, "Notepad", "Offer", 0, false);
  desktop.events.Advance(5);
  EXPECT_EQ(cycle.FollowedCount(), 1u) << "only the hidden browser frame is followed";
  windows().SetVisible(page.frame, true);
  windows().SetVisible(notepad, true);
  desktop.events.Advance(kFollowForMs * 2);
  EXPECT_TRUE(windows().IsVisible(allowed.frame));
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

TEST_F(EventPathTest, APelkEventThatFailsOrOutlivesARestoreLosesNothing) {
  AddPopup(windows(), "First");
  desktop.events.Advance(kFollowPollMs);
  desktop.diagnostics.Expect("the pelk event of \"Second\" failed: no room");
  during_pelk = [this] {
    cycle.TakeLastHiddenPopup();  // "First" restored meanwhile
    throw std::runtime_error("no room");
  };
  const Hwnd second = AddPopup(windows(), "Second").frame;
  desktop.events.Advance(kFollowPollMs);
  AddPopup(windows(), "Third");
  desktop.events.Advance(kFollowPollMs);
  EXPECT_EQ(pelk_events, (std::vector<std::string>{"First", "Second", "Third"}));
  EXPECT_EQ(Closed(), std::vector<Hwnd>{second});
  EXPECT_TRUE(desktop.diagnostics.Saw("the pelk event of \"Second\" failed: no room"));
}

// ---- Popups judged while hidden ----

class HiddenJudgementTest : public EventPathTest {
 protected:
  SimBrowser Frame(const std::string& title, bool toolbars = false) {
    SimBrowser browser =
        AddBrowser(windows(), {.title = title, .toolbars = toolbars, .visible = false});
    windows().SetExStyle(browser.frame, 0x100);
    return browser;
  }
  // Created hidden with WS_EX_WINDOWEDGE (0x100); WS_EX_LAYERED (0x00080000) and alpha 0 over it.
  bool Transparent(Hwnd frame) {
    return windows().ExStyle(frame) == 0x00080100 && windows().LayeredAlpha(frame) == 0;
  }
  bool Untouched(Hwnd frame) {
    return windows().ExStyle(frame) == 0x100 && !windows().LayeredAlpha(frame);
  }
  void Show(Hwnd frame) {
    windows().SetVisible(frame, true);
    desktop.events.Advance(kFollowPollMs);
  }
  std::string ListFile() { return *desktop.files.Bytes("C:\\Pelkrin\\popclear.sys"); }
  // Made opaque, a frame stays on the file until its next write (the next frame made
  // transparent, or the repair), which leaves it alone: it carries no transparency any more.
  void ExpectOpaqueAndForgottenAtTheRepair(const std::vector<Hwnd>& frames) {
    transparent.TakeDone();
    EXPECT_TRUE(transparent.Frames().empty());
    transparent.Repair();
    EXPECT_EQ(ListFile(), "");
    for (const Hwnd frame : frames)
      EXPECT_TRUE(!windows().IsWindow(frame) || Untouched(frame)) << frame;
  }
};

TEST_F(HiddenJudgementTest, APopupIsTransparentFromBeforeItsShowUntilItsHideTookEffect) {
  const SimBrowser popup = Frame("Hidden Offer");
  desktop.events.Advance(5);
  EXPECT_TRUE(Transparent(popup.frame));
  EXPECT_EQ(ListFile(), std::to_string(popup.frame) + "\r\n") << "on the file before the show";
  Show(popup.frame);
  EXPECT_TRUE(Untouched(popup.frame) && !windows().IsVisible(popup.frame));

  // Busy when asked: transparent once it answers. Then slow to take the hide: still transparent
  // while it shows. Restored while its browser does not answer, it is made opaque at the first
  // survey after its browser answers again.
  const SimBrowser slow = Frame("Slow Offer");
  windows().SetHung(slow.frame, true);
  desktop.events.Advance(5);
  EXPECT_TRUE(Untouched(slow.frame));
  windows().SetHung(slow.frame, false);
  EXPECT_TRUE(Transparent(slow.frame));
  windows().SetHung(slow.frame, true);
  Show(slow.frame);
  EXPECT_TRUE(windows().IsVisible(slow.frame) && Transparent(slow.frame));
  desktop.diagnostics.Expect("did not answer; it is made opaque later");
  EXPECT_EQ(cycle.TakeLastHiddenPopup(), slow.frame);
  desktop.events.Advance(kExStyleTimeoutMs);
  windows().SetHung(slow.frame, false);
  EXPECT_TRUE(Transparent(slow.frame));
  cycle.Survey();
  EXPECT_TRUE(Untouched(slow.frame));
  EXPECT_FALSE(windows().EverSeen(popup.frame) || windows().EverSeen(slow.frame));
  ExpectOpaqueAndForgottenAtTheRepair({popup.frame, slow.frame});
}

// The transparency waits for its program elsewhere, never here: a popup that shows while busy
// programs hold up the changes is hidden at once, and a program that has not answered within
// 250 ms is given up, its frame left as it was.
TEST_F(HiddenJudgementTest, AShownPopupIsHiddenWhileBusyProgramsHoldUpTheTransparency) {
  std::vector<Hwnd> busy;
  for (const char* title : {"Busy 1", "Busy 2"}) {
    busy.push_back(Frame(title).frame);
    windows().SetHung(busy.back(), true);
  }
  const SimBrowser shown = Frame("Shown Offer");
  desktop.events.Advance(5);
  EXPECT_TRUE(Untouched(shown.frame)) << "its change waits behind the busy ones";
  windows().SetVisible(shown.frame, true);
  const std::uint64_t before = desktop.events.Now();
  desktop.events.Advance(kFollowPollMs);
  EXPECT_EQ(desktop.events.Now() - before, kFollowPollMs) << "nothing waited for";
  EXPECT_FALSE(windows().IsVisible(shown.frame));
  desktop.diagnostics.Expect("did not take the transparency");
  desktop.events.Advance(240);
  EXPECT_FALSE(desktop.diagnostics.Saw("did not take the transparency"));
  desktop.events.Advance(20);
  EXPECT_TRUE(Untouched(busy[0]) && Untouched(busy[1]) && Untouched(shown.frame));
  for (const Hwnd frame : busy) windows().SetHung(frame, false);
  ExpectOpaqueAndForgottenAtTheRepair({busy[0], busy[1], shown.frame});
}

TEST_F(HiddenJudgementTest, AVerdictThatChangesUndoesItAtOnceAndCtrlOrADomainListedDecideNothing) {
  host.blocks.AddItem(BrowserCaption("Deal"));
  const SimBrowser page = Frame("Home", true), deal = Frame("Deal", true), ctrl = Frame("Ctrl");
  const SimBrowser never = Frame("Never Shown");
  desktop.events.Advance(5);
  EXPECT_TRUE(Transparent(deal.frame) && Transparent(ctrl.frame) && Transparent(never.frame));
  windows().SetCaption(deal.frame, BrowserCaption("Partner"));
  Show(deal.frame);
  windows().SetKeyDown(kVkControl, true);
  Show(ctrl.frame);
  windows().SetKeyDown(kVkControl, false);
  Show(page.frame);
  for (const Hwnd frame : {page.frame, deal.frame, ctrl.frame})
    EXPECT_TRUE(windows().IsVisible(frame) && Untouched(frame));
  desktop.events.Advance(kFollowForMs - 20);
  EXPECT_TRUE(Transparent(never.frame));
  desktop.events.Advance(20);
  EXPECT_TRUE(Untouched(never.frame)) << "hidden for 1 s: left to the survey as it was";

  windows().SetKeyDown(kVkControl, true);
  const SimBrowser held = Frame("Wanted");
  desktop.events.Advance(20);
  host.domains.AddItem("example.org");  // the address of a hidden frame may not be there yet
  windows().SetKeyDown(kVkControl, false);
  const SimBrowser listed = Frame("Listed");
  desktop.events.Advance(20);
  EXPECT_TRUE(Untouched(held.frame) && Untouched(listed.frame));
  Show(listed.frame);
  EXPECT_FALSE(windows().IsVisible(listed.frame)) << "pelked as it showed";
  ExpectOpaqueAndForgottenAtTheRepair({page.frame, deal.frame, ctrl.frame, never.frame});
}

// ---- What the survey remembers, its slices, and storms of events ----

// Each change between two surveys that the memory must not hide, on a desktop that reports
// creation only (Wine): every one decides the second survey's verdict.
TEST_F(EventPathTest, WhatTheSurveyRemembersChangesNoVerdict) {
  windows().SetDeliversShowAndCaptionEvents(false);
  const auto notepad_with_hidden_toolbars = [&] {
    const Hwnd window =
        windows().Add(kNoWindow, "Notepad", "Offer", testing::kNormalFrameStyle, true);
    windows().Add(window, "WorkerW", "", sim::kWsChild, false);
    return window;
  };
  const SimBrowser hides_toolbars = AddBrowser(windows(), {.title = "Hides Toolbars"});
  const SimBrowser gets_flash = AddBrowser(windows(), {.title = "Gets Flash"});
  const SimBrowser loses_flash = AddBrowser(windows(), {.title = "Loses Flash", .flash = true});
  const SimBrowser loses_container = AddBrowser(windows(), {.title = "Loses Container"});
  const SimBrowser retitled = AddBrowser(windows(), {.title = "Retitled"});
  const SimBrowser boxless = AddBrowser(
      windows(), {.title = "Boxless", .style = testing::kNormalFrameStyle & ~kWsMaximizeBox});
  host.captions.AddItem("allowed first");
  const SimBrowser allowed = AddPopup(windows(), "Allowed First");
  const SimBrowser frame_reused = AddBrowser(windows(), {.title = "Reused Frame"});
  const Hwnd notepad_reused = windows().Add(kNoWindow, "Notepad", "Offer", 0, true);
  switches.no_maximize_box = false;
  desktop.events.Advance(kFollowPollMs);  // the new windows judged as they showed
  cycle.Survey();
  ASSERT_TRUE(pelk_events.empty());

  // Changes that come unreported under Wine, then the creations that are reported.
  windows().SetVisible(hides_toolbars.container, false);
  windows().Remove(loses_container.container);  // a hidden container would be gone, not hidden
  const int flash_hides = HiddenCount(loses_flash.flash);
  windows().Remove(loses_flash.flash);
  windows().SetCaption(retitled.frame, BrowserCaption("Blocked Later"));
  host.blocks.AddItem(BrowserCaption("Blocked Later"));
  host.captions.RemoveItem(0);
  switches.no_maximize_box = true;
  const Hwnd server = windows().Children(windows().Children(gets_flash.frame)[1])[0];
  const Hwnd flash = windows().Add(server, "MacromediaFlashPlayerActiveX", "", sim::kWsChild, true);
  windows().Remove(frame_reused.frame);
  windows().ReuseHandle(frame_reused.frame);
  ASSERT_EQ(notepad_with_hidden_toolbars(), frame_reused.frame);
  windows().Remove(notepad_reused);
  windows().ReuseHandle(notepad_reused);
  ASSERT_EQ(AddPopup(windows(), "Reused Handle").frame, notepad_reused);
  desktop.events.Advance(0);  // the event path is told of the creations only
  cycle.Survey();

  EXPECT_FALSE(windows().IsVisible(hides_toolbars.frame));
  EXPECT_FALSE(windows().IsVisible(flash)) << "a Flash control that appeared";
  EXPECT_TRUE(windows().IsVisible(loses_container.frame)) << "no container, no hidden toolbars";
  EXPECT_FALSE(windows().IsVisible(retitled.frame));
  EXPECT_FALSE(windows().IsVisible(boxless.frame));
  EXPECT_FALSE(windows().IsVisible(allowed.frame));
  EXPECT_TRUE(windows().IsVisible(frame_reused.frame)) << "another program's window now";
  EXPECT_FALSE(windows().IsVisible(notepad_reused)) << "a popup now";
  EXPECT_EQ(pelk_events, (std::vector<std::string>{"Reused Handle", "Allowed First", "Boxless",
                                                   "Blocked Later", "Hides Toolbars"}));
  EXPECT_EQ(HiddenCount(loses_flash.flash), flash_hides) << "a gone Flash control is not hidden";

  // Creations that never reach the program: a remembered frame's handle, now another program's
  // window that would look like a popup, is not touched, and its Flash control's neither.
  ASSERT_TRUE(windows().WatchWindowEvents({}));
  windows().Remove(gets_flash.frame);
  windows().ReuseHandle(flash);
  const Hwnd other_child = windows().Add(frame_reused.frame, "Static", "", sim::kWsChild, true);
  windows().ReuseHandle(gets_flash.frame);
  ASSERT_EQ(notepad_with_hidden_toolbars(), gets_flash.frame);
  ASSERT_EQ(other_child, flash);
  desktop.diagnostics.Expect("is another window now");
  cycle.Survey();
  EXPECT_TRUE(windows().IsVisible(gets_flash.frame));
  EXPECT_TRUE(windows().IsVisible(other_child));
}

// An unchanged desktop costs one read for the listing, four per visible frame (its caption, its
// style, its first child and that child's style), one for the adware step, none for the other
// windows; a frame's Flash control is asked whether it is still there, and hidden again.
TEST_F(EventPathTest, AnUnchangedDesktopCostsFourReadsPerVisibleFrame) {
  for (int i = 0; i < 100; ++i) windows().Add(kNoWindow, "Notepad", "Note", 0, i % 2 == 0);
  for (int i = 0; i < 20; ++i)
    AddBrowser(windows(), {.title = "Page " + std::to_string(i), .flash = i == 0});
  cycle.Survey();
  SurveyToTheEnd();
  const int before = windows().Calls();
  cycle.Survey();
  EXPECT_FALSE(cycle.SurveyUnderWay());
  EXPECT_EQ(windows().Calls() - before, 1 + 20 * 4 + 1 + 2);
}

// A survey that takes several slices: the message loop runs between them, so a popup that shows
// meanwhile is pelked at once; windows vanish and handles pass to other windows between them;
// and every verdict is still the rules' own.
TEST_F(EventPathTest, ASurveyInSlicesGivesTheRulesVerdictsWhateverChangesBetweenSlices) {
  windows().SetDeliversShowAndCaptionEvents(false);
  pelking = false;  // the desktop is there before pelking starts: the survey's alone
  std::vector<SimBrowser> frames;
  for (int i = 0; i < 300; ++i) {
    const std::string title = "Page " + std::to_string(i);
    frames.push_back(i % 10 == 3 ? AddPopup(windows(), title)
                                 : AddBrowser(windows(), {.title = title, .flash = i % 7 == 0}));
  }
  pelking = true;
  std::vector<Hwnd> expected;  // the rules' verdicts, in z-order
  for (auto it = frames.rbegin(); it != frames.rend(); ++it)
    if (Judge(it->frame).ShouldPelk() && it->frame != frames[3].frame &&
        it->frame != frames[13].frame)
      expected.push_back(it->frame);

  cycle.Survey();
  ASSERT_TRUE(cycle.SurveyUnderWay());
  windows().Remove(frames[3].frame);  // the oldest come last
  windows().Remove(frames[13].frame);
  windows().ReuseHandle(frames[13].frame);
  const Hwnd notepad =
      windows().Add(kNoWindow, "Notepad", "Offer", testing::kNormalFrameStyle, true);
  ASSERT_EQ(notepad, frames[13].frame);
  windows().Add(notepad, "WorkerW", "", sim::kWsChild, false);
  const SimBrowser late = AddPopup(windows(), "Late Offer");
  int most_calls = 0;
  bool late_pelked_during_survey = false;
  while (cycle.SurveyUnderWay()) {
    const int before = windows().Calls();
    desktop.events.Advance(0);  // one turn at the top of the message loop
    most_calls = std::max(most_calls, windows().Calls() - before);
    late_pelked_during_survey |= cycle.SurveyUnderWay() && !windows().IsVisible(late.frame);
  }
  EXPECT_TRUE(late_pelked_during_survey);
  // A slice ends with the window that spent its calls, whose pelk also reads its address for the
  // history, and the event path has its turn too.
  EXPECT_LE(most_calls, static_cast<int>(kSurveySliceCalls) + 40) << "slices stay short";
  std::vector<Hwnd> pelked;
  for (const Hwnd window : Hidden())
    if (windows().Parent(window) == kNoWindow && window != late.frame) pelked.push_back(window);
  EXPECT_EQ(pelked, expected);
  EXPECT_TRUE(windows().IsVisible(notepad));
  EXPECT_EQ(pelk_events.size(), expected.size() + 1);
}

// The address of a popup whose browser is busy is tried 2 ms at a time, every 10 ms, then read
// with the usual limit; while another new frame is followed it waits, and so does the close of
// its popup, which shutdown closes unread.
TEST_F(EventPathTest, AnAddressWaitsForItsBrowserAndForTheBurstAndSoDoesItsPopupsClose) {
  const SimBrowser busy = HiddenPopup("Busy Offer");
  desktop.events.Advance(5);
  windows().SetVisible(busy.frame, true);
  windows().SetHung(busy.edit, true);
  const std::uint64_t pelked_at = desktop.events.Now();
  desktop.events.Advance(kFollowPollMs);
  EXPECT_EQ(desktop.events.Now() - pelked_at, 2u) << "one try, after the hide";
  desktop.events.Advance(9);
  EXPECT_EQ(desktop.events.Now() - pelked_at, 10u + 2u) << "a try 10 ms after the first";
  desktop.events.Advance(250);
  EXPECT_EQ(records.back().address, std::nullopt) << "the last try waited 200 ms for no answer";

  const SimBrowser third = HiddenPopup("Third Offer"), fourth = HiddenPopup("Fourth Offer");
  HiddenPopup("Still Hidden");
  desktop.events.Advance(5);
  for (const Hwnd frame : {third.frame, fourth.frame}) {
    windows().SetVisible(frame, true);
    desktop.events.Advance(kFollowPollMs);
  }
  EXPECT_EQ(Closed(), std::vector<Hwnd>{busy.frame});
  cycle.CloseWaitingPopups();
  EXPECT_EQ(Closed(), (std::vector<Hwnd>{busy.frame, third.frame}));
}

// Thousands of new windows and caption changes: a popup that shows meanwhile is judged before
// their classes are read, each window costs one look however many events it had, and one that
// the survey knows is not even read.
TEST_F(EventPathTest, AStormOfEventsDelaysNoPopupThatShowsAndCostsALookPerWindow) {
  const Hwnd clock = windows().Add(kNoWindow, "Notepad", "Clock", 0, true);
  cycle.Survey();
  const SimBrowser popup = HiddenPopup("Stormy Offer");
  desktop.events.Advance(5);
  for (int i = 0; i < 3000; ++i) windows().SetCaption(clock, "Clock " + std::to_string(i));
  for (int i = 0; i < 2000; ++i) windows().Add(kNoWindow, "Notepad", "New", 0, true);
  EXPECT_EQ(cycle.NotedCount(), 2001u);
  windows().SetVisible(popup.frame, true);
  const int before = windows().Calls();
  int calls_until_pelk = -1;
  during_pelk = [&] { calls_until_pelk = windows().Calls() - before; };
  desktop.events.Advance(kFollowPollMs);
  int storm_calls = windows().Calls() - before - calls_until_pelk;
  EXPECT_FALSE(windows().IsVisible(popup.frame));
  const auto& shows = windows().ShowCalls();
  const auto hide = std::find_if(shows.begin(), shows.end(), [&](const auto& call) {
    return call.window == popup.frame && call.command == kSwHide;
  });
  ASSERT_NE(hide, shows.end());
  EXPECT_LE(hide->calls_before - before, 12) << "no new window's class was read first";
  int turns = 1;
  while (cycle.NotedCount() > 0 && turns < 1000) {
    const int turn_start = windows().Calls();
    desktop.events.Advance(0);
    EXPECT_LE(windows().Calls() - turn_start, static_cast<int>(kNotedCallsPerTurn));
    storm_calls += windows().Calls() - turn_start;
    ++turns;
  }
  // The popup's own: made opaque once hidden, in the storm's first turn.
  EXPECT_EQ(windows().ExStyle(popup.frame) & 0x00080000, 0u);
  EXPECT_EQ(storm_calls, 2000 + 5) << "a class each, the clock none";
  EXPECT_GE(turns, 2000 / static_cast<int>(kNotedCallsPerTurn));
}

}  // namespace
}  // namespace pelkrin
