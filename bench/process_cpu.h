// The CPU time of another running process, for the benchmarks that run under Wine. Wine reports
// no CPU times for another process through GetProcessTimes, so there the figure comes from the
// Linux side: /proc/<pid>/stat of the process whose command line holds `needle`, read through
// the Z: drive. On Windows (no such drive) the callers fall back to GetProcessTimes.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

namespace pelkrin::bench {

// User plus system time in milliseconds (10 ms steps), or none when no process holds `needle`
// or there is no /proc to read.
inline std::optional<double> LinuxCpuMs(const std::string& needle) {
  WIN32_FIND_DATAA found{};
  HANDLE search = ::FindFirstFileA("Z:\\proc\\*", &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<double> result;
  do {
    const std::string pid = found.cFileName;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream cmdline("Z:\\proc\\" + pid + "\\cmdline", std::ios::binary);
    std::string command((std::istreambuf_iterator<char>(cmdline)), {});
    if (command.find(needle) == std::string::npos) continue;
    std::ifstream stat_file("Z:\\proc\\" + pid + "\\stat");
    std::string stat((std::istreambuf_iterator<char>(stat_file)), {});
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    double utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
      if (i == 14) utime = std::atof(field.c_str());
      if (i == 15) stime = std::atof(field.c_str());
    }
    result = (utime + stime) * 10.0;  // clock ticks of 10 ms
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return result;
}

}  // namespace pelkrin::bench
