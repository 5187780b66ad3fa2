// One real window for one form: a skinned, borderless window (or the hidden main window) whose
// children mirror the form's controls. Labels, shapes, pictures and the title strip are drawn on
// the window itself, like lightweight controls, so the transparent drag handle and close mark
// can lie over the title strip; buttons, text boxes, list boxes and check boxes are child
// windows. Each control's own part (its window or its painting, its changes, its input) is its
// ControlView; the form view holds the window, the tooltips and the mouse over drawn controls.
// It holds no behaviour: input goes straight to the controls' handlers.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/win32/scoped_handle.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/win32/control_views.h"

namespace pelkrin::win32 {

class Win32ViewHost;

class Win32FormView : public FormView, public FormSink, public ControlSink {
 public:
  Win32FormView(Win32ViewHost& host, Form& form);
  ~Win32FormView() override;

  Hwnd Handle() const override;
  HWND Window() const { return window_; }
  Form& GetForm() const { return form_; }
  bool IsSkinned() const { return form_.skinned; }
  // Hands a mouse message meant for this window or one of its controls to the tooltips.
  void RelayToolTip(MSG& message);

  // FormSink
  void FormVisibilityChanged(bool visible) override;
  void FormWindowStateChanged(int state) override;
  void FormMoved() override;
  void FormIconChanged() override;
  void FormMousePointerChanged() override;
  // ControlSink
  void ControlChanged(Control& control, Change change, int index) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // The handlers of the longer messages.
  void OnPaint();
  // The colours of a child that asks (WM_CTLCOLORSTATIC, WM_CTLCOLORBTN); returns its brush.
  HBRUSH ColourChild(HDC dc);
  // The answer to WM_SETCURSOR for the window `under` the pointer; nullopt: the default one.
  std::optional<LRESULT> OnSetCursor(HWND under, LPARAM lparam);
  void OnActivate();

  void CreateWindowAndChildren();
  void AddToolTip(const ControlView& view, int id);
  void Paint(HDC dc, const RECT& client);
  ControlView* FindChild(int id);
  ControlView* FindChild(const Control& control);
  // The topmost visible control drawn on the form that takes the mouse at the point, or nullptr.
  ControlView* MouseTargetAt(POINT point);
  void MouseEvent(UINT message, WPARAM wparam, LPARAM lparam);
  void Command(WORD id, WORD code, HWND child);
  HBRUSH BackBrush();

  Win32ViewHost& host_;
  Form& form_;
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;
  FontCache fonts_;
  ControlSite site_;
  // One view per control, in tab order (a child's control ID is its place here plus
  // kFirstChildId), and the same views in the form's drawing order.
  std::vector<std::unique_ptr<ControlView>> children_;
  std::vector<ControlView*> drawing_order_;
  ScopedGdiObject back_brush_;
  ControlView* mouse_view_ = nullptr;  // the control drawn on the form that took the mouse down
  bool destroying_ = false;
};

}  // namespace pelkrin::win32
