#include "platform/win32/callback_guard.h"

namespace pelkrin::win32 {

namespace {
thread_local std::exception_ptr parked;
}  // namespace

void ParkCallbackException(std::exception_ptr exception) noexcept {
  if (!parked) parked = std::move(exception);
}

void RethrowCallbackException() {
  if (!parked) return;
  std::exception_ptr exception = std::exchange(parked, nullptr);
  std::rethrow_exception(exception);
}

}  // namespace pelkrin::win32
