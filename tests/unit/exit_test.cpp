// Ending the program: "E&xit" and the exit confirmation window, the shutdown it runs, and Windows
// ending the session.
#include <gtest/gtest.h>

#include "app/command_ids.h"
#include "sim_browser.h"
#include "test_support.h"
#include "tray/systray.h"

namespace pelkrin {
namespace {

using testing::SimApp;

constexpr std::uint32_t kRightButtonUp = 0x205;

struct ExitTest : ::testing::Test {
  ExitTest() { p.desktop.sound.SetDeviceCount(1); }

  void Start(const std::string& settings = "") {
    if (!settings.empty()) p.desktop.files.Put(testing::kSettingsPath, settings);
    p.Start();
  }
  // "E&xit" chosen from the tray menu, as the user does it.
  void ChooseExit() {
    p.views.ChooseNext("ExitMenu");
    p.desktop.notify.Deliver(p->main.SysTray.Window(), kTrayCallbackMessage, 0, kRightButtonUp);
  }
  Form7& Confirmation() {
    EXPECT_TRUE(p->form7) << "the exit confirmation window is not open";
    return *p->form7;
  }
  // A button of the confirmation window pressed by the user: inside its window procedure.
  void Press(RainButton& button) {
    p.views.DeliverInput(Confirmation(), [&button] { button.Click(); });
  }
  std::vector<std::string> SoundsSince(std::size_t first) {
    std::vector<std::string> names;
    const auto& plays = p.desktop.sound.Plays();
    for (std::size_t i = first; i < plays.size(); ++i)
      names.push_back(plays[i].path.substr(plays[i].path.rfind('\\') + 1));
    return names;
  }
  bool IconShown() { return !p.desktop.notify.Icons().empty(); }

  SimApp p;
};

TEST_F(ExitTest, ExitAsksInTheConfirmationWindowAfterTheBarbleSoundAndAShortWait) {
  Start();
  const std::size_t sounds = p.desktop.sound.Plays().size();
  const std::uint64_t before = p.desktop.events.Now();
  ChooseExit();
  EXPECT_EQ(SoundsSince(sounds), (std::vector<std::string>{"menu.sys", "barble.sys"}));
  EXPECT_GE(p.desktop.events.Now() - before, 100u);

  Form7& form = Confirmation();
  EXPECT_TRUE(form.Visible());
  EXPECT_NE(form.RainButton1.Caption().find(" Pelkrin"), std::string::npos);
  EXPECT_NE(form.RainButton1.Caption().back(), 'X') << "no close mark";
  EXPECT_EQ(form.Label1.Caption(), "Are you sure you want to exit?");
  EXPECT_EQ(form.Label4.Caption(), "Are you sure you want to exit?");
  EXPECT_EQ(form.Label2.Caption(), "&Never ask this again.");
  EXPECT_EQ(form.Check1.Value(), 0);
  EXPECT_EQ(form.RainButton2.Caption(), "&Ok");
  EXPECT_EQ(form.RainButton3.Caption(), "&Cancel");
  EXPECT_TRUE(IconShown());
  EXPECT_TRUE(p->main.IsLoaded());
}

TEST_F(ExitTest, OkRemovesTheIconSavesEverythingClosesTheLastPopupAndEnds) {
  Start();
  p->form3.List1.AddItem("example.com");
  p->form3.List3.AddItem("Win a prize - Microsoft Internet Explorer");
  p->form1.Label4.SetCaption("12");
  const Hwnd popup = testing::AddPopup(p.desktop.windows, "Offer").frame;
  p->main.TextHnd.SetText(std::to_string(popup));
  ChooseExit();
  const std::size_t sounds = p.desktop.sound.Plays().size();
  EXPECT_THROW(Press(Confirmation().RainButton2), sim::ProcessExit);

  EXPECT_EQ(SoundsSince(sounds), std::vector<std::string>{"click.sys"});
  EXPECT_FALSE(IconShown());
  EXPECT_EQ(p.FileBytes("alwdom.sys"), "example.com\r\n");
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "");
  EXPECT_EQ(p.FileBytes("popblk.sys"), "Win a prize - Microsoft Internet Explorer\r\n");
  EXPECT_EQ(p.Setting("history_count"), "12");
  EXPECT_EQ(p.Setting("close_dlg"), "1") << "the box was not ticked";
  EXPECT_FALSE(p.desktop.windows.IsWindow(popup)) << "the last hidden popup closed";
}

TEST_F(ExitTest, AnEmptyTextHndSendsNoCloseRequestAndAClearedListLeavesAnEmptyFile) {
  Start();
  p.desktop.files.Put(testing::InFolder("popblk.sys"), "Old - Microsoft Internet Explorer\r\n");
  p.Restart();
  p.desktop.dialogs.AnswerNext(kIdYes);
  p->main.Command(kCmdClearBlackList);
  ChooseExit();
  EXPECT_THROW(Press(Confirmation().RainButton2), sim::ProcessExit);
  EXPECT_TRUE(p.desktop.windows.Posted().empty());
  EXPECT_EQ(p.FileBytes("popblk.sys"), "");
}

TEST_F(ExitTest, NeverAskAgainStopsTheQuestionInEveryLaterRun) {
  Start();
  ChooseExit();
  Form7& form = Confirmation();
  const std::size_t sounds = p.desktop.sound.Plays().size();
  form.Label2.Click();  // the text beside the box toggles it
  EXPECT_EQ(form.Check1.Value(), 1);
  EXPECT_EQ(SoundsSince(sounds), (std::vector<std::string>{"click.sys", "click.sys"}))
      << "the text's click, then the box's own";
  form.Check1.UserClick();
  form.Check1.UserClick();
  EXPECT_EQ(form.Check1.Value(), 1);
  EXPECT_THROW(Press(form.RainButton2), sim::ProcessExit);
  EXPECT_EQ(p.Setting("close_dlg"), "0");

  p.Restart();
  p->form3.List2.AddItem("results");
  const std::size_t later = p.desktop.sound.Plays().size();
  EXPECT_THROW(ChooseExit(), sim::ProcessExit);
  EXPECT_EQ(SoundsSince(later), (std::vector<std::string>{"menu.sys", "barble.sys"}))
      << "no click: nobody answered";
  EXPECT_FALSE(IconShown());
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "results\r\n");
  EXPECT_EQ(p.Setting("close_dlg"), "0");
}

