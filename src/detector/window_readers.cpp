#include "detector/window_readers.h"

#include <algorithm>

namespace pelkrin {

std::string ReadCaption(WindowManager& windows, Hwnd window) {
  if (window == kNoWindow) return {};
  // The length is the whole count, not a 16-bit one: a caption of more than 32767 characters
  // is read like any other.
  const int length = std::min(windows.CaptionLength(window), kMaxCaptionChars);
  if (length <= 0) return {};
  return windows.Caption(window, length + 1);
}

Hwnd FindChildByClass(WindowManager& windows, Hwnd parent, std::string_view class_name) {
  if (parent == kNoWindow) return kNoWindow;
  // The first read passes 255 characters, the following ones 260: class names are at most 256.
  int buffer_chars = 255;
  for (Hwnd child = windows.FirstChild(parent); child != kNoWindow;
       child = windows.NextSibling(child)) {
    if (windows.ClassName(child, buffer_chars) == class_name) return child;
    buffer_chars = 260;
  }
  return kNoWindow;
}

namespace {

constexpr char kNone[] = " ";  // what an unanswered read leaves in its one-blank buffer

// The control's text, or the answers it did not give: none to its length, or none to its text
// after the length it claimed.
struct ControlText {
  std::optional<long> length;
  std::optional<std::string> text;
};

ControlText AskControlText(WindowManager& windows, Hwnd control, unsigned timeout_ms) {
  ControlText answer;
  const std::optional<long> claimed = windows.SendGetTextLength(control, timeout_ms);
  if (!claimed) return answer;
  answer.length = std::clamp(*claimed, 0L, kMaxControlTextChars);
  answer.text =
      windows.SendGetText(control, static_cast<std::size_t>(*answer.length) + 1, timeout_ms);
  if (answer.text)
    answer.text->erase(std::remove(answer.text->begin(), answer.text->end(), '\0'),
                       answer.text->end());
  return answer;
}

Hwnd AddressBarOf(WindowManager& windows, Hwnd frame) {
  Hwnd link = FindChildByClass(windows, frame, "WorkerA");
  if (link == kNoWindow) link = FindChildByClass(windows, frame, "WorkerW");
  for (const char* class_name : {"ReBarWindow32", "ComboBoxEx32", "ComboBox", "Edit"})
    link = FindChildByClass(windows, link, class_name);
  return link;
}

}  // namespace

std::string ReadControlText(WindowManager& windows, Hwnd control) {
  ControlText answer = AskControlText(windows, control, kControlTextTimeoutMs);
  if (!answer.length) return kNone;
  if (answer.text) return std::move(*answer.text);
  return *answer.length == 0 ? kNone
                             : std::string(static_cast<std::size_t>(*answer.length) + 1, ' ');
}

std::string ReadAddressBar(WindowManager& windows, Hwnd frame) {
  if (frame == kNoWindow) return {};
  return ReadControlText(windows, AddressBarOf(windows, frame));
}

std::optional<std::string> TryReadAddressBar(WindowManager& windows, Hwnd frame,
                                             unsigned timeout_ms) {
  if (frame == kNoWindow) return std::string();
  const Hwnd bar = AddressBarOf(windows, frame);
  if (bar == kNoWindow) return kNone;  // no bar to ask: nothing to wait for
  return AskControlText(windows, bar, timeout_ms).text;
}

Hwnd FindFlashControl(WindowManager& windows, Hwnd frame) {
  Hwnd link = frame;
  for (const std::string class_name :
       {"Shell DocObject View", "Internet Explorer_Server", kFlashClass}) {
    if (link == kNoWindow) break;
    link = windows.FindChild(link, kNoWindow, &class_name, nullptr);
  }
  return link;
}

}  // namespace pelkrin
