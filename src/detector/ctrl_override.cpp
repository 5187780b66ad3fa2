#include "detector/ctrl_override.h"

#include <set>
#include <string>

#include "detector/popup_rules.h"
#include "detector/window_readers.h"

namespace pelkrin {
namespace {

// One close pass over the top-level windows of `class_name` (exactly that class).
void ClosePass(WindowManager& windows, const std::string& class_name, std::set<Hwnd>& sent) {
  Hwnd first = kNoWindow;
  Hwnd target = kNoWindow;
  for (Hwnd window = windows.FindChild(kNoWindow, kNoWindow, &class_name, nullptr);
       window != kNoWindow; window = windows.FindChild(kNoWindow, window, &class_name, nullptr)) {
    if (first == kNoWindow) first = window;
    if (!sent.contains(window)) {
      target = window;
      break;
    }
  }
  if (target == kNoWindow) target = first;  // every one has had WM_CLOSE: ask the first again
  if (target == kNoWindow) return;
  windows.Post(target, kWmClose, 0, 0);
  sent.insert(target);
}

}  // namespace

void AddCtrlMark(WindowManager& windows, Hwnd frame) {
  const std::string caption = ReadCaption(windows, frame);
  if (caption.find(kCtrlMark) != std::string::npos) return;
  windows.SetCaption(frame, caption + kCtrlMark);
}

bool CtrlOverride(WindowManager& windows) {
  if (!windows.IsKeyDown(kVkControl)) return false;
  static const std::string frame_class = kBrowserFrameClassPrefix;
  const Hwnd front = windows.FindTopLevel(&frame_class, nullptr);
  if (front != kNoWindow) AddCtrlMark(windows, front);
  return true;
}

void KillAllIeWindows(WindowManager& windows, EventLoop& events, Sounds& sounds) {
  sounds.PlayClickSound();
  std::set<Hwnd> sent;
  const std::string frame_class = kBrowserFrameClassPrefix;
  for (int pass = 0; pass < kFrameClosePasses; ++pass) {
    ClosePass(windows, frame_class, sent);
    Wait(events, kClosePassPauseSeconds);
  }
  const std::string dialog_class = kHtmlDialogClass;
  for (int pass = 0; pass < kDialogClosePasses; ++pass) {
    ClosePass(windows, dialog_class, sent);
    Wait(events, kClosePassPauseSeconds);
  }
}

}  // namespace pelkrin
