#include "app/main_window.h"

#include <functional>
#include <utility>

#include "app/command_ids.h"
#include "detector/ctrl_override.h"
#include "detector/popup_rules.h"
#include "detector/restore.h"
#include "platform/temporary_save_name.h"
#include "resources/resource.h"
#include "settings/advanced_options_window.h"
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

MainWindow::MainWindow(Services services, Links links)
    : Form(services.views, "MainWindow", kAppTitle, {0, 0, 120, 60}),
      on_icon(*this, "on_icon", {}),
      first_frame_icon(*this, "first_frame_icon", {}),
      second_frame_icon(*this, "second_frame_icon", {}),
      off_icon(*this, "off_icon", {}),
      animation_timer(*this, "animation_timer", services.events, services.diagnostics, 200, false),
      survey_timer(*this, "survey_timer", services.events, services.diagnostics, 600, false),
      ctrl_override_timer(*this, "ctrl_override_timer", services.events, services.diagnostics, 32,
                          true),
      tray_icon(services.notify, services.diagnostics),
      tray_animation(animation_timer, tray_icon, first_frame_icon, second_frame_icon,
                     [this] { return StateIcon(); }),
      services_(services),
      links_(std::move(links)) {
  window_class = kMainWindowClass;
  skinned = false;
  window_at_load = true;
  for (Control* control : Controls()) control->SetVisible(false);

  Pictures& pictures = services.pictures;
  on_icon.Set(pictures.LoadIcon(IDI_NORMAL));
  first_frame_icon.Set(pictures.LoadIcon(IDI_ANIM1));
  second_frame_icon.Set(pictures.LoadIcon(IDI_ANIM2));
  off_icon.Set(pictures.LoadIcon(IDI_PELK_OFF));
  tray_icon.SetTrayIcon(on_icon.Get());
  tray_icon.SetTrayTip(kTipOn);
  tray_icon.on_mouse_up = [this](int&, int&) { TrayIconClicked(); };

  animation_timer.on_timer = [this] { tray_animation.Step(); };
  survey_timer.on_timer = [this] { links_.detector.Survey(); };
  ctrl_override_timer.on_timer = [this] {
    const bool held = CtrlOverride(services_.windows);
    if (ctrl_watched_ && !held) ctrl_override_timer.SetEnabled(false);
  };
  BuildTrayMenu();
  BuildListMenus();
}

MainWindow::~MainWindow() {
  // Stopping the watch cannot fail in a way that matters any more: nothing is left to call.
  if (ctrl_watched_) (void)services_.windows.WatchKeyPresses(kVkControl, {});
}

void MainWindow::BuildTrayMenu() {
  MenuItem* submenu = nullptr;
  for (const TrayMenuRow& row : kTrayMenu) {
    MenuItem& item =
        (row.in_submenu ? *submenu : tray_menu).Add(row.name, row.caption, row.command);
    if (!row.in_submenu && row.command == 0 && !item.IsSeparator()) submenu = &item;
    if (row.action != TrayAction::kNone) item.on_click = TrayCommand(row);
  }
  pelk_popups_item = tray_menu.FindByName("PelkPopups");
}

std::function<void()> MainWindow::TrayCommand(const TrayMenuRow& row) {
  const RestoreServices restore{services_.windows, services_.dialogs, services_.sounds,
                                services_.diagnostics};
  switch (row.action) {
    case TrayAction::kOpen:
      return [this, window = row.window] {
        services_.sounds.PlayBarbleSound();
        std::invoke(window, links_.opener);
      };
    case TrayAction::kOpenAfterPause:
      return [this, window = row.window] {
        services_.sounds.PlayBarbleSound();
        Wait(services_.events, 0.1);
        std::invoke(window, links_.opener);
      };
    case TrayAction::kKillAllIeWindows:
      return [this] { KillAllIeWindows(services_.windows, services_.events, services_.sounds); };
    case TrayAction::kRestorePopup:
      return [this, restore] { RestorePopup(restore, links_.detector.TakeLastHiddenPopup()); };
    case TrayAction::kRestoreFlashAd:
      return [this, restore] { RestoreFlashAd(restore, links_.detector.LastHiddenFlash()); };
    case TrayAction::kPelkPopups:
      return [this] {
        services_.sounds.PlayClickSound();
        SetPelking(!PelkingOn());
      };
    case TrayAction::kNone:
      break;
  }
  return {};
}

