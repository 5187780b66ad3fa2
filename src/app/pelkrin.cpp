#include "app/pelkrin.h"

namespace pelkrin {

Pelkrin::Pelkrin(Platform& platform)
    : platform(platform),
      program_folder(platform.process.ProgramFolder()),
      settings(platform.profile, program_folder),
      sounds(platform.sound, program_folder),
      main(*this),
      form3(*this),
      form2(*this),
      form8(*this),
      form1(*this) {}

void Pelkrin::Start() { main.Load(); }

void Pelkrin::EndProgram() {
  main.SysTray.SetInTray(false);
  main.Unload();
  platform.process.Exit(0);
}

// The home page lock, the Block button, the start-up entry, the detector, the CTRL override and
// the tray animation join here as they are built.
void Pelkrin::HomePageCheck() {}
void Pelkrin::InstallBlockButton() {}
void Pelkrin::SyncStartupEntry() {}
void Pelkrin::Survey() {}
void Pelkrin::CtrlOverride() {}
void Pelkrin::AnimateTray() {}

}  // namespace pelkrin
