#include "ui/win32/form_view.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <string>

#include "platform/win32/callback_guard.h"
#include "platform/win32/diagnostics.h"
#include "platform/win32/lazy_libraries.h"
#include "platform/win32/win32_platform.h"
#include "resources/resource.h"
#include "ui/chrome.h"
#include "ui/win32/rain_button.h"
#include "ui/win32/skin.h"
#include "ui/win32/view_host.h"

namespace pelkrin::win32 {
namespace {

constexpr int kFirstChildId = 100;

// The button state of a mouse message as the handlers receive it: 1 left, 2 right, 4 middle.
int ButtonState(WPARAM keys) {
  int state = 0;
  if (keys & MK_LBUTTON) state |= kLeftButton;
  if (keys & MK_RBUTTON) state |= kRightButton;
  if (keys & MK_MBUTTON) state |= kMiddleButton;
  return state;
}

int ShiftState(WPARAM keys) {
  int state = 0;
  if (keys & MK_SHIFT) state |= 1;
  if (keys & MK_CONTROL) state |= 2;
  if (GetKeyState(VK_MENU) < 0) state |= 4;
  return state;
}

// The window that cannot be made then says so (see CreateWindowAndChildren).
void RegisterFormClass(HINSTANCE instance, const std::string& name, WNDPROC proc) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, name.c_str(), &existing)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_NORMAL));
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.lpszClassName = name.c_str();
  if (RegisterClassExA(&wc) == 0)
    TraceDiagnostic("the window class " + name + " could not be registered (error " +
                    std::to_string(GetLastError()) + ")");
}

}  // namespace

Win32FormView::Win32FormView(Win32ViewHost& host, Form& form)
    : host_(host), form_(form), site_{nullptr, host.Instance(), fonts_, host} {
  CreateWindowAndChildren();
  form_.SetSink(this);
  host_.ViewCreated(this);
}

Win32FormView::~Win32FormView() {
  destroying_ = true;
  host_.ViewDestroyed(this);
  form_.SetSink(nullptr);
  for (const auto& child : children_) {
    if (child->control()) child->control()->SetSink(nullptr);
    child->Detach();  // the children's last messages need no view
  }
  if (window_) DestroyWindow(window_);
}

Hwnd Win32FormView::Handle() const { return FromHwnd(window_); }

void Win32FormView::CreateWindowAndChildren() {
  HINSTANCE instance = host_.Instance();
  RegisterFormClass(instance, form_.window_class, &Win32FormView::WindowProc);

  Bounds& b = form_.bounds;
  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD ex_style = 0;
  if (form_.skinned) {
    style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
    ex_style = WS_EX_CONTROLPARENT;
    // A form made topmost before it had its window (it loaded hidden) gets its place now.
    if (form_.topmost) ex_style |= WS_EX_TOPMOST;
    if (b.left == 0 && b.top == 0) {
      // A window without a remembered place opens in the middle of the work area.
      RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
      b.left = work.left + (work.right - work.left - b.width) / 2;
      b.top = work.top + (work.bottom - work.top - b.height) / 2;
    }
  }
  // WM_NCCREATE binds window_; nothing else of the result is needed.
  (void)CreateWindowExA(ex_style, form_.window_class.c_str(), form_.Caption().c_str(), style,
                        b.left, b.top, b.width, b.height, nullptr, nullptr, instance, this);
  if (!window_) {
    // The form runs on without a window, as it does on a desktop without a screen.
    TraceDiagnostic("the window " + form_.Name() + " could not be created (error " +
                    std::to_string(GetLastError()) + ")");
    return;
  }
  site_.form = window_;
  if (form_.Icon().IsIcon()) FormIconChanged();
  if (!form_.skinned) return;

  // The tips and the controls are common controls, registered with their library's first use.
  (void)lazy::CommonControls();  // without them, the window has no tips: said below
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
  if (tooltip_)
    SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 320);
  else
    TraceDiagnostic("the tips of the window " + form_.Name() + " could not be created");

  // Child windows are created in tab order, which is also the order Tab walks them.
  std::vector<Control*> controls = form_.Controls();
  std::stable_sort(controls.begin(), controls.end(), [](const Control* a, const Control* b) {
    auto key = [](const Control* c) { return c->tab_index == 0 ? 1 << 30 : c->tab_index; };
    return key(a) < key(b);
  });
  children_.reserve(controls.size());
  int id = kFirstChildId;
  for (Control* control : controls) {
    children_.push_back(MakeControlView(site_, *control, id));
    control->SetSink(this);
    AddToolTip(*children_.back(), id++);
  }
  drawing_order_.reserve(controls.size());
  for (const Control* control : form_.Controls()) drawing_order_.push_back(FindChild(*control));
  // The window may be made while the form already shows the hourglass.
  if (form_.GetMousePointer() != MousePointer::kDefault) FormMousePointerChanged();
}

