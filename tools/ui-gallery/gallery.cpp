#include "gallery.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/win32/callback_guard.h"

namespace pelkrin::gallery {
namespace {

using win32::DrawEmbossedLabelText;
using win32::DrawLabelText;

constexpr char kClassName[] = "PelkrinUiGallery";

// The palette: a cool blue-grey window, a deep blue title strip, light gradient buttons.
constexpr COLORREF kBase = RGB(204, 216, 232);
constexpr COLORREF kInk = RGB(26, 42, 78);
constexpr COLORREF kSoftInk = RGB(62, 76, 104);

constexpr RECT kTitleRect{4, 4, kWidth - 4, 26};
constexpr RECT kHeadingRect{14, 33, kWidth - 14, 51};
constexpr RECT kIntroRect{14, 52, kWidth - 14, 66};
constexpr RECT kListRect{14, 70, 226, 178};
constexpr RECT kEditLabelRect{14, 184, 226, 198};
constexpr RECT kEditRect{14, 200, 226, 220};
constexpr RECT kAllowRect{240, 70, kWidth - 14, 94};
constexpr RECT kHelpRect{240, 102, kWidth - 14, 126};
constexpr RECT kRemoveRect{240, 134, kWidth - 14, 158};
constexpr RECT kRememberRect{240, 201, kWidth - 14, 219};
constexpr RECT kFooterRect{14, 232, kWidth - 14, 248};

const char* const kEntries[] = {
    "Allow   www.example.com",
    "Allow   mail.example.org",
    "Allow   news.example.net/today",
    "Block   ads.example.com",
    "Block   popup.example.net/offer?id=7&x=1",
};

HWND CreateField(const char* window_class, DWORD style, const RECT& rect, HWND parent, int id,
                 HINSTANCE instance, HFONT font) {
  HWND field =
      ::CreateWindowExA(0, window_class, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, rect.left,
                        rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (field != nullptr) ::SendMessageA(field, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return field;
}

}  // namespace

Gallery::~Gallery() {
  if (window_ != nullptr && ::IsWindow(window_)) ::DestroyWindow(window_);
}

bool Gallery::Create(HINSTANCE instance) {
  if (!win32::RegisterRainButtonClass(instance)) return false;
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &Gallery::Proc;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  window_class.lpszClassName = kClassName;
  if (::RegisterClassExA(&window_class) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }

  text_font_ = win32::CreateUiFont(8, false);
  bold_font_ = win32::CreateUiFont(8, true);
  title_font_ = win32::CreateUiFont(10, true);
  heading_font_ = win32::CreateUiFont(10, true);
  title_look_ = {RGB(255, 255, 255), RGB(96, 140, 204), RGB(38, 74, 140), title_font_.Get()};
  button_look_ = {kInk, RGB(255, 255, 255), RGB(200, 213, 234), text_font_.Get()};

  const int x = (::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  window_ = ::CreateWindowExA(WS_EX_TOPMOST, kClassName, "Pelkrin - Allow / Block",
                              WS_POPUP | WS_CLIPCHILDREN, x, y, kWidth, kHeight, nullptr, nullptr,
                              instance, this);
  if (window_ == nullptr) return false;

  list_ = CreateField("LISTBOX", LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL, kListRect, window_,
                      kListId, instance, text_font_.Get());
  edit_ =
      CreateField("EDIT", ES_AUTOHSCROLL, kEditRect, window_, kEditId, instance, text_font_.Get());
  allow_ = win32::CreateRainButton(window_, kAllowId, kAllowRect, "Allow (Domain)", button_look_);
  help_ = win32::CreateRainButton(window_, kHelpId, kHelpRect, "&Help", button_look_);
  remove_ = win32::CreateRainButton(window_, kRemoveId, kRemoveRect, "&Remove", button_look_);
  remember_ = CreateField("BUTTON", BS_AUTOCHECKBOX, kRememberRect, window_, kRememberId, instance,
                          text_font_.Get());
  ::SetWindowTextA(remember_, "Remember");
  ::SendMessageA(remember_, BM_SETCHECK, BST_CHECKED, 0);
  background_brush_ = win32::SkinBrush(RECT{0, 0, kWidth, kHeight}, kBase);
  if (list_ == nullptr || edit_ == nullptr || allow_ == nullptr || help_ == nullptr ||
      remove_ == nullptr || remember_ == nullptr) {
    return false;
  }
  for (const char* entry : kEntries) {
    ::SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
  ::SendMessageA(list_, LB_SETCURSEL, 1, 0);
  ::SetWindowTextA(edit_, "ads.example.com");
  ::EnableWindow(remove_, FALSE);
  return true;
}

void Gallery::Show() {
  ::ShowWindow(window_, SW_SHOWNORMAL);
  ::SetForegroundWindow(window_);
  ::SetFocus(allow_);
  ::UpdateWindow(window_);
}

int Gallery::Clicks(int id) const {
  const auto it = clicks_.find(id);
  return it == clicks_.end() ? 0 : it->second;
}

bool Gallery::Dispatch(MSG& msg) {
  if (msg.message == WM_QUIT) {
    quit_ = true;
    quit_code_ = static_cast<int>(msg.wParam);
    return false;
  }
  if (window_ == nullptr || !::IsDialogMessageA(window_, &msg)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  win32::RethrowCallbackException();
  return true;
}

bool Gallery::PumpPending() {
  MSG msg;
  while (!quit_ && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) Dispatch(msg);
  return !quit_;
}

bool Gallery::PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (!PumpPending()) return done();
    if (done()) return true;
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= timeout_ms) return done();
    // Wake for the next message, or re-check soon for conditions no message announces.
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeout_ms - elapsed, 20),
                                QS_ALLINPUT);
  }
}

int Gallery::Run() {
  MSG msg;
  while (!quit_ && ::GetMessageA(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
  return quit_code_;
}

std::optional<RECT> Gallery::CloseBox() const {
  HDC dc = ::GetDC(window_);
  if (dc == nullptr) return std::nullopt;
  std::optional<RECT> box = win32::TitleStripCloseBox(dc, kTitleRect, kTitle, title_look_);
  ::ReleaseDC(window_, dc);
  return box;
}

void Gallery::Paint(HDC dc) const {
  const RECT client{0, 0, kWidth, kHeight};
  win32::PaintSkinBackground(dc, client, kBase);
  win32::PaintTitleStrip(dc, kTitleRect, kTitle, title_look_);
  DrawEmbossedLabelText(dc, kHeadingRect, "Allow / Block list", heading_font_.Get(), kInk,
                        RGB(255, 255, 255), DT_LEFT, false);
  DrawLabelText(dc, kIntroRect,
                "Sites that may open popups, and sites that never may:", text_font_.Get(), kSoftInk,
                DT_LEFT, false);
  DrawLabelText(dc, kEditLabelRect, "Domain or page:", text_font_.Get(), kSoftInk, DT_LEFT, false);
  DrawLabelText(dc, kFooterRect, status_, text_font_.Get(), kSoftInk, DT_RIGHT, false);
  win32::PaintFieldFrame(dc, kListRect, kBase);
  win32::PaintFieldFrame(dc, kEditRect, kBase);
}

LRESULT CALLBACK Gallery::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<Gallery*>(create->lpCreateParams)->window_ = hwnd;
  }
  auto* gallery = reinterpret_cast<Gallery*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (gallery != nullptr) gallery->window_ = nullptr;
  }
  if (gallery == nullptr) return ::DefWindowProcA(hwnd, message, wparam, lparam);
  // Nothing may unwind through Windows' frames: Dispatch raises a parked failure again.
  LRESULT result = 0;
  if (!win32::CallGuarded([&] { result = gallery->Handle(message, wparam, lparam); })) return 0;
  return result;
}

