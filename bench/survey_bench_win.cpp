// The survey benchmark on a real window manager (Wine here, Windows too), in one run:
//   1. the time of one survey over 200 top-level windows, 20 of them browser frames of another
//      process (the browser stand-in), with lists of 1,000 entries each, against a bare loop that
//      only enumerates the same windows and reads their class names;
//   2. how long each of 50 popups stayed visible before the running pelkrin.exe hid it, from the
//      stand-in's own clock (shown and hidden times taken inside its window procedure).
//
//   survey_bench_win.exe <program folder> <browser-sim.exe> [popups]
//
// The other top-level windows belong to a second process of this program
// (`survey_bench_win.exe --windows N`), as other programs' windows do.
#include "platform/win32/win32_platform.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser_sim_client.h"
#include "detector/detection_cycle.h"
#include "survey_scene.h"
#include "ui/form.h"
#include "ui/view_host.h"

namespace pelkrin::bench {
namespace {

constexpr char kPlainWindowsReady[] = "PelkrinBenchWindowsReady";

double WallMicroseconds() {
  static const double frequency = [] {
    LARGE_INTEGER value{};
    ::QueryPerformanceFrequency(&value);
    return static_cast<double>(value.QuadPart);
  }();
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1e6 / frequency;
}

double ThreadCpuMicroseconds() {
  FILETIME created, exited, kernel, user;
  ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
  const auto to_us = [](const FILETIME& time) {
    return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime) /
           10.0;
  };
  return to_us(kernel) + to_us(user);
}

// Forms of the benchmark never show: no views.
class NoViews : public ViewHost {
 public:
  std::unique_ptr<FormView> CreateView(Form&) override { return nullptr; }
  MenuItem* PopupMenu(MenuItem&, const MenuItem*, const std::function<void(MenuItem&)>&) override {
    return nullptr;
  }
};

struct Host : Form {
  explicit Host(ViewHost& views) : Form(views, "frmBench", "", {}) {}
  ListBox domains{*this, "List1", {}};
  ListBox captions{*this, "List2", {}};
  ListBox blocks{*this, "List3", {}};
  TextBox TextHnd{*this, "TextHnd", {}};
  TextBox TextFlash{*this, "TextFlash", {}};
  TextBox Text2{*this, "Text2", {}};
  ListBox List2{*this, "List2", {}};
};

// The second process: N plain top-level windows, half of them visible, until it is ended.
int RunPlainWindows(int count) {
  for (int i = 0; i < count; ++i) {
    const std::string caption = "Document " + std::to_string(i);
    ::CreateWindowExA(0, "STATIC", caption.c_str(),
                      WS_OVERLAPPEDWINDOW | (i % 2 == 0 ? WS_VISIBLE : 0), 0, 0, 80, 40,
                      nullptr, nullptr, nullptr, nullptr);
  }
  ::CreateWindowExA(0, "STATIC", kPlainWindowsReady, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                    nullptr, nullptr);
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) ::DispatchMessageA(&message);
  return 0;
}

bool WaitFor(const std::function<bool()>& condition, DWORD deadline_ms) {
  const DWORD start = ::GetTickCount();
  while (!condition()) {
    if (::GetTickCount() - start > deadline_ms) return false;
    ::Sleep(1);
  }
  return true;
}

BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
  ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

BOOL CALLBACK ReadClassName(HWND window, LPARAM) {
  char name[260];
  ::GetClassNameA(window, name, sizeof name);
  return TRUE;
}

