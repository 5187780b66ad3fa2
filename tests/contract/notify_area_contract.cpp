// The notification area and the tray control's own window: a hidden top-level window that other
// programs find, a handler in front of its procedure, and the shell's bookkeeping of icons.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "contract.h"

namespace pelkrin::contract {
namespace {

constexpr std::uint32_t kWmDestroy = 0x0002;
constexpr std::uint32_t kWmNcDestroy = 0x0082;
constexpr std::uint32_t kCallback = 0x0465;  // WM_USER + 101
constexpr std::uint32_t kRightButtonUp = 0x0205;
constexpr char kIconWindowClass[] = "PelkrinContractIcon";

TEST_P(NotifyAreaContract, TheIconWindowIsAHiddenTopLevelWindowOthersFind) {
  WindowManager& windows = world().windows();
  const Hwnd window = world().notify().CreateIconWindow(kIconWindowClass);
  ASSERT_NE(window, kNoWindow);
  EXPECT_TRUE(windows.IsWindow(window));
  EXPECT_FALSE(windows.IsVisible(window));
  const std::string window_class = windows.ClassName(window, 256);
  EXPECT_EQ(window_class, kIconWindowClass) << "the class the caller named";
  EXPECT_NE(windows.FindTopLevel(&window_class, nullptr), kNoWindow);
  bool listed = false;
  windows.EnumTopLevel([&](Hwnd h) {
    listed = listed || h == window;
    return true;
  });
  EXPECT_TRUE(listed);
  EXPECT_GE(world().notify().TaskbarCreatedMessage(), 0xC000u) << "a registered message";
}

TEST_P(NotifyAreaContract, TheHandlerSeesEveryMessageUntilItIsRemovedAndTheLastOnes) {
  NotifyArea& notify = world().notify();
  const Hwnd window = notify.CreateIconWindow(kIconWindowClass);
  std::vector<std::uint32_t> seen;
  const auto record = [&](std::uint32_t message, WParam, LParam) { seen.push_back(message); };
  notify.SetMessageHandler(window, record);
  world().Deliver(window, kCallback, 1, kRightButtonUp);
  EXPECT_NE(std::find(seen.begin(), seen.end(), kCallback), seen.end());

  notify.SetMessageHandler(window, {});  // the previous procedure is back
  seen.clear();
  world().Deliver(window, kCallback, 1, kRightButtonUp);
  EXPECT_TRUE(seen.empty());

  notify.SetMessageHandler(window, record);
  notify.DestroyIconWindow(window);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_NE(std::find(seen.begin(), seen.end(), kWmDestroy), seen.end());
  EXPECT_EQ(seen.back(), kWmNcDestroy);
  EXPECT_FALSE(world().windows().IsWindow(window));
}

TEST_P(NotifyAreaContract, TheShellKeepsOneIconPerWindowAndId) {
  NotifyArea& notify = world().notify();
  const Hwnd window = notify.CreateIconWindow(kIconWindowClass);
  NotifyIconRecord record;
  record.window = window;
  record.id = 1;
  record.flags = kNifMessage | kNifIcon | kNifTip;
  record.callback_message = kCallback;
  record.icon = world().AnIcon();
  std::strcpy(record.tip, "Pelkrin");
  EXPECT_FALSE(notify.Notify(kNimModify, record)) << "not there yet";
  EXPECT_TRUE(notify.Notify(kNimAdd, record));
  EXPECT_FALSE(notify.Notify(kNimAdd, record)) << "twice";
  std::memset(record.tip, 'x', sizeof record.tip);  // unterminated on purpose
  record.flags = kNifTip;
  EXPECT_TRUE(notify.Notify(kNimModify, record));
  EXPECT_TRUE(notify.Notify(kNimDelete, record));
  EXPECT_FALSE(notify.Notify(kNimDelete, record)) << "gone already";
  notify.DestroyIconWindow(window);
}

}  // namespace
}  // namespace pelkrin::contract
