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
//
// A survey never holds the program for long: it lists the top-level windows at once, then reads
// and judges them in slices of a bounded number of calls, going back to the message loop between
// slices, so that input, the tray and the event path run in between. Where the system reports
// window creation, the survey also remembers what cannot change unreported (survey_memory.h), so
// that an unchanged desktop costs a few reads per visible browser frame.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "detector/counted_windows.h"
#include "detector/ctrl_override.h"
#include "detector/pelk_recorder.h"
#include "detector/popup_rules.h"
#include "detector/survey_memory.h"
#include "detector/transparent_frames.h"
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
// How often a followed frame still hidden is judged again when nothing was reported of it: its
// caption may change unreported (Wine reports no caption changes).
inline constexpr unsigned kJudgeHiddenEveryMs = 10;
// The most windows with events noted between two turns of the message loop; further ones are
// left to the survey.
inline constexpr std::size_t kMaxNotedEvents = 4096;
// About how many calls about windows the event path makes for new windows in one turn of the
// message loop: the windows it follows are looked at again before the next ones, and so is
// everything else waiting.
inline constexpr std::size_t kNotedCallsPerTurn = 32;
// About how many calls about windows one slice of a survey makes before it gives the message
// loop its turn: a millisecond or two under Wine, where each is a round trip to the server.
inline constexpr std::size_t kSurveySliceCalls = 100;
// A pelked popup's address is read by tries of this limit each, for as long as this; then once
// with the usual limit (kControlTextTimeoutMs). A try waits for the popup's browser, and so does
// the hide of any popup that shows meanwhile.
inline constexpr unsigned kAddressTryTimeoutMs = 2;
inline constexpr std::uint64_t kAddressTriesForMs = 250;
inline constexpr std::uint64_t kAddressReadAtLatestMs = 5000;
// The longest a slice goes on, however few calls it has made.
inline constexpr std::uint64_t kSurveySliceMs = 2;
// How often a survey that spans several slices goes on while the program is inside a menu, a
// message box or a wait (the top of the message loop goes on at once).
inline constexpr unsigned kSurveySliceGapMs = 10;
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
  // The address of a pelk recorded without it, by the record's serial, once it has been read:
  // the event path reads it after its hides, while no new browser window is followed, as a
  // browser busy opening the next popup of a burst would make that popup's hide wait for it.
  std::function<void(std::uint64_t serial, std::optional<std::string> address)> pelk_address = {};
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
  // With `transparent`, followed frames judged popups while hidden are made transparent there.
  DetectionCycle(Services services, AllowLists lists, DetectorHooks hooks,
                 TransparentFrames* transparent = nullptr);
  ~DetectionCycle();
  DetectionCycle(const DetectionCycle&) = delete;
  DetectionCycle& operator=(const DetectionCycle&) = delete;

  // Takes the system's window events and the message loop's idle work: the event path, and the
  // survey's slices at the top of the loop. False when the system cannot report window events;
  // then the survey alone finds popups, and reads every window afresh each time.
  [[nodiscard]] bool Attach();
  // Gives both back; the destructor does too.
  void Detach();

  // One tick of the survey timer: starts a survey and runs its first slice, or, while one is
  // under way, its next slice. A failure shows "Pelkrin Error <number>", saves like a shutdown,
  // and ends the program. A tick that comes while the event path is at work (inside the pelk
  // event, say) is skipped: the next one comes a period later.
  void Survey();
  // A survey has slices left; they run at the top of the message loop and every
  // kSurveySliceGapMs.
  bool SurveyUnderWay() const { return run_.has_value(); }

  // The event path. NoteWindowEvent is the window-event handler: events arrive inside any
  // message pump (a wait, a menu, a message box, a survey's reads), so it only takes note, one
  // note per window however many events it had. FollowNewWindows takes the new browser windows
  // from the notes, and judges and pelks each one as soon as it is visible; the windows it
  // follows come first, then those reported shown, then the rest, kNotedReadsPerTurn at a time.
  // With "&Pelk Popups" off, events are not even noted.
  void NoteWindowEvent(WindowEvent event, Hwnd window);
  std::optional<unsigned> FollowNewWindows();
  std::size_t FollowedCount() const { return followed_.size(); }
  std::size_t NotedCount() const { return noted_.size(); }
  // The message loop's idle work: the event path first, then a slice of a survey under way.
  // Returns how soon it wants to run again (nullopt: at the next event).
  std::optional<unsigned> IdleWork();

  // The popup the last pelk hid, which the next pelk closes; none before the first pelk and
  // after a restore. The handle may name another program's window by now.
  std::optional<Hwnd> LastHiddenPopup() const { return last_popup_; }
  // "&Popup" of "&Restore Last" takes the last hidden popup back: the next pelk does not close
  // it, and pelked again, even within seconds, it is a new pelk in every way. A popup made
  // transparent before it showed is opaque again when this returns. Until its caption changes,
  // it is not pelked again even without the restore mark (its browser may have missed it).
  std::optional<Hwnd> TakeLastHiddenPopup();
  // The Flash control the last survey hid or left hidden; kNoWindow when none was hidden yet or
  // the last browser window examined had none. A restored control stays shown while it is this.
  Hwnd LastHiddenFlash() const { return last_flash_; }
  // A popup whose address is still to be read and that a later pelk replaced as the last hidden
  // popup is closed only once its address has been read; at shutdown these close unread.
  void CloseWaitingPopups();
  // The address of the pelk with this serial, if it is still to be read, read now (the user
  // opened its history entry's menu).
  void ReadWaitingAddressNow(std::uint64_t serial);

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
  // One survey from its listing of the top-level windows to its last judgement.
  struct SurveyRun {
    std::vector<Hwnd> listed;  // every top-level window when the survey began, in z-order
    std::size_t next = 0;      // the next one to read
    // A frame the census put in its last place while it was full, judged after the listing.
    std::optional<CensusWindow> last_place;
  };
  // What a slice reads once: the switches, live, and whether the user holds CTRL.
  struct SliceState {
    DetectionSwitches switches;
    bool ctrl_held;
  };
  // Runs `step` as survey work: never inside the event path, a failure ending the program.
  template <typename Step>
  void AsSurveyWork(Step step);
  void StartSurvey();
  // Reads and judges windows of the listing until the slice's calls are spent; ends the survey
  // when the listing is done.
  void RunSlice();
  // The next slice of a survey under way, unless other work of the detector is running.
  void ContinueSurvey();
  // Makes sure a slice comes back even inside a menu or a message box; false when nothing can.
  bool ComeBackForNextSlice();
  void EndSurvey();
  // The census's part for one listed window: its kind, and for a frame its caption; then it
  // judges the frame (the census's last place waits for the end of the listing).
  void TakeIntoCensus(Hwnd window, const SliceState& state);
  // Judges one candidate of the survey; `census_frame` is false for the adware step's dialog.
  void Examine(Hwnd window, const std::string& caption, const SliceState& state, bool census_frame);
  void PickUpBlockRequest();
  // The window's kind, from the memory where it may be trusted, else read (and remembered).
  WindowKind KindOf(Hwnd window);
  bool TrustMemory() const { return attached_; }
  // Rule P4's reads and the Flash step's, from the memory where they hold.
  bool ToolbarsHidden(Hwnd frame);
  Hwnd FlashControl(Hwnd frame);
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
  // The event path: the followed windows looked at again, then new ones taken from the notes.
  void PollFollowed(std::uint64_t now);
  void TakeNoted(std::uint64_t now);
  // The event path's judgement of one followed window that is visible now.
  void JudgeShown(Hwnd window, std::uint32_t style, WindowKind kind);
  // The judgement of a followed frame that is still hidden, by the rules that can decide now;
  // a popup is made transparent. Nothing else about the frame changes. True when it was judged
  // a popup: it is not judged again before it shows.
  bool JudgeHidden(Hwnd frame, std::uint32_t style);
  // A transparent frame just hidden by a pelk is made opaque once the hide has taken effect:
  // the change of style would reach its program before the hide and show it for a moment.
  void OpaqueOnceHidden(Hwnd window);
  // Those whose hide has taken effect are made opaque; `all`: those past kFollowForMs too.
  void PollHiding(std::uint64_t now, bool all);
  // Shows the failure, saves, and ends the program.
  void Fail(int number, const std::string& description);

  Services services_;
  CountedWindows windows_;  // services_.windows, every call counted
  AllowLists lists_;
  DetectorHooks hooks_;
  std::vector<CensusWindow> census_;
  std::optional<SurveyRun> run_;
  std::uint32_t slice_timer_ = 0;
  bool attached_ = false;
  SurveyMemory memory_;
  std::optional<Hwnd> last_popup_;
  std::string last_popup_caption_;  // its caption when it was pelked
  // The popup the last restore took back, with the caption it had: a browser that did not answer
  // then missed the restore mark, and it is put on when the popup shows with that caption.
  struct Restored {
    Hwnd window;
    std::string caption;
  };
  std::optional<Restored> restored_;
  Hwnd last_flash_ = kNoWindow;

  // A survey or the event path is at work: neither starts inside the other.
  bool busy_ = false;
  struct Noted {
    Hwnd window;
    bool shown;  // reported shown: looked at before the others
  };
  std::vector<Noted> noted_;
  std::unordered_map<Hwnd, std::size_t> noted_at_;  // the index of each window's note
  bool noted_overflow_ = false;                     // traced once until the notes are taken
  struct Followed {
    Hwnd window;
    WindowKind kind;  // as first read: a handle that passed to another window is dropped
    std::uint64_t until_ms;
    // While hidden: when it is judged next (0: at the next poll). A child's creation or a new
    // caption brings it forward; once it was judged a popup, it is not judged again before it
    // shows.
    std::uint64_t judge_at_ms = 0;
    bool judged_popup = false;
  };
  std::vector<Followed> followed_;
  TransparentFrames* transparent_;
  struct Hiding {
    Hwnd window;
    std::uint64_t until_ms;  // polled until then; after it, at each survey
  };
  std::vector<Hiding> hiding_;
  struct WaitingAddress {
    std::uint64_t serial;
    Hwnd window;
    std::string short_caption;
    std::uint64_t since_ms;
    std::uint64_t next_try_ms;
    bool close = false;  // no longer the last hidden popup: closed once read
  };
  std::vector<WaitingAddress> waiting_addresses_;
  std::uint64_t pelk_serial_ = 0;
  // Reads the waiting addresses once no new window needs the event path, or a while after their
  // pelk at the latest, and closes the popups that wait for it.
  void ReadWaitingAddresses(std::uint64_t now);
  // One read of the entry's address, a short try or the last one. False: a try that got no
  // answer. Done, the address goes to the record, and the popup closes if it waits for that.
  [[nodiscard]] bool ReadAddress(const WaitingAddress& entry, bool last_try);
  // Closes a hidden popup for good while its handle still names a browser window: it may have
  // passed to another program's window since.
  void CloseForGood(Hwnd popup);
  // Windows pelked in the last few seconds, with when: neither path reports one twice.
  std::unordered_map<Hwnd, std::uint64_t> pelked_;
  std::optional<std::uint64_t> last_show_ms_;
  // The Block button's request that pk.sys would not let go of, traced once.
  std::optional<std::string> unclearable_request_;
};

}  // namespace pelkrin
