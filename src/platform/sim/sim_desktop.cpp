#include "platform/sim/sim_desktop.h"

namespace pelkrin::sim {

SimDesktop::SimDesktop()
    : process(files), windows(&events), profile(files, process), sound(files), notify(windows) {
  files.MakeFolder(process.ProgramFolder());  // the program file lies in it
}

Platform SimDesktop::platform() {
  return Platform{windows,  profile, registry, sound,   notify,      dialogs,
                  pictures, events,  files,    process, diagnostics, text_case};
}

}  // namespace pelkrin::sim
