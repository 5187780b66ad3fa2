// The user, scripted: answers to message boxes and the file-open dialog, and choices in pop-up
// menus, each taken from a queue the test fills, with everything shown recorded.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "ui/menu.h"

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
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override;

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

class SimViewHost : public ViewHost {
 public:
  // There are no windows to show forms in: forms run on their own.
  std::unique_ptr<FormView> CreateView(Form& form) override;
  // Takes the next queued choice by item name ("" or an empty queue dismisses the menu). The
  // user opens each submenu on the way to the item (on_submenu_open runs for each, outermost
  // first, and may fill it); an item that only appears when its submenu opens is found by
  // opening the submenus in order. A disabled item, a separator or a submenu itself cannot be
  // chosen: the menu is dismissed. An unknown name throws std::invalid_argument (a test error).
  MenuItem* PopupMenu(MenuItem& menu, const MenuItem* default_item,
                      const std::function<void(MenuItem&)>& on_submenu_open) override;

  void ChooseNext(std::string item_name) { choices_.push_back(std::move(item_name)); }

  struct MenuShown {
    MenuItem* menu;
    const MenuItem* default_item;
    std::string chosen;  // "" when dismissed
  };
  const std::vector<MenuShown>& MenusShown() const { return menus_shown_; }
  int ViewsRequested() const { return views_requested_; }
  std::size_t UnusedChoices() const { return choices_.size(); }

 private:
  std::deque<std::string> choices_;
  std::vector<MenuShown> menus_shown_;
  int views_requested_ = 0;
};

}  // namespace pelkrin::sim
