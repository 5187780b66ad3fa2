#include "app/pelkrin.h"

namespace pelkrin {

Pelkrin::Pelkrin(Platform& platform, ViewHost& views)
    : platform(platform),
      views(views),
      program_folder(platform.process.ProgramFolder()),
      settings(platform.profile, program_folder),
      sounds(platform.sound, program_folder),
      form3(form_services, platform.dialogs, platform.files, platform.diagnostics, program_folder,
            [this](AllowList list) { main.OpenListMenu(list); }),
      main(platform, views, settings, sounds, form3.Lists(), program_folder, *this),
      form2(form_services, settings, program_folder),
      form8(form_services, settings),
      form1(form_services, platform.events, settings) {
  main.Timer1.on_timer = [this] { AnimateTray(); };
  main.Timer2.on_timer = [this] { Survey(); };
  main.Timer3.on_timer = [this] { CtrlOverride(); };
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
void Pelkrin::ShowAllowBlockWindow() { form3.Show(); }

// The home page lock, the Block button, the start-up entry, the detector, the CTRL override and
// the tray animation join here as they are built.
void Pelkrin::HomePageCheck() {}
void Pelkrin::InstallBlockButton() {}
void Pelkrin::SyncStartupEntry() {}
void Pelkrin::Survey() {}
void Pelkrin::CtrlOverride() {}
void Pelkrin::AnimateTray() {}

}  // namespace pelkrin
