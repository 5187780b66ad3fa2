// The tray menu and the detector's commands on it: restoring the last popup and Flash control,
// the CTRL override on its timer, and Kill All IE Windows, against browser windows of the
// simulated desktop.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim_browser.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::AddBrowser;
using testing::AddHtmlDialog;
using testing::AddPopup;
using testing::BrowserCaption;
using testing::SimBrowser;

struct TrayCommandsTest : ::testing::Test {
  TrayCommandsTest() {
    p.desktop.sound.SetDeviceCount(1);
    p.Start();
  }
  sim::SimWindows& windows() { return p.desktop.windows; }
  MainWindow& main_window() { return p->main_window; }
  void Survey() { p.desktop.events.Advance(600); }
  std::vector<Hwnd> ClosesSent() { return testing::ClosesPosted(windows()); }
  std::vector<Hwnd> Frames(int count) {
    std::vector<Hwnd> frames;
    for (int i = 0; i < count; ++i)
      frames.push_back(AddBrowser(windows(), {.title = "Page " + std::to_string(i)}).frame);
    return frames;
  }
  long Alive(const std::vector<Hwnd>& list) {
    return std::count_if(list.begin(), list.end(),
                         [this](Hwnd h) { return windows().IsWindow(h); });
  }
  // The window closes by itself, and its handle goes to another program's window.
  Hwnd Reuse(Hwnd window) {
    windows().Remove(window);
    windows().ReuseHandle(window);
    return windows().Add(kNoWindow, "Notepad", "Secret", 0, false);
  }

  testing::SimApp p;
};

// ---- The menu ----

TEST_F(TrayCommandsTest, RightOrLeftButtonUpOpenTheIconsMenuWithItsSounds) {
  const std::size_t sounds = p.SoundCount();
  p.Choose("RestorePopup");
  for (const LParam other : {0x202, 0x208})  // left up opens it too; middle up does not
    p.desktop.notify.Deliver(main_window().tray_icon.Window(), kTrayCallbackMessage, 0, other);
  ASSERT_EQ(p.views.MenusShown().size(), 2u);
  const auto& shown = p.views.MenusShown()[0];
  EXPECT_EQ(shown.menu, &main_window().tray_menu);
  EXPECT_EQ(shown.default_item, main_window().pelk_popups_item);
  ASSERT_TRUE(shown.tray_icon.has_value()) << "opened from the keyboard it must find its icon";
  EXPECT_EQ(shown.tray_icon->window, main_window().tray_icon.Window());
  // The menu, the "&Restore Last" submenu, then the command's own click.
  EXPECT_EQ(p.Sounds(sounds),
            (std::vector<std::string>{"menu.sys", "menu.sys", "click.sys", "menu.sys"}));
}

// ---- Restore ----

TEST_F(TrayCommandsTest, RestoringThePopupShowsItMarkedAndTheNextRestoreFindsNone) {
  const SimBrowser popup = AddPopup(windows(), "Offer");
  Survey();
  ASSERT_FALSE(windows().IsVisible(popup.frame));
  p.Choose("RestorePopup");
  EXPECT_TRUE(windows().IsVisible(popup.frame));
  EXPECT_EQ(windows().Caption(popup.frame), "Pelkrin Restore Mode  " + popup.caption);
  EXPECT_FALSE(p->detector.LastHiddenPopup());
  // The mark keeps the detector away, and the next pelk does not close it.
  Survey();
  EXPECT_TRUE(windows().IsVisible(popup.frame));
  const SimBrowser next = AddPopup(windows(), "Next Offer");
  Survey();
  EXPECT_FALSE(windows().IsVisible(next.frame));
  EXPECT_TRUE(windows().IsWindow(popup.frame));

  p.Choose("RestorePopup");  // brings back "Next Offer"
  p.Choose("RestorePopup");
  EXPECT_EQ(p.LastBox(),
            (testing::Box{"Pelkrin could not find any popups to restore.", "Pelkrin", 0x1010}));
  EXPECT_EQ(p.Boxes().size(), 1u);

  // Retitled by its page, it loses the mark and is pelked again, a new pelk in every way.
  windows().SetCaption(popup.frame, BrowserCaption("Offer, page 2"));
  Survey();
  EXPECT_FALSE(windows().IsVisible(popup.frame));
  EXPECT_EQ(p->detector.LastHiddenPopup(), popup.frame);
  const auto& notes = p.desktop.diagnostics.Notes();
  EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [](const std::string& note) {
    return note.starts_with("pelked \"Offer, page 2\"");
  }));
  // Retitled while hidden to a caption that begins with the product name, it keeps that caption.
  const std::string marked = "Pelkrin Restore Mode  " + popup.caption;
  windows().SetCaption(popup.frame, marked);
  p.Choose("RestorePopup");
  EXPECT_EQ(windows().Caption(popup.frame), marked);
  EXPECT_TRUE(windows().IsVisible(popup.frame));
}

