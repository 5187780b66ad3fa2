// Start-up as a user meets it: first run, later runs, damaged or read-only settings, a second
// copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/temporary_save_name.h"
#include "sim_browser.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::InFolder;
using testing::kSettingsPath;
using testing::SimApp;

constexpr char kFirstRunSettings[] =
    "[pk]\r\nPLAY_SOUND=0\r\nANIMATE_TRAY=1\r\nSTART_WITH_WINDOWS=1\r\nSUPER_MODE=1\r\n"
    "CLOSE_DLG=1\r\nCLEAR_COOKIES=0\r\nKEEP_HISTORY=1\r\nINSTALL_DATE=06/12/2026\r\n"
    "ADV_MAX=1\r\nADV_MIN=1\r\nADV_TITLE=1\r\nADV_BUSYICON=1\r\nADV_ADWARE=1\r\nADV_FLASH=1\r\n"
    "ICON_CREATED=1\r\nHISTORY_COUNT=0\r\n";

TEST(StartUp, FirstRunWritesTheDefaultsStartsPelkingAndASecondStartWritesNothing) {
  SimApp p;
  p.desktop.sound.SetDeviceCount(1);
  p.Start();
  EXPECT_EQ(p.FileBytes("pk.sys"), kFirstRunSettings);
  MainWindow& main_window = p->main_window;
  EXPECT_TRUE(main_window.PelkingOn());
  EXPECT_EQ(main_window.tray_icon.TrayTip(), "Pelkrin [ON]");
  EXPECT_EQ(main_window.tray_icon.Icon(), main_window.on_icon.Get());
  EXPECT_EQ(p.desktop.notify.Icons().size(), 1u);
  EXPECT_FALSE(main_window.Visible());
  // The long-lived windows exist, hidden.
  for (Form* form : std::initializer_list<Form*>{&p->allow_block_window, &p->options_window,
                                                 &p->advanced_options_window, &p->history_window}) {
    EXPECT_TRUE(form->IsLoaded()) << form->Name();
    EXPECT_FALSE(form->Visible()) << form->Name();
    EXPECT_EQ(form->Handle(), kNoWindow) << form->Name();
  }
  EXPECT_EQ(p.Sounds(), std::vector<std::string>{"barble.sys"}) << "the History window's load";
  EXPECT_TRUE(p.desktop.dialogs.Shown().empty());

  // The calls, not the file's writes: writing a value a key already has leaves the file alone.
  const std::size_t writes = p.desktop.profile.Writes().size();
  p.desktop.events.SetShortDate("07/12/2026");
  p.Restart();
  EXPECT_EQ(p.desktop.profile.Writes().size(), writes);
  EXPECT_EQ(p.FileBytes("pk.sys"), kFirstRunSettings);
}

TEST(StartUp, AMissingKeyIsWrittenAgainFromTheOptionsBoxsDesignState) {
  SimApp p;
  p.Start(
      "PLAY_SOUND=1\r\nSTART_WITH_WINDOWS=0\r\nSUPER_MODE=1\r\nCLOSE_DLG=0\r\nCLEAR_COOKIES=1\r\n"
      "KEEP_HISTORY=0\r\nINSTALL_DATE=01/01/2020\r\nADV_MAX=0\r\nADV_MIN=0\r\nADV_TITLE=0\r\n"
      "ADV_BUSYICON=0\r\nADV_ADWARE=0\r\nADV_FLASH=0\r\nICON_CREATED=0\r\nHISTORY_COUNT=12\r\n");
  EXPECT_EQ(p.FileBytes("pk.sys").find("ANIMATE_TRAY=1\r\n"), p.FileBytes("pk.sys").size() - 16)
      << "only the missing key was appended";
}

