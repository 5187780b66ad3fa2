#include "ui/win32/control_views.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/win32/callback_guard.h"
#include "platform/win32/diagnostics.h"
#include "platform/win32/lazy_libraries.h"
#include "platform/win32/win32_platform.h"
#include "ui/chrome.h"
#include "ui/win32/rain_button.h"
#include "ui/win32/skin.h"
#include "ui/win32/view_host.h"

namespace pelkrin::win32 {
namespace {

// Our subclass of a child window among any others it may have.
constexpr UINT_PTR kSubclassId = 1;

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

RainButtonLook LookOf(const RainButton& button, FontCache& fonts) {
  return RainButtonLook{ToColorRef(button.fore_color), ToColorRef(button.back_color),
                        ToColorRef(button.back_end_color), fonts.For(button.font)};
}

// WM_CHAR reaches our subclass in the window's character set, which comctl32's subclassing
// makes Unicode; the program's key handlers know the characters of the ANSI code page (a
// double-byte one as lead byte * 256 + trail byte). These two convert one way and back.
int AnsiCharacter(HWND window, WPARAM typed) {
  if (!IsWindowUnicode(window) || typed < 0x80) return static_cast<int>(typed);
  const wchar_t wide = static_cast<wchar_t>(typed);
  unsigned char bytes[2] = {};
  const int count = WideCharToMultiByte(CP_ACP, 0, &wide, 1, reinterpret_cast<char*>(bytes),
                                        sizeof bytes, nullptr, nullptr);
  if (count == 2) return bytes[0] << 8 | bytes[1];
  return count == 1 ? bytes[0] : static_cast<int>(typed);
}

WPARAM TypedCharacter(HWND window, int ansi) {
  if (!IsWindowUnicode(window) || ansi < 0x80) return static_cast<WPARAM>(ansi);
  const char bytes[2] = {static_cast<char>(ansi >> 8), static_cast<char>(ansi & 0xFF)};
  const bool double_byte = ansi > 0xFF;
  wchar_t wide = 0;
  if (MultiByteToWideChar(CP_ACP, 0, double_byte ? bytes : bytes + 1, double_byte ? 2 : 1, &wide,
                          1) != 1)
    return static_cast<WPARAM>(ansi);
  return wide;
}

}  // namespace

HFONT FontCache::For(const Font& font) {
  const std::string key = font.face + "/" + std::to_string(font.points) + (font.bold ? "b" : "") +
                          (font.underline ? "u" : "");
  auto it = fonts_.find(key);
  if (it == fonts_.end()) {
    ScopedGdiObject created(CreateUiFont(font.points, font.bold, font.face.c_str()).Release());
    it = fonts_.emplace(key, std::move(created)).first;
  }
  return static_cast<HFONT>(it->second.Get());
}

// ---- Every kind ------------------------------------------------------------------------------

ControlView::ControlView(const ControlSite& site, Control& control)
    : site_(site), control_(&control) {}

ControlView::~ControlView() { Detach(); }

void ControlView::Attach(HWND window, bool set_font, bool see_messages) {
  window_ = window;
  if (!window_) {
    // The control keeps its value and events; it is only not on screen.
    TraceDiagnostic("the window of the control " + control_->Name() + " could not be created");
    return;
  }
  if (set_font)
    SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(site_.fonts.For(control_->font)), 0);
  if (!control_->Enabled()) EnableWindow(window_, FALSE);
  if (see_messages) Reattach();
}

void ControlView::Reattach() {
  if (subclassed_ || !window_) return;
  subclassed_ = lazy::SetWindowSubclass(window_, &ControlView::SubclassProc, kSubclassId,
                                        reinterpret_cast<DWORD_PTR>(this)) != FALSE;
  if (!subclassed_)
    TraceDiagnostic("the control " + control_->Name() + " could not be subclassed (error " +
                    std::to_string(GetLastError()) + ")");
}

void ControlView::Detach() {
  if (!subclassed_) return;
  subclassed_ = false;
  if (IsWindow(window_))
    lazy::RemoveWindowSubclass(window_, &ControlView::SubclassProc, kSubclassId);
}

