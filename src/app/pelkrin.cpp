#include "app/pelkrin.h"

#include <algorithm>
#include <utility>

#include "detector/transparent_list.h"
#include "settings/startup_entry.h"
#include "ui/guarded.h"
#include "ui/text.h"

namespace pelkrin {

Pelkrin::Pelkrin(Platform& platform, ViewHost& views)
    : platform(platform),
      views(views),
      program_folder(platform.process.ProgramFolder()),
      settings(platform.profile, platform.diagnostics, program_folder),
      sounds(platform.sound, program_folder),
      block_button(platform.registry, settings, platform.dialogs, platform.diagnostics,
                   program_folder),
      home_page_lock(platform.registry, settings, platform.dialogs, platform.diagnostics),
      transparent_frames({platform.windows, platform.files, platform.diagnostics},
                         PathInFolder(program_folder, kTransparentListFile)),
      allow_block_window(form_services, platform.dialogs, platform.files, platform.diagnostics,
                         platform.text_case, program_folder,
                         [this](AllowList list) { main_window.OpenListMenu(list); }),
      detector(
          {platform.windows, platform.events, settings, platform.dialogs, platform.process,
           platform.diagnostics},
          allow_block_window.Lists(),
          {.pelking_on = [this] { return main_window.PelkingOn(); },
           .switches = [this] { return advanced_options_window.Switches(); },
           .save_before_failure_exit = [this] { SaveBeforeFailureExit(); },
           .pelk_event = [this](const std::string& caption) { pelk_event.Run(caption); },
           .pelk_recorded = [this](PelkRecord record) { pelk_event.TakeRecord(std::move(record)); },
           .pelk_address =
               [this](std::uint64_t serial, std::optional<std::string> address) {
                 pelk_event.SetAddress(serial, std::move(address));
               }},
          &transparent_frames),
      main_window(
          {platform.windows, platform.events, platform.dialogs, platform.pictures, platform.notify,
           platform.files, platform.process, platform.diagnostics, views, settings, sounds},
          {allow_block_window.Lists(), program_folder, detector, *this, *this, *this}),
      options_window(form_services,
                     {platform.events, platform.dialogs, platform.registry, platform.text_case,
                      platform.diagnostics},
                     settings, program_folder, ProgramPath(platform.process),
                     [this] { advanced_options_window.Show(); }),
      advanced_options_window(form_services, settings, platform.events, platform.dialogs,
                              block_button,
                              [this] {
                                if (options_window.Visible()) options_window.SetWindowState(0);
                              }),
      entry_menu_commands({platform.windows, platform.registry, platform.process, platform.dialogs,
                           sounds, platform.diagnostics},
                          detector, allow_block_window),
      history_window(form_services, platform.events, platform.dialogs, settings,
                     entry_menu_commands),
      about_window(form_services, platform.events, platform.diagnostics, platform.pictures,
                   settings, [this] { return SinceInstallationCount(); }),
      pelk_event({platform.events, platform.text_case, sounds},
                 {main_window.tray_animation, history_window,
                  [this] { return options_window.PelkingOptions(); }, [this] { HomePageCheck(); },
                  [this] { return detector.TakePelkShowTurn(); }}) {
  // The event path beside the survey: window events are noted as they come, and the new browser
  // windows judged at the top of the message loop.
  if (!detector.Attach())
    platform.diagnostics.Trace("window events cannot be watched; only the survey finds popups");
}

Pelkrin::~Pelkrin() { detector.Detach(); }

void Pelkrin::Start() { main_window.Load(); }

void Pelkrin::RepairTransparentFrames() { transparent_frames.Repair(); }

void Pelkrin::EndTransparency() {
  // The event path stops first: no frame is made transparent after the repair.
  detector.Detach();
  transparent_frames.Repair();
}

void Pelkrin::LoadAllowBlockWindow() { allow_block_window.Load(); }

int Pelkrin::GeneralOptionBox(std::string_view key) {
  options_window.Load();
  return options_window.OptionValue(key);
}

void Pelkrin::LoadOptionsWindow() { options_window.Load(); }
void Pelkrin::LoadAdvancedOptionsWindow() { advanced_options_window.Load(); }
void Pelkrin::LoadHistoryWindow(std::string since_installation) {
  history_window.Load();
  history_window.since_installation_count.SetCaption(std::move(since_installation));
}
std::string Pelkrin::SinceInstallationCount() {
  return history_window.since_installation_count.Caption();
}
void Pelkrin::SaveLists() { allow_block_window.SaveLists(); }

void Pelkrin::SaveBeforeFailureExit() {
  Guarded(platform.diagnostics, "saving the lists", [&] { allow_block_window.SaveLists(); });
  Guarded(platform.diagnostics, "saving history_count",
          [&] { settings.WriteSettingOrTrace("history_count", SinceInstallationCount()); });
}
void Pelkrin::ShowAllowBlockWindow() { allow_block_window.Show(); }

void Pelkrin::ShowOptionsWindow() { options_window.Show(); }
void Pelkrin::ShowHistoryWindow() { history_window.Show(); }
void Pelkrin::ShowAboutWindow() { about_window.Open(); }

void Pelkrin::ShowAdvancedOptionsWindow() {
  // As the Options window's button does: that window steps aside, and this one comes up.
  if (options_window.Visible()) options_window.SetWindowState(1);
  sounds.PlayBarbleSound();
  advanced_options_window.Show();
}

template <typename F, typename Make>
void Pelkrin::ShowAfresh(std::unique_ptr<F>& form, Make make) {
  std::erase_if(closed_forms_,
                [](const std::unique_ptr<Form>& closed) { return !closed->IsInUse(); });
  if (form && form->IsLoaded()) {
    form->Show();  // already open: it stays as it is
    return;
  }
  // A closed window is replaced; one whose handler still runs (it was closed during a wait or a
  // message box) lives on until that handler returns.
  if (form && form->IsInUse()) closed_forms_.push_back(std::move(form));
  form = make();
  form->Show();
}

void Pelkrin::ShowHelpTopicsWindow() {
  ShowAfresh(help_topics_window,
             [this] { return std::make_unique<HelpTopicsWindow>(form_services); });
}

void Pelkrin::ShowCookieRemoverWindow() {
  ShowAfresh(cookie_remover_window, [this] {
    return std::make_unique<CookieRemoverWindow>(form_services, platform.files, platform.process,
                                                 platform.events, platform.dialogs,
                                                 platform.diagnostics);
  });
}

void Pelkrin::ShowHomePageLockWindow() {
  ShowAfresh(home_page_lock_window, [this] {
    return std::make_unique<HomePageLockWindow>(form_services, settings, platform.events,
                                                platform.dialogs, platform.text_case,
                                                home_page_lock);
  });
}

void Pelkrin::ShowExitConfirmation() {
  if (!exit_confirmation) {
    exit_confirmation = std::make_unique<ExitConfirmationWindow>(
        form_services, settings,
        ExitConfirmationHooks{
            .remove_tray_icon = [this] { main_window.tray_icon.SetInTray(false); },
            .unload_main_and_end =
                [this] {
                  main_window.Unload();
                  platform.process.Exit(0);
                },
            .dismiss = [this] { DismissExitConfirmation(); }});
  }
  exit_confirmation->Show();
}

void Pelkrin::DismissExitConfirmation() {
  if (!exit_confirmation) return;
  exit_confirmation->Hide();
  dismissed_exit_confirmations_.push_back(std::move(exit_confirmation));
  // The task already pending unloads this one too: a second task would run the first at once,
  // inside this window's own click handler.
  if (unload_dismissed_exit_confirmation_.Pending()) return;
  if (!unload_dismissed_exit_confirmation_.Schedule([this] {
        for (const auto& form : std::exchange(dismissed_exit_confirmations_, {})) form->Unload();
      })) {
    // Without a timer the window stays loaded, hidden, until a later dismissal gets one.
    platform.diagnostics.Trace("the exit confirmation window could not be unloaded later");
  }
}

void Pelkrin::InstallBlockButton() { block_button.Install(BlockButton::Report::kSilently); }
void Pelkrin::HomePageCheck() { home_page_lock.Check(); }
void Pelkrin::SyncStartupEntry() { options_window.SyncStartupEntry(); }

}  // namespace pelkrin
