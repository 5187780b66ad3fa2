// What the running program costs while nothing is pelked: the CPU time pelkrin.exe uses over a
// stretch of time (default 60 s) with 10 ordinary browser windows of the stand-in open, once with
// pelking on (a survey every 600 ms, the CTRL override every 32 ms) and once with pelking off
// (the CTRL override alone).
//
//   idle_cost_win.exe <program folder> <browser-sim.exe> [seconds]
//
// The program folder is used as it is; its pk.sys is replaced for each run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

#include "browser_sim_client.h"
#include "platform/win32/scoped_handle.h"
#include "process_cpu.h"

namespace {

constexpr int kBrowserWindows = 10;
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

double ToMs(const FILETIME& time) {
  return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                             time.dwLowDateTime) /
         10000.0;
}

// Only the copy started from `folder` counts: other copies of the program may run.
double ProcessCpuMs(HANDLE process, const std::string& folder) {
  if (const auto linux_ms = pelkrin::bench::LinuxCpuMs(folder + "\\pelkrin.exe")) return *linux_ms;
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  return ToMs(kernel) + ToMs(user);
}

bool WaitUntil(bool (*condition)(), DWORD deadline_ms) {
  const DWORD start = ::GetTickCount();
  while (!condition()) {
    if (::GetTickCount() - start > deadline_ms) return false;
    ::Sleep(20);
  }
  return true;
}

// The CPU time of one run of the program over `seconds`, in ms; negative on failure.
double MeasureRun(const std::string& folder, bool pelking, int seconds) {
  {
    std::ofstream settings(folder + "\\pk.sys", std::ios::binary | std::ios::trunc);
    settings << "[pk]\r\nSUPER_MODE=" << (pelking ? 1 : 0)
             << "\r\nSTART_WITH_WINDOWS=0\r\nCLOSE_DLG=0\r\n";
  }
  std::string command = "\"" + folder + "\\pelkrin.exe\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &info)) {
    std::fprintf(stderr, "error: could not start %s\n", command.c_str());
    return -1;
  }
  pelkrin::win32::ScopedKernelHandle process(info.hProcess), thread(info.hThread);
  if (!WaitUntil([] { return ::FindWindowA("PelkrinTrayIcon", nullptr) != nullptr; }, 30000)) {
    std::fprintf(stderr, "error: pelkrin.exe did not start\n");
    ::TerminateProcess(process.Get(), 0);
    return -1;
  }
  ::Sleep(2000);  // start-up's own work is not part of the idle cost
  const double before = ProcessCpuMs(process.Get(), folder);
  ::Sleep(static_cast<DWORD>(seconds) * 1000);
  const double after = ProcessCpuMs(process.Get(), folder);
  ::TerminateProcess(process.Get(), 0);
  ::WaitForSingleObject(process.Get(), 5000);
  return after - before;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: idle_cost_win <program folder> <browser-sim.exe> [seconds]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int seconds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 60;
  std::string error;
  auto sim = pelkrin::browser_sim::BrowserSim::Start(argv[2], &error);
  if (!sim) {
    std::fprintf(stderr, "error: browser-sim did not start: %s\n", error.c_str());
    return 1;
  }
  for (int i = 0; i < kBrowserWindows; ++i) {
    pelkrin::browser_sim::OpenOptions window;
    window.title = "Page " + std::to_string(i);
    window.address = "http://www.example.com/" + std::to_string(i);
    if (!sim->Open(window)) {
      std::fprintf(stderr, "error: browser-sim: %s\n", sim->last_error().c_str());
      return 1;
    }
  }
  const double on = MeasureRun(folder, true, seconds);
  const double off = MeasureRun(folder, false, seconds);
  // A run must leave no start-up entry behind in the benchmark's prefix.
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) continue;
    ::RegDeleteValueA(key, "Pelkrin");
    ::RegCloseKey(key);
  }
  if (on < 0 || off < 0) {
    std::fprintf(stderr, "error: no CPU time for pelkrin.exe (on %.0f ms, off %.0f ms)\n", on, off);
    return 1;
  }
  std::printf("idle cost over %d s, %d browser windows open (CPU time of pelkrin.exe):\n", seconds,
              kBrowserWindows);
  std::printf("%-44s %10.0f ms  (%.2f%% of one core)\n", "pelking on", on, on / (seconds * 10.0));
  std::printf("%-44s %10.0f ms  (%.2f%% of one core)\n", "pelking off", off,
              off / (seconds * 10.0));
  return 0;
}
