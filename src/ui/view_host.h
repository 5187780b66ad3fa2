// The program's own windows on a screen: each form gets a view from the host, and pop-up menus
// are shown through it. A host without views (the simulated one of the tests) returns nullptr
// and the forms run on their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/platform.h"

namespace pelkrin {

class Form;
class MenuItem;

// A notification-area icon as the shell knows it: the window its messages go to, and its number.
struct TrayIconId {
  Hwnd window = kNoWindow;
  std::uint32_t id = 0;
};

class FormView {
 public:
  virtual ~FormView() = default;
  virtual Hwnd Handle() const = 0;
};

class ViewHost {
 public:
  virtual ~ViewHost() = default;
  virtual std::unique_ptr<FormView> CreateView(Form& form) = 0;
  // Shows a pop-up menu at the mouse position with `default_item` in bold and returns the
  // item the user chose (nullptr when the menu was dismissed). Opening a submenu calls
  // `on_submenu_open` with that submenu.
  virtual MenuItem* PopupMenu(MenuItem& menu, const MenuItem* default_item,
                              const std::function<void(MenuItem&)>& on_submenu_open) = 0;
  // The same for the menu of a notification-area icon. Opened by a click on the icon it appears
  // at the mouse pointer; opened from the keyboard (the notification area's focus is on the
  // icon, the pointer may be anywhere) it appears at the icon.
  virtual MenuItem* TrayIconMenu(const TrayIconId& /*icon*/, MenuItem& menu,
                                 const MenuItem* default_item,
                                 const std::function<void(MenuItem&)>& on_submenu_open) {
    return PopupMenu(menu, default_item, on_submenu_open);
  }
};

}  // namespace pelkrin
