// The whole program over the simulated desktop, for tests that drive it like a user would.
#pragma once

#include <memory>
#include <string>

#include "app/pelkrin.h"
#include "platform/sim/sim_desktop.h"
#include "ui/sim/sim_view_host.h"

namespace pelkrin::testing {

inline constexpr char kFolder[] = "C:\\Program Files\\Pelkrin";
inline constexpr char kSettingsPath[] = "C:\\Program Files\\Pelkrin\\pk.sys";

inline std::string InFolder(const std::string& name) { return std::string(kFolder) + "\\" + name; }

// Owns a desktop, the view host of the program's windows, and a program on them; Start() runs
// start-up, Restart() a second run that finds the files the first one left.
struct SimApp {
  sim::SimDesktop desktop;
  sim::SimViewHost views;
  Platform platform = desktop.platform();
  std::unique_ptr<Pelkrin> app = std::make_unique<Pelkrin>(platform, views);

  Pelkrin& operator*() { return *app; }
  Pelkrin* operator->() { return app.get(); }
  void Start() { app->Start(); }
  void Restart() {
    app.reset();
    app = std::make_unique<Pelkrin>(platform, views);
    app->Start();
  }
  std::string Setting(const std::string& key) { return app->settings.ReadSetting(key); }
  std::string FileBytes(const std::string& name) {
    return desktop.files.Bytes(InFolder(name)).value_or("<missing>");
  }
};

}  // namespace pelkrin::testing
