#include "browser_windows.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/win32/callback_guard.h"
#include "platform/win32/scoped_handle.h"

namespace pelkrin::browser_sim {
namespace {

constexpr char kFrameClass[] = "IEFrame";
constexpr char kDialogClass[] = "Internet Explorer_TridentDlgFrame";
constexpr char kWorkerWClass[] = "WorkerW";
constexpr char kWorkerAClass[] = "WorkerA";
constexpr char kDocObjectViewClass[] = "Shell DocObject View";
constexpr char kServerClass[] = "Internet Explorer_Server";
constexpr char kFlashClass[] = "MacromediaFlashPlayerActiveX";

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kPopupTimer = 2;
constexpr int kAddressComboId = 0xA205;
// The classic full banner.
constexpr int kFlashWidth = 468;
constexpr int kFlashHeight = 60;

void Report(const char* what) {
  std::fprintf(stderr, "browser-sim: %s (error %lu)\n", what, ::GetLastError());
  std::fflush(stderr);
}

LONGLONG CounterNow() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

class BrowserFrame {
 public:
  BrowserFrame(const OpenOptions& options, int id, FrameObserver& observer,
               const std::optional<PagePopups>& page_popups)
      : options_(options), id_(id), observer_(observer), page_popups_(page_popups) {}

  // Creates the window; on success the window owns this object and deletes it at
  // WM_NCDESTROY.
  static HWND Create(HINSTANCE instance, std::unique_ptr<BrowserFrame> frame);

  static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK WorkerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK DocViewProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ServerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK FlashProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

 private:
  // The style asked for, the children and their layout, while the window is being created.
  bool Build(HINSTANCE instance);
  bool CreateChildren(HINSTANCE instance);
  bool CreateToolbars(HINSTANCE instance);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Layout();
  void PaintPage(HWND server);
  int DefaultWidth() const { return options_.dialog ? 420 : options_.toolbars ? 760 : 480; }
  int DefaultHeight() const { return options_.dialog ? 300 : options_.toolbars ? 540 : 360; }

