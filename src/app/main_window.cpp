#include "app/main_window.h"

#include <functional>
#include <utility>

#include "app/command_ids.h"
#include "detector/ctrl_override.h"
#include "detector/popup_rules.h"
#include "detector/restore.h"
#include "resources/resource.h"
#include "settings/advanced_options_window.h"
#include "settings/handle_text.h"
#include "settings/option_keys.h"
#include "settings/options_window.h"
#include "settings/setting_value.h"
#include "ui/guarded.h"
#include "ui/text.h"

namespace pelkrin {
namespace {

constexpr char kTipOn[] = "Pelkrin [ON]";
constexpr char kTipOff[] = "Pelkrin [OFF]";

}  // namespace

MainWindow::MainWindow(Platform& platform, ViewHost& views, SettingsStore& settings, Sounds& sounds,
                       AllowLists lists, std::string program_folder, MainWindowOwner& owner)
    : Form(views, "MainWindow", kAppTitle, {0, 0, 120, 60}),
      Image1(*this, "Image1", {}),
      Image2(*this, "Image2", {}),
      Image3(*this, "Image3", {}),
      Image4(*this, "Image4", {}),
      TextHnd(*this, "TextHnd", {}),
      TextFlash(*this, "TextFlash", {}),
      Text2(*this, "Text2", {}),
      Text1(*this, "Text1", {}, "1"),
      List2(*this, "List2", {}),
      Timer1(*this, "Timer1", platform.events, platform.diagnostics, 200, false),
      Timer2(*this, "Timer2", platform.events, platform.diagnostics, 600, false),
      Timer3(*this, "Timer3", platform.events, platform.diagnostics, 32, true),
      SysTray(platform.notify, platform.diagnostics),
      platform_(platform),
      settings_(settings),
      sounds_(sounds),
      lists_(lists),
      program_folder_(std::move(program_folder)),
      owner_(owner) {
  window_class = kMainWindowClass;
  skinned = false;
  for (Control* control : Controls()) control->SetVisible(false);

  Pictures& pictures = platform.pictures;
  Image1.Set(pictures.LoadIcon(IDI_NORMAL));
  Image2.Set(pictures.LoadIcon(IDI_ANIM1));
  Image3.Set(pictures.LoadIcon(IDI_ANIM2));
  Image4.Set(pictures.LoadIcon(IDI_PELK_OFF));
  SysTray.SetTrayIcon(Image1.Get());
  SysTray.SetTrayTip(kTipOn);

  SysTray.MouseUp = [this](int&, int&) { ShowTrayMenu(); };

  BuildMenus();
}

void MainWindow::BuildMenus() {
  MenuItem& help = MenuMain.Add("TheHelpMenu", "&Tools && Help");
  help.Add("HelpTopics", "&Help Topics", kCmdHelpTopics);
  help.AddSeparator();
  help.Add("RemoveCookies", "Delete &Cookies", kCmdRemoveCookies);
  MenuItem& kill_all = help.Add("KillAllIeWindows", "&Kill All IE Windows", kCmdKillAllIeWindows);
  help.Add("HomePageLock", "Home &Page Lock", kCmdHomePageLock);
  help.AddSeparator();
  MenuItem& about = help.Add("AboutPelkrin", "&About Pelkrin", kCmdAboutPelkrin);
  MenuMain.AddSeparator();
  MenuItem& options = MenuMain.Add("OptionsMenu", "&Options", kCmdOptionsMenu);
  MenuItem& allow_block = MenuMain.Add("AllowBlockList", "&Allow / Block", kCmdAllowBlockList);
  MenuMain.AddSeparator();
  MenuItem& history = MenuMain.Add("StatsMenu", "H&istory List", kCmdStatsMenu);
  MenuItem& restore = MenuMain.Add("RestoreMode", "&Restore Last");
  MenuItem& restore_popup = restore.Add("RestorePopup", "&Popup", kCmdRestorePopup);
  MenuItem& restore_flash = restore.Add("RestoreFlashAd", "&Flash Ad", kCmdRestoreFlashAd);
  MenuMain.AddSeparator();
  PelkPopups = &MenuMain.Add("PelkPopups", "&Pelk Popups", kCmdPelkPopups);
  MenuMain.AddSeparator();
  MenuItem& exit = MenuMain.Add("ExitMenu", "E&xit", kCmdExitMenu);

  allow_block.on_click = [this] {
    sounds_.PlayBarbleSound();
    Wait(platform_.events, 0.1);
    owner_.ShowAllowBlockWindow();
  };
  // The Options, History and About windows come up after the barble sound and a moment.
  const auto show_after_barble = [this](MenuItem& item, std::function<void()> show) {
    item.on_click = [this, show = std::move(show)] {
      sounds_.PlayBarbleSound();
      Wait(platform_.events, 0.1);
      show();
    };
  };
  show_after_barble(options, [this] { owner_.ShowOptionsWindow(); });
  show_after_barble(history, [this] { owner_.ShowHistoryWindow(); });
  show_after_barble(about, [this] { owner_.ShowAboutWindow(); });
  PelkPopups->on_click = [this] {
    sounds_.PlayClickSound();
    SetPelking(!PelkPopups->Checked());
  };
  exit.on_click = [this] {
    sounds_.PlayBarbleSound();
    Wait(platform_.events, 0.1);
    owner_.ShowExitConfirmation();
  };
  kill_all.on_click = [this] { KillAllIeWindows(platform_.windows, platform_.events, sounds_); };
  const RestoreServices restore_services{platform_.windows, platform_.dialogs, sounds_,
                                         platform_.diagnostics};
  restore_popup.on_click = [this, restore_services] {
    const Hwnd restored = RestorePopup(restore_services, TextHnd);
    if (restored != kNoWindow && on_popup_restored) on_popup_restored(restored);
  };
  restore_flash.on_click = [this, restore_services] {
    RestoreFlashAd(restore_services, TextFlash);
  };
  MenuMain.FindByName("HelpTopics")->on_click = [this] {
    sounds_.PlayBarbleSound();
    owner_.ShowHelpTopicsWindow();
  };
  MenuMain.FindByName("RemoveCookies")->on_click = [this] {
    sounds_.PlayBarbleSound();
    Wait(platform_.events, 0.1);
    owner_.ShowCookieRemoverWindow();
  };
  MenuMain.FindByName("HomePageLock")->on_click = [this] {
    sounds_.PlayBarbleSound();
    owner_.ShowHomePageLockWindow();
  };

  // The list menus act on the lists of the Allow/Block window. List1Pop serves the caption
  // list and List2Pop the domain list.
  RemoveCaption = &List1Pop.Add("RemoveCaption", "&Remove Caption", kCmdRemoveCaption);
  List1Pop.AddSeparator();
  MenuItem& clear_captions =
      List1Pop.Add("ClearEntireCaptionList", "&Clear Entire List", kCmdClearEntireCaptionList);
  RemoveDomain = &List2Pop.Add("RemoveDomain", "&Remove Domain", kCmdRemoveDomain);
  List2Pop.AddSeparator();
  MenuItem& clear_domains =
      List2Pop.Add("ClearEntireDomainList", "&Clear Entire List", kCmdClearEntireDomainList);
  RemoveBlackListEntry =
      &List3Pop.Add("RemoveBlackListEntry", "&Remove Entry", kCmdRemoveBlackListEntry);
  List3Pop.AddSeparator();
  MenuItem& clear_blocks = List3Pop.Add("ClearBlackList", "&Clear Block List", kCmdClearBlackList);

  RemoveCaption->on_click = [this] { RemoveSelected(lists_.captions); };
  RemoveDomain->on_click = [this] { RemoveSelected(lists_.domains); };
  RemoveBlackListEntry->on_click = [this] { RemoveSelected(lists_.blocks); };
  Dialogs& dialogs = platform_.dialogs;
  clear_captions.on_click = [this, &dialogs] { ClearWithConfirmation(dialogs, lists_.captions); };
  clear_domains.on_click = [this, &dialogs] { ClearWithConfirmation(dialogs, lists_.domains); };
  clear_blocks.on_click = [this, &dialogs] { ClearWithConfirmation(dialogs, lists_.blocks); };
}

void MainWindow::SetPelking(bool on) {
  Timer2.SetEnabled(on);
  PelkPopups->SetChecked(on);
  SysTray.SetTrayIcon(StateIcon());
  SysTray.SetTrayTip(on ? kTipOn : kTipOff);
}

void MainWindow::ShowTrayMenu() {
  sounds_.PlayMenuSound();
  MenuItem* chosen = views_.TrayIconMenu({SysTray.Window(), SysTray.IconId()}, MenuMain, PelkPopups,
                                         [this](MenuItem&) { sounds_.PlayMenuSound(); });
  RunCommand(chosen);
}

void MainWindow::OpenListMenu(AllowList list) {
  switch (list) {
    case AllowList::kDomain:
      ShowListMenu(List2Pop, *RemoveDomain);
      break;
    case AllowList::kCaption:
      ShowListMenu(List1Pop, *RemoveCaption);
      break;
    case AllowList::kBlock:
      ShowListMenu(List3Pop, *RemoveBlackListEntry);
      break;
  }
}

void MainWindow::ShowListMenu(MenuItem& menu, const MenuItem& default_item) {
  RunCommand(views_.PopupMenu(menu, &default_item, nullptr));
}

void MainWindow::RunCommand(MenuItem* item) {
  if (item != nullptr && item->Enabled()) item->Click();
}

void MainWindow::Command(std::uint16_t command) {
  if (command == kCmdAdvancedOptions) {
    owner_.ShowAdvancedOptionsWindow();
    return;
  }
  for (MenuItem* menu : {&MenuMain, &List1Pop, &List2Pop, &List3Pop}) {
    if (MenuItem* item = menu->FindByCommand(command)) {
      RunCommand(item);
      return;
    }
  }
}

void MainWindow::SessionEnding() {
  // Logging off or shutting Windows down saves what a normal exit saves. The window is not
  // unloaded: this runs inside its own window procedure, and Windows ends the process anyway.
  // The detector stops, so that no popup is hidden after the last hidden one was closed.
  SysTray.SetInTray(false);
  Timer2.SetEnabled(false);
  Shutdown();
}

void MainWindow::OnLoad() {
  Diagnostics& diagnostics = platform_.diagnostics;
  SettingsStore& settings = settings_;
  Dialogs& dialogs = platform_.dialogs;

  // 1. The window's icon.
  Guarded(diagnostics, "start-up: the window's icon", [&] { SetIcon(Image1.Get()); });

  // 2. One copy per user: a second start says so and ends, touching nothing.
  Guarded(diagnostics, "start-up: the single-copy test", [&] {
    if (platform_.process.AnotherCopyIsRunning()) {
      dialogs.MessageBox("Pelkrin is already running!", kAppTitle, kStopSystemModal);
      platform_.process.Exit(0);
    }
  });

  // 3. The Allow/Block window holds the lists, so it exists before they load.
  Guarded(diagnostics, "start-up: loading the Allow/Block window",
          [&] { owner_.LoadAllowBlockWindow(); });

  // 4. Missing general options take the state of their box in the Options window; the first
  //    look at a box loads that window, whose load handler applies the stored values.
  for (const OptionBox<OptionsWindow>& row : kOptionBoxes) {
    Guarded(diagnostics, "start-up: the default of an option", [&] {
      if (settings.ReadSetting(row.key).empty())
        settings.WriteSettingOrTrace(row.key, owner_.GeneralOptionBox(row.key) == 1 ? "1" : "0");
    });
  }

  // 5. The day of the first run, written once.
  Guarded(diagnostics, "start-up: the install date", [&] {
    if (settings.ReadSetting("install_date").empty())
      settings.WriteSettingOrTrace("install_date", platform_.events.ShortDate());
  });

  // 6. The advanced switches take their boxes' design values (all on) unless stored otherwise.
  for (const OptionBox<AdvancedOptionsWindow>& row : kAdvancedBoxes) {
    Guarded(diagnostics, "start-up: the default of an advanced switch", [&] {
      if (settings.ReadSetting(row.key).empty())
        settings.WriteSettingOrTrace(row.key, std::to_string(row.design_value));
    });
  }

  // 7. The Options and Advanced options windows, hidden; the latter copies step 6's values.
  Guarded(diagnostics, "start-up: loading the Options window", [&] { owner_.LoadOptionsWindow(); });
  Guarded(diagnostics, "start-up: loading the Advanced options window",
          [&] { owner_.LoadAdvancedOptionsWindow(); });

  // 8. and 9. The home page check and the Block button installation, once each.
  Guarded(diagnostics, "start-up: the home page check", [&] { owner_.HomePageCheck(); });
  Guarded(diagnostics, "start-up: the Block button installation",
          [&] { owner_.InstallBlockButton(); });

  // 10. and 11. The since-installation counter, seeded into the History window.
  Guarded(diagnostics, "start-up: seeding history_count", [&] {
    if (settings.ReadSetting("history_count").empty())
      settings.WriteSettingOrTrace("history_count", "0");
  });
  Guarded(diagnostics, "start-up: loading the History window", [&] {
    owner_.LoadHistoryWindow();
    owner_.SetSinceInstallationCount(settings.ReadSetting("history_count"));
  });

  // 12. and 13. Pelking at start follows "super_mode".
  Guarded(diagnostics, "start-up: the tray icon", [&] { SysTray.SetTrayIcon(Image1.Get()); });
  bool pelking = false;
  Guarded(diagnostics, "start-up: pelking from super_mode", [&] {
    pelking = SettingNumber(settings.ReadSetting("super_mode")) == 1;
    Timer2.SetEnabled(pelking);
    PelkPopups->SetChecked(pelking);
    if (!pelking) SysTray.SetTrayIcon(Image4.Get());
  });

  // 14. A moment for pending events.
  Guarded(diagnostics, "start-up: the wait", [&] { Wait(platform_.events, 0.1); });

  // 15. The three lists, each from its file next to the program.
  const struct {
    const char* step;
    const char* file_name;
    AllowList list;
  } list_files[] = {
      {"start-up: loading the domain list", kDomainListFile, AllowList::kDomain},
      {"start-up: loading the caption list", kCaptionListFile, AllowList::kCaption},
      {"start-up: loading the block list", kBlockListFile, AllowList::kBlock},
  };
  for (const auto& [step, file_name, list] : list_files) {
    Guarded(diagnostics, step, [&] {
      LoadListFile(platform_.files, platform_.events, diagnostics,
                   PathInFolder(program_folder_, file_name), lists_.Of(list), lists_.StateOf(list));
    });
  }

  // 16. and 17. The tip, then the icon into the notification area.
  Guarded(diagnostics, "start-up: the tray tip",
          [&] { SysTray.SetTrayTip(pelking ? kTipOn : kTipOff); });
  Guarded(diagnostics, "start-up: the icon into the notification area",
          [&] { SysTray.SetInTray(true); });

  // 18. The main window is never seen.
  Guarded(diagnostics, "start-up: hiding the main window", [&] { Hide(); });

  // 19. The Windows start-up entry follows its setting.
  Guarded(diagnostics, "start-up: the start-up entry", [&] { owner_.SyncStartupEntry(); });
}

void MainWindow::OnUnload() { Shutdown(); }

void MainWindow::Shutdown() {
  // What lives only in memory goes back to disk, the last hidden popup closes, and the home page
  // gets a last look. Windows ending the session after an exit has begun finds it done.
  if (shut_down_) return;
  shut_down_ = true;
  // A file that cannot be written is skipped inside the save; the others are still written.
  Diagnostics& diagnostics = platform_.diagnostics;
  Guarded(diagnostics, "shutdown: saving the lists", [&] { owner_.SaveLists(); });
  Guarded(diagnostics, "shutdown: saving history_count",
          [&] { settings_.WriteSettingOrTrace("history_count", owner_.SinceInstallationCount()); });
  Guarded(diagnostics, "shutdown: closing the last hidden popup", [&] {
    // Only while the handle still names a browser window: it may belong to another program's
    // window by now.
    const Hwnd popup = HandleFromText(TextHnd.Text());
    if (IsBrowserWindow(platform_.windows, popup)) platform_.windows.Post(popup, kWmClose, 0, 0);
  });
  Guarded(diagnostics, "shutdown: the home page check", [&] { owner_.HomePageCheck(); });
}

}  // namespace pelkrin
