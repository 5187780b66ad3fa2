#include "platform/sim/sim_event_loop.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

namespace pelkrin::sim {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

std::int64_t ToMs(const WallClock& wall) {
  using namespace std::chrono;
  const sys_days date = year{wall.year} / month{static_cast<unsigned>(wall.month)} /
                        day{static_cast<unsigned>(wall.day)};
  return date.time_since_epoch().count() * kMsPerDay +
         ((wall.hour * 60LL + wall.minute) * 60 + wall.second) * 1000;
}

WallClock FromMs(std::int64_t ms) {
  using namespace std::chrono;
  std::int64_t day_number = ms / kMsPerDay;
  std::int64_t in_day = ms % kMsPerDay;
  if (in_day < 0) {
    in_day += kMsPerDay;
    --day_number;
  }
  const year_month_day date{sys_days{days{day_number}}};
  const std::int64_t seconds = in_day / 1000;
  return WallClock{static_cast<int>(date.year()),          static_cast<int>(unsigned(date.month())),
                   static_cast<int>(unsigned(date.day())), static_cast<int>(seconds / 3600),
                   static_cast<int>(seconds / 60 % 60),    static_cast<int>(seconds % 60)};
}

}  // namespace

SimEventLoop::SimEventLoop() : wall_at_mark_ms_(ToMs(WallClock{})) {}

std::string SimEventLoop::ShortDate() {
  if (short_date_) return *short_date_;
  const WallClock wall = Wall();
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", wall.month, wall.day, wall.year);
  return text;
}

std::string SimEventLoop::TimeText() {
  if (time_text_) return *time_text_;
  const WallClock wall = Wall();
  const int hour12 = wall.hour % 12 == 0 ? 12 : wall.hour % 12;
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d:%02d %s", hour12, wall.minute, wall.second,
                wall.hour < 12 ? "AM" : "PM");
  return text;
}

void SimEventLoop::SetWallClock(const WallClock& moment) {
  wall_at_mark_ms_ = ToMs(moment);
  mark_ = now_;
}

WallClock SimEventLoop::Wall() const {
  return FromMs(wall_at_mark_ms_ + static_cast<std::int64_t>(now_ - mark_));
}

std::uint32_t SimEventLoop::StartTimer(unsigned interval_ms, std::function<void()> tick) {
  if (failing_timers_ > 0) {
    --failing_timers_;
    return 0;
  }
  const unsigned interval = std::clamp(interval_ms, kMinimumIntervalMs, 0x7FFFFFFFu);
  const std::uint32_t id = next_timer_++;  // never reused: a stale id stops nothing
  timers_.emplace(id, Timer{interval, now_ + interval,
                            std::make_shared<std::function<void()>>(std::move(tick))});
  return id;
}

void SimEventLoop::StopTimer(std::uint32_t timer) { timers_.erase(timer); }

std::optional<unsigned> SimEventLoop::TimerInterval(std::uint32_t timer) const {
  const auto found = timers_.find(timer);
  if (found == timers_.end()) return std::nullopt;
  return found->second.interval;
}

std::vector<unsigned> SimEventLoop::Intervals() const {
  std::vector<unsigned> intervals;
  for (const auto& entry : timers_) intervals.push_back(entry.second.interval);
  return intervals;
}

std::optional<std::uint64_t> SimEventLoop::NextDue() const {
  std::optional<std::uint64_t> next;
  for (const auto& entry : timers_)
    if (!next || entry.second.due < *next) next = entry.second.due;
  return next;
}

int SimEventLoop::TickCount(std::uint32_t timer) const {
  const auto found = ticks_.find(timer);
  return found == ticks_.end() ? 0 : found->second;
}

int SimEventLoop::DroppedTicks(std::uint32_t timer) const {
  const auto found = dropped_.find(timer);
  return found == dropped_.end() ? 0 : found->second;
}

void SimEventLoop::Run(std::uint32_t id) {
  Timer& timer = timers_.at(id);
  timer.due = now_ + timer.interval;
  if (timer.running) {
    ++dropped_[id];
    return;
  }
  timer.running = true;
  ++ticks_[id];
  // The tick may stop its own timer; this copy keeps the callable alive until it returns.
  const std::shared_ptr<std::function<void()>> tick = timer.tick;
  struct Finished {
    SimEventLoop& loop;
    std::uint32_t id;
    ~Finished() {
      const auto found = loop.timers_.find(id);
      if (found != loop.timers_.end()) found->second.running = false;
    }
  } finished{*this, id};
  ++depth_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{depth_};
  if (*tick) (*tick)();
}

void SimEventLoop::SetIdleWork(std::function<std::optional<unsigned>()> work) {
  idle_work_ = std::move(work);
  idle_due_.reset();
}

void SimEventLoop::RunIdleWork() {
  if (!idle_work_ || depth_ > 0) return;
  ++depth_;
  ++idle_runs_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{depth_};
  const auto work = idle_work_;  // the work may replace itself
  const std::optional<unsigned> again = work();
  // At least a millisecond on: the real loop cannot turn faster than its clock either.
  idle_due_.reset();
  if (again) idle_due_ = now_ + std::max(*again, 1u);
}

std::optional<std::uint64_t> SimEventLoop::NextAtTop() const {
  std::optional<std::uint64_t> next = NextDue();
  if (depth_ == 0 && idle_work_ && idle_due_ && (!next || *idle_due_ < *next)) next = idle_due_;
  return next;
}

void SimEventLoop::RunDueTimers() {
  std::vector<std::pair<std::uint64_t, std::uint32_t>> due;
  for (const auto& [id, timer] : timers_)
    if (timer.due <= now_) due.emplace_back(timer.due, id);
  std::sort(due.begin(), due.end());
  for (const auto& entry : due) {
    const auto found = timers_.find(entry.second);
    // Stopped by an earlier tick, or already run by a wait inside an earlier tick.
    if (found == timers_.end() || found->second.due > now_) continue;
    Run(entry.second);
  }
}

void SimEventLoop::Advance(std::uint64_t ms) {
  const std::uint64_t target = now_ + ms;
  RunIdleWork();
  for (;;) {
    const auto next = NextAtTop();
    if (!next || *next > target) break;
    if (*next > now_) now_ = *next;
    RunDueTimers();
    RunIdleWork();
  }
  if (now_ < target) now_ = target;  // a tick may have moved time past the target already
}

void SimEventLoop::ProcessPendingEvents() {
  ++process_pending_calls_;
  ++depth_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{depth_};
  if (on_process_pending_) {
    const auto hook = on_process_pending_;  // the hook may replace itself
    hook();
  }
  RunDueTimers();
}

void SimEventLoop::WaitForEvents(unsigned max_ms) {
  ++wait_calls_;
  const auto next = NextDue();
  if (next && *next <= now_) return;  // something is pending already
  const std::uint64_t limit = now_ + max_ms;
  now_ = next ? std::min(limit, *next) : limit;
}

void SimEventLoop::Sleep(unsigned ms) {
  now_ += ms;
  slept_ms_ += ms;
}

}  // namespace pelkrin::sim
