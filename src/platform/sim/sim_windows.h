// The windows of other programs on a simulated desktop: classes, captions, styles, children,
// visibility, z-order, and windows that stop answering. Every call on a removed or unknown
// handle answers 0, "" or false, as the real calls do.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pelkrin::sim {

class SimEventLoop;

inline constexpr std::uint32_t kWsPopup = 0x80000000;
inline constexpr std::uint32_t kWsChild = 0x40000000;
inline constexpr std::uint32_t kWmDestroy = 0x0002;
inline constexpr std::uint32_t kWmNcDestroy = 0x0082;

class SimWindows : public WindowManager {
 public:
  // Sends that get no answer cost virtual time on this clock (see SendGetText).
  explicit SimWindows(SimEventLoop* clock = nullptr) : clock_(clock) {}

  // WindowManager
  // Enumerates the top-level windows as they were when it started. A window removed meanwhile
  // (see OnEnum) is still handed to the visitor, as a window that closes between the listing
  // and the visit is on a real desktop; every call on it then fails.
  void EnumTopLevel(const std::function<bool(Hwnd)>& visit) override;
  // Class and caption match whole and case-insensitively; "" matches an empty caption.
  Hwnd FindTopLevel(const std::string* class_name, const std::string* caption) override;
  Hwnd FindChild(Hwnd parent, Hwnd after, const std::string* class_name,
                 const std::string* caption) override;
  Hwnd FirstChild(Hwnd window) override;
  Hwnd NextSibling(Hwnd window) override;
  std::string ClassName(Hwnd window, int buffer_chars) override;
  int CaptionLength(Hwnd window) override;
  std::string Caption(Hwnd window, int buffer_chars) override;
  // Includes WS_VISIBLE when the window itself is shown.
  std::uint32_t Style(Hwnd window) override;
  std::uint32_t ExStyle(Hwnd window) override;
  // Made at once by a window that answers and has no change before it. A hung window takes its
  // change when it answers again, and holds up those after it meanwhile; it is given up
  // timeout_ms of virtual time after it was asked, or once the window is hung for kHungAfterMs.
  void RequestLayered(Hwnd window, std::optional<std::uint8_t> alpha, unsigned timeout_ms) override;
  std::vector<LayeredDone> TakeLayeredDone() override;
  // Lets timeout_ms of virtual time pass while changes are waiting.
  [[nodiscard]] bool WaitLayered(unsigned timeout_ms) override;
  std::optional<std::uint8_t> LayeredAlpha(Hwnd window) override;
  // True when the window and all its ancestors are shown.
  bool IsVisible(Hwnd window) override;
  bool IsWindow(Hwnd window) override;
  // Sets the window text (caption and control text). A hung window does not take it: the
  // sender waits kSendTimeoutMs and gives up.
  void SetCaption(Hwnd window, const std::string& caption) override;
  // A hung window takes the change only when it answers again.
  void Show(Hwnd window, int command) override;
  // Every call is logged (with whether the window existed to take it). WM_CLOSE closes the
  // window (with its children) unless the window ignores it; a hung window closes when it
  // answers again.
  void Post(Hwnd window, std::uint32_t message, WParam wparam, LParam lparam) override;
  // A hung window answers nothing: the call returns nullopt after timeout_ms of virtual time,
  // or at once when the window has not answered for 5 s (Windows then considers it hung).
  [[nodiscard]] std::optional<long> SendGetTextLength(Hwnd window, unsigned timeout_ms) override;
  // The control text cut to buffer_chars - 1 characters, padded with NULs to the whole buffer.
  [[nodiscard]] std::optional<std::string> SendGetText(Hwnd window, std::size_t buffer_chars,
                                                       unsigned timeout_ms) override;
  bool IsKeyDown(int virtual_key) override;
  // Moves a top-level window to the top of the z-order, above the others for good.
  void MakeTopmost(Hwnd window) override;
  // Reports, at once, each top-level window added, each one that becomes visible and each
  // caption change of one, the last two only while DeliversShowAndCaptionEvents; and each child
  // added, as kChildCreated of its top-level window.
  [[nodiscard]] bool WatchWindowEvents(WindowEventHandler handler) override;
  // Reports each SetKeyDown(key, true) of a key that was up, unless SetReportsKeyPresses(false).
  [[nodiscard]] bool WatchKeyPresses(int virtual_key, std::function<void()> pressed) override;
  void SetReportsKeyPresses(bool reports) { reports_key_presses_ = reports; }