  const OpenOptions options_;
  const int id_;
  FrameObserver& observer_;
  const std::optional<PagePopups> page_popups_;
  HWND window_ = nullptr;
  HWND toolbar_container_ = nullptr;
  HWND page_host_ = nullptr;  // the document view, or the page itself in a dialog
  int toolbar_height_ = 0;
  bool owned_by_window_ = false;
};

HWND BrowserFrame::Create(HINSTANCE instance, std::unique_ptr<BrowserFrame> frame) {
  const OpenOptions& options = frame->options_;
  const int cascade = (frame->id_ - 1) % 8 * 32;
  // The window is built inside its creation (WM_CREATE). Shown at once, it is visible as its
  // creation ends: no other program ever sees it hidden, nor shown without its children.
  const DWORD visible = options.show_after_ms == 0 ? WS_VISIBLE : 0;
  HWND window = ::CreateWindowExA(
      options.activate ? 0 : WS_EX_NOACTIVATE, options.dialog ? kDialogClass : kFrameClass,
      CaptionOf(options).c_str(), FrameStyleOf(options) | visible, options.x.value_or(40 + cascade),
      options.y.value_or(30 + cascade), options.width.value_or(frame->DefaultWidth()),
      options.height.value_or(frame->DefaultHeight()), nullptr, nullptr, instance, frame.get());
  if (window == nullptr) {
    Report("could not create a browser window");
    return nullptr;
  }
  BrowserFrame* self = frame.release();
  self->owned_by_window_ = true;
  if (self->page_popups_)
    ::SetTimer(window, kPopupTimer, self->page_popups_->first_after_ms, nullptr);
  if (visible != 0) {
    // Painted, children included, before the window is reported open.
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  } else {
    ::SetTimer(window, kShowTimer, options.show_after_ms, nullptr);
  }
  return window;
}

bool BrowserFrame::Build(HINSTANCE instance) {
  // Windows gives every overlapped window a caption when it is created; the style asked for
  // (a frame without title bar, say) is set afterwards, before anything is shown.
  ::SetWindowLongPtrA(window_, GWL_STYLE, static_cast<LONG_PTR>(FrameStyleOf(options_)));
  ::SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!CreateChildren(instance)) return false;
  Layout();
  return true;
}

bool BrowserFrame::CreateChildren(HINSTANCE instance) {
  // Child windows are stacked in the order they are created, the first one on top: the toolbar
  // container must be the frame's first child.
  if (!options_.dialog && !CreateToolbars(instance)) return false;
  const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  HWND server_parent = window_;
  if (!options_.dialog) {
    page_host_ = ::CreateWindowExA(0, kDocObjectViewClass, "", child, 0, 0, 0, 0, window_, nullptr,
                                   instance, this);
    if (page_host_ == nullptr) {
      Report("could not create the document view");
      return false;
    }
    server_parent = page_host_;
  }
  HWND server = ::CreateWindowExA(0, kServerClass, "", child, 0, 0, 0, 0, server_parent, nullptr,
                                  instance, this);
  if (server == nullptr) {
    Report("could not create the page");
    return false;
  }
  if (options_.dialog) page_host_ = server;
  if (options_.flash &&
      ::CreateWindowExA(0, kFlashClass, "", WS_CHILD | WS_VISIBLE, 16, 96, kFlashWidth,
                        kFlashHeight, server, nullptr, instance, nullptr) == nullptr) {
    Report("could not create the Flash control");
    return false;
  }
  return true;
}

bool BrowserFrame::CreateToolbars(HINSTANCE instance) {
  const char* container_class =
      options_.container == ToolbarContainer::kWorkerA ? kWorkerAClass : kWorkerWClass;
  // A window opened without toolbars still has them; the container is only hidden.
  toolbar_container_ = ::CreateWindowExA(
      0, container_class, "",
      WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (options_.toolbars ? WS_VISIBLE : 0), 0, 0, 0,
      0, window_, nullptr, instance, nullptr);
  if (toolbar_container_ == nullptr) {
    Report("could not create the toolbar container");
    return false;
  }
  HWND rebar = ::CreateWindowExA(WS_EX_TOOLWINDOW, REBARCLASSNAMEA, "",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                                     RBS_VARHEIGHT | RBS_BANDBORDERS | CCS_NODIVIDER | CCS_TOP,
                                 0, 0, 0, 0, toolbar_container_, nullptr, instance, nullptr);
  if (rebar == nullptr) {
    Report("could not create the rebar");
    return false;
  }
  // The combo box extension makes its own ComboBox and, for a drop-down, that one's Edit.
  HWND combo = ::CreateWindowExA(
      0, WC_COMBOBOXEXA, "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, 0, 400, 200, rebar,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAddressComboId)), instance, nullptr);
  if (combo == nullptr) {
    Report("could not create the address box");
    return false;
  }
  HWND edit = reinterpret_cast<HWND>(::SendMessageA(combo, CBEM_GETEDITCONTROL, 0, 0));
  if (edit == nullptr || !::SetWindowTextA(edit, options_.address.c_str())) {
    Report("could not put the address into the address box");
    return false;
  }
  RECT combo_rect{};
  ::GetWindowRect(combo, &combo_rect);
  char label[] = "Address";
  REBARBANDINFOA band{};
  band.cbSize = sizeof band;
  band.fMask = RBBIM_STYLE | RBBIM_TEXT | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE;
  band.fStyle = RBBS_CHILDEDGE;
  band.lpText = label;
  band.hwndChild = combo;
  band.cxMinChild = 120;
  band.cyMinChild = static_cast<UINT>(combo_rect.bottom - combo_rect.top);
  band.cx = 600;
  if (::SendMessageA(rebar, RB_INSERTBANDA, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&band)) == 0) {
    Report("could not add the address band");
    return false;
  }
  toolbar_height_ = static_cast<int>(::SendMessageA(rebar, RB_GETBARHEIGHT, 0, 0)) + 2;
  return true;
}

void BrowserFrame::Layout() {
  if (window_ == nullptr) return;
  RECT client{};
  ::GetClientRect(window_, &client);
  int top = 0;
  if (toolbar_container_ != nullptr) {
    ::MoveWindow(toolbar_container_, 0, 0, client.right, toolbar_height_, TRUE);
    if (options_.toolbars) top = toolbar_height_;
  }
  if (page_host_ != nullptr) {
    ::MoveWindow(page_host_, 0, top, client.right, client.bottom > top ? client.bottom - top : 0,
                 TRUE);
  }
}

LRESULT CALLBACK BrowserFrame::FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* frame =
        static_cast<BrowserFrame*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    frame->window_ = window;
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
    frame->observer_.FrameCreated(frame->id_, window);
  }
  auto* frame = reinterpret_cast<BrowserFrame*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (frame == nullptr) return ::DefWindowProcA(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    frame->observer_.FrameGone(frame->id_);
    // Created successfully, the window owned the object; otherwise Create() still does.
    if (frame->owned_by_window_) std::unique_ptr<BrowserFrame> done(frame);
    return ::DefWindowProcA(window, message, wparam, lparam);
  }
  LRESULT result = 0;
  if (!win32::CallGuarded([&] { result = frame->Handle(message, wparam, lparam); })) return 0;
  return result;
}

