#include "browser_sim_client.h"

#include <atomic>

namespace pelkrin::browser_sim {
namespace {

constexpr char kPipePrefix[] = "\\\\.\\pipe\\";
// How often a client looks for a channel that is not there yet; the wait is bounded by the
// caller's deadline.
constexpr DWORD kConnectPollMs = 10;

std::string LastErrorText(const char* what) {
  return std::string(what) + " (error " + std::to_string(::GetLastError()) + ")";
}

// Milliseconds left of a deadline started at `start` (GetTickCount), 0 when it has passed.
DWORD Remaining(DWORD start, DWORD deadline_ms) {
  const DWORD spent = ::GetTickCount() - start;
  return spent >= deadline_ms ? 0 : deadline_ms - spent;
}

std::optional<HWND> ParseHandle(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  const auto value = ParseUnsigned(*text);
  if (!value) return std::nullopt;
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(*value));
}

std::string UniquePipeName() {
  static std::atomic<unsigned> count{0};
  return std::string(kPipePrefix) + "pelkrin-browser-sim-" +
         std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++count) + "-" +
         std::to_string(::GetTickCount());
}

}  // namespace

std::int64_t NowMicros() {
  LARGE_INTEGER now;
  LARGE_INTEGER frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return CounterToMicros(now.QuadPart, frequency.QuadPart);
}

const WindowTimes* TimesReport::Find(int id) const {
  for (const WindowTimes& window : windows) {
    if (window.id == id) return &window;
  }
  return nullptr;
}

std::optional<BrowserSim> BrowserSim::Start(const std::string& exe_path, std::string* error,
                                            const std::string& extra_arguments, DWORD deadline_ms) {
  BrowserSim sim;
  sim.pipe_name_ = UniquePipeName();
  sim.io_event_.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  std::string command = "\"" + exe_path + "\" --pipe " + sim.pipe_name_ + " --exit-with " +
                        std::to_string(::GetCurrentProcessId());
  if (!extra_arguments.empty()) command += " " + extra_arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!sim.io_event_ || !::CreateProcessA(exe_path.c_str(), command.data(), nullptr, nullptr, FALSE,
                                          0, nullptr, nullptr, &startup, &info)) {
    if (error != nullptr) *error = LastErrorText(("cannot start " + exe_path).c_str());
    return std::nullopt;
  }
  ::CloseHandle(info.hThread);
  sim.process_.Reset(info.hProcess);
  sim.process_id_ = info.dwProcessId;

  const DWORD start = ::GetTickCount();
  std::optional<Line> pong;
  if (sim.Connect(deadline_ms)) pong = sim.Command(Line{"ping", {}, {}});
  if (!pong || pong->fields.GetInt("pid") != static_cast<long long>(sim.process_id_)) {
    if (error != nullptr) {
      *error = pong ? "another program answers on " + sim.pipe_name_ : sim.last_error_;
    }
    sim.Quit(Remaining(start, deadline_ms));
    return std::nullopt;
  }
  return sim;
}

BrowserSim::~BrowserSim() {
  if (process_) Quit();
}

bool BrowserSim::Fail(const std::string& reason) {
  last_error_ = reason;
  return false;
}

bool BrowserSim::Connect(DWORD deadline_ms) {
  pipe_.Reset();
  pending_.clear();
  const DWORD start = ::GetTickCount();
  for (;;) {
    HANDLE pipe = ::CreateFileA(pipe_name_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) {
      pipe_.Reset(pipe);
      return true;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PIPE_BUSY) {
      return Fail("cannot connect to " + pipe_name_ + " (error " + std::to_string(error) + ")");
    }
    DWORD exit_code = 0;
    if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0) {
      ::GetExitCodeProcess(process_.Get(), &exit_code);
      return Fail("browser-sim ended with exit code " + std::to_string(exit_code) +
                  " before its channel answered");
    }
    const DWORD left = Remaining(start, deadline_ms);
    if (left == 0) {
      return Fail("no channel " + pipe_name_ + " within " + std::to_string(deadline_ms) + " ms");
    }
    if (error == ERROR_PIPE_BUSY) {
      ::WaitNamedPipeA(pipe_name_.c_str(), left < 100 ? left : 100);
    } else {
      ::Sleep(left < kConnectPollMs ? left : kConnectPollMs);
    }
  }
}

