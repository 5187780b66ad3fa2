// The survey benchmark on the simulated desktop: the CPU time of one survey over 200 top-level
// windows (20 browser frames) with lists of 1,000 entries, against a bare loop that only
// enumerates the same windows and reads their class names. It measures the detector's own work;
// bench/survey_bench_win.cpp measures the same under Wine, where window calls dominate.
#include <time.h>

#include <cstdio>

#include "detector/detection_cycle.h"
#include "platform/sim/sim_desktop.h"
#include "survey_scene.h"
#include "tests/unit/survey_host.h"
#include "ui/sim/sim_view_host.h"

namespace pelkrin::bench {
namespace {

double CpuMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

int Run(int runs) {
  sim::SimDesktop desktop;
  SettingsStore settings(desktop.profile, desktop.diagnostics, "C:\\Pelkrin");
  sim::SimViewHost views;
  testing::SurveyHost host(views);
  FillLists(host.domains, host.captions, host.blocks);
  ListStates list_states;

  sim::SimWindows& windows = desktop.windows;
  for (int i = 0; i < kTopLevelWindows - kBrowserFrames; ++i)
    windows.Add(kNoWindow, i % 3 ? "Notepad" : "Shell_TrayWnd", "Window " + std::to_string(i),
                0x00CF0000, i % 2 == 0);
  for (int i = 0; i < kBrowserFrames; ++i) {
    const Hwnd frame = windows.Add(kNoWindow, "IEFrame",
                                   "Page " + std::to_string(i) + " - Microsoft Internet Explorer",
                                   0x00CF0000, true);
    Hwnd link = windows.Add(frame, "WorkerW", "", 0x40000000, true);
    for (const char* name : {"ReBarWindow32", "ComboBoxEx32", "ComboBox", "Edit"})
      link = windows.Add(link, name, "", 0x40000000, true);
    windows.SetControlText(link, "http://www.example.com/" + std::to_string(i));
    const Hwnd view = windows.Add(frame, "Shell DocObject View", "", 0x40000000, true);
    windows.Add(view, "Internet Explorer_Server", "", 0x40000000, true);
  }

  DetectionCycle cycle({desktop.windows, desktop.events, settings, desktop.dialogs, desktop.process,
                        desktop.diagnostics},
                       {host.domains, host.captions, host.blocks, list_states, desktop.text_case},
                       {.pelking_on = [] { return true; },
                        .switches = [] { return DetectionSwitches{}; },
                        .save_before_failure_exit = {},
                        .pelk_event = {}});
  SurveyWhole(cycle);  // warm up
  const auto survey = Measure(runs, CpuMicroseconds, [&] { SurveyWhole(cycle); });
  const auto bare = Measure(runs, CpuMicroseconds, [&] {
    windows.EnumTopLevel([&](Hwnd window) {
      volatile std::size_t length = windows.ClassName(window, 260).size();
      (void)length;
      return true;
    });
  });
  std::printf("Simulated desktop: %d top-level windows, %d browser frames, lists of %d\n",
              kTopLevelWindows, kBrowserFrames, kListEntries);
  Report("survey (CPU time)", survey);
  Report("bare enumeration + class names (CPU time)", bare);
  // With the window events watched, the survey reads only what can change unreported.
  if (!cycle.Attach()) return 1;
  SurveyWhole(cycle);
  const auto remembered = Measure(runs, CpuMicroseconds, [&] { SurveyWhole(cycle); });
  Report("survey, events watched (CPU time)", remembered);
  std::printf("%-44s %.2f\n", "ratio of the medians, events watched",
              Percentile(remembered, 0.5) / std::max(Percentile(bare, 0.5), 0.001));
  std::printf("%-44s %.2f\n", "ratio of the medians",
              Percentile(survey, 0.5) / std::max(Percentile(bare, 0.5), 0.001));
  if (cycle.LastHiddenPopup()) {
    std::printf("error: the scene pelked a window\n");
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace pelkrin::bench

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
  return pelkrin::bench::Run(runs > 0 ? runs : 200);
}