TEST(StartUp, PelkingAtStartFollowsTheNumericValueOfSuperMode) {
  for (const auto& [value, on] :
       {std::pair{"0", false}, std::pair{" 1", true}, std::pair{"1.0", true},
        std::pair{"abc", false}, std::pair{"2", false}, std::pair{"", true}}) {
    SCOPED_TRACE(value);
    SimApp p;
    p.Start(std::string("SUPER_MODE=") + value + "\r\n");
    MainWindow& main_window = p->main_window;
    EXPECT_EQ(main_window.PelkingOn(), on);
    EXPECT_EQ(main_window.survey_timer.Enabled(), on);
    EXPECT_EQ(main_window.tray_icon.Icon(),
              on ? main_window.on_icon.Get() : main_window.off_icon.Get());
    EXPECT_STREQ(p.desktop.notify.Calls().back().record.tip, on ? "Pelkrin [ON]" : "Pelkrin [OFF]");
    if (*value == '\0') {
      EXPECT_EQ(p.Setting("super_mode"), "1") << "written back as the default";
    }
  }
}

TEST(StartUp, AReadOnlyFolderStartsWithPelkingOffAndDesignStates) {
  SimApp p;
  p.desktop.files.SetReadOnlyFolder(testing::kFolder, true);
  p.desktop.diagnostics.Expect("could not be written to");
  p.Start();
  EXPECT_FALSE(p.desktop.files.Exists(kSettingsPath));
  EXPECT_TRUE(p.desktop.diagnostics.Saw("the setting super_mode could not be written"));
  EXPECT_FALSE(p->main_window.PelkingOn());
  EXPECT_EQ(p->options_window.enable_at_start_box.Value(), 1);
  EXPECT_EQ(p->advanced_options_window.no_maximize_button_box.Value(), 1);
  EXPECT_TRUE(p->main_window.tray_icon.InTray());
}

TEST(StartUp, ASecondCopySaysSoAndEndsTouchingNothing) {
  SimApp p;
  p.desktop.files.Put(InFolder("alwdom.sys"), "example.com\r\n");
  p.desktop.files.Put(InFolder("~pk4711_3.tmp"), "the running copy's save");
  p.desktop.process.SetAnotherCopyRunning(true);
  EXPECT_THROW(p.Start(), sim::ProcessExit);
  EXPECT_EQ(p.Boxes(),
            (std::vector<testing::Box>{{"Pelkrin is already running!", "Pelkrin", 0x1010}}));
  EXPECT_FALSE(p.desktop.files.Exists(kSettingsPath));
  EXPECT_EQ(p.desktop.files.WriteCount(InFolder("alwdom.sys")), 0);
  EXPECT_TRUE(p.desktop.files.Exists(InFolder("~pk4711_3.tmp")));
  EXPECT_TRUE(p.desktop.notify.Calls().empty());
}

// Saves killed part-way leave their temporary files beside the lists: the next start removes
// exactly the names the saves give, never a user's file named like them (in any case: one file).
TEST(StartUp, RemovesWhatInterruptedSavesLeftAndNoFileOfTheUsers) {
  const std::string saves[] = {"~pk4711_3.tmp", TemporarySaveName(UINT32_MAX, UINT32_MAX)};
  const char* users[] = {"~PK1_4.TMP",          "~pk1_5.TMP",       "~pk1.tmp",
                         "~pk_3.tmp",           "~pk01_3.tmp",      "~pk1_03.tmp",
                         "~pk4294967296_1.tmp", "~pk1_3_1.tmp",     "x~pk1_3.tmp",
                         "~pk+1_3.tmp",         "Lists\\~pk1_3.tmp"};
  SimApp p;
  for (const std::string& name : saves) p.desktop.files.Put(InFolder(name), "half a list");
  for (const char* name : users) p.desktop.files.Put(InFolder(name), "the user's");
  p.desktop.files.Put(InFolder("~pk9_9.tmp"), "held open by another program");
  p.desktop.files.SetInUse(InFolder("~pk9_9.tmp"), true);
  p.desktop.diagnostics.Expect("~pk9_9.tmp, left by an interrupted save, could not be removed");
  p.Start();
  EXPECT_EQ(TemporarySaveName(4711, 3), saves[0]);
  for (const std::string& name : saves) EXPECT_FALSE(p.desktop.files.Exists(InFolder(name)));
  for (const char* name : users) EXPECT_TRUE(p.desktop.files.Exists(InFolder(name))) << name;
  EXPECT_TRUE(p.desktop.diagnostics.Saw("~pk9_9.tmp, left by an interrupted save, could not"));
}

