#include "detector/survey_memory.h"

namespace pelkrin {

std::optional<WindowKind> SurveyMemory::KindOf(Hwnd window) const {
  const auto found = entries_.find(window);
  if (found == entries_.end()) return std::nullopt;
  return found->second.kind;
}

void SurveyMemory::RememberKind(Hwnd window, WindowKind kind) {
  Entry& entry = entries_[window];
  entry.kind = kind;
  entry.listing = listing_;
}

SurveyMemory::Frame& SurveyMemory::FrameOf(Hwnd frame) {
  const auto [found, added] = entries_.try_emplace(frame);
  if (added) {
    found->second.kind = WindowKind::kFrame;
    found->second.listing = listing_;
  }
  return found->second.frame;
}

void SurveyMemory::ForgetChildren(Hwnd window) {
  const auto found = entries_.find(window);
  if (found != entries_.end()) found->second.frame = Frame{};
}

void SurveyMemory::KeepOnly(const std::vector<Hwnd>& listed) {
  ++listing_;
  for (const Hwnd window : listed) {
    const auto found = entries_.find(window);
    if (found != entries_.end()) found->second.listing = listing_;
  }
  std::erase_if(entries_, [this](const auto& entry) { return entry.second.listing != listing_; });
}

}  // namespace pelkrin
