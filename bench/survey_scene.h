// The scene of the survey benchmark, the same on the simulated desktop and under Wine: a desktop
// of 200 top-level windows, 20 of them browser frames, and three lists of 1,000 entries each that
// match none of them, so every frame is examined by every rule and none is pelked.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "detector/detection_cycle.h"
#include "ui/controls.h"

namespace pelkrin::bench {

inline constexpr int kTopLevelWindows = 200;
inline constexpr int kBrowserFrames = 20;
inline constexpr int kListEntries = 1000;

// One whole survey, all its slices at once.
inline void SurveyWhole(DetectionCycle& cycle) {
  cycle.Survey();
  while (cycle.SurveyUnderWay()) cycle.Survey();
}

inline void FillLists(ListBox& domains, ListBox& captions, ListBox& blocks) {
  for (int i = 0; i < kListEntries; ++i) {
    domains.AddItem("allowed-" + std::to_string(i) + ".example.org");
    captions.AddItem("allowed caption " + std::to_string(i));
    blocks.AddItem("Blocked " + std::to_string(i) + " - Microsoft Internet Explorer");
  }
}

// Medians and percentiles of a set of samples.
inline double Percentile(std::vector<double> samples, double fraction) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const auto index =
      static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1) + 0.5);
  return samples[std::min(index, samples.size() - 1)];
}

// Runs `body` `runs` times and returns each run's duration in microseconds, measured with
// `clock` (a function returning microseconds).
template <typename Clock, typename Body>
std::vector<double> Measure(int runs, Clock clock, Body body) {
  std::vector<double> samples;
  samples.reserve(static_cast<std::size_t>(runs));
  for (int i = 0; i < runs; ++i) {
    const double start = clock();
    body();
    samples.push_back(clock() - start);
  }
  return samples;
}

inline void Report(const char* what, const std::vector<double>& samples) {
  std::printf("%-44s median %10.1f us   p95 %10.1f us   (%zu runs)\n", what,
              Percentile(samples, 0.5), Percentile(samples, 0.95), samples.size());
}

}  // namespace pelkrin::bench
