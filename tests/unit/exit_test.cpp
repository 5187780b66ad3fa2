// Ending the program: "E&xit" and the exit confirmation window, the shutdown it runs, and Windows
// ending the session.
#include <gtest/gtest.h>

#include "sim_browser.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::SimApp;

struct ExitTest : ::testing::Test {
  ExitTest() { p.desktop.sound.SetDeviceCount(1); }
  void ChooseExit() { p.Choose("ExitMenu"); }
  ExitConfirmationWindow& Confirmation() {
    EXPECT_TRUE(p->exit_confirmation) << "the exit confirmation window is not open";
    return *p->exit_confirmation;
  }
  // A button of the confirmation window pressed by the user: inside its window procedure.
  void Press(RainButton& button) {
    p.views.DeliverInput(Confirmation(), [&button] { button.Click(); });
  }
  bool IconShown() { return !p.desktop.notify.Icons().empty(); }
  // Lists, a count and a hidden popup for the shutdown to save and close.
  Hwnd Fill() {
    p->allow_block_window.domain_list.AddItem("example.com");
    p->allow_block_window.block_list.AddItem("Win a prize - Microsoft Internet Explorer");
    p->history_window.since_installation_count.SetCaption("11");
    const Hwnd popup = testing::AddPopup(p.desktop.windows, "Offer").frame;
    p.desktop.events.Advance(600);  // pelked: the count goes one up
    return popup;
  }
  void ExpectSaved(Hwnd popup) {
    EXPECT_FALSE(IconShown());
    EXPECT_EQ(p.FileBytes("alwdom.sys"), "example.com\r\n");
    EXPECT_EQ(p.FileBytes("alwcap.sys"), "");
    EXPECT_EQ(p.FileBytes("popblk.sys"), "Win a prize - Microsoft Internet Explorer\r\n");
    EXPECT_EQ(p.Setting("history_count"), "12");
    EXPECT_FALSE(p.desktop.windows.IsWindow(popup)) << "the last hidden popup closed";
  }

  SimApp p;
};

TEST_F(ExitTest, ExitAsksAfterTheBarbleSoundAndAShortWaitAndOkSavesEverythingAndEnds) {
  p.Start();
  const Hwnd popup = Fill();
  const std::size_t sounds = p.SoundCount();
  const std::uint64_t before = p.desktop.events.Now();
  ChooseExit();
  EXPECT_EQ(p.Sounds(sounds), (std::vector<std::string>{"menu.sys", "barble.sys"}));
  EXPECT_GE(p.desktop.events.Now() - before, 100u);
  ExitConfirmationWindow& form = Confirmation();
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(form.question_label.Caption(), "Are you sure you want to exit?");
  EXPECT_EQ(form.never_ask_box.Value(), 0);
  EXPECT_TRUE(IconShown());

  EXPECT_THROW(Press(form.ok_button), sim::ProcessExit);
  EXPECT_EQ(p.Sounds(sounds + 2), std::vector<std::string>{"click.sys"});
  ExpectSaved(popup);
  EXPECT_EQ(p.Setting("close_dlg"), "1") << "the box was not ticked";
}

TEST_F(ExitTest, NeverAskAgainStopsTheQuestionInEveryLaterRun) {
  p.desktop.files.Put(testing::InFolder("popblk.sys"), "Old - Microsoft Internet Explorer\r\n");
  p.Start();
  ChooseExit();
  ExitConfirmationWindow& form = Confirmation();
  const std::size_t sounds = p.SoundCount();
  form.never_ask_label.Click();  // the text beside the box toggles it
  EXPECT_EQ(form.never_ask_box.Value(), 1);
  EXPECT_EQ(p.Sounds(sounds), (std::vector<std::string>{"click.sys", "click.sys"}))
      << "the text's click, then the box's own";
  EXPECT_THROW(Press(form.ok_button), sim::ProcessExit);
  EXPECT_EQ(p.Setting("close_dlg"), "0");

  p.Restart();
  p->allow_block_window.caption_list.AddItem("results");
  p.desktop.dialogs.AnswerNext(kIdYes);
  p->main_window.Command(kCmdClearBlackList);
  const std::size_t later = p.SoundCount();
  EXPECT_THROW(ChooseExit(), sim::ProcessExit);
  EXPECT_EQ(p.Sounds(later), (std::vector<std::string>{"menu.sys", "barble.sys"}))
      << "no click: nobody answered";
  EXPECT_FALSE(IconShown());
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "results\r\n");
  EXPECT_EQ(p.FileBytes("popblk.sys"), "") << "a cleared list leaves an empty file";
  EXPECT_TRUE(p.desktop.windows.Posted().empty()) << "no hidden popup, no close request";
}