LRESULT ControlView::Default(UINT message, WPARAM wparam, LPARAM lparam) {
  return lazy::DefSubclassProc(window_, message, wparam, lparam);
}

LRESULT CALLBACK ControlView::SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                           UINT_PTR, DWORD_PTR data) {
  auto* view = reinterpret_cast<ControlView*>(data);
  if (message == WM_NCDESTROY) {
    // The last message: the subclass goes before the window does.
    view->Detach();
    return lazy::DefSubclassProc(window, message, wparam, lparam);
  }
  if (!view->control_) return lazy::DefSubclassProc(window, message, wparam, lparam);
  // A handler's exception must not unwind through Windows' frames; the message loop raises it.
  std::optional<LRESULT> result;
  if (!CallGuarded([&] { result = view->OnMessage(message, wparam, lparam); })) return 0;
  return result ? *result : lazy::DefSubclassProc(window, message, wparam, lparam);
}

void ControlView::Changed(Change change, int index) {
  if (!control_) return;
  if (change == Change::kDestroyed) {
    control_ = nullptr;
    return;
  }
  if (window_ && change == Change::kVisible) {
    ShowWindow(window_, control_->Visible() ? SW_SHOWNA : SW_HIDE);
  } else if (window_ && change == Change::kEnabled) {
    EnableWindow(window_, control_->Enabled());
  } else {
    Mirror(change, index);
  }
}

void ControlView::FormShowing() {
  if (control_) OnFormShowing();
}

void ControlView::FormPointerChanged(MousePointer pointer) {
  if (control_) OnFormPointerChanged(pointer);
}

void ControlView::Paint(HDC dc) {
  if (control_) Draw(dc);
}

void ControlView::Mouse(MouseAction action, int button, int shift, int x, int y) {
  if (control_) OnMouse(action, button, shift, x, y);
}

void ControlView::Command(WORD code) {
  if (control_) OnCommand(code);
}

namespace {

// ---- Controls drawn on the form --------------------------------------------------------------

// Labels, shapes, pictures and the title strip are painted on the form's window itself, so the
// transparent drag handle and close mark can lie over the title strip.
class DrawnView : public ControlView {
 public:
  bool DrawnOnForm() const override { return true; }

 protected:
  using ControlView::ControlView;

  // Any change repaints the control's place.
  void Mirror(Change, int) override {
    RECT rect = ToRect(control()->bounds);
    InflateRect(&rect, 2, 2);  // copy labels sit a pixel outside
    InvalidateRect(site_.form, &rect, FALSE);
  }
};

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

class LabelView final : public DrawnView {
 public:
  LabelView(const ControlSite& site, Label& label) : DrawnView(site, label), label_(label) {}
  bool TakesMouse() const override { return true; }

 private:
  void Draw(HDC dc) override {
    RECT rect = ToRect(label_.bounds);
    if (!label_.transparent) {
      ScopedGdiObject brush(CreateSolidBrush(ToColorRef(label_.back_color)));
      FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
    }
    if (!label_.Caption().empty())
      DrawLabelText(dc, rect, label_.Caption(), site_.fonts.For(label_.font),
                    ToColorRef(label_.fore_color), ToDrawAlign(label_.alignment), label_.word_wrap);
  }

  void OnMouse(MouseAction action, int button, int shift, int x, int y) override {
    switch (action) {
      case MouseAction::kDown:
        if (label_.on_mouse_down) label_.on_mouse_down(button, shift, x, y);
        break;
      case MouseAction::kDoubleClick:
        if (label_.on_dbl_click) label_.on_dbl_click();
        break;
      case MouseAction::kMove:
        if (label_.on_mouse_move) label_.on_mouse_move(button, shift, x, y);
        break;
      case MouseAction::kUp:
        if (label_.on_mouse_up) label_.on_mouse_up(button, shift, x, y);
        break;
      case MouseAction::kClick:
        label_.Click();
        break;
    }
  }

  Label& label_;
};

class TitleStripView final : public DrawnView {
 public:
  TitleStripView(const ControlSite& site, RainButton& strip)
      : DrawnView(site, strip), strip_(strip) {}

