#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "platform/win32/callback_guard.h"
#include "platform/win32/diagnostics.h"
#include "platform/win32/win32_platform.h"

namespace pelkrin::win32 {

namespace {

const char* OrNull(const std::string* text) { return text ? text->c_str() : nullptr; }

BOOL CALLBACK EnumTopLevelProc(HWND window, LPARAM context) {
  const auto& visit = *reinterpret_cast<const std::function<bool(Hwnd)>*>(context);
  bool go_on = false;
  CallGuarded([&] { go_on = visit(FromHwnd(window)); });
  return go_on ? TRUE : FALSE;
}

// Calls a GetClassNameA-like function with a buffer of buffer_chars characters and returns
// what it copied.
template <typename Getter>
std::string ReadName(int buffer_chars, Getter getter) {
  if (buffer_chars <= 0) return {};
  std::string buffer(static_cast<std::size_t>(buffer_chars), '\0');
  const int copied = getter(buffer.data(), buffer_chars);
  buffer.resize(copied > 0 && copied < buffer_chars ? static_cast<std::size_t>(copied) : 0);
  return buffer;
}

}  // namespace

void Win32WindowManager::EnumTopLevel(const std::function<bool(Hwnd)>& visit) {
  // The top-level windows of this thread's desktop, as EnumWindows lists them. Wine's EnumWindows
  // asks the server once more for each window whether it still exists, a round trip per window
  // that holds the caller for a long time on a crowded desktop; this lists them in one, and a
  // window gone meanwhile reads as nothing to the visitor.
  ::EnumDesktopWindows(nullptr, &EnumTopLevelProc, reinterpret_cast<LPARAM>(&visit));
  RethrowCallbackException();
}

Hwnd Win32WindowManager::FindTopLevel(const std::string* class_name, const std::string* caption) {
  return FromHwnd(::FindWindowA(OrNull(class_name), OrNull(caption)));
}

Hwnd Win32WindowManager::FindChild(Hwnd parent, Hwnd after, const std::string* class_name,
                                   const std::string* caption) {
  return FromHwnd(
      ::FindWindowExA(ToHwnd(parent), ToHwnd(after), OrNull(class_name), OrNull(caption)));
}

Hwnd Win32WindowManager::FirstChild(Hwnd window) {
  return FromHwnd(::GetWindow(ToHwnd(window), GW_CHILD));
}

Hwnd Win32WindowManager::NextSibling(Hwnd window) {
  return FromHwnd(::GetWindow(ToHwnd(window), GW_HWNDNEXT));
}

std::string Win32WindowManager::ClassName(Hwnd window, int buffer_chars) {
  return ReadName(buffer_chars, [window](char* buffer, int chars) {
    return ::GetClassNameA(ToHwnd(window), buffer, chars);
  });
}

int Win32WindowManager::CaptionLength(Hwnd window) {
  return ::GetWindowTextLengthA(ToHwnd(window));
}

std::string Win32WindowManager::Caption(Hwnd window, int buffer_chars) {
  // Wine answers GetWindowTextA for no window at all with a count and bytes of its own.
  if (window == kNoWindow) return {};
  return ReadName(buffer_chars, [window](char* buffer, int chars) {
    return ::GetWindowTextA(ToHwnd(window), buffer, chars);
  });
}

std::uint32_t Win32WindowManager::Style(Hwnd window) {
  return static_cast<std::uint32_t>(::GetWindowLongA(ToHwnd(window), GWL_STYLE));
}

std::uint32_t Win32WindowManager::ExStyle(Hwnd window) {
  return static_cast<std::uint32_t>(::GetWindowLongA(ToHwnd(window), GWL_EXSTYLE));
}

struct Win32WindowManager::LayeredDoneList {
  LayeredDoneList() { ::InitializeCriticalSection(&lock); }
  ~LayeredDoneList() { ::DeleteCriticalSection(&lock); }
  LayeredDoneList(const LayeredDoneList&) = delete;
  LayeredDoneList& operator=(const LayeredDoneList&) = delete;
  void Add(LayeredDone change) {
    ::EnterCriticalSection(&lock);
    done.push_back(change);
    ::LeaveCriticalSection(&lock);
  }
  CRITICAL_SECTION lock;
  std::vector<LayeredDone> done;  // under the lock
};

namespace {

bool SetExStyleOf(HWND window, LONG_PTR ex_style) {
  // The old value may be 0: only the last error tells a failure.
  ::SetLastError(ERROR_SUCCESS);
  return ::SetWindowLongPtrA(window, GWL_EXSTYLE, ex_style) != 0 ||
         ::GetLastError() == ERROR_SUCCESS;
}

// Runs on the thread of layered changes.
bool ChangeLayered(HWND target, std::optional<std::uint8_t> alpha, unsigned timeout_ms) {
  // A program that takes a WM_NULL within the limit is in its message loop, and takes the
  // change next; one that has stopped answering is not asked at all.
  DWORD_PTR ignored = 0;
  if (!::SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeout_ms,
                             &ignored))
    return false;
  const LONG_PTR old = ::GetWindowLongPtrA(target, GWL_EXSTYLE);
  if (!alpha) return !(old & WS_EX_LAYERED) || SetExStyleOf(target, old & ~WS_EX_LAYERED);
  if ((old & WS_EX_LAYERED) || !SetExStyleOf(target, old | WS_EX_LAYERED)) return false;
  if (::SetLayeredWindowAttributes(target, 0, *alpha, LWA_ALPHA)) return true;
  // Layered without an alpha it would not be drawn at all: it goes back as it was.
  if (!SetExStyleOf(target, old))
    TraceDiagnostic("a window kept WS_EX_LAYERED without an alpha, error " +
                    std::to_string(::GetLastError()));
  return false;
}

}  // namespace

