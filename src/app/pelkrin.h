// The running program: the platform it runs on, the settings store, the shared services, and its
// windows. It constructs every part, hands each the few things it uses, and answers what the main
// window asks of the others. Start() is start-up; everything after it is driven by timers and the
// tray icon.
#pragma once

#include <string>
#include <string_view>

#include "app/main_form.h"
#include "detector/detection_cycle.h"
#include "history/history_form.h"
#include "lists/allow_block_form.h"
#include "platform/platform.h"
#include "settings/advanced_form.h"
#include "settings/block_button.h"
#include "settings/options_form.h"
#include "settings/settings_store.h"
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
  void EndProgram() override;

  // Routines owned by other parts of the program that start-up and shutdown call.
  void HomePageCheck() override;
  void InstallBlockButton() override;
  void SyncStartupEntry() override;
  // One detector pass; one step of the CTRL override; one step of the tray animation.
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

  Form3 form3;  // Allow/Block; before the main window, whose menus act on its lists
  frmMain main;
  Form2 form2;  // Options
  Form8 form8;  // Advanced options
  Form1 form1;  // History
  DetectionCycle detector;

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
};

}  // namespace pelkrin