LRESULT Gallery::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers everything, off-screen
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window_, &paint);
      if (dc != nullptr) {
        win32::PaintBuffer buffer(dc, paint.rcPaint);
        Paint(buffer.dc());
      }
      ::EndPaint(window_, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:  // buttons paint their rounded corners over this
      Paint(reinterpret_cast<HDC>(wparam));
      return 0;
    case WM_CTLCOLORSTATIC: {
      // The check box: its label on the window's picture, not on a grey box.
      HDC dc = reinterpret_cast<HDC>(wparam);
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, kSoftInk);
      win32::AlignSkinBrush(dc, reinterpret_cast<HWND>(lparam));
      return reinterpret_cast<LRESULT>(background_brush_.Get());
    }
    case WM_NCHITTEST: {
      POINT point{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      ::ScreenToClient(window_, &point);
      const std::optional<RECT> close = CloseBox();
      if (::PtInRect(&kTitleRect, point) && !(close && ::PtInRect(&*close, point))) {
        return HTCAPTION;  // drag the window by its title strip
      }
      break;
    }
    case WM_LBUTTONUP: {
      const POINT point{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      const std::optional<RECT> close = CloseBox();
      if (close && ::PtInRect(&*close, point)) ::PostMessageA(window_, WM_CLOSE, 0, 0);
      return 0;
    }
    case WM_COMMAND:
      // The dialog manager's own commands: IDOK for an Enter no control took, IDCANCEL for
      // Escape.
      if (LOWORD(wparam) == IDOK) {
        ++ok_count_;
      } else if (LOWORD(wparam) == IDCANCEL) {
        ::PostMessageA(window_, WM_CLOSE, 0, 0);
      } else if (HIWORD(wparam) == BN_CLICKED && lparam != 0) {
        const int count = ++clicks_[LOWORD(wparam)];
        // Say which button was clicked, so keyboard use can be seen (and screenshotted).
        HWND button = reinterpret_cast<HWND>(lparam);
        char caption[64] = {};
        ::GetWindowTextA(button, caption, sizeof(caption));
        status_ =
            "Clicked: " + win32::SplitAccessKey(caption).text + " (" + std::to_string(count) + ")";
        ::InvalidateRect(window_, &kFooterRect, FALSE);
        if (LOWORD(wparam) == kSelfDestructId) ::DestroyWindow(reinterpret_cast<HWND>(lparam));
      }
      return 0;
    case WM_CLOSE:
      ::DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcA(window_, message, wparam, lparam);
}

std::optional<Screenshot> CaptureWindow(HWND window) {
  RECT rect;
  if (!::GetWindowRect(window, &rect)) return std::nullopt;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  win32::PixelSurface surface(width, height);
  if (!surface) return std::nullopt;
  HDC screen = ::GetDC(nullptr);
  if (screen == nullptr) return std::nullopt;
  const BOOL copied = ::BitBlt(surface.dc(), 0, 0, width, height, screen, rect.left, rect.top,
                               SRCCOPY | CAPTUREBLT);
  ::ReleaseDC(nullptr, screen);
  ::GdiFlush();
  if (!copied) return std::nullopt;
  Screenshot shot{width, height, {}};
  shot.pixels.assign(surface.pixels(), surface.pixels() + width * height);
  return shot;
}

bool SaveBmp(const Screenshot& shot, const std::string& path) {
  const int width = shot.width;
  const int height = shot.height;
  // A bottom-up 24-bit BMP: rows padded to 4 bytes, blue-green-red.
  const int row_bytes = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(row_bytes * height);
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::vector<std::uint8_t> data(file.bfSize, 0);
  std::copy_n(reinterpret_cast<const std::uint8_t*>(&file), sizeof(file), data.begin());
  std::copy_n(reinterpret_cast<const std::uint8_t*>(&info), sizeof(info),
              data.begin() + sizeof(file));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = data.data() + file.bfOffBits + (height - 1 - y) * row_bytes;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel = shot.pixels[y * width + x];
      row[x * 3 + 0] = static_cast<std::uint8_t>(pixel & 0xFF);
      row[x * 3 + 1] = static_cast<std::uint8_t>((pixel >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<std::uint8_t>((pixel >> 16) & 0xFF);
    }
  }

  win32::ScopedFile out(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) return false;
  DWORD written = 0;
  const bool ok =
      ::WriteFile(out.Get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
      written == data.size();
  const bool closed = ::CloseHandle(out.Release()) != FALSE;
  if (!ok || !closed) {
    ::DeleteFileA(path.c_str());  // no half-written picture left behind
    return false;
  }
  return true;
}

}  // namespace pelkrin::gallery
