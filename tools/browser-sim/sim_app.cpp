#include "sim_app.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace pelkrin::browser_sim {
namespace {

// How long a command waits for a window's thread; a healthy thread answers in milliseconds.
constexpr DWORD kThreadDeadlineMs = 5000;
// A page stops opening popups while this many windows are open, so a demo left running on
// its own does not fill the desktop.
constexpr std::size_t kMaxWindowsForPages = 20;

std::string HandleText(HWND window) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(window));
}

// The caption as the window manager keeps it. GetWindowText would send WM_GETTEXT to a window
// of this process, and so block on a hung one.
std::string CurrentCaption(HWND window) {
  std::wstring wide(32768, L'\0');
  const int length = ::InternalGetWindowText(window, wide.data(), static_cast<int>(wide.size()));
  if (length <= 0) return {};
  const int bytes =
      ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string caption(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) {
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, caption.data(), bytes, nullptr, nullptr);
  }
  return caption;
}

}  // namespace

SimApp::SimApp(HINSTANCE instance, bool end_with_last_window, HANDLE all_closed)
    : instance_(instance), end_with_last_window_(end_with_last_window), all_closed_(all_closed) {
  ::QueryPerformanceFrequency(&frequency_);
}

SimApp::~SimApp() = default;

Reply SimApp::Handle(const Line& request) {
  const std::string& verb = request.verb;
  if (!request.records.empty()) return {ErrorReply("a request has no records ('; ...')")};
  if (verb == "ping") {
    Reply reply{OkReply()};
    reply.line.fields.SetInt("pid", ::GetCurrentProcessId());
    return reply;
  }
  if (verb == "open") return Open(request.fields);
  if (verb == "retitle") return Retitle(request.fields);
  if (verb == "close") return Close(request.fields);
  if (verb == "hang") return Hang(request.fields, true);
  if (verb == "resume") return Hang(request.fields, false);
  if (verb == "list") return List();
  if (verb == "times") return Times();
  if (verb == "quit") return {OkReply(), true};
  return {ErrorReply("unknown command '" + verb + "'")};
}

Reply SimApp::Open(const Fields& fields) {
  std::string error;
  const auto options = OpenOptionsFromFields(fields, &error);
  if (!options) return {ErrorReply(error)};
  const auto id = StartOpen(*options, std::nullopt, &error);
  if (!id) return {ErrorReply(error)};

  std::unique_lock lock(mutex_);
  const bool finished = changed_.wait_for(lock, std::chrono::milliseconds(kThreadDeadlineMs),
                                          [&] { return WindowLocked(*id)->finished; });
  const Window& window = *WindowLocked(*id);
  if (!finished) {
    return {ErrorReply("window " + std::to_string(*id) + " was not created within " +
                       std::to_string(kThreadDeadlineMs) + " ms")};
  }
  if (window.handle == nullptr || !window.alive) {
    return {ErrorReply("window " + std::to_string(*id) + " could not be created")};
  }
  Reply reply{OkReply()};
  reply.line.fields.SetInt("id", window.id);
  reply.line.fields.Set("hwnd", HandleText(window.handle));
  reply.line.fields.Set("class", window.window_class);
  reply.line.fields.Set("caption", CurrentCaption(window.handle));
  return reply;
}

bool SimApp::OpenAsync(const OpenOptions& options, const std::optional<PagePopups>& page_popups) {
  std::string error;
  if (StartOpen(options, page_popups, &error)) return true;
  std::fprintf(stderr, "browser-sim: could not open a window: %s\n", error.c_str());
  std::fflush(stderr);
  return false;
}

