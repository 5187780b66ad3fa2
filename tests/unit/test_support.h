// The whole program over the simulated desktop, for tests that drive it like a user would.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/pelkrin.h"
#include "platform/sim/sim_desktop.h"
#include "tray/tray_icon.h"
#include "ui/sim/sim_view_host.h"

namespace pelkrin {

// The program's parts as the tests reach them: `p->options_window` and the like.
struct TestAccess {
  SettingsStore& settings;
  MainWindow& main_window;
  AllowBlockWindow& allow_block_window;
  OptionsWindow& options_window;
  AdvancedOptionsWindow& advanced_options_window;
  HistoryWindow& history_window;
  AboutWindow& about_window;
  std::unique_ptr<HelpTopicsWindow>& help_topics_window;
  std::unique_ptr<CookieRemoverWindow>& cookie_remover_window;
  std::unique_ptr<HomePageLockWindow>& home_page_lock_window;
  std::unique_ptr<ExitConfirmationWindow>& exit_confirmation;
  DetectionCycle& detector;
  PelkEventHandler& pelk_event;

  static std::unique_ptr<TestAccess> Of(Pelkrin& app) {
    return std::make_unique<TestAccess>(
        TestAccess{app.settings, app.main_window, app.allow_block_window, app.options_window,
                   app.advanced_options_window, app.history_window, app.about_window,
                   app.help_topics_window, app.cookie_remover_window, app.home_page_lock_window,
                   app.exit_confirmation, app.detector, app.pelk_event});
  }
};

}  // namespace pelkrin

namespace pelkrin::testing {

inline constexpr char kFolder[] = "C:\\Program Files\\Pelkrin";
inline constexpr char kSettingsPath[] = "C:\\Program Files\\Pelkrin\\pk.sys";
inline constexpr std::uint32_t kRightButtonUp = 0x205;

inline std::string InFolder(const std::string& name) { return std::string(kFolder) + "\\" + name; }

// A message box as the user saw it.
struct Box {
  std::string text;
  std::string title = "Pelkrin";
  unsigned style = 0;
  bool operator==(const Box&) const = default;
  friend void PrintTo(const Box& box, std::ostream* os) {
    *os << "{\"" << box.text << "\", \"" << box.title << "\", 0x" << std::hex << box.style
        << std::dec << "}";
  }
};

// Owns a desktop, the view host of the program's windows, and a program on them; Start() runs
// start-up, Restart() a second run that finds the files the first one left.
struct SimApp {
  sim::SimDesktop desktop;
  sim::SimViewHost views;
  Platform platform = desktop.platform();
  std::unique_ptr<Pelkrin> app = std::make_unique<Pelkrin>(platform, views);
  std::unique_ptr<TestAccess> parts = TestAccess::Of(*app);

  TestAccess* operator->() { return parts.get(); }
  void Start() { app->Start(); }
  // Starts on a settings file that holds `settings` (lines ending in CR LF) under [pk].
  void Start(const std::string& settings) {
    desktop.files.Put(kSettingsPath, "[pk]\r\n" + settings);
    app->Start();
  }
  void Restart() {
    parts.reset();
    app.reset();
    app = std::make_unique<Pelkrin>(platform, views);
    parts = TestAccess::Of(*app);
    app->Start();
  }
  std::string Setting(const std::string& key) { return parts->settings.ReadSetting(key); }
  // A pelked popup's event, as the detector raises it.
  void Pelk(const std::string& short_caption) { parts->pelk_event.Run(short_caption); }
  std::string FileBytes(const std::string& name) {
    return desktop.files.Bytes(InFolder(name)).value_or("<missing>");
  }
  // The user picks `item` from the tray icon's menu.
  void Choose(const std::string& item) {
    views.ChooseNext(item);
    desktop.notify.Deliver(parts->main_window.tray_icon.Window(), kTrayCallbackMessage, 0,
                           kRightButtonUp);
  }
  std::vector<Box> Boxes() {
    std::vector<Box> boxes;
    for (const auto& shown : desktop.dialogs.Shown())
      boxes.push_back({shown.text, shown.title, shown.style});
    return boxes;
  }
  Box LastBox() {
    const auto& shown = desktop.dialogs.Shown();
    return shown.empty() ? Box{"<no box>", "", 0}
                         : Box{shown.back().text, shown.back().title, shown.back().style};
  }
  // The file names of the sounds played, from the `first`th on.
  std::vector<std::string> Sounds(std::size_t first = 0) {
    std::vector<std::string> names;
    const auto& plays = desktop.sound.Plays();
    for (std::size_t i = first; i < plays.size(); ++i)
      names.push_back(plays[i].path.substr(plays[i].path.rfind('\\') + 1));
    return names;
  }
  std::size_t SoundCount() { return desktop.sound.Plays().size(); }
};

}  // namespace pelkrin::testing
