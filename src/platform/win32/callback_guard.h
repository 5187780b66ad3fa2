// Exceptions and Windows callbacks. Windows calls back into the program from its own frames
// (window procedures, timer procedures, EnumWindows), and an exception cannot unwind through
// those: it would end the process. A callback therefore runs its body through CallGuarded,
// which parks an escaping exception; the program's own code that called into Windows (the
// event pump, a message box, an enumeration) raises it again with RethrowCallbackException
// once Windows has returned. A message loop outside this folder should do the same after
// DispatchMessage.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace pelkrin::win32 {

// The exception's message, for a diagnostic line.
std::string DescribeException(const std::exception_ptr& exception) noexcept;

// Keeps the first parked exception of this thread until it is raised again.
void ParkCallbackException(std::exception_ptr exception) noexcept;
// Raises the parked exception, if any, and forgets it.
void RethrowCallbackException();

// Runs body(); returns false when it threw (the exception is parked).
template <typename Body>
bool CallGuarded(Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (...) {
    ParkCallbackException(std::current_exception());
    return false;
  }
}

}  // namespace pelkrin::win32