std::optional<int> SimApp::StartOpen(const OpenOptions& options,
                                     const std::optional<PagePopups>& page_popups,
                                     std::string* error) {
  std::lock_guard lock(mutex_);
  ReapLocked();
  auto window = std::make_unique<Window>();
  window->id = static_cast<int>(windows_.size()) + 1;
  window->group = options.group;
  window->window_class = options.dialog ? "Internet Explorer_TridentDlgFrame" : "IEFrame";
  const int id = window->id;
  auto create = [this, id, options, page_popups] {
    const HWND created = CreateBrowserWindow(instance_, options, id, *this, page_popups);
    std::lock_guard lock(mutex_);
    Window& window = *WindowLocked(id);
    window.finished = true;
    --opening_;
    if (created == nullptr) {
      window.thread.reset();
      MaybeSignalAllClosedLocked();
    }
    changed_.notify_all();
  };
  // A group's thread that is just ending takes no more tasks: the group then gets a new one.
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::shared_ptr<UiThread> thread = ThreadForLocked(options.group, error);
    if (!thread) return std::nullopt;
    if (thread->hung()) {
      *error = "group '" + options.group + "' is hung";
      return std::nullopt;
    }
    window->thread = thread;
    if (thread->Post(create)) {
      windows_.push_back(std::move(window));
      ++opening_;
      return id;
    }
    groups_.erase(options.group);
  }
  *error = "no thread takes the window";
  return std::nullopt;
}

std::shared_ptr<UiThread> SimApp::ThreadForLocked(const std::string& group, std::string* error) {
  if (!group.empty()) {
    const auto found = groups_.find(group);
    if (found != groups_.end() && !found->second->finished()) return found->second;
  }
  auto thread = std::make_shared<UiThread>(group);
  // The new thread does not touch mutex_ while it starts, so waiting for it here is safe.
  if (!thread->Start(instance_)) {
    *error = "could not start a window thread";
    return nullptr;
  }
  threads_.push_back(thread);
  if (!group.empty()) groups_[group] = thread;
  return thread;
}

void SimApp::ReapLocked() {
  for (auto it = groups_.begin(); it != groups_.end();) {
    it = it->second->finished() ? groups_.erase(it) : std::next(it);
  }
  // The last owner of an ended thread joins it here, which returns at once.
  std::erase_if(threads_,
                [](const std::shared_ptr<UiThread>& thread) { return thread->finished(); });
}

SimApp::Window* SimApp::WindowLocked(int id) {
  if (id < 1 || static_cast<std::size_t>(id) > windows_.size()) return nullptr;
  return windows_[static_cast<std::size_t>(id) - 1].get();
}

SimApp::Window* SimApp::FindLocked(const Fields& fields, Reply& error) {
  const auto id = fields.GetInt("id");
  if (!id) {
    error = {ErrorReply("the request names no window (id=N)")};
    return nullptr;
  }
  Window* window = *id > 0 && *id <= 1000000000 ? WindowLocked(static_cast<int>(*id)) : nullptr;
  if (window == nullptr || !window->finished) {
    error = {ErrorReply("there is no window " + std::to_string(*id))};
    return nullptr;
  }
  if (!window->alive) {
    error = {ErrorReply("window " + std::to_string(*id) + " is closed")};
    return nullptr;
  }
  return window;
}

Reply SimApp::Retitle(const Fields& fields) {
  const auto title = fields.Get("title");
  const auto exact = fields.Get("caption");
  if (title.has_value() == exact.has_value()) {
    return {ErrorReply("retitle takes either title=... or caption=...")};
  }
  // Set by the window's thread: whether it ran the task, and whether the caption changed.
  auto done = std::make_shared<std::optional<bool>>();
  {
    std::lock_guard lock(mutex_);
    Reply error;
    Window* window = FindLocked(fields, error);
    if (window == nullptr) return error;
    if (window->thread->hung()) {
      return {ErrorReply("window " + std::to_string(window->id) + " is hung")};
    }
    const bool dialog = window->window_class != "IEFrame";
    const std::string caption = exact ? *exact : dialog ? *title : *title + kCaptionSuffix;
    HWND handle = window->handle;
    const bool posted = window->thread->Post([this, handle, caption, done] {
      // On the window's own thread, as the browser retitles its frame for a new page title.
      const bool changed = ::SetWindowTextA(handle, caption.c_str()) != FALSE;
      std::lock_guard lock(mutex_);
      *done = changed;
      changed_.notify_all();
    });
    if (!posted) return {ErrorReply("window " + std::to_string(window->id) + " is closing")};
  }
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, std::chrono::milliseconds(kThreadDeadlineMs),
                         [&] { return done->has_value(); })) {
    return {ErrorReply("the window's thread did not retitle it within " +
                       std::to_string(kThreadDeadlineMs) + " ms")};
  }
  if (!**done) return {ErrorReply("the window did not take the new caption (closed meanwhile?)")};
  return {OkReply()};
}