LRESULT BrowserFrame::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      // -1 fails the creation, and the window goes again.
      return Build(reinterpret_cast<const CREATESTRUCTA*>(lparam)->hInstance) ? 0 : -1;
    case WM_WINDOWPOSCHANGING: {
      const LONGLONG now = CounterNow();
      const auto* position = reinterpret_cast<const WINDOWPOS*>(lparam);
      if ((position->flags & SWP_HIDEWINDOW) != 0 && ::IsWindowVisible(window_))
        observer_.FrameHideBegins(id_, now);
      break;
    }
    case WM_WINDOWPOSCHANGED: {
      // Taken first, so that the time is when the window procedure saw the change.
      const LONGLONG now = CounterNow();
      const auto* position = reinterpret_cast<const WINDOWPOS*>(lparam);
      if ((position->flags & SWP_SHOWWINDOW) != 0) {
        BYTE alpha = 255;
        DWORD flags = 0;
        const bool transparent = (::GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_LAYERED) != 0 &&
                                 ::GetLayeredWindowAttributes(window_, nullptr, &alpha, &flags) &&
                                 (flags & LWA_ALPHA) != 0 && alpha == 0;
        observer_.FrameShown(id_, now, transparent);
      }
      if ((position->flags & SWP_HIDEWINDOW) != 0) observer_.FrameHidden(id_, now);
      break;
    }
    case WM_SIZE:
      Layout();
      return 0;
    case WM_TIMER:
      if (wparam == kShowTimer) {
        // Shown as a page shows a popup: painted by WM_PAINT once the queue is empty, so a
        // message posted to the window meanwhile (a hide) is handled first, as in a browser.
        ::KillTimer(window_, kShowTimer);
        ::ShowWindow(window_, options_.activate ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE);
        if (options_.busy_after_show_ms != 0) {
          ::UpdateWindow(window_);
          ::RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
          ::Sleep(options_.busy_after_show_ms);
        }
        return 0;
      }
      if (wparam == kPopupTimer && page_popups_) {
        ::SetTimer(window_, kPopupTimer, page_popups_->every_ms, nullptr);
        observer_.PageOpensPopup(page_popups_->popup);
        return 0;
      }
      break;
    case WM_DESTROY: {
      const LONGLONG now = CounterNow();
      ::KillTimer(window_, kShowTimer);
      ::KillTimer(window_, kPopupTimer);
      observer_.FrameDestroyed(id_, now);
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcA(window_, message, wparam, lparam);
}

