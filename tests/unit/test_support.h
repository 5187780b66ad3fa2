// The whole program over the simulated desktop, for tests that drive it like a user would.
#pragma once

#include <memory>
#include <string>

#include "app/pelkrin.h"
#include "platform/sim/sim_desktop.h"

namespace pelkrin::testing {

inline constexpr char kFolder[] = "C:\\Program Files\\Pelkrin";
inline constexpr char kSettingsPath[] = "C:\\Program Files\\Pelkrin\\pk.sys";

inline std::string InFolder(const std::string& name) { return std::string(kFolder) + "\\" + name; }

// Owns a desktop and a program on it; Start() runs start-up, Restart() a second run that
// finds the files the first one left.
struct SimApp {
  sim::SimDesktop desktop;
  Platform platform = desktop.platform();
  std::unique_ptr<Pelkrin> app = std::make_unique<Pelkrin>(platform);

  Pelkrin& operator*() { return *app; }
  Pelkrin* operator->() { return app.get(); }
  void Start() { app->Start(); }
  void Restart() {
    app.reset();
    app = std::make_unique<Pelkrin>(platform);
    app->Start();
  }
  std::string Setting(const std::string& key) { return app->settings.ReadSetting(key); }
  std::string FileBytes(const std::string& name) {
    return desktop.files.Bytes(InFolder(name)).value_or("<missing>");
  }
};

}  // namespace pelkrin::testing
