// Sequences that go on when one step fails (start-up, shutdown) run each step through Guarded:
// the failure is skipped without a word to the user and leaves a diagnostic line naming the
// step. A request to end the process is no failure and passes through.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace pelkrin {

template <typename Step>
void Guarded(Diagnostics& diagnostics, std::string_view step_name, Step&& step) {
  try {
    step();
  } catch (const std::exception& failure) {
    diagnostics.Trace(std::string(step_name) + " failed: " + failure.what());
  }
}

}  // namespace pelkrin
