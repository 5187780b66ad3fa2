#include "ui/win32/view_host.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/win32/diagnostics.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32_platform.h"
#include "ui/form.h"
#include "ui/win32/form_view.h"
#include "ui/win32/rain_button.h"

namespace pelkrin::win32 {
namespace {

// Menu items without a command number of their own get one from here while the menu is open.
constexpr UINT kFirstSpareMenuId = 0x8000;

// The pointer counts as on the icon this far around it: it may move a little between the click
// and the moment the menu opens.
constexpr int kIconSlackPx = 4;

// NOTIFYICONIDENTIFIER of Windows 7, declared here because the program is built for Windows XP
// and takes Shell_NotifyIconGetRect from shell32 only where it exists.
struct NotifyIconIdentifier {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  GUID guidItem;
};
using NotifyIconGetRect = HRESULT(WINAPI*)(const NotifyIconIdentifier*, RECT*);

std::optional<RECT> IconRect(HWND icon_window, UINT icon_id) {
  static const NotifyIconGetRect get_rect = [] {
    const HMODULE shell = GetModuleHandleA("shell32.dll");
    const FARPROC found = shell ? GetProcAddress(shell, "Shell_NotifyIconGetRect") : nullptr;
    return reinterpret_cast<NotifyIconGetRect>(reinterpret_cast<void (*)()>(found));
  }();
  if (!get_rect) return std::nullopt;
  NotifyIconIdentifier identifier{sizeof identifier, icon_window, icon_id, GUID{}};
  RECT rect{};
  if (FAILED(get_rect(&identifier, &rect)) || IsRectEmpty(&rect)) return std::nullopt;
  return rect;
}

// Without the icon's own place: the taskbar. A pointer anywhere on it may have clicked the icon;
// the menu from the keyboard goes to the notification area, the taskbar's own window for it on
// Windows, and under Wine, which paints the icons onto the taskbar from its right end, that end.
struct TaskbarPlace {
  RECT taskbar;
  RECT icons;
};
std::optional<TaskbarPlace> FindTaskbar() {
  HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
  TaskbarPlace place{};
  if (!taskbar || !IsWindowVisible(taskbar) || !GetWindowRect(taskbar, &place.taskbar))
    return std::nullopt;
  if (HWND notify = FindWindowExA(taskbar, nullptr, "TrayNotifyWnd", nullptr);
      notify && IsWindowVisible(notify) && GetWindowRect(notify, &place.icons))
    return place;
  place.icons = place.taskbar;
  place.icons.left = std::max(place.icons.left, place.icons.right - 1);
  return place;
}

HMENU BuildMenu(MenuItem& menu, std::map<UINT, MenuItem*>& ids,
                std::map<HMENU, MenuItem*>& submenus, UINT& next_id) {
  HMENU handle = CreatePopupMenu();
  if (!handle) return nullptr;
  for (const auto& child : menu.Children()) {
    MenuItem& item = *child;
    if (item.IsSeparator()) {
      AppendMenuA(handle, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item.Checked() ? MF_CHECKED : 0) | (item.Enabled() ? 0 : MF_GRAYED);
    if (!item.Children().empty()) {
      HMENU submenu = BuildMenu(item, ids, submenus, next_id);
      if (!submenu) continue;
      submenus[submenu] = &item;
      AppendMenuA(handle, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                  item.Caption().c_str());
      continue;
    }
    const UINT id = item.Command() != 0 ? item.Command() : next_id++;
    ids[id] = &item;
    AppendMenuA(handle, flags, id, item.Caption().c_str());
  }
  return handle;
}

}  // namespace

// The button's window class is registered with the first button (CreateRainButton): its
// cursor is the first thing that needs the display driver, whose start the tray icon would wait
// for.
Win32ViewHost::Win32ViewHost(HINSTANCE instance) : instance_(instance) {}

Win32ViewHost::~Win32ViewHost() = default;

std::unique_ptr<FormView> Win32ViewHost::CreateView(Form& form) {
  return std::make_unique<Win32FormView>(*this, form);
}

void Win32ViewHost::ViewCreated(Win32FormView* view) { views_.push_back(view); }

void Win32ViewHost::ViewDestroyed(Win32FormView* view) {
  views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

HWND Win32ViewHost::MenuOwner() const {
  // The window in front, when it is one of ours (a list menu over the Allow/Block window);
  // otherwise the hidden main window, as for the tray menu.
  HWND front = GetForegroundWindow();
  HWND main = nullptr;
  for (const Win32FormView* view : views_) {
    if (view->Window() == front && front && IsWindowVisible(front)) return front;
    if (!view->IsSkinned()) main = view->Window();
  }
  return main;
}

MenuItem* Win32ViewHost::PopupMenu(MenuItem& menu, const MenuItem* default_item,
                                   const std::function<void(MenuItem&)>& on_submenu_open) {
  HWND owner = MenuOwner();
  if (!owner) return nullptr;
  std::map<UINT, MenuItem*> ids;
  std::map<HMENU, MenuItem*> submenus;
  UINT next_id = kFirstSpareMenuId;
  ScopedMenu handle(BuildMenu(menu, ids, submenus, next_id));
  if (!handle) return nullptr;
  for (const auto& [id, item] : ids)
    if (item == default_item) SetMenuDefaultItem(handle.Get(), id, FALSE);

  POINT point{};
  UINT align = TPM_TOPALIGN;
  if (next_menu_point_) {
    point = *std::exchange(next_menu_point_, std::nullopt);
    if (std::exchange(next_menu_above_, false)) align = TPM_BOTTOMALIGN;
  } else {
    GetCursorPos(&point);
  }
  // The menu only closes on a click elsewhere when its owner is the foreground window.
  SetForegroundWindow(owner);
  // A menu can open while another one waits (a survey's message box, a nested command):
  // keep the outer menu's state and put it back afterwards.
  auto saved_submenus = std::exchange(open_submenus_, std::move(submenus));
  auto saved_handler = std::exchange(on_submenu_open_, &on_submenu_open);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(handle.Get(), TPM_LEFTALIGN | align | TPM_LEFTBUTTON | TPM_RETURNCMD, point.x,
                     point.y, 0, owner, nullptr));
  open_submenus_ = std::move(saved_submenus);
  on_submenu_open_ = saved_handler;
  PostMessageA(owner, WM_NULL, 0, 0);

  auto it = ids.find(chosen);
  return it == ids.end() ? nullptr : it->second;
}

MenuItem* Win32ViewHost::TrayIconMenu(const TrayIconId& icon, MenuItem& menu,
                                      const MenuItem* default_item,
                                      const std::function<void(MenuItem&)>& on_submenu_open) {
  if (!next_menu_point_) {
    if (const std::optional<TrayMenuPlace> at =
            TrayMenuPointFromKeyboard(ToHwnd(icon.window), static_cast<UINT>(icon.id))) {
      next_menu_point_ = at->point;
      next_menu_above_ = at->above;
    }
  }
  return PopupMenu(menu, default_item, on_submenu_open);
}

std::optional<TrayMenuPlace> TrayMenuPointFromKeyboard(HWND icon_window, UINT icon_id) {
  POINT pointer{};
  if (!GetCursorPos(&pointer)) return std::nullopt;
  RECT clicked{};  // where a click on the icon leaves the pointer
  RECT icon{};     // where the menu goes from the keyboard
  if (const std::optional<RECT> found = IconRect(icon_window, icon_id)) {
    icon = clicked = *found;
    InflateRect(&clicked, kIconSlackPx, kIconSlackPx);
  } else if (const std::optional<TaskbarPlace> taskbar = FindTaskbar()) {
    clicked = taskbar->taskbar;
    icon = taskbar->icons;
  } else {
    return std::nullopt;  // no taskbar to be seen: the pointer is as good as anywhere
  }
  if (PtInRect(&clicked, pointer)) return std::nullopt;
  // Beside the icon on the side that faces the middle of the screen, so that the menu opens
  // over the desktop rather than over the taskbar.
  const bool lower_half = icon.top + icon.bottom > GetSystemMetrics(SM_CYSCREEN);
  return TrayMenuPlace{POINT{icon.left, lower_half ? icon.top : icon.bottom}, lower_half};
}

void Win32ViewHost::SubmenuOpening(HMENU submenu) {
  auto it = open_submenus_.find(submenu);
  if (it == open_submenus_.end() || !on_submenu_open_ || !*on_submenu_open_) return;
  (*on_submenu_open_)(*it->second);
}

bool Win32ViewHost::PreTranslate(MSG& message) {
  if (!message.hwnd) return false;
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  for (Win32FormView* view : views_) {
    if (view->Window() != root || !view->IsSkinned()) continue;
    if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST)
      view->RelayToolTip(message);
    return IsDialogMessageA(root, &message);
  }
  return false;
}

}  // namespace pelkrin::win32
