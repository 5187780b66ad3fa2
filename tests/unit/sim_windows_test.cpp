// What only the simulated windows have: windows that close while the program looks at them, the
// virtual time a hung window costs (and the five seconds after which Windows stops waiting for
// it), and windows that ignore WM_CLOSE. Their answers to the Win32 calls are in the contracts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"

namespace pelkrin::sim {
namespace {

class SimWindowsTest : public ::testing::Test {
 protected:
  SimDesktop desktop;
  SimWindows& windows = desktop.windows;
};

TEST_F(SimWindowsTest, EnumerationHandsOutAWindowThatClosedMeanwhile) {
  const Hwnd first = windows.Add(0, "A", "", 0, true);
  const Hwnd second = windows.Add(0, "B", "", 0, true);
  const Hwnd third = windows.Add(0, "C", "", 0, true);
  windows.OnEnum([&](Hwnd visited) {
    if (visited == third) windows.Remove(second);
  });
  std::vector<Hwnd> seen;
  std::vector<std::string> classes;
  windows.EnumTopLevel([&](Hwnd h) {
    seen.push_back(h);
    classes.push_back(windows.ClassName(h, 64));
    return true;
  });
  EXPECT_EQ(seen, (std::vector<Hwnd>{third, second, first}));
  EXPECT_EQ(classes, (std::vector<std::string>{"C", "", "A"}));
}

TEST_F(SimWindowsTest, HungWindowCostsTheTimeoutThenAnswersAtOnceAfterFiveSeconds) {
  const Hwnd frame = windows.Add(0, "IEFrame", "Stuck", 0, true);
  const Hwnd edit = windows.Add(frame, "Edit", "", 0, true);
  windows.SetControlText(edit, "http://ads.example.com/");
  windows.SetHung(edit, true);
  const std::uint64_t start = desktop.events.Now();
  EXPECT_EQ(windows.SendGetTextLength(edit, 1000), std::nullopt);
  EXPECT_EQ(desktop.events.Now() - start, 1000u);
  desktop.events.Sleep(5000);
  EXPECT_EQ(windows.SendGetText(edit, 256, 1000), std::nullopt);
  EXPECT_EQ(desktop.events.Now() - start, 6000u);   // no further wait
  EXPECT_EQ(windows.Caption(frame, 256), "Stuck");  // another program's caption needs no answer
  windows.SetHung(edit, false);
  EXPECT_EQ(windows.SendGetText(edit, 256, 1000)->c_str(), std::string("http://ads.example.com/"));
  EXPECT_EQ(windows.SendCount(), 3);
}

TEST_F(SimWindowsTest, WmCloseClosesUnlessTheWindowIgnoresIt) {
  const Hwnd stubborn = windows.Add(0, "IEFrame", "", 0, true);
  const Hwnd meek = windows.Add(0, "IEFrame", "", 0, true);
  windows.SetIgnoresClose(stubborn, true);
  windows.Post(stubborn, kWmClose, 0, 0);
  windows.Post(meek, kWmClose, 0, 0);
  windows.Post(meek, kWmClose, 0, 0);
  EXPECT_TRUE(windows.IsWindow(stubborn));
  EXPECT_FALSE(windows.IsWindow(meek));
  ASSERT_EQ(windows.Posted().size(), 3u);
  EXPECT_EQ(windows.Posted()[1].window, meek);
  EXPECT_TRUE(windows.Posted()[1].delivered);
  EXPECT_FALSE(windows.Posted()[2].delivered) << "no such window any more";
}

}  // namespace
}  // namespace pelkrin::sim
