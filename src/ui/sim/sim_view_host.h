// The program's windows on the simulated desktop: there is no screen, so forms get no views and
// run on their own; pop-up menus are answered by the scripted user, from a queue the test fills,
// with every menu shown recorded.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/menu.h"
#include "ui/view_host.h"

namespace pelkrin::sim {

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
