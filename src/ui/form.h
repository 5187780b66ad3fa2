// A window of the program: it owns its controls, has a load and an unload handler, and is shown,
// hidden and unloaded like the windows a user knows. The view host gives it a real window when
// there is a screen; without one (the simulated desktop) the form runs on its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "ui/controls.h"
#include "ui/view_host.h"

namespace pelkrin {

// The program's title: the main window's caption and the title of its message boxes.
inline constexpr char kAppTitle[] = "Pelkrin";
// The window class of every skinned window, as other programs find them.
inline constexpr char kFormWindowClass[] = "PelkrinForm";

// The mouse pointer over a window and its controls.
enum class MousePointer { kDefault, kHourglass };

class FormSink {
 public:
  virtual ~FormSink() = default;
  virtual void FormVisibilityChanged(bool visible) = 0;
  virtual void FormWindowStateChanged(int state) = 0;
  virtual void FormMoved() = 0;
  virtual void FormIconChanged() = 0;
  virtual void FormMousePointerChanged() = 0;
};

class Form {
 public:
  Form(ViewHost& views, std::string name, std::string caption, Bounds bounds);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form();

  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }

  // Runs the load handler; does nothing when already loaded. The controls and their values
  // exist from here on, whether or not the window was ever shown.
  void Load();
  // Loads the window if needed, then makes it visible (not modal). The real window is made the
  // first time the form shows (unless `window_at_load`): a window kept hidden needs none, and
  // making one costs start-up a tenth of a second under Wine.
  void Show();
  void Hide();
  // Runs the unload handler and destroys the window; the controls keep their values.
  void Unload();

  bool IsLoaded() const { return loaded_; }
  bool Visible() const { return visible_; }
  // 0 normal, 1 minimised.
  int WindowState() const { return window_state_; }
  void SetWindowState(int state);
  const Picture& Icon() const { return icon_; }
  void SetIcon(const Picture& icon);
  // Moves the window to a new position in pixels, keeping its size.
  void MoveTo(int left, int top);
  // The real window's handle; 0 while it has none (no screen, or not shown yet).
  Hwnd Handle() const;
  // The pointer over the whole window, its controls included (the hourglass while it works).
  MousePointer GetMousePointer() const { return mouse_pointer_; }
  void SetMousePointer(MousePointer pointer);

  // A handler that lets other events run (a wait, a message box) holds one of these while it
  // runs: the window may be closed meanwhile, and whoever owns it keeps it until the handler
  // has returned.
  class InUse {
   public:
    explicit InUse(Form& form) : form_(form) { ++form_.in_use_; }
    InUse(const InUse&) = delete;
    InUse& operator=(const InUse&) = delete;
    ~InUse() { --form_.in_use_; }

   private:
    Form& form_;
  };
  bool IsInUse() const { return in_use_ > 0; }

  // The user asked the window to close (Alt+F4, Escape); windows that can be closed do what
  // their close mark does.
  virtual void CloseRequested() {}
  // Windows is ending the session (logoff or shut down); the program must save what a normal
  // exit saves.
  virtual void SessionEnding() {}
  // The window became the active window: it was shown, or the user came back to it.
  virtual void Activated() {}
  // A command number arrived for this window (a menu item, or WM_COMMAND from outside).
  virtual void Command(std::uint16_t /*command*/) {}

  const std::vector<Control*>& Controls() const { return controls_; }
  void SetSink(FormSink* sink) { sink_ = sink; }

  // Design values, read by the view.
  Bounds bounds;
  std::string window_class = kFormWindowClass;
  Rgb back_color = 0xE8E4DC;
  bool skinned = true;  // borderless, topmost, with a painted background
  // The real window is made as the form loads rather than when it first shows: a window that
  // works unseen (the main window takes commands and the session's end while hidden).
  bool window_at_load = false;
  // Set by MakeTopmost: a view keeps such a window above the others each time it shows it.
  bool topmost = false;

 protected:
  virtual void OnLoad() {}
  virtual void OnUnload() {}

  // Gives the form its real window; shows the pop-up menus of the main window.
  ViewHost& views_;

 private:
  friend class Control;
  void Register(Control* control) { controls_.push_back(control); }
  void Unregister(Control* control);

  std::string name_;
  std::string caption_;
  std::vector<Control*> controls_;
  std::unique_ptr<FormView> view_;
  FormSink* sink_ = nullptr;
  bool loaded_ = false;
  bool loading_ = false;
  bool visible_ = false;
  int window_state_ = 0;
  Picture icon_;
  MousePointer mouse_pointer_ = MousePointer::kDefault;
  int in_use_ = 0;
};

}  // namespace pelkrin
