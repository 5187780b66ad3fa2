#include "ui/win32/form_view.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/win32/callback_guard.h"
#include "platform/win32/win32_platform.h"
#include "resources/resource.h"
#include "ui/chrome.h"
#include "ui/win32/rain_button.h"
#include "ui/win32/skin.h"
#include "ui/win32/view_host.h"

namespace pelkrin::win32 {
namespace {

constexpr int kFirstChildId = 100;

COLORREF ToColorRef(Rgb rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

RECT ToRect(const Bounds& b) { return RECT{b.left, b.top, b.left + b.width, b.top + b.height}; }

bool IsDrawnOnForm(ControlKind kind) {
  switch (kind) {
    case ControlKind::kLabel:
    case ControlKind::kTitleStrip:
    case ControlKind::kShape:
    case ControlKind::kImage:
      return true;
    default:
      return false;
  }
}

UINT ToDrawAlign(Align align) {
  switch (align) {
    case Align::kCenter:
      return DT_CENTER;
    case Align::kRight:
      return DT_RIGHT;
    default:
      return DT_LEFT;
  }
}

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

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

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
  RegisterClassExA(&wc);
}

}  // namespace

Win32FormView::Win32FormView(Win32ViewHost& host, Form& form) : host_(host), form_(form) {
  CreateWindowAndChildren();
  form_.SetSink(this);
  host_.ViewCreated(this);
}

Win32FormView::~Win32FormView() {
  destroying_ = true;
  host_.ViewDestroyed(this);
  form_.SetSink(nullptr);
  for (Child& child : children_)
    if (child.control) child.control->SetSink(nullptr);
  if (window_) DestroyWindow(window_);
}

Hwnd Win32FormView::Handle() const {
  return FromHwnd(window_);
}

void Win32FormView::CreateWindowAndChildren() {
  HINSTANCE instance = host_.Instance();
  RegisterFormClass(instance, form_.window_class, &Win32FormView::WindowProc);

  Bounds& b = form_.bounds;
  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD ex_style = 0;
  if (form_.skinned) {
    style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
    ex_style = WS_EX_CONTROLPARENT;
    if (b.left == 0 && b.top == 0) {
      // A window without a remembered place opens in the middle of the work area.
      RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
      b.left = work.left + (work.right - work.left - b.width) / 2;
      b.top = work.top + (work.bottom - work.top - b.height) / 2;
    }
  }
  CreateWindowExA(ex_style, form_.window_class.c_str(), form_.Caption().c_str(), style, b.left,
                  b.top, b.width, b.height, nullptr, nullptr, instance, this);
  if (!window_) return;
  if (form_.Icon().IsIcon()) FormIconChanged();
  if (!form_.skinned) return;

  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
  if (tooltip_) SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 320);

  // Child windows are created in tab order, which is also the order Tab walks them.
  std::vector<Control*> controls = form_.Controls();
  std::stable_sort(controls.begin(), controls.end(), [](const Control* a, const Control* b) {
    auto key = [](const Control* c) { return c->tab_index == 0 ? 1 << 30 : c->tab_index; };
    return key(a) < key(b);
  });
  children_.reserve(controls.size());
  int id = kFirstChildId;
  for (Control* control : controls) CreateChild(*control, id++);
}

