// The survey benchmark on a real window manager (Wine here, Windows too), in one run:
//   1. the time of one survey over 200 top-level windows, 20 of them browser frames of another
//      process (the browser stand-in), with lists of 1,000 entries each, against a bare loop that
//      only enumerates the same windows and reads their class names;
//   2. how long each popup stayed visible before the running pelkrin.exe hid it, from the
//      stand-in's own clock (shown and hidden times taken inside its window procedure): N popups
//      (default 50) one at a time, N/10 bursts of 10 at once, and N one at a time while 200 other
//      top-level windows exist; each popup shows 30 ms after its creation;
//   3. the CPU time of the running program over S seconds (default 60) with pelking on and 200
//      windows open, against a small program that only runs the bare census every 600 ms;
//   4. the time from starting pelkrin.exe to its icon being in the notification area, against
//      an empty program that only adds a tray icon (tray_only_win.exe, beside this one).
//
//   survey_bench_win.exe <program folder> <browser-sim.exe> [popups] [idle seconds]
//   survey_bench_win.exe --start-to-tray <program folder> [starts]     (4. alone)
//
// and with --crowded, the desktop of a thousand ordinary browser frames sharing the popups'
// caption: how long popups shown among them stay visible while the frames' captions change in a
// storm, how long the tray takes to answer WM_NULL every 200 ms meanwhile, and the program's CPU
// with the frames open and nothing changing:
//
//   survey_bench_win.exe --crowded <program folder> <browser-sim.exe> [frames] [popups] [seconds]
//
// The other top-level windows belong to a second process of this program
// (`survey_bench_win.exe --windows N`), as other programs' windows do.
#include "platform/win32/win32_platform.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "browser_sim_client.h"
#include "detector/detection_cycle.h"
#include "process_cpu.h"
#include "survey_scene.h"
#include "tests/unit/survey_host.h"
#include "tray/tray_icon.h"
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

