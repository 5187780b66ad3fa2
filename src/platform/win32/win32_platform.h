// The platform seam on the real Windows API: each class maps its interface onto the ANSI Win32
// calls one for one. Win32Platform owns one of each and hands them out as a Platform.
#pragma once

// <windows.h> comes before platform.h: its macros for generic names (MessageBox, LoadIcon,
// DeleteFile, ReplaceFile) then rename the seam's methods of those names consistently in every
// translation unit that sees both, and calls through the interfaces are unaffected.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/serial_worker.h"

namespace pelkrin::win32 {

// Handles travel through the seam as 32-bit values. Windows keeps window, menu, icon, registry
// and kernel handles within 32 bits on 64-bit systems as well, and there the full handle is the
// 32-bit value sign-extended: HKEY_CURRENT_USER is 0x80000001 on 32-bit Windows and
// 0xFFFFFFFF80000001 on 64-bit Windows. These two are the only conversions; zero extension
// would give a handle that Wine accepts and Windows does not.
template <typename Handle>
Handle WidenHandle(std::uint32_t value) {
  return reinterpret_cast<Handle>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
template <typename Handle>
std::uint32_t NarrowHandle(Handle handle) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}
// True when the handle survives the trip through the seam unchanged.
template <typename Handle>
bool FitsSeam(Handle handle) {
  return WidenHandle<Handle>(NarrowHandle(handle)) == handle;
}

inline HWND ToHwnd(Hwnd window) { return WidenHandle<HWND>(window); }
inline Hwnd FromHwnd(HWND window) { return NarrowHandle(window); }

class Win32WindowManager : public WindowManager {
 public:
  // How long SetCaption waits for another program's window to take its new text.
  static constexpr UINT kSetCaptionTimeoutMs = 1000;

  Win32WindowManager() = default;
  Win32WindowManager(const Win32WindowManager&) = delete;
  Win32WindowManager& operator=(const Win32WindowManager&) = delete;

  void EnumTopLevel(const std::function<bool(Hwnd)>& visit) override;
  Hwnd FindTopLevel(const std::string* class_name, const std::string* caption) override;
  Hwnd FindChild(Hwnd parent, Hwnd after, const std::string* class_name,
                 const std::string* caption) override;
  Hwnd FirstChild(Hwnd window) override;
  Hwnd NextSibling(Hwnd window) override;
  std::string ClassName(Hwnd window, int buffer_chars) override;
  int CaptionLength(Hwnd window) override;
  std::string Caption(Hwnd window, int buffer_chars) override;
  std::uint32_t Style(Hwnd window) override;
  std::uint32_t ExStyle(Hwnd window) override;
  // On a thread started with the first change: WM_NULL with the time limit first, as
  // SetWindowLongPtrA would wait for a hung program for ever.
  void RequestLayered(Hwnd window, std::optional<std::uint8_t> alpha, unsigned timeout_ms) override;
  std::vector<LayeredDone> TakeLayeredDone() override;
  [[nodiscard]] bool WaitLayered(unsigned timeout_ms) override;
  std::optional<std::uint8_t> LayeredAlpha(Hwnd window) override;
  bool IsVisible(Hwnd window) override;
  bool IsWindow(Hwnd window) override;
  // SetWindowTextA for this thread's windows; another thread's window gets WM_SETTEXT with a
  // time limit, because SetWindowTextA would wait for a hung window for ever.
  void SetCaption(Hwnd window, const std::string& caption) override;
  void Show(Hwnd window, int command) override;  // ShowWindowAsync
  void Post(Hwnd window, std::uint32_t message, WParam wparam, LParam lparam) override;
  [[nodiscard]] std::optional<long> SendGetTextLength(Hwnd window, unsigned timeout_ms) override;
  [[nodiscard]] std::optional<std::string> SendGetText(Hwnd window, std::size_t buffer_chars,
                                                       unsigned timeout_ms) override;
  bool IsKeyDown(int virtual_key) override;
  // Also asynchronous for another thread's window, so a hung window cannot block the call.
  void MakeTopmost(Hwnd window) override;
  // Out-of-context WinEvent hooks (no code goes into the other programs) for creation, showing
  // and caption changes of other processes' top-level windows, and creation inside them. Wine
  // delivers creation alone (of top-level and child windows alike). One watcher per process: the
  // hook's procedure has no context of its own.
  [[nodiscard]] bool WatchWindowEvents(WindowEventHandler handler) override;
  // Raw keyboard input to a message-only window of this thread, taken whichever program has the
  // keyboard (RIDEV_INPUTSINK). One watch per process, like the window events.
  [[nodiscard]] bool WatchKeyPresses(int virtual_key, std::function<void()> pressed) override;