std::optional<Line> BrowserSim::Request(const std::string& text, DWORD deadline_ms) {
  if (text.find_first_of("\r\n") != std::string::npos) {
    Fail("a request is one line");
    return std::nullopt;
  }
  const DWORD start = ::GetTickCount();
  if (!pipe_ && !Connect(deadline_ms)) return std::nullopt;

  // One overlapped transfer, bounded by what is left of the deadline. After a failure the
  // connection is dropped: a late reply must not be taken for the next request's.
  auto transfer = [&](bool write, char* data, DWORD size) -> std::optional<DWORD> {
    OVERLAPPED overlapped{};
    overlapped.hEvent = io_event_.Get();
    ::ResetEvent(overlapped.hEvent);
    const BOOL done = write ? ::WriteFile(pipe_.Get(), data, size, nullptr, &overlapped)
                            : ::ReadFile(pipe_.Get(), data, size, nullptr, &overlapped);
    if (!done && ::GetLastError() != ERROR_IO_PENDING) {
      Fail(LastErrorText(write ? "sending the request failed" : "reading the reply failed"));
      pipe_.Reset();
      return std::nullopt;
    }
    DWORD bytes = 0;
    if (::WaitForSingleObject(overlapped.hEvent, Remaining(start, deadline_ms)) != WAIT_OBJECT_0) {
      ::CancelIo(pipe_.Get());
      ::GetOverlappedResult(pipe_.Get(), &overlapped, &bytes, TRUE);
      Fail("no reply to '" + text.substr(0, text.find(' ')) + "' within " +
           std::to_string(deadline_ms) + " ms");
      pipe_.Reset();
      return std::nullopt;
    }
    if (!::GetOverlappedResult(pipe_.Get(), &overlapped, &bytes, FALSE)) {
      Fail(LastErrorText(write ? "sending the request failed" : "reading the reply failed"));
      pipe_.Reset();
      return std::nullopt;
    }
    return bytes;
  };

  std::string bytes = text + "\n";
  for (std::size_t sent = 0; sent < bytes.size();) {
    const auto chunk = transfer(true, bytes.data() + sent, static_cast<DWORD>(bytes.size() - sent));
    if (!chunk) return std::nullopt;
    sent += *chunk;
  }
  std::size_t end;
  while ((end = pending_.find('\n')) == std::string::npos) {
    if (pending_.size() > kMaxLineLength) {
      Fail("the reply is longer than " + std::to_string(kMaxLineLength) + " bytes");
      pipe_.Reset();
      return std::nullopt;
    }
    char buffer[4096];
    const auto chunk = transfer(false, buffer, sizeof buffer);
    if (!chunk) return std::nullopt;
    pending_.append(buffer, *chunk);
  }
  const std::string reply_text = pending_.substr(0, end);
  pending_.erase(0, end + 1);
  std::string error;
  auto reply = ParseLine(reply_text, &error);
  if (!reply) Fail("bad reply '" + reply_text + "': " + error);
  return reply;
}

std::optional<Line> BrowserSim::Request(const Line& request, DWORD deadline_ms) {
  return Request(FormatLine(request), deadline_ms);
}

std::optional<Line> BrowserSim::Command(const Line& request) {
  auto reply = Request(request);
  if (!reply) return std::nullopt;
  if (reply->verb == "error") {
    Fail(request.verb + ": " + reply->fields.Get("message").value_or("(no message)"));
    return std::nullopt;
  }
  if (reply->verb != "ok") {
    Fail(request.verb + ": unexpected reply '" + FormatLine(*reply) + "'");
    return std::nullopt;
  }
  return reply;
}

std::optional<OpenedWindow> BrowserSim::Open(const OpenOptions& options) {
  const auto reply = Command(Line{"open", ToFields(options), {}});
  if (!reply) return std::nullopt;
  OpenedWindow window;
  const auto id = reply->fields.GetInt("id");
  const auto hwnd = ParseHandle(reply->fields.Get("hwnd"));
  if (!id || !hwnd) {
    Fail("open: the reply names no window: " + FormatLine(*reply));
    return std::nullopt;
  }
  window.id = static_cast<int>(*id);
  window.hwnd = *hwnd;
  window.window_class = reply->fields.Get("class").value_or("");
  window.caption = reply->fields.Get("caption").value_or("");
  return window;
}

