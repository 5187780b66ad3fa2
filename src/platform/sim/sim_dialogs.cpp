#include "platform/sim/sim_dialogs.h"

namespace pelkrin::sim {

namespace {

// The buttons of each message-box type (the low four style bits), left to right.
const std::vector<int>& Buttons(unsigned style) {
  static const std::vector<int> kButtons[] = {
      {kIdOk},                     // MB_OK
      {kIdOk, kIdCancel},          // MB_OKCANCEL
      {3, 4, 5},                   // MB_ABORTRETRYIGNORE: Abort, Retry, Ignore
      {kIdYes, kIdNo, kIdCancel},  // MB_YESNOCANCEL
      {kIdYes, kIdNo},             // MB_YESNO
      {4, kIdCancel},              // MB_RETRYCANCEL
      {kIdCancel, 10, 11},         // MB_CANCELTRYCONTINUE: Cancel, Try Again, Continue
  };
  const unsigned type = style & 0xF;
  return type < std::size(kButtons) ? kButtons[type] : kButtons[0];
}

}  // namespace

int SimDialogs::DefaultAnswer(unsigned style) {
  const std::vector<int>& buttons = Buttons(style);
  const unsigned default_button = (style >> 8) & 0xF;  // MB_DEFBUTTON2 = 0x100, ...
  return default_button < buttons.size() ? buttons[default_button] : buttons.front();
}

int SimDialogs::MessageBox(const std::string& text, const std::string& title, unsigned style) {
  int answer = DefaultAnswer(style);
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  shown_.push_back(ShownMessageBox{text, title, style, answer});
  ++open_boxes_;
  struct Closed {
    int& open;
    ~Closed() { --open; }
  } closed{open_boxes_};
  if (on_show_) {
    const auto hook = on_show_;  // the hook may replace itself
    hook();
  }
  return answer;
}

std::optional<std::string> SimDialogs::OpenFile(const FileDialogRequest& request) {
  file_requests_.push_back(request);
  if (file_answers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(file_answers_.front());
  file_answers_.pop_front();
  return answer;
}

}  // namespace pelkrin::sim
