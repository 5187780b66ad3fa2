#include "tray/tray_icon.h"

#include <algorithm>
#include <cstring>

namespace pelkrin {
namespace {

constexpr std::uint32_t kWmMouseMove = 0x200;
constexpr std::uint32_t kWmLButtonDown = 0x201;
constexpr std::uint32_t kWmLButtonUp = 0x202;
constexpr std::uint32_t kWmLButtonDblClk = 0x203;
constexpr std::uint32_t kWmRButtonDown = 0x204;
constexpr std::uint32_t kWmRButtonUp = 0x205;
constexpr std::uint32_t kWmRButtonDblClk = 0x206;

// The tip as the record holds it: at most 63 characters, a NUL, then blanks to the end.
void FillTip(char (&field)[64], const std::string& tip) {
  std::memset(field, ' ', sizeof field);
  const std::size_t length = std::min(tip.size(), kTrayTipMaxChars);
  std::memcpy(field, tip.data(), length);
  field[length] = '\0';
}

}  // namespace

TrayIcon::TrayIcon(NotifyArea& notify, Diagnostics& diagnostics)
    : notify_(notify), diagnostics_(diagnostics) {
  window_ = notify_.CreateIconWindow(kTrayWindowClass);
  // Without its window the icon cannot be added: the shell refuses every request.
  if (window_ == kNoWindow) diagnostics_.Trace("the tray icon's window could not be created");
  taskbar_created_ = notify_.TaskbarCreatedMessage();
}

TrayIcon::~TrayIcon() {
  SetInTray(false);
  notify_.DestroyIconWindow(window_);
}

NotifyIconRecord TrayIcon::NewRecord() const {
  NotifyIconRecord record;
  record.window = window_;
  record.id = icon_id_;
  return record;
}

void TrayIcon::SetInTray(bool in_tray) {
  if (in_tray == in_tray_) return;
  if (in_tray) {
    notify_.SetMessageHandler(window_, [this](std::uint32_t message, WParam wparam, LParam lparam) {
      OnMessage(message, wparam, lparam);
    });
    AddIcon();
    added_ = true;
  } else if (added_) {
    SendToShell(kNimDelete, NewRecord(), "removed");
    notify_.SetMessageHandler(window_, nullptr);
    added_ = false;
  }
  in_tray_ = in_tray;
}

void TrayIcon::AddIcon() {
  NotifyIconRecord record = NewRecord();
  if (icon_.IsIcon()) {
    record.icon = icon_.handle;
    record.flags |= kNifIcon;
  }
  if (!tip_.empty()) {
    FillTip(record.tip, tip_);
    record.flags |= kNifTip;
  }
  record.callback_message = kTrayCallbackMessage;
  record.flags |= kNifMessage;
  // A busy shell sometimes refuses the first add (the taskbar is still starting at logon):
  // try once more; after that the taskbar's "created" broadcast brings the icon back.
  if (notify_.Notify(kNimAdd, record))
    refused_ = false;
  else
    SendToShell(kNimAdd, record, "added");
}

void TrayIcon::SendToShell(std::uint32_t operation, const NotifyIconRecord& record,
                           const char* what) {
  const bool refused = !notify_.Notify(operation, record);
  if (refused && !refused_) diagnostics_.Trace(std::string("the tray icon could not be ") + what);
  refused_ = refused;
}

void TrayIcon::SetTrayIcon(const Picture& icon) {
  if (!icon.IsIcon()) return;
  if (added_) {
    NotifyIconRecord record = NewRecord();
    record.flags = kNifIcon;
    record.icon = icon.handle;
    // The animation's frames come every 200 ms: none waits for a busy shell.
    notify_.ChangeLater(record);
  }
  icon_ = icon;
}

void TrayIcon::SetTrayTip(std::string tip) {
  if (added_) {
    NotifyIconRecord record = NewRecord();
    record.flags = kNifTip;
    FillTip(record.tip, tip);
    notify_.ChangeLater(record);
  }
  tip_ = std::move(tip);
}

void TrayIcon::OnMessage(std::uint32_t message, WParam wparam, LParam lparam) {
  if (message == kTrayCallbackMessage) {
    Dispatch(lparam, wparam);
  } else if (message == taskbar_created_ && taskbar_created_ != 0 && added_) {
    // Explorer restarted: the new taskbar knows nothing of our icon.
    AddIcon();
  }
}

void TrayIcon::Dispatch(LParam mouse_message, WParam id) {
  int icon_id = static_cast<int>(id);
  int button = 0;
  switch (mouse_message) {
    case kWmMouseMove:
      if (on_mouse_move) on_mouse_move(icon_id);
      return;
    case kWmLButtonDown:
    case kWmRButtonDown:
      button = mouse_message == kWmLButtonDown ? 1 : 2;
      if (on_mouse_down) on_mouse_down(button, icon_id);
      return;
    case kWmLButtonUp:
    case kWmRButtonUp:
      button = mouse_message == kWmLButtonUp ? 1 : 2;
      if (on_mouse_up) on_mouse_up(button, icon_id);
      return;
    case kWmLButtonDblClk:
    case kWmRButtonDblClk:
      button = mouse_message == kWmLButtonDblClk ? 1 : 2;
      if (on_dbl_click) on_dbl_click(button, icon_id);
      return;
    default:
      return;  // the middle button and everything else raise nothing
  }
}

}  // namespace pelkrin
