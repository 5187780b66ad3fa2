// The user, scripted: answers to message boxes and the file-open dialog, each taken from a queue
// the test fills, with everything shown recorded.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pelkrin::sim {

struct ShownMessageBox {
  std::string text;
  std::string title;
  unsigned style = 0;
  int answer = 0;
};

class SimDialogs : public Dialogs {
 public:
  // Records the box, takes its answer (the next queued one, else the button Enter would press:
  // the default button the style names, the first button without one), runs the OnShow hook
  // while the box is "open", and returns the answer.
  int MessageBox(const std::string& text, const std::string& title, unsigned style) override;
  // Records the request and returns the next queued answer; an empty queue cancels.
  [[nodiscard]] std::optional<std::string> OpenFile(const FileDialogRequest& request) override;

  // Answers for the next boxes, in the order the boxes open.
  void AnswerNext(int answer) { answers_.push_back(answer); }
  void AnswerFileNext(std::optional<std::string> path) { file_answers_.push_back(std::move(path)); }
  // Runs while each box is open; a test lets time pass here (timers keep firing under a box).
  void OnShow(std::function<void()> hook) { on_show_ = std::move(hook); }

  const std::vector<ShownMessageBox>& Shown() const { return shown_; }
  const std::vector<FileDialogRequest>& FileRequests() const { return file_requests_; }
  std::size_t UnusedAnswers() const { return answers_.size() + file_answers_.size(); }
  int OpenBoxes() const { return open_boxes_; }  // boxes open right now (nested ones counted)

  // The answer Enter gives for a box of this style.
  static int DefaultAnswer(unsigned style);

 private:
  std::deque<int> answers_;
  std::deque<std::optional<std::string>> file_answers_;
  std::function<void()> on_show_;
  std::vector<ShownMessageBox> shown_;
  std::vector<FileDialogRequest> file_requests_;
  int open_boxes_ = 0;
};

}  // namespace pelkrin::sim
