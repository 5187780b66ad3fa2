// The detection cycle: one survey of the desktop's top-level windows per tick of the main
// window's survey timer. It finds the browser windows, hides the Flash control inside each when
// the user asked for it, and pelks every popup that is not exempt: the popup is hidden at once,
// reported once to the pelk event, and kept hidden as the last hidden popup until the next pelk
// closes it for good.
//
// Beside the survey runs the event path: the system reports each new top-level window, and each
// new browser window is followed until it shows, then judged by the same rules and pelked by the
// same pelk, within a millisecond or so instead of up to a survey period later. The survey stays
// as the safety net for whatever the events miss. The two never run inside each other.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "detector/ctrl_override.h"
#include "detector/pelk_recorder.h"
#include "detector/popup_rules.h"
#include "platform/platform.h"
#include "settings/settings_store.h"

namespace pelkrin {

// The least time between the starts of two pelk sounds or animations. Pelks themselves are not
// held back: a burst of popups is hidden as fast as it comes, and heard at this pace.
inline constexpr unsigned kPelkPauseMs = 600;
// How often a new browser window that is still hidden is looked at again. Its page shows it
// tens of milliseconds after creating it; it is hidden within this long of showing.
inline constexpr unsigned kFollowPollMs = 1;
// How long a new browser window is followed while it stays hidden. Windows that a page shows
// at all show well within this; one that shows later is the survey's, within its period.
inline constexpr unsigned kFollowForMs = 1000;
// The most window events noted between two turns of the message loop; further ones are left
// to the survey.
inline constexpr std::size_t kMaxNotedEvents = 4096;
// Room for a class name or caption in the census, the terminating NUL included.
inline constexpr int kCensusTextChars = 260;
// The census holds at most this many browser captions; further ones replace the last.
inline constexpr std::size_t kMaxCensus = 32767;

// What the cycle asks of the rest of the program.
struct DetectorHooks {
  std::function<bool()> pelking_on;             // the "&Pelk Popups" check mark
  std::function<DetectionSwitches()> switches;  // read live at every survey
  // Saves what a normal shutdown saves, before a failed survey ends the program.
  std::function<void()> save_before_failure_exit;
  // The pelk event, with the pelked popup's short caption: it runs inside the pelk, after the
  // hide and before the previous popup closes.
  std::function<void(const std::string& short_caption)> pelk_event;
  // What the pelk leaves for the History window (its address, its rule, the window): handed
  // over after the hide and just before the pelk event, whose history entry keeps it.
  std::function<void(PelkRecord record)> pelk_recorded = {};
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
  DetectionCycle(Services services, AllowLists lists, DetectorHooks hooks);

  // One tick of the survey timer. A failure shows "Pelkrin Error <number>", saves like a shutdown,
  // and ends the program. A tick that comes while the event path is at work (inside the pelk event,
  // say) is skipped: the next one comes a period later.
  void Survey();

  // The event path. NoteWindowEvent is the window-event handler: events arrive inside any
  // message pump (a wait, a menu, a message box, a survey's reads), so it only takes note.
  // FollowNewWindows is the message loop's idle work: it takes the new browser windows from the
  // notes, and judges and pelks each one as soon as it is visible. It returns kFollowPollMs
  // while it follows a window that has not shown yet, nullopt when it waits for events only.
  // With "&Pelk Popups" off, events are not even noted.
  void NoteWindowEvent(WindowEvent event, Hwnd window);
  std::optional<unsigned> FollowNewWindows();
  std::size_t FollowedCount() const { return followed_.size(); }

  // The popup the last pelk hid, which the next pelk closes; none before the first pelk and
  // after a restore. The handle may name another program's window by now.
  std::optional<Hwnd> LastHiddenPopup() const { return last_popup_; }
  // "&Popup" of "&Restore Last" takes the last hidden popup back: the next pelk does not close
  // it, and pelked again, even within seconds, it is a new pelk in every way.
  std::optional<Hwnd> TakeLastHiddenPopup();
  // The Flash control the last survey hid or left hidden; kNoWindow when none was hidden yet or
  // the last browser window examined had none. A restored control stays shown while it is this.
  Hwnd LastHiddenFlash() const { return last_flash_; }

  // For the pelk event: true when this pelk may start the pelk sound and the tray animation,
  // that is when none started in the last kPelkPauseMs. The history takes every pelk.
  bool TakePelkShowTurn();

  // A browser frame found by the last census, in z-order. HTML dialogs come into a survey only
  // through the adware step.
  struct CensusWindow {
    Hwnd window = kNoWindow;
    std::string caption;  // at most 259 characters
  };
  const std::vector<CensusWindow>& Census() const { return census_; }

 private:
  enum class Path { kSurvey, kEvents };
  void RunSurvey();
  void PickUpBlockRequest();
  void TakeCensus();
  void HideFlash(Hwnd window);
  // Hides the popup, reports it once and closes the previous one. A window pelked a moment ago
  // by the other path (still showing because its program has not taken the hide yet) is only
  // asked again to hide.
  void Pelk(Hwnd window, const Verdict& verdict, Path path);
  // Runs the pelk event. A failure in a survey goes on to end the program; on the event path it
  // is traced, and the pelk goes on without its report.
  void RaisePelkEvent(const std::string& short_caption, Path path);
  // While the user holds CTRL a browser frame counts as CTRL-marked, whether or not the
  // override's tick has marked it yet: one that would be pelked gets the mark now instead.
  void LetThroughForCtrl(Hwnd window, const Verdict& verdict);
  // The event path's judgement of one followed window that is visible now.
  void JudgeShown(Hwnd window, std::uint32_t style, const std::string& class_name);
  // Shows the failure, saves, and ends the program.
  void Fail(int number, const std::string& description);

  Services services_;
  AllowLists lists_;
  DetectorHooks hooks_;
  std::vector<CensusWindow> census_;
  // The windows one survey examines, in order: the census's frames, then the adware step's
  // dialog under its marked caption. The caption is the candidate's identity for the rules.
  std::vector<CensusWindow> candidates_;
  std::optional<Hwnd> last_popup_;
  Hwnd last_flash_ = kNoWindow;

  // A survey or the event path is at work: neither starts inside the other.
  bool busy_ = false;
  struct Noted {
    WindowEvent event;
    Hwnd window;
  };
  std::vector<Noted> noted_;
  struct Followed {
    Hwnd window;
    std::string class_name;  // as first read: a handle that passed to another window is dropped
    std::uint64_t until_ms;
  };
  std::vector<Followed> followed_;
  // Windows pelked in the last few seconds, with when: neither path reports one twice.
  std::unordered_map<Hwnd, std::uint64_t> pelked_;
  std::optional<std::uint64_t> last_show_ms_;
  // The Block button's request that pk.sys would not let go of, traced once.
  std::optional<std::string> unclearable_request_;
};

}  // namespace pelkrin