// close_dlg as the user or another program left it, and whether "E&xit" still asks.
class CloseDialogSetting : public ExitTest,
                           public ::testing::WithParamInterface<std::pair<const char*, bool>> {};

TEST_P(CloseDialogSetting, ExitAsksUnlessTheNumberIsZero) {
  const auto [value, asks] = GetParam();
  Start(std::string("[pk]\r\nCLOSE_DLG=") + value + "\r\n");
  if (asks) {
    ChooseExit();
    EXPECT_TRUE(Confirmation().Visible());
    EXPECT_TRUE(IconShown());
  } else {
    EXPECT_THROW(ChooseExit(), sim::ProcessExit);
    EXPECT_FALSE(IconShown());
    EXPECT_EQ(p.FileBytes("alwdom.sys"), "") << "the shutdown ran";
  }
}

INSTANTIATE_TEST_SUITE_P(Values, CloseDialogSetting,
                         ::testing::Values(std::pair{"1", true}, std::pair{"2", true},
                                           std::pair{" 1.0", true}, std::pair{"0", false},
                                           std::pair{"0.0", false}, std::pair{"no", false}));

TEST_F(ExitTest, AnUnreadableSettingsFileEndsTheProgramWithoutAsking) {
  Start();
  EXPECT_EQ(p.Setting("close_dlg"), "1");
  p.desktop.files.Remove(testing::kSettingsPath);
  EXPECT_THROW(ChooseExit(), sim::ProcessExit);
  EXPECT_FALSE(IconShown());
}

TEST_F(ExitTest, EveryActivationAsksTheSettingAgain) {
  Start();
  ChooseExit();
  // Meanwhile the Options window stops the question; coming back to the window ends the program.
  p->settings.WriteSetting("close_dlg", "0");
  EXPECT_THROW(Confirmation().Activated(), sim::ProcessExit);
  EXPECT_FALSE(IconShown());
}

TEST_F(ExitTest, CancelKeepsTheProgramAndGoesOnlyOnceItsClickHasReturned) {
  Start();
  ChooseExit();
  Form7& first = Confirmation();
  first.Check1.UserClick();
  const std::size_t sounds = p.desktop.sound.Plays().size();
  Press(first.RainButton3);
  ASSERT_TRUE(p.views.DestroyedInTheirOwnHandler().empty())
      << "the window was destroyed inside its own click handler";
  EXPECT_EQ(SoundsSince(sounds), std::vector<std::string>{"click.sys"});
  EXPECT_FALSE(p->form7) << "the next E&xit makes a new window";
  EXPECT_FALSE(first.Visible()) << "out of sight at once";
  EXPECT_TRUE(first.IsLoaded()) << "and unloaded only once the click has returned";

  p.desktop.events.Advance(50);  // `first` is gone from here on
  EXPECT_TRUE(IconShown());
  EXPECT_TRUE(p->main.IsLoaded());
  EXPECT_TRUE(p->main.Timer2.Enabled());
  EXPECT_EQ(p.desktop.files.WriteCount(testing::InFolder("alwdom.sys")), 0) << "nothing saved";

  ChooseExit();
  EXPECT_NE(p->form7.get(), nullptr);
  EXPECT_EQ(Confirmation().Check1.Value(), 0) << "a new window, the box unchecked";
  EXPECT_TRUE(Confirmation().Visible());
}

TEST_F(ExitTest, EscapeMeansCancel) {
  Start();
  ChooseExit();
  p.views.DeliverInput(Confirmation(), [this] { Confirmation().CloseRequested(); });
  EXPECT_FALSE(p->form7);
  p.desktop.events.Advance(50);
  EXPECT_TRUE(IconShown());
  EXPECT_TRUE(p.views.DestroyedInTheirOwnHandler().empty());
}

// ---- Windows ends the session ----

TEST_F(ExitTest, TheSessionEndingStopsTheDetectorAndSavesOnlyOnce) {
  Start();
  p->form3.List1.AddItem("example.com");
  p->main.SessionEnding();
  EXPECT_FALSE(IconShown());
  EXPECT_FALSE(p->main.Timer2.Enabled()) << "no popup is hidden after the last one closed";
  EXPECT_EQ(p.FileBytes("alwdom.sys"), "example.com\r\n");
  // A second notice (a logoff that follows a cancelled one) saves nothing again.
  p->main.SessionEnding();
  EXPECT_EQ(p.desktop.files.WriteCount(testing::InFolder("alwdom.sys")), 1);
}

}  // namespace
}  // namespace pelkrin
