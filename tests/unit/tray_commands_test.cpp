// The tray menu and the detector's commands on it: restoring the last popup and Flash control,
// the CTRL override on Timer3, and Kill All IE Windows, against browser windows of the simulated
// desktop.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/command_ids.h"
#include "sim_browser.h"
#include "test_support.h"
#include "tray/systray.h"

namespace pelkrin {
namespace {

using testing::AddBrowser;
using testing::AddHtmlDialog;
using testing::AddPopup;
using testing::BrowserCaption;
using testing::BrowserShape;
using testing::SimApp;
using testing::SimBrowser;

constexpr std::uint32_t kRightButtonUp = 0x205;
constexpr char kFlashClass[] = "MacromediaFlashPlayerActiveX";

struct TrayCommandsTest : ::testing::Test {
  TrayCommandsTest() {
    p.desktop.sound.SetDeviceCount(1);
    p.Start();
  }
  sim::SimWindows& windows() { return p.desktop.windows; }
  frmMain& main() { return p->main; }
  // The user picks `item` from the tray menu.
  void Choose(const std::string& item) {
    p.views.ChooseNext(item);
    p.desktop.notify.Deliver(main().SysTray.Window(), kTrayCallbackMessage, 0, kRightButtonUp);
  }
  // Lets one survey run (and whatever it pelks).
  void Survey() { p.desktop.events.Advance(600); }
  std::vector<std::string> SoundsSince(std::size_t first) {
    std::vector<std::string> names;
    const auto& plays = p.desktop.sound.Plays();
    for (std::size_t i = first; i < plays.size(); ++i)
      names.push_back(plays[i].path.substr(plays[i].path.rfind('\\') + 1));
    return names;
  }
  std::vector<Hwnd> ClosesSent() {
    std::vector<Hwnd> closed;
    for (const auto& posted : windows().Posted())
      if (posted.message == kWmClose) closed.push_back(posted.window);
    return closed;
  }
  void ExpectLastBox(const std::string& text) {
    ASSERT_FALSE(p.desktop.dialogs.Shown().empty());
    const auto& box = p.desktop.dialogs.Shown().back();
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.title, "Pelkrin");
    EXPECT_EQ(box.style, 0x1010u);
  }