// The second process: N plain top-level windows, half of them visible, until it is ended.
int RunPlainWindows(int count) {
  for (int i = 0; i < count; ++i) {
    const std::string caption = "Document " + std::to_string(i);
    ::CreateWindowExA(0, "STATIC", caption.c_str(),
                      WS_OVERLAPPEDWINDOW | (i % 2 == 0 ? WS_VISIBLE : 0), 0, 0, 80, 40, nullptr,
                      nullptr, nullptr, nullptr);
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
  SettingsStore settings(
      profile, diagnostics,
      std::string(temp) + "PelkrinBench" + std::to_string(::GetCurrentProcessId()));
  NoViews views;
  testing::SurveyHost host(views);
  FillLists(host.domains, host.captions, host.blocks);
  ListStates list_states;
  win32::Win32TextCase text_case;
  DetectionCycle cycle({windows, events, settings, dialogs, process_seam, diagnostics},
                       {host.domains, host.captions, host.blocks, list_states, text_case},
                       {.pelking_on = [] { return true; },
                        .switches = [] { return DetectionSwitches{}; },
                        .save_before_failure_exit = {},
                        .pelk_event = {}});
  SurveyWhole(cycle);  // warm up
  std::printf("Wine desktop: %d top-level windows, %zu browser frames, lists of %d\n",
              CountTopLevel(), cycle.Census().size(), kListEntries);

  const auto bare_loop = [] { ::EnumWindows(ReadClassName, 0); };
  // The survey as it was before it judged each candidate through the census's own window: the
  // same work plus the second lookup's read of each frame's caption.
  const auto former_survey = [&] {
    SurveyWhole(cycle);
    for (const auto& entry : cycle.Census()) windows.Caption(entry.window, kCensusTextChars);
  };
  const auto survey_wall = Measure(runs, WallMicroseconds, [&] { SurveyWhole(cycle); });
  const auto bare_wall = Measure(runs, WallMicroseconds, bare_loop);
  // The thread's CPU time ticks in steps of 10 ms or more: take it over all runs at once.
  const auto mean_cpu = [&](const std::function<void()>& body) {
    const double start = ThreadCpuMicroseconds();
    for (int i = 0; i < runs; ++i) body();
    return (ThreadCpuMicroseconds() - start) / runs;
  };
  const double survey_cpu = mean_cpu([&] { SurveyWhole(cycle); });
  const double former_cpu = mean_cpu(former_survey);
  const double bare_cpu = mean_cpu(bare_loop);
  Report("survey (wall time)", survey_wall);
  Report("bare enumeration + class names (wall time)", bare_wall);
  std::printf("%-44s mean   %10.1f us\n", "survey (CPU time of this thread)", survey_cpu);
  std::printf("%-44s mean   %10.1f us\n", "bare enumeration (CPU time of this thread)", bare_cpu);
  std::printf("%-44s mean   %10.1f us   ratio %.2f\n", "former survey, second lookup (CPU time)",
              former_cpu, former_cpu / std::max(bare_cpu, 0.001));
  std::printf("%-44s %.2f (wall, medians), %.2f (CPU, means)\n", "ratio survey / bare loop",
              Percentile(survey_wall, 0.5) / std::max(Percentile(bare_wall, 0.5), 0.001),
              survey_cpu / std::max(bare_cpu, 0.001));
  // With the window events watched, as the running program surveys: only what can change
  // unreported is read again.
  if (cycle.Attach()) {
    SurveyWhole(cycle);
    const double remembered_cpu = mean_cpu([&] { SurveyWhole(cycle); });
    std::printf("%-44s mean   %10.1f us   ratio %.2f\n", "survey, events watched (CPU time)",
                remembered_cpu, remembered_cpu / std::max(bare_cpu, 0.001));
  }
  ::TerminateProcess(process_handle.Get(), 0);
  ::WaitForSingleObject(process_handle.Get(), 5000);
  return cycle.LastHiddenPopup() ? 1 : 0;
}

// The other top-level windows of a measurement: a second process of this program that holds
// `count` plain windows until it is ended.
class PlainWindows {
 public:
  explicit PlainWindows(int count) {
    std::string self(MAX_PATH, '\0');
    self.resize(::GetModuleFileNameA(nullptr, self.data(), MAX_PATH));
    std::string command = "\"" + self + "\" --windows " + std::to_string(count);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
      return;
    process_.Reset(process.hProcess);
    thread_.Reset(process.hThread);
    ok_ = WaitFor([] { return ::FindWindowA("STATIC", kPlainWindowsReady) != nullptr; }, 20000);
  }
  ~PlainWindows() {
    if (!process_) return;
    ::TerminateProcess(process_.Get(), 0);
    ::WaitForSingleObject(process_.Get(), 5000);
  }
  bool ok() const { return ok_; }

 private:
  win32::ScopedKernelHandle process_, thread_;
  bool ok_ = false;
};

// A program started from this one, ended with it.
class Started {
 public:
  Started(std::string command, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &process))
      return;
    process_.Reset(process.hProcess);
    thread_.Reset(process.hThread);
  }
  ~Started() {
    if (!process_) return;
    ::TerminateProcess(process_.Get(), 0);
    ::WaitForSingleObject(process_.Get(), 5000);
  }
  HANDLE process() const { return process_.Get(); }
  // User and kernel time of the whole process so far, in microseconds; under Wine from the Linux
  // process whose command line holds `needle`.
  double CpuMicroseconds(const std::string& needle) const {
    if (const auto linux_ms = LinuxCpuMs(needle)) return *linux_ms * 1000.0;
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process_.Get(), &created, &exited, &kernel, &user)) return 0;
    const auto to_us = [](const FILETIME& time) {
      return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                 time.dwLowDateTime) /
             10.0;
    };
    return to_us(kernel) + to_us(user);
  }

 private:
  win32::ScopedKernelHandle process_, thread_;
};

std::string SelfPath() {
  std::string self(MAX_PATH, '\0');
  self.resize(::GetModuleFileNameA(nullptr, self.data(), MAX_PATH));
  return self;
}

// Ends every running pelkrin.exe (a desktop starts the one in its start-up entry): a second
// start would only say that the program is already running.
void EndRunningPrograms() {
  while (HWND main = ::FindWindowA("PelkrinMain", nullptr)) {
    DWORD process_id = 0;
    ::GetWindowThreadProcessId(main, &process_id);
    win32::ScopedKernelHandle process(
        ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process_id));
    if (!process || !::TerminateProcess(process.Get(), 0)) return;
    ::WaitForSingleObject(process.Get(), 5000);
  }
}

