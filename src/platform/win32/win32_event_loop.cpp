#include "platform/win32/callback_guard.h"
#include "platform/win32/diagnostics.h"
#include "platform/win32/win32_platform.h"

namespace pelkrin::win32 {

namespace {

// The text a GetDateFormatA-like function produces, asking it for the size first.
template <typename Format>
std::string FormatNow(Format format) {
  const int chars = format(nullptr, 0);
  if (chars <= 0) return {};
  std::string text(static_cast<std::size_t>(chars), '\0');
  const int written = format(text.data(), chars);
  text.resize(written > 0 ? static_cast<std::size_t>(written - 1) : 0);
  return text;
}

}  // namespace

std::map<UINT_PTR, std::shared_ptr<Win32EventLoop::Timer>>& Win32EventLoop::Timers() {
  // Thread timers have process-wide ids and no context pointer: the procedure finds its timer
  // here. Only the user-interface thread uses them.
  static std::map<UINT_PTR, std::shared_ptr<Timer>> timers;
  return timers;
}

Win32EventLoop::Win32EventLoop() {
  // Windows XP has no GetTickCount64; look for it at run time.
  if (const HMODULE kernel = ::GetModuleHandleA("kernel32.dll")) {
    if (const FARPROC found = ::GetProcAddress(kernel, "GetTickCount64"))
      tick_count64_ = reinterpret_cast<TickCount64Function>(reinterpret_cast<void (*)()>(found));
  }
  last_tick_ = ::GetTickCount();
}

Win32EventLoop::~Win32EventLoop() {
  auto& timers = Timers();
  for (auto it = timers.begin(); it != timers.end();) {
    if (it->second->owner == this) {
      ::KillTimer(nullptr, it->first);
      it = timers.erase(it);
    } else {
      ++it;
    }
  }
}

std::uint64_t Win32EventLoop::MonotonicMs() {
  if (tick_count64_) return tick_count64_();
  const DWORD now = ::GetTickCount();
  if (now < last_tick_) wraps_ += 0x100000000ULL;
  last_tick_ = now;
  return wraps_ + now;
}

std::string Win32EventLoop::ShortDate() {
  return FormatNow([](char* buffer, int chars) {
    return ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, chars);
  });
}

std::string Win32EventLoop::TimeText() {
  return FormatNow([](char* buffer, int chars) {
    return ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, chars);
  });
}

std::uint32_t Win32EventLoop::StartTimer(unsigned interval_ms, std::function<void()> tick) {
  const UINT_PTR id = ::SetTimer(nullptr, 0, interval_ms, &Win32EventLoop::TimerProc);
  if (id == 0) return 0;
  // The system's id is pointer-sized; the caller gets a number of this loop's own, so nothing
  // is cut on 64-bit Windows.
  if (++last_token_ == 0) ++last_token_;
  Timers()[id] = std::make_shared<Timer>(Timer{this, last_token_, std::move(tick)});
  return last_token_;
}

void Win32EventLoop::StopTimer(std::uint32_t timer) {
  auto& timers = Timers();
  for (auto it = timers.begin(); it != timers.end(); ++it) {
    if (it->second->owner == this && it->second->token == timer) {
      ::KillTimer(nullptr, it->first);
      timers.erase(it);
      return;
    }
  }
}

void CALLBACK Win32EventLoop::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  auto& timers = Timers();
  const auto found = timers.find(id);
  if (found == timers.end()) return;
  // Held here so that the tick survives StopTimer from inside itself.
  const std::shared_ptr<Timer> timer = found->second;
  if (timer->running) return;  // its previous tick is still waiting: drop this one
  timer->running = true;
  CallGuarded([&] {
    if (timer->tick) timer->tick();
  });
  timer->running = false;
}

void Win32EventLoop::ProcessPendingEvents() {
  const DWORD started = ::GetTickCount();
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Not ours to take: the outer message loop must still see it.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    const bool arrived_later = static_cast<LONG>(message.time - started) > 0;
    if (!(filter_ && filter_(message))) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    RethrowCallbackException();
    if (arrived_later) break;
  }
}

void Win32EventLoop::WaitForEvents(unsigned max_ms) {
  ::MsgWaitForMultipleObjectsEx(0, nullptr, max_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Win32EventLoop::Sleep(unsigned ms) { ::Sleep(ms); }

void Win32EventLoop::SetIdleWork(std::function<std::optional<unsigned>()> work) {
  idle_work_ = std::move(work);
}

int Win32EventLoop::RunMessageLoop() {
  // A handler that failed is skipped; the program stays up for the next event.
  const auto run_guarded = [](const std::function<void()>& step) {
    try {
      step();
      RethrowCallbackException();
    } catch (...) {
      TraceDiagnostic("an event handler failed: " + DescribeException(std::current_exception()));
    }
  };
  std::optional<unsigned> again;
  const auto idle = [&] {
    again.reset();
    if (!idle_work_) return;
    const auto work = idle_work_;  // the work may replace itself
    run_guarded([&] { again = work(); });
  };
  MSG message;
  for (;;) {
    // PeekMessage also delivers the sent messages and the window events that are waiting.
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      run_guarded([&] {
        if (filter_ && filter_(message)) return;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
      });
      idle();
    }
    idle();
    // Until the next message, or until the idle work wants to run again. A timeout of 1 ms
    // wakes after about a millisecond: MsgWaitForMultipleObjects is not bound to the 10 to
    // 16 ms steps of the timers.
    ::MsgWaitForMultipleObjectsEx(0, nullptr, again ? *again : INFINITE, QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
  }
}

}  // namespace pelkrin::win32
