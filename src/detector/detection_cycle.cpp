#include "detector/detection_cycle.h"

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>

#include "detector/ctrl_override.h"
#include "detector/window_readers.h"
#include "settings/handle_text.h"

namespace pelkrin {
namespace {

constexpr char kBlockRequestKey[] = "block_tmp";
constexpr char kFailureTitle[] = "Pelkrin Error ";
constexpr unsigned kFailureBoxStyle = 0x1030;  // exclamation, system-modal
// How long a pelked window is remembered, so that the other path does not report it again while
// its program has yet to take the hide.
constexpr std::uint64_t kRecentPelkMs = 10'000;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

DetectionCycle::DetectionCycle(Services services, AllowLists lists, DetectorFields fields,
                               DetectorHooks hooks)
    : services_(services), lists_(lists), fields_(fields), hooks_(std::move(hooks)) {}

void DetectionCycle::Survey() {
  if (busy_) {
    services_.diagnostics.Note("a survey tick came while a new window was being judged: skipped");
    return;
  }
  busy_ = true;
  struct Done {
    bool& busy;
    ~Done() { busy = false; }
  } done{busy_};
  try {
    RunSurvey();
  } catch (const std::bad_alloc&) {
    Fail(7, "Out of memory");
  } catch (const std::out_of_range& failure) {
    Fail(9, failure.what());
  } catch (const std::exception& failure) {
    Fail(5, failure.what());
  }
}

void DetectionCycle::Fail(int number, const std::string& description) {
  services_.diagnostics.Trace("a survey failed (" + std::to_string(number) + "): " + description);
  services_.dialogs.MessageBox(description, kFailureTitle + std::to_string(number),
                               kFailureBoxStyle);
  // The program ends here; what a normal exit saves is saved first, so nothing is lost.
  try {
    if (hooks_.save_before_failure_exit) hooks_.save_before_failure_exit();
  } catch (const std::exception& failure) {
    services_.diagnostics.Trace(std::string("saving before the end failed: ") + failure.what());
  }
  services_.process.Exit(0);
}

void DetectionCycle::RunSurvey() {
  if (!hooks_.pelking_on || !hooks_.pelking_on()) return;
  fields_.List2.Clear();
  candidates_.clear();
  PickUpBlockRequest();
  TakeCensus();
  for (const CensusWindow& entry : census_) {
    fields_.List2.AddItem(entry.caption);
    candidates_.push_back(entry.window);
  }

  const DetectionSwitches switches = hooks_.switches ? hooks_.switches() : DetectionSwitches{};
  WindowManager& windows = services_.windows;
  if (switches.adware) {
    Hwnd dialog = kNoWindow;
    if (std::optional<std::string> marked = MarkAdwareDialog(windows, &dialog)) {
      fields_.List2.AddItem(*marked);
      candidates_.push_back(dialog);
    }
  }

  const int count = std::min(fields_.List2.ListCount(), static_cast<int>(candidates_.size()));
  const bool ctrl_held = !census_.empty() && windows.IsKeyDown(kVkControl);
  for (int i = 0; i < count; ++i) {
    // Each candidate is judged through the window the census found it in: no second search by
    // caption. The caption as the census read it stays the candidate's identity for the rules.
    const std::string caption = fields_.List2.List(i);
    if (caption.find(kCtrlMark) != std::string::npos) continue;
    const Hwnd window = candidates_[static_cast<std::size_t>(i)];
    // A hidden window (an earlier popup, say) is no candidate, nor one that is gone (style 0).
    // A top-level window shows exactly when its WS_VISIBLE is set, and the one read of its style
    // serves the style rules too.
    const std::uint32_t style = windows.Style(window);
    if (!(style & kWsVisible)) continue;
    // The census's frames come first; after them only the adware step's dialog, which CTRL never
    // lets through.
    const bool held = ctrl_held && static_cast<std::size_t>(i) < census_.size();
    if (switches.flash && !held) HideFlash(window);

    Verdict verdict = Classify(windows, window, style, caption, lists_, switches);
    if (verdict.rule == PopupRule::kAdwareMark) fields_.List2.SetItem(i, verdict.caption);
    if (!verdict.ShouldPelk()) continue;
    if (held) {
      LetThroughForCtrl(window, verdict);
    } else {
      Pelk(window, verdict, Path::kSurvey);
    }
  }
}

void DetectionCycle::PickUpBlockRequest() {
  SettingsStore& settings = services_.settings;
  if (settings.ReadSetting(kBlockRequestKey).empty()) return;
  // Read again: block.exe may have written a newer request in between.
  std::string caption = settings.ReadSetting(kBlockRequestKey);
  // Blocking a window twice adds nothing, and a request that stays in pk.sys is met again at
  // every survey.
  const std::vector<std::string>& blocked = lists_.blocks.Items();
  if (std::find(blocked.begin(), blocked.end(), caption) == blocked.end())
    lists_.blocks.AddItem(caption);
  if (settings.WriteSetting(kBlockRequestKey, "")) {
    unclearable_request_.reset();
  } else if (unclearable_request_ != caption) {
    services_.diagnostics.Trace("the Block button's request \"" + caption +
                                "\" cannot be cleared from pk.sys; it stays on the block list");
    unclearable_request_ = std::move(caption);
  }
}

void DetectionCycle::TakeCensus() {
  census_.clear();
  WindowManager& windows = services_.windows;
  windows.EnumTopLevel([&](Hwnd window) {
    // A window that vanishes or fails half-way is skipped; the enumeration always goes on.
    try {
      // Only browser frames need their caption: the others are never looked at again.
      if (!StartsWith(windows.ClassName(window, kCensusTextChars), kBrowserFrameClassPrefix))
        return true;
      CensusWindow entry{window, windows.Caption(window, kCensusTextChars)};
      if (census_.size() == kMaxCensus) {
        census_.back() = std::move(entry);  // full: each further caption takes the last place
        return true;
      }
      census_.push_back(std::move(entry));
    } catch (const std::exception& failure) {
      services_.diagnostics.Trace(std::string("the census skipped a window: ") + failure.what());
    }
    return true;
  });
}

void DetectionCycle::HideFlash(Hwnd window) {
  WindowManager& windows = services_.windows;
  Hwnd flash = window;
  for (const std::string class_name :
       {"Shell DocObject View", "Internet Explorer_Server", "MacromediaFlashPlayerActiveX"}) {
    flash =
        flash == kNoWindow ? kNoWindow : windows.FindChild(flash, kNoWindow, &class_name, nullptr);
  }
  if (HandleFromText(fields_.TextFlash.Text()) == flash) return;
  fields_.TextFlash.SetText(HandleToText(flash));
  if (flash != kNoWindow) windows.Show(flash, kSwHide);
}

void DetectionCycle::Pelk(Hwnd window, const Verdict& verdict, Path path) {
  WindowManager& windows = services_.windows;
  const std::uint64_t now = services_.events.MonotonicMs();
  std::erase_if(pelked_, [now](const auto& entry) { return now - entry.second > kRecentPelkMs; });
  if (HandleFromText(fields_.TextHnd.Text()) == window || pelked_.count(window) != 0) {
    // Pelked already, and still showing: its program has not taken the hide yet (it is slow,
    // or stopped answering). Ask again; it is not a new popup, so it is not reported again.
    windows.Show(window, kSwHide);
    return;
  }
  // The hide goes first: it is only posted to the popup's program, which takes it while the
  // rest of the pelk runs here.
  windows.Show(window, kSwHide);
  pelked_[window] = now;
  services_.diagnostics.Note("pelked \"" + verdict.short_caption + "\" (" + HandleToText(window) +
                             ") " + (path == Path::kEvents ? "as it showed" : "by the survey") +
                             ": " + Describe(verdict));
  RaisePelkEvent(verdict.short_caption, path);
  // The previous hidden popup is read only now: while the event's home page question was open,
  // the user may have restored it, and then it stays. It closes for good if it is still a
  // browser window: its handle may have passed to another program's window since.
  const Hwnd previous = HandleFromText(fields_.TextHnd.Text());
  if (previous != kNoWindow && IsBrowserWindow(windows, previous))
    windows.Post(previous, kWmClose, 0, 0);
  fields_.TextHnd.SetText(HandleToText(window));
  // No pause here any more: the next popup is hidden as soon as it shows. The pelk event keeps
  // the pause's pacing for what the user hears and sees (TakePelkShowTurn).
}

void DetectionCycle::RaisePelkEvent(const std::string& short_caption, Path path) {
  // The pelk event runs now, inside this call, and empties the signal again.
  if (!fields_.Text2.Text().empty()) return;
  try {
    fields_.Text2.SetText(short_caption);
  } catch (const std::exception& failure) {
    // A signal left set would keep every later pelk from being reported.
    fields_.Text2.SetText("");
    if (path == Path::kSurvey) throw;  // the survey's failure handling ends the program
    // Here the pelk goes on without its report: hidden, it must still become the last hidden
    // popup, or nothing would ever close it.
    services_.diagnostics.Trace("the pelk event of \"" + short_caption +
                                "\" failed: " + failure.what());
  }
}

void DetectionCycle::LetThroughForCtrl(Hwnd window, const Verdict& verdict) {
  AddCtrlMark(services_.windows, window);
  services_.diagnostics.Note("let \"" + verdict.short_caption + "\" (" + HandleToText(window) +
                             ") through: CTRL is held");
}

void DetectionCycle::ForgetPelk(Hwnd window) { pelked_.erase(window); }

bool DetectionCycle::TakePelkShowTurn() {
  const std::uint64_t now = services_.events.MonotonicMs();
  if (last_show_ms_ && now - *last_show_ms_ < kPelkPauseMs) return false;
  last_show_ms_ = now;
  return true;
}

}  // namespace pelkrin
