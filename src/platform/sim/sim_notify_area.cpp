#include "platform/sim/sim_notify_area.h"

#include <cstring>

namespace pelkrin::sim {

Hwnd SimNotifyArea::CreateIconWindow(const std::string& window_class) {
  const Hwnd window = windows_.Add(kNoWindow, window_class, "", kWsPopup, false);
  created_.push_back(window);
  return window;
}

void SimNotifyArea::DestroyIconWindow(Hwnd window) {
  if (!windows_.IsWindow(window)) return;
  Deliver(window, kWmDestroy, 0, 0);
  Deliver(window, kWmNcDestroy, 0, 0);
  handlers_.erase(window);
  windows_.Remove(window);
  destroyed_.push_back(window);
}

void SimNotifyArea::SetMessageHandler(Hwnd window, MessageHandler handler) {
  if (!windows_.IsWindow(window)) return;
  if (handler)
    handlers_[window] = std::move(handler);
  else
    handlers_.erase(window);
}

bool SimNotifyArea::Deliver(Hwnd window, std::uint32_t message, WParam wparam, LParam lparam) {
  const auto found = handlers_.find(window);
  if (found == handlers_.end()) return false;
  const MessageHandler handler = found->second;  // the handler may replace or remove itself
  handler(message, wparam, lparam);
  return true;
}

void SimNotifyArea::ChangeLater(const NotifyIconRecord& record) {
  // Refused, it is in Calls() as such; the real shell's refusal is the Win32 layer's to trace.
  (void)Notify(kNimModify, record);
}

bool SimNotifyArea::Notify(std::uint32_t operation, const NotifyIconRecord& record) {
  const auto key = std::make_pair(Hwnd{record.window}, record.id);
  const auto existing = icons_.find(key);
  bool succeeded = false;
  const auto apply = [&record](Icon& icon) {
    if (record.flags & kNifIcon) icon.icon = record.icon;
    if (record.flags & kNifMessage) icon.callback_message = record.callback_message;
    if (record.flags & kNifTip) icon.tip.assign(record.tip, strnlen(record.tip, 63));
  };
  switch (operation) {
    case kNimAdd:
      if (existing != icons_.end() || !windows_.IsWindow(record.window)) break;
      if (failing_adds_ > 0) {
        --failing_adds_;
        break;
      }
      apply(icons_[key] = Icon{record.window, record.id, 0, {}, 0});
      succeeded = true;
      break;
    case kNimModify:
      if (existing == icons_.end()) break;
      apply(existing->second);
      succeeded = true;
      break;
    case kNimDelete:
      if (existing == icons_.end()) break;
      icons_.erase(existing);
      succeeded = true;
      break;
    default:
      break;
  }
  calls_.push_back(Call{operation, record, succeeded});
  return succeeded;
}

void SimNotifyArea::RestartTaskbar() {
  icons_.clear();
  std::vector<Hwnd> listeners;
  for (const auto& entry : handlers_) listeners.push_back(entry.first);
  for (const Hwnd window : listeners) Deliver(window, kTaskbarCreated, 0, 0);
}

std::vector<SimNotifyArea::Icon> SimNotifyArea::Icons() const {
  std::vector<Icon> icons;
  for (const auto& entry : icons_) icons.push_back(entry.second);
  return icons;
}

const SimNotifyArea::Icon* SimNotifyArea::FindIcon(Hwnd window, std::uint32_t id) const {
  const auto found = icons_.find(std::make_pair(window, id));
  return found == icons_.end() ? nullptr : &found->second;
}

}  // namespace pelkrin::sim
