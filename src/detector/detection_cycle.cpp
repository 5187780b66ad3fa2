#include "detector/detection_cycle.h"

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>
#include <utility>

#include "detector/ctrl_override.h"
#include "detector/window_readers.h"

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

DetectionCycle::DetectionCycle(Services services, AllowLists lists, DetectorHooks hooks)
    : services_(services), lists_(lists), hooks_(std::move(hooks)) {}

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
  PickUpBlockRequest();
  TakeCensus();
  candidates_.assign(census_.begin(), census_.end());
  const DetectionSwitches switches = hooks_.switches ? hooks_.switches() : DetectionSwitches{};
  WindowManager& windows = services_.windows;
  if (switches.adware) {
    Hwnd dialog = kNoWindow;
    if (std::optional<std::string> marked = MarkAdwareDialog(windows, &dialog))
      candidates_.push_back({dialog, std::move(*marked)});
  }

  const bool ctrl_held = !census_.empty() && windows.IsKeyDown(kVkControl);
  for (std::size_t i = 0; i < candidates_.size(); ++i) {
    // Each candidate is judged through the window the census found it in: no second search by
    // caption.
    const auto& [window, caption] = candidates_[i];
    if (caption.find(kCtrlMark) != std::string::npos) continue;
    // A hidden window (an earlier popup, say) is no candidate, nor one that is gone (style 0).
    // A top-level window shows exactly when its WS_VISIBLE is set, and the one read of its style
    // serves the style rules too.
    const std::uint32_t style = windows.Style(window);
    if (!(style & kWsVisible)) continue;
    // The census's frames come first; after them only the adware step's dialog, which CTRL never
    // lets through.
    const bool held = ctrl_held && i < census_.size();
    if (switches.flash && !held) HideFlash(window);

    const Verdict verdict = Classify(windows, window, style, caption, lists_, switches);
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
  if (last_flash_ == flash) return;
  last_flash_ = flash;
  if (flash != kNoWindow) windows.Show(flash, kSwHide);
}

void DetectionCycle::Pelk(Hwnd window, const Verdict& verdict, Path path) {
  WindowManager& windows = services_.windows;
  const std::uint64_t now = services_.events.MonotonicMs();
  std::erase_if(pelked_, [now](const auto& entry) { return now - entry.second > kRecentPelkMs; });
  if (last_popup_ == window || pelked_.count(window) != 0) {
    // Pelked already, and still showing: its program has not taken the hide yet (it is slow,
    // or stopped answering). Ask again; it is not a new popup, so it is not reported again.
    windows.Show(window, kSwHide);
    return;
  }
  // The hide goes first: it is only posted to the popup's program, which takes it while the
  // rest of the pelk runs here.
  windows.Show(window, kSwHide);
  pelked_[window] = now;
  // The address is read only now that the hide is on its way.
  PelkRecord record = RecordPelk(windows, window, verdict);
  services_.diagnostics.Note("pelked \"" + verdict.short_caption + "\" (" + std::to_string(window) +
                             ") " + (path == Path::kEvents ? "as it showed" : "by the survey") +
                             ": " + Describe(verdict) +
                             (record.address ? " from " + *record.address : ""));
  if (hooks_.pelk_recorded) hooks_.pelk_recorded(std::move(record));
  RaisePelkEvent(verdict.short_caption, path);
  // The previous hidden popup is read only now: while the event's home page question was open,
  // the user may have restored it, and then it stays. It closes for good if it is still a
  // browser window: its handle may have passed to another program's window since.
  if (last_popup_ && IsBrowserWindow(windows, *last_popup_))
    windows.Post(*last_popup_, kWmClose, 0, 0);
  last_popup_ = window;
  // No pause here any more: the next popup is hidden as soon as it shows. The pelk event keeps
  // the pause's pacing for what the user hears and sees (TakePelkShowTurn).
}

void DetectionCycle::RaisePelkEvent(const std::string& short_caption, Path path) {
  if (!hooks_.pelk_event) return;
  try {
    hooks_.pelk_event(short_caption);
  } catch (const std::exception& failure) {
    if (path == Path::kSurvey) throw;  // the survey's failure handling ends the program
    // Hidden, the popup must still become the last hidden popup, or nothing would ever close it.
    services_.diagnostics.Trace("the pelk event of \"" + short_caption +
                                "\" failed: " + failure.what());
  }
}

void DetectionCycle::LetThroughForCtrl(Hwnd window, const Verdict& verdict) {
  AddCtrlMark(services_.windows, window);
  services_.diagnostics.Note("let \"" + verdict.short_caption + "\" (" + std::to_string(window) +
                             ") through: CTRL is held");
}

std::optional<Hwnd> DetectionCycle::TakeLastHiddenPopup() {
  const std::optional<Hwnd> popup = std::exchange(last_popup_, std::nullopt);
  if (popup) pelked_.erase(*popup);
  return popup;
}

bool DetectionCycle::TakePelkShowTurn() {
  const std::uint64_t now = services_.events.MonotonicMs();
  if (last_show_ms_ && now - *last_show_ms_ < kPelkPauseMs) return false;
  last_show_ms_ = now;
  return true;
}

}  // namespace pelkrin
