#include "ui/win32/rain_button.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "platform/win32/callback_guard.h"
#include "ui/win32/skin.h"

namespace pelkrin::win32 {
namespace {

struct FaceColours {
  COLORREF top;
  COLORREF bottom;
  COLORREF outline;
  // The ring just inside the outline: a light bevel fading downwards, or for a pressed face a
  // dark inner shadow at the top.
  COLORREF bevel;
  double bevel_top;     // bevel strength at the top row
  double bevel_bottom;  // bevel strength at the bottom row
};

FaceColours ColoursFor(const RainButtonLook& look, RainButtonState state) {
  const COLORREF middle = MixColours(look.back, look.back_end, 0.5);
  FaceColours c{look.back, look.back_end, Darken(middle, 0.48), RGB(255, 255, 255), 0.70, 0.10};
  switch (state) {
    case RainButtonState::kNormal:
      break;
    case RainButtonState::kHot:
      // Brighter, with a warm ring inside the outline: the classic hot-tracking cue.
      c.top = Lighten(look.back, 0.25);
      c.bottom = Lighten(look.back_end, 0.12);
      c.bevel = RGB(255, 190, 70);
      c.bevel_top = 0.85;
      c.bevel_bottom = 0.85;
      break;
    case RainButtonState::kPressed:
      // Lit from below: the gradient turns over and darkens, with a shadow under the top edge.
      c.top = Darken(look.back_end, 0.10);
      c.bottom = Darken(look.back, 0.02);
      c.outline = Darken(middle, 0.58);
      c.bevel = RGB(0, 0, 0);
      c.bevel_top = 0.22;
      c.bevel_bottom = 0.0;
      break;
    case RainButtonState::kDisabled:
      c.top = Lighten(Greyed(look.back), 0.45);
      c.bottom = Lighten(Greyed(look.back_end), 0.40);
      c.outline = Lighten(Greyed(c.outline), 0.45);
      c.bevel_top = 0.50;
      break;
  }
  return c;
}

// Signed distance from (px, py) to the outline of a w x h rectangle with corners of radius r
// (negative inside), used for anti-aliased rounded edges.
double RoundedRectDistance(double px, double py, double w, double h, double r) {
  const double qx = std::fabs(px - w / 2) - (w / 2 - r);
  const double qy = std::fabs(py - h / 2) - (h / 2 - r);
  const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - r;
}

double Coverage(double distance) { return std::clamp(0.5 - distance, 0.0, 1.0); }

struct Rgb {
  double r, g, b;
};
Rgb FromColour(COLORREF c) {
  return {double(GetRValue(c)), double(GetGValue(c)), double(GetBValue(c))};
}
Rgb FromPixel(std::uint32_t p) {
  return {double((p >> 16) & 0xFF), double((p >> 8) & 0xFF), double(p & 0xFF)};
}
Rgb Mix(const Rgb& a, const Rgb& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
std::uint32_t ToPixel(const Rgb& c) {
  auto channel = [](double v) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0)));
  };
  return (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b);
}

RainButtonLook DefaultLook() {
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  return {::GetSysColor(COLOR_BTNTEXT), Lighten(face, 0.6), face, nullptr};
}

HINSTANCE& RegisteredInstance() {
  static HINSTANCE instance = nullptr;
  return instance;
}

// One button window. Bound to its HWND at WM_NCCREATE (the first message that can carry it)
// and destroyed at WM_NCDESTROY (the last one).
class RainButton {
 public:
  explicit RainButton(HWND hwnd) : hwnd_(hwnd), look_(DefaultLook()) {}

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

 private:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  // The mouse, the keyboard, the focus and enabling; true when the message was handled (it
  // answers 0), false when the default processing runs.
  bool HandleInput(UINT message, WPARAM wparam, LPARAM lparam);
  // One handler per message; those that return bool say whether they handled it.
  void OnCreate();
  void OnPaint();
  bool OnSetCursor(LPARAM lparam);
  void OnMouseMove(LPARAM lparam);
  void OnLButtonDown();
  void OnLButtonUp(LPARAM lparam);
  void OnCaptureChanged(HWND taker);
  LRESULT OnGetDlgCode(const MSG* msg) const;
  bool OnKeyDown(WPARAM key, LPARAM lparam);
  bool OnKeyUp(WPARAM key);
  void OnEnable(bool enabled);
  // Forgets a mouse press; the caller releases the capture where it still holds it.
  void DropPress();