// A frame a run left transparent is made opaque at the next start, and only it; and at the end.
TEST(StartUp, TheStartAndTheEndMakeOpaqueOnlyBrowserFramesStillCarryingTheTransparency) {
  SimApp p;
  sim::SimWindows& windows = p.desktop.windows;
  std::string file = "\r\nnot a handle\r\n4294967296\r\n-1\r\n12345\r\n";
  const auto layered = [&](Hwnd window, std::uint8_t alpha) {
    windows.SetExStyle(window, 0x00080000);
    windows.SetLayeredAlpha(window, alpha);
    file += " " + std::to_string(window) + " \n";
    return window;
  };
  const Hwnd left_over = layered(testing::AddPopup(windows, "Left Over").frame, 0);
  const Hwnd fading = layered(testing::AddBrowser(windows).frame, 128);
  const Hwnd notepad = layered(windows.Add(kNoWindow, "Notepad", "", 0, true), 0);
  const Hwnd stuck = layered(testing::AddPopup(windows, "Stuck").frame, 0);
  windows.SetHung(stuck, true);
  p.desktop.files.Put(InFolder("popclear.sys"), file);
  p.desktop.diagnostics.Expect("3 lines that are no window handle were passed over");
  p.desktop.diagnostics.Expect("did not answer; it is made opaque later");
  p.Start();
  EXPECT_EQ(windows.ExStyle(left_over), 0u);
  EXPECT_EQ(windows.LayeredAlpha(fading), 128) << "not our transparency";
  EXPECT_EQ(windows.LayeredAlpha(notepad), 0) << "not a browser frame";
  EXPECT_EQ(p.FileBytes("popclear.sys"), std::to_string(stuck) + "\r\n") << "the next repair's";
  windows.SetHung(stuck, false);

  const Hwnd hidden = testing::AddBrowser(windows, {.toolbars = false, .visible = false}).frame;
  p.desktop.events.Advance(5);
  p->main_window.SessionEnding();
  const Hwnd later = testing::AddBrowser(windows, {.toolbars = false, .visible = false}).frame;
  p.desktop.events.Advance(5);
  EXPECT_EQ(windows.ExStyle(hidden) | windows.ExStyle(later) | windows.ExStyle(stuck), 0u)
      << "none made after the end";
  EXPECT_EQ(p.FileBytes("popclear.sys"), "");

  // A change still waiting for its busy program at the end is given up, not left to land later.
  SimApp q;
  q.Start();
  const Hwnd busy =
      testing::AddBrowser(q.desktop.windows, {.toolbars = false, .visible = false}).frame;
  q.desktop.windows.SetHung(busy, true);
  q.desktop.diagnostics.Expect("did not take the transparency");
  q.desktop.events.Advance(5);
  q->main_window.SessionEnding();
  q.desktop.windows.SetHung(busy, false);
  EXPECT_EQ(q.desktop.windows.ExStyle(busy), 0u);
}

