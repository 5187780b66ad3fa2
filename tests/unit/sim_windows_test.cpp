// The simulated desktop's windows: lookups and cuts exactly as the Win32 calls make them, the
// hung browser, and windows that vanish while the program looks at them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"

namespace pelkrin::sim {
namespace {

constexpr std::uint32_t kFrameStyle = 0x14CF0000;  // WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS ...

class SimWindowsTest : public ::testing::Test {
 protected:
  SimDesktop desktop;
  SimWindows& windows = desktop.windows;
};

TEST_F(SimWindowsTest, NamesAreCutToTheBufferLikeTheWin32Calls) {
  const Hwnd frame =
      windows.Add(0, "IEFrame", "Ads - Microsoft Internet Explorer", kFrameStyle, true);
  EXPECT_EQ(windows.ClassName(frame, 256), "IEFrame");
  EXPECT_EQ(windows.ClassName(frame, 4), "IEF");
  EXPECT_EQ(windows.ClassName(frame, 1), "");
  EXPECT_EQ(windows.ClassName(frame, 0), "");
  EXPECT_EQ(windows.Caption(frame, 5), "Ads ");
  EXPECT_EQ(windows.CaptionLength(frame), 33);
  EXPECT_EQ(windows.SendGetText(frame, 5, 1000), std::string("Ads \0", 5));
  EXPECT_EQ(windows.SendGetText(frame, 40, 1000)->size(), 40u);  // the whole buffer, NULs too
  EXPECT_EQ(windows.SendGetText(frame, 0, 1000), "");
  EXPECT_EQ(windows.Style(frame), kFrameStyle | kWsVisible);
}

TEST_F(SimWindowsTest, FindMatchesWholeNamesIgnoringCase) {
  const Hwnd older = windows.Add(0, "IEFrame", "Same", 0, false);
  const Hwnd newer = windows.Add(0, "IEFrame", "Same", 0, true);
  const std::string cls = "ieframe", caption = "SAME", part = "Sam", empty;
  EXPECT_EQ(windows.FindTopLevel(&cls, &caption), newer);  // top of the z-order first
  EXPECT_EQ(windows.FindTopLevel(nullptr, &caption), newer);
  EXPECT_EQ(windows.FindTopLevel(nullptr, &part), kNoWindow);
  EXPECT_EQ(windows.FindChild(0, newer, &cls, nullptr), older);  // parent 0: the top level
  const Hwnd untitled = windows.Add(0, "Static", "", 0, false);
  EXPECT_EQ(windows.FindTopLevel(nullptr, &empty), untitled);

  const Hwnd worker = windows.Add(newer, "WorkerW", "", 0, true);
  const Hwnd view = windows.Add(newer, "Shell DocObject View", "", 0, true);
  const std::string view_class = "shell docobject view";
  EXPECT_EQ(windows.FirstChild(newer), worker);
  EXPECT_EQ(windows.NextSibling(worker), view);
  EXPECT_EQ(windows.NextSibling(view), kNoWindow);
  EXPECT_EQ(windows.FindChild(newer, 0, &view_class, nullptr), view);
  EXPECT_EQ(windows.FindChild(newer, view, nullptr, nullptr), kNoWindow);
  EXPECT_EQ(windows.FindChild(newer, older, nullptr, nullptr), kNoWindow);  // not a child
}

TEST_F(SimWindowsTest, GoneWindowsAnswerNothingAndNeverCrash) {
  const Hwnd frame = windows.Add(0, "IEFrame", "Gone", 0, true);
  const Hwnd child = windows.Add(frame, "Edit", "", 0, true);
  windows.Remove(frame);
  for (const Hwnd gone : {frame, child, Hwnd{0}, Hwnd{12345}}) {
    EXPECT_FALSE(windows.IsWindow(gone));
    EXPECT_EQ(windows.ClassName(gone, 256), "");
    EXPECT_EQ(windows.Caption(gone, 256), "");
    EXPECT_EQ(windows.CaptionLength(gone), 0);
    EXPECT_EQ(windows.Style(gone), 0u);
    EXPECT_FALSE(windows.IsVisible(gone));
    EXPECT_EQ(windows.FirstChild(gone), kNoWindow);
    EXPECT_EQ(windows.NextSibling(gone), kNoWindow);
    EXPECT_EQ(windows.SendGetText(gone, 256, 1000), std::nullopt);
    windows.Show(gone, kSwHide);
    windows.SetCaption(gone, "x");
    windows.Post(gone, kWmClose, 0, 0);
    windows.MakeTopmost(gone);
  }
  ASSERT_EQ(windows.Posted().size(), 4u);
  EXPECT_FALSE(windows.Posted()[0].delivered);
  EXPECT_EQ(windows.Add(frame, "Edit", "", 0, true), kNoWindow);
}

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