void Win32FormView::CreateChild(Control& control, int id) {
  HINSTANCE instance = host_.Instance();
  Child child;
  child.control = &control;
  const Bounds& b = control.bounds;
  const DWORD visible = control.Visible() ? WS_VISIBLE : 0;
  HMENU child_id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id));

  switch (control.Kind()) {
    case ControlKind::kButton: {
      auto& button = static_cast<RainButton&>(control);
      RainButtonLook look{ToColorRef(button.fore_color), ToColorRef(button.back_color),
                          ToColorRef(button.back_end_color), FontFor(button.font)};
      child.window = CreateRainButton(window_, id, ToRect(b), button.Caption(), look);
      if (child.window) {
        if (button.cursor)
          SendMessageA(
              child.window, kRbmSetCursor,
              reinterpret_cast<WPARAM>(LoadCursorA(instance, MAKEINTRESOURCEA(button.cursor))), 0);
        ShowWindow(child.window, control.Visible() ? SW_SHOWNA : SW_HIDE);
      }
      break;
    }
    case ControlKind::kTextBox: {
      auto& text = static_cast<TextBox&>(control);
      child.window =
          CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", text.Text().c_str(),
                          WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL | visible, b.left, b.top, b.width,
                          b.height, window_, child_id, instance, nullptr);
      break;
    }
    case ControlKind::kListBox: {
      child.window = CreateWindowExA(
          WS_EX_CLIENTEDGE, "LISTBOX", "",
          WS_CHILD | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | visible, b.left,
          b.top, b.width, b.height, window_, child_id, instance, nullptr);
      if (child.window) FillList(static_cast<ListBox&>(control), child.window);
      break;
    }
    case ControlKind::kCheckBox: {
      auto& box = static_cast<CheckBox&>(control);
      child.window = CreateWindowExA(0, "BUTTON", box.caption.c_str(),
                                     WS_CHILD | WS_TABSTOP | BS_CHECKBOX | visible, b.left, b.top,
                                     b.width, b.height, window_, child_id, instance, nullptr);
      if (child.window)
        SendMessageA(child.window, BM_SETCHECK, box.Value() == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    }
    default:
      break;  // drawn on the form, or (a timer) not on screen at all
  }

  if (child.window) {
    if (control.Kind() != ControlKind::kButton)
      SendMessageA(child.window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control.font)), 0);
    if (!control.Enabled()) EnableWindow(child.window, FALSE);
    if (control.Kind() == ControlKind::kTextBox || control.Kind() == ControlKind::kListBox) {
      SetWindowLongPtrA(child.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      child.previous_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
          child.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32FormView::ChildProc)));
    }
  }
  children_.push_back(child);
  control.SetSink(this);
  AddToolTip(children_.back(), id);
}

void Win32FormView::AddToolTip(const Child& child, int id) {
  if (!tooltip_ || child.control->tool_tip.empty()) return;
  // The tip is fed the mouse messages by RelayToolTip rather than by subclassing the control:
  // a subclassed list box pays for it on every message, which makes filling a long list slow.
  TOOLINFOA info{};
  info.cbSize = sizeof info;
  info.uFlags = 0;
  info.hwnd = window_;
  info.lpszText = const_cast<char*>(child.control->tool_tip.c_str());  // the tip copies it
  if (child.window) {
    info.uFlags |= TTF_IDISHWND;
    info.uId = reinterpret_cast<UINT_PTR>(child.window);
  } else {
    info.uId = static_cast<UINT_PTR>(id);
    info.rect = ToRect(child.control->bounds);
  }
  SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void Win32FormView::RelayToolTip(MSG& message) {
  if (tooltip_) SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}

void Win32FormView::FillList(const ListBox& list, HWND window) {
  SendMessageA(window, WM_SETREDRAW, FALSE, 0);
  SendMessageA(window, LB_RESETCONTENT, 0, 0);
  std::size_t bytes = 0;
  for (const std::string& item : list.Items()) bytes += item.size() + 1;
  SendMessageA(window, LB_INITSTORAGE, list.Items().size(), bytes);
  for (const std::string& item : list.Items())
    SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(list.ListIndex()), 0);
  SendMessageA(window, WM_SETREDRAW, TRUE, 0);
}

HFONT Win32FormView::FontFor(const Font& font) {
  const std::string key = font.face + "/" + std::to_string(font.points) + (font.bold ? "b" : "") +
                          (font.underline ? "u" : "");
  auto it = fonts_.find(key);
  if (it == fonts_.end()) {
    ScopedGdiObject created(CreateUiFont(font.points, font.bold, font.face.c_str()).Release());
    it = fonts_.emplace(key, std::move(created)).first;
  }
  return static_cast<HFONT>(it->second.Get());
}

