// The running program: the platform it runs on, the settings store, the shared services, and its
// windows. Start() is start-up; everything after it is driven by timers and the tray icon.
#pragma once

#include <string>

#include "app/main_form.h"
#include "history/history_form.h"
#include "lists/allow_block_form.h"
#include "platform/platform.h"
#include "settings/advanced_form.h"
#include "settings/options_form.h"
#include "settings/settings_store.h"
#include "ui/services.h"

namespace pelkrin {

inline constexpr char kAppTitle[] = "Pelkrin";

class Pelkrin {
 public:
  explicit Pelkrin(Platform& platform);
  Pelkrin(const Pelkrin&) = delete;
  Pelkrin& operator=(const Pelkrin&) = delete;

  // Start-up: loads the main window, whose load handler runs every start-up step.
  void Start();
  // The orderly end: icon out of the notification area, the main window unloaded (which saves
  // the lists and the counter), then the process ends at once.
  void EndProgram();

  // The folder that holds the program file, a backslash, and the name.
  std::string ProgramPath(const char* file_name) const { return program_folder + "\\" + file_name; }

  // Routines owned by other parts of the program that start-up and shutdown call.
  void HomePageCheck();
  void InstallBlockButton();
  void SyncStartupEntry();
  // One detector pass; one step of the CTRL override; one step of the tray animation.
  void Survey();
  void CtrlOverride();
  void AnimateTray();

  Platform& platform;
  std::string program_folder;
  SettingsStore settings;
  Sounds sounds;
  DragState drag;

  frmMain main;
  Form3 form3;  // Allow/Block
  Form2 form2;  // Options
  Form8 form8;  // Advanced options
  Form1 form1;  // History
};

}  // namespace pelkrin