void Win32FormView::AddToolTip(const ControlView& view, int id) {
  const Control& control = *view.control();
  if (!tooltip_ || control.tool_tip.empty()) return;
  // The tip is fed the mouse messages by RelayToolTip rather than by subclassing the control:
  // a subclassed list box pays for it on every message, which makes filling a long list slow.
  TOOLINFOA info{};
  info.cbSize = sizeof info;
  info.uFlags = 0;
  info.hwnd = window_;
  info.lpszText = const_cast<char*>(control.tool_tip.c_str());  // the tip copies it
  if (view.window()) {
    info.uFlags |= TTF_IDISHWND;
    info.uId = reinterpret_cast<UINT_PTR>(view.window());
  } else {
    info.uId = static_cast<UINT_PTR>(id);
    info.rect = ToRect(control.bounds);
  }
  SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void Win32FormView::RelayToolTip(MSG& message) {
  if (tooltip_) SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}

HBRUSH Win32FormView::BackBrush() {
  if (!back_brush_) back_brush_.Reset(CreateSolidBrush(ToColorRef(form_.back_color)));
  return static_cast<HBRUSH>(back_brush_.Get());
}

ControlView* Win32FormView::FindChild(int id) {
  const int index = id - kFirstChildId;
  if (index < 0 || index >= static_cast<int>(children_.size())) return nullptr;
  return children_[static_cast<std::size_t>(index)].get();
}

ControlView* Win32FormView::FindChild(const Control& control) {
  for (const auto& child : children_)
    if (child->control() == &control) return child.get();
  return nullptr;
}

// ---- FormSink ------------------------------------------------------------------------------

void Win32FormView::FormVisibilityChanged(bool visible) {
  if (!window_) return;
  if (visible) {
    for (const auto& child : children_) child->FormShowing();
    ShowWindow(window_, form_.WindowState() == 1 ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    // Wine loses, now and then, the topmost place that a still hidden window was given: give
    // it again as the window shows.
    if (form_.topmost && !(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST))
      SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(window_);
  } else {
    ShowWindow(window_, SW_HIDE);
  }
}

void Win32FormView::FormWindowStateChanged(int state) {
  if (window_ && form_.Visible()) ShowWindow(window_, state == 1 ? SW_MINIMIZE : SW_RESTORE);
}

void Win32FormView::FormMoved() {
  const Bounds& b = form_.bounds;
  if (window_) MoveWindow(window_, b.left, b.top, b.width, b.height, TRUE);
}

void Win32FormView::FormIconChanged() {
  if (!window_ || !form_.Icon().IsIcon()) return;
  HICON icon = WidenHandle<HICON>(form_.Icon().handle);
  SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

void Win32FormView::FormMousePointerChanged() {
  if (!window_) return;
  for (const auto& child : children_) child->FormPointerChanged(form_.GetMousePointer());
  // The pointer changes at once where it rests over the window, not at the next mouse move.
  POINT point;
  if (!GetCursorPos(&point)) return;
  HWND under = WindowFromPoint(point);
  if (under != window_ && !IsChild(window_, under)) return;
  SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

// ---- ControlSink ---------------------------------------------------------------------------

void Win32FormView::ControlChanged(Control& control, Change change, int index) {
  ControlView* child = FindChild(control);
  if (!child || destroying_) return;
  if (change == Change::kDestroyed && mouse_view_ == child) mouse_view_ = nullptr;
  child->Changed(change, index);
}

// ---- Painting ------------------------------------------------------------------------------

void Win32FormView::Paint(HDC dc, const RECT& client) {
  PaintSkinBackground(dc, client, ToColorRef(form_.back_color));
  for (ControlView* view : drawing_order_)
    if (view && view->control() && view->control()->Visible() && view->DrawnOnForm())
      view->Paint(dc);
}

// ---- Mouse over the controls drawn on the form ----------------------------------------------

ControlView* Win32FormView::MouseTargetAt(POINT point) {
  for (auto it = drawing_order_.rbegin(); it != drawing_order_.rend(); ++it) {
    ControlView* view = *it;
    if (!view || !view->control() || !view->TakesMouse() || !view->control()->Visible()) continue;
    RECT rect = ToRect(view->control()->bounds);
    if (PtInRect(&rect, point)) return view;
  }
  return nullptr;
}

void Win32FormView::MouseEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  const bool down = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN ||
                    message == WM_MBUTTONDOWN || message == WM_LBUTTONDBLCLK ||
                    message == WM_RBUTTONDBLCLK;
  const bool up = message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;
  ControlView* view = (mouse_view_ && !down) ? mouse_view_ : MouseTargetAt(point);
  if (!view) return;

  const Bounds& bounds = view->control()->bounds;
  const int x = (point.x - bounds.left) * kTwipsPerPixel;
  const int y = (point.y - bounds.top) * kTwipsPerPixel;
  const int shift = ShiftState(wparam);
  if (down) {
    int button = kLeftButton;
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK) button = kRightButton;
    if (message == WM_MBUTTONDOWN) button = kMiddleButton;
    mouse_view_ = view;
    SetCapture(window_);
    view->Mouse(MouseAction::kDown, button, shift, x, y);
    if (message == WM_LBUTTONDBLCLK) view->Mouse(MouseAction::kDoubleClick, button, shift, x, y);
  } else if (up) {
    int button = kLeftButton;
    if (message == WM_RBUTTONUP) button = kRightButton;
    if (message == WM_MBUTTONUP) button = kMiddleButton;
    ControlView* pressed = mouse_view_;
    if (ButtonState(wparam) == 0) {
      mouse_view_ = nullptr;
      ReleaseCapture();
    }
    view->Mouse(MouseAction::kUp, button, shift, x, y);
    // A click is a left press and release over the same control.
    RECT rect = ToRect(bounds);
    if (button == kLeftButton && pressed == view && PtInRect(&rect, point))
      view->Mouse(MouseAction::kClick, button, shift, x, y);
  } else {
    view->Mouse(MouseAction::kMove, ButtonState(wparam), shift, x, y);
  }
}

// ---- Commands from the children ------------------------------------------------------------

void Win32FormView::Command(WORD id, WORD code, HWND child_window) {
  if (!child_window) {
    // Escape in a skinned window, as IsDialogMessage reports it, closes the window the way its
    // close mark does; everything else is a menu command or one posted from outside.
    if (form_.skinned && id == IDCANCEL) {
      form_.CloseRequested();
      return;
    }
    form_.Command(id);
    return;
  }
  ControlView* child = FindChild(id);
  if (child && child->window() == child_window) child->Command(code);
}

// ---- Window procedures ---------------------------------------------------------------------

LRESULT CALLBACK Win32FormView::WindowProc(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    auto* view = static_cast<Win32FormView*>(create->lpCreateParams);
    view->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
  }
  auto* view = reinterpret_cast<Win32FormView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY && view) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    view->window_ = nullptr;
    view = nullptr;
  }
  if (!view || view->destroying_) return DefWindowProcA(window, message, wparam, lparam);
  // A handler's exception must not unwind through Windows' frames; the message loop raises it.
  LRESULT result = 0;
  if (!CallGuarded([&] { result = view->HandleMessage(message, wparam, lparam); })) return 0;
  return result;
}