TEST_F(ExitTest, ExitAsksUnlessCloseDlgIsTheNumberZeroAtEachActivationOrTheFileIsGone) {
  for (const auto& [value, asks] :
       {std::pair{"1", true}, std::pair{"2", true}, std::pair{" 1.0", true}, std::pair{"0", false},
        std::pair{"0.0", false}, std::pair{"no", false}}) {
    SCOPED_TRACE(value);
    SimApp q;
    q.Start(std::string("CLOSE_DLG=") + value + "\r\n");
    if (asks) {
      q.Choose("ExitMenu");
      EXPECT_TRUE(q->exit_confirmation && q->exit_confirmation->Visible());
    } else {
      EXPECT_THROW(q.Choose("ExitMenu"), sim::ProcessExit);
      EXPECT_TRUE(q.desktop.notify.Icons().empty());
      EXPECT_EQ(q.FileBytes("alwdom.sys"), "") << "the shutdown ran";
    }
  }
  p.Start();
  ChooseExit();
  // Meanwhile the settings file goes, and with it the question: the setting is read again each
  // time the window becomes the active one, and coming back to it ends the program.
  p.desktop.files.Remove(testing::kSettingsPath);
  EXPECT_THROW(Confirmation().Activated(), sim::ProcessExit);
  EXPECT_FALSE(IconShown());
}

TEST_F(ExitTest, CancelOrEscapeKeepsTheProgramAndTheWindowGoesOnlyOnceItsClickHasReturned) {
  p.Start();
  ChooseExit();
  ExitConfirmationWindow& first = Confirmation();
  first.never_ask_box.UserClick();
  Press(first.cancel_button);
  ASSERT_TRUE(p.views.DestroyedInTheirOwnHandler().empty())
      << "the window was destroyed inside its own click handler";
  EXPECT_FALSE(p->exit_confirmation) << "the next E&xit makes a new window";
  EXPECT_FALSE(first.Visible()) << "out of sight at once";
  EXPECT_TRUE(first.IsLoaded()) << "and unloaded only once the click has returned";

  p.desktop.events.Advance(50);  // `first` is gone from here on
  EXPECT_TRUE(IconShown());
  EXPECT_TRUE(p->main_window.survey_timer.Enabled());
  EXPECT_EQ(p.desktop.files.WriteCount(testing::InFolder("alwdom.sys")), 0) << "nothing saved";

  ChooseExit();
  EXPECT_EQ(Confirmation().never_ask_box.Value(), 0) << "a new window, the box unchecked";
  // Cancelled as the wait of a further "E&xit" ends, before it opens another one.
  const std::uint64_t start = p.desktop.events.Now();
  p.desktop.events.OnProcessPending([&] {
    if (p.desktop.events.Now() - start >= 100 && p->exit_confirmation)
      Press(Confirmation().cancel_button);
  });
  ChooseExit();
  p.desktop.events.OnProcessPending({});
  p.views.DeliverInput(Confirmation(), [this] { Confirmation().CloseRequested(); });
  EXPECT_FALSE(p->exit_confirmation);
  ASSERT_TRUE(p.views.DestroyedInTheirOwnHandler().empty());
  p.desktop.events.Advance(50);
  EXPECT_TRUE(IconShown());
}

// ---- Windows ends the session ----

TEST_F(ExitTest, TheSessionEndingSavesWhatExitSavesOnceAndStopsTheDetector) {
  p.Start();
  const Hwnd popup = Fill();
  p->main_window.SessionEnding();
  ExpectSaved(popup);
  EXPECT_FALSE(p->main_window.survey_timer.Enabled())
      << "no popup is hidden after the last one closed";
  // A second notice (a logoff that follows a cancelled one) saves nothing again.
  p->main_window.SessionEnding();
  EXPECT_EQ(p.desktop.files.WriteCount(testing::InFolder("alwdom.sys")), 1);
}

}  // namespace
}  // namespace pelkrin