MenuItem& MainWindow::ListMenu(AllowList list) {
  switch (list) {
    case AllowList::kDomain:
      return domain_list_menu;
    case AllowList::kCaption:
      return caption_list_menu;
    case AllowList::kBlock:
      break;
  }
  return block_list_menu;
}

MenuItem*& MainWindow::RemoveItem(AllowList list) {
  switch (list) {
    case AllowList::kDomain:
      return remove_domain_item;
    case AllowList::kCaption:
      return remove_caption_item;
    case AllowList::kBlock:
      break;
  }
  return remove_block_entry_item;
}

void MainWindow::BuildListMenus() {
  // The list menus act on the lists of the Allow/Block window.
  for (const ListMenuRow& row : kListMenus) {
    MenuItem& menu = ListMenu(row.list);
    ListBox& list = links_.lists.Of(row.list);
    MenuItem& remove = menu.Add(row.remove_name, row.remove_caption, row.remove_command);
    menu.AddSeparator();
    MenuItem& clear = menu.Add(row.clear_name, row.clear_caption, row.clear_command);
    remove.on_click = [&list] { RemoveSelected(list); };
    clear.on_click = [this, &list] { ClearWithConfirmation(services_.dialogs, list); };
    RemoveItem(row.list) = &remove;
  }
}

void MainWindow::SetPelking(bool on) {
  survey_timer.SetEnabled(on);
  pelk_popups_item->SetChecked(on);
  tray_icon.SetTrayIcon(StateIcon());
  tray_icon.SetTrayTip(on ? kTipOn : kTipOff);
}

void MainWindow::ShowTrayMenu() {
  services_.sounds.PlayMenuSound();
  RunCommand(views_.TrayIconMenu({tray_icon.Window(), tray_icon.IconId()}, tray_menu,
                                 pelk_popups_item,
                                 [this](MenuItem&) { services_.sounds.PlayMenuSound(); }));
}

void MainWindow::TrayIconClicked() {
  if (started_) {
    ShowTrayMenu();
    return;
  }
  // Clicks during start-up come to one menu.
  if (!std::exchange(menu_held_, true)) held_input_.push_back([this] { ShowTrayMenu(); });
}

void MainWindow::RunHeldInput() {
  if (held_input_.empty()) return;
  // From the message loop, where a click or a command would have run, rather than inside
  // start-up.
  if (!run_held_input_.Schedule([this] {
        for (const auto& input : std::exchange(held_input_, {})) input();
      })) {
    services_.diagnostics.Trace(std::to_string(held_input_.size()) +
                                " clicks or commands that came during start-up could not be run");
    held_input_.clear();
  }
}

void MainWindow::OpenListMenu(AllowList list) {
  RunCommand(views_.PopupMenu(ListMenu(list), RemoveItem(list), nullptr));
}

void MainWindow::RunCommand(MenuItem* item) {
  if (item != nullptr && item->Enabled()) item->Click();
}

