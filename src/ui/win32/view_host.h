// The Win32 side of the program's windows: every form gets a real window that mirrors its
// controls and forwards the user's input to their handlers; menus become real pop-up menus.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/menu.h"
#include "ui/view_host.h"

namespace pelkrin::win32 {

class Win32FormView;

class Win32ViewHost : public ViewHost {
 public:
  explicit Win32ViewHost(HINSTANCE instance);
  ~Win32ViewHost() override;

  std::unique_ptr<FormView> CreateView(Form& form) override;
  MenuItem* PopupMenu(MenuItem& menu, const MenuItem* default_item,
                      const std::function<void(MenuItem&)>& on_submenu_open) override;

  // Keyboard navigation of the skinned windows (Tab, mnemonics, Enter, Escape); true when the
  // message was handled and must not be dispatched again.
  bool PreTranslate(MSG& message);

  // Called by a view's window procedure when a submenu of the open pop-up menu is about to
  // show.
  void SubmenuOpening(HMENU submenu);

  HINSTANCE Instance() const { return instance_; }
  void ViewCreated(Win32FormView* view);
  void ViewDestroyed(Win32FormView* view);

 private:
  HWND MenuOwner() const;

  HINSTANCE instance_;
  std::vector<Win32FormView*> views_;
  // While a pop-up menu is open: its submenus and the handler for their opening.
  std::map<HMENU, MenuItem*> open_submenus_;
  const std::function<void(MenuItem&)>* on_submenu_open_ = nullptr;
};

}  // namespace pelkrin::win32
