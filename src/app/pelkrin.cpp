#include "app/pelkrin.h"

#include <algorithm>
#include <utility>

#include "detector/ctrl_override.h"
#include "settings/startup_entry.h"
#include "ui/guarded.h"

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
      form3(form_services, platform.dialogs, platform.files, platform.diagnostics,
            platform.text_case, program_folder,
            [this](AllowList list) { main.OpenListMenu(list); }),
      main(platform, views, settings, sounds, form3.Lists(), program_folder, *this),
      form2(form_services,
            {platform.events, platform.dialogs, platform.registry, platform.text_case,
             platform.diagnostics},
            settings, program_folder, ProgramPath(platform.process), [this] { form8.Show(); }),
      form8(form_services, settings, platform.events, platform.dialogs, block_button,
            [this] {
              if (form2.Visible()) form2.SetWindowState(0);
            }),
      form1(form_services, platform.events, platform.dialogs, settings),
      detector({platform.windows, platform.events, settings, platform.dialogs, platform.process,
                platform.diagnostics},
               form3.Lists(), {main.TextHnd, main.TextFlash, main.Text2, main.List2},
               {[this] { return main.PelkingOn(); }, [this] { return form8.Switches(); },
                [this] { SaveBeforeFailureExit(); }}),
      form4(form_services, platform.events, platform.diagnostics, platform.pictures, settings,
            [this] { return form1.Label7.Caption(); }),
      pelk_event({platform.events, platform.text_case, sounds},
                 {main.Text2, main.Timer1, form1, [this] { return form2.PelkingOptions(); },
                  [this] { HomePageCheck(); }, [this] { return detector.TakePelkShowTurn(); }}),
      tray_animation{.counter = main.Text1,
                     .timer = main.Timer1,
                     .tray = main.SysTray,
                     .resting_icon = [this] { return main.StateIcon(); },
                     .frame1 = main.Image2,
                     .frame2 = main.Image3} {
  main.Timer1.on_timer = [this] { AnimateTray(); };
  main.Timer2.on_timer = [this] { Survey(); };
  main.Timer3.on_timer = [this] { CtrlOverride(); };
  main.Text2.on_change = [this] {
    if (!main.Text2.Text().empty()) PelkEvent();
  };
  main.on_popup_restored = [this](Hwnd popup) { detector.ForgetPelk(popup); };
  // The event path beside the survey: window events are noted as they come, and the new browser
  // windows judged at the top of the message loop.
  if (!platform.windows.WatchWindowEvents(
          [this](WindowEvent event, Hwnd window) { detector.NoteWindowEvent(event, window); }))
    platform.diagnostics.Trace("window events cannot be watched; only the survey finds popups");
  platform.events.SetIdleWork([this] { return detector.FollowNewWindows(); });
}

Pelkrin::~Pelkrin() {
  // Stopping the reports cannot fail: only starting them can.
  (void)platform.windows.WatchWindowEvents({});
  platform.events.SetIdleWork({});
}

void Pelkrin::Start() { main.Load(); }

void Pelkrin::EndProgram() {
  main.SysTray.SetInTray(false);
  main.Unload();
  platform.process.Exit(0);
}

void Pelkrin::LoadAllowBlockWindow() { form3.Load(); }

int Pelkrin::GeneralOptionBox(std::string_view key) {
  form2.Load();
  return form2.OptionValue(key);
}

void Pelkrin::LoadOptionsWindow() { form2.Load(); }
void Pelkrin::LoadAdvancedOptionsWindow() { form8.Load(); }
void Pelkrin::LoadHistoryWindow() { form1.Load(); }
void Pelkrin::SetSinceInstallationCount(std::string count) {
  form1.Label4.SetCaption(std::move(count));
}
std::string Pelkrin::SinceInstallationCount() { return form1.Label4.Caption(); }
void Pelkrin::SaveLists() { form3.SaveLists(); }

void Pelkrin::SaveBeforeFailureExit() {
  Guarded(platform.diagnostics, "saving the lists", [&] { form3.SaveLists(); });
  Guarded(platform.diagnostics, "saving history_count",
          [&] { settings.WriteSettingOrTrace("history_count", form1.Label4.Caption()); });
}
void Pelkrin::ShowAllowBlockWindow() { form3.Show(); }

void Pelkrin::ShowOptionsWindow() { form2.Show(); }
void Pelkrin::ShowHistoryWindow() { form1.Show(); }
void Pelkrin::ShowAboutWindow() { form4.Open(); }

void Pelkrin::ShowAdvancedOptionsWindow() {
  // As the Options window's button does: that window steps aside, and this one comes up.
  if (form2.Visible()) form2.SetWindowState(1);
  sounds.PlayBarbleSound();
  form8.Show();
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
  ShowAfresh(form9, [this] { return std::make_unique<Form9>(form_services); });
}

void Pelkrin::ShowCookieRemoverWindow() {
  ShowAfresh(form6, [this] {
    return std::make_unique<Form6>(form_services, platform.files, platform.process, platform.events,
                                   platform.dialogs, platform.diagnostics);
  });
}

void Pelkrin::ShowHomePageLockWindow() {
  ShowAfresh(form12, [this] {
    return std::make_unique<Form12>(form_services, settings, platform.events, platform.dialogs,
                                    platform.text_case, home_page_lock);
  });
}

void Pelkrin::ShowExitConfirmation() {
  if (!form7) {
    form7 = std::make_unique<Form7>(
        form_services, settings,
        ExitConfirmationHooks{.remove_tray_icon = [this] { main.SysTray.SetInTray(false); },
                              .unload_main_and_end =
                                  [this] {
                                    main.Unload();
                                    platform.process.Exit(0);
                                  },
                              .dismiss = [this] { DismissExitConfirmation(); }});
  }
  form7->Show();
}

void Pelkrin::DismissExitConfirmation() {
  if (!form7) return;
  form7->Hide();
  dismissed_form7s_.push_back(std::move(form7));
  // The task already pending unloads this one too: a second task would run the first at once,
  // inside this window's own click handler.
  if (unload_dismissed_form7_.Pending()) return;
  if (!unload_dismissed_form7_.Schedule([this] {
        for (const auto& form : std::exchange(dismissed_form7s_, {})) form->Unload();
      })) {
    // Without a timer the window stays loaded, hidden, until a later dismissal gets one.
    platform.diagnostics.Trace("the exit confirmation window could not be unloaded later");
  }
}

void Pelkrin::InstallBlockButton() { block_button.Install(BlockButton::Report::kSilently); }
void Pelkrin::Survey() { detector.Survey(); }

void Pelkrin::PelkEvent() { pelk_event.Run(); }

void Pelkrin::CtrlOverride() { pelkrin::CtrlOverride(platform.windows); }
void Pelkrin::HomePageCheck() { home_page_lock.Check(); }
void Pelkrin::SyncStartupEntry() { form2.SyncStartupEntry(); }
void Pelkrin::AnimateTray() { tray_animation.Step(); }

}  // namespace pelkrin