  RainButtonState State() const;
  void Render(HDC dc);
  void Redraw() { ::InvalidateRect(hwnd_, nullptr, FALSE); }
  bool ContainsClientPoint(LPARAM lparam) const;
  void UpdateUiState(WORD action, WORD flags);
  // Asks for WM_MOUSELEAVE; true when the system is now tracking the pointer for this button.
  // It does not when the pointer is no longer over the button (a late or a synthesised move),
  // and a button made hot then would never receive the leave that ends the hot look.
  bool TrackLeave();
  // Notifies the parent; the parent may destroy this button while handling it, so callers must
  // not touch the object afterwards.
  void Click();

  HWND hwnd_;
  RainButtonLook look_;
  HCURSOR cursor_ = nullptr;
  bool hot_ = false;             // the mouse is over the button (a leave is being tracked)
  bool mouse_down_ = false;      // the left button went down here and the mouse is captured
  bool pressed_inside_ = false;  // while mouse_down_: the mouse is over the button
  bool space_down_ = false;      // Space went down while focused
  UINT ui_state_ = 0;            // UISF_HIDEFOCUS | UISF_HIDEACCEL as the dialog manager set them
};

LRESULT CALLBACK RainButton::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* button = reinterpret_cast<RainButton*>(::GetWindowLongPtrA(hwnd, 0));
  if (message == WM_NCCREATE) {
    // Out of memory fails CreateWindowEx; the exception is raised again once Windows returns.
    const bool created = CallGuarded([&] {
      auto owned = std::make_unique<RainButton>(hwnd);
      ::SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(owned.release()));
    });
    if (!created) return FALSE;
    return ::DefWindowProcA(hwnd, message, wparam, lparam);
  }
  if (message == WM_NCDESTROY) {
    std::unique_ptr<RainButton> owned(button);
    ::SetWindowLongPtrA(hwnd, 0, 0);
    return ::DefWindowProcA(hwnd, message, wparam, lparam);
  }
  if (button == nullptr) return ::DefWindowProcA(hwnd, message, wparam, lparam);
  // Nothing may unwind through Windows' frames: a failure is parked for the message loop.
  LRESULT result = 0;
  if (!CallGuarded([&] { result = button->Handle(message, wparam, lparam); })) return 0;
  return result;
}

RainButtonState RainButton::State() const {
  if (!::IsWindowEnabled(hwnd_)) return RainButtonState::kDisabled;
  if ((mouse_down_ && pressed_inside_) || space_down_) return RainButtonState::kPressed;
  if (hot_ && !mouse_down_) return RainButtonState::kHot;
  return RainButtonState::kNormal;
}

void RainButton::Render(HDC dc) {
  RECT client;
  ::GetClientRect(hwnd_, &client);
  PaintParentBackground(hwnd_, dc);
  std::string caption(static_cast<std::size_t>(::GetWindowTextLengthA(hwnd_)) + 1, '\0');
  caption.resize(static_cast<std::size_t>(
      ::GetWindowTextA(hwnd_, caption.data(), static_cast<int>(caption.size()))));
  const bool focused = ::GetFocus() == hwnd_ && (ui_state_ & UISF_HIDEFOCUS) == 0;
  PaintRainButton(dc, client, caption, look_, State(), focused, (ui_state_ & UISF_HIDEACCEL) == 0);
}

bool RainButton::ContainsClientPoint(LPARAM lparam) const {
  RECT client;
  ::GetClientRect(hwnd_, &client);
  // Signed: a captured mouse left or above the button gives negative coordinates.
  const POINT point{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  return ::PtInRect(&client, point) != FALSE;
}

void RainButton::UpdateUiState(WORD action, WORD flags) {
  flags &= UISF_HIDEFOCUS | UISF_HIDEACCEL;
  const UINT before = ui_state_;
  switch (action) {
    case UIS_SET:
      ui_state_ |= flags;
      break;
    case UIS_CLEAR:
    case UIS_INITIALIZE:  // sent after keyboard use: show the cues
      ui_state_ &= ~static_cast<UINT>(flags);
      break;
    default:
      break;
  }
  if (ui_state_ != before) Redraw();
}

bool RainButton::TrackLeave() {
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd_, 0};
  if (!::TrackMouseEvent(&track)) return false;
  TRACKMOUSEEVENT query{sizeof(query), TME_QUERY, nullptr, 0};
  return ::TrackMouseEvent(&query) && query.hwndTrack == hwnd_ && (query.dwFlags & TME_LEAVE);
}

