// Timers, the event pump behind the program's wait, and message boxes that keep the timers
// running: the semantics of Windows thread timers and a modal loop.
#include <algorithm>
#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>

#include "contract.h"

namespace pelkrin::contract {
namespace {

// The program's wait: pump until `ms` have passed.
void Wait(EventLoop& events, unsigned ms) {
  const std::uint64_t until = events.MonotonicMs() + ms;
  while (events.MonotonicMs() < until) {
    events.ProcessPendingEvents();
    events.WaitForEvents(static_cast<unsigned>(until - events.MonotonicMs()));
  }
}

// Pumps until `condition` holds or `deadline_ms` have passed.
bool PumpUntil(EventLoop& events, const std::function<bool()>& condition, unsigned deadline_ms) {
  const std::uint64_t until = events.MonotonicMs() + deadline_ms;
  while (!condition() && events.MonotonicMs() < until) {
    events.WaitForEvents(50);
    events.ProcessPendingEvents();
  }
  return condition();
}

TEST_P(EventLoopContract, TimersTickUntilStoppedAndNameTheRightTimer) {
  EventLoop& events = world().events();
  int first_ticks = 0, second_ticks = 0;
  const std::uint32_t first = events.StartTimer(10, [&] { ++first_ticks; });
  const std::uint32_t second = events.StartTimer(10, [&] { ++second_ticks; });
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_NE(first, second);
  events.StopTimer(first);
  EXPECT_TRUE(PumpUntil(
      events, [&] { return second_ticks >= 3; }, 5000));
  events.StopTimer(second);
  const int ticks = second_ticks;
  Wait(events, 60);
  EXPECT_EQ(first_ticks, 0);
  EXPECT_EQ(second_ticks, ticks);
}

TEST_P(EventLoopContract, ATickThatWaitsIsNotReenteredWhileOtherTimersRun) {
  EventLoop& events = world().events();
  int slow_ticks = 0, fast_ticks = 0, depth = 0, deepest = 0, fast_during_wait = 0;
  const std::uint32_t slow = events.StartTimer(20, [&] {
    ++slow_ticks;
    deepest = std::max(deepest, ++depth);
    const int fast_before = fast_ticks;
    Wait(events, 200);
    fast_during_wait = std::max(fast_during_wait, fast_ticks - fast_before);
    --depth;
  });
  const std::uint32_t fast = events.StartTimer(10, [&] { ++fast_ticks; });
  EXPECT_TRUE(PumpUntil(
      events, [&] { return slow_ticks >= 2; }, 5000));
  events.StopTimer(slow);
  events.StopTimer(fast);
  EXPECT_EQ(deepest, 1);
  EXPECT_GE(fast_during_wait, 3);
}

TEST_P(EventLoopContract, SleepAndWaitingRunNothingAndOverdueTicksComeOnce) {
  EventLoop& events = world().events();
  int ticks = 0;
  const std::uint32_t timer = events.StartTimer(10, [&] { ++ticks; });
  std::uint64_t start = events.MonotonicMs();
  // The clock may run in steps of 16 ms (Wine's does).
  events.Sleep(100);
  EXPECT_GE(events.MonotonicMs() - start, 60u);
  events.WaitForEvents(1000);  // a tick is due: returns at once
  EXPECT_LT(events.MonotonicMs() - start, 500u);
  EXPECT_EQ(ticks, 0);
  events.ProcessPendingEvents();
  EXPECT_EQ(ticks, 1);
  events.StopTimer(timer);
  start = events.MonotonicMs();
  events.WaitForEvents(100);  // nothing to come: returns at its limit
  EXPECT_GE(events.MonotonicMs() - start, 60u);
  EXPECT_LT(events.MonotonicMs() - start, 1000u);
}

TEST_P(EventLoopContract, AnExceptionOfATickComesOutOfThePump) {
  EventLoop& events = world().events();
  const std::uint32_t timer = events.StartTimer(10, [] { throw std::runtime_error("tick"); });
  bool thrown = false;
  for (int round = 0; round < 100 && !thrown; ++round) {
    try {
      events.WaitForEvents(50);
      events.ProcessPendingEvents();
    } catch (const std::runtime_error&) {
      thrown = true;
    }
  }
  EXPECT_TRUE(thrown);
  events.StopTimer(timer);
  EXPECT_FALSE(events.ShortDate().empty());
  EXPECT_FALSE(events.TimeText().empty());
}

TEST_P(DialogsContract, TimersKeepTickingWhileAMessageBoxIsOpen) {
  EventLoop& events = world().events();
  const std::string title = "Pelkrin contract " + std::to_string(events.MonotonicMs());
  std::atomic<int> ticks{0};
  const std::uint32_t timer = events.StartTimer(20, [&] { ++ticks; });
  world().AnswerNextBox(title, kIdNo, [&] { return ticks >= 3; });
  EXPECT_EQ(world().dialogs().MessageBox("Answer no", title, 0x1004), kIdNo);  // MB_YESNO
  events.StopTimer(timer);
  EXPECT_GE(ticks, 3);
}

}  // namespace
}  // namespace pelkrin::contract