Reply SimApp::Close(const Fields& fields) {
  std::unique_lock lock(mutex_);
  Reply error;
  Window* window = FindLocked(fields, error);
  if (window == nullptr) return error;
  const int id = window->id;
  HWND handle = window->handle;
  ::PostMessageA(handle, WM_CLOSE, 0, 0);
  // A hung window closes once it is resumed; there is nothing to wait for now.
  bool closed = !window->thread->hung() &&
                changed_.wait_for(lock, std::chrono::milliseconds(kThreadDeadlineMs),
                                  [&] { return !WindowLocked(id)->alive; });
  lock.unlock();
  // The handle is freed just after the window's last message: wait for that too, so that the
  // client finds no window once it has the reply.
  const DWORD start = ::GetTickCount();
  while (closed && ::IsWindow(handle) && ::GetTickCount() - start < kThreadDeadlineMs) ::Sleep(1);
  closed = closed && !::IsWindow(handle);
  Reply reply{OkReply()};
  reply.line.fields.SetBool("closed", closed);
  return reply;
}

Reply SimApp::Hang(const Fields& fields, bool hang) {
  std::shared_ptr<UiThread> thread;
  {
    std::lock_guard lock(mutex_);
    Reply error;
    Window* window = FindLocked(fields, error);
    if (window == nullptr) return error;
    thread = window->thread;
  }
  const bool done = hang ? thread->Hang(kThreadDeadlineMs) : thread->Resume(kThreadDeadlineMs);
  if (!done) {
    return {ErrorReply(std::string("the window's thread did not ") + (hang ? "stop" : "resume") +
                       " within " + std::to_string(kThreadDeadlineMs) + " ms")};
  }
  Reply reply{OkReply()};
  reply.line.fields.SetBool("hung", hang);
  return reply;
}

Reply SimApp::List() {
  std::lock_guard lock(mutex_);
  Reply reply{OkReply()};
  int count = 0;
  for (const auto& window : windows_) {
    if (!window->finished || window->handle == nullptr) continue;
    Fields& record = reply.line.records.emplace_back();
    record.SetInt("id", window->id);
    record.Set("hwnd", HandleText(window->handle));
    record.Set("class", window->window_class);
    record.Set("caption", window->alive ? CurrentCaption(window->handle) : "");
    record.SetBool("visible", window->alive && ::IsWindowVisible(window->handle));
    record.SetBool("alive", window->alive);
    record.SetBool("hung", window->alive && window->thread && window->thread->hung());
    if (!window->group.empty()) record.Set("group", window->group);
    ++count;
  }
  reply.line.fields.SetInt("windows", count);
  return reply;
}

Reply SimApp::Times() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  const auto micros = [this](LONGLONG counter) {
    return CounterToMicros(counter, frequency_.QuadPart);
  };
  std::lock_guard lock(mutex_);
  Reply reply{OkReply()};
  reply.line.fields.SetInt("frequency", frequency_.QuadPart);
  reply.line.fields.SetInt("now", micros(now.QuadPart));
  for (const auto& window : windows_) {
    if (!window->finished || window->handle == nullptr) continue;
    Fields& record = reply.line.records.emplace_back();
    record.SetInt("id", window->id);
    if (window->shown_at) {
      record.SetInt("shown", micros(*window->shown_at));
      record.SetBool("transparent", window->transparent_at_show);
    }
    if (window->hide_began_at) record.SetInt("hide_began", micros(*window->hide_began_at));
    if (window->hidden_at) record.SetInt("hidden", micros(*window->hidden_at));
    if (window->destroyed_at) record.SetInt("destroyed", micros(*window->destroyed_at));
    record.SetInt("shows", window->shows);
    record.SetInt("hides", window->hides);
  }
  return reply;
}