void RainButton::Click() {
  if (!::IsWindowEnabled(hwnd_)) return;
  HWND self = hwnd_;
  HWND parent = ::GetParent(self);
  if (parent == nullptr) return;
  ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(self), BN_CLICKED),
                 reinterpret_cast<LPARAM>(self));
}

LRESULT RainButton::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // everything is painted in WM_PAINT, off-screen
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_PRINTCLIENT:
      Render(reinterpret_cast<HDC>(wparam));
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = ::DefWindowProcA(hwnd_, message, wparam, lparam);
      Redraw();
      return result;
    }
    case WM_SETFONT:
      look_.font = reinterpret_cast<HFONT>(wparam);
      if (LOWORD(lparam) != 0) Redraw();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(look_.font);
    case kRbmSetLook:
      if (lparam != 0) {
        look_ = *reinterpret_cast<const RainButtonLook*>(lparam);
        Redraw();
      }
      return TRUE;
    case kRbmSetCursor:
      cursor_ = reinterpret_cast<HCURSOR>(wparam);
      return 0;
    case kRbmGetState:
      return static_cast<LRESULT>(State());
    case WM_GETDLGCODE:
      return OnGetDlgCode(reinterpret_cast<const MSG*>(lparam));
    case WM_SETCURSOR:
      if (OnSetCursor(lparam)) return TRUE;
      break;  // the class cursor: the arrow
    case WM_UPDATEUISTATE:
      UpdateUiState(LOWORD(wparam), HIWORD(wparam));
      break;  // DefWindowProc keeps the window's own record and passes it on
    default:
      if (HandleInput(message, wparam, lparam)) return 0;
      break;
  }
  return ::DefWindowProcA(hwnd_, message, wparam, lparam);
}

bool RainButton::HandleInput(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove(lparam);
      return true;
    case WM_MOUSELEAVE:
      hot_ = false;
      Redraw();
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnLButtonDown();
      return true;
    case WM_LBUTTONUP:
      OnLButtonUp(lparam);
      return true;
    case WM_CAPTURECHANGED:
      OnCaptureChanged(reinterpret_cast<HWND>(lparam));
      return true;
    case WM_KEYDOWN:
      return OnKeyDown(wparam, lparam);
    case WM_KEYUP:
      return OnKeyUp(wparam);
    case WM_SETFOCUS:
      Redraw();
      return true;
    case WM_KILLFOCUS:
      space_down_ = false;  // a Space released elsewhere does not click
      Redraw();
      return true;
    case WM_ENABLE:
      OnEnable(wparam != FALSE);
      return true;
    case BM_CLICK:
      Click();
      return true;
    default:
      return false;
  }
}

void RainButton::OnCreate() {
  // Start with the parent's keyboard cues, as the standard controls do.
  if (HWND parent = ::GetParent(hwnd_)) {
    ui_state_ = static_cast<UINT>(::SendMessageA(parent, WM_QUERYUISTATE, 0, 0)) &
                (UISF_HIDEFOCUS | UISF_HIDEACCEL);
  }
}

void RainButton::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(hwnd_, &paint);
  if (dc != nullptr) {
    RECT client;
    ::GetClientRect(hwnd_, &client);
    PaintBuffer buffer(dc, client);
    Render(buffer.dc());
  }
  ::EndPaint(hwnd_, &paint);
}

bool RainButton::OnSetCursor(LPARAM lparam) {
  if (cursor_ == nullptr || LOWORD(lparam) != HTCLIENT) return false;
  ::SetCursor(cursor_);
  return true;
}

void RainButton::OnMouseMove(LPARAM lparam) {
  bool changed = false;
  if (!hot_ && TrackLeave()) {
    hot_ = true;
    changed = true;
  }
  if (mouse_down_) {
    const bool inside = ContainsClientPoint(lparam);
    changed = changed || inside != pressed_inside_;
    pressed_inside_ = inside;
  }
  if (changed) Redraw();
}

void RainButton::OnLButtonDown() {
  if (!::IsWindowEnabled(hwnd_)) return;
  ::SetFocus(hwnd_);
  ::SetCapture(hwnd_);
  mouse_down_ = true;
  pressed_inside_ = true;
  Redraw();
}

