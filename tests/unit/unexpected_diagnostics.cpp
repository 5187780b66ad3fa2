// Every diagnostic line that a test did not announce with SimDiagnostics::Expect fails that
// test: the program swallows such failures silently for the user, so a test would otherwise
// pass over a step that threw (or over a misused simulation).
#include <gtest/gtest.h>

#include "platform/sim/sim_diagnostics.h"

namespace {

const bool kInstalled = [] {
  pelkrin::sim::SimDiagnostics::SetUnexpectedHandler(
      [](const std::string& line) { ADD_FAILURE() << "unexpected diagnostic line: " << line; });
  return true;
}();

}  // namespace
