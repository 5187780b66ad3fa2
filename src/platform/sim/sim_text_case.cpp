#include "platform/sim/sim_text_case.h"

namespace pelkrin::sim {

namespace {

unsigned char LowerWindows1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A:  // S with caron
    case 0x8C:  // OE ligature
    case 0x8E:  // Z with caron
      return static_cast<unsigned char>(c + 0x10);
    case 0x9F:  // Y with diaeresis
      return 0xFF;
    default:
      return c;
  }
}

}  // namespace

std::string SimTextCase::Lower(std::string_view text) {
  ++calls_;
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(LowerWindows1252(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace pelkrin::sim
