// The detector of the running program against browser windows of another process (the browser
// stand-in): what it hides and closes, what it lets through, block.exe's request, a browser that
// stops answering, and the event path.
#include <algorithm>
#include <vector>

#include "pelk_fixture.h"

namespace pelkrin::e2e {
namespace {

using Detector = PelkrinTest;

// Allowed popups are told by their address, read from another process's address bar, or by
// their caption; a blocked caption makes an ordinary window a popup.
TEST_F(Detector, PopupsDialogsAndFlashAreHiddenAndClosedAtTheNextPelkButAllowedOnesStay) {
  // Pelking starts off, so the popup can be seen (and photographed) before the first survey.
  ASSERT_NO_FATAL_FAILURE(Begin({{"pk.sys", "[pk]\r\nSUPER_MODE=0\r\n"},
                                 {"alwdom.sys", "example.org\r\n"},
                                 {"alwcap.sys", "results\r\n"},
                                 {"popblk.sys", std::string("Sticky Ad") + kIeSuffix + "\r\n"}},
                                true));
  const OpenedWindow normal = Open({});
  const OpenedWindow domain = Open(Popup("Partner Offer", "http://www.example.org/deal"));
  const OpenedWindow caption = Open(Popup("Search Results"));
  const OpenedWindow first = Open(Popup("First Offer"));
  ASSERT_TRUE(WaitFor([&] { return IsVisible(first.hwnd); }, kDefaultDeadlineMs, "the popup"));
  ScreenshotWhenStable("detector-before-pelk");

  ASSERT_TRUE(PostCommand(main_window, kCmdPelkPopups));
  EXPECT_TRUE(WaitHidden(first.hwnd, "the first popup"));
  EXPECT_TRUE(::IsWindow(first.hwnd)) << "hidden, not closed: it can still be restored";
  ScreenshotWhenStable("detector-after-pelk");

  OpenOptions sticky;  // an ordinary window in every respect but its caption
  sticky.title = "Sticky Ad";
  const OpenedWindow blocked = Open(sticky);
  EXPECT_TRUE(WaitHidden(blocked.hwnd, "the blocked window"));
  EXPECT_TRUE(WaitGone(first.hwnd, "the first popup, at the next pelk,"));
  EXPECT_TRUE(IsVisible(normal.hwnd)) << "a normal browser window survives every switch";
  EXPECT_TRUE(IsVisible(domain.hwnd)) << "its address is on the domain list";
  EXPECT_TRUE(IsVisible(caption.hwnd)) << "its caption is on the caption list";

  // An HTML dialog is hidden, and the Flash control of an ordinary window.
  OpenOptions dialog;
  dialog.dialog = true;
  dialog.title = "Special Offer";
  const OpenedWindow opened = Open(dialog);
  EXPECT_TRUE(WaitHidden(opened.hwnd, "the HTML dialog"));

  OpenOptions page;
  page.title = "News";
  page.flash = true;
  const OpenedWindow news = Open(page);
  HWND view = ::FindWindowExA(news.hwnd, nullptr, "Shell DocObject View", nullptr);
  HWND server = ::FindWindowExA(view, nullptr, "Internet Explorer_Server", nullptr);
  HWND flash = ::FindWindowExA(server, nullptr, "MacromediaFlashPlayerActiveX", nullptr);
  ASSERT_NE(flash, nullptr);
  EXPECT_TRUE(WaitHidden(flash, "the Flash control"));
  EXPECT_TRUE(IsVisible(news.hwnd));
}

TEST_F(Detector, BlockExesRequestIsPickedUpAndTheWindowPelkedWhenItComesBack) {
  ASSERT_NO_FATAL_FAILURE(Begin({}, true));
  OpenOptions page;
  page.title = "Sticky Promo";
  const OpenedWindow first = Open(page);
  ASSERT_TRUE(WaitFor([&] { return IsVisible(first.hwnd); }, kDefaultDeadlineMs, "the window"));
  ::SetForegroundWindow(first.hwnd);
  // As the browser's Block button starts it: no arguments, from the program folder.
  Process block = Process::Start(copy->Path("block.exe"), "", copy->folder());
  ASSERT_TRUE(block.valid());
  ASSERT_TRUE(block.WaitForExit());
  EXPECT_EQ(block.ExitCode(), 0u);
  EXPECT_TRUE(WaitGone(first.hwnd, "the window that block.exe was started for"));
  // The program takes the request at its next survey and empties the mailbox.
  EXPECT_TRUE(WaitFor(
      [&] {
        const std::string settings = copy->ReadFile("pk.sys").value_or("Sticky Promo");
        return settings.find("Sticky Promo") == std::string::npos &&
               settings.find("block_tmp=\r\n") != std::string::npos;
      },
      kPelkDeadlineMs, "the request to be taken from pk.sys"));
  const OpenedWindow again = Open(page);
  EXPECT_TRUE(WaitHidden(again.hwnd, "the window, now a popup by its caption"));
}

// A mended fault: a hung browser window froze the whole program.
TEST_F(Detector, AHungBrowserWindowFreezesNeitherTheTrayIconNorLaterPelks) {
  ASSERT_NO_FATAL_FAILURE(Begin({{"pk.sys", "[pk]\r\nSUPER_MODE=0\r\n"}}, true));
  OpenOptions hung_popup = Popup("Frozen Offer");
  hung_popup.group = "frozen";
  const OpenedWindow hung = Open(hung_popup);
  ASSERT_TRUE(WaitFor([&] { return IsVisible(hung.hwnd); }, kDefaultDeadlineMs, "the popup"));
  ASSERT_TRUE(sim->Hang(hung.id)) << sim->last_error();
  ASSERT_TRUE(PostCommand(main_window, kCmdPelkPopups));

  // The program's loop keeps running while surveys run into the hung window.
  ExpectLoopRunning(3000, 1500, "a survey met a hung browser window");
  AwaitSurvey();
  // Once the browser answers again, the hide it missed takes effect.
  ASSERT_TRUE(sim->Resume(hung.id));
  EXPECT_TRUE(WaitHidden(hung.hwnd, "the popup that hung"));
}

// ---- The event path: a popup hidden as it shows ----

struct EventPath : PelkrinTest {
  int PelkLines(const std::string& what) {
    const std::string log = copy->ReadFile("pelkrin.log").value_or("");
    int count = 0;
    for (std::size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1))
      ++count;
    return count;
  }
  ::testing::AssertionResult WaitPelkLines(const std::string& caption, int count) {
    return WaitFor([&] { return PelkLines("pelked \"" + caption + "\"") == count; },
                   kDefaultDeadlineMs, std::to_string(count) + " pelk lines of " + caption);
  }
  // The stand-in's record of its windows, once it has recorded the hiding of window `id`.
  std::optional<browser_sim::TimesReport> TimesOnceHidden(int id) {
    std::optional<browser_sim::TimesReport> times;
    WaitFor(
        [&] {
          const auto* window = (times = sim->Times()) ? times->Find(id) : nullptr;
          return !times || (window && window->hidden);
        },
        kPelkDeadlineMs, "the stand-in to record the hide");
    return times;
  }
};

TEST_F(EventPath, PopupsAreHiddenAsTheyShowEachReportedOnceAndANormalWindowNever) {
  ASSERT_NO_FATAL_FAILURE(Begin({}, true, true));
  const OpenedWindow normal = Open({});
  // A survey tick may pelk a popup in the moment after it shows, so a few are tried for one
  // that the event path takes.
  bool by_event = false;
  for (int attempt = 1; attempt <= 3 && !by_event; ++attempt) {
    const std::string caption = "Quick Offer " + std::to_string(attempt);
    OpenOptions options = Popup(caption);
    options.show_after_ms = 30;  // created hidden, filled, then shown, as a page opens a popup
    const OpenedWindow popup = Open(options);
    ASSERT_TRUE(WaitHidden(popup.hwnd, "the popup"));
    const auto times = TimesOnceHidden(popup.id);
    ASSERT_TRUE(times) << sim->last_error();
    const auto* record = times->Find(popup.id);
    ASSERT_TRUE(record && record->shown && record->hidden);
    ASSERT_TRUE(WaitPelkLines(caption, 1));
    by_event = PelkLines("pelked \"" + caption + "\" (" +
                         std::to_string(static_cast<std::uint32_t>(
                             reinterpret_cast<std::uintptr_t>(popup.hwnd))) +
                         ") as it showed") == 1;
    // A survey comes every 600 ms; the event path hides within a few milliseconds. The bound
    // is loose so that a loaded machine passes; the benchmark holds the tight figures.
    if (by_event) {
      EXPECT_LT(static_cast<double>(*record->hidden - *record->shown) / 1000.0, 100.0);
    }
  }
  EXPECT_TRUE(by_event) << "no popup of three was pelked as it showed\n"
                        << copy->ReadFile("pelkrin.log").value_or("");

  // A burst of identical popups on one browser thread: each pelked once, by either path, and
  // only the last one pelked left alive, hidden.
  std::vector<OpenedWindow> burst;
  for (int i = 0; i < 10; ++i) {
    OpenOptions options = Popup("Free Prize");
    options.show_after_ms = static_cast<std::uint32_t>(300 - i * 25);  // all show together
    options.group = "burst";
    burst.push_back(Open(options));
  }
  EXPECT_TRUE(WaitFor(
      [&] {
        return std::count_if(burst.begin(), burst.end(),
                             [](const OpenedWindow& popup) { return ::IsWindow(popup.hwnd); }) == 1;
      },
      kPelkDeadlineMs, "all but the last popup to close"));
  for (const OpenedWindow& popup : burst)
    EXPECT_FALSE(::IsWindow(popup.hwnd) && IsVisible(popup.hwnd));
  EXPECT_TRUE(WaitPelkLines("Free Prize", 10));
  AwaitSurvey();
  EXPECT_EQ(PelkLines("pelked \"Free Prize\""), 10) << "one report each, from either path";
  const auto after = sim->Times();
  ASSERT_TRUE(after);
  const auto* kept = after->Find(normal.id);
  ASSERT_TRUE(kept && kept->shown);
  EXPECT_EQ(kept->hides, 0) << "the ordinary window was never hidden, not for a moment";
}

// Ordinary browser frames of another program, all under the popups' caption: a popup that shows
// among them is hidden as it shows, not after a survey over all of them, and none of them is
// hidden even for a moment. 400 frames already hold a survey that reads them all at once for
// longer than the bound; the benchmark takes 1,000.
TEST_F(EventPath, APopupAmongManyBrowserFramesIsHiddenBeforeTheNextSurveyTick) {
  ASSERT_NO_FATAL_FAILURE(Begin({}, true));
  constexpr int kFrames = 400;
  std::vector<int> frames;
  for (int i = 0; i < kFrames; ++i) {
    OpenOptions frame;
    frame.title = "Crowded Offer";
    frame.activate = false;
    frame.group = "frames" + std::to_string(i / 50);  // 50 frames to a thread of the stand-in
    frame.width = 160;
    frame.height = 120;
    frames.push_back(Open(frame).id);
  }
  std::vector<double> visible_ms;
  for (int i = 0; i < 3; ++i) {
    OpenOptions options = Popup("Crowded Offer");
    options.show_after_ms = 30;
    const OpenedWindow popup = Open(options);
    ASSERT_TRUE(WaitHidden(popup.hwnd, "the popup among the frames"));
    const auto times = TimesOnceHidden(popup.id);
    ASSERT_TRUE(times) << sim->last_error();
    const auto* record = times->Find(popup.id);
    ASSERT_TRUE(record && record->shown && record->hidden);
    visible_ms.push_back(static_cast<double>(*record->hidden - *record->shown) / 1000.0);
    // Before the next survey tick could have come (every 600 ms)...
    EXPECT_LT(visible_ms.back(), 600.0);
  }
  // ...and, but for one popup that a loaded machine delays, within the bound for a popup on an
  // empty desktop.
  std::sort(visible_ms.begin(), visible_ms.end());
  EXPECT_LT(visible_ms[1], 100.0) << "the slower of the three: " << visible_ms[2] << " ms";
  const auto after = sim->Times();
  ASSERT_TRUE(after) << sim->last_error();
  for (const int id : frames) {
    const auto* frame = after->Find(id);
    ASSERT_TRUE(frame && frame->shown);
    EXPECT_EQ(frame->hides, 0) << "an ordinary browser frame was hidden";
  }
  // Once the stand-in ends, Wine's taskbar takes many seconds to catch up with hundreds of
  // windows gone; until it has painted the desktop over them again, it shows no new icon either,
  // so the next test's program must not start before.
  sim.reset();
  EXPECT_TRUE(WaitFor(
      [] {
        const auto capture = CaptureScreen();
        return capture &&
               !capture->HasDetailIn(RECT{0, 0, capture->width / 2, capture->height / 2});
      },
      90000, "the taskbar to paint the desktop over the crowded frames"));
}

// ---- Popups judged before they show: never drawn at all ----

struct NeverDrawn : EventPath {
  // Its page one colour; shown 200 ms after its creation, then its thread busy for 400 ms, which
  // a hide waits for: however loaded the machine, it is on the screen meanwhile unless transparent.
  OpenedWindow OpenPainted(OpenOptions options, std::uint32_t colour) {
    options.paint = colour;
    options.show_after_ms = 200;
    options.busy_after_show_ms = 400;
    return Open(options);
  }
  // Whether the window's centre showed `colour` at any look until `done` or the pelk deadline.
  bool ColourSeen(HWND window, std::uint32_t colour, const std::function<bool(bool)>& done) {
    RECT area{};
    ::GetWindowRect(window, &area);
    HDC screen = ::GetDC(nullptr);
    bool seen = false;
    for (const DWORD until = ::GetTickCount() + kPelkDeadlineMs;
         !done(seen) && ::GetTickCount() < until;)
      seen |= ::GetPixel(screen, (area.left + area.right) / 2, (area.top + area.bottom) / 2) ==
              RGB(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF);
    ::ReleaseDC(nullptr, screen);
    return seen;
  }
};

TEST_F(NeverDrawn, APopupJudgedBeforeItShowsNeverReachesTheScreenAndAnOrdinaryWindowDoes) {
  // A domain listed: nothing is decided before the show, and the popup is seen until its pelk.
  ASSERT_NO_FATAL_FAILURE(Begin({{"alwdom.sys", "example.org\r\n"}}, true, true));
  const OpenedWindow shown = OpenPainted(Popup("Painted Offer"), 0x12F034);
  EXPECT_TRUE(ColourSeen(shown.hwnd, 0x12F034, [](bool seen) { return seen; }));
  EXPECT_TRUE(WaitHidden(shown.hwnd, "the popup pelked as it showed"));
  sim.reset();
  copy.reset();
  ASSERT_NO_FATAL_FAILURE(Begin({}, true, true));
  const OpenedWindow normal = OpenPainted({}, 0x3412F0);
  EXPECT_TRUE(ColourSeen(normal.hwnd, 0x3412F0, [](bool seen) { return seen; }));

  // Without: transparent, it is not seen from its creation until a while after its hide.
  const OpenedWindow popup = OpenPainted(Popup("Painted Offer"), 0x12F034);
  std::optional<DWORD> hidden_at;
  const auto hidden_a_while = [&](bool) {
    const auto times = hidden_at ? std::nullopt : sim->Times();
    if (times && times->Find(popup.id) && times->Find(popup.id)->hidden)
      hidden_at = ::GetTickCount();
    return hidden_at && ::GetTickCount() - *hidden_at > 300;
  };
  EXPECT_FALSE(ColourSeen(popup.hwnd, 0x12F034, hidden_a_while));
  const auto times = sim->Times();
  ASSERT_TRUE(times && times->Find(popup.id) && times->Find(normal.id));
  EXPECT_TRUE(times->Find(popup.id)->transparent_at_show);
  EXPECT_EQ(times->Find(normal.id)->hides, 0);
}

}  // namespace
}  // namespace pelkrin::e2e