void Win32WindowManager::RequestLayered(Hwnd window, std::optional<std::uint8_t> alpha,
                                        unsigned timeout_ms) {
  if (!layered_done_) layered_done_ = std::make_shared<LayeredDoneList>();
  const bool posted = layered_changes_.Post([done = layered_done_, window, alpha, timeout_ms] {
    done->Add(
        LayeredDone{window, alpha.has_value(), ChangeLayered(ToHwnd(window), alpha, timeout_ms)});
  });
  // Nothing can make the change: it is reported as not taken.
  if (!posted) layered_done_->Add(LayeredDone{window, alpha.has_value(), false});
}

std::vector<WindowManager::LayeredDone> Win32WindowManager::TakeLayeredDone() {
  if (!layered_done_) return {};
  ::EnterCriticalSection(&layered_done_->lock);
  std::vector<LayeredDone> done = std::exchange(layered_done_->done, {});
  ::LeaveCriticalSection(&layered_done_->lock);
  return done;
}

bool Win32WindowManager::WaitLayered(unsigned timeout_ms) {
  return layered_changes_.WaitIdle(timeout_ms);
}

std::optional<std::uint8_t> Win32WindowManager::LayeredAlpha(Hwnd window) {
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  if (!::GetLayeredWindowAttributes(ToHwnd(window), &key, &alpha, &flags) || !(flags & LWA_ALPHA))
    return std::nullopt;
  return alpha;
}

bool Win32WindowManager::IsVisible(Hwnd window) {
  return ::IsWindowVisible(ToHwnd(window)) != FALSE;
}

bool Win32WindowManager::IsWindow(Hwnd window) { return ::IsWindow(ToHwnd(window)) != FALSE; }

void Win32WindowManager::SetCaption(Hwnd window, const std::string& caption) {
  const HWND target = ToHwnd(window);
  if (::GetWindowThreadProcessId(target, nullptr) == ::GetCurrentThreadId()) {
    ::SetWindowTextA(target, caption.c_str());
    RethrowCallbackException();  // our own window procedure ran
    return;
  }
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()),
                        SMTO_ABORTIFHUNG | SMTO_BLOCK, kSetCaptionTimeoutMs, &result);
}