LRESULT Win32FormView::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_PRINTCLIENT: {
      // Our buttons ask for what lies behind their rounded corners.
      RECT client;
      GetClientRect(window_, &client);
      Paint(reinterpret_cast<HDC>(wparam), client);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(ColourChild(reinterpret_cast<HDC>(wparam)));
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
      MouseEvent(message, wparam, lparam);
      return 0;
    case WM_CAPTURECHANGED:
      mouse_view_ = nullptr;
      return 0;
    case WM_SETCURSOR:
      if (const std::optional<LRESULT> result = OnSetCursor(reinterpret_cast<HWND>(wparam), lparam))
        return *result;
      break;
    case WM_COMMAND:
      Command(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE || !form_.skinned) break;
      OnActivate();
      return 0;
    case WM_INITMENUPOPUP:
      host_.SubmenuOpening(reinterpret_cast<HMENU>(wparam));
      return 0;
    case WM_CLOSE:
      // Alt+F4 and the taskbar's Close; the main window is never closed this way.
      if (form_.skinned) form_.CloseRequested();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wparam) form_.SessionEnding();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window_, message, wparam, lparam);
}

void Win32FormView::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  RECT client;
  GetClientRect(window_, &client);
  {
    // Drawn off screen first, so nothing flickers while a label changes.
    PaintBuffer buffer(dc, client);
    Paint(buffer.dc(), client);
  }
  EndPaint(window_, &ps);
}

HBRUSH Win32FormView::ColourChild(HDC dc) {
  SetBkColor(dc, ToColorRef(form_.back_color));
  SetTextColor(dc, ToColorRef(kTextColor));
  return BackBrush();
}

std::optional<LRESULT> Win32FormView::OnSetCursor(HWND under, LPARAM lparam) {
  // The hourglass covers the window and every control on it: the controls' windows ask their
  // parent first (a button with a pointer of its own was told by its view).
  if (form_.GetMousePointer() == MousePointer::kHourglass && LOWORD(lparam) == HTCLIENT) {
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));  // IDC_WAIT
    return TRUE;
  }
  // Otherwise a control's window shows its own pointer.
  if (under != window_) return FALSE;
  if (LOWORD(lparam) != HTCLIENT) return std::nullopt;
  POINT point;
  GetCursorPos(&point);
  ScreenToClient(window_, &point);
  const ControlView* view = MouseTargetAt(point);
  if (!view || !view->control()->cursor) return std::nullopt;
  SetCursor(LoadCursorA(host_.Instance(), MAKEINTRESOURCEA(view->control()->cursor)));
  return TRUE;
}

void Win32FormView::OnActivate() {
  // Coming back to a window puts the keyboard on its first control if nothing has it.
  HWND focus = GetFocus();
  if (!focus || !IsChild(window_, focus)) {
    if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) SetFocus(first);
  }
  // Last: the form's handling may end the program.
  form_.Activated();
}

}  // namespace pelkrin::win32
