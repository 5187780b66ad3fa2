#include "detector/detection_cycle.h"

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>
#include <utility>

#include "detector/ctrl_override.h"
#include "detector/pelk_recorder.h"
#include "detector/restore.h"
#include "detector/window_readers.h"

namespace pelkrin {
namespace {

constexpr char kBlockRequestKey[] = "block_tmp";
constexpr char kFailureTitle[] = "Pelkrin Error ";
constexpr unsigned kFailureBoxStyle = 0x1030;  // exclamation, system-modal
// How long a pelked window is remembered, so that the other path does not report it again while
// its program has yet to take the hide.
constexpr std::uint64_t kRecentPelkMs = 10'000;

}  // namespace

DetectionCycle::DetectionCycle(Services services, AllowLists lists, DetectorHooks hooks,
                               TransparentFrames* transparent)
    : services_(services),
      windows_(services.windows),
      lists_(lists),
      hooks_(std::move(hooks)),
      transparent_(transparent) {}

DetectionCycle::~DetectionCycle() {
  CloseWaitingPopups();
  Detach();
  if (slice_timer_ != 0) services_.events.StopTimer(slice_timer_);
}

bool DetectionCycle::Attach() {
  // What was remembered without the reports may be out of date by now.
  memory_ = SurveyMemory{};
  services_.events.SetIdleWork([this] { return IdleWork(); });
  attached_ = windows_.WatchWindowEvents(
      [this](WindowEvent event, Hwnd window) { NoteWindowEvent(event, window); });
  return attached_;
}

void DetectionCycle::Detach() {
  // Stopping the reports cannot fail: only starting them can.
  if (attached_) (void)windows_.WatchWindowEvents({});
  attached_ = false;
  services_.events.SetIdleWork({});
}

template <typename Step>
void DetectionCycle::AsSurveyWork(Step step) {
  busy_ = true;
  struct Done {
    bool& busy;
    ~Done() { busy = false; }
  } done{busy_};
  try {
    step();
  } catch (const std::bad_alloc&) {
    Fail(7, "Out of memory");
  } catch (const std::out_of_range& failure) {
    Fail(9, failure.what());
  } catch (const std::exception& failure) {
    Fail(5, failure.what());
  }
}

void DetectionCycle::Survey() {
  if (busy_) {
    services_.diagnostics.Note("a survey tick came while a new window was being judged: skipped");
    return;
  }
  AsSurveyWork([this] {
    if (run_) {
      RunSlice();  // the survey under way goes on rather than starting over
    } else {
      StartSurvey();
    }
  });
}

void DetectionCycle::ContinueSurvey() {
  if (run_ && !busy_) AsSurveyWork([this] { RunSlice(); });
}

std::optional<unsigned> DetectionCycle::IdleWork() {
  const std::optional<unsigned> again = FollowNewWindows();
  ContinueSurvey();
  if (run_) return 0u;  // the next slice after whatever is waiting now
  return again;
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

void DetectionCycle::StartSurvey() {
  // Transparent popups whose hide took effect only after the event path stopped looking, and
  // those whose program did not take their opacity.
  if (transparent_) {
    transparent_->TakeDone();
    transparent_->RetryOpaque();
  }
  PollHiding(services_.events.MonotonicMs(), true);
  if (!hooks_.pelking_on || !hooks_.pelking_on()) return;
  PickUpBlockRequest();
  census_.clear();
  // Every window that exists now is read in this survey, in z-order, however many slices it
  // takes; one that is gone by its turn reads as nothing and is passed over.
  SurveyRun run;
  windows_.EnumTopLevel([&run](Hwnd window) {
    run.listed.push_back(window);
    return true;
  });
  run_ = std::move(run);
  RunSlice();
}

void DetectionCycle::RunSlice() {
  if (!hooks_.pelking_on || !hooks_.pelking_on()) {
    EndSurvey();  // switched off meanwhile: the rest is not looked at
    return;
  }
  const SliceState state{hooks_.switches ? hooks_.switches() : DetectionSwitches{},
                         windows_.IsKeyDown(kVkControl)};
  const std::size_t slice_start = windows_.Calls();
  const std::uint64_t slice_start_ms = services_.events.MonotonicMs();
  bool sliced = true;
  while (run_->next < run_->listed.size()) {
    // A busy window server makes each call slower: the slice ends at its time as well.
    if (sliced && (windows_.Calls() - slice_start >= kSurveySliceCalls ||
                   services_.events.MonotonicMs() - slice_start_ms >= kSurveySliceMs)) {
      if (ComeBackForNextSlice()) return;
      sliced = false;
    }
    TakeIntoCensus(run_->listed[run_->next++], state);
  }
  // The frame in the census's last place, then the adware step's dialog under its mark: the
  // candidates after the census's frames.
  if (std::optional<CensusWindow> last = std::exchange(run_->last_place, std::nullopt))
    Examine(last->window, last->caption, state, true);
  if (state.switches.adware) {
    Hwnd dialog = kNoWindow;
    if (std::optional<std::string> marked = MarkAdwareDialog(windows_, &dialog))
      Examine(dialog, *marked, state, false);
  }
  if (TrustMemory()) memory_.KeepOnly(run_->listed);
  EndSurvey();
}

bool DetectionCycle::ComeBackForNextSlice() {
  if (slice_timer_ == 0) {
    slice_timer_ = services_.events.StartTimer(kSurveySliceGapMs, [this] { ContinueSurvey(); });
    if (slice_timer_ == 0) {
      if (attached_) return true;  // the top of the message loop still comes back
      services_.diagnostics.Trace("no timer for the survey's next slice; it runs to its end now");
      return false;
    }
  }
  return true;
}

void DetectionCycle::EndSurvey() {
  run_.reset();
  if (slice_timer_ != 0) services_.events.StopTimer(std::exchange(slice_timer_, 0));
}

WindowKind DetectionCycle::KindOf(Hwnd window) {
  if (TrustMemory()) {
    if (const std::optional<WindowKind> known = memory_.KindOf(window)) return *known;
  }
  const std::string class_name = windows_.ClassName(window, kCensusTextChars);
  const WindowKind kind = KindOfClass(class_name);
  // A window without a class is gone: nothing to remember.
  if (TrustMemory() && !class_name.empty()) memory_.RememberKind(window, kind);
  return kind;
}

void DetectionCycle::TakeIntoCensus(Hwnd window, const SliceState& state) {
  CensusWindow entry;
  // A window that vanishes or fails half-way is skipped; the survey always goes on.
  try {
    // Only browser frames need their caption: the others are never looked at again.
    if (KindOf(window) != WindowKind::kFrame) return;
    entry = CensusWindow{window, windows_.Caption(window, kCensusTextChars)};
    if (census_.size() + 1 >= kMaxCensus) {
      // The last place: each further frame takes it, and only the last one there is judged.
      if (census_.size() == kMaxCensus) {
        census_.back() = entry;
      } else {
        census_.push_back(entry);
      }
      run_->last_place = std::move(entry);
      return;
    }
    census_.push_back(entry);
  } catch (const std::exception& failure) {
    services_.diagnostics.Trace(std::string("the census skipped a window: ") + failure.what());
    return;
  }
  Examine(window, entry.caption, state, true);
}

void DetectionCycle::Examine(Hwnd window, const std::string& caption, const SliceState& state,
                             bool census_frame) {
  WindowManager& windows = windows_;
  if (caption.find(kCtrlMark) != std::string::npos) return;
  // A hidden window (an earlier popup, say) is no candidate, nor one that is gone (style 0).
  // A top-level window shows exactly when its WS_VISIBLE is set, and the one read of its style
  // serves the style rules too.
  const std::uint32_t style = windows.Style(window);
  if (!(style & kWsVisible)) return;
  // Only the census's frames: CTRL never lets the adware step's dialog through.
  const bool held = state.ctrl_held && census_frame;
  if (state.switches.flash && !held) HideFlash(window);

  const Verdict verdict = Classify(windows, window, style, caption, lists_, state.switches,
                                   [this, window] { return ToolbarsHidden(window); });
  if (!verdict.ShouldPelk()) return;
  // A frame known from the memory is still one unless a creation went unreported (the hook's
  // queue overflowed, say) and its handle passed to another program's window: its class, fixed
  // for its life, is read once more before anything is done to it.
  if (census_frame && TrustMemory() &&
      KindOfClass(windows.ClassName(window, kCensusTextChars)) != WindowKind::kFrame) {
    services_.diagnostics.Trace("a remembered browser frame (" + std::to_string(window) +
                                ") is another window now; it is read afresh");
    memory_.Forget(window);
    return;
  }
  if (held) {
    LetThroughForCtrl(window, verdict);
  } else {
    Pelk(window, verdict, Path::kSurvey);
  }
}

bool DetectionCycle::ToolbarsHidden(Hwnd frame) {
  WindowManager& windows = windows_;
  if (!TrustMemory() || memory_.KindOf(frame) != WindowKind::kFrame)
    return ReadToolbarsHidden(windows, frame);
  // Which child comes first, and whether it shows, can change unreported: both are read. Its
  // class cannot, while its handle names it.
  const Hwnd first = windows.FirstChild(frame);
  SurveyMemory::Frame known = memory_.FrameOf(frame);
  if (first != known.first_child) {
    known.first_child = first;
    known.first_child_is_container =
        first != kNoWindow && IsToolbarContainerClass(windows.ClassName(first, 8));
    memory_.FrameOf(frame) = known;
  }
  return known.first_child_is_container && !(windows.Style(first) & kWsVisible);
}

Hwnd DetectionCycle::FlashControl(Hwnd frame) {
  WindowManager& windows = windows_;
  if (!TrustMemory() || memory_.KindOf(frame) != WindowKind::kFrame)
    return FindFlashControl(windows, frame);
  // A control that appears is created, which makes the memory forget the frame's children; one
  // that goes does so unreported, so the one remembered is asked whether it is still there, by
  // its class: a handle that passed to another window has another class.
  const std::optional<Hwnd> known = memory_.FrameOf(frame).flash;
  if (known && (*known == kNoWindow || windows.ClassName(*known, 32) == kFlashClass)) return *known;
  const Hwnd found = FindFlashControl(windows, frame);
  memory_.FrameOf(frame).flash = found;
  return found;
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

void DetectionCycle::HideFlash(Hwnd window) {
  const Hwnd flash = FlashControl(window);
  if (last_flash_ == flash) return;
  last_flash_ = flash;
  if (flash != kNoWindow) windows_.Show(flash, kSwHide);
}

void DetectionCycle::Pelk(Hwnd window, const Verdict& verdict, Path path) {
  WindowManager& windows = windows_;
  const std::uint64_t now = services_.events.MonotonicMs();
  std::erase_if(pelked_, [now](const auto& entry) { return now - entry.second > kRecentPelkMs; });
  if (restored_ && restored_->window == window) {
    if (verdict.caption == restored_->caption) {
      // Restored while its browser was not answering, it missed the mark, and shows now.
      windows.SetCaption(window, kRestoreMark + verdict.caption);
      services_.diagnostics.Note("the restored popup \"" + verdict.short_caption + "\" (" +
                                 std::to_string(window) + ") shows; it gets its restore mark now");
      return;
    }
    restored_.reset();  // its page changed the caption: the restore is over
  }
  if (last_popup_ == window || pelked_.count(window) != 0) {
    // Pelked already, and still showing: its program has not taken the hide yet (it is slow,
    // or stopped answering). Ask again; it is not a new popup, so it is not reported again.
    windows.Show(window, kSwHide);
    OpaqueOnceHidden(window);
    return;
  }
  // The hide goes first: it is only posted to the popup's program, which takes it while the
  // rest of the pelk runs here.
  windows.Show(window, kSwHide);
  OpaqueOnceHidden(window);
  pelked_[window] = now;
  // The address is read only once the hide is on its way; on the event path, in a later turn and
  // by short tries, as a browser busy opening the next popup of a burst would keep that popup's
  // hide waiting for the answer.
  const bool read_later = path == Path::kEvents;
  PelkRecord record = RecordPelk(windows, window, verdict, !read_later);
  record.serial = ++pelk_serial_;
  if (read_later && AddressToRead(record, verdict))
    waiting_addresses_.push_back({record.serial, window, verdict.short_caption, now, now});
  services_.diagnostics.Note("pelked \"" + verdict.short_caption + "\" (" + std::to_string(window) +
                             ") " + (path == Path::kEvents ? "as it showed" : "by the survey") +
                             ": " + Describe(verdict) +
                             (record.address ? " from " + *record.address : ""));
  if (hooks_.pelk_recorded) hooks_.pelk_recorded(std::move(record));
  RaisePelkEvent(verdict.short_caption, path);
  // The previous hidden popup is read only now: while the event's home page question was open,
  // the user may have restored it, and then it stays. It closes for good now, or once its
  // address has been read when that still waits.
  if (last_popup_) {
    const auto waiting =
        std::find_if(waiting_addresses_.begin(), waiting_addresses_.end(),
                     [this](const WaitingAddress& entry) { return entry.window == *last_popup_; });
    if (waiting != waiting_addresses_.end()) {
      waiting->close = true;  // once its address is read
    } else {
      CloseForGood(*last_popup_);
    }
  }
  last_popup_ = window;
  last_popup_caption_ = verdict.caption;
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
  AddCtrlMark(windows_, window);
  services_.diagnostics.Note("let \"" + verdict.short_caption + "\" (" + std::to_string(window) +
                             ") through: CTRL is held");
}

void DetectionCycle::ReadWaitingAddresses(std::uint64_t now) {
  const bool quiet = followed_.empty() && noted_.empty();
  std::erase_if(waiting_addresses_, [&](WaitingAddress& entry) {
    if (now < entry.next_try_ms) return false;
    // Only while no new browser window is followed or noted: short tries, then after
    // kAddressTriesForMs one read with the usual time limit. After kAddressReadAtLatestMs, that
    // read whatever the event path has to do: a popup waiting for it is closed only after it.
    const std::uint64_t age = now - entry.since_ms;
    if (!quiet && age < kAddressReadAtLatestMs) return false;
    if (ReadAddress(entry, age >= kAddressTriesForMs)) return true;
    entry.next_try_ms = now + kJudgeHiddenEveryMs;
    return false;
  });
}

void DetectionCycle::ReadWaitingAddressNow(std::uint64_t serial) {
  if (busy_) return;  // inside the event path's own turn, which reads it soon
  const auto waiting =
      std::find_if(waiting_addresses_.begin(), waiting_addresses_.end(),
                   [serial](const WaitingAddress& entry) { return entry.serial == serial; });
  if (waiting == waiting_addresses_.end()) return;
  WaitingAddress entry = *waiting;
  waiting_addresses_.erase(waiting);
  (void)ReadAddress(entry, true);  // the last try always ends the wait
}

bool DetectionCycle::ReadAddress(const WaitingAddress& entry, bool last_try) {
  WindowManager& windows = windows_;
  std::optional<std::string> address;
  if (KindOfClass(windows.ClassName(entry.window, kCensusTextChars)) == WindowKind::kFrame) {
    std::optional<std::string> read =
        last_try ? std::optional(ReadAddressBar(windows, entry.window))
                 : TryReadAddressBar(windows, entry.window, kAddressTryTimeoutMs);
    if (!read) return false;
    address = RecordedAddress(std::move(*read));
  }
  services_.diagnostics.Note("the address of \"" + entry.short_caption + "\" (" +
                             std::to_string(entry.window) + "): " + address.value_or("none"));
  if (hooks_.pelk_address) hooks_.pelk_address(entry.serial, std::move(address));
  if (entry.close) CloseForGood(entry.window);
  return true;
}

void DetectionCycle::CloseWaitingPopups() {
  for (const WaitingAddress& entry : std::exchange(waiting_addresses_, {}))
    if (entry.close) CloseForGood(entry.window);
}

void DetectionCycle::CloseForGood(Hwnd popup) {
  if (IsBrowserWindow(windows_, popup)) windows_.Post(popup, kWmClose, 0, 0);
}

std::optional<Hwnd> DetectionCycle::TakeLastHiddenPopup() {
  const std::optional<Hwnd> popup = std::exchange(last_popup_, std::nullopt);
  if (!popup) return popup;
  pelked_.erase(*popup);
  restored_ = Restored{*popup, std::move(last_popup_caption_)};
  // Shown again, it is a normal window: opaque before the show is asked for.
  if (transparent_) {
    std::erase_if(hiding_, [&](const Hiding& hiding) { return hiding.window == *popup; });
    transparent_->MakeOpaque(*popup);
  }
  return popup;
}

bool DetectionCycle::TakePelkShowTurn() {
  const std::uint64_t now = services_.events.MonotonicMs();
  if (last_show_ms_ && now - *last_show_ms_ < kPelkPauseMs) return false;
  last_show_ms_ = now;
  return true;
}

}  // namespace pelkrin
