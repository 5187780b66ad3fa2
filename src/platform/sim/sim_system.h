// Sound devices, the program's icons and the process itself on the simulated desktop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_files.h"

namespace pelkrin::sim {

class SimSound : public Sound {
 public:
  explicit SimSound(SimFileSystem& files) : files_(files) {}

  unsigned WaveOutDeviceCount() override;
  // Plays (and returns true) only when the file exists in the simulated file system.
  [[nodiscard]] bool Play(const std::string& path, unsigned flags) override;

  struct PlayCall {
    std::string path;
    unsigned flags;
  };
  void SetDeviceCount(unsigned count) { devices_ = count; }  // 0 by default, like a server
  int DeviceQueries() const { return device_queries_; }
  const std::vector<PlayCall>& Plays() const { return plays_; }

 private:
  SimFileSystem& files_;
  unsigned devices_ = 0;
  int device_queries_ = 0;
  std::vector<PlayCall> plays_;
};

class SimPictures : public Pictures {
 public:
  static constexpr std::uint32_t kIconBase = 0x10000;
  // Picture{kIcon, kIconBase + id} for the program's icons (resources/resource.h); any other
  // number gives no picture, as the program's file has no such icon.
  Picture LoadIcon(int resource_id) override;
  const std::vector<int>& Loaded() const { return loaded_; }

 private:
  std::vector<int> loaded_;
};

// Thrown by SimProcess::Exit so a test can catch the end of the program.
struct ProcessExit {
  int code;
};

class SimProcess : public Process {
 public:
  explicit SimProcess(SimFileSystem& files) : files_(files) {}
  std::string ProgramFolder() override { return program_folder_; }
  std::string ProgramBaseName() override { return base_name_; }
  std::string WindowsFolder() override { return windows_folder_; }
  bool AnotherCopyIsRunning() override;
  // Starts (and records) only a program whose file exists in the simulated file system.
  [[nodiscard]] bool StartProgram(const std::string& program, const std::string& argument) override;
  [[noreturn]] void Exit(int code) override;

  void SetProgramFolder(std::string folder) { program_folder_ = std::move(folder); }
  void SetProgramBaseName(std::string name) { base_name_ = std::move(name); }
  void SetWindowsFolder(std::string folder) { windows_folder_ = std::move(folder); }
  void SetAnotherCopyRunning(bool running) { another_copy_ = running; }
  int SingleCopyChecks() const { return single_copy_checks_; }
  struct Started {
    std::string program;
    std::string argument;
    bool operator==(const Started&) const = default;
  };
  const std::vector<Started>& StartedPrograms() const { return started_; }

 private:
  std::string program_folder_ = "C:\\Program Files\\Pelkrin";
  std::string base_name_ = "pelkrin";
  std::string windows_folder_ = "C:\\WINDOWS";
  bool another_copy_ = false;
  int single_copy_checks_ = 0;
  SimFileSystem& files_;
  std::vector<Started> started_;
};

}  // namespace pelkrin::sim
