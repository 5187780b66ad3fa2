// The detection cycle: one survey of the desktop's top-level windows per tick of the main
// window's Timer2. It finds the browser windows, hides the Flash control inside each when the
// user asked for it, and pelks every popup that is not exempt: the popup is hidden at once,
// reported once through the pelk signal, and kept hidden as the last hidden popup until the
// next pelk closes it for good.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "detector/popup_rules.h"
#include "platform/platform.h"
#include "settings/settings_store.h"
#include "ui/controls.h"

namespace pelkrin {

// The pause after each pelk, during which the whole program waits.
inline constexpr unsigned kPelkPauseMs = 600;
// Room for a class name or caption in the census, the terminating NUL included.
inline constexpr int kCensusTextChars = 260;
// The census holds at most this many browser captions; further ones replace the last.
inline constexpr std::size_t kMaxCensus = 32767;

// The main window's invisible fields that a survey reads and writes.
struct DetectorFields {
  TextBox& TextHnd;    // the last hidden popup, as a decimal handle; "" for none
  TextBox& TextFlash;  // the last Flash control hidden, decimal; "0" after a window without one
  TextBox& Text2;      // the pelk signal: setting it raises the pelk event, which empties it
  ListBox& List2;      // the candidate list of one survey: captions to examine, in order
};

// What the cycle asks of the rest of the program.
struct DetectorHooks {
  std::function<bool()> pelking_on;            // the "&Pelk Popups" check mark
  std::function<DetectionSwitches()> switches;  // read live at every survey
  // Saves what a normal shutdown saves, before a failed survey ends the program.
  std::function<void()> save_before_failure_exit;
};

class DetectionCycle {
 public:
  struct Services {
    WindowManager& windows;
    EventLoop& events;
    SettingsStore& settings;
    Dialogs& dialogs;
    Process& process;
    Diagnostics& diagnostics;
  };

  // The Block button's requests are appended to the block list; the other lists are only read.
  DetectionCycle(Services services, AllowLists lists, DetectorFields fields, DetectorHooks hooks);

  // One tick of Timer2. A failure shows "Pelkrin Error <number>", saves like a shutdown, and
  // ends the program.
  void Survey();

  // A browser window found by the last census (frames and HTML dialog frames), in z-order.
  struct CensusWindow {
    Hwnd window = kNoWindow;
    std::string caption;  // at most 259 characters
    bool frame = false;   // a browser frame; otherwise an HTML dialog frame
  };
  const std::vector<CensusWindow>& Census() const { return census_; }

 private:
  void RunSurvey();
  void PickUpBlockRequest();
  void TakeCensus();
  // The first visible browser window, in z-order, whose caption is `caption`; 0 for none.
  Hwnd LookUp(const std::string& caption);
  void HideFlash(Hwnd window);
  void Pelk(Hwnd window, const Verdict& verdict);
  // Shows the failure, saves, and ends the program.
  void Fail(int number, const std::string& description);

  Services services_;
  AllowLists lists_;
  DetectorFields fields_;
  DetectorHooks hooks_;
  std::vector<CensusWindow> census_;
  // Indexes into census_ by caption, each list in z-order.
  std::unordered_map<std::string, std::vector<std::size_t>> by_caption_;
};

}  // namespace pelkrin
