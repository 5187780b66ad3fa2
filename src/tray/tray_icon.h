// TrayIcon: the program's icon in the taskbar's notification area. It owns a small window of
// its own that receives the shell's mouse notifications and turns them into four events.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"

namespace pelkrin {

// The class of the tray control's own window, as other programs find it.
inline constexpr char kTrayWindowClass[] = "PelkrinTrayIcon";
// The message the shell sends to that window for the mouse over the icon.
inline constexpr std::uint32_t kTrayCallbackMessage = 0x465;
inline constexpr std::size_t kTrayTipMaxChars = 63;

class TrayIcon {
 public:
  // A request the shell refuses is not retried beyond the first add (see AddIcon) and the user
  // is not told; it leaves a diagnostic line, one for each spell of refusals.
  TrayIcon(NotifyArea& notify, Diagnostics& diagnostics);
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  // A control that ends with its icon shown takes the icon out of the notification area.
  ~TrayIcon();

  bool InTray() const { return in_tray_; }
  // True adds the icon and starts listening to it; false removes it. Setting the value it
  // already has does nothing.
  void SetInTray(bool in_tray);

  const Picture& Icon() const { return icon_; }
  // Anything but an icon is ignored.
  void SetTrayIcon(const Picture& icon);

  const std::string& TrayTip() const { return tip_; }
  void SetTrayTip(std::string tip);

  Hwnd Window() const { return window_; }
  std::uint32_t IconId() const { return icon_id_; }

  // Events; ID is the icon's number towards the shell (always 0), Button 1 left, 2 right.
  std::function<void(int& id)> on_mouse_move;
  std::function<void(int& button, int& id)> on_mouse_down;
  std::function<void(int& button, int& id)> on_mouse_up;
  std::function<void(int& button, int& id)> on_dbl_click;

 private:
  void AddIcon();
  void OnMessage(std::uint32_t message, WParam wparam, LParam lparam);
  void Dispatch(LParam mouse_message, WParam id);
  NotifyIconRecord NewRecord() const;
  // Hands the record to the shell; `what` names the request in the diagnostic line.
  void SendToShell(std::uint32_t operation, const NotifyIconRecord& record, const char* what);

  NotifyArea& notify_;
  Diagnostics& diagnostics_;
  Hwnd window_ = kNoWindow;
  bool in_tray_ = false;
  bool added_ = false;
  std::uint32_t icon_id_ = 0;
  std::string tip_ = "Pelkrin";
  Picture icon_;
  std::uint32_t taskbar_created_ = 0;
  // The shell refused the last request: the icon's later changes fail for the same reason
  // until the shell takes one again, and need no line of their own.
  bool refused_ = false;
};

}  // namespace pelkrin
