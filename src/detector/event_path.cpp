// The event path of the detection cycle: new browser windows judged as they show.
#include <algorithm>
#include <exception>
#include <utility>

#include "detector/detection_cycle.h"

namespace pelkrin {

void DetectionCycle::NoteWindowEvent(WindowEvent event, Hwnd window) {
  // Runs inside whatever pumps messages now: note, and nothing else.
  if (window == kNoWindow) return;
  // The memory hears of every creation, pelking on or off: what it keeps holds only until then.
  if (event == WindowEvent::kChildCreated) {
    memory_.ForgetChildren(window);
    // A followed frame still hidden may have just got its toolbar container: judged again.
    for (Followed& followed : followed_)
      if (followed.window == window) followed.judge_at_ms = 0;
    return;
  }
  if (event == WindowEvent::kCreated) memory_.Forget(window);
  if (!hooks_.pelking_on || !hooks_.pelking_on()) return;
  // One note per window, however many events it has: a storm of caption changes costs a look.
  const auto [at, added] = noted_at_.try_emplace(window, noted_.size());
  if (!added) {
    if (event == WindowEvent::kShown) noted_[at->second].shown = true;
    return;
  }
  if (noted_.size() == kMaxNotedEvents) {
    noted_at_.erase(at);
    if (!std::exchange(noted_overflow_, true))
      services_.diagnostics.Trace("too many window events at once; the survey takes the rest");
    return;
  }
  noted_.push_back(Noted{window, event == WindowEvent::kShown});
}

std::optional<unsigned> DetectionCycle::FollowNewWindows() {
  if (busy_)  // never inside a survey; the loop comes back
    return followed_.empty() && noted_.empty() && waiting_addresses_.empty()
               ? std::nullopt
               : std::optional(kFollowPollMs);
  if (!hooks_.pelking_on || !hooks_.pelking_on()) {
    noted_.clear();
    noted_at_.clear();
    // Switched off: a frame made transparent while hidden is opaque again, as if never followed.
    for (const Followed& followed : std::exchange(followed_, {}))
      if (transparent_) transparent_->MakeOpaque(followed.window);
    const std::uint64_t now = services_.events.MonotonicMs();
    PollHiding(now, false);
    ReadWaitingAddresses(now);
    return hiding_.empty() ? std::nullopt : std::optional(kFollowPollMs);
  }
  busy_ = true;
  struct Done {
    bool& busy;
    ~Done() { busy = false; }
  } done{busy_};

  const std::uint64_t now = services_.events.MonotonicMs();
  if (transparent_) transparent_->TakeDone();
  try {
    // New events of windows followed already only extend their following.
    std::erase_if(noted_, [&](const Noted& noted) {
      const auto followed =
          std::find_if(followed_.begin(), followed_.end(),
                       [&](const Followed& f) { return f.window == noted.window; });
      if (followed == followed_.end()) return false;
      followed->until_ms = now + kFollowForMs;
      followed->judge_at_ms = 0;  // retitled, say: judged again while hidden
      return true;
    });
    // The windows followed come first: one read each, and a visible one is judged at once,
    // before any new window's class is read.
    PollFollowed(now);
    PollHiding(now, false);
    // The addresses waiting to be read get a turn of their own, once the notes are all taken.
    const bool noted_before = !noted_.empty();
    TakeNoted(now);
    if (!noted_before) ReadWaitingAddresses(now);
  } catch (const std::exception& failure) {
    // The survey is the safety net: what failed here is its work at the next tick. A frame made
    // transparent is not left so.
    services_.diagnostics.Trace(std::string("judging a new window failed: ") + failure.what());
    followed_.clear();
    // Every transparent frame but those waiting for their hide: the one judged as it failed too.
    if (transparent_) {
      for (const Hwnd frame : transparent_->Frames())
        if (std::none_of(hiding_.begin(), hiding_.end(),
                         [frame](const Hiding& entry) { return entry.window == frame; }))
          transparent_->MakeOpaque(frame);
    }
  }
  if (!noted_.empty()) return 0u;  // the rest after whatever else is waiting
  const bool hiding = std::any_of(hiding_.begin(), hiding_.end(),
                                  [now](const Hiding& entry) { return now < entry.until_ms; });
  if (!followed_.empty() || hiding || !waiting_addresses_.empty()) return kFollowPollMs;
  return std::nullopt;
}

void DetectionCycle::PollFollowed(std::uint64_t now) {
  WindowManager& windows = windows_;
  // Each followed window that shows now is judged at once; a gone one is dropped, and one still
  // hidden at its deadline is left to the survey. Those still hidden are judged after every
  // shown one.
  std::vector<std::pair<Hwnd, std::uint32_t>> hidden_due;
  for (std::size_t i = 0; i < followed_.size();) {
    const Followed followed = followed_[i];
    // One call per poll: a top-level window shows exactly when its WS_VISIBLE is set, and a gone
    // one reads as style 0.
    const std::uint32_t style = windows.Style(followed.window);
    const bool transparent = transparent_ && transparent_->IsTransparent(followed.window);
    if (style & kWsVisible) {
      followed_.erase(followed_.begin() + static_cast<std::ptrdiff_t>(i));
      JudgeShown(followed.window, style, followed.kind);
      // Shown with another verdict (CTRL pressed, an allowed caption by now): opaque at once. A
      // pelked one is made opaque once its hide has taken effect.
      const bool hiding = std::any_of(hiding_.begin(), hiding_.end(), [&](const Hiding& entry) {
        return entry.window == followed.window;
      });
      if (transparent && !hiding) transparent_->MakeOpaque(followed.window);
    } else if (now >= followed.until_ms || (style == 0 && !windows.IsWindow(followed.window))) {
      // Hidden past its deadline, or gone: left to the survey, as it was before it was followed.
      followed_.erase(followed_.begin() + static_cast<std::ptrdiff_t>(i));
      if (transparent) transparent_->MakeOpaque(followed.window);
    } else {
      if (followed.kind == WindowKind::kFrame && !followed.judged_popup &&
          now >= followed.judge_at_ms)
        hidden_due.emplace_back(followed.window, style);
      ++i;
    }
  }
  for (const auto& [frame, style] : hidden_due) {
    const auto followed = std::find_if(followed_.begin(), followed_.end(),
                                       [frame](const Followed& f) { return f.window == frame; });
    if (followed == followed_.end()) continue;
    followed->judge_at_ms = now + kJudgeHiddenEveryMs;
    followed->judged_popup = JudgeHidden(frame, style);
  }
}

void DetectionCycle::TakeNoted(std::uint64_t now) {
  WindowManager& windows = windows_;
  // Windows reported shown first: they are the ones a user may be seeing now. Then the others,
  // in the order their events came, a bounded number of class names per turn.
  std::stable_partition(noted_.begin(), noted_.end(),
                        [](const Noted& noted) { return noted.shown; });
  const std::size_t turn_start = windows_.Calls();
  std::size_t taken = 0;
  for (; taken < noted_.size() && windows_.Calls() - turn_start < kNotedCallsPerTurn; ++taken) {
    const Hwnd window = noted_[taken].window;
    // Every kind of event makes a window followed: a shown window is judged at once, and a
    // retitled one is judged again under its new caption. A window the memory knows costs nothing
    // here: a caption storm of other programs' windows is passed over without a read.
    const WindowKind kind = KindOf(window);
    if (kind == WindowKind::kOther) continue;  // not ours to look at, ever
    // One that shows already is judged now, ahead of the class names still to read.
    const std::uint32_t style = windows.Style(window);
    if (style & kWsVisible) {
      JudgeShown(window, style, kind);
    } else {
      followed_.push_back(Followed{window, kind, now + kFollowForMs});
    }
  }
  noted_.erase(noted_.begin(), noted_.begin() + static_cast<std::ptrdiff_t>(taken));
  noted_at_.clear();
  for (std::size_t i = 0; i < noted_.size(); ++i) noted_at_.emplace(noted_[i].window, i);
  if (noted_.empty()) noted_overflow_ = false;
}

bool DetectionCycle::JudgeHidden(Hwnd frame, std::uint32_t style) {
  if (!transparent_) return false;
  WindowManager& windows = windows_;
  // The domain list needs the address, which a hidden frame may not have filled in yet: with
  // domains listed, nothing is decided before the show. Nor while the user holds CTRL.
  if (!lists_.domains.Items().empty() || windows.IsKeyDown(kVkControl)) return false;
  std::string caption = windows.Caption(frame, kCensusTextChars);
  // A marked caption: let through, or (under the adware mark) retitled by the rules, which
  // must not touch the frame before it shows.
  if (caption.find(kCtrlMark) != std::string::npos || caption.starts_with(kAdwareMark))
    return false;
  const DetectionSwitches switches = hooks_.switches ? hooks_.switches() : DetectionSwitches{};
  const Verdict verdict = Classify(windows, frame, style, std::move(caption), lists_, switches,
                                   [this, frame] { return ToolbarsHidden(frame); });
  if (!verdict.ShouldPelk()) return false;
  // Asked, and made transparent once its program takes it; this thread does not wait for that.
  if (transparent_->MakeTransparent(frame))
    services_.diagnostics.Note("made \"" + verdict.short_caption + "\" (" + std::to_string(frame) +
                               ") transparent while hidden: " + Describe(verdict));
  return true;
}

void DetectionCycle::OpaqueOnceHidden(Hwnd window) {
  if (!transparent_ || !transparent_->IsTransparent(window)) return;
  for (const Hiding& entry : hiding_)
    if (entry.window == window) return;
  hiding_.push_back(Hiding{window, services_.events.MonotonicMs() + kFollowForMs});
}

void DetectionCycle::PollHiding(std::uint64_t now, bool all) {
  WindowManager& windows = windows_;
  std::erase_if(hiding_, [&](const Hiding& entry) {
    if (!all && now >= entry.until_ms) return false;  // the survey's turn
    // Still showing: its program has yet to take the hide. Gone: only forgotten.
    if (windows.Style(entry.window) & kWsVisible) return false;
    transparent_->MakeOpaque(entry.window);
    return true;
  });
}

void DetectionCycle::JudgeShown(Hwnd window, std::uint32_t style, WindowKind kind) {
  WindowManager& windows = windows_;
  // The window may have gone since it was noted and its handle passed to another window whose
  // creation has not been reported yet: judge only a window of the kind first seen, read now.
  if (KindOfClass(windows.ClassName(window, kCensusTextChars)) != kind) return;
  const bool frame = kind == WindowKind::kFrame;
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
    verdict = Classify(windows, window, style, std::move(caption), lists_, switches,
                       [this, window] { return ToolbarsHidden(window); });
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
