// Diagnostic lines on the simulated desktop: recorded for tests to read, and every line that the
// running test did not announce is reported through a handler the unit tests turn into a test
// failure, so a failure that the program swallows (or a misused simulation) cannot pass unseen.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pelkrin::sim {

class SimDiagnostics : public Diagnostics {
 public:
  // A failure: recorded, and reported to the handler unless a test expects it.
  void Trace(const std::string& line) override;
  // Not a failure: only recorded (in Notes()).
  void Note(const std::string& line) override { notes_.push_back(line); }
  const std::vector<std::string>& Notes() const { return notes_; }

  // The test provokes a failure on purpose: lines that contain `part` are expected.
  void Expect(std::string part) { expected_.push_back(std::move(part)); }
  const std::vector<std::string>& Lines() const { return lines_; }
  // True when some line contains `part`.
  bool Saw(const std::string& part) const;

  // Receives every line that no Expect() announced. Without a handler such lines are only
  // recorded.
  static void SetUnexpectedHandler(std::function<void(const std::string&)> handler);

 private:
  std::vector<std::string> expected_;
  std::vector<std::string> lines_;
  std::vector<std::string> notes_;
};

}  // namespace pelkrin::sim
