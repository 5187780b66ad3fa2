#include "platform/win32/serial_worker.h"

#include <algorithm>
#include <deque>
#include <utility>

#include "platform/win32/callback_guard.h"
#include "platform/win32/diagnostics.h"
#include "platform/win32/scoped_handle.h"

namespace pelkrin::win32 {

struct SerialWorker::Shared {
  Shared() { ::InitializeCriticalSection(&lock); }
  ~Shared() { ::DeleteCriticalSection(&lock); }
  Shared(const Shared&) = delete;
  Shared& operator=(const Shared&) = delete;

  struct Job {
    std::function<void()> run;
    std::uint64_t key;
  };
  CRITICAL_SECTION lock;
  std::deque<Job> jobs;  // under the lock, as is `stop`
  bool stop = false;
  ScopedKernelHandle work{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};
  ScopedKernelHandle idle{::CreateEventA(nullptr, TRUE, TRUE, nullptr)};  // set: nothing to do
  ScopedKernelHandle thread;
};

SerialWorker::~SerialWorker() {
  if (!shared_ || !shared_->thread) return;
  ::EnterCriticalSection(&shared_->lock);
  shared_->stop = true;
  ::LeaveCriticalSection(&shared_->lock);
  ::SetEvent(shared_->work.Get());
  if (::WaitForSingleObject(shared_->thread.Get(), kStopWaitMs) != WAIT_OBJECT_0)
    TraceDiagnostic("a call to another program was still waiting at the end");
}

DWORD WINAPI SerialWorker::Run(void* parameter) {
  const std::unique_ptr<std::shared_ptr<Shared>> owner(
      static_cast<std::shared_ptr<Shared>*>(parameter));
  Shared& shared = **owner;
  for (;;) {
    ::WaitForSingleObject(shared.work.Get(), INFINITE);
    for (;;) {
      ::EnterCriticalSection(&shared.lock);
      if (shared.stop || shared.jobs.empty()) {
        if (shared.jobs.empty()) ::SetEvent(shared.idle.Get());
        const bool stop = shared.stop;
        ::LeaveCriticalSection(&shared.lock);
        if (stop) return 0;
        break;
      }
      const std::function<void()> job = std::move(shared.jobs.front().run);
      shared.jobs.pop_front();
      ::LeaveCriticalSection(&shared.lock);
      try {
        job();
      } catch (...) {
        TraceDiagnostic("a call to another program failed: " +
                        DescribeException(std::current_exception()));
      }
    }
  }
}

bool SerialWorker::Post(std::function<void()> job, std::uint64_t key) {
  if (!shared_) shared_ = std::make_shared<Shared>();
  Shared& shared = *shared_;
  if (!shared.thread && shared.work && shared.idle) {
    auto* owner = new std::shared_ptr<Shared>(shared_);
    shared.thread.Reset(::CreateThread(nullptr, 0, &Run, owner, 0, nullptr));
    if (!shared.thread) delete owner;
  }
  if (!shared.thread) {
    TraceDiagnostic("no thread for calls to other programs, error " +
                    std::to_string(::GetLastError()));
    return false;
  }
  ::EnterCriticalSection(&shared.lock);
  const auto same = std::find_if(shared.jobs.begin(), shared.jobs.end(),
                                 [key](const Shared::Job& queued) { return queued.key == key; });
  if (key != 0 && same != shared.jobs.end()) {
    same->run = std::move(job);
  } else {
    shared.jobs.push_back(Shared::Job{std::move(job), key});
  }
  ::ResetEvent(shared.idle.Get());
  ::LeaveCriticalSection(&shared.lock);
  ::SetEvent(shared.work.Get());
  return true;
}

bool SerialWorker::WaitIdle(DWORD timeout_ms) {
  return !shared_ || !shared_->thread ||
         ::WaitForSingleObject(shared_->idle.Get(), timeout_ms) == WAIT_OBJECT_0;
}

}  // namespace pelkrin::win32
