#include "tray/tray_icon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"

namespace pelkrin {
namespace {

struct TrayTest : ::testing::Test {
  sim::SimDesktop desktop;
  Picture icon{Picture::Kind::kIcon, 0x777};
  std::vector<std::string> events;

  std::unique_ptr<TrayIcon> MakeTray() {
    auto tray = std::make_unique<TrayIcon>(desktop.notify, desktop.diagnostics);
    tray->on_mouse_move = [this](int& id) { events.push_back("move " + std::to_string(id)); };
    tray->on_mouse_down = [this](int& b, int&) { events.push_back("down " + std::to_string(b)); };
    tray->on_mouse_up = [this](int& b, int&) { events.push_back("up " + std::to_string(b)); };
    tray->on_dbl_click = [this](int& b, int&) { events.push_back("dbl " + std::to_string(b)); };
    return tray;
  }
  int CountCalls(std::uint32_t operation) {
    int n = 0;
    for (const auto& call : desktop.notify.Calls()) n += call.operation == operation;
    return n;
  }
};

TEST_F(TrayTest, AddsTheFullRecordOnceRaisesMouseEventsWhileShownAndRemovesItOnce) {
  auto tray = MakeTray();
  tray->SetTrayIcon(icon);
  tray->SetTrayTip("Pelkrin [ON]");
  EXPECT_TRUE(desktop.notify.Calls().empty()) << "nothing reaches the shell before the add";
  tray->SetInTray(true);
  tray->SetInTray(true);
  ASSERT_EQ(CountCalls(kNimAdd), 1);
  const NotifyIconRecord& added = desktop.notify.Calls().front().record;
  EXPECT_EQ(added.size, 88u);
  EXPECT_EQ(added.window, tray->Window());
  EXPECT_EQ(added.flags, kNifMessage | kNifIcon | kNifTip);
  EXPECT_EQ(added.callback_message, 0x465u);
  EXPECT_EQ(added.icon, 0x777u);
  EXPECT_STREQ(added.tip, "Pelkrin [ON]");
  EXPECT_EQ(added.tip[63], ' ') << "the tip's field is padded with blanks";
  EXPECT_EQ(desktop.notify.Icons().size(), 1u);

  // A right click, a left double click, then the middle button and a stray message.
  const Hwnd w = tray->Window();
  for (std::uint32_t m :
       {0x204u, 0x205u, 0x201u, 0x202u, 0x203u, 0x202u, 0x207u, 0x208u, 0x209u, 0x200u, 0x20Au})
    desktop.notify.Deliver(w, kTrayCallbackMessage, 0, m);
  EXPECT_EQ(events, (std::vector<std::string>{"down 2", "up 2", "down 1", "up 1", "dbl 1", "up 1",
                                              "move 0"}));
  desktop.notify.Deliver(w, 0x206, 0, 0);  // not the callback message: no event

  tray->SetInTray(false);
  tray->SetInTray(false);
  EXPECT_EQ(CountCalls(kNimDelete), 1);
  desktop.notify.Deliver(w, kTrayCallbackMessage, 0, 0x205);  // the icon is gone
  EXPECT_EQ(events.size(), 7u);
  tray->SetInTray(true);
  tray.reset();  // ending with the icon shown removes it
  EXPECT_TRUE(desktop.notify.Icons().empty());
  EXPECT_EQ(CountCalls(kNimDelete), 2);
}

TEST_F(TrayTest, TipAndIconChangesReachTheShellOnlyWhileShownAndOnlyIconsAreTaken) {
  auto tray = MakeTray();
  tray->SetTrayTip(std::string(100, 't'));
  EXPECT_TRUE(desktop.notify.Calls().empty());
  tray->SetInTray(true);
  EXPECT_EQ(std::string(desktop.notify.Calls().back().record.tip), std::string(63, 't'));
  tray->SetTrayTip("Pelkrin [OFF]");
  const auto& modify = desktop.notify.Calls().back();
  EXPECT_EQ(modify.operation, kNimModify);
  EXPECT_EQ(modify.record.flags, kNifTip);
  EXPECT_STREQ(modify.record.tip, "Pelkrin [OFF]");

  tray->SetTrayIcon(icon);
  EXPECT_EQ(desktop.notify.Calls().back().operation, kNimModify);
  EXPECT_EQ(desktop.notify.Calls().back().record.flags, kNifIcon);
  const std::size_t calls = desktop.notify.Calls().size();
  tray->SetTrayIcon(Picture{});
  tray->SetTrayIcon(Picture{Picture::Kind::kBitmap, 0x55});
  EXPECT_EQ(desktop.notify.Calls().size(), calls);
  EXPECT_EQ(tray->Icon(), icon);
}

TEST_F(TrayTest, ARefusedFirstAddIsTriedOnceMoreAndTheTaskbarsRestartBringsTheIconBack) {
  auto tray = MakeTray();
  tray->SetTrayTip("Pelkrin [ON]");
  desktop.notify.FailNextAdds(1);
  tray->SetInTray(true);
  EXPECT_EQ(desktop.notify.Icons().size(), 1u);
  EXPECT_TRUE(desktop.diagnostics.Lines().empty());
  desktop.notify.RestartTaskbar();
  ASSERT_EQ(desktop.notify.Icons().size(), 1u);
  EXPECT_STREQ(desktop.notify.Calls().back().record.tip, "Pelkrin [ON]");

  auto other = std::make_unique<TrayIcon>(desktop.notify, desktop.diagnostics);
  desktop.diagnostics.Expect("the tray icon could not be added");
  desktop.notify.FailNextAdds(2);
  other->SetInTray(true);  // still counted as shown; the taskbar's restart brings it back
  other->SetTrayTip("Pelkrin [OFF]");  // refused too, as the shell has no such icon
  EXPECT_EQ(desktop.notify.Icons().size(), 1u);
  EXPECT_TRUE(other->InTray());
  EXPECT_EQ(desktop.diagnostics.Lines(),
            std::vector<std::string>{"the tray icon could not be added"});

  desktop.notify.RestartTaskbar();  // both icons come back: the spell is over
  other->SetInTray(false);
  desktop.notify.FailNextAdds(2);
  other->SetInTray(true);
  EXPECT_EQ(desktop.diagnostics.Lines().size(), 2u);
}

}  // namespace
}  // namespace pelkrin
