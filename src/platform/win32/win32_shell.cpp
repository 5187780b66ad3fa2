#include "platform/win32/win32_platform.h"
// After win32_platform.h, which prepares <windows.h>.
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/win32/callback_guard.h"
#include "platform/win32/diagnostics.h"
#include "platform/win32/lazy_libraries.h"

namespace pelkrin::win32 {

namespace {

// Our subclass of a window among any others the window may have.
constexpr char kSubclassProperty[] = "PelkrinTraySubclass";

bool RegisterIconWindowClass(const std::string& name) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &::DefWindowProcA;
  window_class.hInstance = ::GetModuleHandleA(nullptr);
  window_class.lpszClassName = name.c_str();
  return ::RegisterClassA(&window_class) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

// ---- Sound ----

// winmm and what it brings with it are loaded with the first sound, which comes after the icon.
unsigned Win32Sound::WaveOutDeviceCount() { return lazy::waveOutGetNumDevs(); }

bool Win32Sound::Play(const std::string& path, unsigned flags) {
  return lazy::sndPlaySoundA(path.c_str(), flags) != FALSE;
}

// ---- Notification area ----

Win32NotifyArea::~Win32NotifyArea() {
  // The windows go while the subclass records still exist, so the handlers see their last
  // messages (WM_NCDESTROY removes each record).
  while (!windows_.empty()) {
    ScopedWindow doomed = std::move(windows_.begin()->second);
    windows_.erase(windows_.begin());
  }
  // Windows of others that outlive this object keep no subclass that leads here.
  while (!subclasses_.empty()) Unsubclass(subclasses_.begin()->first);
}

Hwnd Win32NotifyArea::CreateIconWindow(const std::string& window_class) {
  if (!RegisterIconWindowClass(window_class)) return kNoWindow;
  const HWND window = ::CreateWindowExA(0, window_class.c_str(), "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                        nullptr, ::GetModuleHandleA(nullptr), nullptr);
  if (!window) return kNoWindow;
  windows_.emplace(window, ScopedWindow(window));
  return FromHwnd(window);
}

void Win32NotifyArea::DestroyIconWindow(Hwnd window) {
  const auto found = windows_.find(ToHwnd(window));
  if (found == windows_.end()) return;
  ScopedWindow doomed = std::move(found->second);
  windows_.erase(found);
  doomed.Reset();  // the handler still sees WM_DESTROY and WM_NCDESTROY
  RethrowCallbackException();
}

void Win32NotifyArea::SetMessageHandler(Hwnd window, MessageHandler handler) {
  const HWND target = ToHwnd(window);
  if (!::IsWindow(target)) return;
  const auto found = subclasses_.find(target);
  if (!handler) {
    if (found != subclasses_.end()) Unsubclass(target);
    return;
  }
  if (found != subclasses_.end()) {
    found->second->handler = std::move(handler);
    return;
  }
  auto subclass = std::make_unique<Subclass>(Subclass{this, std::move(handler), nullptr});
  if (!::SetPropA(target, kSubclassProperty, subclass.get())) {
    TraceDiagnostic("the tray window could not be subclassed (error " +
                    std::to_string(::GetLastError()) + ")");
    return;
  }
  const LONG_PTR previous = ::SetWindowLongPtrA(
      target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32NotifyArea::SubclassProc));
  if (previous == 0) {
    TraceDiagnostic("the tray window could not be subclassed (error " +
                    std::to_string(::GetLastError()) + ")");
    ::RemovePropA(target, kSubclassProperty);
    return;
  }
  subclass->previous = reinterpret_cast<WNDPROC>(previous);
  subclasses_.emplace(target, std::move(subclass));
}

void Win32NotifyArea::Unsubclass(HWND window) {
  const auto found = subclasses_.find(window);
  if (found == subclasses_.end()) return;
  if (::IsWindow(window)) {
    ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->second->previous));
    ::RemovePropA(window, kSubclassProperty);
  }
  subclasses_.erase(found);
}