void RainButton::OnLButtonUp(LPARAM lparam) {
  if (!mouse_down_) return;
  const bool inside = ContainsClientPoint(lparam);
  DropPress();
  ::ReleaseCapture();   // its WM_CAPTURECHANGED finds no press any more
  if (inside) Click();  // only a release over the button clicks
}

void RainButton::OnCaptureChanged(HWND taker) {
  // Another window took the mouse (a menu, a message box): the press is abandoned.
  if (taker != hwnd_ && mouse_down_) DropPress();
}

void RainButton::DropPress() {
  mouse_down_ = false;
  pressed_inside_ = false;
  Redraw();
}

LRESULT RainButton::OnGetDlgCode(const MSG* msg) const {
  LRESULT code = DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
  // The dialog manager turns Enter into IDOK for its parent unless the focused control asks for
  // the key; a focused button should click on Enter instead.
  if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
    code |= DLGC_WANTMESSAGE;
  }
  return code;
}

bool RainButton::OnKeyDown(WPARAM key, LPARAM lparam) {
  const bool repeat = (lparam & (1L << 30)) != 0;
  if (key == VK_SPACE) {
    if (!repeat && !mouse_down_ && !space_down_) {
      space_down_ = true;
      Redraw();
    }
    return true;
  }
  if (key == VK_RETURN) {
    if (!repeat) Click();
    return true;
  }
  return false;
}

bool RainButton::OnKeyUp(WPARAM key) {
  if (key != VK_SPACE || !space_down_) return false;
  space_down_ = false;
  Redraw();
  Click();
  return true;
}

void RainButton::OnEnable(bool enabled) {
  if (!enabled) {
    hot_ = false;
    space_down_ = false;
    if (mouse_down_) {
      DropPress();
      ::ReleaseCapture();
    }
  }
  Redraw();
}

// Draws text on one line centred in box (clipped to it) in colour, underlining the character at
// index underline (none when negative). The access key is drawn here rather than by DrawText, so
// hiding it never moves the caption and the underline is where the dialog manager reads the key.
void DrawCentredCaption(HDC dc, const RECT& box, const std::string& text, int underline,
                        COLORREF colour) {
  TEXTMETRICA metrics;
  if (!::GetTextMetricsA(dc, &metrics)) return;
  SIZE size{0, 0};
  ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  const int x = box.left + ((box.right - box.left) - size.cx) / 2;
  const int y = box.top + ((box.bottom - box.top) - metrics.tmHeight) / 2;
  ::SetTextColor(dc, colour);
  const UINT old_align = ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  ::ExtTextOutA(dc, x, y, ETO_CLIPPED, &box, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  ::SetTextAlign(dc, old_align);
  if (underline < 0 || underline >= static_cast<int>(text.size())) return;
  SIZE before{0, 0};
  SIZE through{0, 0};
  ::GetTextExtentPoint32A(dc, text.c_str(), underline, &before);
  ::GetTextExtentPoint32A(dc, text.c_str(), underline + 1, &through);
  RECT line{x + before.cx, y + metrics.tmAscent + 1, x + through.cx, y + metrics.tmAscent + 2};
  RECT visible;
  if (!::IntersectRect(&visible, &line, &box)) return;
  const COLORREF old_back = ::SetBkColor(dc, colour);
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &visible, nullptr, 0, nullptr);
  ::SetBkColor(dc, old_back);
}

}  // namespace

