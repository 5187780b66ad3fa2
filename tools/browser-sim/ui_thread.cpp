#include "ui_thread.h"

#include <chrono>
#include <cstdio>
#include <exception>

#include "platform/win32/callback_guard.h"

namespace pelkrin::browser_sim {
namespace {

constexpr char kTaskWindowClass[] = "BrowserSimTasks";
constexpr UINT kRunTasks = WM_APP + 1;

}  // namespace

bool UiThread::RegisterTaskWindowClass(HINSTANCE instance) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &UiThread::TaskWindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kTaskWindowClass;
  return ::RegisterClassA(&window_class) != 0;
}

UiThread::UiThread(std::string group)
    : group_(std::move(group)), resume_event_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

UiThread::~UiThread() {
  if (thread_.joinable()) thread_.join();
}

bool UiThread::Start(HINSTANCE instance) {
  if (!resume_event_) return false;
  thread_ = std::thread([this, instance] { Run(instance); });
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return started_ || start_failed_; });
  return started_;
}

bool UiThread::Post(Task task) {
  HWND window = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (!accepting_ || !started_) return false;
    tasks_.push_back(std::move(task));
    window = task_window_;
  }
  return ::PostMessageA(window, kRunTasks, 0, 0) != 0;
}

bool UiThread::Hang(DWORD deadline_ms) {
  {
    std::lock_guard lock(mutex_);
    if (hung_) return true;
  }
  if (!Post([this] { HangHere(); })) return false;
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(deadline_ms), [this] { return hung_; });
}

bool UiThread::Resume(DWORD deadline_ms) {
  std::unique_lock lock(mutex_);
  if (!hung_) return true;
  ::SetEvent(resume_event_.Get());
  return changed_.wait_for(lock, std::chrono::milliseconds(deadline_ms), [this] { return !hung_; });
}

bool UiThread::hung() const {
  std::lock_guard lock(mutex_);
  return hung_;
}

bool UiThread::finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

void UiThread::WindowCreated() { ++windows_; }

void UiThread::WindowGone() {
  --windows_;
  EndIfIdle();
}

void UiThread::Run(HINSTANCE instance) {
  task_window_ = ::CreateWindowExA(0, kTaskWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   instance, this);
  {
    std::lock_guard lock(mutex_);
    (task_window_ != nullptr ? started_ : start_failed_) = true;
  }
  changed_.notify_all();
  if (task_window_ == nullptr) {
    std::fprintf(stderr, "browser-sim: no task window for a new thread (error %lu)\n",
                 ::GetLastError());
    return;
  }
  try {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
      win32::RethrowCallbackException();
    }
  } catch (const std::exception& failure) {
    // A stand-in that lost a window thread no longer shows what it was asked to: end loudly.
    std::fprintf(stderr, "browser-sim: a window thread failed: %s\n", failure.what());
    std::fflush(stderr);
    ::ExitProcess(3);
  }
  ::DestroyWindow(task_window_);
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  changed_.notify_all();
}

LRESULT CALLBACK UiThread::TaskWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<UiThread*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == kRunTasks && self != nullptr) {
    win32::CallGuarded([self] { self->RunTasks(); });
    return 0;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

void UiThread::RunTasks() {
  for (;;) {
    Task task;
    {
      std::lock_guard lock(mutex_);
      if (tasks_.empty()) break;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
  EndIfIdle();
}

void UiThread::HangHere() {
  ::ResetEvent(resume_event_.Get());
  {
    std::lock_guard lock(mutex_);
    hung_ = true;
  }
  changed_.notify_all();
  // No message of this thread is handled until the event is set: its windows hang.
  ::WaitForSingleObject(resume_event_.Get(), INFINITE);
  {
    std::lock_guard lock(mutex_);
    hung_ = false;
  }
  changed_.notify_all();
}

void UiThread::EndIfIdle() {
  if (windows_ > 0) return;
  std::lock_guard lock(mutex_);
  if (!tasks_.empty() || !accepting_) return;
  accepting_ = false;
  ::PostQuitMessage(0);
}

}  // namespace pelkrin::browser_sim
