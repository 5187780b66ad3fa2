// The running program: the platform it runs on, the settings store, the shared services, and its
// windows. It constructs every part, hands each the few things it uses, and answers what the main
// window asks of the others. Start() is start-up; everything after it is driven by timers and the
// tray icon.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/exit_form.h"
#include "app/main_form.h"
#include "detector/detection_cycle.h"
#include "guards/cookie_form.h"
#include "guards/home_page_form.h"
#include "guards/home_page_lock.h"
#include "help/help_form.h"
#include "detector/pelk_event.h"
#include "history/about_form.h"
#include "history/history_form.h"
#include "lists/allow_block_form.h"
#include "platform/platform.h"
#include "settings/advanced_form.h"
#include "settings/block_button.h"
#include "settings/options_form.h"
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

  Form3 form3;  // Allow/Block; before the main window, whose menus act on its lists
  frmMain main;
  Form2 form2;  // Options
  Form8 form8;  // Advanced options
  Form1 form1;  // History
  DetectionCycle detector;
  // Windows that unload when closed: each opening makes a new one (none before the first).
  std::unique_ptr<Form9> form9;    // Help topics
  std::unique_ptr<Form6> form6;    // Cookie remover
  std::unique_ptr<Form12> form12;  // Home page lock
  // The exit confirmation window while it is open; created afresh by every "E&xit".
  std::unique_ptr<Form7> form7;
  Form4 form4;  // About; one object, loaded afresh at each opening
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
  std::vector<std::unique_ptr<Form7>> dismissed_form7s_;
  DeferredTask unload_dismissed_form7_{platform.events};
  void ShowOptionsWindow() override;
  void ShowHistoryWindow() override;
  void ShowAboutWindow() override;
};

}  // namespace pelkrin