// The visible times of the popups `ids`, in ms, once the stand-in has recorded every hide. With
// `until_hide_ms`, also how long each showed before its hide reached the stand-in's window: the
// program's share, the rest being the time the system takes to hide a window.
std::vector<double> VisibleTimes(browser_sim::BrowserSim& sim, const std::vector<int>& ids,
                                 double* spread_ms = nullptr,
                                 std::vector<double>* until_hide_ms = nullptr) {
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
  std::vector<double> visible_ms;
  if (!times) {
    std::fprintf(stderr, "error: browser-sim: %s\n", sim.last_error().c_str());
    return visible_ms;
  }
  std::int64_t first = 0, last = 0;
  for (const int id : ids) {
    const auto* window = times->Find(id);
    if (window && window->shown && window->hidden) {
      visible_ms.push_back(static_cast<double>(*window->hidden - *window->shown) / 1000.0);
      if (until_hide_ms && window->hide_began)
        until_hide_ms->push_back(
            static_cast<double>(std::max(*window->hide_began - *window->shown, std::int64_t{0})) /
            1000.0);
      if (first == 0 || *window->shown < first) first = *window->shown;
      if (*window->shown > last) last = *window->shown;
    } else {
      std::fprintf(stderr, "error: no shown and hidden times for window %d\n", id);
    }
  }
  if (spread_ms) *spread_ms = static_cast<double>(last - first) / 1000.0;
  return visible_ms;
}

void ReportVisible(const char* what, const std::vector<double>& visible_ms) {
  std::printf("%-44s median %6.2f ms   p95 %6.2f ms   max %7.2f ms   (%zu popups)\n", what,
              Percentile(visible_ms, 0.5), Percentile(visible_ms, 0.95),
              Percentile(visible_ms, 1.0), visible_ms.size());
}

// The popups' page colour, which nothing else on the bench's desktop has; each popup's differs
// in its last bits from its neighbours', so that one popup seen through another is not counted.
std::uint32_t PopupColour(int id) { return 0x12F000u | static_cast<std::uint32_t>(id & 0x3F); }

// Looks at the screen from a thread of its own, as fast as it can, at the centre of each popup
// being watched: whether any pixel of the popup's page reached the screen.
class ScreenProbe {
 public:
  ScreenProbe() : thread_([this] { Run(); }) {}
  ~ScreenProbe() {
    stop_ = true;
    thread_.join();
  }
  void Watch(int id, HWND window) {
    const std::lock_guard<std::mutex> lock(mutex_);
    watched_.emplace_back(id, window);
  }
  void StopWatching() {
    const std::lock_guard<std::mutex> lock(mutex_);
    watched_.clear();
  }
  std::size_t Seen() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return seen_.size();
  }

 private:
  void Run() {
    HDC screen = ::GetDC(nullptr);
    while (!stop_) {
      std::vector<std::pair<int, HWND>> watched;
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        watched = watched_;
      }
      if (watched.empty()) ::Sleep(1);
      for (const auto& [id, window] : watched) {
        RECT area{};
        if (!::GetWindowRect(window, &area)) continue;
        const std::uint32_t colour = PopupColour(id);
        if (::GetPixel(screen, (area.left + area.right) / 2, (area.top + area.bottom) / 2) !=
            RGB(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF))
          continue;
        const std::lock_guard<std::mutex> lock(mutex_);
        seen_.insert(id);
      }
    }
    ::ReleaseDC(nullptr, screen);
  }

  std::mutex mutex_;
  std::vector<std::pair<int, HWND>> watched_;
  std::set<int> seen_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Opens `count` popups at once (all shown at about the same moment); their ids go to `ids`. With
