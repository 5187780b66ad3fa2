// Menus as the program defines them: a tree of items with captions, check marks and click
// handlers. The view host turns a tree into a real pop-up menu when one is shown.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pelkrin {

class MenuItem {
 public:
  // A separator is an item whose caption is "-".
  MenuItem(std::string name, std::string caption, std::uint16_t command = 0)
      : name_(std::move(name)), caption_(std::move(caption)), command_(command) {}
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  // A line that says something about what the menu acts on changes with it.
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  std::uint16_t Command() const { return command_; }
  bool IsSeparator() const { return caption_ == "-"; }

  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { checked_ = checked; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }

  // Appends a child and returns it; an item with children is a submenu.
  MenuItem& Add(std::string name, std::string caption, std::uint16_t command = 0) {
    children_.push_back(std::make_unique<MenuItem>(std::move(name), std::move(caption), command));
    return *children_.back();
  }
  MenuItem& AddSeparator() { return Add("", "-"); }
  const std::vector<std::unique_ptr<MenuItem>>& Children() const { return children_; }

  // Depth-first search of this item and its descendants.
  MenuItem* FindByName(const std::string& name) {
    if (name_ == name) return this;
    for (auto& child : children_)
      if (MenuItem* found = child->FindByName(name)) return found;
    return nullptr;
  }
  MenuItem* FindByCommand(std::uint16_t command) {
    if (command_ != 0 && command_ == command) return this;
    for (auto& child : children_)
      if (MenuItem* found = child->FindByCommand(command)) return found;
    return nullptr;
  }

  // Runs the item's command, as a click on it does.
  void Click() {
    if (on_click) on_click();
  }
  std::function<void()> on_click;

 private:
  std::string name_;
  std::string caption_;
  std::uint16_t command_;
  bool checked_ = false;
  bool enabled_ = true;
  std::vector<std::unique_ptr<MenuItem>> children_;
};

}  // namespace pelkrin
