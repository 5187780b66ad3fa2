#include "platform/sim/sim_diagnostics.h"

#include <utility>

namespace pelkrin::sim {

namespace {

std::function<void(const std::string&)>& UnexpectedHandler() {
  static std::function<void(const std::string&)> handler;
  return handler;
}

}  // namespace

void SimDiagnostics::Trace(const std::string& line) {
  lines_.push_back(line);
  for (const std::string& part : expected_)
    if (line.find(part) != std::string::npos) return;
  if (const auto& handler = UnexpectedHandler()) handler(line);
}

bool SimDiagnostics::Saw(const std::string& part) const {
  for (const std::string& line : lines_)
    if (line.find(part) != std::string::npos) return true;
  return false;
}

void SimDiagnostics::SetUnexpectedHandler(std::function<void(const std::string&)> handler) {
  UnexpectedHandler() = std::move(handler);
}

}  // namespace pelkrin::sim
