// browser-sim.exe: a stand-in for the browser whose windows Pelkrin watches. It opens windows
// with the browser's window structure from its command line and on request of a control
// channel (README.md beside this file).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "browser_windows.h"
#include "control_channel.h"
#include "platform/win32/scoped_handle.h"
#include "protocol.h"
#include "sim_app.h"
#include "ui_thread.h"

namespace pelkrin::browser_sim {
namespace {

constexpr char kPipePrefix[] = "\\\\.\\pipe\\";
constexpr DWORD kCloseAllDeadlineMs = 3000;

constexpr char kUsage[] =
    "usage: browser-sim [--pipe NAME] [--exit-with PID] [--open \"OPTIONS\"]...\n"
    "                   [--popup] [--popup-every MS]\n"
    "  With no arguments it opens one normal browser window.\n"
    "  --pipe NAME      the control channel (default pelkrin-browser-sim-<pid>); with it the\n"
    "                   program keeps running after its last window closes, until 'quit'\n"
    "  --exit-with PID  end when that process ends\n"
    "  --open OPTIONS   open a window, OPTIONS as for the 'open' command, e.g.\n"
    "                   --open \"title=Offer toolbars=no address=http://ads.example.net/\"\n"
    "  --popup          a normal window whose page opens a popup a moment later and then\n"
    "                   every few seconds (--popup-every MS, default 5000)\n";

struct CommandLine {
  std::string pipe_name;
  bool pipe_given = false;
  std::optional<DWORD> exit_with;
  std::vector<OpenOptions> windows;
  bool popup_demo = false;
  UINT popup_every_ms = 5000;
};

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string* error) {
  CommandLine line;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--pipe" && has_value) {
      line.pipe_name = args[++i];
      line.pipe_given = true;
      if (line.pipe_name.rfind(kPipePrefix, 0) != 0) line.pipe_name = kPipePrefix + line.pipe_name;
    } else if (arg == "--exit-with" && has_value) {
      const auto pid = ParseUnsigned(args[++i]);
      if (!pid || *pid == 0 || *pid > 0xFFFFFFFFULL) {
        *error = "bad process id '" + args[i] + "'";
        return std::nullopt;
      }
      line.exit_with = static_cast<DWORD>(*pid);
    } else if (arg == "--open" && has_value) {
      std::string reason;
      const auto request = ParseLine("open " + args[++i], &reason);
      const auto options = request && request->records.empty()
                               ? OpenOptionsFromFields(request->fields, &reason)
                               : std::nullopt;
      if (!options) {
        *error = "bad --open '" + args[i] + "': " + reason;
        return std::nullopt;
      }
      line.windows.push_back(*options);
    } else if (arg == "--popup") {
      line.popup_demo = true;
    } else if (arg == "--popup-every" && has_value) {
      const auto every = ParseUnsigned(args[++i]);
      if (!every || *every < 50 || *every > 3600000) {
        *error = "bad --popup-every '" + args[i] + "' (50 to 3600000 ms)";
        return std::nullopt;
      }
      line.popup_every_ms = static_cast<UINT>(*every);
    } else {
      *error = "unknown or incomplete argument '" + arg + "'";
      return std::nullopt;
    }
  }
  if (line.pipe_name.empty()) {
    line.pipe_name =
        kPipePrefix + std::string("pelkrin-browser-sim-") + std::to_string(::GetCurrentProcessId());
  }
  if (args.empty()) line.windows.emplace_back();
  return line;
}

PagePopups DemoPopups(UINT every_ms) {
  PagePopups popups;
  popups.popup.title = "Special offer";
  popups.popup.address = "http://ads.example.net/offer";
  popups.popup.toolbars = false;
  popups.first_after_ms = every_ms < 1500 ? every_ms : 1500;
  popups.every_ms = every_ms;
  return popups;
}

int Run(HINSTANCE instance, const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stderr);
    return 0;
  }
  std::string error;
  const auto command_line = ParseCommandLine(args, &error);
  if (!command_line) {
    std::fprintf(stderr, "browser-sim: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (!RegisterBrowserClasses(instance) || !UiThread::RegisterTaskWindowClass(instance)) return 1;

  win32::ScopedKernelHandle quit(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  win32::ScopedKernelHandle all_closed(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  win32::ScopedKernelHandle parent;
  if (command_line->exit_with) {
    parent.Reset(::OpenProcess(SYNCHRONIZE, FALSE, *command_line->exit_with));
    if (!parent) {
      std::fprintf(stderr, "browser-sim: process %lu is not there to wait for (error %lu)\n",
                   *command_line->exit_with, ::GetLastError());
      return 1;
    }
  }
  if (!quit || !all_closed) return 1;

  // Run by hand, the stand-in ends with its last window, as the browser does; driven through a
  // named channel, it stays until told to quit.
  SimApp app(instance, !command_line->pipe_given, all_closed.Get());
  ControlChannel channel(
      command_line->pipe_name, [&app](const Line& request) { return app.Handle(request); },
      [&quit] { ::SetEvent(quit.Get()); });
  if (!channel.Start()) return 1;
  std::fprintf(stderr, "browser-sim: control channel %s\n", command_line->pipe_name.c_str());
  std::fflush(stderr);

  for (const OpenOptions& options : command_line->windows) app.OpenAsync(options);
  if (command_line->popup_demo) {
    OpenOptions page;
    page.flash = true;
    app.OpenAsync(page, DemoPopups(command_line->popup_every_ms));
  }

  std::vector<HANDLE> ends{quit.Get(), all_closed.Get()};
  if (parent) ends.push_back(parent.Get());
  ::WaitForMultipleObjects(static_cast<DWORD>(ends.size()), ends.data(), FALSE, INFINITE);
  app.CloseAll(kCloseAllDeadlineMs);
  // Window threads that did not end in time (a window that will not close) go with the process.
  std::fflush(stderr);
  ::ExitProcess(0);
}

}  // namespace
}  // namespace pelkrin::browser_sim

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
  return pelkrin::browser_sim::Run(instance, args);
}