  SimApp p;
};

// ---- The menu ----

TEST_F(TrayCommandsTest, TheMenuBelongsToTheIconAndEveryOpeningPlaysTheMenuSound) {
  const std::size_t sounds = p.desktop.sound.Plays().size();
  Choose("RestorePopup");
  ASSERT_EQ(p.views.MenusShown().size(), 1u);
  const auto& shown = p.views.MenusShown()[0];
  EXPECT_EQ(shown.menu, &main().MenuMain);
  EXPECT_EQ(shown.default_item, main().PelkPopups);
  ASSERT_TRUE(shown.tray_icon.has_value()) << "opened from the keyboard it must find its icon";
  EXPECT_EQ(shown.tray_icon->window, main().SysTray.Window());
  EXPECT_EQ(shown.tray_icon->id, 0u);
  // The menu, the "&Restore Last" submenu, then the command's own click.
  EXPECT_EQ(SoundsSince(sounds), (std::vector<std::string>{"menu.sys", "menu.sys", "click.sys"}));
}

TEST_F(TrayCommandsTest, EveryCommandOfTheMenuReachesItsItemByNumber) {
  // The command numbers the main window runs when they arrive as WM_COMMAND from outside.
  for (const char* name : {"KillAllIeWindows", "RestorePopup", "RestoreFlashAd", "PelkPopups",
                           "ExitMenu", "AllowBlockList"}) {
    MenuItem* item = main().MenuMain.FindByName(name);
    ASSERT_NE(item, nullptr) << name;
    EXPECT_EQ(main().MenuMain.FindByCommand(item->Command()), item) << name;
  }
}

// ---- Restore ----

TEST_F(TrayCommandsTest, RestoringThePopupShowsItMarkedAndTheNextRestoreFindsNone) {
  const SimBrowser popup = AddPopup(windows(), "Offer");
  Survey();
  ASSERT_FALSE(windows().IsVisible(popup.frame));
  ASSERT_EQ(main().TextHnd.Text(), std::to_string(popup.frame));

  Choose("RestorePopup");
  EXPECT_TRUE(windows().IsVisible(popup.frame));
  EXPECT_EQ(windows().Caption(popup.frame), "Pelkrin Restore Mode  " + popup.caption);
  EXPECT_EQ(main().TextHnd.Text(), "");
  // The mark keeps the detector away, and the next pelk does not close it.
  Survey();
  EXPECT_TRUE(windows().IsVisible(popup.frame));
  const SimBrowser next = AddPopup(windows(), "Next Offer");
  Survey();
  EXPECT_FALSE(windows().IsVisible(next.frame));
  EXPECT_TRUE(windows().IsWindow(popup.frame));

  Choose("RestorePopup");  // brings back "Next Offer"
  Choose("RestorePopup");
  ExpectLastBox("Pelkrin could not find any popups to restore.");
  EXPECT_EQ(p.desktop.dialogs.Shown().size(), 1u);
}

TEST_F(TrayCommandsTest, ARestoredPopupThatRetitlesItselfLosesTheMarkAndIsPelkedAgain) {
  const SimBrowser popup = AddPopup(windows(), "Offer");
  Survey();
  Choose("RestorePopup");
  windows().SetCaption(popup.frame, BrowserCaption("Offer, page 2"));
  Survey();
  EXPECT_FALSE(windows().IsVisible(popup.frame));
}

TEST_F(TrayCommandsTest, ACaptionThatBeginsWithTheProductNameIsLeftAsItIs) {
  // Restored once already, hidden since by the user's own program.
  const SimBrowser popup = AddPopup(windows(), "Offer");
  const std::string marked = "Pelkrin Restore Mode  " + popup.caption;
  windows().SetCaption(popup.frame, marked);
  windows().SetVisible(popup.frame, false);
  main().TextHnd.SetText(std::to_string(popup.frame));
  Choose("RestorePopup");
  EXPECT_EQ(windows().Caption(popup.frame), marked);
  EXPECT_TRUE(windows().IsVisible(popup.frame));
}

TEST_F(TrayCommandsTest, AHandleThatNoLongerNamesABrowserWindowIsNeitherShownNorRetitled) {
  // The popup closed by itself; its number now belongs to another program's hidden window.
  const Hwnd other = windows().Add(kNoWindow, "Notepad", "Secret", 0, false);
  main().TextHnd.SetText(std::to_string(other));
  Choose("RestorePopup");
  EXPECT_FALSE(windows().IsVisible(other));
  EXPECT_EQ(windows().Caption(other), "Secret");
  EXPECT_EQ(main().TextHnd.Text(), "");
  EXPECT_TRUE(p.desktop.dialogs.Shown().empty());
  EXPECT_NE(p.desktop.diagnostics.Notes().back().find("no browser window"), std::string::npos);
}

TEST_F(TrayCommandsTest, RestoringFlashBeforeAnyWasHiddenSaysThereIsNone) {
  Choose("RestoreFlashAd");
  ExpectLastBox("No recent pelked Flash Advertisements detected.");
  // "0": the last browser window the detector examined had no Flash control.
  main().TextFlash.SetText("0");
  Choose("RestoreFlashAd");
  EXPECT_EQ(p.desktop.dialogs.Shown().size(), 2u);
}

TEST_F(TrayCommandsTest, ARestoredFlashControlStaysWhileItIsTheLastOneSeen) {
  BrowserShape page;
  page.title = "News";
  page.flash = true;
  const SimBrowser news = AddBrowser(windows(), page);
  Survey();
  ASSERT_FALSE(windows().IsVisible(news.flash));
  Choose("RestoreFlashAd");
  EXPECT_TRUE(windows().IsVisible(news.flash));
  EXPECT_EQ(main().TextFlash.Text(), std::to_string(news.flash));
  Survey();
  EXPECT_TRUE(windows().IsVisible(news.flash));
  // A second window without Flash: the detector alternates and hides it again.
  AddBrowser(windows());
  Survey();
  Survey();
  EXPECT_FALSE(windows().IsVisible(news.flash));
}

TEST_F(TrayCommandsTest, AFlashHandleThatIsGoneShowsNothing) {
  const Hwnd other = windows().Add(kNoWindow, "Notepad", "Secret", 0, false);
  main().TextFlash.SetText(std::to_string(other));
  Choose("RestoreFlashAd");
  EXPECT_FALSE(windows().IsVisible(other));
  EXPECT_TRUE(p.desktop.dialogs.Shown().empty());
  EXPECT_EQ(main().TextFlash.Text(), std::to_string(other));
}

// ---- The CTRL override ----

TEST_F(TrayCommandsTest, HoldingCtrlMarksTheFrontFrameOnceAndTheDetectorLetsItThrough) {
  main().SetPelking(false);  // the override runs whether or not pelking is on
  windows().SetKeyDown(kVkControl, true);
  const SimBrowser behind = AddBrowser(windows());
  const SimBrowser popup = AddPopup(windows(), "Wanted");
  p.desktop.events.Advance(32 * 5);
  EXPECT_EQ(windows().Caption(popup.frame), popup.caption + "     ");
  EXPECT_EQ(windows().Caption(behind.frame), behind.caption) << "only the one in front";

  windows().SetKeyDown(kVkControl, false);
  main().SetPelking(true);
  Survey();
  Survey();
  EXPECT_TRUE(windows().IsVisible(popup.frame));
  EXPECT_EQ(windows().Caption(popup.frame), popup.caption + "     ") << "the mark stays";
}

TEST_F(TrayCommandsTest, TheMarkComesBackWhileCtrlIsHeldThroughATitleChange) {
  windows().SetKeyDown(kVkControl, true);
  const SimBrowser popup = AddPopup(windows(), "Loading");
  p.desktop.events.Advance(32);
  windows().SetCaption(popup.frame, BrowserCaption("Loaded page"));
  p.desktop.events.Advance(32);
  EXPECT_EQ(windows().Caption(popup.frame), BrowserCaption("Loaded page") + "     ");
}

TEST_F(TrayCommandsTest, FiveBlanksAnywhereAreLeftAloneAndNoFrameMeansNothingToDo) {
  windows().SetKeyDown(kVkControl, true);
  const Hwnd document = windows().Add(kNoWindow, "Notepad", "Notes", 0, true);
  p.desktop.events.Advance(100);  // no browser window at all
  EXPECT_EQ(windows().Caption(document), "Notes");
  const Hwnd frame = windows().Add(kNoWindow, "IEFrame", "A     B", 0, true);
  p.desktop.events.Advance(100);
  EXPECT_EQ(windows().Caption(frame), "A     B");
}

// ---- Kill All IE Windows ----

TEST_F(TrayCommandsTest, KillAllClosesTwentyFiveFramesThenFiveDialogsPausingBetweenPasses) {
  main().SetPelking(false);
  std::vector<Hwnd> frames;
  for (int i = 0; i < 30; ++i)
    frames.push_back(AddBrowser(windows(), {.title = "Page " + std::to_string(i)}).frame);
  std::vector<Hwnd> dialogs;
  for (int i = 0; i < 7; ++i) dialogs.push_back(AddHtmlDialog(windows(), "Dialog"));
  const Hwnd document = windows().Add(kNoWindow, "Notepad", "Notes", 0, true);
  const std::size_t sounds = p.desktop.sound.Plays().size();
  const std::uint64_t before = p.desktop.events.Now();

  Choose("KillAllIeWindows");
  const auto alive = [this](const std::vector<Hwnd>& list) {
    return std::count_if(list.begin(), list.end(), [this](Hwnd h) { return windows().IsWindow(h); });
  };
  EXPECT_EQ(alive(frames), 5);
  EXPECT_EQ(alive(dialogs), 2);
  EXPECT_TRUE(windows().IsWindow(document));
  EXPECT_EQ(ClosesSent().size(), 30u);
  EXPECT_GE(p.desktop.events.Now() - before, 3000u) << "30 passes of 0.1 s";
  EXPECT_EQ(SoundsSince(sounds).back(), "click.sys");
}

TEST_F(TrayCommandsTest, AFrameThatDoesNotCloseKeepsNoOtherOpen) {
  main().SetPelking(false);
  std::vector<Hwnd> frames;
  for (int i = 0; i < 30; ++i)
    frames.push_back(AddBrowser(windows(), {.title = "Page " + std::to_string(i)}).frame);
  // In front of all of them: one that asks a question instead of closing, one that hangs.
  const Hwnd asks = AddBrowser(windows(), {.title = "Unsaved form"}).frame;
  windows().SetIgnoresClose(asks, true);
  const Hwnd hung = AddBrowser(windows(), {.title = "Frozen"}).frame;
  windows().SetHung(hung, true);

  Choose("KillAllIeWindows");
  const auto closed = std::count_if(frames.begin(), frames.end(),
                                    [this](Hwnd h) { return !windows().IsWindow(h); });
  EXPECT_EQ(closed, 23) << "25 passes: the two that stay, and 23 others";
  const std::vector<Hwnd> sent = ClosesSent();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), asks), 1);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), hung), 1);
}

TEST_F(TrayCommandsTest, AWindowThatIsLeftAloneGetsTheRemainingPassesAgain) {
  const Hwnd slow = AddBrowser(windows(), {.title = "Slow"}).frame;
  windows().SetIgnoresClose(slow, true);
  const Hwnd quick = AddBrowser(windows(), {.title = "Quick"}).frame;
  Choose("KillAllIeWindows");
  EXPECT_FALSE(windows().IsWindow(quick));
  const std::vector<Hwnd> sent = ClosesSent();
  EXPECT_EQ(sent.size(), 25u);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), slow), 24);
}

TEST_F(TrayCommandsTest, KillAllClosesTheHiddenPopupAndALaterRestoreShowsNothing) {
  const SimBrowser popup = AddPopup(windows(), "Offer");
  Survey();
  Choose("KillAllIeWindows");
  EXPECT_FALSE(windows().IsWindow(popup.frame));
  EXPECT_EQ(main().TextHnd.Text(), std::to_string(popup.frame)) << "Kill All keeps TextHnd";
  Choose("RestorePopup");
  EXPECT_TRUE(p.desktop.dialogs.Shown().empty());
  EXPECT_EQ(main().TextHnd.Text(), "");
}

}  // namespace
}  // namespace pelkrin