LRESULT CALLBACK Win32NotifyArea::SubclassProc(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam) {
  const auto* subclass = static_cast<const Subclass*>(::GetPropA(window, kSubclassProperty));
  if (!subclass) return ::DefWindowProcA(window, message, wparam, lparam);
  // Copies: the handler may replace or remove itself, or destroy the window.
  Win32NotifyArea* const owner = subclass->owner;
  const WNDPROC previous = subclass->previous;
  CallGuarded([&] {
    const MessageHandler handler = subclass->handler;
    handler(message, static_cast<WParam>(wparam), static_cast<LParam>(lparam));
  });
  // The last message: the subclass goes before the window does (the handle may be reused).
  if (message == WM_NCDESTROY) owner->Unsubclass(window);
  return ::CallWindowProcA(previous, window, message, wparam, lparam);
}

namespace {

bool NotifyShell(std::uint32_t operation, const NotifyIconRecord& record) {
  // The shell's first structure, in this architecture's layout (88 bytes on 32-bit Windows,
  // more on 64-bit Windows, where the window and icon handles are 8 bytes wide).
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = ToHwnd(record.window);
  data.uID = record.id;
  data.uFlags = record.flags;
  data.uCallbackMessage = record.callback_message;
  data.hIcon = WidenHandle<HICON>(record.icon);
  static_assert(sizeof record.tip == 64 && sizeof data.szTip >= sizeof record.tip);
  std::memcpy(data.szTip, record.tip, sizeof record.tip);
  data.szTip[sizeof record.tip - 1] = '\0';  // the shell reads a terminated tip
  return ::Shell_NotifyIconA(operation, &data) != FALSE;
}

}  // namespace

bool Win32NotifyArea::Notify(std::uint32_t operation, const NotifyIconRecord& record) {
  if (!changes_.WaitIdle(kShellWaitMs))
    TraceDiagnostic("the shell has not taken the tray icon's last changes yet");
  return NotifyShell(operation, record);
}

void Win32NotifyArea::ChangeLater(const NotifyIconRecord& record) {
  const auto change = [record] {
    if (!NotifyShell(NIM_MODIFY, record)) TraceDiagnostic("the tray icon could not be changed");
  };
  // One change of the same icon's same fields that has not reached the shell yet is replaced.
  const std::uint64_t key =
      record.id <= 0xFFFF && record.flags <= 0xFFFF
          ? std::uint64_t{record.window} << 32 | record.id << 16 | record.flags
          : 0;
  if (!changes_.Post(change, key)) change();  // no thread: this one waits for the shell
}

std::uint32_t Win32NotifyArea::TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
  return message;
}

// ---- Dialogs ----

int Win32Dialogs::MessageBox(const std::string& text, const std::string& title, unsigned style) {
  const int answer = ::MessageBoxA(nullptr, text.c_str(), title.c_str(), style);
  RethrowCallbackException();  // timers keep ticking inside the box's message loop
  return answer;
}

std::optional<std::string> Win32Dialogs::OpenFile(const FileDialogRequest& request) {
  // "Description|*.ext" becomes the double-NUL-terminated list the dialog reads.
  std::string filter = request.filter;
  std::replace(filter.begin(), filter.end(), '|', '\0');
  filter.append(2, '\0');
  std::string file(4096, '\0');
  request.file_name.copy(file.data(), std::min(request.file_name.size(), file.size() - 1));

  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = ToHwnd(request.owner);
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir =
      request.initial_folder.empty() ? nullptr : request.initial_folder.c_str();
  dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  const BOOL chosen = lazy::GetOpenFileNameA(&dialog);
  RethrowCallbackException();
  if (!chosen) return std::nullopt;
  file.resize(std::strlen(file.c_str()));
  return file;
}

// ---- Pictures ----

Picture Win32Pictures::LoadIcon(int resource_id) {
  // Anything else would be read as a resource name pointer.
  if (resource_id <= 0 || resource_id > 0xFFFF) return Picture{};
  auto found = icons_.find(resource_id);
  if (found == icons_.end()) {
    // LR_SHARED: the system owns the icon and keeps it for the process; never destroyed here.
    const auto icon = static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource_id), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (!icon) return Picture{};
    found = icons_.emplace(resource_id, icon).first;
  }
  return Picture{Picture::Kind::kIcon, NarrowHandle(found->second)};
}

}  // namespace pelkrin::win32
