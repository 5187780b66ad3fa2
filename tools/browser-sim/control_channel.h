// The control channel's server: a named pipe, one connection per client, one text line per
// request and per reply (protocol.h).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "sim_app.h"

namespace pelkrin::browser_sim {

class ControlChannel {
 public:
  using Handler = std::function<Reply(const Line& request)>;

  // `on_quit` runs once a reply that ends the process has been sent.
  ControlChannel(std::string pipe_name, Handler handler, std::function<void()> on_quit);

  // Creates the pipe, so that clients can connect as soon as this returns, and serves it from
  // threads of its own. False (with a diagnostic line) when the name is taken or the pipe
  // cannot be made.
  bool Start();

 private:
  HANDLE NewInstance(bool first) const;
  void AcceptLoop(HANDLE listening);
  void Serve(HANDLE pipe) const;
  Reply Answer(const std::string& text) const;

  const std::string pipe_name_;
  const Handler handler_;
  const std::function<void()> on_quit_;
};

}  // namespace pelkrin::browser_sim