  // Test set-up. Add returns 0 when the parent does not exist. A new top-level window goes to
  // the top of the z-order (below windows made topmost); a child goes last among its parent's
  // children. The WS_VISIBLE bit of `style` is ignored: `visible` decides. `caption` is what
  // GetWindowTextA reads; for another program's edit control that is "" (its contents come by
  // WM_GETTEXT: SetControlText).
  Hwnd Add(Hwnd parent, std::string class_name, std::string caption, std::uint32_t style,
           bool visible);
  void Remove(Hwnd window);  // with its children
  void SetVisible(Hwnd window, bool visible);
  void SetStyle(Hwnd window, std::uint32_t style);
  std::string Caption(Hwnd window) const;
  void SetHung(Hwnd window, bool hung);
  // What the window's own program does: its extended style, and with WS_EX_LAYERED an alpha.
  void SetExStyle(Hwnd window, std::uint32_t ex_style);
  void SetLayeredAlpha(Hwnd window, std::uint8_t alpha);
  // The text WM_GETTEXT returns for the window (a control's contents); without it, the caption.
  void SetControlText(Hwnd window, std::string text);
  void SetKeyDown(int virtual_key, bool down);
  void SetIgnoresClose(Hwnd window, bool ignores);
  // Windows delivers showing and caption changes to a watcher; Wine does not (the default here
  // is Windows).
  void SetDeliversShowAndCaptionEvents(bool delivers) { delivers_show_and_caption_ = delivers; }
  // The next window added gets this handle, if no window has it: Windows reuses the handle of a
  // window that is gone.
  void ReuseHandle(Hwnd handle) { reuse_handle_ = handle; }
  bool Watched() const { return static_cast<bool>(watcher_); }
  // Called after each window the enumeration visited (with that window), before the next one.
  void OnEnum(std::function<void(Hwnd)> hook) { on_enum_ = std::move(hook); }

  // What tests read back.
  struct PostedMessage {
    Hwnd window;
    std::uint32_t message;
    WParam wparam;
    LParam lparam;
    bool delivered;  // false when there was no such window (PostMessage failed)
  };
  struct ShowCall {
    Hwnd window;
    int command;
    int sends_before;  // SendCount() when it was asked: what was read before it, and what after
    int calls_before;  // Calls() before it, the same for every call about a window
  };
  const std::vector<PostedMessage>& Posted() const { return posted_; }
  const std::vector<ShowCall>& ShowCalls() const { return show_calls_; }
  const std::vector<Hwnd>& TopmostCalls() const { return topmost_calls_; }
  std::vector<Hwnd> TopLevel() const { return z_order_; }  // topmost first
  std::vector<Hwnd> Children(Hwnd window) const;
  bool IsTopmost(Hwnd window) const;
  // Whether any pixel of the top-level window has reached the screen: it showed while it was
  // not layered, or layered with an alpha above 0. A layered window without an alpha is not
  // drawn at all.
  bool EverSeen(Hwnd window) const;
  int SendCount() const { return sends_; }  // SendGetText and SendGetTextLength calls
  // Every call about a window: what each costs the program a round trip under Wine. The key
  // state and the watcher are not counted.
  int Calls() const { return calls_; }
  Hwnd Parent(Hwnd window) const;

  // How long a sender waits for a hung window's WM_SETTEXT.
  static constexpr unsigned kSendTimeoutMs = 1000;
  // After this long without answering, sends to a window give up at once.
  static constexpr std::uint64_t kHungAfterMs = 5000;

 private:
  struct Window {
    Hwnd parent = kNoWindow;
    std::string class_name;
    std::string caption;
    std::optional<std::string> control_text;
    std::uint32_t style = 0;
    std::uint32_t ex_style = 0;
    std::optional<std::uint8_t> alpha;  // set while WS_EX_LAYERED is
    bool visible = false;
    bool seen = false;
    bool topmost = false;
    bool hung = false;
    bool ignores_close = false;
    std::uint64_t hung_since = 0;
    std::vector<Hwnd> children;
    std::vector<int> queued_shows;  // ShowWindowAsync requests a hung window has not taken yet
    bool close_queued = false;
  };
  Window* Find(Hwnd window);
  const Window* Find(Hwnd window) const;
  const std::vector<Hwnd>* SiblingsOf(const Window& window) const;
  // Whether a send to the window gets an answer; a hung window costs its timeout first.
  bool Answers(Window& window, unsigned timeout_ms);
  std::uint64_t Now() const;
  void ApplyShow(Hwnd handle, Window& window, int command);
  // Makes the layered changes asked, in order, as far as their windows answer.
  void MakeLayeredChanges();
  static void NoteSeen(Window& window);
  void Raise(WindowEvent event, Hwnd handle, const Window& window);
  static bool Matches(const Window& window, const std::string* class_name,
                      const std::string* caption);

  SimEventLoop* clock_;
  struct LayeredRequest {
    Hwnd window;
    std::optional<std::uint8_t> alpha;
    std::uint64_t give_up_at;
  };
  std::vector<LayeredRequest> layered_requests_;
  std::vector<LayeredDone> layered_done_;
  std::map<Hwnd, Window> windows_;
  std::vector<Hwnd> z_order_;
  Hwnd next_handle_ = 0x00020010;
  std::set<int> keys_down_;
  std::vector<PostedMessage> posted_;
  std::vector<ShowCall> show_calls_;
  std::vector<Hwnd> topmost_calls_;
  std::function<void(Hwnd)> on_enum_;
  int sends_ = 0;
  int calls_ = 0;
  WindowEventHandler watcher_;
  bool delivers_show_and_caption_ = true;
  bool reports_key_presses_ = true;
  int watched_key_ = 0;
  std::function<void()> key_pressed_;
  Hwnd reuse_handle_ = kNoWindow;
};

}  // namespace pelkrin::sim