// `probe`, each paints its page at once as it shows (a hide then waits a millisecond), and it is
// watched on the screen.
bool OpenPopups(browser_sim::BrowserSim& sim, int first, int count, std::uint32_t show_after_ms,
                std::uint32_t stagger_ms, std::vector<int>* ids, ScreenProbe* probe = nullptr) {
  for (int i = 0; i < count; ++i) {
    browser_sim::OpenOptions popup;
    popup.title = "Offer " + std::to_string(first + i);
    popup.address = "http://ads.example.net/" + std::to_string(first + i);
    popup.toolbars = false;
    // Created hidden and shown later, as a page opens a popup; in a burst the earlier ones wait
    // longer, so that all show together.
    popup.show_after_ms = show_after_ms + static_cast<std::uint32_t>(count - 1 - i) * stagger_ms;
    // A burst's windows share one thread of the stand-in, as one page's popups do.
    if (count > 1) popup.group = "burst" + std::to_string(first);
    if (probe) {
      popup.paint = PopupColour(first + i);
      popup.busy_after_show_ms = 1;
    }
    const auto window = sim.Open(popup);
    if (!window) {
      std::fprintf(stderr, "error: browser-sim: %s\n", sim.last_error().c_str());
      return false;
    }
    ids->push_back(window->id);
    if (probe) probe->Watch(first + i, window->hwnd);
  }
  return true;
}

// How much later than asked `count` ordinary browser windows show, one at a time: each is
// created hidden and asks to be shown 30 ms later. Empty when the stand-in fails.
std::vector<double> OrdinaryShowDelays(const std::string& browser_sim_exe, int count) {
  std::string error;
  auto sim = browser_sim::BrowserSim::Start(browser_sim_exe, &error);
  std::vector<double> delays_ms;
  if (!sim) return delays_ms;
  for (int i = 0; i < count; ++i) {
    browser_sim::OpenOptions window;
    window.title = "Home " + std::to_string(i);
    window.show_after_ms = 30;
    const std::int64_t opened = browser_sim::NowMicros();
    const auto opened_window = sim->Open(window);
    std::optional<browser_sim::TimesReport> times;
    if (!opened_window || !WaitFor(
                              [&] {
                                times = sim->Times();
                                const auto* record =
                                    times ? times->Find(opened_window->id) : nullptr;
                                return record && record->shown;
                              },
                              5000))
      return {};
    delays_ms.push_back(
        static_cast<double>(*times->Find(opened_window->id)->shown - opened) / 1000.0 - 30.0);
  }
  sim->Quit();
  return delays_ms;
}

void ReportOrdinary(const char* what, const std::vector<double>& delays_ms) {
  std::printf("%-44s median %6.2f ms   p95 %6.2f ms   (%zu windows)\n", what,
              Percentile(delays_ms, 0.5), Percentile(delays_ms, 0.95), delays_ms.size());
}