 private:
  static void CALLBACK WinEventProc(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                    LONG child, DWORD thread, DWORD time);
  static WindowEventHandler& Watcher();
  static LRESULT CALLBACK KeyWatchProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  ScopedWinEventHook creation_and_show_hook_, caption_hook_;
  ScopedWindow key_window_;
  // The changes made, shared with their thread, which may outlive this object while it waits
  // for a program that stopped answering.
  struct LayeredDoneList;
  std::shared_ptr<LayeredDoneList> layered_done_;
  SerialWorker layered_changes_;
};

class Win32ProfileFile : public ProfileFile {
 public:
  std::string Read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& fallback, std::size_t buffer_chars) override;
  [[nodiscard]] bool Write(const std::string& path, const std::string& section,
                           const std::string& key, const std::string& value) override;
};

class Win32Registry : public Registry {
 public:
  [[nodiscard]] long OpenKey(RegKey root, const std::string& path, std::uint32_t access,
                             RegKey* key) override;
  [[nodiscard]] long CreateKey(RegKey root, const std::string& path, std::uint32_t access,
                               RegKey* key) override;
  [[nodiscard]] long QueryValue(RegKey key, const std::string& name, std::string* data,
                                std::uint32_t* size) override;
  [[nodiscard]] long SetStringValue(RegKey key, const std::string& name,
                                    const std::string& text) override;
  [[nodiscard]] long DeleteValue(RegKey key, const std::string& name) override;
  [[nodiscard]] long DeleteKey(RegKey key, const std::string& subkey) override;
  [[nodiscard]] long CloseKey(RegKey key) override;
};

class Win32Sound : public Sound {
 public:
  unsigned WaveOutDeviceCount() override;
  [[nodiscard]] bool Play(const std::string& path, unsigned flags) override;
};

class Win32NotifyArea : public NotifyArea {
 public:
  Win32NotifyArea() = default;
  Win32NotifyArea(const Win32NotifyArea&) = delete;
  Win32NotifyArea& operator=(const Win32NotifyArea&) = delete;
  ~Win32NotifyArea() override;

  // A hidden top-level window (not a message-only one, so other programs find it with
  // FindWindowA) of the class the caller names, registered on first use.
  [[nodiscard]] Hwnd CreateIconWindow(const std::string& window_class) override;
  void DestroyIconWindow(Hwnd window) override;
  // Subclasses the window (a window of this thread): the handler sees every message before the
  // window's own procedure, up to WM_NCDESTROY, where the subclass is removed.
  void SetMessageHandler(Hwnd window, MessageHandler handler) override;
  // Waits first for the changes on their way (up to kShellWaitMs), so that an icon is never
  // changed after its removal.
  [[nodiscard]] bool Notify(std::uint32_t operation, const NotifyIconRecord& record) override;
  void ChangeLater(const NotifyIconRecord& record) override;
  std::uint32_t TaskbarCreatedMessage() override;

  static constexpr DWORD kShellWaitMs = 5000;

 private:
  // The window's own procedure replaced (GWLP_WNDPROC), with the record in a window property:
  // no common controls library before the icon is in.
  struct Subclass {
    Win32NotifyArea* owner;
    MessageHandler handler;
    WNDPROC previous;
  };
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Unsubclass(HWND window);

  // Declared before windows_ so that the windows go first and their last messages still reach
  // the handlers.
  std::map<HWND, std::unique_ptr<Subclass>> subclasses_;
  std::map<HWND, ScopedWindow> windows_;
  SerialWorker changes_;  // of the icons, for the shell
};

class Win32Dialogs : public Dialogs {
 public:
  int MessageBox(const std::string& text, const std::string& title, unsigned style) override;
  [[nodiscard]] std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
};

class Win32Pictures : public Pictures {
 public:
  // The small (tray) size. Loaded shared and kept for the process, so handles never dangle.
  Picture LoadIcon(int resource_id) override;

 private:
  std::map<int, HICON> icons_;
};

class Win32EventLoop : public EventLoop {
 public:
  Win32EventLoop();
  Win32EventLoop(const Win32EventLoop&) = delete;
  Win32EventLoop& operator=(const Win32EventLoop&) = delete;
  ~Win32EventLoop() override;  // stops this loop's timers

  // GetTickCount64 where the system has it; otherwise GetTickCount widened across its 49.7-day
  // wrap (the program calls this far more often than that).
  std::uint64_t MonotonicMs() override;
  std::string ShortDate() override;
  std::string TimeText() override;
  // A thread timer. A tick never re-enters itself: a WM_TIMER that comes while the timer's
  // previous tick still runs (waiting, say) is dropped.
  [[nodiscard]] std::uint32_t StartTimer(unsigned interval_ms, std::function<void()> tick) override;
  void StopTimer(std::uint32_t timer) override;
  // Dispatches the messages that are queued now, and at most one that arrived after the call
  // began (so a tick slower than its interval cannot keep the caller here for ever). WM_QUIT
  // is posted again for the outer loop.
  void ProcessPendingEvents() override;
  // Returns as soon as any input is queued, including input that was queued already.
  void WaitForEvents(unsigned max_ms) override;
  void Sleep(unsigned ms) override;
  void SetIdleWork(std::function<std::optional<unsigned>()> work) override;