HBRUSH Win32FormView::BackBrush() {
  if (!back_brush_) back_brush_.Reset(CreateSolidBrush(ToColorRef(form_.back_color)));
  return static_cast<HBRUSH>(back_brush_.Get());
}

Win32FormView::Child* Win32FormView::FindChild(int id) {
  const int index = id - kFirstChildId;
  if (index < 0 || index >= static_cast<int>(children_.size())) return nullptr;
  return &children_[static_cast<std::size_t>(index)];
}

Win32FormView::Child* Win32FormView::FindChild(const Control& control) {
  for (Child& child : children_)
    if (child.control == &control) return &child;
  return nullptr;
}

Win32FormView::Child* Win32FormView::FindChildWindow(HWND window) {
  for (Child& child : children_)
    if (child.window == window) return &child;
  return nullptr;
}

void Win32FormView::InvalidateControl(const Control& control) {
  RECT rect = ToRect(control.bounds);
  InflateRect(&rect, 2, 2);  // copy labels sit a pixel outside
  InvalidateRect(window_, &rect, FALSE);
}

// ---- FormSink ------------------------------------------------------------------------------

void Win32FormView::RefreshStaleLists() {
  for (Child& child : children_) {
    if (!child.stale || !child.control) continue;
    child.stale = false;
    FillList(static_cast<const ListBox&>(*child.control), child.window);
  }
}

