#include "control_channel.h"

#include <cstdio>
#include <thread>

#include "platform/win32/scoped_handle.h"

namespace pelkrin::browser_sim {
namespace {

constexpr DWORD kBufferBytes = 4096;

bool WriteAll(HANDLE pipe, const std::string& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    DWORD chunk = 0;
    if (!::WriteFile(pipe, bytes.data() + written, static_cast<DWORD>(bytes.size() - written),
                     &chunk, nullptr)) {
      return false;
    }
    written += chunk;
  }
  return true;
}

}  // namespace

ControlChannel::ControlChannel(std::string pipe_name, Handler handler,
                               std::function<void()> on_quit)
    : pipe_name_(std::move(pipe_name)),
      handler_(std::move(handler)),
      on_quit_(std::move(on_quit)) {}

HANDLE ControlChannel::NewInstance(bool first) const {
  return ::CreateNamedPipeA(pipe_name_.c_str(),
                            PIPE_ACCESS_DUPLEX | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                            PIPE_UNLIMITED_INSTANCES, kBufferBytes, kBufferBytes, 0, nullptr);
}

bool ControlChannel::Start() {
  HANDLE first = NewInstance(true);
  if (first == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "browser-sim: cannot create the control channel %s (error %lu)\n",
                 pipe_name_.c_str(), ::GetLastError());
    std::fflush(stderr);
    return false;
  }
  // These threads only move bytes through the pipe and end with the process.
  std::thread([this, first] { AcceptLoop(first); }).detach();
  return true;
}

void ControlChannel::AcceptLoop(HANDLE listening) {
  for (;;) {
    const bool connected =
        ::ConnectNamedPipe(listening, nullptr) || ::GetLastError() == ERROR_PIPE_CONNECTED;
    if (!connected) {
      std::fprintf(stderr, "browser-sim: a client could not connect (error %lu)\n",
                   ::GetLastError());
      std::fflush(stderr);
      ::CloseHandle(listening);
    } else {
      std::thread([this, listening] { Serve(listening); }).detach();
    }
    // Clients that find no listening instance meanwhile retry until their deadline.
    for (;;) {
      listening = NewInstance(false);
      if (listening != INVALID_HANDLE_VALUE) break;
      std::fprintf(stderr, "browser-sim: cannot listen on %s again (error %lu)\n",
                   pipe_name_.c_str(), ::GetLastError());
      std::fflush(stderr);
      ::Sleep(1000);  // a resource shortage; try again rather than go deaf
    }
  }
}

void ControlChannel::Serve(HANDLE pipe_handle) const {
  win32::ScopedKernelHandle pipe(pipe_handle);
  std::string pending;
  bool overlong = false;  // the current line passed kMaxLineLength; skipping to its end
  char buffer[kBufferBytes];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(pipe.Get(), buffer, sizeof buffer, &read, nullptr)) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_BROKEN_PIPE && error != ERROR_PIPE_NOT_CONNECTED) {
        std::fprintf(stderr, "browser-sim: reading a request failed (error %lu)\n", error);
        std::fflush(stderr);
      }
      return;
    }
    pending.append(buffer, read);
    std::size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::string text = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!text.empty() && text.back() == '\r') text.pop_back();
      // An overlong request is refused once its end arrives, so the client stays in step.
      const Reply reply = overlong ? Reply{ErrorReply("the request is longer than " +
                                                      std::to_string(kMaxLineLength) + " bytes")}
                                   : Answer(text);
      overlong = false;
      if (!WriteAll(pipe.Get(), FormatLine(reply.line) + "\n")) return;
      if (reply.then_quit) {
        on_quit_();
        return;
      }
    }
    if (pending.size() > kMaxLineLength) {
      // Keep no more of it than needed to find its end.
      overlong = true;
      pending.clear();
    }
  }
}

Reply ControlChannel::Answer(const std::string& text) const {
  std::string error;
  const auto request = ParseLine(text, &error);
  if (!request) return {ErrorReply("bad request: " + error)};
  return handler_(*request);
}

}  // namespace pelkrin::browser_sim
