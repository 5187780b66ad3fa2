// The form view's side of each kind of control. One class per kind knows how to put the control
// on the form's window (a child window, or a place drawn on the form itself), paint it, mirror
// the control's changes and hand the user's input to the control's handlers. Win32FormView
// makes one view per control with MakeControlView, the only place that looks at the kind, and
// delegates to it.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/win32/scoped_handle.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace pelkrin::win32 {

class Win32ViewHost;

inline COLORREF ToColorRef(Rgb rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
inline RECT ToRect(const Bounds& b) {
  return RECT{b.left, b.top, b.left + b.width, b.top + b.height};
}

// The fonts of one window, each made once and kept while the window lives.
class FontCache {
 public:
  HFONT For(const Font& font);

 private:
  std::map<std::string, ScopedGdiObject> fonts_;
};

// What a control's view may use of the form it lives on.
struct ControlSite {
  HWND form;  // the form's window: parent of the child windows, canvas of the drawn controls
  HINSTANCE instance;
  FontCache& fonts;
  Win32ViewHost& host;  // pop-up menus
};

// Mouse actions on a control drawn on the form. A click is a left press and release over the
// same control.
enum class MouseAction { kDown, kDoubleClick, kMove, kUp, kClick };

class ControlView {
 public:
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;
  virtual ~ControlView();

  // nullptr once the control has gone; the view then leaves the screen as it is.
  Control* control() const { return control_; }
  // The child window; nullptr for a control drawn on the form, or one not on screen at all.
  HWND window() const { return window_; }
  // Drawn on the form's window, under the child windows.
  virtual bool DrawnOnForm() const { return false; }
  // Drawn on the form and answering the mouse there (the topmost such control under it does).
  virtual bool TakesMouse() const { return false; }

  // Shows a change of the control on screen; Change::kDestroyed makes the view forget it.
  void Changed(Change change, int index);
  // The form's window is about to show.
  void FormShowing();
  // The form's mouse pointer changed.
  void FormPointerChanged(MousePointer pointer);
  void Paint(HDC dc);
  // x and y in twips inside the control; button and shift as the handlers receive them.
  void Mouse(MouseAction action, int button, int shift, int x, int y);
  // A notification of the child window (the code of its WM_COMMAND).
  void Command(WORD code);
  // The child window's messages no longer come here (the window is going).
  void Detach();

 protected:
  ControlView(const ControlSite& site, Control& control);

  // Takes over the child window just made for the control: the font (unless the window has its
  // own), the enabled state, and with see_messages its messages (OnMessage).
  void Attach(HWND window, bool set_font, bool see_messages);
  // Starts seeing the child window's messages again after Detach.
  void Reattach();
  // Hands a message of the child window on to the window's own procedure.
  LRESULT Default(UINT message, WPARAM wparam, LPARAM lparam);

  virtual void Mirror(Change /*change*/, int /*index*/) {}
  virtual void OnFormShowing() {}
  // A control's window that shows a pointer of its own shows the form's hourglass instead;
  // the others ask the form (their parent) and get it from there.
  virtual void OnFormPointerChanged(MousePointer /*pointer*/) {}
  virtual void Draw(HDC /*dc*/) {}
  virtual void OnMouse(MouseAction /*action*/, int /*button*/, int /*shift*/, int /*x*/,
                       int /*y*/) {}
  virtual void OnCommand(WORD /*code*/) {}
  // A message of the child window before the window's own procedure sees it; std::nullopt
  // passes it on. Messages arrive in their Unicode form (the subclass is Unicode).
  virtual std::optional<LRESULT> OnMessage(UINT /*message*/, WPARAM /*wparam*/, LPARAM /*lparam*/) {
    return std::nullopt;
  }

  const ControlSite& site_;

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR view);

  Control* control_;
  HWND window_ = nullptr;
  bool subclassed_ = false;
};

// The view of one control, its child window made (with the control ID `id`) when it has one.
std::unique_ptr<ControlView> MakeControlView(const ControlSite& site, Control& control, int id);

}  // namespace pelkrin::win32