  int visits = 0;
  windows.EnumTopLevel([&](Hwnd) { return ++visits < 1; });
  EXPECT_EQ(visits, 1);  // the visitor stops the enumeration
}

TEST_F(SimWindowsTest, HungWindowCostsTheTimeoutThenAnswersAtOnceAfterFiveSeconds) {
  const Hwnd frame = windows.Add(0, "IEFrame", "Stuck", 0, true);
  const Hwnd edit = windows.Add(frame, "Edit", "", 0, true);
  windows.SetControlText(edit, "http://ads.example/");
  windows.SetHung(frame, true);
  windows.SetHung(edit, true);
  const std::uint64_t start = desktop.events.Now();
  EXPECT_EQ(windows.SendGetTextLength(edit, 1000), std::nullopt);
  EXPECT_EQ(desktop.events.Now() - start, 1000u);
  desktop.events.Sleep(5000);
  EXPECT_EQ(windows.SendGetText(edit, 256, 1000), std::nullopt);
  EXPECT_EQ(desktop.events.Now() - start, 6000u);  // no further wait

  // Non-blocking calls still work; the hide and the close wait for the window to recover.
  EXPECT_EQ(windows.Caption(frame, 256), "Stuck");
  windows.Show(frame, kSwHide);
  windows.Post(frame, kWmClose, 0, 0);
  EXPECT_TRUE(windows.IsVisible(frame));
  windows.SetHung(edit, false);
  EXPECT_EQ(windows.SendGetText(edit, 256, 1000)->c_str(), std::string("http://ads.example/"));
  windows.SetHung(frame, false);
  EXPECT_FALSE(windows.IsWindow(frame));
  EXPECT_FALSE(windows.IsWindow(edit));
}

TEST_F(SimWindowsTest, VisibilityFollowsTheParentChainAndShowCommands) {
  const Hwnd frame = windows.Add(0, "IEFrame", "", 0, true);
  const Hwnd worker = windows.Add(frame, "WorkerW", "", 0, false);
  const Hwnd rebar = windows.Add(worker, "ReBarWindow32", "", 0, true);
  EXPECT_FALSE(windows.IsVisible(rebar));  // hidden by its hidden parent
  EXPECT_EQ(windows.Style(rebar) & kWsVisible, kWsVisible);
  windows.Show(frame, kSwHide);
  EXPECT_FALSE(windows.IsVisible(frame));
  windows.Show(frame, kSwShowNormal);
  windows.Show(worker, kSwShow);
  EXPECT_TRUE(windows.IsVisible(rebar));
  EXPECT_EQ(windows.ShowCalls().size(), 3u);

  const Hwnd other = windows.Add(0, "Other", "", 0, true);
  windows.MakeTopmost(frame);
  const Hwnd newest = windows.Add(0, "Newest", "", 0, true);
  EXPECT_EQ(windows.TopLevel(), (std::vector<Hwnd>{frame, newest, other}));
}

TEST_F(SimWindowsTest, WmCloseClosesUnlessTheWindowIgnoresIt) {
  const Hwnd stubborn = windows.Add(0, "IEFrame", "", 0, true);
  const Hwnd meek = windows.Add(0, "IEFrame", "", 0, true);
  windows.SetIgnoresClose(stubborn, true);
  windows.Post(stubborn, kWmClose, 0, 0);
  windows.Post(meek, kWmClose, 0, 0);
  EXPECT_TRUE(windows.IsWindow(stubborn));
  EXPECT_FALSE(windows.IsWindow(meek));
  ASSERT_EQ(windows.Posted().size(), 2u);
  EXPECT_EQ(windows.Posted()[1].window, meek);
  EXPECT_TRUE(windows.Posted()[1].delivered);
}

}  // namespace
}  // namespace pelkrin::sim