int MeasureVisibleTime(const std::string& browser_sim_exe, const std::string& program_folder,
                       int popups) {
  EndRunningPrograms();
  // An ordinary window is never made transparent: it shows as late without the program as with.
  ReportOrdinary("ordinary window, later than asked: alone",
                 OrdinaryShowDelays(browser_sim_exe, 20));
  Started program("\"" + program_folder + "\\pelkrin.exe\"", program_folder);
  if (!program.process()) {
    std::fprintf(stderr, "error: could not start pelkrin.exe\n");
    return 1;
  }
  if (!WaitFor([] { return ::FindWindowA("PelkrinMain", nullptr) != nullptr; }, 30000)) {
    std::fprintf(stderr, "error: pelkrin.exe showed no main window\n");
    return 1;
  }
  int status = 0;
  const auto run = [&](const char* what, int groups, int per_group, int extra_windows,
                       bool painted = false) {
    std::string error;
    auto sim = browser_sim::BrowserSim::Start(browser_sim_exe, &error);
    if (!sim) {
      std::fprintf(stderr, "error: browser-sim did not start: %s\n", error.c_str());
      status = 1;
      return;
    }
    std::optional<PlainWindows> others;
    if (extra_windows > 0) {
      others.emplace(extra_windows);
      if (!others->ok()) {
        std::fprintf(stderr, "error: the window process did not come up\n");
        status = 1;
        return;
      }
    }
    std::vector<int> ids;
    double worst_spread = 0;
    std::optional<ScreenProbe> probe;
    if (painted) probe.emplace();
    for (int group = 0; group < groups; ++group) {
      std::vector<int> group_ids;
      // A popup shows 30 ms after its creation; a burst's ten within a few ms of each other.
      if (!OpenPopups(*sim, group * per_group, per_group, 30, per_group > 1 ? 15 : 0, &group_ids,
                      probe ? &*probe : nullptr)) {
        status = 1;
        return;
      }
      // Until all are hidden.
      double spread = 0;
      if (VisibleTimes(*sim, group_ids, &spread).size() != group_ids.size()) {
        status = 1;
        return;
      }
      worst_spread = std::max(worst_spread, spread);
      ids.insert(ids.end(), group_ids.begin(), group_ids.end());
      if (probe) probe->StopWatching();
    }
    std::vector<double> until_hide_ms;
    const std::vector<double> visible_ms = VisibleTimes(*sim, ids, nullptr, &until_hide_ms);
    ReportVisible(what, visible_ms);
    // Made transparent while hidden, a popup is not drawn at all while it shows.
    if (const auto times = sim->Times()) {
      int transparent = 0;
      for (const int id : ids)
        if (const auto* record = times->Find(id); record && record->transparent_at_show)
          ++transparent;
      std::printf("%-44s %d of %zu (%.0f%%)\n", "  of which transparent when shown", transparent,
                  ids.size(),
                  100.0 * transparent / static_cast<double>(std::max<size_t>(ids.size(), 1)));
    }
    // The probe looks a few times a millisecond: a popup drawn for a moment may be missed.
    if (probe)
      std::printf("%-44s %zu of %zu\n", "  of which seen on the screen", probe->Seen(), ids.size());
    ReportVisible("  of which until the hide reached the popup", until_hide_ms);
    if (per_group > 1)
      std::printf("%-44s %.1f ms at most between a burst's first and last showing\n", "",
                  worst_spread);
    if (visible_ms.size() != ids.size()) status = 1;
    sim->Quit();
  };
  ReportOrdinary("  with pelkrin.exe running", OrdinaryShowDelays(browser_sim_exe, 20));
  run("popup visible: one at a time", popups, 1, 0);
  run("popup visible: bursts of 10", std::max(popups / 10, 1), 10, 0);
  run("popup visible: one at a time, 200 windows", popups, 1, kTopLevelWindows);
  // Popups that paint at once as they show: whether any pixel of theirs reached the screen.
  run("popup painted as it shows: one at a time", popups, 1, 0, true);
  run("popup painted as it shows: bursts of 10", std::max(popups / 10, 1), 10, 0, true);
  return status;
}

// The bare census every 600 ms, as a small program would run it: the yardstick of idle CPU.
void CALLBACK BareCensusTick(HWND, UINT, UINT_PTR, DWORD) { ::EnumWindows(ReadClassName, 0); }

int RunBareCensus() {
  ::SetTimer(nullptr, 0, 600, BareCensusTick);
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) ::DispatchMessageA(&message);
  return 0;
}

// The CPU time of the running program over `seconds` with pelking on and 200 windows open,
// against the bare census every 600 ms over the same time, both running side by side.
int MeasureIdleCpu(const std::string& browser_sim_exe, const std::string& program_folder,
                   int seconds) {
  std::string error;
  auto sim = browser_sim::BrowserSim::Start(browser_sim_exe, &error);
  if (!sim) {
    std::fprintf(stderr, "error: browser-sim did not start: %s\n", error.c_str());
    return 1;
  }
  for (int i = 0; i < kBrowserFrames; ++i) {
    browser_sim::OpenOptions page;
    page.title = "Page " + std::to_string(i);
    page.group = "pages";
    if (!sim->Open(page)) return 1;
  }
  PlainWindows others(std::max(kTopLevelWindows - CountTopLevel(), 0));
  if (!others.ok()) return 1;
  EndRunningPrograms();
  Started program("\"" + program_folder + "\\pelkrin.exe\"", program_folder);
  if (!WaitFor([] { return ::FindWindowA("PelkrinMain", nullptr) != nullptr; }, 30000)) return 1;
  ::Sleep(2000);  // start-up done
  Started census("\"" + SelfPath() + "\" --bare-census", "");
  ::Sleep(500);
  const std::string program_needle = program_folder + "\\pelkrin.exe";
  const std::string census_needle = "--bare-census";
  const double program_start = program.CpuMicroseconds(program_needle);
  const double census_start = census.CpuMicroseconds(census_needle);
  ::Sleep(static_cast<DWORD>(seconds) * 1000);
  const double program_cpu = program.CpuMicroseconds(program_needle) - program_start;
  const double census_cpu = census.CpuMicroseconds(census_needle) - census_start;
  std::printf("%-44s %d top-level windows, %d s\n", "idle CPU", CountTopLevel(), seconds);
  std::printf("%-44s %10.1f ms\n", "  pelkrin.exe, pelking on", program_cpu / 1000.0);
  std::printf("%-44s %10.1f ms\n", "  bare census every 600 ms", census_cpu / 1000.0);
  std::printf("%-44s %.2f\n", "  ratio", program_cpu / std::max(census_cpu, 1.0));
  sim->Quit();
  return 0;
}

}  // namespace
}  // namespace pelkrin::bench

