// One real window for one form: a skinned, borderless window (or the hidden main window) whose
// children mirror the form's controls. Labels, shapes, pictures and the title strip are drawn on
// the window itself, like lightweight controls, so the transparent drag handle and close mark
// can lie over the title strip; buttons, text boxes, list boxes and check boxes are child
// windows. The view holds no behaviour: input goes straight to the controls' handlers.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/win32/scoped_handle.h"
#include "ui/controls.h"
#include "ui/form.h"

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
  // ControlSink
  void ControlChanged(Control& control, Change change, int index) override;

 private:
  struct Child {
    Control* control = nullptr;
    HWND window = nullptr;  // nullptr for controls drawn on the form
    WNDPROC previous_proc = nullptr;
    bool stale = false;  // a list box whose entries changed while its window was hidden
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleChildMessage(Child& child, UINT message, WPARAM wparam, LPARAM lparam);

  void OpenListMenuFromKeyboard(ListBox& list, HWND window);
  void CreateWindowAndChildren();
  void CreateChild(Control& control, int id);
  void AddToolTip(const Child& child, int id);
  void FillList(const ListBox& list, HWND window);
  void RefreshStaleLists();
  void Paint(HDC dc, const RECT& client);
  void PaintControl(HDC dc, const Control& control);
  Child* FindChild(int id);
  Child* FindChild(const Control& control);
  Child* FindChildWindow(HWND window);
  // The topmost visible control drawn on the form under the point, or nullptr.
  Label* LabelAt(POINT point);
  void MouseEvent(UINT message, WPARAM wparam, LPARAM lparam);
  void Command(WORD id, WORD code, HWND child);
  HFONT FontFor(const Font& font);
  HBRUSH BackBrush();
  void InvalidateControl(const Control& control);

  Win32ViewHost& host_;
  Form& form_;
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;
  std::vector<Child> children_;
  std::map<std::string, ScopedGdiObject> fonts_;
  ScopedGdiObject back_brush_;
  Label* mouse_label_ = nullptr;  // the label that took the mouse button down
  bool destroying_ = false;
};

}  // namespace pelkrin::win32
