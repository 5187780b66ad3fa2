// The running program: the platform it runs on, the settings store, the shared services, and its
// windows. It constructs every part, hands each the few things it uses, and answers what the main
// window asks of the others. Start() is start-up; everything after it is driven by timers and the
// tray icon.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/exit_confirmation_window.h"
#include "app/main_window.h"
#include "detector/detection_cycle.h"
#include "detector/pelk_event.h"
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
#include "tray/tray_animation.h"
#include "ui/services.h"
#include "ui/view_host.h"

namespace pelkrin {

class Pelkrin : private MainWindowOwner {
 public:
  // `views` gives the program's windows their real windows (none on the simulated desktop).
  Pelkrin(Platform& platform, ViewHost& views);
  Pelkrin(const Pelkrin&) = delete;
  Pelkrin& operator=(const Pelkrin&) = delete;
  ~Pelkrin();  // stops the window events and the idle work, which call into it

  // Start-up: loads the main window, whose load handler runs every start-up step.
  void Start();
  // The orderly end: icon out of the notification area, the main window unloaded (which saves
  // the lists and the counter), then the process ends at once.
  void EndProgram();

  // Routines owned by other parts of the program that start-up and shutdown call.
  void HomePageCheck() override;
  void InstallBlockButton() override;
  void SyncStartupEntry() override;
  // One detector pass; one tick of the CTRL override; one step of the tray animation.
  void Survey();
  // The pelk event: the main window's pelk signal Text2 was set to a pelked popup's short
  // caption. It ends by emptying the signal.
  void PelkEvent();
  void CtrlOverride();
  void AnimateTray();

  Platform& platform;
  ViewHost& views;
  std::string program_folder;
  SettingsStore settings;
  Sounds sounds;
  DragState drag;
  FormServices form_services{views, platform.windows, sounds, drag};
  BlockButton block_button;
  HomePageLock home_page_lock;

  AllowBlockWindow
      allow_block_window;  // Allow/Block; before the main window, whose menus act on its lists
  MainWindow main_window;
  OptionsWindow options_window;                   // Options
  AdvancedOptionsWindow advanced_options_window;  // Advanced options
  HistoryWindow history_window;                   // History
  DetectionCycle detector;
  // Windows that unload when closed: each opening makes a new one (none before the first).
  std::unique_ptr<HelpTopicsWindow> help_topics_window;        // Help topics
  std::unique_ptr<CookieRemoverWindow> cookie_remover_window;  // Cookie remover
  std::unique_ptr<HomePageLockWindow> home_page_lock_window;   // Home page lock
  // The exit confirmation window while it is open; created afresh by every "E&xit".
  std::unique_ptr<ExitConfirmationWindow> exit_confirmation;
  AboutWindow about_window;  // About; one object, loaded afresh at each opening
  PelkEventHandler pelk_event;
  TrayAnimation tray_animation;

 private:
  // MainWindowOwner: the other windows as start-up, shutdown and the tray menu use them.
  void LoadAllowBlockWindow() override;
  int GeneralOptionBox(std::string_view key) override;
  void LoadOptionsWindow() override;
  void LoadAdvancedOptionsWindow() override;
  void LoadHistoryWindow() override;
  void SetSinceInstallationCount(std::string count) override;
  std::string SinceInstallationCount() override;
  void SaveLists() override;
  // What a normal exit saves: the lists and the since-installation counter.
  void SaveBeforeFailureExit();
  void ShowAllowBlockWindow() override;
  void ShowAdvancedOptionsWindow() override;
  void ShowHelpTopicsWindow() override;
  void ShowCookieRemoverWindow() override;
  void ShowHomePageLockWindow() override;

  // Shows `form`, making a new one when there is none or it was closed (unloaded).
  template <typename F, typename Make>
  void ShowAfresh(std::unique_ptr<F>& form, Make make);
  // Closed windows whose handler was still running when a new opening replaced them; each is
  // destroyed once its handler has returned.
  std::vector<std::unique_ptr<Form>> closed_forms_;
  void ShowExitConfirmation() override;
  // "&Cancel" of the exit confirmation window: it is hidden now and goes once its click handler
  // has returned; the next "E&xit" makes a new one.
  void DismissExitConfirmation();

  // Dismissed windows not yet unloaded: a new one may be dismissed before the task has run.
  std::vector<std::unique_ptr<ExitConfirmationWindow>> dismissed_form7s_;
  DeferredTask unload_dismissed_exit_confirmation_{platform.events};
  void ShowOptionsWindow() override;
  void ShowHistoryWindow() override;
  void ShowAboutWindow() override;
};

}  // namespace pelkrin
