// The program's windows on the simulated desktop: there is no screen, so a form's view draws
// nothing; it activates the form when the form is shown, as the desktop does with a window the
// program in front shows, and it knows when the form's window procedure is running. Pop-up menus
// are answered by the scripted user, from a queue the test fills, with every menu shown recorded.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/menu.h"
#include "ui/view_host.h"

namespace pelkrin::sim {

class SimViewHost : public ViewHost {
 public:
  // A view without a window that activates the form whenever it is shown. Its handle is a number
  // of its own that names no window of the simulated desktop.
  std::unique_ptr<FormView> CreateView(Form& form) override;
  // Takes the next queued choice by item name ("" or an empty queue dismisses the menu). The
  // user opens each submenu on the way to the item (on_submenu_open runs for each, outermost
  // first, and may fill it); an item that only appears when its submenu opens is found by
  // opening the submenus in order. A disabled item, a separator or a submenu itself cannot be
  // chosen: the menu is dismissed. An unknown name throws std::invalid_argument (a test error).
  MenuItem* PopupMenu(MenuItem& menu, const MenuItem* default_item,
                      const std::function<void(MenuItem&)>& on_submenu_open) override;

  // Records the icon, then answers as PopupMenu does.
  MenuItem* TrayIconMenu(const TrayIconId& icon, MenuItem& menu, const MenuItem* default_item,
                         const std::function<void(MenuItem&)>& on_submenu_open) override;

  void ChooseNext(std::string item_name) { choices_.push_back(std::move(item_name)); }

  // Runs `input` as the window procedure of the form's window runs the user's input (a click on
  // one of its buttons, a key): a view destroyed meanwhile is destroyed inside its own window
  // procedure, which a real window must never be, and is recorded.
  void DeliverInput(Form& form, const std::function<void()>& input);
  // Names of the forms whose view went inside its own window procedure.
  const std::vector<std::string>& DestroyedInTheirOwnHandler() const { return destroyed_inside_; }

  struct MenuShown {
    MenuItem* menu;
    const MenuItem* default_item;
    std::string chosen;                // "" when dismissed
    std::optional<TrayIconId> tray_icon;  // set for the menu of a notification-area icon
  };
  const std::vector<MenuShown>& MenusShown() const { return menus_shown_; }
  int ViewsRequested() const { return views_requested_; }
  std::size_t UnusedChoices() const { return choices_.size(); }

 private:
  friend class SimFormView;
  void ViewDestroyed(const FormView* view, const std::string& form_name);

  std::deque<std::string> choices_;
  std::vector<MenuShown> menus_shown_;
  int views_requested_ = 0;
  Hwnd next_view_handle_ = 0x7F000010;
  std::vector<std::pair<const Form*, const FormView*>> views_;
  std::vector<const FormView*> handling_;  // views whose window procedure runs, innermost last
  std::vector<std::string> destroyed_inside_;
};

}  // namespace pelkrin::sim