void SimApp::CloseAll(DWORD deadline_ms) {
  std::vector<std::shared_ptr<UiThread>> threads;
  {
    std::lock_guard lock(mutex_);
    threads = threads_;
    for (const auto& window : windows_) {
      if (window->alive) ::PostMessageA(window->handle, WM_CLOSE, 0, 0);
    }
  }
  for (const auto& thread : threads) thread->Resume(deadline_ms);
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, std::chrono::milliseconds(deadline_ms), [this] {
    for (const auto& window : windows_) {
      if (window->alive) return false;
    }
    return true;
  });
}

void SimApp::MaybeSignalAllClosedLocked() {
  if (!end_with_last_window_ || opening_ > 0) return;
  for (const auto& window : windows_) {
    if (window->alive) return;
  }
  ::SetEvent(all_closed_);
}

// ---- Reports of the windows, on their threads ----

void SimApp::FrameCreated(int id, HWND handle) {
  std::lock_guard lock(mutex_);
  Window* window = WindowLocked(id);
  if (window == nullptr) return;
  window->handle = handle;
  window->alive = true;
  if (window->thread) window->thread->WindowCreated();
}

void SimApp::FrameShown(int id, LONGLONG counter, bool transparent) {
  std::lock_guard lock(mutex_);
  Window* window = WindowLocked(id);
  if (window == nullptr) return;
  ++window->shows;
  if (!window->shown_at) {
    window->shown_at = counter;
    window->transparent_at_show = transparent;
  }
  changed_.notify_all();
}

void SimApp::FrameHidden(int id, LONGLONG counter) {
  std::lock_guard lock(mutex_);
  Window* window = WindowLocked(id);
  if (window == nullptr) return;
  ++window->hides;
  // The first hiding after the window was first shown: how long it stayed on screen.
  if (window->shown_at && !window->hidden_at) window->hidden_at = counter;
  changed_.notify_all();
}

void SimApp::FrameHideBegins(int id, LONGLONG counter) {
  std::lock_guard lock(mutex_);
  Window* window = WindowLocked(id);
  if (window == nullptr) return;
  if (window->shown_at && !window->hide_began_at) window->hide_began_at = counter;
}

void SimApp::FrameDestroyed(int id, LONGLONG counter) {
  std::lock_guard lock(mutex_);
  Window* window = WindowLocked(id);
  if (window == nullptr) return;
  window->destroyed_at = counter;
  changed_.notify_all();
}

void SimApp::FrameGone(int id) {
  std::shared_ptr<UiThread> thread;
  {
    std::lock_guard lock(mutex_);
    Window* window = WindowLocked(id);
    if (window == nullptr) return;
    window->alive = false;
    thread = std::move(window->thread);
    MaybeSignalAllClosedLocked();
    changed_.notify_all();
  }
  // Outside the lock: the thread may end here. threads_ still holds it until it has ended, so
  // this is never the thread object's last owner.
  if (thread) thread->WindowGone();
}

void SimApp::PageOpensPopup(const OpenOptions& popup) {
  {
    std::lock_guard lock(mutex_);
    std::size_t open = 0;
    for (const auto& window : windows_) open += window->alive ? 1 : 0;
    if (open >= kMaxWindowsForPages) {
      std::fprintf(stderr, "browser-sim: a page's popup is skipped: %zu windows are open\n", open);
      std::fflush(stderr);
      return;
    }
  }
  OpenAsync(popup);
}

}  // namespace pelkrin::browser_sim