// Clicks on the icon, a command and the session's end must not act on a list that is loading.
TEST(StartUp, PendingEventsRunInItsWaitAndListLoadingWhileInputWaitsForTheLists) {
  SimApp p;
  int ticks = 0;
  ASSERT_NE(p.desktop.events.StartTimer(50, [&] { ++ticks; }), 0u);  // due while it starts
  const std::uint64_t start = p.desktop.events.MonotonicMs();
  std::string many;
  for (int i = 0; i < 100; ++i) many += "site" + std::to_string(i) + ".example.net\r\n";
  p.desktop.files.Put(InFolder("alwdom.sys"), many);
  p.desktop.files.Put(InFolder("alwcap.sys"), "results\r\n");
  p.desktop.files.Put(InFolder("popblk.sys"), "Win a prize - Microsoft Internet Explorer");
  int seen_while_loading = -1;
  bool icon_while_loading = false;
  p.desktop.events.OnProcessPending([&] {
    if (seen_while_loading < 0 && p->allow_block_window.domain_list.ListCount() > 0) {
      seen_while_loading = p->allow_block_window.domain_list.ListCount();
      icon_while_loading = p.desktop.notify.Icons().size() == 1;
      for (int click = 0; click < 2; ++click)
        p.desktop.notify.Deliver(p->main_window.tray_icon.Window(), kTrayCallbackMessage, 0,
                                 testing::kRightButtonUp);
      p->main_window.Command(kCmdStatsMenu);
      p.desktop.diagnostics.Expect("the lists were still loading");
      p->main_window.SessionEnding();
    }
  });
  p.Start();
  EXPECT_EQ(p.desktop.events.MonotonicMs() - start, 100u) << "a tenth of a second's wait";
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(p->allow_block_window.domain_list.ListCount(), 100);
  EXPECT_GT(seen_while_loading, 0);
  EXPECT_LT(seen_while_loading, 100);
  EXPECT_EQ(p->allow_block_window.caption_list.Items(), std::vector<std::string>{"results"});
  EXPECT_EQ(p->allow_block_window.block_list.Items(),
            std::vector<std::string>{"Win a prize - Microsoft Internet Explorer"});
  EXPECT_TRUE(icon_while_loading);
  EXPECT_EQ(p.desktop.files.WriteCount(InFolder("alwdom.sys")), 0) << "the session's end";
  EXPECT_FALSE(p->history_window.Visible());
  p.desktop.events.Advance(200);
  EXPECT_EQ(p.views.MenusShown().size(), 1u) << "one menu for both clicks";
  EXPECT_TRUE(p->history_window.Visible());
}

TEST(StartUp, TheTimersRunAsPelkPopupsSaysAndTheNextStartFollowsSuperModeAgain) {
  SimApp p;
  p.Start();
  MainWindow& main_window = p->main_window;
  const auto running = [&] {
    auto intervals = p.desktop.events.Intervals();
    std::sort(intervals.begin(), intervals.end());
    return intervals;
  };
  using Intervals = std::vector<unsigned>;
  // The survey every 600 ms while pelking is on: only the survey takes the Block button's
  // requests. The CTRL override every 32 ms from a press of CTRL until a tick finds it up.
  EXPECT_EQ(running(), (Intervals{600}));
  p.desktop.windows.SetKeyDown(kVkControl, true);
  EXPECT_EQ(running(), (Intervals{32, 600}));
  p.desktop.windows.SetKeyDown(kVkControl, false);
  p.desktop.events.Advance(32);
  EXPECT_EQ(running(), (Intervals{600}));
  ASSERT_TRUE(p->settings.WriteSetting("block_tmp", "Ad - Microsoft Internet Explorer"));
  p.desktop.events.Advance(600);
  EXPECT_EQ(p.Setting("block_tmp"), "");
  p.Choose("PelkPopups");
  EXPECT_FALSE(main_window.PelkingOn());
  EXPECT_EQ(running(), Intervals{});
  EXPECT_EQ(main_window.tray_icon.TrayTip(), "Pelkrin [OFF]");
  EXPECT_EQ(main_window.tray_icon.Icon(), main_window.off_icon.Get());
  // The tray animation every 200 ms, once a pelked popup starts it.
  p.Pelk("Offer");
  EXPECT_EQ(running(), (Intervals{200}));
  p.desktop.events.FailNextTimers(1);  // the survey's clock cannot start: switched on all the same
  p.desktop.diagnostics.Expect("could not be started");
  main_window.Command(kCmdPelkPopups);
  EXPECT_TRUE(main_window.PelkingOn());
  EXPECT_TRUE(p.desktop.diagnostics.Saw("the timer survey_timer could not be started"));
  EXPECT_EQ(main_window.tray_icon.Icon(), main_window.on_icon.Get());
  main_window.Command(kCmdPelkPopups);
  // Where the system does not report the presses, CTRL is polled every 32 ms, always.
  p.desktop.windows.SetReportsKeyPresses(false);
  p.Restart();
  EXPECT_TRUE(p->main_window.PelkingOn());
  EXPECT_EQ(running(), (Intervals{32, 600}));
}

}  // namespace
}  // namespace pelkrin
