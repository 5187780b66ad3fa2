// The pelk event: what the rest of the program sees of one pelked popup. The detection cycle
// calls it with the popup's short caption, inside the pelk: the home page check, the history
// entry with both counters, the sound, the tray animation, each as the Options window's boxes
// say at that moment, saved or not.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "history/history_window.h"
#include "history/pelk_record.h"
#include "platform/platform.h"
#include "settings/pelk_options.h"
#include "tray/tray_animation.h"
#include "ui/services.h"

namespace pelkrin {

class PelkEventHandler {
 public:
  struct Parts {
    EventLoop& events;  // the date and the time of the entry
    TextCase& text_case;
    Sounds& sounds;
  };
  struct Links {
    TrayAnimation& animation;
    HistoryWindow& history;                // the History window, the list and the counters
    std::function<PelkOptions()> options;  // the Options window's boxes, now
    std::function<void()> home_page_check;
    // True when this pelk may start the pelk sound and the tray animation: popups are hidden as
    // fast as they come, but what the user hears and sees keeps its old pace. None: always.
    std::function<bool()> show_turn;
  };
  PelkEventHandler(Parts parts, Links links);

  // What the pelk whose event runs next recorded, handed over by the detector just before:
  // its history entry keeps it. The earlier entries' popups are no longer the last hidden one.
  void TakeRecord(PelkRecord pelk);
  // The address of the pelk with this serial, read after its record was handed over.
  void SetAddress(std::uint64_t serial, std::optional<std::string> address);

  // Runs the event for the popup with this short caption. A popup whose caption is the
  // browser's suffix alone has an empty one, and leaves nothing behind.
  void Run(const std::string& short_caption);

  // The history line for a popup: the date in the user's short date form, one blank, the time
  // in the user's time form in lower case (so "PM" reads "pm"), " : ", the short caption.
  std::string HistoryEntry(const std::string& short_caption);

 private:
  Parts parts_;
  Links links_;
  std::optional<PelkRecord> next_record_;
};

}  // namespace pelkrin