namespace pelkrin::bench {
namespace {

// The yardstick of start-up, tray_only_win.exe: an empty program that adds one tray icon.
constexpr char kTrayOnlyClass[] = "PelkrinBenchTrayOnly";

// Whether a window of class `window_class` of the process `process_id` has its icon 0 in the
// notification area: the shell accepts a change that changes nothing only for an icon it holds.
bool IconInTray(const char* window_class, DWORD process_id) {
  for (HWND window = ::FindWindowExA(nullptr, nullptr, window_class, nullptr); window != nullptr;
       window = ::FindWindowExA(nullptr, window, window_class, nullptr)) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != process_id) continue;
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    if (::Shell_NotifyIconA(NIM_MODIFY, &icon)) return true;
  }
  return false;
}

// Milliseconds from CreateProcess to the icon of `window_class`, or a negative value.
double StartToTrayMs(const std::string& command, const std::string& folder,
                     const char* window_class) {
  const double start = WallMicroseconds();
  Started program(command, folder);
  if (!program.process()) return -1;
  const DWORD process_id = ::GetProcessId(program.process());
  if (!WaitFor([&] { return IconInTray(window_class, process_id); }, 30000)) return -1;
  return (WallMicroseconds() - start) / 1000.0;  // the program ends here, before the next start
}

int MeasureStartToTray(const std::string& program_folder, int runs) {
  EndRunningPrograms();
  const std::string pelkrin = "\"" + program_folder + "\\pelkrin.exe\"";
  std::string tray_only = SelfPath();
  tray_only = "\"" + tray_only.substr(0, tray_only.find_last_of('\\') + 1) + "tray_only_win.exe\"";
  std::vector<double> program_ms, yardstick_ms, pair_ratios;
  // One start of each first, not counted: the first start of a program loads what later ones
  // find in the cache.
  for (int run = -1; run < runs; ++run) {
    const double program = StartToTrayMs(pelkrin, program_folder, kTrayWindowClass);
    const double yardstick = StartToTrayMs(tray_only, program_folder, kTrayOnlyClass);
    if (program < 0 || yardstick < 0) {
      std::fprintf(stderr, "error: %s showed no tray icon within 30 s\n",
                   program < 0 ? "pelkrin.exe" : "tray_only_win.exe");
      return 1;
    }
    if (run < 0) continue;
    program_ms.push_back(program);
    yardstick_ms.push_back(yardstick);
    pair_ratios.push_back(program / std::max(yardstick, 0.001));
  }
  const double program_median = Percentile(program_ms, 0.5);
  const double yardstick_median = Percentile(yardstick_ms, 0.5);
  std::printf("%-44s median %7.1f ms   p95 %7.1f ms   (%d starts)\n",
              "start to tray icon: pelkrin.exe", program_median, Percentile(program_ms, 0.95),
              runs);
  std::printf("%-44s median %7.1f ms   p95 %7.1f ms   ratio %.2f\n",
              "  an empty program adding a tray icon", yardstick_median,
              Percentile(yardstick_ms, 0.95), program_median / std::max(yardstick_median, 0.001));
  // Each start of the program is followed by one of the yardstick: on a machine whose load
  // changes, the ratio within each pair drifts less than the ratio of the two medians.
  std::printf("%-44s %.2f\n", "  median ratio of back-to-back starts",
              Percentile(pair_ratios, 0.5));
  return 0;
}

// ---- The crowded desktop: a thousand ordinary browser frames ----

