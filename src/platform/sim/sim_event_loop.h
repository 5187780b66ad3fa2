// A virtual clock with Windows timer semantics, so waits, re-entry through the wait and time
// spans of hours run deterministically in microseconds:
//  - a timer ticks once per due moment while time moves on in Advance; a tick never re-enters
//    itself (a due moment that comes while its tick still runs is dropped, and the timer simply
//    comes due again one interval later);
//  - WaitForEvents moves time to the next due moment (or its limit) without running anything;
//  - ProcessPendingEvents runs every timer that is due now, once each;
//  - Sleep moves time on without running anything;
//  - the idle work runs only at the top of the loop, which is Advance called from outside any
//    tick, wait or idle work: at its start, after each tick, and when the work asked to run
//    again. Inside a tick, a wait or a nested Advance it never runs.
// The wall clock (the date and time texts) moves with the virtual clock; a test may set it to any
// moment, also backwards, while the monotonic clock only ever moves forward.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pelkrin::sim {

struct WallClock {
  int year = 2026, month = 6, day = 12;
  int hour = 10, minute = 0, second = 0;
};

class SimEventLoop : public EventLoop {
 public:
  static constexpr std::uint64_t kStartMs = 1'000'000;
  // The shortest interval Windows gives a timer (USER_TIMER_MINIMUM).
  static constexpr unsigned kMinimumIntervalMs = 10;

  SimEventLoop();

  // EventLoop
  std::uint64_t MonotonicMs() override { return now_; }
  std::string ShortDate() override;  // "MM/DD/YYYY" from the wall clock unless set
  std::string TimeText() override;   // "h:mm:ss AM" from the wall clock unless set
  [[nodiscard]] std::uint32_t StartTimer(unsigned interval_ms, std::function<void()> tick) override;
  void StopTimer(std::uint32_t timer) override;
  void ProcessPendingEvents() override;
  void WaitForEvents(unsigned max_ms) override;
  void Sleep(unsigned ms) override;
  void SetIdleWork(std::function<std::optional<unsigned>()> work) override;

  // Test control.
  std::uint64_t Now() const { return now_; }
  // Moves time forward by `ms`, running every timer at each moment it comes due, in time order
  // (timers due at the same moment in the order they were started).
  void Advance(std::uint64_t ms);
  // Time passes while the thread is blocked inside a call (a send to a hung window): nothing runs.
  void Block(std::uint64_t ms) { now_ += ms; }
  void SetWallClock(const WallClock& moment);
  WallClock Wall() const;
  // Fixes the date or time text regardless of the wall clock (a user's own format, say).
  void SetShortDate(std::string text) { short_date_ = std::move(text); }
  void SetTimeText(std::string text) { time_text_ = std::move(text); }
  void OnProcessPending(std::function<void()> hook) { on_process_pending_ = std::move(hook); }
  // The next n StartTimer calls fail (the system is out of timers).
  void FailNextTimers(int n) { failing_timers_ = n; }

  int ProcessPendingCalls() const { return process_pending_calls_; }
  int IdleWorkRuns() const { return idle_runs_; }
  int WaitCalls() const { return wait_calls_; }
  std::uint64_t SleptMs() const { return slept_ms_; }
  std::size_t TimerCount() const { return timers_.size(); }
  bool HasTimer(std::uint32_t timer) const { return timers_.count(timer) != 0; }
  std::optional<unsigned> TimerInterval(std::uint32_t timer) const;
  // The intervals of the running timers, in the order the timers were started.
  std::vector<unsigned> Intervals() const;
  std::optional<std::uint64_t> NextDue() const;
  // How many ticks ran per timer id, and how many were dropped because the tick still ran.
  int TickCount(std::uint32_t timer) const;
  int DroppedTicks(std::uint32_t timer) const;

 private:
  struct Timer {
    unsigned interval;
    std::uint64_t due;
    std::shared_ptr<std::function<void()>> tick;
    bool running = false;
  };
  // Runs (or drops, when it is still running) every timer due at or before now, once each.
  void RunDueTimers();
  void Run(std::uint32_t id);
  // Runs the idle work when the loop is at its top (nothing else runs), and notes when it wants
  // to run again.
  void RunIdleWork();
  // The next moment the loop has something to do: a timer, or the idle work when at the top.
  std::optional<std::uint64_t> NextAtTop() const;

  std::uint64_t now_ = kStartMs;
  std::map<std::uint32_t, Timer> timers_;
  std::uint32_t next_timer_ = 1;
  std::map<std::uint32_t, int> ticks_, dropped_;
  // The wall clock reads wall_at_mark_ms_ (ms since 1970, local time) at monotonic time mark_.
  std::int64_t wall_at_mark_ms_ = 0;
  std::uint64_t mark_ = kStartMs;
  std::optional<std::string> short_date_, time_text_;
  std::function<void()> on_process_pending_;
  int process_pending_calls_ = 0;
  int wait_calls_ = 0;
  std::uint64_t slept_ms_ = 0;
  std::function<std::optional<unsigned>()> idle_work_;
  std::optional<std::uint64_t> idle_due_;
  int depth_ = 0;  // ticks, waits and idle work running now
  int failing_timers_ = 0;
  int idle_runs_ = 0;
};

}  // namespace pelkrin::sim