// The toolbar container keeps its rebar along its top edge.
LRESULT CALLBACK BrowserFrame::WorkerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_SIZE) {
    HWND rebar = ::GetWindow(window, GW_CHILD);
    if (rebar != nullptr) ::MoveWindow(rebar, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
    return 0;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

// The document view fills itself with the page.
LRESULT CALLBACK BrowserFrame::DocViewProc(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
  if (message == WM_SIZE) {
    HWND page = ::GetWindow(window, GW_CHILD);
    if (page != nullptr) ::MoveWindow(page, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
    return 0;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

LRESULT CALLBACK BrowserFrame::ServerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    ::SetWindowLongPtrA(
        window, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
  }
  auto* frame = reinterpret_cast<BrowserFrame*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_PAINT && frame != nullptr) {
    frame->PaintPage(window);
    return 0;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

void BrowserFrame::PaintPage(HWND server) {
  PAINTSTRUCT paint_struct;
  HDC dc = ::BeginPaint(server, &paint_struct);
  RECT area{};
  ::GetClientRect(server, &area);
  if (const std::optional<std::uint32_t> paint = options_.paint) {
    win32::ScopedGdiObject brush(
        ::CreateSolidBrush(RGB(*paint >> 16, (*paint >> 8) & 0xFF, *paint & 0xFF)));
    ::FillRect(dc, &area, static_cast<HBRUSH>(brush.Get()));
    ::EndPaint(server, &paint_struct);
    return;
  }
  ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  ::SetBkMode(dc, TRANSPARENT);
  win32::ScopedSelect font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
  RECT line = area;
  ::InflateRect(&line, -16, 0);
  line.top = 16;
  ::SetTextColor(dc, RGB(0x20, 0x20, 0x60));
  ::DrawTextA(dc, options_.title.c_str(), -1, &line, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  line.top += 24;
  ::SetTextColor(dc, RGB(0x60, 0x60, 0x60));
  ::DrawTextA(dc, options_.address.c_str(), -1, &line,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  line.top += 24;
  ::DrawTextA(dc, "This page is drawn by browser-sim, a stand-in for the browser.", -1, &line,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  ::EndPaint(server, &paint_struct);
}

LRESULT CALLBACK BrowserFrame::FlashProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_PAINT) return ::DefWindowProcA(window, message, wparam, lparam);
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(window, &paint);
  RECT area{};
  ::GetClientRect(window, &area);
  win32::ScopedGdiObject brush(::CreateSolidBrush(RGB(0xE0, 0x60, 0x10)));
  ::FillRect(dc, &area, static_cast<HBRUSH>(brush.Get()));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
  win32::ScopedSelect font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
  ::DrawTextA(dc, "Flash ad", -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  ::EndPaint(window, &paint);
  return 0;
}

bool RegisterClassNamed(HINSTANCE instance, const char* name, WNDPROC procedure, int background) {
  WNDCLASSA window_class{};
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  window_class.hbrBackground = background < 0 ? nullptr : ::GetSysColorBrush(background);
  window_class.lpszClassName = name;
  if (::RegisterClassA(&window_class) != 0) return true;
  std::fprintf(stderr, "browser-sim: could not register the window class %s (error %lu)\n", name,
               ::GetLastError());
  return false;
}

}  // namespace

bool RegisterBrowserClasses(HINSTANCE instance) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_COOL_CLASSES | ICC_USEREX_CLASSES | ICC_BAR_CLASSES;
  if (!::InitCommonControlsEx(&controls)) {
    Report("the common controls are not available");
    return false;
  }
  return RegisterClassNamed(instance, kFrameClass, &BrowserFrame::FrameProc, COLOR_BTNFACE) &&
         RegisterClassNamed(instance, kDialogClass, &BrowserFrame::FrameProc, COLOR_BTNFACE) &&
         RegisterClassNamed(instance, kWorkerWClass, &BrowserFrame::WorkerProc, COLOR_BTNFACE) &&
         RegisterClassNamed(instance, kWorkerAClass, &BrowserFrame::WorkerProc, COLOR_BTNFACE) &&
         RegisterClassNamed(instance, kDocObjectViewClass, &BrowserFrame::DocViewProc, -1) &&
         RegisterClassNamed(instance, kServerClass, &BrowserFrame::ServerProc, -1) &&
         RegisterClassNamed(instance, kFlashClass, &BrowserFrame::FlashProc, -1);
}

DWORD FrameStyleOf(const OpenOptions& options) {
  if (options.style) return *options.style & ~static_cast<DWORD>(WS_VISIBLE);
  if (options.dialog) return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (!options.max_box) style &= ~static_cast<DWORD>(WS_MAXIMIZEBOX);
  if (!options.min_box) style &= ~static_cast<DWORD>(WS_MINIMIZEBOX);
  // Without its title bar the frame keeps a thin border (WS_BORDER, the other half of
  // WS_CAPTION), as a page's popup opened with titlebar=no does.
  if (!options.title_bar) style &= ~static_cast<DWORD>(WS_DLGFRAME);
  return style;
}

HWND CreateBrowserWindow(HINSTANCE instance, const OpenOptions& options, int id,
                         FrameObserver& observer, const std::optional<PagePopups>& page_popups) {
  return BrowserFrame::Create(instance,
                              std::make_unique<BrowserFrame>(options, id, observer, page_popups));
}

}  // namespace pelkrin::browser_sim