// WM_NULL to the program's tray window every 200 ms from a thread of its own, each answer's time
// taken: how long a click on the icon would wait.
class TrayPings {
 public:
  explicit TrayPings(HWND tray)
      : thread_([this, tray] {
          while (!stop_) {
            const double start = WallMicroseconds();
            DWORD_PTR result = 0;
            ::SendMessageTimeoutA(tray, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
            const double took_ms = (WallMicroseconds() - start) / 1000.0;
            answers_ms_.push_back(took_ms);
            ::Sleep(took_ms < 200 ? static_cast<DWORD>(200 - took_ms) : 0);
          }
        }) {}
  ~TrayPings() { Stop(); }
  std::vector<double> Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return answers_ms_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::vector<double> answers_ms_;
  std::thread thread_;
};

void ReportPings(const char* what, const std::vector<double>& answers_ms) {
  const auto over = [&](double ms) {
    return std::count_if(answers_ms.begin(), answers_ms.end(), [ms](double t) { return t > ms; });
  };
  std::printf("%-44s %zu pings: median %.1f ms, %d over 100 ms, %d over 500 ms, slowest %.1f ms\n",
              what, answers_ms.size(), Percentile(answers_ms, 0.5), static_cast<int>(over(100)),
              static_cast<int>(over(500)), Percentile(answers_ms, 1.0));
}

// `frames` ordinary browser frames of the stand-in, all with the popups' caption, then `popups`
// popups one at a time, each shown while the frames' captions change in a storm; the tray pinged
// throughout; last the program's CPU over `seconds` with the frames open and nothing changing.
int MeasureCrowdedDesktop(const std::string& browser_sim_exe, const std::string& program_folder,
                          int frames, int popups, int seconds) {
  EndRunningPrograms();
  Started program("\"" + program_folder + "\\pelkrin.exe\"", program_folder);
  const DWORD program_id = program.process() ? ::GetProcessId(program.process()) : 0;
  HWND tray = nullptr;
  if (!WaitFor(
          [&] {
            for (tray = ::FindWindowExA(nullptr, nullptr, kTrayWindowClass, nullptr); tray;
                 tray = ::FindWindowExA(nullptr, tray, kTrayWindowClass, nullptr)) {
              DWORD owner = 0;
              ::GetWindowThreadProcessId(tray, &owner);
              if (owner == program_id) return true;
            }
            return false;
          },
          30000)) {
    std::fprintf(stderr, "error: pelkrin.exe showed no tray window\n");
    return 1;
  }
  std::string error;
  auto sim = browser_sim::BrowserSim::Start(browser_sim_exe, &error);
  if (!sim) {
    std::fprintf(stderr, "error: browser-sim did not start: %s\n", error.c_str());
    return 1;
  }
  const char kCaption[] = "Special Offer";
  std::optional<TrayPings> pings(std::in_place, tray);
  const double open_start = WallMicroseconds();
  std::vector<int> frame_ids;
  for (int i = 0; i < frames; ++i) {
    browser_sim::OpenOptions page;
    page.title = kCaption;
    page.address = "http://www.example.com/" + std::to_string(i);
    page.activate = false;
    page.group = "frames" + std::to_string(i / 50);  // 50 frames to a thread
    page.width = 160;
    page.height = 120;
    const auto opened = sim->Open(page);
    if (!opened) {
      std::fprintf(stderr, "error: browser-sim: %s\n", sim->last_error().c_str());
      return 1;
    }
    frame_ids.push_back(opened->id);
  }
  const double open_ms = (WallMicroseconds() - open_start) / 1000.0;
  ::Sleep(3000);  // a few surveys over the whole desktop
  std::printf("Crowded desktop: %d top-level windows, %d browser frames (opened in %.1f s)\n",
              CountTopLevel(), frames, open_ms / 1000.0);
  ReportPings("tray answer while the frames opened", pings->Stop());
  pings.emplace(tray);

  std::vector<int> ids;
  int retitles = 0;
  for (int i = 0; i < popups; ++i) {
    browser_sim::OpenOptions options;
    options.title = kCaption;
    options.address = "http://ads.example.net/" + std::to_string(i);
    options.toolbars = false;
    options.show_after_ms = 30;
    const auto popup = sim->Open(options);
    if (!popup) {
      std::fprintf(stderr, "error: browser-sim: %s\n", sim->last_error().c_str());
      return 1;
    }
    // A storm of caption changes while the popup shows.
    for (int k = 0; k < 100 && !frame_ids.empty(); ++k, ++retitles) {
      if (!sim->Retitle(frame_ids[static_cast<std::size_t>(retitles) % frame_ids.size()],
                        retitles % 2 ? kCaption : "Special Offer.")) {
        std::fprintf(stderr, "error: browser-sim: %s\n", sim->last_error().c_str());
        return 1;
      }
    }
    if (VisibleTimes(*sim, {popup->id}).size() != 1) return 1;
    ids.push_back(popup->id);
  }
  std::vector<double> until_hide_ms;
  const std::vector<double> visible_ms = VisibleTimes(*sim, ids, nullptr, &until_hide_ms);
  ReportVisible("popup visible, among the frames", visible_ms);
  ReportVisible("  of which until the hide reached the popup", until_hide_ms);
  ReportPings("tray answer during the popups and storms", pings->Stop());
  pings.reset();

  if (seconds > 0) {
    // Beside it, the bare census every 600 ms over the same desktop: the yardstick.
    Started census("\"" + SelfPath() + "\" --bare-census", "");
    ::Sleep(500);
    const std::string needle = program_folder + "\\pelkrin.exe";
    const double start = program.CpuMicroseconds(needle);
    const double census_start = census.CpuMicroseconds("--bare-census");
    ::Sleep(static_cast<DWORD>(seconds) * 1000);
    const double cpu_ms = (program.CpuMicroseconds(needle) - start) / 1000.0;
    const double census_ms = (census.CpuMicroseconds("--bare-census") - census_start) / 1000.0;
    std::printf("%-44s %.1f ms over %d s: %.1f%% of a core\n", "idle CPU among the frames", cpu_ms,
                seconds, cpu_ms / (seconds * 10.0));
    std::printf("%-44s %.1f ms: %.1f%% of a core, ratio %.2f\n", "  the bare census every 600 ms",
                census_ms, census_ms / (seconds * 10.0), cpu_ms / std::max(census_ms, 1.0));
  }
  sim->Quit(60000);
  return visible_ms.size() == ids.size() ? 0 : 1;
}

}  // namespace
}  // namespace pelkrin::bench

