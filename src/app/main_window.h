// MainWindow: the program's only permanent window, never shown. It owns the tray icon and its
// animation, the tray menu and the list pop-up menus, and the three timers: the survey, the CTRL
// override and the animation. Its load handler is start-up; its unload handler shutdown.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/menus.h"
#include "detector/detection_cycle.h"
#include "lists/list_model.h"
#include "platform/platform.h"
#include "settings/settings_store.h"
#include "tray/tray_animation.h"
#include "tray/tray_icon.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/menu.h"
#include "ui/services.h"
#include "ui/view_host.h"

namespace pelkrin {

// What start-up asks of the other windows and of routines other parts of the program own, in
// the order it asks.
class StartUpSteps {
 public:
  virtual ~StartUpSteps() = default;
  // Browser frames a run before this one left transparent are made opaque again.
  virtual void RepairTransparentFrames() = 0;
  virtual void LoadAllowBlockWindow() = 0;
  // The state of the Options window's box for a general option (a key of kOptionBoxes); the
  // first look loads that window, whose load handler applies the stored values.
  virtual int GeneralOptionBox(std::string_view key) = 0;
  virtual void LoadOptionsWindow() = 0;
  virtual void LoadAdvancedOptionsWindow() = 0;
  virtual void HomePageCheck() = 0;
  virtual void InstallBlockButton() = 0;
  // Loads the History window and gives its since-installation counter this text.
  virtual void LoadHistoryWindow(std::string since_installation) = 0;
  virtual void SyncStartupEntry() = 0;
};

// What shutdown asks of them.
class ShutdownSteps {
 public:
  virtual ~ShutdownSteps() = default;
  virtual void SaveLists() = 0;  // the three lists to their files
  // The History window's since-installation counter, as it shows it.
  virtual std::string SinceInstallationCount() = 0;
  // No frame is made transparent any more, and every one still transparent is made opaque.
  virtual void EndTransparency() = 0;
  virtual void HomePageCheck() = 0;
};

class MainWindow : public Form {
 public:
  // The parts of the platform and of the program the main window uses.
  struct Services {
    WindowManager& windows;
    EventLoop& events;
    Dialogs& dialogs;
    Pictures& pictures;
    NotifyArea& notify;
    FileSystem& files;
    Process& process;
    Diagnostics& diagnostics;
    ViewHost& views;
    SettingsStore& settings;
    Sounds& sounds;
  };
  // The others it works with: the lists its menus act on, loaded from their files in
  // `program_folder`; the detector its survey timer drives; and the program around it.
  struct Links {
    AllowLists lists;
    std::string program_folder;
    DetectionCycle& detector;
    StartUpSteps& start_up;
    ShutdownSteps& shutdown;
    WindowOpener& opener;
  };
  MainWindow(Services services, Links links);
  ~MainWindow() override;

  // The icons: pelking on (also the window's icon and the animation's last frame), the
  // animation's two frames, pelking off.
  Image on_icon, first_frame_icon, second_frame_icon, off_icon;
  // Animation (200 ms), survey (600 ms), CTRL override (32 ms: from each press of CTRL while
  // it is held where the system reports the presses, else always).
  Timer animation_timer, survey_timer, ctrl_override_timer;
  TrayIcon tray_icon;
  TrayAnimation tray_animation;

  // The tray menu and the three list pop-up menus, and the items other code refers to.
  MenuItem tray_menu{"tray_menu", "menu"};
  MenuItem caption_list_menu{"caption_list_menu", "list1"};
  MenuItem domain_list_menu{"domain_list_menu", "list2"};
  MenuItem block_list_menu{"block_list_menu", "list3"};
  MenuItem* pelk_popups_item = nullptr;
  MenuItem* remove_caption_item = nullptr;
  MenuItem* remove_domain_item = nullptr;
  MenuItem* remove_block_entry_item = nullptr;

  bool PelkingOn() const { return pelk_popups_item->Checked(); }
  // The icon that says whether pelking is on: the normal icon, or the pelking-off icon.
  const Picture& StateIcon() const { return PelkingOn() ? on_icon.Get() : off_icon.Get(); }
  // Pelking on: survey timer running, check mark, normal icon, tip "Pelkrin [ON]"; off: the
  // opposite with the pelking-off icon.
  void SetPelking(bool on);

  // Opens the tray menu at the mouse position, or at the icon when it was opened from the
  // keyboard.
  void ShowTrayMenu();
  // A click on the tray icon: the menu now, or, during start-up, once start-up is done.
  void TrayIconClicked();
  // Opens the pop-up menu of one of the three lists, with its remove item as the default.
  void OpenListMenu(AllowList list);

  // A command that arrives during start-up runs once start-up is done.
  void Command(std::uint16_t command) override;
  // Windows ends the session: the icon leaves the notification area and the shutdown runs, as
  // at "E&xit"; the window itself stays, for Windows to end the process.
  void SessionEnding() override;

 protected:
  void OnLoad() override;
  void OnUnload() override;

 private:
  void BuildTrayMenu();
  void BuildListMenus();
  // What the tray menu item of `row` does when chosen.
  std::function<void()> TrayCommand(const TrayMenuRow& row);
  MenuItem& ListMenu(AllowList list);
  MenuItem*& RemoveItem(AllowList list);
  void RunCommand(MenuItem* item);

  // Start-up, in its order; each step that fails is skipped with a diagnostic line.
  template <typename Step>
  void StartUpStep(std::string_view what, Step&& step);
  void EndIfAnotherCopyRuns();
  void WriteMissingDefaults();
  void LoadOptionsWindows();
  void SeedSinceInstallationCount();
  void StartPelkingAsSuperModeSays();
  void LoadLists();
  // Deletes the temporary files of saves that were killed part-way.
  void RemoveInterruptedSaves();
  // Input that arrives during start-up (a click on the icon, a command from outside) waits
  // until start-up is done: a menu or a command run earlier could save or clear a list that is
  // still loading. This runs it, in order, from the message loop.
  void RunHeldInput();

  // Saves the lists and the counter, closes the last hidden popup, checks the home page. Once.
  void Shutdown();

  bool shut_down_ = false;
  bool started_ = false;       // start-up has run to its end
  bool lists_loaded_ = false;  // start-up has loaded the lists
  bool ctrl_watched_ = false;  // CTRL's presses are reported: its timer runs only while held
  bool menu_held_ = false;     // the tray icon was clicked during start-up
  std::vector<std::function<void()>> held_input_;

  Services services_;
  Links links_;
  DeferredTask run_held_input_{services_.events};
};

}  // namespace pelkrin
