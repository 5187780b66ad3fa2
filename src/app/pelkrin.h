// The running program: the platform it runs on, the settings store, the shared services, and its
// windows. It constructs every part, hands each the few things it uses, and answers what the main
// window's start-up, shutdown and tray menu ask of the others. Start() is start-up; everything
// after it is driven by timers, window events and the tray icon.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/entry_menu_commands.h"
#include "app/exit_confirmation_window.h"
#include "app/main_window.h"
#include "app/menus.h"
#include "detector/detection_cycle.h"
#include "detector/pelk_event.h"
#include "detector/transparent_frames.h"
#include "guards/cookie_remover_window.h"
#include "guards/home_page_lock.h"
#include "guards/home_page_lock_window.h"
#include "help/help_topics_window.h"
#include "history/about_window.h"
#include "history/history_window.h"
#include "lists/allow_block_window.h"
#include "platform/platform.h"
#include "settings/advanced_options_window.h"
#include "settings/block_button.h"
#include "settings/options_window.h"
#include "settings/settings_store.h"
#include "ui/services.h"
#include "ui/view_host.h"

namespace pelkrin {

class Pelkrin : private StartUpSteps, private ShutdownSteps, private WindowOpener {
 public:
  // `views` gives the program's windows their real windows (none on the simulated desktop).
  Pelkrin(Platform& platform, ViewHost& views);
  Pelkrin(const Pelkrin&) = delete;
  Pelkrin& operator=(const Pelkrin&) = delete;
  ~Pelkrin() override;  // stops the window events and the idle work, which call into it

  // Start-up: loads the main window, whose load handler runs every start-up step.
  void Start();

 private:
  // The unit tests' way in: it hands them the windows as members, as the user finds them.
  friend struct TestAccess;

  // StartUpSteps and ShutdownSteps.
  void RepairTransparentFrames() override;
  void EndTransparency() override;
  void LoadAllowBlockWindow() override;
  int GeneralOptionBox(std::string_view key) override;
  void LoadOptionsWindow() override;
  void LoadAdvancedOptionsWindow() override;
  void HomePageCheck() override;
  void InstallBlockButton() override;
  void LoadHistoryWindow(std::string since_installation) override;
  void SyncStartupEntry() override;
  void SaveLists() override;
  std::string SinceInstallationCount() override;
  // What a normal exit saves, before a failed survey ends the program.
  void SaveBeforeFailureExit();

  // WindowOpener.
  void ShowHelpTopicsWindow() override;
  void ShowCookieRemoverWindow() override;
  void ShowHomePageLockWindow() override;
  void ShowAboutWindow() override;
  void ShowOptionsWindow() override;
  void ShowAllowBlockWindow() override;
  void ShowHistoryWindow() override;
  void ShowAdvancedOptionsWindow() override;
  void ShowExitConfirmation() override;

  // Shows `form`, making a new one when there is none or it was closed (unloaded).
  template <typename F, typename Make>
  void ShowAfresh(std::unique_ptr<F>& form, Make make);
  // "&Cancel" of the exit confirmation window: it is hidden now and goes once its click handler
  // has returned; the next "E&xit" makes a new one.
  void DismissExitConfirmation();

  Platform& platform;
  ViewHost& views;
  std::string program_folder;
  SettingsStore settings;
  Sounds sounds;
  DragState drag;
  FormServices form_services{views, platform.windows, sounds, drag};
  BlockButton block_button;
  HomePageLock home_page_lock;

  TransparentFrames transparent_frames;  // before the detector, which makes frames transparent
  AllowBlockWindow allow_block_window;   // before the detector and the main window: its lists
  DetectionCycle detector;
  MainWindow main_window;
  OptionsWindow options_window;
  AdvancedOptionsWindow advanced_options_window;
  EntryMenuCommands entry_menu_commands;  // what the History window's entry menu does
  HistoryWindow history_window;
  AboutWindow about_window;  // one object, loaded afresh at each opening
  PelkEventHandler pelk_event;
  // Windows that unload when closed: each opening makes a new one (none before the first).
  std::unique_ptr<HelpTopicsWindow> help_topics_window;
  std::unique_ptr<CookieRemoverWindow> cookie_remover_window;
  std::unique_ptr<HomePageLockWindow> home_page_lock_window;
  // The exit confirmation window while it is open; created afresh by every "E&xit".
  std::unique_ptr<ExitConfirmationWindow> exit_confirmation;

  // Closed windows whose handler was still running when a new opening replaced them; each is
  // destroyed once its handler has returned.
  std::vector<std::unique_ptr<Form>> closed_forms_;
  // Dismissed exit confirmation windows not yet unloaded: a new one may be dismissed before the
  // task has run.
  std::vector<std::unique_ptr<ExitConfirmationWindow>> dismissed_exit_confirmations_;
  DeferredTask unload_dismissed_exit_confirmation_{platform.events};
};

}  // namespace pelkrin