 private:
  void Draw(HDC dc) override {
    const RECT rect = ToRect(strip_.bounds);
    const RainButtonLook look = LookOf(strip_, site_.fonts);
    // The blanks place the title; the "X" of a window that closes there is drawn right over
    // its close mark, whatever the font makes of the blanks before it.
    std::string caption = strip_.Caption();
    const bool close_mark =
        caption.size() > 1 && caption.back() == 'X' && caption[caption.size() - 2] == ' ';
    if (close_mark) caption.pop_back();
    PaintTitleStrip(dc, rect, caption, look);
    if (!close_mark) return;
    RECT mark{rect.right - kCloseMarkWidth, rect.top, rect.right, rect.bottom};
    ScopedSelect font(dc, look.font ? look.font : DefaultUiFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, look.fore);
    DrawTextA(dc, "X", 1, &mark, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }

  RainButton& strip_;
};

class ShapeView final : public DrawnView {
 public:
  ShapeView(const ControlSite& site, Shape& shape) : DrawnView(site, shape), shape_(shape) {}

 private:
  void Draw(HDC dc) override {
    const RECT rect = ToRect(shape_.bounds);
    ScopedGdiObject brush(CreateSolidBrush(ToColorRef(shape_.back_color)));
    ScopedSelect select_brush(dc, brush.Get());
    ScopedSelect select_pen(dc, GetStockObject(NULL_PEN));
    switch (shape_.style) {
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
  }

  Shape& shape_;
};

class ImageView final : public DrawnView {
 public:
  ImageView(const ControlSite& site, Image& image) : DrawnView(site, image), image_(image) {}

 private:
  void Draw(HDC dc) override {
    if (!image_.Get().IsIcon()) return;
    const RECT rect = ToRect(image_.bounds);
    DrawIconEx(dc, rect.left, rect.top, WidenHandle<HICON>(image_.Get().handle),
               rect.right - rect.left, rect.bottom - rect.top, 0, nullptr, DI_NORMAL);
  }

  Image& image_;
};

// ---- Controls with a child window of their own -----------------------------------------------

HWND CreateChildWindow(const ControlSite& site, const Control& control, int id, DWORD ex_style,
                       const char* window_class, const char* text, DWORD style) {
  const Bounds& b = control.bounds;
  return CreateWindowExA(ex_style, window_class, text,
                         WS_CHILD | WS_TABSTOP | style | (control.Visible() ? WS_VISIBLE : 0),
                         b.left, b.top, b.width, b.height, site.form,
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), site.instance,
                         nullptr);
}

// The gradient push button: our own window class, which paints itself in the button's look.
class ButtonView final : public ControlView {
 public:
  ButtonView(const ControlSite& site, RainButton& button, int id)
      : ControlView(site, button), button_(button) {
    HWND window = CreateRainButton(site.form, id, ToRect(button.bounds), button.Caption(),
                                   LookOf(button, site.fonts));
    if (window) {
      SetCursor(window, OwnCursor());
      ShowWindow(window, button.Visible() ? SW_SHOWNA : SW_HIDE);
    }
    Attach(window, /*set_font=*/false, /*see_messages=*/false);  // the look carries the font
  }

 private:
  HCURSOR OwnCursor() const {
    return button_.cursor ? LoadCursorA(site_.instance, MAKEINTRESOURCEA(button_.cursor)) : nullptr;
  }
  static void SetCursor(HWND window, HCURSOR cursor) {
    SendMessageA(window, kRbmSetCursor, reinterpret_cast<WPARAM>(cursor), 0);
  }
  void OnFormPointerChanged(MousePointer pointer) override {
    if (!window()) return;
    SetCursor(window(), pointer == MousePointer::kHourglass
                            ? LoadCursorA(nullptr, MAKEINTRESOURCEA(32514))  // IDC_WAIT
                            : OwnCursor());
  }

  void Mirror(Change change, int) override {
    if (change == Change::kCaption && WindowText(window()) != button_.Caption())
      SetWindowTextA(window(), button_.Caption().c_str());
  }
  void OnCommand(WORD code) override {
    if (code == BN_CLICKED) button_.Click();
  }