int CountTopLevel() {
  int count = 0;
  ::EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

int MeasureSurvey(browser_sim::BrowserSim& sim, int runs) {
  for (int i = 0; i < kBrowserFrames; ++i) {
    browser_sim::OpenOptions page;
    page.title = "Page " + std::to_string(i);
    page.address = "http://www.example.com/" + std::to_string(i);
    page.group = "pages";
    if (!sim.Open(page)) {
      std::fprintf(stderr, "error: browser-sim: %s\n", sim.last_error().c_str());
      return 1;
    }
  }
  // Up to 200 top-level windows with those of the desktop itself.
  const int others = kTopLevelWindows - kBrowserFrames - (CountTopLevel() - kBrowserFrames);
  std::string self(MAX_PATH, '\0');
  self.resize(::GetModuleFileNameA(nullptr, self.data(), MAX_PATH));
  std::string command = "\"" + self + "\" --windows " + std::to_string(others > 0 ? others : 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    std::fprintf(stderr, "error: could not start the window process\n");
    return 1;
  }
  win32::ScopedKernelHandle process_handle(process.hProcess), thread_handle(process.hThread);
  if (!WaitFor([] { return ::FindWindowA("STATIC", kPlainWindowsReady) != nullptr; }, 20000)) {
    std::fprintf(stderr, "error: the window process did not come up\n");
    return 1;
  }

  win32::Win32WindowManager windows;
  win32::Win32EventLoop events;
  win32::Win32ProfileFile profile;
  win32::Win32Dialogs dialogs;
  win32::Win32Process process_seam;
  win32::Win32Diagnostics diagnostics;
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  SettingsStore settings(profile, std::string(temp) + "PelkrinBench" +
                                      std::to_string(::GetCurrentProcessId()));
  NoViews views;
  Host host(views);
  FillLists(host.domains, host.captions, host.blocks);
  ListStates list_states;
  win32::Win32TextCase text_case;
  DetectionCycle cycle({windows, events, settings, dialogs, process_seam, diagnostics},
                       {host.domains, host.captions, host.blocks, list_states, text_case},
                       {host.TextHnd, host.TextFlash, host.Text2, host.List2},
                       {[] { return true; }, [] { return DetectionSwitches{}; }, [] {}});
  cycle.Survey();  // warm up
  int frames = 0;
  for (const auto& entry : cycle.Census()) frames += entry.frame ? 1 : 0;
  std::printf("Wine desktop: %d top-level windows, %d browser frames, lists of %d\n",
              CountTopLevel(), frames, kListEntries);

  const auto bare_loop = [] { ::EnumWindows(ReadClassName, 0); };
  const auto survey_wall = Measure(runs, WallMicroseconds, [&] { cycle.Survey(); });
  const auto bare_wall = Measure(runs, WallMicroseconds, bare_loop);
  // The thread's CPU time ticks in steps of 10 ms or more: take it over all runs at once.
  const auto mean_cpu = [&](const std::function<void()>& body) {
    const double start = ThreadCpuMicroseconds();
    for (int i = 0; i < runs; ++i) body();
    return (ThreadCpuMicroseconds() - start) / runs;
  };
  const double survey_cpu = mean_cpu([&] { cycle.Survey(); });
  const double bare_cpu = mean_cpu(bare_loop);
  Report("survey (wall time)", survey_wall);
  Report("bare enumeration + class names (wall time)", bare_wall);
  std::printf("%-44s mean   %10.1f us\n", "survey (CPU time of this thread)", survey_cpu);
  std::printf("%-44s mean   %10.1f us\n", "bare enumeration (CPU time of this thread)", bare_cpu);
  std::printf("%-44s %.2f (wall, medians), %.2f (CPU, means)\n", "ratio survey / bare loop",
              Percentile(survey_wall, 0.5) / std::max(Percentile(bare_wall, 0.5), 0.001),
              survey_cpu / std::max(bare_cpu, 0.001));
  ::TerminateProcess(process_handle.Get(), 0);
  ::WaitForSingleObject(process_handle.Get(), 5000);
  return host.TextHnd.Text().empty() ? 0 : 1;
}

int MeasureVisibleTime(browser_sim::BrowserSim& sim, const std::string& program_folder,
                       int popups) {
  std::string command = "\"" + program_folder + "\\pelkrin.exe\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        program_folder.c_str(), &startup, &process)) {
    std::fprintf(stderr, "error: could not start %s\n", command.c_str());
    return 1;
  }
  win32::ScopedKernelHandle process_handle(process.hProcess), thread_handle(process.hThread);
  if (!WaitFor([] { return ::FindWindowA("PelkrinMain", nullptr) != nullptr; }, 30000)) {
    std::fprintf(stderr, "error: pelkrin.exe showed no main window\n");
    return 1;
  }
  std::vector<int> ids;
  for (int i = 0; i < popups; ++i) {
    browser_sim::OpenOptions popup;
    popup.title = "Offer " + std::to_string(i);
    popup.address = "http://ads.example.net/" + std::to_string(i);
    popup.toolbars = false;
    popup.group = "popups";
    const auto opened = sim.Open(popup);
    if (!opened) {
      std::fprintf(stderr, "error: browser-sim: %s\n", sim.last_error().c_str());
      break;
    }
    ids.push_back(opened->id);
    if (!WaitFor([&] { return !::IsWindowVisible(opened->hwnd); }, 10000)) {
      std::fprintf(stderr, "error: popup %d was not hidden within 10 s\n", i);
      break;
    }
  }
  // The stand-in records a hiding inside its window procedure, a moment after the window stops
  // being visible to others: wait until every popup's record is in.
  std::optional<browser_sim::TimesReport> times;
  WaitFor(
      [&] {
        times = sim.Times();
        if (!times) return true;
        for (const int id : ids) {
          const auto* window = times->Find(id);
          if (!window || !window->hidden) return false;
        }
        return true;
      },
      5000);
  ::TerminateProcess(process_handle.Get(), 0);
  ::WaitForSingleObject(process_handle.Get(), 5000);
  if (!times) {
    std::fprintf(stderr, "error: browser-sim: %s\n", sim.last_error().c_str());
    return 1;
  }
  std::vector<double> visible_ms;
  for (const int id : ids) {
    const auto* window = times->Find(id);
    if (window && window->shown && window->hidden) {
      visible_ms.push_back(static_cast<double>(*window->hidden - *window->shown) / 1000.0);
    } else {
      std::fprintf(stderr, "error: no shown and hidden times for window %d\n", id);
    }
  }
  std::printf("%-44s median %8.1f ms   p95 %8.1f ms   max %8.1f ms   (%zu popups)\n",
              "popup visible before it was hidden", Percentile(visible_ms, 0.5),
              Percentile(visible_ms, 0.95), Percentile(visible_ms, 1.0), visible_ms.size());
  return visible_ms.size() == static_cast<std::size_t>(popups) ? 0 : 1;
}

}  // namespace
}  // namespace pelkrin::bench

int main(int argc, char** argv) {
  using namespace pelkrin::bench;
  if (argc == 3 && std::string(argv[1]) == "--windows") return RunPlainWindows(std::atoi(argv[2]));
  if (argc < 3) {
    std::fprintf(stderr, "usage: survey_bench_win <program folder> <browser-sim.exe> [popups]\n");
    return 2;
  }
  const int popups = argc > 3 ? std::atoi(argv[3]) : 50;
  std::string error;
  auto sim = pelkrin::browser_sim::BrowserSim::Start(argv[2], &error);
  if (!sim) {
    std::fprintf(stderr, "error: browser-sim did not start: %s\n", error.c_str());
    return 1;
  }
  int status = MeasureSurvey(*sim, 100);
  if (status == 0) {
    sim->Quit();
    sim = pelkrin::browser_sim::BrowserSim::Start(argv[2], &error);
    if (!sim) {
      std::fprintf(stderr, "error: browser-sim did not start again: %s\n", error.c_str());
      return 1;
    }
    status = MeasureVisibleTime(*sim, argv[1], popups);
  }
  return status;
}
