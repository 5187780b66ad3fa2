// The event path of the detection cycle: new browser windows judged as they show.
#include <exception>
#include <utility>

#include "detector/detection_cycle.h"

namespace pelkrin {

void DetectionCycle::NoteWindowEvent(WindowEvent event, Hwnd window) {
  // Runs inside whatever pumps messages now: note, and nothing else.
  if (window == kNoWindow || !hooks_.pelking_on || !hooks_.pelking_on()) return;
  if (!noted_.empty() && noted_.back().window == window && noted_.back().event == event) return;
  if (noted_.size() == kMaxNotedEvents) {
    services_.diagnostics.Trace("too many window events at once; the survey takes the rest");
    return;
  }
  noted_.push_back(Noted{event, window});
}

std::optional<unsigned> DetectionCycle::FollowNewWindows() {
  const auto next = [this]() -> std::optional<unsigned> {
    if (followed_.empty() && noted_.empty()) return std::nullopt;
    return kFollowPollMs;
  };
  if (busy_) return next();  // never inside a survey; the loop comes back
  if (!hooks_.pelking_on || !hooks_.pelking_on()) {
    noted_.clear();
    followed_.clear();
    return std::nullopt;
  }
  busy_ = true;
  struct Done {
    bool& busy;
    ~Done() { busy = false; }
  } done{busy_};

  WindowManager& windows = services_.windows;
  const std::uint64_t now = services_.events.MonotonicMs();
  try {
    // New windows join the followed ones. Every kind of event does: a shown window is judged
    // below at once, and a retitled one is judged again under its new caption.
    for (const Noted& noted : std::exchange(noted_, {})) {
      bool known = false;
      for (Followed& followed : followed_) {
        if (followed.window != noted.window) continue;
        followed.until_ms = now + kFollowForMs;
        known = true;
      }
      if (known) continue;
      std::string class_name = windows.ClassName(noted.window, kCensusTextChars);
      if (!IsBrowserWindowClass(class_name)) continue;  // not ours to look at, ever
      followed_.push_back(Followed{noted.window, std::move(class_name), now + kFollowForMs});
    }
    // Each followed window that shows now is judged at once; a gone one is dropped, and one
    // still hidden at its deadline is left to the survey.
    for (std::size_t i = 0; i < followed_.size();) {
      const Followed followed = followed_[i];
      // One call per poll: a top-level window shows exactly when its WS_VISIBLE is set, and a
      // gone one reads as style 0.
      const std::uint32_t style = windows.Style(followed.window);
      if (style & kWsVisible) {
        followed_.erase(followed_.begin() + static_cast<std::ptrdiff_t>(i));
        JudgeShown(followed.window, style, followed.class_name);
      } else if (now >= followed.until_ms || (style == 0 && !windows.IsWindow(followed.window))) {
        followed_.erase(followed_.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        ++i;
      }
    }
  } catch (const std::exception& failure) {
    // The survey is the safety net: what failed here is its work at the next tick.
    services_.diagnostics.Trace(std::string("judging a new window failed: ") + failure.what());
    followed_.clear();
  }
  return next();
}

void DetectionCycle::JudgeShown(Hwnd window, std::uint32_t style, const std::string& class_name) {
  WindowManager& windows = services_.windows;
  // The window may have gone since it was noted and its handle passed to another window: judge
  // only the window of the class first seen.
  if (windows.ClassName(window, kCensusTextChars) != class_name) return;
  const bool frame = class_name.starts_with(kBrowserFrameClassPrefix);
  const DetectionSwitches switches = hooks_.switches ? hooks_.switches() : DetectionSwitches{};
  // An HTML dialog is only ever a popup by the adware step, which the survey takes it through
  // under the mark; here it is judged as marked without retitling it twice.
  if (!frame && !switches.adware) return;
  std::string caption = windows.Caption(window, kCensusTextChars);
  if (caption.find(kCtrlMark) != std::string::npos) return;
  // A window shown while CTRL is down is judged before the override's next tick could mark it.
  const bool held = frame && windows.IsKeyDown(kVkControl);
  if (switches.flash && frame && !held) HideFlash(window);

  Verdict verdict;
  if (frame) {
    verdict = Classify(windows, window, style, std::move(caption), lists_, switches);
  } else {
    if (caption.starts_with(kAdwareMark)) {  // marked by an earlier survey: its caption back
      caption.erase(0, sizeof kAdwareMark - 1);
      windows.SetCaption(window, caption);
    }
    verdict.rule = PopupRule::kAdwareMark;
    verdict.exemption = CheckExemptions(windows, window, caption, lists_, &verdict.short_caption);
    verdict.caption = std::move(caption);
  }
  if (!verdict.ShouldPelk()) return;
  if (held) {
    LetThroughForCtrl(window, verdict);
  } else {
    Pelk(window, verdict, Path::kEvents);
  }
}

}  // namespace pelkrin
