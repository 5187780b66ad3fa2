// The simulated shell and user: what the tray, message boxes, the file dialog and pop-up menus\n//
// record and how tests script them. What they share with Windows is in the contracts.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "platform/sim/sim_desktop.h"
#include "tray/systray.h"
#include "ui/sim/sim_view_host.h"

namespace pelkrin::sim {
namespace {

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

TEST(SimDialogsTest, TheHookRunsWhileTheBoxIsOpenAndFileAnswersQueue) {
  SimDesktop desktop;
  int open_during_hook = 0;
  desktop.dialogs.OnShow([&] { open_during_hook = desktop.dialogs.OpenBoxes(); });
  desktop.dialogs.MessageBox("Exit?", "Pelkrin", 0x24);
  EXPECT_EQ(open_during_hook, 1);
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
