// The simulated desktop: one simulated part per platform interface, wired together the way the
// real system is (the profile functions write through the file system, sends to a hung window
// cost time on the clock, the tray window is a window other programs can find). Deterministic:
// it makes no operating-system call at all.
#pragma once

#include "platform/platform.h"
#include "platform/sim/sim_diagnostics.h"
#include "platform/sim/sim_dialogs.h"
#include "platform/sim/sim_event_loop.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_notify_area.h"
#include "platform/sim/sim_profile.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_text_case.h"
#include "platform/sim/sim_windows.h"

namespace pelkrin::sim {

class SimDesktop {
 public:
  SimDesktop();
  SimDesktop(const SimDesktop&) = delete;
  SimDesktop& operator=(const SimDesktop&) = delete;

  // The program's view of this desktop.
  Platform platform();

  // Declared in dependency order: later parts refer to earlier ones.
  SimEventLoop events;
  SimFileSystem files;
  SimProcess process;
  SimWindows windows;
  SimProfile profile;
  SimRegistry registry;
  SimSound sound;
  SimNotifyArea notify;
  SimDialogs dialogs;
  SimPictures pictures;
  SimDiagnostics diagnostics;
  SimTextCase text_case;
};

}  // namespace pelkrin::sim
