#include "detector/pelk_recorder.h"

#include <utility>

#include "detector/window_readers.h"

namespace pelkrin {

std::string_view PelkReason(PopupRule rule) {
  switch (rule) {
    case PopupRule::kBlockList:
      return "On the block list";
    case PopupRule::kAdwareMark:
      return "Adware dialog";
    case PopupRule::kNoMaximizeBox:
      return "No maximize box";
    case PopupRule::kNoMinimizeBox:
      return "No minimize box";
    case PopupRule::kNoTitleBar:
      return "No title bar";
    case PopupRule::kHiddenToolbars:
      return "No toolbars";
    case PopupRule::kNone:
      break;
  }
  return "Not a popup";
}

std::optional<std::string> RecordedAddress(std::string read) {
  if (read.find_first_not_of(' ') == std::string::npos) return std::nullopt;
  return read;
}

bool AddressToRead(const PelkRecord& record, const Verdict& verdict) {
  return !verdict.address && record.window_class != kHtmlDialogClass;
}

PelkRecord RecordPelk(WindowManager& windows, Hwnd window, const Verdict& verdict,
                      bool read_address) {
  PelkRecord record;
  record.short_caption = verdict.short_caption;
  record.caption = verdict.caption;
  record.reason = PelkReason(verdict.rule);
  record.window = window;
  record.window_class = windows.ClassName(window, 260);
  if (verdict.address) {
    record.address = RecordedAddress(*verdict.address);
  } else if (read_address && AddressToRead(record, verdict)) {
    record.address = RecordedAddress(ReadAddressBar(windows, window));
  }
  return record;
}

}  // namespace pelkrin
