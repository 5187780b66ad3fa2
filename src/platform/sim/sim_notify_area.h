// The notification area as the shell keeps it: icons keyed by window and id, the shell's
// refusals (adding an icon twice, changing or deleting one that is not there), and a restart of
// the taskbar that empties the tray and broadcasts the TaskbarCreated message.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_windows.h"

namespace pelkrin::sim {

class SimNotifyArea : public NotifyArea {
 public:
  // The message number RegisterWindowMessage("TaskbarCreated") gives on the simulated desktop.
  static constexpr std::uint32_t kTaskbarCreated = 0xC0F1;

  // The icon windows are real windows of the simulated desktop (hidden, top-level, of the class
  // the caller names), so other programs find them as they would on Windows.
  explicit SimNotifyArea(SimWindows& windows) : windows_(windows) {}

  // NotifyArea
  [[nodiscard]] Hwnd CreateIconWindow(const std::string& window_class) override;
  // The window's handler sees WM_DESTROY and WM_NCDESTROY, as a subclassed window does. Icons of
  // the window stay in the tray, as they do until the shell notices.
  void DestroyIconWindow(Hwnd window) override;
  void SetMessageHandler(Hwnd window, MessageHandler handler) override;
  [[nodiscard]] bool Notify(std::uint32_t operation, const NotifyIconRecord& record) override;
  // Made at once, as Notify(kNimModify): the simulated shell is never busy.
  void ChangeLater(const NotifyIconRecord& record) override;
  std::uint32_t TaskbarCreatedMessage() override { return kTaskbarCreated; }

  // What the shell holds for one icon.
  struct Icon {
    Hwnd window = kNoWindow;
    std::uint32_t id = 0;
    std::uint32_t icon = 0;
    std::string tip;
    std::uint32_t callback_message = 0;
  };
  struct Call {
    std::uint32_t operation;
    NotifyIconRecord record;
    bool succeeded;
  };

  // Hands a message to the window's handler, as the shell's notification (or any sender) does.
  // False when the window has no handler.
  bool Deliver(Hwnd window, std::uint32_t message, WParam wparam, LParam lparam);
  // The shell restarts: the tray empties and every window with a handler gets kTaskbarCreated.
  void RestartTaskbar();
  // The next n NIM_ADD calls fail (the shell is not ready yet, as at logon).
  void FailNextAdds(int n) { failing_adds_ = n; }

  const std::vector<Call>& Calls() const { return calls_; }
  std::vector<Icon> Icons() const;
  const Icon* FindIcon(Hwnd window, std::uint32_t id) const;
  const std::vector<Hwnd>& CreatedWindows() const { return created_; }
  const std::vector<Hwnd>& DestroyedWindows() const { return destroyed_; }
  bool HasHandler(Hwnd window) const { return handlers_.count(window) != 0; }

 private:
  SimWindows& windows_;
  std::map<Hwnd, MessageHandler> handlers_;
  std::map<std::pair<Hwnd, std::uint32_t>, Icon> icons_;
  std::vector<Call> calls_;
  std::vector<Hwnd> created_, destroyed_;
  int failing_adds_ = 0;
};

}  // namespace pelkrin::sim
