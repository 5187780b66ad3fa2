// The Win32 side of the program's windows: every form gets a real window that mirrors its
// controls and forwards the user's input to their handlers; menus become real pop-up menus.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
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
  MenuItem* TrayIconMenu(const TrayIconId& icon, MenuItem& menu, const MenuItem* default_item,
                         const std::function<void(MenuItem&)>& on_submenu_open) override;

  // Keyboard navigation of the skinned windows (Tab, mnemonics, Enter, Escape); true when the
  // message was handled and must not be dispatched again.
  bool PreTranslate(MSG& message);

  // Called by a view's window procedure when a submenu of the open pop-up menu is about to
  // show.
  void SubmenuOpening(HMENU submenu);

  // The next pop-up menu opens at this point of the screen instead of at the mouse pointer: a
  // menu opened from the keyboard belongs beside the entry it acts on. The point holds for one
  // menu; a view forgets it after raising the event that may open one, in case none opened.
  void SetNextMenuPoint(POINT screen_point) { next_menu_point_ = screen_point; }
  void ForgetNextMenuPoint() {
    next_menu_point_.reset();
    next_menu_above_ = false;
  }

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
  std::optional<POINT> next_menu_point_;
  bool next_menu_above_ = false;  // the next menu's bottom edge goes at the point
};

// Where the menu of a notification-area icon opens when the mouse pointer is not over the icon:
// the user opened it from the keyboard (the shell then sends the icon the same button messages as
// a click). At the icon, when the shell says where it is (Windows 7 and later); otherwise at the
// taskbar's notification area. nullopt while the pointer is on the icon (or, where the icon's
// place is unknown, on the taskbar): the menu opens at the pointer.
struct TrayMenuPlace {
  POINT point;
  bool above;  // the menu's bottom edge at the point: the icon is in the lower half
};
std::optional<TrayMenuPlace> TrayMenuPointFromKeyboard(HWND icon_window, UINT icon_id);

// Sets the host's next menu point for as long as it lives, and forgets it afterwards.
class NextMenuPoint {
 public:
  NextMenuPoint(Win32ViewHost& host, std::optional<POINT> screen_point) : host_(host) {
    if (screen_point) host_.SetNextMenuPoint(*screen_point);
  }
  NextMenuPoint(const NextMenuPoint&) = delete;
  NextMenuPoint& operator=(const NextMenuPoint&) = delete;
  ~NextMenuPoint() { host_.ForgetNextMenuPoint(); }

 private:
  Win32ViewHost& host_;
};

}  // namespace pelkrin::win32
