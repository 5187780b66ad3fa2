// Other programs' windows as the Win32 calls see them: names cut to the buffer, lookups, windows
// that are gone, visibility, z-order, and a program that stops answering.
#include <string>
#include <vector>

#include "contract.h"

namespace pelkrin::contract {
namespace {

constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsChild = 0x40000000;
constexpr std::uint32_t kFrameStyle = 0x04CF0000;  // WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS
constexpr char kFrameClass[] = "PelkrinContractFrame";
constexpr std::uint32_t kWsExLayered = 0x00080000;

TEST_P(WindowManagerContract, NamesAreCutToTheBuffer) {
  WindowManager& windows = world().windows();
  const Hwnd frame =
      world().Add(0, kFrameClass, "Ads - Microsoft Internet Explorer", kFrameStyle, true);
  ASSERT_NE(frame, kNoWindow);
  EXPECT_EQ(windows.ClassName(frame, 256), kFrameClass);
  EXPECT_EQ(windows.ClassName(frame, 4), "Pel");
  EXPECT_EQ(windows.ClassName(frame, 1), "");
  EXPECT_EQ(windows.ClassName(frame, 0), "");
  EXPECT_EQ(windows.Caption(frame, 5), "Ads ");
  EXPECT_EQ(windows.CaptionLength(frame), 33);
  EXPECT_EQ(windows.SendGetTextLength(frame, 1000), 33);
  EXPECT_EQ(windows.SendGetText(frame, 5, 1000), std::string("Ads \0", 5));
  EXPECT_EQ(windows.SendGetText(frame, 40, 1000)->size(), 40u) << "the whole buffer, NULs too";
  EXPECT_EQ(windows.SendGetText(frame, 0, 1000), "");
  EXPECT_EQ(windows.Style(frame), kFrameStyle | kWsVisible);
}

// A hidden window made layered with alpha 0 and back, as the detector does to a popup: the
// changes are made in the order asked, and the caller never waits for them.
TEST_P(WindowManagerContract, LayeredChangesAreMadeInOrderAndNeverWaitedFor) {
  WindowManager& windows = world().windows();
  const Hwnd frame = world().Add(0, kFrameClass, "Layered", kFrameStyle, false);
  const std::uint32_t ex_style = windows.ExStyle(frame);
  windows.RequestLayered(frame, 0, 1000);
  ASSERT_TRUE(windows.WaitLayered(5000));
  EXPECT_TRUE(windows.ExStyle(frame) == (ex_style | kWsExLayered) &&
              windows.LayeredAlpha(frame) == 0);
  windows.RequestLayered(frame, 0, 1000);  // layered already: not taken
  windows.RequestLayered(frame, std::nullopt, 1000);
  ASSERT_TRUE(windows.WaitLayered(5000));
  EXPECT_EQ(windows.ExStyle(frame), ex_style);
  EXPECT_EQ(windows.LayeredAlpha(frame), std::nullopt) << "the alpha goes with the style";
  world().SetHung(true);
  const std::uint64_t start = world().events().MonotonicMs();
  windows.RequestLayered(frame, 0, 300);
  EXPECT_LT(world().events().MonotonicMs() - start, 100u);
  EXPECT_TRUE(windows.WaitLayered(3000)) << "given up after its time limit";
  world().SetHung(false);
  std::string done;
  for (const WindowManager::LayeredDone& change : windows.TakeLayeredDone())
    done += std::string(change.window == frame ? "" : "?") + (change.layered ? "L" : "O") +
            (change.took ? "+" : "-");
  EXPECT_EQ(done, "L+L-O+L-");
  EXPECT_EQ(windows.ExStyle(frame), ex_style);
}

TEST_P(WindowManagerContract, LookupsMatchWholeNamesIgnoringCaseInZOrder) {
  WindowManager& windows = world().windows();
  const std::string caption = "Pelkrin Contract " + std::to_string(world().events().MonotonicMs());
  const Hwnd older = world().Add(0, kFrameClass, caption, kFrameStyle, false);
  const Hwnd newer = world().Add(0, kFrameClass, caption, kFrameStyle, true);
  std::string cls = "pelkrincontractframe", upper = caption, part = caption.substr(0, 10);
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  EXPECT_EQ(windows.FindTopLevel(&cls, &upper), newer) << "top of the z-order first";
  EXPECT_EQ(windows.FindTopLevel(nullptr, &upper), newer);
  EXPECT_EQ(windows.FindTopLevel(nullptr, &part), kNoWindow);
  EXPECT_EQ(windows.FindChild(0, newer, &cls, &caption), older) << "parent 0: the top level";

  const Hwnd worker = world().Add(newer, "WorkerW", "", kWsChild, true);
  const Hwnd view = world().Add(newer, "Shell DocObject View", "", kWsChild, true);
  const std::string view_class = "shell docobject view";
  EXPECT_EQ(windows.FirstChild(newer), worker);
  EXPECT_EQ(windows.NextSibling(worker), view);
  EXPECT_EQ(windows.NextSibling(view), kNoWindow);
  EXPECT_EQ(windows.FindChild(newer, 0, &view_class, nullptr), view);
  EXPECT_EQ(windows.FindChild(newer, view, nullptr, nullptr), kNoWindow);

  std::vector<Hwnd> seen;
  windows.EnumTopLevel([&](Hwnd h) {
    if (h == older || h == newer) seen.push_back(h);
    return true;
  });
  EXPECT_EQ(seen, (std::vector<Hwnd>{newer, older})) << "hidden windows too, topmost first";
  int visits = 0;
  windows.EnumTopLevel([&](Hwnd) { return ++visits < 2; });
  EXPECT_EQ(visits, 2) << "the visitor stops the enumeration";
}

TEST_P(WindowManagerContract, WindowsThatAreGoneAnswerNothing) {
  WindowManager& windows = world().windows();
  const Hwnd frame = world().Add(0, kFrameClass, "Gone", kFrameStyle, true);
  const Hwnd child = world().Add(frame, "Edit", "", kWsChild, true);
  world().Remove(frame);
  for (const Hwnd gone : {frame, child, kNoWindow}) {
    SCOPED_TRACE(gone);
    EXPECT_FALSE(windows.IsWindow(gone));
    EXPECT_EQ(windows.ClassName(gone, 256), "");
    EXPECT_EQ(windows.Caption(gone, 256), "");
    EXPECT_EQ(windows.CaptionLength(gone), 0);
    EXPECT_EQ(windows.Style(gone), 0u);
    EXPECT_FALSE(windows.IsVisible(gone));
    EXPECT_EQ(windows.FirstChild(gone), kNoWindow);
    EXPECT_EQ(windows.SendGetText(gone, 256, 1000), std::nullopt);
    EXPECT_EQ(windows.SendGetTextLength(gone, 1000), std::nullopt);
    windows.Show(gone, kSwHide);
    windows.SetCaption(gone, "x");
    windows.Post(gone, kWmClose, 0, 0);
    windows.MakeTopmost(gone);
  }
}

TEST_P(WindowManagerContract, VisibilityFollowsTheParentsAndTheShowCommands) {
  WindowManager& windows = world().windows();
  const Hwnd frame = world().Add(0, kFrameClass, "", kFrameStyle, true);
  const Hwnd worker = world().Add(frame, "WorkerW", "", kWsChild, false);
  const Hwnd rebar = world().Add(worker, "ReBarWindow32", "", kWsChild, true);
  EXPECT_FALSE(windows.IsVisible(rebar)) << "hidden by its hidden parent";
  EXPECT_EQ(windows.Style(rebar) & kWsVisible, kWsVisible);
  windows.Show(frame, kSwHide);
  EXPECT_TRUE(world().WaitUntil([&] { return !windows.IsVisible(frame); }, 5000));
  windows.Show(frame, kSwShowNormal);
  windows.Show(worker, kSwShow);
  EXPECT_TRUE(world().WaitUntil([&] { return windows.IsVisible(rebar); }, 5000));

  windows.SetCaption(frame, "Renamed");
  EXPECT_EQ(windows.Caption(frame, 64), "Renamed");
  windows.Post(frame, kWmClose, 0, 0);
  EXPECT_TRUE(world().WaitUntil([&] { return !windows.IsWindow(frame); }, 5000));
  EXPECT_FALSE(windows.IsWindow(rebar)) << "the children go with it";
}

TEST_P(WindowManagerContract, ATopmostWindowStaysAboveNewerOnes) {
  WindowManager& windows = world().windows();
  const Hwnd other = world().Add(0, kFrameClass, "", kFrameStyle, true);
  const Hwnd raised = world().Add(0, kFrameClass, "", kFrameStyle, true);
  windows.MakeTopmost(raised);
  EXPECT_TRUE(world().WaitUntil([&] { return world().IsTopmost(raised); }, 5000));
  EXPECT_FALSE(world().IsTopmost(other));
  const Hwnd newest = world().Add(0, kFrameClass, "", kFrameStyle, true);
  std::vector<Hwnd> order;
  windows.EnumTopLevel([&](Hwnd h) {
    if (h == other || h == raised || h == newest) order.push_back(h);
    return true;
  });
  EXPECT_EQ(order, (std::vector<Hwnd>{raised, newest, other}));
}

TEST_P(WindowManagerContract, AProgramThatStopsAnsweringNeverBlocksTheCaller) {
  WindowManager& windows = world().windows();
  EventLoop& clock = world().events();
  // Lives until the end: a send that timed out may still reach the window when it answers.
  const std::string renamed = "Renamed";
  const Hwnd frame = world().Add(0, kFrameClass, "Stuck", kFrameStyle, true);
  world().SetHung(true);
  // Sends give up after their time limit.
  std::uint64_t start = clock.MonotonicMs();
  EXPECT_EQ(windows.SendGetText(frame, 64, 300), std::nullopt);
  EXPECT_EQ(windows.SendGetTextLength(frame, 300), std::nullopt);
  const std::uint64_t sent = clock.MonotonicMs() - start;
  EXPECT_GE(sent, 500u);
  EXPECT_LT(sent, 2000u);
  start = clock.MonotonicMs();
  windows.SetCaption(frame, renamed);
  EXPECT_LT(clock.MonotonicMs() - start, 2000u);
  // These do not wait at all; the hide and the close wait for the window to answer again.
  start = clock.MonotonicMs();
  windows.Show(frame, kSwHide);
  windows.Post(frame, kWmClose, 0, 0);
  windows.MakeTopmost(frame);
  EXPECT_LT(clock.MonotonicMs() - start, 500u);
  EXPECT_TRUE(windows.IsVisible(frame));
  world().SetHung(false);
  EXPECT_TRUE(world().WaitUntil([&] { return !windows.IsWindow(frame); }, 5000));
}

}  // namespace
}  // namespace pelkrin::contract