  // The program's message loop, until WM_QUIT (whose exit code it returns). The idle work runs
  // here, after every message and whenever it asked to run again; a handler that fails is
  // skipped with a diagnostic line and the loop goes on.
  int RunMessageLoop();

  // Sees each message before it is dispatched; returns true when it handled it (the skinned
  // windows route keyboard messages through IsDialogMessage here).
  void SetDialogMessageFilter(std::function<bool(MSG&)> filter) { filter_ = std::move(filter); }

 private:
  struct Timer {
    Win32EventLoop* owner;
    std::uint32_t token;  // what StartTimer returned
    std::function<void()> tick;
    bool running = false;
  };
  static void CALLBACK TimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
  static std::map<UINT_PTR, std::shared_ptr<Timer>>& Timers();

  using TickCount64Function = ULONGLONG(WINAPI*)();
  TickCount64Function tick_count64_ = nullptr;
  DWORD last_tick_ = 0;
  std::uint64_t wraps_ = 0;
  std::uint32_t last_token_ = 0;
  std::function<bool(MSG&)> filter_;
  std::function<std::optional<unsigned>()> idle_work_;
};

class Win32FileSystem : public FileSystem {
 public:
  // Reads up to kMaxReadBytes; a longer file, or a read that fails, gives what came before the
  // limit or the failure, marked as not whole.
  [[nodiscard]] std::optional<FileContents> ReadFile(const std::string& path) override;
  // Writes a temporary file in the target's folder, flushes it, and moves it over the target;
  // on any failure the temporary file goes and the old file stays as it was.
  [[nodiscard]] bool ReplaceFile(const std::string& path, const std::string& bytes) override;
  // Through the wide functions, so that a name is never turned into another file's name.
  [[nodiscard]] std::optional<std::vector<std::string>> ListFiles(
      const std::string& folder, const std::string& pattern) override;
  [[nodiscard]] bool DeleteFile(const std::string& path) override;
};

class Win32Process : public Process {
 public:
  std::string ProgramFolder() override;
  std::string ProgramBaseName() override;
  std::string WindowsFolder() override;
  // A named mutex per user ("Local\Pelkrin.SingleCopy.<user>"). The first copy keeps it for as
  // long as this object lives.
  bool AnotherCopyIsRunning() override;
  // CreateProcessW, with the path and the argument taken from the ANSI code page and quoted in
  // UTF-16, so that no character is read differently on the way.
  [[nodiscard]] bool StartProgram(const std::string& program, const std::string& argument) override;
  [[noreturn]] void Exit(int code) override;

 private:
  ScopedKernelHandle single_copy_;
};

// OutputDebugStringA, and the file that PELKRIN_LOG names (see diagnostics.h).
class Win32Diagnostics : public Diagnostics {
 public:
  void Trace(const std::string& line) override;
  void Note(const std::string& line) override;
};

class Win32TextCase : public TextCase {
 public:
  // CharLowerBuffA: the system's own lower case for its ANSI code page.
  std::string Lower(std::string_view text) override;
};

class Win32Platform {
 public:
  Platform Get();

  Win32WindowManager& Windows() { return windows_; }
  Win32ProfileFile& Profile() { return profile_; }
  Win32Registry& Registry() { return registry_; }
  Win32Sound& Sound() { return sound_; }
  Win32NotifyArea& Notify() { return notify_; }
  Win32Dialogs& Dialogs() { return dialogs_; }
  Win32Pictures& Pictures() { return pictures_; }
  Win32EventLoop& Events() { return events_; }
  Win32FileSystem& Files() { return files_; }
  Win32Process& Process() { return process_; }
  Win32Diagnostics& Diagnostics() { return diagnostics_; }
  Win32TextCase& TextCase() { return text_case_; }

 private:
  Win32WindowManager windows_;
  Win32ProfileFile profile_;
  Win32Registry registry_;
  Win32Sound sound_;
  Win32NotifyArea notify_;
  Win32Dialogs dialogs_;
  Win32Pictures pictures_;
  Win32EventLoop events_;
  Win32FileSystem files_;
  Win32Process process_;
  Win32Diagnostics diagnostics_;
  Win32TextCase text_case_;
};

// The path of the running program file ("" if Windows cannot say).
std::string ProgramFilePath();
// The text in UTF-16, read through the ANSI code page; nullopt when it holds a byte sequence
// that the code page does not define.
std::optional<std::wstring> WidenAnsi(const std::string& text);

}  // namespace pelkrin::win32
