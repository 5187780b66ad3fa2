// What only the Win32 layer has: the single-copy claim between processes, the tray window's
// subclassing over its own procedure, and WM_QUIT left for the program's outer loop. Everything
// the simulated desktop shares with it is in the contracts (tests/contract).
#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tray/systray.h"

namespace pelkrin::win32 {
namespace {

TEST(Win32ProcessTest, SingleCopyClaimLastsAsLongAsItsHolder) {
  {
    Win32Process first;
    Win32Process second;
    EXPECT_FALSE(first.AnotherCopyIsRunning());
    EXPECT_TRUE(second.AnotherCopyIsRunning());
    EXPECT_FALSE(first.AnotherCopyIsRunning());  // asking again does not give up the claim
    EXPECT_TRUE(second.AnotherCopyIsRunning());
  }
  Win32Process later;  // the first copy has ended
  EXPECT_FALSE(later.AnotherCopyIsRunning());
  const std::string program = later.ProgramFolder() + "\\" + later.ProgramBaseName() + ".exe";
  EXPECT_NE(::GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES) << program;
}

TEST(Win32NotifyAreaTest, TheWindowsOwnProcedureStillRunsBehindTheHandler) {
  Win32NotifyArea tray;
  const Hwnd window = tray.CreateIconWindow(kTrayWindowClass);
  ASSERT_NE(window, kNoWindow);
  std::vector<std::uint32_t> seen;
  tray.SetMessageHandler(window,
                         [&](std::uint32_t message, WParam, LParam) { seen.push_back(message); });
  ::SendMessageA(ToHwnd(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("tray"));
  char text[16] = {};
  ::GetWindowTextA(ToHwnd(window), text, sizeof text);
  EXPECT_STREQ(text, "tray");
  EXPECT_NE(std::find(seen.begin(), seen.end(), WM_SETTEXT), seen.end());
  tray.DestroyIconWindow(window);
}

// A handler on a window that the notification area does not own goes with the area: the window
// keeps working with its own procedure, and nothing reaches the handler any more.
TEST(Win32NotifyAreaTest, AHandlerOnAWindowThatOutlivesTheAreaGoesWithIt) {
  Win32NotifyArea keeper;
  const Hwnd window = keeper.CreateIconWindow(kTrayWindowClass);
  ASSERT_NE(window, kNoWindow);
  int seen = 0;
  {
    Win32NotifyArea tray;
    tray.SetMessageHandler(window, [&](std::uint32_t, WParam, LParam) { ++seen; });
    ::SendMessageA(ToHwnd(window), WM_USER + 7, 0, 0);
    EXPECT_EQ(seen, 1);
  }
  ::SendMessageA(ToHwnd(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("still here"));
  EXPECT_EQ(seen, 1);
  char text[16] = {};
  ::GetWindowTextA(ToHwnd(window), text, sizeof text);
  EXPECT_STREQ(text, "still here");
}

// ---- The event pump ----

TEST(Win32EventLoopTest, QuitIsLeftForTheOuterLoop) {
  Win32EventLoop events;
  ::PostQuitMessage(7);
  events.ProcessPendingEvents();
  MSG message;
  ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
}  // namespace pelkrin::win32