bool BrowserSim::Retitle(int id, const std::string& title) {
  Line request{"retitle", {}, {}};
  request.fields.SetInt("id", id);
  request.fields.Set("title", title);
  return Command(request).has_value();
}

bool BrowserSim::SetCaption(int id, const std::string& caption) {
  Line request{"retitle", {}, {}};
  request.fields.SetInt("id", id);
  request.fields.Set("caption", caption);
  return Command(request).has_value();
}

bool BrowserSim::Close(int id) {
  Line request{"close", {}, {}};
  request.fields.SetInt("id", id);
  const auto reply = Command(request);
  if (!reply) return false;
  if (reply->fields.GetBool("closed") != true) {
    return Fail("close: window " + std::to_string(id) + " is not destroyed (hung?)");
  }
  return true;
}

bool BrowserSim::Hang(int id) {
  Line request{"hang", {}, {}};
  request.fields.SetInt("id", id);
  return Command(request).has_value();
}

bool BrowserSim::Resume(int id) {
  Line request{"resume", {}, {}};
  request.fields.SetInt("id", id);
  return Command(request).has_value();
}

std::optional<std::vector<WindowInfo>> BrowserSim::List() {
  const auto reply = Command(Line{"list", {}, {}});
  if (!reply) return std::nullopt;
  std::vector<WindowInfo> windows;
  for (const Fields& record : reply->records) {
    WindowInfo info;
    const auto id = record.GetInt("id");
    const auto hwnd = ParseHandle(record.Get("hwnd"));
    if (!id || !hwnd) {
      Fail("list: a record names no window: " + FormatLine(*reply));
      return std::nullopt;
    }
    info.id = static_cast<int>(*id);
    info.hwnd = *hwnd;
    info.window_class = record.Get("class").value_or("");
    info.caption = record.Get("caption").value_or("");
    info.visible = record.GetBool("visible").value_or(false);
    info.alive = record.GetBool("alive").value_or(false);
    info.hung = record.GetBool("hung").value_or(false);
    info.group = record.Get("group").value_or("");
    windows.push_back(std::move(info));
  }
  return windows;
}

std::optional<TimesReport> BrowserSim::Times() {
  const auto reply = Command(Line{"times", {}, {}});
  if (!reply) return std::nullopt;
  TimesReport report;
  report.frequency = reply->fields.GetInt("frequency").value_or(0);
  report.now = reply->fields.GetInt("now").value_or(0);
  for (const Fields& record : reply->records) {
    WindowTimes times;
    times.id = static_cast<int>(record.GetInt("id").value_or(0));
    times.shown = record.GetInt("shown");
    times.hide_began = record.GetInt("hide_began");
    times.hidden = record.GetInt("hidden");
    times.destroyed = record.GetInt("destroyed");
    times.shows = static_cast<int>(record.GetInt("shows").value_or(0));
    times.hides = static_cast<int>(record.GetInt("hides").value_or(0));
    times.transparent_at_show = record.GetBool("transparent").value_or(false);
    report.windows.push_back(times);
  }
  return report;
}

bool BrowserSim::Quit(DWORD deadline_ms) {
  if (!process_) return true;
  const DWORD start = ::GetTickCount();
  // The reply may be lost as the process ends; what counts is that it ends.
  Request(Line{"quit", {}, {}}, deadline_ms);
  pipe_.Reset();
  const bool ended =
      ::WaitForSingleObject(process_.Get(), Remaining(start, deadline_ms)) == WAIT_OBJECT_0;
  if (!ended) {
    Fail("browser-sim did not quit within " + std::to_string(deadline_ms) + " ms; ended it");
    ::TerminateProcess(process_.Get(), 1);
    ::WaitForSingleObject(process_.Get(), 5000);
  }
  process_.Reset();
  return ended;
}

}  // namespace pelkrin::browser_sim
