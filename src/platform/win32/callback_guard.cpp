#include "platform/win32/callback_guard.h"

#include <stdexcept>
#include <string>

#include "platform/win32/diagnostics.h"

namespace pelkrin::win32 {

namespace {
thread_local std::exception_ptr parked;
}  // namespace

std::string DescribeException(const std::exception_ptr& exception) noexcept {
  try {
    std::rethrow_exception(exception);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "an exception of unknown type";
  }
}

void ParkCallbackException(std::exception_ptr exception) noexcept {
  if (!parked) {
    parked = std::move(exception);
    return;
  }
  // Only the first one is raised again; a second one before that still leaves its trace.
  TraceDiagnostic("a second callback failure was dropped: " + DescribeException(exception));
}

void RethrowCallbackException() {
  if (!parked) return;
  std::exception_ptr exception = std::exchange(parked, nullptr);
  std::rethrow_exception(exception);
}

}  // namespace pelkrin::win32
