// Client of browser-sim.exe for tests and benchmarks: starts the stand-in with a control
// channel of its own, sends commands and reads the replies, each with a deadline.
//
//   auto sim = BrowserSim::Start(exe_path, &error);
//   auto popup = sim->Open({.title = "Special offer", .toolbars = false});
//   ... popup->hwnd is an "IEFrame" with a hidden "WorkerW" ...
//   auto times = sim->Times();
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/scoped_handle.h"
#include "protocol.h"

namespace pelkrin::browser_sim {

inline constexpr DWORD kDefaultReplyDeadlineMs = 10000;

struct OpenedWindow {
  int id = 0;
  HWND hwnd = nullptr;
  std::string window_class;
  std::string caption;
};

struct WindowInfo {
  int id = 0;
  HWND hwnd = nullptr;
  std::string window_class;
  std::string caption;  // empty once closed
  bool visible = false;
  bool alive = false;
  bool hung = false;
  std::string group;
};

// When a window became visible, was hidden and was destroyed, in microseconds on the clock of
// NowMicros(); each is missing until it happened. `hidden` is the first hiding after `shown`;
// `hide_began` is when that hide reached the window, before the system hid it.
struct WindowTimes {
  int id = 0;
  std::optional<std::int64_t> shown;
  std::optional<std::int64_t> hide_began;
  std::optional<std::int64_t> hidden;
  std::optional<std::int64_t> destroyed;
  int shows = 0;
  int hides = 0;
  bool transparent_at_show = false;  // layered with alpha 0 when it first showed
};

struct TimesReport {
  std::int64_t frequency = 0;  // QueryPerformanceFrequency of the stand-in
  std::int64_t now = 0;        // when it answered, on the same clock
  std::vector<WindowTimes> windows;
  const WindowTimes* Find(int id) const;
};

// QueryPerformanceCounter now, in microseconds: the clock of the stand-in's times.
std::int64_t NowMicros();

class BrowserSim {
 public:
  // Starts `exe_path` with a fresh channel name (and ends it with this process), then waits
  // until the channel answers. nullopt, with the reason in *error, when the program does not
  // start or does not answer before `deadline_ms`.
  static std::optional<BrowserSim> Start(const std::string& exe_path, std::string* error,
                                         const std::string& extra_arguments = "",
                                         DWORD deadline_ms = kDefaultReplyDeadlineMs);

  BrowserSim(BrowserSim&& other) noexcept = default;
  BrowserSim& operator=(BrowserSim&& other) noexcept = default;
  // Quits the program (ends it if it does not quit in time).
  ~BrowserSim();

  // Sends one request and waits for its reply. nullopt when no well-formed reply came before
  // the deadline (last_error() says why); an "error" reply is returned as it is.
  std::optional<Line> Request(const Line& request, DWORD deadline_ms = kDefaultReplyDeadlineMs);
  // The same for a request written out, sent exactly as it is (one line, no line end).
  std::optional<Line> Request(const std::string& text, DWORD deadline_ms = kDefaultReplyDeadlineMs);

  // The commands. Each returns nullopt or false when the stand-in refused or did not answer;
  // last_error() says why.
  std::optional<OpenedWindow> Open(const OpenOptions& options = {});
  bool Retitle(int id, const std::string& title);       // caption becomes title + browser suffix
  bool SetCaption(int id, const std::string& caption);  // the exact caption
  bool Close(int id);                                   // true once the window is destroyed
  bool Hang(int id);  // the window's thread stops pumping messages
  bool Resume(int id);
  std::optional<std::vector<WindowInfo>> List();
  std::optional<TimesReport> Times();
  // Asks the program to close its windows and end, and waits for it; ends it by force at the
  // deadline. True when it ended by itself.
  bool Quit(DWORD deadline_ms = kDefaultReplyDeadlineMs);

  DWORD process_id() const { return process_id_; }
  HANDLE process() const { return process_.Get(); }
  const std::string& pipe_name() const { return pipe_name_; }
  const std::string& last_error() const { return last_error_; }

 private:
  BrowserSim() = default;
  bool Connect(DWORD deadline_ms);
  // The reply, or nullopt with last_error_ set (also for an "error" reply).
  std::optional<Line> Command(const Line& request);
  bool Fail(const std::string& reason);

  win32::ScopedKernelHandle process_;
  DWORD process_id_ = 0;
  std::string pipe_name_;
  win32::ScopedKernelHandle pipe_;
  win32::ScopedKernelHandle io_event_;
  std::string pending_;  // bytes read after the last reply's line end
  std::string last_error_;
};

}  // namespace pelkrin::browser_sim