// A mended fault: the restore mark that a frozen browser missed let the popup be pelked again
// as soon as its browser answered and showed it.
TEST_F(TrayCommandsTest, APopupRestoredWhileItsBrowserIsFrozenGetsItsMarkWhenItShows) {
  const SimBrowser popup = AddPopup(windows(), "Frozen Offer");
  Survey();
  windows().SetHung(popup.frame, true);
  p.Choose("RestorePopup");
  windows().SetHung(popup.frame, false);  // it takes the show, but the mark was lost
  ASSERT_EQ(windows().Caption(popup.frame), popup.caption);
  Survey();
  EXPECT_TRUE(windows().IsVisible(popup.frame));
  EXPECT_EQ(windows().Caption(popup.frame), "Pelkrin Restore Mode  " + popup.caption);
  // Its page retitles it: that ends the restore, as it does for one that took the mark at once.
  windows().SetCaption(popup.frame, BrowserCaption("Frozen Offer, page 2"));
  Survey();
  EXPECT_FALSE(windows().IsVisible(popup.frame));
}

// A reused handle: the popup or Flash control closed by itself and its number went to another
// program's window, which no command may show, retitle or close.
TEST_F(TrayCommandsTest, AHandleThatNoLongerNamesABrowserWindowIsNeitherShownRetitledNorClosed) {
  p.Choose("RestoreFlashAd");
  EXPECT_EQ(p.LastBox(),
            (testing::Box{"No recent pelked Flash Advertisements detected.", "Pelkrin", 0x1010}));
  const SimBrowser news = AddBrowser(windows(), {.title = "News", .flash = true});
  Survey();
  const Hwnd not_flash = Reuse(news.flash);
  p.Choose("RestoreFlashAd");
  EXPECT_FALSE(windows().IsVisible(not_flash));

  const Hwnd first = AddPopup(windows(), "First Offer").frame;
  Survey();
  const Hwnd not_restored = Reuse(first);
  p.Choose("RestorePopup");
  EXPECT_FALSE(windows().IsVisible(not_restored));
  EXPECT_EQ(windows().Caption(not_restored), "Secret");
  EXPECT_FALSE(p->detector.LastHiddenPopup());
  EXPECT_NE(p.desktop.diagnostics.Notes().back().find("no browser window"), std::string::npos);

  const Hwnd not_closed = AddPopup(windows(), "Second Offer").frame;
  Survey();
  Reuse(not_closed);
  const Hwnd third = AddPopup(windows(), "Third Offer").frame;
  Survey();  // would close the second popup
  Reuse(third);
  main_window().SessionEnding();  // would close the third
  EXPECT_TRUE(ClosesSent().empty());
  EXPECT_EQ(p.Boxes().size(), 1u) << "a handle, however stale, is no \"none\"";
}

// ---- The CTRL override ----