void Win32WindowManager::Show(Hwnd window, int command) {
  ::ShowWindowAsync(ToHwnd(window), command);
}

void Win32WindowManager::Post(Hwnd window, std::uint32_t message, WParam wparam, LParam lparam) {
  ::PostMessageA(ToHwnd(window), message, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam));
}

std::optional<long> Win32WindowManager::SendGetTextLength(Hwnd window, unsigned timeout_ms) {
  // Asked in UTF-16 units: under Wine the ANSI form of this one message ignores its time limit
  // on a window that stopped answering, and would freeze the program. An ANSI character takes
  // at most MaxCharSize bytes, so the answer is scaled to a length that surely holds the ANSI
  // text (WM_GETTEXTLENGTH may always answer more than the text holds).
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(ToHwnd(window), WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             timeout_ms, &length))
    return std::nullopt;
  static const UINT max_char_size = [] {
    CPINFO info{};
    return ::GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 0 ? info.MaxCharSize : 2u;
  }();
  return static_cast<long>(std::min<DWORD_PTR>(length, 0x3FFFFFFF) * max_char_size);
}

std::optional<std::string> Win32WindowManager::SendGetText(Hwnd window, std::size_t buffer_chars,
                                                           unsigned timeout_ms) {
  std::string buffer(buffer_chars, '\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutA(ToHwnd(window), WM_GETTEXT, buffer_chars,
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             timeout_ms, &copied))
    return std::nullopt;
  return buffer;  // the whole buffer: the caller strips the NULs
}

bool Win32WindowManager::IsKeyDown(int virtual_key) {
  return (::GetAsyncKeyState(virtual_key) & 0x8000) != 0;
}

void Win32WindowManager::MakeTopmost(Hwnd window) {
  // Another thread's window gets the request posted (SWP_ASYNCWINDOWPOS), so a hung window
  // cannot block the call. This thread's windows are moved directly: Wine drops an
  // asynchronous request for a hidden window of the calling thread now and then.
  const HWND target = ToHwnd(window);
  const bool ours = ::GetWindowThreadProcessId(target, nullptr) == ::GetCurrentThreadId();
  ::SetWindowPos(target, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | (ours ? 0 : SWP_ASYNCWINDOWPOS));
  if (ours) RethrowCallbackException();  // our own window procedure ran
}

WindowEventHandler& Win32WindowManager::Watcher() {
  static WindowEventHandler watcher;
  return watcher;
}

bool Win32WindowManager::WatchWindowEvents(WindowEventHandler handler) {
  creation_and_show_hook_.Reset();
  caption_hook_.Reset();
  Watcher() = std::move(handler);
  if (!Watcher()) return true;
  // Out of context: the system queues each event to this thread, which takes it while it pumps
  // messages; nothing is loaded into the other programs. The range holds EVENT_OBJECT_DESTROY
  // too, which the procedure passes over.
  constexpr DWORD kFlags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
  creation_and_show_hook_.Reset(::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr,
                                                  &Win32WindowManager::WinEventProc, 0, 0, kFlags));
  caption_hook_.Reset(::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                        &Win32WindowManager::WinEventProc, 0, 0, kFlags));
  return creation_and_show_hook_.Get() != nullptr;
}

