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

std::string ReadControlText(WindowManager& windows, Hwnd control) {
  const std::string none = " ";  // what an unanswered read leaves in its one-blank buffer
  const std::optional<long> claimed = windows.SendGetTextLength(control, kControlTextTimeoutMs);
  if (!claimed) return none;
  const long length = std::clamp(*claimed, 0L, kMaxControlTextChars);
  std::optional<std::string> text =
      windows.SendGetText(control, static_cast<std::size_t>(length) + 1, kControlTextTimeoutMs);
  if (!text) return length == 0 ? none : std::string(static_cast<std::size_t>(length) + 1, ' ');
  text->erase(std::remove(text->begin(), text->end(), '\0'), text->end());
  return *text;
}

std::string ReadAddressBar(WindowManager& windows, Hwnd frame) {
  if (frame == kNoWindow) return {};
  Hwnd link = FindChildByClass(windows, frame, "WorkerA");
  if (link == kNoWindow) link = FindChildByClass(windows, frame, "WorkerW");
  for (const char* class_name : {"ReBarWindow32", "ComboBoxEx32", "ComboBox", "Edit"})
    link = FindChildByClass(windows, link, class_name);
  return ReadControlText(windows, link);
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
