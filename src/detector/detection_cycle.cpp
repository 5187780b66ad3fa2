#include "detector/detection_cycle.h"

#include <exception>
#include <new>
#include <stdexcept>

#include "app/handle_text.h"
#include "detector/ctrl_override.h"
#include "detector/window_readers.h"

namespace pelkrin {
namespace {

constexpr char kBlockRequestKey[] = "block_tmp";
constexpr char kFailureTitle[] = "Pelkrin Error ";
constexpr unsigned kFailureBoxStyle = 0x1030;  // exclamation, system-modal

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

DetectionCycle::DetectionCycle(Services services, AllowLists lists, DetectorFields fields,
                               DetectorHooks hooks)
    : services_(services),
      lists_(lists),
      fields_(fields),
      hooks_(std::move(hooks)) {}

void DetectionCycle::Survey() {
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
  PickUpBlockRequest();
  TakeCensus();
  for (const CensusWindow& entry : census_)
    if (entry.frame) fields_.List2.AddItem(entry.caption);

  const DetectionSwitches switches = hooks_.switches ? hooks_.switches() : DetectionSwitches{};
  WindowManager& windows = services_.windows;
  if (switches.adware) {
    Hwnd dialog = kNoWindow;
    if (std::optional<std::string> marked = MarkAdwareDialog(windows, &dialog)) {
      fields_.List2.AddItem(*marked);
      // The lookup below finds the dialog by its new caption.
      bool known = false;
      for (CensusWindow& entry : census_) {
        if (entry.window != dialog) continue;
        entry.caption = *marked;
        known = true;
      }
      if (!known) census_.push_back(CensusWindow{dialog, *marked, false});
    }
  }
  // Each candidate is looked up by its caption: index the census once.
  by_caption_.clear();
  for (std::size_t index = 0; index < census_.size(); ++index)
    by_caption_[census_[index].caption].push_back(index);

  const int count = fields_.List2.ListCount();
  for (int i = 0; i < count; ++i) {
    const std::string caption = fields_.List2.List(i);
    const Hwnd window = LookUp(caption);
    if (window == kNoWindow) continue;
    if (caption.find(kCtrlMark) != std::string::npos) continue;
    if (switches.flash) HideFlash(window);

    Verdict verdict = Classify(windows, window, caption, lists_, switches);
    if (verdict.rule == PopupRule::kAdwareMark) fields_.List2.SetItem(i, verdict.caption);
    if (!verdict.ShouldPelk()) continue;
    Pelk(window, verdict);
  }
}

void DetectionCycle::PickUpBlockRequest() {
  SettingsStore& settings = services_.settings;
  if (settings.ReadSetting(kBlockRequestKey).empty()) return;
  // Read again: block.exe may have written a newer request in between.
  lists_.blocks.AddItem(settings.ReadSetting(kBlockRequestKey));
  settings.WriteSetting(kBlockRequestKey, "");
}

void DetectionCycle::TakeCensus() {
  census_.clear();
  std::size_t frames = 0;
  std::size_t last_frame = 0;  // index in census_ of the last frame
  WindowManager& windows = services_.windows;
  windows.EnumTopLevel([&](Hwnd window) {
    // A window that vanishes or fails half-way is skipped; the enumeration always goes on.
    try {
      const std::string class_name = windows.ClassName(window, kCensusTextChars);
      const bool frame = StartsWith(class_name, kBrowserFrameClassPrefix);
      if (!frame && class_name != kHtmlDialogClass) return true;
      // Only browser windows need their caption: the others are never looked at again.
      CensusWindow entry{window, windows.Caption(window, kCensusTextChars), frame};
      if (frame && frames == kMaxCensus) {
        census_[last_frame] = std::move(entry);  // full: each further caption takes the last place
        return true;
      }
      if (frame) {
        ++frames;
        last_frame = census_.size();
      }
      census_.push_back(std::move(entry));
    } catch (const std::exception& failure) {
      services_.diagnostics.Trace(std::string("the census skipped a window: ") + failure.what());
    }
    return true;
  });
}

Hwnd DetectionCycle::LookUp(const std::string& caption) {
  WindowManager& windows = services_.windows;
  const auto found = by_caption_.find(caption);
  if (found == by_caption_.end()) return kNoWindow;
  for (const std::size_t index : found->second) {
    const CensusWindow& entry = census_[index];
    // Still there, still showing, still under that caption: a hidden popup with the same
    // caption must not shadow a new one, and a window that was retitled is someone else now.
    if (!windows.IsVisible(entry.window)) continue;
    if (windows.Caption(entry.window, kCensusTextChars) != caption) continue;
    return entry.window;
  }
  return kNoWindow;
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

void DetectionCycle::Pelk(Hwnd window, const Verdict& verdict) {
  WindowManager& windows = services_.windows;
  const Hwnd previous = HandleFromText(fields_.TextHnd.Text());
  if (previous == window) {
    // Pelked already, and still showing: its program has not taken the hide yet (it stopped
    // answering). Ask again; it is not a new popup, so it is not reported or paused for again.
    windows.Show(window, kSwHide);
    return;
  }
  services_.diagnostics.Note("pelked \"" + verdict.short_caption + "\" (" + HandleToText(window) +
                             "): " + Describe(verdict));
  // The pelk event runs now, inside this call, and empties the signal again.
  if (fields_.Text2.Text().empty()) fields_.Text2.SetText(verdict.short_caption);
  // The previous hidden popup closes for good, if it is still a browser window: its handle may
  // have passed to another program's window since.
  if (previous != kNoWindow && IsBrowserWindow(windows, previous))
    windows.Post(previous, kWmClose, 0, 0);
  fields_.TextHnd.SetText(HandleToText(window));
  windows.Show(window, kSwHide);
  services_.events.Sleep(kPelkPauseMs);
}

}  // namespace pelkrin