void MainWindow::Command(std::uint16_t command) {
  if (!started_) {
    held_input_.push_back([this, command] { Command(command); });
    return;
  }
  if (command == kCmdAdvancedOptions) {
    links_.opener.ShowAdvancedOptionsWindow();
    return;
  }
  for (MenuItem* menu : {&tray_menu, &caption_list_menu, &domain_list_menu, &block_list_menu}) {
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
  tray_icon.SetInTray(false);
  survey_timer.SetEnabled(false);
  Shutdown();
}

template <typename Step>
void MainWindow::StartUpStep(std::string_view what, Step&& step) {
  Guarded(services_.diagnostics, "start-up: " + std::string(what), std::forward<Step>(step));
}

void MainWindow::OnLoad() {
  StartUpStep("the window's icon", [&] { SetIcon(on_icon.Get()); });
  EndIfAnotherCopyRuns();
  // Only the one copy that runs: the frames on the file may be a running copy's.
  StartUpStep("making transparent frames opaque",
              [&] { links_.start_up.RepairTransparentFrames(); });
  // The Allow/Block window holds the lists, so it exists before they load.
  StartUpStep("loading the Allow/Block window", [&] { links_.start_up.LoadAllowBlockWindow(); });
  WriteMissingDefaults();
  LoadOptionsWindows();
  StartUpStep("the home page check", [&] { links_.start_up.HomePageCheck(); });
  StartUpStep("the Block button installation", [&] { links_.start_up.InstallBlockButton(); });
  SeedSinceInstallationCount();
  StartPelkingAsSuperModeSays();
  // The icon as soon as it shows the state pelking starts in; clicks on it wait for the end of
  // start-up.
  StartUpStep("the icon into the notification area", [&] { tray_icon.SetInTray(true); });
  // The History window's load plays the barble, whose sound device takes longer to open than
  // everything before the icon: the user hears it as the icon comes, before the wait.
  StartUpStep("loading the History window", [&] {
    links_.start_up.LoadHistoryWindow(services_.settings.ReadSetting("history_count"));
  });
  // The idle program makes no tick at all where the presses are reported: a press starts the
  // ticks, and the first tick that finds CTRL up stops them. Until then they poll. Watching the
  // keyboard costs the system a look at its input devices, which the icon does not wait for.
  StartUpStep("watching CTRL", [&] {
    ctrl_watched_ = services_.windows.WatchKeyPresses(
        kVkControl, [this] { ctrl_override_timer.SetEnabled(true); });
    if (ctrl_watched_) ctrl_override_timer.SetEnabled(false);
  });
  StartUpStep("the wait", [&] { Wait(services_.events, 0.1); });
  LoadLists();
  StartUpStep("removing what interrupted saves left", [&] { RemoveInterruptedSaves(); });
  StartUpStep("hiding the main window", [&] { Hide(); });
  StartUpStep("the start-up entry", [&] { links_.start_up.SyncStartupEntry(); });
  started_ = true;
  RunHeldInput();
}

void MainWindow::EndIfAnotherCopyRuns() {
  // One copy per user: a second start says so and ends, touching nothing.
  StartUpStep("the single-copy test", [&] {
    if (services_.process.AnotherCopyIsRunning()) {
      services_.dialogs.MessageBox("Pelkrin is already running!", kAppTitle, kStopSystemModal);
      services_.process.Exit(0);
    }
  });
}

void MainWindow::WriteMissingDefaults() {
  SettingsStore& settings = services_.settings;
  // Missing general options take the state of their box in the Options window; the first look
  // at a box loads that window, whose load handler applies the stored values.
  for (const OptionBox<OptionsWindow>& row : kOptionBoxes) {
    StartUpStep("the default of an option", [&] {
      if (settings.ReadSetting(row.key).empty()) {
        const bool on = links_.start_up.GeneralOptionBox(row.key) == 1;
        settings.WriteSettingOrTrace(row.key, on ? "1" : "0");
      }
    });
  }
  // The day of the first run, written once.
  StartUpStep("the install date", [&] {
    if (settings.ReadSetting("install_date").empty())
      settings.WriteSettingOrTrace("install_date", services_.events.ShortDate());
  });
  // The advanced switches take their boxes' design values (all on) unless stored otherwise.
  for (const OptionBox<AdvancedOptionsWindow>& row : kAdvancedBoxes) {
    StartUpStep("the default of an advanced switch", [&] {
      if (settings.ReadSetting(row.key).empty())
        settings.WriteSettingOrTrace(row.key, std::to_string(row.design_value));
    });
  }
}

void MainWindow::LoadOptionsWindows() {
  // Both hidden; the Advanced options window copies the advanced defaults just written.
  StartUpStep("loading the Options window", [&] { links_.start_up.LoadOptionsWindow(); });
  StartUpStep("loading the Advanced options window",
              [&] { links_.start_up.LoadAdvancedOptionsWindow(); });
}

void MainWindow::SeedSinceInstallationCount() {
  SettingsStore& settings = services_.settings;
  StartUpStep("seeding history_count", [&] {
    if (settings.ReadSetting("history_count").empty())
      settings.WriteSettingOrTrace("history_count", "0");
  });
}

void MainWindow::StartPelkingAsSuperModeSays() {
  // The icon and the tip reach the shell only when the icon goes into the notification area.
  bool pelking = false;
  StartUpStep("pelking from super_mode",
              [&] { pelking = SettingNumber(services_.settings.ReadSetting("super_mode")) == 1; });
  StartUpStep("the tray icon", [&] { SetPelking(pelking); });
}

void MainWindow::LoadLists() {
  // Each list from its file next to the program.
  const struct {
    const char* step;
    const char* file_name;
    AllowList list;
  } list_files[] = {
      {"loading the domain list", kDomainListFile, AllowList::kDomain},
      {"loading the caption list", kCaptionListFile, AllowList::kCaption},
      {"loading the block list", kBlockListFile, AllowList::kBlock},
  };
  const AllowLists& lists = links_.lists;
  for (const auto& [step, file_name, list] : list_files) {
    StartUpStep(step, [&] {
      LoadListFile(services_.files, services_.events, services_.diagnostics,
                   PathInFolder(links_.program_folder, file_name), lists.Of(list),
                   lists.StateOf(list));
    });
  }
  lists_loaded_ = true;
}

void MainWindow::RemoveInterruptedSaves() {
  // A save that was killed before its file took the old one's place left its temporary file
  // beside the lists; the old file is whole. Only the names the saves give are removed.
  FileSystem& files = services_.files;
  Diagnostics& diagnostics = services_.diagnostics;
  const std::string& folder = links_.program_folder;
  const auto names = files.ListFiles(folder, kTemporarySavePattern);
  if (!names) {
    diagnostics.Trace("the program's folder could not be listed for what interrupted saves left");
    return;
  }
  for (const std::string& name : *names) {
    if (!IsTemporarySaveName(name)) continue;
    const std::string path = PathInFolder(folder, name);
    if (files.DeleteFile(path))
      diagnostics.Note("removed " + path + ", left by an interrupted save");
    else
      diagnostics.Trace(path + ", left by an interrupted save, could not be removed");
  }
}

void MainWindow::OnUnload() { Shutdown(); }

void MainWindow::Shutdown() {
  // What lives only in memory goes back to disk, the last hidden popup closes, no frame stays
  // transparent, and the home page gets a last look. Windows ending the session after an exit has
  // begun finds it done.
  if (shut_down_) return;
  shut_down_ = true;
  // A file that cannot be written is skipped inside the save; the others are still written.
  Diagnostics& diagnostics = services_.diagnostics;
  ShutdownSteps& steps = links_.shutdown;
  // Windows may end the session while start-up still loads the lists: their files then hold
  // entries the lists lack, and stay as they are.
  if (lists_loaded_)
    Guarded(diagnostics, "shutdown: saving the lists", [&] { steps.SaveLists(); });
  else
    diagnostics.Trace("shutdown: the lists were still loading and are not saved");
  Guarded(diagnostics, "shutdown: saving history_count", [&] {
    services_.settings.WriteSettingOrTrace("history_count", steps.SinceInstallationCount());
  });
  Guarded(diagnostics, "shutdown: closing the last hidden popup", [&] {
    // Earlier popups whose address was still to be read close too, unread.
    links_.detector.CloseWaitingPopups();
    // Only while the handle still names a browser window: it may belong to another program's
    // window by now.
    const std::optional<Hwnd> popup = links_.detector.LastHiddenPopup();
    WindowManager& windows = services_.windows;
    if (popup && IsBrowserWindow(windows, *popup)) windows.Post(*popup, kWmClose, 0, 0);
  });
  Guarded(diagnostics, "shutdown: making transparent frames opaque",
          [&] { steps.EndTransparency(); });
  Guarded(diagnostics, "shutdown: the home page check", [&] { steps.HomePageCheck(); });
}

}  // namespace pelkrin