TEST_F(TrayCommandsTest, HoldingCtrlMarksTheFrontFrameOnceAndTheDetectorLetsItThrough) {
  windows().SetKeyDown(kVkControl, true);
  const Hwnd document = windows().Add(kNoWindow, "Notepad", "Notes", 0, true);
  p.desktop.events.Advance(100);  // no browser window at all
  EXPECT_EQ(windows().Caption(document), "Notes");
  // Ordinary windows, which the detector would leave alone: the override marks the front one.
  const SimBrowser behind = AddBrowser(windows(), {.title = "Behind"});
  const SimBrowser front = AddBrowser(windows(), {.title = "Front"});
  p.desktop.events.Advance(32 * 5);
  EXPECT_EQ(windows().Caption(front.frame), front.caption + "     ");
  EXPECT_EQ(windows().Caption(behind.frame), behind.caption) << "only the one in front";
  // The mark comes back while CTRL is held through a title change.
  windows().SetCaption(front.frame, BrowserCaption("Loaded page"));
  p.desktop.events.Advance(32);
  EXPECT_EQ(windows().Caption(front.frame), BrowserCaption("Loaded page") + "     ");
  // Five blanks anywhere count as the mark.
  const Hwnd frame = windows().Add(kNoWindow, "IEFrame", "A     B", 0, true);
  p.desktop.events.Advance(100);
  EXPECT_EQ(windows().Caption(frame), "A     B");

  const SimBrowser popup = AddPopup(windows(), "Wanted");
  p.desktop.events.Advance(32);
  windows().SetKeyDown(kVkControl, false);
  Survey();
  Survey();
  EXPECT_TRUE(windows().IsVisible(popup.frame));
}

// ---- Kill All IE Windows ----

TEST_F(TrayCommandsTest, KillAllClosesTwentyFiveFramesThenFiveDialogsPausingBetweenPasses) {
  main_window().SetPelking(false);
  const std::vector<Hwnd> frames = Frames(30);
  std::vector<Hwnd> dialogs;
  for (int i = 0; i < 7; ++i) dialogs.push_back(AddHtmlDialog(windows(), "Dialog"));
  const Hwnd document = windows().Add(kNoWindow, "Notepad", "Notes", 0, true);
  const std::uint64_t before = p.desktop.events.Now();
  p.Choose("KillAllIeWindows");
  EXPECT_EQ(Alive(frames), 5);
  EXPECT_EQ(Alive(dialogs), 2);
  EXPECT_TRUE(windows().IsWindow(document));
  EXPECT_EQ(ClosesSent().size(), 30u);
  EXPECT_GE(p.desktop.events.Now() - before, 3000u) << "30 passes of 0.1 s";
  EXPECT_EQ(p.Sounds().back(), "click.sys");
}

TEST_F(TrayCommandsTest, AFrameThatDoesNotCloseKeepsNoOtherOpenAndThenTakesTheSparePasses) {
  main_window().SetPelking(false);
  const std::vector<Hwnd> frames = Frames(30);
  // In front of all of them: one that asks a question instead of closing, one that hangs.
  const Hwnd asks = AddBrowser(windows(), {.title = "Unsaved form"}).frame;
  windows().SetIgnoresClose(asks, true);
  const Hwnd hung = AddBrowser(windows(), {.title = "Frozen"}).frame;
  windows().SetHung(hung, true);
  p.Choose("KillAllIeWindows");
  EXPECT_EQ(30 - Alive(frames), 23) << "25 passes: the two that stay, and 23 others";
  std::vector<Hwnd> sent = ClosesSent();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), asks), 1);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), hung), 1);
  // Once every window left has had one, the passes go to the first of them again.
  p.Choose("KillAllIeWindows");
  EXPECT_EQ(Alive(frames), 0);
  sent = ClosesSent();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), hung), 1 + 25 - 8);
}

}  // namespace
}  // namespace pelkrin
