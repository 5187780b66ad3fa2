// frmMain: the program's only permanent window, never shown. It owns the tray icon, the tray
// menu and the list pop-up menus, the three timers, and the invisible fields through which
// handlers hand state to each other. Its load handler is start-up; its unload handler shutdown.
#pragma once

#include <cstdint>

#include "ui/controls.h"
#include "ui/form.h"
#include "ui/menu.h"
#include "tray/systray.h"

namespace pelkrin {

class Pelkrin;

class frmMain : public Form {
 public:
  explicit frmMain(Pelkrin& app);

  // The four icons: normal, two animation frames, pelking off.
  Image Image1, Image2, Image3, Image4;
  // Invisible fields: the last hidden popup and Flash control (decimal handles), the pelk
  // signal, and the animation's frame counter.
  TextBox TextHnd, TextFlash, Text2, Text1;
  // The detector's candidate list.
  ListBox List2;
  // Animation (200 ms), detector (600 ms), CTRL override (32 ms).
  Timer Timer1, Timer2, Timer3;
  cSysTray SysTray;

  // The tray menu and the three list pop-up menus, and the items other code refers to.
  MenuItem MenuMain{"MenuMain", "menu"};
  MenuItem List1Pop{"List1Pop", "list1"};
  MenuItem List2Pop{"List2Pop", "list2"};
  MenuItem List3Pop{"List3Pop", "list3"};
  MenuItem* PelkPopups = nullptr;
  MenuItem* RemoveCaption = nullptr;
  MenuItem* RemoveDomain = nullptr;
  MenuItem* RemoveBlackListEntry = nullptr;

  bool PelkingOn() const { return PelkPopups->Checked(); }
  // Pelking on: detector timer running, check mark, normal icon, tip "Pelkrin [ON]"; off: the
  // opposite with the pelking-off icon.
  void SetPelking(bool on);

  // Opens the tray menu at the mouse position.
  void ShowTrayMenu();
  // Opens one of the list pop-up menus with its remove item as the default.
  void ShowListMenu(MenuItem& menu, const MenuItem& default_item);

  void Command(std::uint16_t command) override;
  void SessionEnding() override;

 protected:
  void OnLoad() override;
  void OnUnload() override;

 private:
  void BuildMenus();
  void RunCommand(MenuItem* item);

  Pelkrin& app_;
};

}  // namespace pelkrin