void PaintRainButtonFace(HDC dc, const RECT& rect, const RainButtonLook& look,
                         RainButtonState state) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  const FaceColours colours = ColoursFor(look, state);
  PixelSurface surface(width, height);
  if (!surface) {  // out of GDI resources: a flat face keeps the button usable
    const COLORREF old_back = ::SetBkColor(dc, colours.bottom);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc, old_back);
    return;
  }
  // Start from what lies under the button, so the rounded corners blend into it.
  ::BitBlt(surface.dc(), 0, 0, width, height, dc, rect.left, rect.top, SRCCOPY);
  ::GdiFlush();

  const double radius = std::min({3.5, width / 2.0, height / 2.0});
  const Rgb top = FromColour(colours.top), bottom = FromColour(colours.bottom);
  const Rgb outline = FromColour(colours.outline), bevel = FromColour(colours.bevel);
  for (int y = 0; y < height; ++y) {
    const double t = height > 1 ? static_cast<double>(y) / (height - 1) : 0.0;
    const Rgb row = Mix(top, bottom, t);
    const double bevel_alpha = colours.bevel_top + (colours.bevel_bottom - colours.bevel_top) * t;
    for (int x = 0; x < width; ++x) {
      const double d = RoundedRectDistance(x + 0.5, y + 0.5, width, height, radius);
      const double shape = Coverage(d);
      if (shape <= 0.0) continue;
      const double inside_outline = Coverage(d + 1.0);
      const double ring = inside_outline - Coverage(d + 2.0);
      Rgb colour = Mix(row, bevel, bevel_alpha * ring);
      colour = Mix(outline, colour, inside_outline / shape);
      std::uint32_t& pixel = surface.at(x, y);
      pixel = ToPixel(Mix(FromPixel(pixel), colour, shape));
    }
  }
  ::BitBlt(dc, rect.left, rect.top, width, height, surface.dc(), 0, 0, SRCCOPY);
}

COLORREF RainButtonCaptionColour(const RainButtonLook& look, RainButtonState state) {
  if (state != RainButtonState::kDisabled) return look.fore;
  const FaceColours face = ColoursFor(look, state);
  return MixColours(Greyed(look.fore), MixColours(face.top, face.bottom, 0.5), 0.55);
}

void PaintRainButton(HDC dc, const RECT& rect, const std::string& caption,
                     const RainButtonLook& look, RainButtonState state, bool focused,
                     bool show_accelerators) {
  PaintRainButtonFace(dc, rect, look, state);

  RECT text = rect;
  ::InflateRect(&text, -4, 0);
  if (state == RainButtonState::kPressed) ::OffsetRect(&text, 1, 1);
  const AccessKeyCaption shown = SplitAccessKey(caption);
  const int underline = show_accelerators ? shown.key_index : -1;
  ScopedSelect font(dc, look.font != nullptr ? look.font : DefaultUiFont());
  const int old_mode = ::SetBkMode(dc, TRANSPARENT);
  const COLORREF old_colour = ::GetTextColor(dc);
  if (state == RainButtonState::kDisabled) {
    // Etched: a light copy 1 px down-right under the greyed caption.
    RECT etch = text;
    ::OffsetRect(&etch, 1, 1);
    DrawCentredCaption(dc, etch, shown.text, underline, RGB(255, 255, 255));
  }
  DrawCentredCaption(dc, text, shown.text, underline, RainButtonCaptionColour(look, state));

  if (focused) {
    RECT focus = rect;
    ::InflateRect(&focus, -3, -3);
    ::SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF old_back = ::SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &focus);
    ::SetBkColor(dc, old_back);
  }
  ::SetTextColor(dc, old_colour);
  ::SetBkMode(dc, old_mode);
}

AccessKeyCaption SplitAccessKey(const std::string& caption) {
  AccessKeyCaption result;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      result.text += caption[i];
    } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
      result.text += '&';
      ++i;
    } else if (i + 1 < caption.size() && result.key_index < 0) {
      // The first single "&" marks the key, as the dialog manager reads it for Alt+letter.
      result.key_index = static_cast<int>(result.text.size());
    }
    // Any further single "&" (and one at the very end) is dropped, as DrawText does.
  }
  return result;
}

bool RegisterRainButtonClass(HINSTANCE instance) {
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = &RainButton::Proc;
  window_class.cbWndExtra = sizeof(LONG_PTR);
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  window_class.lpszClassName = kRainButtonClassName;
  if (::RegisterClassExA(&window_class) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  RegisteredInstance() = instance;
  return true;
}

HWND CreateRainButton(HWND parent, int id, const RECT& rect, const std::string& caption,
                      const RainButtonLook& look) {
  if (RegisteredInstance() == nullptr && !RegisterRainButtonClass(::GetModuleHandleA(nullptr))) {
    return nullptr;
  }
  HWND button = ::CreateWindowExA(
      0, kRainButtonClassName, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect.left,
      rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), RegisteredInstance(), nullptr);
  if (button != nullptr) ::SendMessageA(button, kRbmSetLook, 0, reinterpret_cast<LPARAM>(&look));
  return button;
}

}  // namespace pelkrin::win32
