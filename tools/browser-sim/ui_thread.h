// One user-interface thread of browser-sim.exe. Every browser window (or every group of them)
// lives on a thread of its own, so that a window told to hang stops its own thread only: the
// control channel and the other windows keep answering.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/win32/scoped_handle.h"

namespace pelkrin::browser_sim {

class UiThread {
 public:
  using Task = std::function<void()>;

  // Registers the class of the threads' task windows; once, before the first Start().
  static bool RegisterTaskWindowClass(HINSTANCE instance);

  explicit UiThread(std::string group);
  UiThread(const UiThread&) = delete;
  UiThread& operator=(const UiThread&) = delete;
  // Waits for the thread to end; call it only once finished() holds (or at process exit).
  ~UiThread();

  // Starts the thread and waits until it takes tasks. False when it could not start.
  bool Start(HINSTANCE instance);

  // Queues `task` to run on the thread. False once the thread is ending: it ends when its last
  // window has gone and no task is waiting.
  bool Post(Task task);

  // Makes the thread stop pumping messages (its windows stop answering) and returns once it
  // has; true when it is hung within the deadline.
  bool Hang(DWORD deadline_ms);
  // Lets a hung thread pump again and returns once it does; true also when it was not hung.
  bool Resume(DWORD deadline_ms);
  bool hung() const;
  bool finished() const;
  const std::string& group() const { return group_; }

  // Called on the thread by its windows, so that it ends with the last one.
  void WindowCreated();
  void WindowGone();

 private:
  static LRESULT CALLBACK TaskWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Run(HINSTANCE instance);
  void RunTasks();
  void HangHere();
  // Ends the message loop when no window and no task is left.
  void EndIfIdle();

  const std::string group_;
  std::thread thread_;
  HWND task_window_ = nullptr;  // message-only; task messages survive modal loops there
  win32::ScopedKernelHandle resume_event_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Task> tasks_;
  bool started_ = false;
  bool start_failed_ = false;
  bool accepting_ = true;
  bool hung_ = false;
  bool finished_ = false;
  int windows_ = 0;  // touched on the thread only
};

}  // namespace pelkrin::browser_sim