  RainButton& button_;
};

class TextBoxView final : public ControlView {
 public:
  TextBoxView(const ControlSite& site, TextBox& text, int id)
      : ControlView(site, text), text_(text) {
    DWORD style = text.multi_line ? ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL : ES_AUTOHSCROLL;
    if (text.locked) style |= ES_READONLY;
    Attach(CreateChildWindow(site, text, id, WS_EX_CLIENTEDGE, "EDIT", text.Text().c_str(), style),
           /*set_font=*/true, /*see_messages=*/true);
  }

 private:
  void Mirror(Change change, int) override {
    if (change == Change::kCaption && WindowText(window()) != text_.Text())
      SetWindowTextA(window(), text_.Text().c_str());
  }

  void OnCommand(WORD code) override {
    if (code == EN_CHANGE) text_.SetText(WindowText(window()));
  }

  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    switch (message) {
      case WM_GETDLGCODE: {
        // Enter belongs to the box (it adds the entry), not to the window; a box of several
        // lines keeps Tab out, so Tab still moves on to the next control.
        LRESULT code = Default(message, wparam, lparam);
        if (text_.multi_line) code &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
        const MSG* msg = reinterpret_cast<const MSG*>(lparam);
        if (msg && (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) &&
            msg->wParam == VK_RETURN)
          code |= DLGC_WANTMESSAGE;
        return code;
      }
      case WM_CHAR: {
        const int typed = AnsiCharacter(window(), wparam);
        int key = typed;
        text_.KeyPress(key);
        if (key == 0) return 0;  // swallowed
        return Default(message, key == typed ? wparam : TypedCharacter(window(), key), lparam);
      }
      case WM_LBUTTONUP: {
        const LRESULT result = Default(message, wparam, lparam);
        text_.Click();
        return result;
      }
      default:
        return std::nullopt;
    }
  }

  TextBox& text_;
};

class ListBoxView final : public ControlView {
 public:
  ListBoxView(const ControlSite& site, ListBox& list, int id)
      : ControlView(site, list), list_(list) {
    HWND window = CreateChildWindow(site, list, id, WS_EX_CLIENTEDGE, "LISTBOX", "",
                                    WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
    if (window) Fill(window);
    Attach(window, /*set_font=*/true, /*see_messages=*/true);
  }

 private:
  void Fill(HWND window) {
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    SendMessageA(window, LB_RESETCONTENT, 0, 0);
    std::size_t bytes = 0;
    for (const std::string& item : list_.Items()) bytes += item.size() + 1;
    SendMessageA(window, LB_INITSTORAGE, list_.Items().size(), bytes);
    for (const std::string& item : list_.Items())
      SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(list_.ListIndex()), 0);
    SendMessageA(window, WM_SETREDRAW, TRUE, 0);
  }

