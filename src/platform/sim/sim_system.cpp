#include "platform/sim/sim_system.h"

#include "resources/resource.h"

namespace pelkrin::sim {

unsigned SimSound::WaveOutDeviceCount() {
  ++device_queries_;
  return devices_;
}

bool SimSound::Play(const std::string& path, unsigned flags) {
  plays_.push_back(PlayCall{path, flags});
  return files_.Exists(path);
}

Picture SimPictures::LoadIcon(int resource_id) {
  loaded_.push_back(resource_id);
  if (resource_id < IDI_NORMAL || resource_id > IDI_PELK_OFF) return Picture{};
  return Picture{Picture::Kind::kIcon, kIconBase + static_cast<std::uint32_t>(resource_id)};
}

bool SimProcess::AnotherCopyIsRunning() {
  ++single_copy_checks_;
  return another_copy_;
}

bool SimProcess::StartProgram(const std::string& program, const std::string& argument) {
  if (!files_.Exists(program)) return false;
  started_.push_back({program, argument});
  return true;
}

void SimProcess::Exit(int code) { throw ProcessExit{code}; }

}  // namespace pelkrin::sim