void CALLBACK Win32WindowManager::WinEventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                               LONG child, DWORD, DWORD) {
  // Only the windows themselves (not their scroll bars, carets or list items).
  if (window == nullptr || object != OBJID_WINDOW || child != CHILDID_SELF) return;
  WindowEvent kind;
  switch (event) {
    case EVENT_OBJECT_CREATE:
      kind = WindowEvent::kCreated;
      break;
    case EVENT_OBJECT_SHOW:
      kind = WindowEvent::kShown;
      break;
    case EVENT_OBJECT_NAMECHANGE:
      kind = WindowEvent::kCaptionChanged;
      break;
    default:
      return;
  }
  // The browser's frames and dialogs have the desktop for parent. Of the windows inside them
  // only the creation counts, reported with the top-level window: what the survey remembers of
  // a frame's children holds until then.
  HWND reported = window;
  if (::GetAncestor(window, GA_PARENT) != ::GetDesktopWindow()) {
    if (kind != WindowEvent::kCreated) return;
    reported = ::GetAncestor(window, GA_ROOT);
    if (reported == nullptr || reported == window) return;
    kind = WindowEvent::kChildCreated;
  }
  if (!FitsSeam(reported)) return;
  const WindowEventHandler watcher = Watcher();  // the handler may stop the reports
  if (watcher) CallGuarded([&] { watcher(kind, FromHwnd(reported)); });
}

namespace {

struct KeyWatch {
  int key = 0;
  std::function<void()> pressed;
};
KeyWatch& TheKeyWatch() {
  static KeyWatch watch;
  return watch;
}

bool IsWatchedKey(USHORT reported, int watched) {
  // Raw input names either CTRL key VK_CONTROL; some drivers name its side.
  if (watched == VK_CONTROL)
    return reported == VK_CONTROL || reported == VK_LCONTROL || reported == VK_RCONTROL;
  return reported == watched;
}

constexpr char kKeyWatchClass[] = "PelkrinKeyWatch";

}  // namespace

LRESULT CALLBACK Win32WindowManager::KeyWatchProc(HWND window, UINT message, WPARAM wparam,
                                                  LPARAM lparam) {
  if (message == WM_INPUT) {
    RAWINPUT input{};
    UINT size = sizeof input;
    const UINT read = ::GetRawInputData(reinterpret_cast<HRAWINPUT>(lparam), RID_INPUT, &input,
                                        &size, sizeof(RAWINPUTHEADER));
    if (read != static_cast<UINT>(-1) && read >= sizeof(RAWINPUTHEADER) &&
        input.header.dwType == RIM_TYPEKEYBOARD && !(input.data.keyboard.Flags & RI_KEY_BREAK) &&
        IsWatchedKey(input.data.keyboard.VKey, TheKeyWatch().key)) {
      const std::function<void()> pressed = TheKeyWatch().pressed;  // it may stop the watch
      if (pressed) CallGuarded(pressed);
    }
  }
  // WM_INPUT too: the system frees the input's data there.
  return ::DefWindowProcA(window, message, wparam, lparam);
}

bool Win32WindowManager::WatchKeyPresses(int virtual_key, std::function<void()> pressed) {
  if (key_window_) {
    RAWINPUTDEVICE device{0x01, 0x06, RIDEV_REMOVE, nullptr};  // generic desktop, keyboard
    if (!::RegisterRawInputDevices(&device, 1, sizeof device))
      TraceDiagnostic("the keyboard's raw input could not be stopped: error " +
                      std::to_string(::GetLastError()));
    key_window_.Reset();
  }
  TheKeyWatch() = KeyWatch{virtual_key, std::move(pressed)};
  if (!TheKeyWatch().pressed) return true;
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &Win32WindowManager::KeyWatchProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kKeyWatchClass;
  ::RegisterClassA(&window_class);  // fails harmlessly when an earlier watch registered it
  key_window_.Reset(::CreateWindowExA(0, kKeyWatchClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      instance, nullptr));
  if (!key_window_) return false;
  RAWINPUTDEVICE device{0x01, 0x06, RIDEV_INPUTSINK, key_window_.Get()};
  if (!::RegisterRawInputDevices(&device, 1, sizeof device)) {
    TraceDiagnostic("the keyboard's raw input is not available (error " +
                    std::to_string(::GetLastError()) + "); CTRL is polled instead");
    key_window_.Reset();
    return false;
  }
  return true;
}

}  // namespace pelkrin::win32
