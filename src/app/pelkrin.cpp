#include "app/pelkrin.h"

#include "ui/guarded.h"

namespace pelkrin {

Pelkrin::Pelkrin(Platform& platform, ViewHost& views)
    : platform(platform),
      views(views),
      program_folder(platform.process.ProgramFolder()),
      settings(platform.profile, program_folder),
      sounds(platform.sound, program_folder),
      block_button(platform.registry, settings, platform.dialogs, platform.diagnostics,
                   program_folder),
      form3(form_services, platform.dialogs, platform.files, platform.diagnostics,
            platform.text_case, program_folder,
            [this](AllowList list) { main.OpenListMenu(list); }),
      main(platform, views, settings, sounds, form3.Lists(), program_folder, *this),
      form2(form_services, settings, program_folder),
      form8(form_services, settings, platform.events, platform.dialogs, block_button,
            [this] {
              if (form2.Visible()) form2.SetWindowState(0);
            }),
      form1(form_services, platform.events, settings),
      detector({platform.windows, platform.events, settings, platform.dialogs, platform.process,
                platform.diagnostics},
               form3.Lists(), {main.TextHnd, main.TextFlash, main.Text2, main.List2},
               {[this] { return main.PelkingOn(); }, [this] { return form8.Switches(); },
                [this] { SaveBeforeFailureExit(); }}) {
  main.Timer1.on_timer = [this] { AnimateTray(); };
  main.Timer2.on_timer = [this] { Survey(); };
  main.Timer3.on_timer = [this] { CtrlOverride(); };
  main.Text2.on_change = [this] {
    if (!main.Text2.Text().empty()) PelkEvent();
  };
  // The event path beside the survey: window events are noted as they come, and the new browser
  // windows judged at the top of the message loop.
  if (!platform.windows.WatchWindowEvents(
          [this](WindowEvent event, Hwnd window) { detector.NoteWindowEvent(event, window); }))
    platform.diagnostics.Trace("window events cannot be watched; only the survey finds popups");
  platform.events.SetIdleWork([this] { return detector.FollowNewWindows(); });
}

Pelkrin::~Pelkrin() {
  platform.windows.WatchWindowEvents({});
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
          [&] { settings.WriteSetting("history_count", form1.Label4.Caption()); });
}
void Pelkrin::ShowAllowBlockWindow() { form3.Show(); }

void Pelkrin::ShowAdvancedOptionsWindow() {
  // As the Options window's button does: that window steps aside, and this one comes up.
  if (form2.Visible()) form2.SetWindowState(1);
  sounds.PlayBarbleSound();
  form8.Show();
}

void Pelkrin::InstallBlockButton() { block_button.Install(BlockButton::Report::kSilently); }
void Pelkrin::Survey() { detector.Survey(); }

// The history entry, the counters, the sound, the tray animation and the home page check join
// the pelk event as they are built; it ends by emptying the signal, as it always will.
void Pelkrin::PelkEvent() { main.Text2.SetText(""); }

// The home page lock, the start-up entry, the CTRL override and the tray animation join here as
// they are built.
void Pelkrin::HomePageCheck() {}
void Pelkrin::SyncStartupEntry() {}
void Pelkrin::CtrlOverride() {}
void Pelkrin::AnimateTray() {}

}  // namespace pelkrin
