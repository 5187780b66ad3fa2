// A thread of its own for the calls that wait for another program (the shell, a browser): the
// jobs run one after another, in the order given, and the window thread never waits for them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace pelkrin::win32 {

class SerialWorker {
 public:
  SerialWorker() = default;
  SerialWorker(const SerialWorker&) = delete;
  SerialWorker& operator=(const SerialWorker&) = delete;
  // Stops the thread once the job under way is done. One that still waits for its program after
  // kStopWaitMs is left to the end of the process, with what it shares.
  ~SerialWorker();

  static constexpr DWORD kStopWaitMs = 100;

  // Queues the job; the thread starts with the first one. A job that has not started and has
  // the same `key` (not 0) is replaced instead: it would only be undone. False when no thread
  // can be started: the job has not run, and will not.
  [[nodiscard]] bool Post(std::function<void()> job, std::uint64_t key = 0);
  // Waits up to timeout_ms until every job given has run.
  [[nodiscard]] bool WaitIdle(DWORD timeout_ms);

 private:
  struct Shared;
  static DWORD WINAPI Run(void* parameter);
  std::shared_ptr<Shared> shared_;
};

}  // namespace pelkrin::win32