int main(int argc, char** argv) {
  using namespace pelkrin::bench;
  if (argc == 3 && std::string(argv[1]) == "--windows") return RunPlainWindows(std::atoi(argv[2]));
  if (argc == 2 && std::string(argv[1]) == "--bare-census") return RunBareCensus();
  if (argc >= 3 && std::string(argv[1]) == "--start-to-tray")
    return MeasureStartToTray(argv[2], argc > 3 ? std::max(std::atoi(argv[3]), 1) : 10);
  if (argc >= 4 && std::string(argv[1]) == "--crowded")
    return MeasureCrowdedDesktop(argv[3], argv[2], argc > 4 ? std::atoi(argv[4]) : 1000,
                                 argc > 5 ? std::atoi(argv[5]) : 50,
                                 argc > 6 ? std::atoi(argv[6]) : 60);
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: survey_bench_win <program folder> <browser-sim.exe> [popups] "
                 "[idle seconds]\n");
    return 2;
  }
  const int popups = argc > 3 ? std::atoi(argv[3]) : 50;
  const int idle_seconds = argc > 4 ? std::atoi(argv[4]) : 60;
  std::string error;
  auto sim = pelkrin::browser_sim::BrowserSim::Start(argv[2], &error);
  if (!sim) {
    std::fprintf(stderr, "error: browser-sim did not start: %s\n", error.c_str());
    return 1;
  }
  int status = MeasureSurvey(*sim, 100);
  sim->Quit();
  sim.reset();
  // Start-up first, on a desktop without the other measurements' windows.
  const int tray_status = MeasureStartToTray(argv[1], 10);
  if (status == 0) status = MeasureVisibleTime(argv[2], argv[1], popups);
  if (status == 0) status = tray_status;
  // The idle figure stands on its own: it is measured even when a visible-time run failed.
  if (idle_seconds > 0) {
    const int idle_status = MeasureIdleCpu(argv[2], argv[1], idle_seconds);
    if (status == 0) status = idle_status;
  }
  return status;
}