void Win32FormView::FormVisibilityChanged(bool visible) {
  if (!window_) return;
  if (visible) {
    RefreshStaleLists();
    ShowWindow(window_, form_.WindowState() == 1 ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
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

// ---- ControlSink ---------------------------------------------------------------------------

void Win32FormView::ControlChanged(Control& control, Change change, int index) {
  Child* child = FindChild(control);
  if (!child || destroying_) return;
  if (change == Change::kDestroyed) {
    if (mouse_label_ == &control) mouse_label_ = nullptr;
    child->control = nullptr;
    return;
  }
  HWND w = child->window;
  if (!w) {
    InvalidateControl(control);  // drawn on the form: repaint its place
    return;
  }
  // A hidden window's lists are brought up to date in one go when it shows: loading a long
  // list at start-up then costs nothing here.
  const bool list_change = change == Change::kItemAdded || change == Change::kItemRemoved ||
                           change == Change::kItemsCleared || change == Change::kSelection;
  if (list_change && (child->stale || !IsWindowVisible(window_))) {
    child->stale = true;
    return;
  }
  switch (change) {
    case Change::kVisible:
      ShowWindow(w, control.Visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case Change::kEnabled:
      EnableWindow(w, control.Enabled());
      break;
    case Change::kCaption: {
      std::string text;
      if (control.Kind() == ControlKind::kTextBox) text = static_cast<TextBox&>(control).Text();
      if (control.Kind() == ControlKind::kButton)
        text = static_cast<RainButton&>(control).Caption();
      if (WindowText(w) != text) SetWindowTextA(w, text.c_str());
      break;
    }
    case Change::kValue:
      SendMessageA(w, BM_SETCHECK,
                   static_cast<CheckBox&>(control).Value() == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case Change::kItemAdded: {
      auto& list = static_cast<ListBox&>(control);
      const std::string& item = list.List(index);
      SendMessageA(w, LB_INSERTSTRING, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(item.c_str()));
      break;
    }
    case Change::kItemRemoved:
      SendMessageA(w, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
      SendMessageA(w, LB_SETCURSEL, static_cast<WPARAM>(static_cast<ListBox&>(control).ListIndex()),
                   0);
      break;
    case Change::kItemsCleared:
      SendMessageA(w, LB_RESETCONTENT, 0, 0);
      break;
    case Change::kSelection:
      if (SendMessageA(w, LB_GETCURSEL, 0, 0) != index)
        SendMessageA(w, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
      break;
    default:
      break;
  }
}

// ---- Painting ------------------------------------------------------------------------------

void Win32FormView::Paint(HDC dc, const RECT& client) {
  PaintSkinBackground(dc, client, ToColorRef(form_.back_color));
  for (const Control* control : form_.Controls())
    if (control->Visible() && IsDrawnOnForm(control->Kind())) PaintControl(dc, *control);
}

void Win32FormView::PaintControl(HDC dc, const Control& control) {
  RECT rect = ToRect(control.bounds);
  switch (control.Kind()) {
    case ControlKind::kTitleStrip: {
      const auto& strip = static_cast<const RainButton&>(control);
      RainButtonLook look{ToColorRef(strip.fore_color), ToColorRef(strip.back_color),
                          ToColorRef(strip.back_end_color), FontFor(strip.font)};
      // The blanks place the title; the "X" of a window that closes there is drawn right over
      // its close mark, whatever the font makes of the blanks before it.
      std::string caption = strip.Caption();
      const bool close_mark = caption.size() > 1 && caption.back() == 'X' &&
                              caption[caption.size() - 2] == ' ';
      if (close_mark) caption.pop_back();
      PaintTitleStrip(dc, rect, caption, look);
      if (close_mark) {
        RECT mark{rect.right - kCloseMarkWidth, rect.top, rect.right, rect.bottom};
        ScopedSelect font(dc, look.font ? look.font : DefaultUiFont());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, look.fore);
        DrawTextA(dc, "X", 1, &mark, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      }
      break;
    }
    case ControlKind::kLabel: {
      const auto& label = static_cast<const Label&>(control);
      if (!label.transparent) {
        ScopedGdiObject brush(CreateSolidBrush(ToColorRef(label.back_color)));
        FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
      }
      if (!label.Caption().empty())
        DrawLabelText(dc, rect, label.Caption(), FontFor(label.font), ToColorRef(label.fore_color),
                      ToDrawAlign(label.alignment), label.word_wrap);
      break;
    }
    case ControlKind::kShape: {
      const auto& shape = static_cast<const Shape&>(control);
      ScopedGdiObject brush(CreateSolidBrush(ToColorRef(shape.back_color)));
      ScopedSelect select_brush(dc, brush.Get());
      ScopedSelect select_pen(dc, GetStockObject(NULL_PEN));
      switch (shape.style) {
        case Shape::Style::kCircle:
          Ellipse(dc, rect.left, rect.top, rect.right + 1, rect.bottom + 1);
          break;
        case Shape::Style::kRoundedRectangle:
          RoundRect(dc, rect.left, rect.top, rect.right + 1, rect.bottom + 1, 4, 4);
          break;
        default:
          FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
          break;
      }
      break;
    }
    case ControlKind::kImage: {
      const auto& image = static_cast<const Image&>(control);
      if (image.Get().IsIcon())
        DrawIconEx(dc, rect.left, rect.top,
                   WidenHandle<HICON>(image.Get().handle),
                   rect.right - rect.left, rect.bottom - rect.top, 0, nullptr, DI_NORMAL);
      break;
    }
    default:
      break;
  }
}

// ---- Mouse over the controls drawn on the form ----------------------------------------------

Label* Win32FormView::LabelAt(POINT point) {
  const std::vector<Control*>& controls = form_.Controls();
  for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
    Control* control = *it;
    if (control->Kind() != ControlKind::kLabel || !control->Visible()) continue;
    RECT rect = ToRect(control->bounds);
    if (PtInRect(&rect, point)) return static_cast<Label*>(control);
  }
  return nullptr;
}

void Win32FormView::MouseEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  const bool down = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN ||
                    message == WM_MBUTTONDOWN || message == WM_LBUTTONDBLCLK ||
                    message == WM_RBUTTONDBLCLK;
  const bool up = message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;
  Label* label = (mouse_label_ && !down) ? mouse_label_ : LabelAt(point);
  if (!label) return;

  const int x = (point.x - label->bounds.left) * kTwipsPerPixel;
  const int y = (point.y - label->bounds.top) * kTwipsPerPixel;
  const int shift = ShiftState(wparam);
  if (down) {
    int button = kLeftButton;
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK) button = kRightButton;
    if (message == WM_MBUTTONDOWN) button = kMiddleButton;
    mouse_label_ = label;
    SetCapture(window_);
    if (label->on_mouse_down) label->on_mouse_down(button, shift, x, y);
    if (message == WM_LBUTTONDBLCLK && label->on_dbl_click) label->on_dbl_click();
  } else if (up) {
    int button = kLeftButton;
    if (message == WM_RBUTTONUP) button = kRightButton;
    if (message == WM_MBUTTONUP) button = kMiddleButton;
    Label* pressed = mouse_label_;
    if (ButtonState(wparam) == 0) {
      mouse_label_ = nullptr;
      ReleaseCapture();
    }
    if (label->on_mouse_up) label->on_mouse_up(button, shift, x, y);
    // A click is a left press and release over the same label.
    RECT rect = ToRect(label->bounds);
    if (button == kLeftButton && pressed == label && PtInRect(&rect, point)) label->Click();
  } else {
    if (label->on_mouse_move) label->on_mouse_move(ButtonState(wparam), shift, x, y);
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
  Child* child = FindChild(id);
  if (!child || !child->control || child->window != child_window) return;
  Control& control = *child->control;
  switch (control.Kind()) {
    case ControlKind::kButton:
      if (code == BN_CLICKED) static_cast<RainButton&>(control).Click();
      break;
    case ControlKind::kCheckBox:
      if (code == BN_CLICKED) static_cast<CheckBox&>(control).UserClick();
      break;
    case ControlKind::kTextBox:
      if (code == EN_CHANGE) static_cast<TextBox&>(control).SetText(WindowText(child_window));
      break;
    case ControlKind::kListBox: {
      auto& list = static_cast<ListBox&>(control);
      if (code == LBN_SELCHANGE) {
        list.UserSelect(static_cast<int>(SendMessageA(child_window, LB_GETCURSEL, 0, 0)));
      } else if (code == LBN_DBLCLK) {
        list.DblClick();
      }
      break;
    }
    default:
      break;
  }
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
    case WM_PAINT: {
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
      return 0;
    }
    case WM_PRINTCLIENT: {
      // Our buttons ask for what lies behind their rounded corners.
      RECT client;
      GetClientRect(window_, &client);
      Paint(reinterpret_cast<HDC>(wparam), client);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      SetBkColor(dc, ToColorRef(form_.back_color));
      SetTextColor(dc, RGB(0x1B, 0x26, 0x33));
      return reinterpret_cast<LRESULT>(BackBrush());
    }
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
      mouse_label_ = nullptr;
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wparam) == window_ && LOWORD(lparam) == HTCLIENT) {
        POINT point;
        GetCursorPos(&point);
        ScreenToClient(window_, &point);
        Label* label = LabelAt(point);
        if (label && label->cursor) {
          SetCursor(LoadCursorA(host_.Instance(), MAKEINTRESOURCEA(label->cursor)));
          return TRUE;
        }
      }
      break;
    case WM_COMMAND:
      Command(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_ACTIVATE:
      // Coming back to a window puts the keyboard on its first control if nothing has it.
      if (LOWORD(wparam) != WA_INACTIVE && form_.skinned) {
        HWND focus = GetFocus();
        if (!focus || !IsChild(window_, focus)) {
          if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) SetFocus(first);
        }
        return 0;
      }
      break;
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

LRESULT CALLBACK Win32FormView::ChildProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* view = reinterpret_cast<Win32FormView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  Child* child = view ? view->FindChildWindow(window) : nullptr;
  if (!child || !child->previous_proc) return DefWindowProcA(window, message, wparam, lparam);
  LRESULT result = 0;
  if (!CallGuarded([&] { result = view->HandleChildMessage(*child, message, wparam, lparam); }))
    return 0;
  return result;
}

void Win32FormView::OpenListMenuFromKeyboard(ListBox& list, HWND window) {
  // The menu opens beside the selected entry rather than wherever the mouse pointer rests.
  // With no entry selected the list's handling opens nothing.
  std::optional<POINT> point;
  RECT entry{};
  if (list.ListIndex() >= 0 &&
      SendMessageA(window, LB_GETITEMRECT, static_cast<WPARAM>(list.ListIndex()),
                   reinterpret_cast<LPARAM>(&entry)) != LB_ERR) {
    RECT area{};
    GetClientRect(window, &area);
    // An entry scrolled out of sight gives a point at the list's nearest edge.
    POINT at{entry.left, std::clamp((entry.top + entry.bottom) / 2, area.top,
                                    std::max(area.top, area.bottom - 1))};
    ClientToScreen(window, &at);
    point = at;
  }
  NextMenuPoint at(host_, point);
  list.DblClick();
}

LRESULT Win32FormView::HandleChildMessage(Child& child, UINT message, WPARAM wparam,
                                          LPARAM lparam) {
  HWND window = child.window;
  WNDPROC previous = child.previous_proc;
  Control* control = child.control;
  if (!control || destroying_) return CallWindowProcA(previous, window, message, wparam, lparam);

  if (control->Kind() == ControlKind::kTextBox) {
    auto& text = static_cast<TextBox&>(*control);
    switch (message) {
      case WM_GETDLGCODE: {
        // Enter belongs to the box (it adds the entry), not to the window.
        LRESULT code = CallWindowProcA(previous, window, message, wparam, lparam);
        const MSG* msg = reinterpret_cast<const MSG*>(lparam);
        if (msg && (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) &&
            msg->wParam == VK_RETURN)
          code |= DLGC_WANTMESSAGE;
        return code;
      }
      case WM_CHAR: {
        int key = static_cast<int>(wparam);
        text.KeyPress(key);
        if (key == 0) return 0;
        return CallWindowProcA(previous, window, message, static_cast<WPARAM>(key), lparam);
      }
      case WM_LBUTTONUP: {
        LRESULT result = CallWindowProcA(previous, window, message, wparam, lparam);
        text.Click();
        return result;
      }
      default:
        break;
    }
  } else if (control->Kind() == ControlKind::kListBox) {
    auto& list = static_cast<ListBox&>(*control);
    switch (message) {
      case WM_GETDLGCODE: {
        LRESULT code = CallWindowProcA(previous, window, message, wparam, lparam);
        const MSG* msg = reinterpret_cast<const MSG*>(lparam);
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
        return code;
      }
      case WM_KEYDOWN:
        // Enter and the menu key open the selected entry's menu, as a double-click does.
        if (wparam == VK_RETURN || wparam == VK_APPS) {
          OpenListMenuFromKeyboard(list, window);
          return 0;
        }
        break;
      case WM_KEYUP:
        // Windows turns a released menu key into WM_CONTEXTMENU: the key down opened the menu.
        if (wparam == VK_APPS) return 0;
        break;
      case WM_CONTEXTMENU: {
        const POINT screen{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        if (screen.x == -1 && screen.y == -1) {  // Shift+F10
          OpenListMenuFromKeyboard(list, window);
          return 0;
        }
        POINT client = screen;
        ScreenToClient(window, &client);
        RECT area{};
        GetClientRect(window, &area);
        if (!PtInRect(&area, client)) break;  // the scroll bar's own menu
        // A list box does not move its selection for the right button, but the menu's
        // "&Remove ..." acts on the selection: the entry under the pointer becomes the user's
        // selection first. With no entry there, nothing opens.
        const LRESULT hit =
            CallWindowProcA(previous, window, LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
        const int index = LOWORD(hit);
        RECT entry{};
        if (HIWORD(hit) != 0 || index >= list.ListCount() ||
            CallWindowProcA(previous, window, LB_GETITEMRECT, static_cast<WPARAM>(index),
                            reinterpret_cast<LPARAM>(&entry)) == LB_ERR ||
            !PtInRect(&entry, client))
          return 0;
        list.UserSelect(index);
        NextMenuPoint at(host_, screen);
        list.DblClick();
        return 0;
      }
      default:
        break;
    }
  }
  return CallWindowProcA(previous, window, message, wparam, lparam);
}

}  // namespace pelkrin::win32
