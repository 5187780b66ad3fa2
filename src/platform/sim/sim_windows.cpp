#include "platform/sim/sim_windows.h"

#include <algorithm>
#include <utility>

#include "platform/sim/sim_event_loop.h"
#include "platform/sim/sim_text.h"

namespace pelkrin::sim {

namespace {

std::string Cut(const std::string& text, int buffer_chars) {
  if (buffer_chars <= 0) return {};
  return text.substr(0, static_cast<std::size_t>(buffer_chars) - 1);
}

}  // namespace

SimWindows::Window* SimWindows::Find(Hwnd window) {
  const auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

const SimWindows::Window* SimWindows::Find(Hwnd window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

const std::vector<Hwnd>* SimWindows::SiblingsOf(const Window& window) const {
  if (window.parent == kNoWindow) return &z_order_;
  const Window* parent = Find(window.parent);
  return parent ? &parent->children : nullptr;
}

std::uint64_t SimWindows::Now() const { return clock_ ? clock_->Now() : 0; }

bool SimWindows::Matches(const Window& window, const std::string* class_name,
                         const std::string* caption) {
  if (class_name && !EqualsNoCase(window.class_name, *class_name)) return false;
  if (caption && !EqualsNoCase(window.caption, *caption)) return false;
  return true;
}

void SimWindows::NoteSeen(Window& window) {
  const bool transparent = (window.ex_style & kWsExLayered) && window.alpha.value_or(0) == 0;
  if (window.visible && !transparent) window.seen = true;
}

void SimWindows::ApplyShow(Hwnd handle, Window& window, int command) {
  const bool was_visible = window.visible;
  window.visible = command != kSwHide;
  NoteSeen(window);
  if (!was_visible && window.visible) Raise(WindowEvent::kShown, handle, window);
}

void SimWindows::Raise(WindowEvent event, Hwnd handle, const Window& window) {
  if (!watcher_) return;
  if (window.parent != kNoWindow) {
    // Of a child, only its creation, told with its top-level window.
    if (event != WindowEvent::kCreated) return;
    event = WindowEvent::kChildCreated;
    while (windows_.at(handle).parent != kNoWindow) handle = windows_.at(handle).parent;
  } else if (event != WindowEvent::kCreated && !delivers_show_and_caption_) {
    return;
  }
  const WindowEventHandler watcher = watcher_;  // the handler may stop the reports
  watcher(event, handle);
}

bool SimWindows::Answers(Window& window, unsigned timeout_ms) {
  if (!window.hung) return true;
  if (clock_ && clock_->Now() - window.hung_since < kHungAfterMs) clock_->Block(timeout_ms);
  return false;
}

// ---- WindowManager ----

void SimWindows::EnumTopLevel(const std::function<bool(Hwnd)>& visit) {
  ++calls_;
  const std::vector<Hwnd> listed = z_order_;
  for (const Hwnd window : listed) {
    if (!visit(window)) return;
    if (on_enum_) {
      const auto hook = on_enum_;
      hook(window);
    }
  }
}

Hwnd SimWindows::FindTopLevel(const std::string* class_name, const std::string* caption) {
  ++calls_;
  for (const Hwnd window : z_order_)
    if (Matches(windows_.at(window), class_name, caption)) return window;
  return kNoWindow;
}

Hwnd SimWindows::FindChild(Hwnd parent, Hwnd after, const std::string* class_name,
                           const std::string* caption) {
  ++calls_;
  const std::vector<Hwnd>* candidates = &z_order_;
  if (parent != kNoWindow) {
    const Window* found = Find(parent);
    if (!found) return kNoWindow;
    candidates = &found->children;
  }
  auto start = candidates->begin();
  if (after != kNoWindow) {
    start = std::find(candidates->begin(), candidates->end(), after);
    if (start == candidates->end()) return kNoWindow;
    ++start;
  }
  for (auto it = start; it != candidates->end(); ++it)
    if (Matches(windows_.at(*it), class_name, caption)) return *it;
  return kNoWindow;
}

Hwnd SimWindows::FirstChild(Hwnd window) {
  ++calls_;
  const Window* found = Find(window);
  if (!found || found->children.empty()) return kNoWindow;
  return found->children.front();
}

Hwnd SimWindows::NextSibling(Hwnd window) {
  ++calls_;
  const Window* found = Find(window);
  if (!found) return kNoWindow;
  const std::vector<Hwnd>* siblings = SiblingsOf(*found);
  if (!siblings) return kNoWindow;
  auto it = std::find(siblings->begin(), siblings->end(), window);
  if (it == siblings->end() || ++it == siblings->end()) return kNoWindow;
  return *it;
}

std::string SimWindows::ClassName(Hwnd window, int buffer_chars) {
  ++calls_;
  const Window* found = Find(window);
  return found ? Cut(found->class_name, buffer_chars) : std::string();
}

int SimWindows::CaptionLength(Hwnd window) {
  ++calls_;
  const Window* found = Find(window);
  return found ? static_cast<int>(found->caption.size()) : 0;
}

std::string SimWindows::Caption(Hwnd window, int buffer_chars) {
  ++calls_;
  const Window* found = Find(window);
  return found ? Cut(found->caption, buffer_chars) : std::string();
}

std::uint32_t SimWindows::Style(Hwnd window) {
  ++calls_;
  const Window* found = Find(window);
  if (!found) return 0;
  return found->style | (found->visible ? kWsVisible : 0);
}

std::uint32_t SimWindows::ExStyle(Hwnd window) {
  ++calls_;
  const Window* found = Find(window);
  return found ? found->ex_style : 0;
}

void SimWindows::RequestLayered(Hwnd window, std::optional<std::uint8_t> alpha,
                                unsigned timeout_ms) {
  ++calls_;
  layered_requests_.push_back(LayeredRequest{window, alpha, Now() + timeout_ms});
  MakeLayeredChanges();
}

void SimWindows::MakeLayeredChanges() {
  std::size_t made = 0;
  for (; made < layered_requests_.size(); ++made) {
    const LayeredRequest& request = layered_requests_[made];
    Window* found = Find(request.window);
    if (found && found->hung) {
      // The thread that makes the changes waits for this window, and the others behind it.
      if (Now() < request.give_up_at && Now() - found->hung_since < kHungAfterMs) break;
      found = nullptr;
    }
    // Layered by its own program already, it does not take the alpha.
    const bool took = found && !(request.alpha && (found->ex_style & kWsExLayered));
    if (took && request.alpha) {
      SetExStyle(request.window, found->ex_style | kWsExLayered);
      SetLayeredAlpha(request.window, *request.alpha);
    } else if (took) {
      SetExStyle(request.window, found->ex_style & ~kWsExLayered);
    }
    layered_done_.push_back(LayeredDone{request.window, request.alpha.has_value(), took});
  }
  layered_requests_.erase(layered_requests_.begin(),
                          layered_requests_.begin() + static_cast<std::ptrdiff_t>(made));
}

std::vector<WindowManager::LayeredDone> SimWindows::TakeLayeredDone() {
  MakeLayeredChanges();
  return std::exchange(layered_done_, {});
}

bool SimWindows::WaitLayered(unsigned timeout_ms) {
  MakeLayeredChanges();
  if (layered_requests_.empty()) return true;
  if (clock_) clock_->Block(timeout_ms);
  MakeLayeredChanges();
  return layered_requests_.empty();
}

void SimWindows::SetExStyle(Hwnd window, std::uint32_t ex_style) {
  Window* found = Find(window);
  if (!found) return;
  found->ex_style = ex_style;
  if (!(ex_style & kWsExLayered)) found->alpha.reset();
  NoteSeen(*found);
}

void SimWindows::SetLayeredAlpha(Hwnd window, std::uint8_t alpha) {
  Window* found = Find(window);
  if (!found || !(found->ex_style & kWsExLayered)) return;
  found->alpha = alpha;
  NoteSeen(*found);
}

std::optional<std::uint8_t> SimWindows::LayeredAlpha(Hwnd window) {
  ++calls_;
  const Window* found = Find(window);
  return found ? found->alpha : std::nullopt;
}

bool SimWindows::IsVisible(Hwnd window) {
  ++calls_;
  for (const Window* found = Find(window); found; found = Find(found->parent)) {
    if (!found->visible) return false;
    if (found->parent == kNoWindow) return true;
  }
  return false;
}

bool SimWindows::IsWindow(Hwnd window) {
  ++calls_;
  return Find(window) != nullptr;
}

void SimWindows::SetCaption(Hwnd window, const std::string& caption) {
  ++calls_;
  Window* found = Find(window);
  if (!found || !Answers(*found, kSendTimeoutMs)) return;
  found->caption = caption;
  if (found->control_text) found->control_text = caption;
  Raise(WindowEvent::kCaptionChanged, window, *found);
}

void SimWindows::Show(Hwnd window, int command) {
  show_calls_.push_back(ShowCall{window, command, sends_, calls_++});
  Window* found = Find(window);
  if (!found) return;
  if (found->hung)
    found->queued_shows.push_back(command);
  else
    ApplyShow(window, *found, command);
}

void SimWindows::Post(Hwnd window, std::uint32_t message, WParam wparam, LParam lparam) {
  ++calls_;
  Window* found = Find(window);
  posted_.push_back(PostedMessage{window, message, wparam, lparam, found != nullptr});
  if (!found) return;
  if (message != kWmClose || found->ignores_close) return;
  if (found->hung)
    found->close_queued = true;
  else
    Remove(window);
}

std::optional<long> SimWindows::SendGetTextLength(Hwnd window, unsigned timeout_ms) {
  ++calls_;
  ++sends_;
  Window* found = Find(window);
  if (!found || !Answers(*found, timeout_ms)) return std::nullopt;
  return static_cast<long>(found->control_text ? found->control_text->size()
                                               : found->caption.size());
}

std::optional<std::string> SimWindows::SendGetText(Hwnd window, std::size_t buffer_chars,
                                                   unsigned timeout_ms) {
  ++calls_;
  ++sends_;
  Window* found = Find(window);
  if (!found || !Answers(*found, timeout_ms)) return std::nullopt;
  if (buffer_chars == 0) return std::string();
  const std::string& text = found->control_text ? *found->control_text : found->caption;
  std::string buffer = text.substr(0, buffer_chars - 1);
  buffer.resize(buffer_chars, '\0');
  return buffer;
}

bool SimWindows::IsKeyDown(int virtual_key) { return keys_down_.count(virtual_key) != 0; }

void SimWindows::MakeTopmost(Hwnd window) {
  ++calls_;
  topmost_calls_.push_back(window);
  Window* found = Find(window);
  if (!found || found->parent != kNoWindow) return;
  found->topmost = true;
  std::erase(z_order_, window);
  z_order_.insert(z_order_.begin(), window);
}

bool SimWindows::WatchWindowEvents(WindowEventHandler handler) {
  watcher_ = std::move(handler);
  return true;
}

// ---- Test set-up ----

Hwnd SimWindows::Add(Hwnd parent, std::string class_name, std::string caption, std::uint32_t style,
                     bool visible) {
  Window* parent_window = nullptr;
  if (parent != kNoWindow && !(parent_window = Find(parent))) return kNoWindow;
  Hwnd handle = std::exchange(reuse_handle_, kNoWindow);
  if (handle == kNoWindow || windows_.count(handle) != 0) {
    handle = next_handle_;
    next_handle_ += 0x10;  // not reused unless a test asks, so a stale handle names no window
  }
  Window window;
  window.parent = parent;
  window.class_name = std::move(class_name);
  window.caption = std::move(caption);
  window.style = style & ~kWsVisible;
  window.visible = visible;
  window.seen = visible;
  windows_.emplace(handle, std::move(window));
  if (parent_window) {
    parent_window->children.push_back(handle);
  } else {
    const auto first_plain = std::find_if(z_order_.begin(), z_order_.end(),
                                          [this](Hwnd h) { return !windows_.at(h).topmost; });
    z_order_.insert(first_plain, handle);
  }
  Raise(WindowEvent::kCreated, handle, windows_.at(handle));
  if (visible) Raise(WindowEvent::kShown, handle, windows_.at(handle));
  return handle;
}

void SimWindows::Remove(Hwnd window) {
  Window* found = Find(window);
  if (!found) return;
  const std::vector<Hwnd> children = found->children;
  for (const Hwnd child : children) Remove(child);
  found = Find(window);
  if (found->parent == kNoWindow) {
    std::erase(z_order_, window);
  } else if (Window* parent = Find(found->parent)) {
    std::erase(parent->children, window);
  }
  windows_.erase(window);
}

void SimWindows::SetVisible(Hwnd window, bool visible) {
  if (Window* found = Find(window)) ApplyShow(window, *found, visible ? kSwShow : kSwHide);
}

void SimWindows::SetStyle(Hwnd window, std::uint32_t style) {
  if (Window* found = Find(window)) found->style = style & ~kWsVisible;
}

std::string SimWindows::Caption(Hwnd window) const {
  const Window* found = Find(window);
  return found ? found->caption : std::string();
}

void SimWindows::SetHung(Hwnd window, bool hung) {
  // The changes whose time ran out while it did not answer were given up meanwhile.
  MakeLayeredChanges();
  Window* found = Find(window);
  if (!found || found->hung == hung) return;
  found->hung = hung;
  if (hung) {
    found->hung_since = Now();
    return;
  }
  // The window pumps its messages again: it takes what was sent to it meanwhile.
  const bool close = found->close_queued;
  for (const int command : std::exchange(found->queued_shows, {})) {
    found = Find(window);  // a watcher may have changed the desktop
    if (found) ApplyShow(window, *found, command);
  }
  if (close) Remove(window);
  MakeLayeredChanges();
}

void SimWindows::SetControlText(Hwnd window, std::string text) {
  if (Window* found = Find(window)) found->control_text = std::move(text);
}

void SimWindows::SetKeyDown(int virtual_key, bool down) {
  if (!down) {
    keys_down_.erase(virtual_key);
    return;
  }
  const bool pressed = keys_down_.insert(virtual_key).second;
  if (pressed && virtual_key == watched_key_ && key_pressed_) {
    const auto report = key_pressed_;  // the handler may stop the watch
    report();
  }
}

bool SimWindows::WatchKeyPresses(int virtual_key, std::function<void()> pressed) {
  watched_key_ = pressed && reports_key_presses_ ? virtual_key : 0;
  key_pressed_ = reports_key_presses_ ? std::move(pressed) : std::function<void()>{};
  return reports_key_presses_;
}

void SimWindows::SetIgnoresClose(Hwnd window, bool ignores) {
  if (Window* found = Find(window)) found->ignores_close = ignores;
}

// ---- What tests read back ----

std::vector<Hwnd> SimWindows::Children(Hwnd window) const {
  const Window* found = Find(window);
  return found ? found->children : std::vector<Hwnd>();
}

bool SimWindows::IsTopmost(Hwnd window) const {
  const Window* found = Find(window);
  return found && found->topmost;
}

bool SimWindows::EverSeen(Hwnd window) const {
  const Window* found = Find(window);
  return found && found->seen;
}

Hwnd SimWindows::Parent(Hwnd window) const {
  const Window* found = Find(window);
  return found ? found->parent : kNoWindow;
}

}  // namespace pelkrin::sim