  void Mirror(Change change, int index) override {
    HWND w = window();
    const bool entries_changed = change == Change::kItemAdded || change == Change::kItemRemoved ||
                                 change == Change::kItemsCleared || change == Change::kSelection;
    if (!w || !entries_changed) return;
    // A hidden window's lists are brought up to date in one go when it shows: loading a long
    // list at start-up then costs nothing here.
    if (stale_ || !IsWindowVisible(site_.form)) {
      stale_ = true;
      return;
    }
    switch (change) {
      case Change::kItemAdded:
        SendMessageA(w, LB_INSERTSTRING, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(list_.List(index).c_str()));
        break;
      case Change::kItemRemoved:
        SendMessageA(w, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
        SendMessageA(w, LB_SETCURSEL, static_cast<WPARAM>(list_.ListIndex()), 0);
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

  void OnFormShowing() override {
    if (!stale_ || !window()) return;
    stale_ = false;
    // The entries go in around the subclass: each would cross it, which under Wine costs a
    // round trip to the server for the subclass's window property, and a long list would take
    // many seconds to show.
    Detach();
    Fill(window());
    Reattach();
  }

  void OnCommand(WORD code) override {
    if (code == LBN_SELCHANGE) {
      const int index = static_cast<int>(SendMessageA(window(), LB_GETCURSEL, 0, 0));
      // Moving through a menu list with the keys only selects: the entry's menu acts on it.
      if (by_keyboard_) {
        list_.UserSelectForMenu(index);
      } else {
        list_.UserSelect(index);
      }
    } else if (code == LBN_DBLCLK) {
      list_.DblClick();  // the menu opens at the mouse pointer
    }
  }

  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    // Only a list whose double-click opens a menu opens it from the keyboard and the right button.
    if (!list_.dbl_click_opens_menu) return std::nullopt;
    switch (message) {
      case WM_GETDLGCODE: {
        LRESULT code = Default(message, wparam, lparam);
        const MSG* msg = reinterpret_cast<const MSG*>(lparam);
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
        return code;
      }
      case WM_KEYDOWN: {
        // Enter and the menu key open the selected entry's menu, as a double-click does.
        if (wparam == VK_RETURN || wparam == VK_APPS) {
          OpenMenuFromKeyboard();
          return 0;
        }
        // Any other key may move the selection, which comes back as LBN_SELCHANGE.
        by_keyboard_ = true;
        const LRESULT result = Default(message, wparam, lparam);
        by_keyboard_ = false;
        return result;
      }
      case WM_KEYUP:
        // Windows turns a released menu key into WM_CONTEXTMENU: the key down opened the menu.
        if (wparam == VK_APPS) return 0;
        return std::nullopt;
      case WM_CONTEXTMENU:
        return ContextMenu(lparam);
      default:
        return std::nullopt;
    }
  }

  std::optional<LRESULT> ContextMenu(LPARAM lparam) {
    const POINT screen{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    if (screen.x == -1 && screen.y == -1) {  // Shift+F10
      OpenMenuFromKeyboard();
      return 0;
    }
    POINT client = screen;
    ScreenToClient(window(), &client);
    RECT area{};
    GetClientRect(window(), &area);
    if (!PtInRect(&area, client)) return std::nullopt;  // the scroll bar's own menu
    // A list box does not move its selection for the right button, but the menu's
    // "&Remove ..." acts on the selection: the entry under the pointer becomes the user's
    // selection first. With no entry there, nothing opens.
    const LRESULT hit = SendMessageA(window(), LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
    const int index = LOWORD(hit);
    const std::optional<RECT> entry = EntryRect(index);
    if (HIWORD(hit) != 0 || index >= list_.ListCount() || !entry || !PtInRect(&*entry, client))
      return 0;
    list_.UserSelectForMenu(index);
    NextMenuPoint at(site_.host, screen);
    list_.DblClick();
    return 0;
  }

  void OpenMenuFromKeyboard() {
    // The menu opens beside the selected entry rather than wherever the mouse pointer rests.
    // With no entry selected the list's handling opens nothing.
    std::optional<POINT> point;
    if (const std::optional<RECT> entry = EntryRect(list_.ListIndex())) {
      RECT area{};
      GetClientRect(window(), &area);
      // An entry scrolled out of sight gives a point at the list's nearest edge.
      POINT at{entry->left, std::clamp((entry->top + entry->bottom) / 2, area.top,
                                       std::max(area.top, area.bottom - 1))};
      ClientToScreen(window(), &at);
      point = at;
    }
    NextMenuPoint at(site_.host, point);
    list_.DblClick();
  }

  std::optional<RECT> EntryRect(int index) const {
    RECT rect{};
    if (index < 0 || SendMessageA(window(), LB_GETITEMRECT, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
      return std::nullopt;
    return rect;
  }

  ListBox& list_;
  bool stale_ = false;        // entries changed while the form's window was hidden
  bool by_keyboard_ = false;  // a key's own handling runs
};

// The drop-down list with its edit field.
class ComboBoxView final : public ControlView {
 public:
  ComboBoxView(const ControlSite& site, ComboBox& combo, int id)
      : ControlView(site, combo), combo_(combo) {
    const Bounds& b = combo.bounds;
    // A combo box's height includes its dropped list.
    HWND window =
        CreateWindowExA(0, "COMBOBOX", "",
                        WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL |
                            (combo.Visible() ? WS_VISIBLE : 0),
                        b.left, b.top, b.width, b.height + kDroppedListHeight, site.form,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), site.instance, nullptr);
    Attach(window, /*set_font=*/true, /*see_messages=*/false);
    if (!window) return;
    for (const std::string& item : combo.Items())
      SendMessageA(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SetWindowTextA(window, combo.Text().c_str());
  }

 private:
  static constexpr int kDroppedListHeight = 160;

  void Mirror(Change change, int index) override {
    HWND w = window();
    if (!w) return;
    switch (change) {
      case Change::kCaption:
        if (WindowText(w) != combo_.Text()) SetWindowTextA(w, combo_.Text().c_str());
        break;
      case Change::kItemAdded:
        SendMessageA(w, CB_INSERTSTRING, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(combo_.List(index).c_str()));
        break;
      default:
        break;
    }
  }

  void OnCommand(WORD code) override {
    switch (code) {
      case CBN_DROPDOWN:
        combo_.DropDown();
        break;
      case CBN_SELCHANGE: {
        // The edit field still shows the old text here: the entry is taken from the list.
        const LRESULT index = SendMessageA(window(), CB_GETCURSEL, 0, 0);
        if (index != CB_ERR) combo_.UserPick(static_cast<int>(index));
        break;
      }
      case CBN_EDITCHANGE: {
        std::string typed = WindowText(window());
        if (typed != combo_.Text()) combo_.SetText(std::move(typed));
        break;
      }
      default:
        break;
    }
  }

  ComboBox& combo_;
};

class CheckBoxView final : public ControlView {
 public:
  CheckBoxView(const ControlSite& site, CheckBox& box, int id) : ControlView(site, box), box_(box) {
    HWND window = CreateChildWindow(site, box, id, 0, "BUTTON", box.caption.c_str(), BS_CHECKBOX);
    if (window) Show(window);
    Attach(window, /*set_font=*/true, /*see_messages=*/false);
  }

 private:
  void Show(HWND window) {
    SendMessageA(window, BM_SETCHECK, box_.Value() == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  void Mirror(Change change, int) override {
    if (change == Change::kValue) Show(window());
  }
  void OnCommand(WORD code) override {
    // The box does not tick itself (BS_CHECKBOX): the control's new value comes back here.
    if (code == BN_CLICKED) box_.UserClick();
  }

  CheckBox& box_;
};

// ---- Controls that are not on screen ---------------------------------------------------------

// A timer: nothing to show.
class OffScreenView final : public ControlView {
 public:
  OffScreenView(const ControlSite& site, Control& control) : ControlView(site, control) {}
};

}  // namespace

std::unique_ptr<ControlView> MakeControlView(const ControlSite& site, Control& control, int id) {
  switch (control.Kind()) {
    case ControlKind::kLabel:
      return std::make_unique<LabelView>(site, static_cast<Label&>(control));
    case ControlKind::kTitleStrip:
      return std::make_unique<TitleStripView>(site, static_cast<RainButton&>(control));
    case ControlKind::kShape:
      return std::make_unique<ShapeView>(site, static_cast<Shape&>(control));
    case ControlKind::kImage:
      return std::make_unique<ImageView>(site, static_cast<Image&>(control));
    case ControlKind::kButton:
      return std::make_unique<ButtonView>(site, static_cast<RainButton&>(control), id);
    case ControlKind::kTextBox:
      return std::make_unique<TextBoxView>(site, static_cast<TextBox&>(control), id);
    case ControlKind::kListBox:
      return std::make_unique<ListBoxView>(site, static_cast<ListBox&>(control), id);
    case ControlKind::kComboBox:
      return std::make_unique<ComboBoxView>(site, static_cast<ComboBox&>(control), id);
    case ControlKind::kCheckBox:
      return std::make_unique<CheckBoxView>(site, static_cast<CheckBox&>(control), id);
    case ControlKind::kTimer:
      break;
  }
  return std::make_unique<OffScreenView>(site, control);
}

}  // namespace pelkrin::win32
