// The virtual clock's stepping: the order of ticks within a span, and waits that move time to
// the next due moment (the wall clock across midnight: services_test). What the clock shares
// with Windows timers is in the contracts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_event_loop.h"

namespace pelkrin::sim {
namespace {

TEST(SimEventLoopTest, AdvanceTicksEachTimerAtEachDueMomentInTimeOrder) {
  SimEventLoop loop;
  std::vector<std::string> order;
  const std::uint64_t start = loop.Now();
  loop.StartTimer(300, [&] { order.push_back("slow@" + std::to_string(loop.Now() - start)); });
  loop.StartTimer(200, [&] { order.push_back("fast@" + std::to_string(loop.Now() - start)); });
  loop.Advance(650);
  EXPECT_EQ(order,
            (std::vector<std::string>{"fast@200", "slow@300", "fast@400", "slow@600", "fast@600"}));
  EXPECT_EQ(loop.Now() - start, 650u);
  EXPECT_EQ(loop.TimerInterval(loop.StartTimer(0, {})), SimEventLoop::kMinimumIntervalMs);
}

TEST(SimEventLoopTest, WaitMovesToTheNextDueMomentWithoutRunningIt) {
  SimEventLoop loop;
  int ticks = 0;
  loop.StartTimer(100, [&] { ++ticks; });
  const std::uint64_t start = loop.Now();
  loop.WaitForEvents(1000);
  EXPECT_EQ(loop.Now() - start, 100u);
  EXPECT_EQ(ticks, 0);
  loop.ProcessPendingEvents();
  loop.ProcessPendingEvents();  // once per due moment
  EXPECT_EQ(ticks, 1);
  loop.Sleep(500);
  loop.ProcessPendingEvents();
  EXPECT_EQ(loop.NextDue(), loop.Now() + 100) << "an overdue timer comes due again from now";
}

TEST(SimEventLoopTest, TimersStartedOrStoppedInsideATickBehave) {
  SimEventLoop loop;
  std::vector<std::string> log;
  std::uint32_t self = 0, victim = 0;
  victim = loop.StartTimer(100, [&] { log.push_back("victim"); });
  self = loop.StartTimer(100, [&] {
    log.push_back("self");
    loop.StopTimer(self);    // stops itself: the running tick stays valid
    loop.StopTimer(victim);  // due at the same moment, but must not run any more
    loop.StartTimer(30, [&] { log.push_back("child"); });
  });
  // The victim was started first, so it runs first at 100; self runs next and stops it.
  loop.Advance(100);
  EXPECT_EQ(log, (std::vector<std::string>{"victim", "self"}));
  loop.Advance(100);
  EXPECT_EQ(log, (std::vector<std::string>{"victim", "self", "child", "child", "child"}));
  EXPECT_EQ(loop.TimerCount(), 1u);
}

}  // namespace
}  // namespace pelkrin::sim
