#include "platform/win32/callback_guard.h"

#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/win32/diagnostics.h"

namespace pelkrin::win32 {

namespace {
// A plain pointer, never an object with a destructor: MinGW frees a thread's emulated
// thread-local storage before it runs the destructors of its thread_local objects, so such a
// destructor writes into freed heap memory each time a thread ends (the browser stand-in's
// window threads did, and its heap broke now and then). The message loop takes a parked failure
// long before its thread ends; one still parked then is lost with the thread.
thread_local std::exception_ptr* parked = nullptr;
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
    parked = new (std::nothrow) std::exception_ptr(std::move(exception));
    if (!parked) TraceDiagnostic("a callback failure was dropped: no memory to keep it");
    return;
  }
  // Only the first one is raised again; a second one before that still leaves its trace.
  TraceDiagnostic("a second callback failure was dropped: " + DescribeException(exception));
}

void RethrowCallbackException() {
  if (!parked) return;
  const std::unique_ptr<std::exception_ptr> taken(std::exchange(parked, nullptr));
  std::rethrow_exception(*taken);
}

}  // namespace pelkrin::win32
