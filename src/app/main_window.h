// MainWindow: the program's only permanent window, never shown. It owns the tray icon, the tray
// menu and the list pop-up menus, the three timers, and the invisible fields through which
// handlers hand state to each other. Its load handler is start-up; its unload handler shutdown.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "lists/list_model.h"
#include "platform/platform.h"
#include "settings/settings_store.h"
#include "tray/tray_icon.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/menu.h"
#include "ui/services.h"
#include "ui/view_host.h"

namespace pelkrin {

// What the main window's start-up, shutdown and tray commands ask of the other windows and of
// the routines that other parts of the program own. The main window reaches them only through
// this; Pelkrin, which owns them all, answers.
class MainWindowOwner {
 public:
  virtual ~MainWindowOwner() = default;

  // Start-up, in the order it asks.
  virtual void LoadAllowBlockWindow() = 0;
  // The state of the Options window's box for a general option (a key of kOptionBoxes);
  // the first look loads that window, whose load handler applies the stored values.
  virtual int GeneralOptionBox(std::string_view key) = 0;
  virtual void LoadOptionsWindow() = 0;
  virtual void LoadAdvancedOptionsWindow() = 0;
  virtual void HomePageCheck() = 0;
  virtual void InstallBlockButton() = 0;
  virtual void LoadHistoryWindow() = 0;
  // The History window's since-installation counter.
  virtual void SetSinceInstallationCount(std::string count) = 0;
  virtual std::string SinceInstallationCount() = 0;
  virtual void SyncStartupEntry() = 0;

  // Shutdown: the three lists to their files.
  virtual void SaveLists() = 0;

  // Tray commands.
  virtual void ShowAllowBlockWindow() = 0;
  virtual void ShowAdvancedOptionsWindow() = 0;
  virtual void ShowHelpTopicsWindow() = 0;
  virtual void ShowCookieRemoverWindow() = 0;
  virtual void ShowHomePageLockWindow() = 0;
  // "E&xit": the exit confirmation window, which ends the program or goes away again.
  virtual void ShowExitConfirmation() = 0;
  virtual void ShowOptionsWindow() = 0;
  virtual void ShowHistoryWindow() = 0;
  virtual void ShowAboutWindow() = 0;
};

class MainWindow : public Form {
 public:
  // The menus act on `lists`, which are loaded from their files in `program_folder`.
  MainWindow(Platform& platform, ViewHost& views, SettingsStore& settings, Sounds& sounds,
             AllowLists lists, std::string program_folder, MainWindowOwner& owner);

  // The four icons: normal, two animation frames, pelking off.
  Image Image1, Image2, Image3, Image4;
  // Invisible fields: the last hidden popup and Flash control (decimal handles), the pelk
  // signal, and the animation's frame counter.
  TextBox TextHnd, TextFlash, Text2, Text1;
  // The detector's candidate list.
  ListBox List2;
  // Animation (200 ms), detector (600 ms), CTRL override (32 ms); the program gives them their
  // ticks.
  Timer Timer1, Timer2, Timer3;
  TrayIcon SysTray;

  // The tray menu and the three list pop-up menus, and the items other code refers to.
  MenuItem MenuMain{"MenuMain", "menu"};
  MenuItem List1Pop{"List1Pop", "list1"};
  MenuItem List2Pop{"List2Pop", "list2"};
  MenuItem List3Pop{"List3Pop", "list3"};
  MenuItem* PelkPopups = nullptr;
  MenuItem* RemoveCaption = nullptr;
  MenuItem* RemoveDomain = nullptr;
  MenuItem* RemoveBlackListEntry = nullptr;

  // Told of the popup "&Restore Last" > "&Popup" showed again.
  std::function<void(Hwnd)> on_popup_restored;

  bool PelkingOn() const { return PelkPopups->Checked(); }
  // The icon that says whether pelking is on: the normal icon, or the pelking-off icon.
  const Picture& StateIcon() const { return PelkingOn() ? Image1.Get() : Image4.Get(); }
  // Pelking on: detector timer running, check mark, normal icon, tip "Pelkrin [ON]"; off: the
  // opposite with the pelking-off icon.
  void SetPelking(bool on);

  // Opens the tray menu at the mouse position, or at the icon when it was opened from the
  // keyboard.
  void ShowTrayMenu();
  // Opens the pop-up menu of one of the three lists, with its remove item as the default.
  void OpenListMenu(AllowList list);
  // Opens one of the list pop-up menus with its remove item as the default.
  void ShowListMenu(MenuItem& menu, const MenuItem& default_item);

  void Command(std::uint16_t command) override;
  // Windows ends the session: the icon leaves the notification area and the shutdown runs, as
  // at "E&xit"; the window itself stays, for Windows to end the process.
  void SessionEnding() override;

 protected:
  void OnLoad() override;
  void OnUnload() override;

 private:
  void BuildMenus();
  void RunCommand(MenuItem* item);
  // Saves the lists and the counter, closes the last hidden popup, checks the home page. Once.
  void Shutdown();

  bool shut_down_ = false;

  Platform& platform_;
  SettingsStore& settings_;
  Sounds& sounds_;
  AllowLists lists_;
  std::string program_folder_;
  MainWindowOwner& owner_;
};

}  // namespace pelkrin
