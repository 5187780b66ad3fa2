#include "ui/services.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/sim/sim_desktop.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/guarded.h"
#include "ui/sim/sim_view_host.h"

namespace pelkrin {
namespace {

constexpr char kFolder[] = "C:\\Pelkrin";

TEST(Guarded, AFailedStepLeavesALineNamingItAndAnEndOfTheProcessPassesThrough) {
  sim::SimDesktop desktop;
  desktop.diagnostics.Expect("the step");
  Guarded(desktop.diagnostics, "the step", [] { throw std::runtime_error("no disk"); });
  EXPECT_EQ(desktop.diagnostics.Lines(), std::vector<std::string>{"the step failed: no disk"});
  EXPECT_THROW(Guarded(desktop.diagnostics, "the end", [&] { desktop.process.Exit(0); }),
               sim::ProcessExit);
}

TEST(Sounds, EachPlaysItsFileAsynchronouslyWithoutTheDefaultBeepAndOnlyWithADevice) {
  sim::SimDesktop desktop;
  Sounds sounds(desktop.sound, kFolder);
  sounds.PlayClickSound();
  EXPECT_TRUE(desktop.sound.Plays().empty());
  desktop.sound.SetDeviceCount(1);
  sounds.PlayBarbleSound();
  sounds.PlayMenuSound();
  sounds.PlayPopSound();  // no file at all: silence, and no error
  ASSERT_EQ(desktop.sound.Plays().size(), 3u);
  const char* files[] = {"\\barble.sys", "\\menu.sys", "\\pop.wav"};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(desktop.sound.Plays()[i].path, std::string(kFolder) + files[i]);
    EXPECT_EQ(desktop.sound.Plays()[i].flags, 3u);
  }
}

TEST(Wait, LetsTimersRunAndEndsAfterItsTimeWhateverTheWallClockDoes) {
  sim::SimDesktop desktop;
  sim::SimEventLoop& events = desktop.events;
  int ticks = 0;
  ASSERT_NE(events.StartTimer(32, [&] { ++ticks; }), 0u);
  // The wait crosses midnight: a wait on the time of day would end at once, or never.
  events.SetWallClock({2026, 12, 31, 23, 59, 59});
  const auto start = events.MonotonicMs();
  Wait(events, 2.0);
  EXPECT_EQ(events.MonotonicMs() - start, 2000u);
  EXPECT_EQ(ticks, 62);  // every 32 ms

  // The user sets the clock back an hour while the program waits: a wait that only mends the
  // wrap at midnight would never end.
  events.OnProcessPending([&] {
    events.OnProcessPending({});
    events.SetWallClock({2026, 12, 31, 23, 0, 1});
  });
  Wait(events, 0.1);
  EXPECT_EQ(events.MonotonicMs() - start, 2100u);
  for (const double seconds : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN()})
    Wait(events, seconds);  // returns, having let pending events run
  EXPECT_EQ(events.MonotonicMs() - start, 2100u);
  EXPECT_GT(events.ProcessPendingCalls(), 0);
}

class DragForm : public Form {
 public:
  explicit DragForm(ViewHost& views) : Form(views, "F", "F", {100, 200, 50, 40}) {}
};

TEST(Drag, TheWindowFollowsTheLeftButtonOnlyToWholePixels) {
  sim::SimViewHost views;
  DragForm form(views);
  DragState drag;
  drag.MouseDown();
  DragFormMouseMove(drag, form, kLeftButton, 300, 150);  // first move: takes the grab point
  EXPECT_EQ(form.bounds.left, 100);
  DragFormMouseMove(drag, form, kLeftButton, 300 + 150, 150 - 30);  // 10 px right, 2 up
  EXPECT_EQ(form.bounds.left, 110);
  EXPECT_EQ(form.bounds.top, 198);
  EXPECT_EQ(form.bounds.width, 50);
  DragFormMouseMove(drag, form, kLeftButton, 300 + 8, 150 - 8);  // about half a pixel
  EXPECT_EQ(form.bounds.left, 111);                              // 1658 / 15 = 110.53
  EXPECT_EQ(form.bounds.top, 197);                               // 2962 / 15 = 197.47

  DragFormMouseMove(drag, form, 0, 900, 900);  // no button: only a new grab point
  DragFormMouseMove(drag, form, kRightButton, 1200, 1200);
  DragFormMouseMove(drag, form, kLeftButton | kRightButton, 1500, 1500);
  EXPECT_EQ(form.bounds.left, 111);
  EXPECT_EQ(form.bounds.top, 197);
}

}  // namespace
}  // namespace pelkrin
