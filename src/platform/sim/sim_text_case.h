// Letter case on the simulated desktop: a system whose ANSI code page is Windows-1252, lowered
// the way Wine's CharLowerBuffA lowers that code page.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace pelkrin::sim {

class SimTextCase : public TextCase {
 public:
  // A to Z; the accented capitals 0xC0 to 0xDE (0xD7 is the multiplication sign, no letter);
  // and the four capitals the code page keeps lower down: 0x8A, 0x8C, 0x8E and 0x9F.
  std::string Lower(std::string_view text) override;
  int Calls() const { return calls_; }

 private:
  int calls_ = 0;
};

}  // namespace pelkrin::sim
