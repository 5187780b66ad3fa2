// What the pelk event takes from the Options window at each pelk: the boxes as they are at that
// moment, saved or not.
#pragma once

#include <string>

namespace pelkrin {

struct PelkOptions {
  bool keep_history = true;  // "Add popup caption to the history list"
  bool play_sound = false;   // "Play a sound file"
  bool animate_tray = true;  // "Animate the system tray icon"
  std::string sound_file;    // the wave file played
};

}  // namespace pelkrin
