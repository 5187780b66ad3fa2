// The simulated shell and user: the tray, message boxes, the file dialog and pop-up menus.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "platform/sim/sim_desktop.h"
#include "tray/systray.h"
#include "ui/sim/sim_view_host.h"

namespace pelkrin::sim {
namespace {

NotifyIconRecord Record(Hwnd window, std::uint32_t flags, std::uint32_t icon, const char* tip) {
  NotifyIconRecord record;
  record.window = window;
  record.id = 1;
  record.flags = flags;
  record.callback_message = kTrayCallbackMessage;
  record.icon = icon;
  std::strncpy(record.tip, tip, sizeof record.tip - 1);
  return record;
}

TEST(SimNotifyAreaTest, TrayKeepsIconsLikeTheShell) {
  SimDesktop desktop;
  SimNotifyArea& tray = desktop.notify;
  const std::string tray_class = kTrayWindowClass;
  const Hwnd window = tray.CreateIconWindow(tray_class);
  EXPECT_EQ(desktop.windows.FindTopLevel(&tray_class, nullptr), window);  // others can find it
  EXPECT_FALSE(desktop.windows.IsVisible(window));

  const auto all = kNifMessage | kNifIcon | kNifTip;
  EXPECT_FALSE(tray.Notify(kNimModify, Record(window, kNifTip, 0, "x")));  // not there yet
  EXPECT_TRUE(tray.Notify(kNimAdd, Record(window, all, 0x10065, "Pelkrin")));
  EXPECT_FALSE(tray.Notify(kNimAdd, Record(window, all, 0x10065, "Pelkrin")));  // twice
  EXPECT_TRUE(tray.Notify(kNimModify, Record(window, kNifIcon, 0x10066, "ignored")));
  ASSERT_EQ(tray.Icons().size(), 1u);
  EXPECT_EQ(tray.Icons()[0].icon, 0x10066u);
  EXPECT_EQ(tray.Icons()[0].tip, "Pelkrin");  // no NIF_TIP: the tip stays

  NotifyIconRecord unterminated = Record(window, kNifTip, 0, "");
  std::memset(unterminated.tip, 'x', sizeof unterminated.tip);
  EXPECT_TRUE(tray.Notify(kNimModify, unterminated));
  EXPECT_EQ(tray.FindIcon(window, 1)->tip, std::string(63, 'x'));

  EXPECT_TRUE(tray.Notify(kNimDelete, Record(window, 0, 0, "")));
  EXPECT_FALSE(tray.Notify(kNimDelete, Record(window, 0, 0, "")));
  EXPECT_EQ(tray.Calls().size(), 7u);
  tray.FailNextAdds(1);
  EXPECT_FALSE(tray.Notify(kNimAdd, Record(window, all, 1, "")));
  EXPECT_TRUE(tray.Notify(kNimAdd, Record(window, all, 1, "")));
}

TEST(SimNotifyAreaTest, HandlerSeesEveryMessageAndTheTaskbarRestart) {
  SimDesktop desktop;
  SimNotifyArea& tray = desktop.notify;
  const Hwnd window = tray.CreateIconWindow(kTrayWindowClass);
  std::vector<std::uint32_t> messages;
  tray.SetMessageHandler(window, [&](std::uint32_t message, WParam, LParam) {
    messages.push_back(message);
    if (message == tray.TaskbarCreatedMessage())  // re-adds its icon, as the tray control must
      tray.Notify(kNimAdd, Record(window, kNifIcon, 5, ""));
  });
  tray.Notify(kNimAdd, Record(window, kNifIcon, 5, ""));
  EXPECT_TRUE(tray.Deliver(window, kTrayCallbackMessage, 1, 0x205));
  tray.RestartTaskbar();
  EXPECT_EQ(tray.Icons().size(), 1u);
  tray.DestroyIconWindow(window);
  EXPECT_EQ(messages,
            (std::vector<std::uint32_t>{kTrayCallbackMessage, SimNotifyArea::kTaskbarCreated,
                                        kWmDestroy, kWmNcDestroy}));
  EXPECT_FALSE(tray.Deliver(window, kTrayCallbackMessage, 1, 0x205));
  EXPECT_FALSE(desktop.windows.IsWindow(window));

  const Hwnd other = tray.CreateIconWindow(kTrayWindowClass);
  tray.SetMessageHandler(other, [](std::uint32_t, WParam, LParam) {});
  tray.SetMessageHandler(other, {});  // the previous procedure is back
  EXPECT_FALSE(tray.Deliver(other, 1, 0, 0));
}

TEST(SimDialogsTest, BoxesAnswerFromTheQueueOrWithTheirDefaultButton) {
  SimDesktop desktop;
  SimDialogs& dialogs = desktop.dialogs;
  EXPECT_EQ(dialogs.MessageBox("Saved.", "Pelkrin", 0x1040), kIdOk);
  EXPECT_EQ(dialogs.MessageBox("Sure?", "Pelkrin", 0x1024), kIdYes);
  EXPECT_EQ(dialogs.MessageBox("Sure?", "Pelkrin", 0x1124), kIdNo);      // MB_DEFBUTTON2
  EXPECT_EQ(dialogs.MessageBox("Save?", "Pelkrin", 0x0223), kIdCancel);  // MB_DEFBUTTON3
  dialogs.AnswerNext(kIdNo);
  EXPECT_EQ(dialogs.MessageBox("Sure?", "Pelkrin", 0x1024), kIdNo);
  ASSERT_EQ(dialogs.Shown().size(), 5u);
  EXPECT_EQ(dialogs.Shown()[4].answer, kIdNo);
  EXPECT_EQ(dialogs.Shown()[1].style, 0x1024u);
}

TEST(SimDialogsTest, TimersRunWhileABoxIsOpen) {
  SimDesktop desktop;
  int ticks = 0, boxes_open_during_tick = 0;
  desktop.events.StartTimer(100, [&] {
    ++ticks;
    boxes_open_during_tick = desktop.dialogs.OpenBoxes();
  });
  desktop.dialogs.OnShow([&] { desktop.events.Advance(250); });
  desktop.dialogs.AnswerNext(kIdYes);
  EXPECT_EQ(desktop.dialogs.MessageBox("Exit?", "Pelkrin", 0x24), kIdYes);
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(boxes_open_during_tick, 1);
  EXPECT_EQ(desktop.dialogs.OpenBoxes(), 0);

  desktop.dialogs.AnswerFileNext("C:\\lists\\mine.txt");
  FileDialogRequest request{"C:\\lists", "Text (*.txt)|*.txt", "Load", ""};
  EXPECT_EQ(desktop.dialogs.OpenFile(request), "C:\\lists\\mine.txt");
  EXPECT_EQ(desktop.dialogs.OpenFile(request), std::nullopt);  // nothing queued: cancelled
  EXPECT_EQ(desktop.dialogs.FileRequests().size(), 2u);
}

TEST(SimViewHostTest, MenuChoiceOpensTheSubmenusOnTheWay) {
  SimViewHost views;
  MenuItem root("MenuMain", "");
  MenuItem& options = root.Add("mnuOptions", "Options");
  MenuItem& stats = root.Add("mnuStats", "Stats");
  stats.Add("mnuPlaceholder", "(none)");
  options.Add("mnuAdvanced", "Advanced", 1006);
  root.AddSeparator();
  MenuItem& exit_item = root.Add("mnuExit", "Exit", kCmdExitMenu);
  std::vector<std::string> opened;
  const auto on_open = [&](MenuItem& submenu) {
    opened.push_back(submenu.Name());
    if (submenu.Name() == "mnuStats" && !submenu.FindByName("mnuToday"))
      submenu.Add("mnuToday", "Today: 3");  // filled when it opens
  };

  views.ChooseNext("mnuExit");
  EXPECT_EQ(views.PopupMenu(root, &exit_item, on_open), &exit_item);
  views.ChooseNext("mnuAdvanced");
  EXPECT_EQ(views.PopupMenu(root, nullptr, on_open)->Command(), 1006);
  EXPECT_EQ(opened, std::vector<std::string>{"mnuOptions"});
  views.ChooseNext("mnuToday");
  EXPECT_EQ(views.PopupMenu(root, nullptr, on_open)->Caption(), "Today: 3");
  EXPECT_EQ(opened, (std::vector<std::string>{"mnuOptions", "mnuOptions", "mnuStats"}));

  EXPECT_EQ(views.PopupMenu(root, nullptr, on_open), nullptr);  // nothing queued
  exit_item.SetEnabled(false);
  views.ChooseNext("mnuExit");
  EXPECT_EQ(views.PopupMenu(root, nullptr, on_open), nullptr);
  views.ChooseNext("mnuTypo");
  EXPECT_THROW(views.PopupMenu(root, nullptr, on_open), std::invalid_argument);
  ASSERT_EQ(views.MenusShown().size(), 6u);
  EXPECT_EQ(views.MenusShown()[0].default_item, &exit_item);
  EXPECT_EQ(views.MenusShown()[2].chosen, "mnuToday");
}

}  // namespace
}  // namespace pelkrin::sim
