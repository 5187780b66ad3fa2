// The platform seam: everything Pelkrin asks of the operating system, at the level of the Win32
// calls it makes. The core includes only this header; platform/win32 maps each call onto the
// real API and platform/sim reproduces its observable behaviour on a simulated desktop.
// Every call whose result says that it failed is [[nodiscard]]: the caller reacts, leaves a
// diagnostic line (Diagnostics::Trace), or says in a comment why the failure needs neither.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// <windows.h> renames these to their ANSI or wide forms; the seam's methods keep their own names
// whichever header comes first.
#ifdef MessageBox
#undef MessageBox
#endif
#ifdef LoadIcon
#undef LoadIcon
#endif
#ifdef DeleteFile
#undef DeleteFile
#endif
#ifdef ReplaceFile
#undef ReplaceFile
#endif

namespace pelkrin {

// A window handle as the program keeps it: a 32-bit value, 0 for none. Windows keeps window,
// menu, icon and kernel handles within 32 bits on 64-bit systems too; only the Win32 layer
// widens them to the system's pointer-sized handles.
using Hwnd = std::uint32_t;
inline constexpr Hwnd kNoWindow = 0;

// Message parameters keep the system's full width: WPARAM and LPARAM are pointer-sized.
using WParam = std::uintptr_t;
using LParam = std::intptr_t;

// Window messages and constants the core uses by number.
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWsVisible = 0x10000000;
inline constexpr std::uint32_t kWsMaximizeBox = 0x00010000;
inline constexpr std::uint32_t kWsMinimizeBox = 0x00020000;
inline constexpr std::uint32_t kWsDlgFrame = 0x00400000;
inline constexpr std::uint32_t kWsExLayered = 0x00080000;
inline constexpr int kSwHide = 0;
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShow = 5;
inline constexpr int kVkControl = 0x11;

// ---------------------------------------------------------------------------------------------
// Window manager: other programs' windows.

// What the system reports of another program's top-level window as it happens. Creation is
// reported everywhere; showing and caption changes only where the system delivers them (Windows
// does, Wine does not). A window created inside a top-level window (a control, a document view)
// is reported everywhere too, as kChildCreated with that top-level window.
enum class WindowEvent { kCreated, kShown, kCaptionChanged, kChildCreated };
using WindowEventHandler = std::function<void(WindowEvent, Hwnd)>;

class WindowManager {
 public:
  virtual ~WindowManager() = default;
  // EnumWindows: every top-level window, hidden ones included, in z-order (topmost first); one
  // gone since the listing may still be visited. The visitor returns false to stop early.
  virtual void EnumTopLevel(const std::function<bool(Hwnd)>& visit) = 0;
  // FindWindowA: a null pointer means "any".
  virtual Hwnd FindTopLevel(const std::string* class_name, const std::string* caption) = 0;
  // FindWindowExA over the direct children of parent, starting after `after` (0: first).
  virtual Hwnd FindChild(Hwnd parent, Hwnd after, const std::string* class_name,
                         const std::string* caption) = 0;
  virtual Hwnd FirstChild(Hwnd window) = 0;   // GetWindow(GW_CHILD)
  virtual Hwnd NextSibling(Hwnd window) = 0;  // GetWindow(GW_HWNDNEXT)
  // GetClassNameA with a buffer of buffer_chars characters including the NUL.
  virtual std::string ClassName(Hwnd window, int buffer_chars) = 0;
  virtual int CaptionLength(Hwnd window) = 0;  // GetWindowTextLengthA
  // GetWindowTextA with a buffer of buffer_chars characters including the NUL.
  virtual std::string Caption(Hwnd window, int buffer_chars) = 0;
  virtual std::uint32_t Style(Hwnd window) = 0;    // GetWindowLongA(GWL_STYLE)
  virtual std::uint32_t ExStyle(Hwnd window) = 0;  // GetWindowLongA(GWL_EXSTYLE)
  // Makes another program's window layered with `alpha` (SetWindowLongPtrA(GWL_EXSTYLE) with
  // WS_EX_LAYERED, then SetLayeredWindowAttributes(LWA_ALPHA)), or with nullopt takes
  // WS_EX_LAYERED off again, which drops the alpha. The change is a message that the window's
  // program must take, so it is made on a thread of its own: the call returns at once, and the
  // changes are made one after another in the order asked. Each waits up to timeout_ms for the
  // program to answer at all (a hung one is not asked), then as long as it takes over the change.
  // A window that takes the style but not the alpha gets its old style back.
  virtual void RequestLayered(Hwnd window, std::optional<std::uint8_t> alpha,
                              unsigned timeout_ms) = 0;
  struct LayeredDone {
    Hwnd window;
    bool layered;  // asked to be layered (true) or to be opaque again
    bool took;     // false: gone, no answer within the limit, or the change failed
  };
  // The changes made since the last call, in the order asked.
  virtual std::vector<LayeredDone> TakeLayeredDone() = 0;
  // Waits up to timeout_ms until every change asked has been made. False when some still wait
  // for their program.
  [[nodiscard]] virtual bool WaitLayered(unsigned timeout_ms) = 0;
  // GetLayeredWindowAttributes: the alpha of a layered window that has one; nullopt for a
  // window that is not layered or has no alpha set.
  virtual std::optional<std::uint8_t> LayeredAlpha(Hwnd window) = 0;
  virtual bool IsVisible(Hwnd window) = 0;
  virtual bool IsWindow(Hwnd window) = 0;
  virtual void SetCaption(Hwnd window, const std::string& caption) = 0;
  // Shows or hides a window of another program without waiting for it (a hung browser must
  // never freeze Pelkrin).
  virtual void Show(Hwnd window, int command) = 0;
  virtual void Post(Hwnd window, std::uint32_t message, WParam wparam, LParam lparam) = 0;
  // WM_GETTEXTLENGTH / WM_GETTEXT sent with a time limit; nullopt when the target does not
  // answer in time (or does not exist). The length may be more than the text holds, never less.
  [[nodiscard]] virtual std::optional<long> SendGetTextLength(Hwnd window, unsigned timeout_ms) = 0;
  [[nodiscard]] virtual std::optional<std::string> SendGetText(Hwnd window,
                                                               std::size_t buffer_chars,
                                                               unsigned timeout_ms) = 0;
  virtual bool IsKeyDown(int virtual_key) = 0;  // GetAsyncKeyState, high bit
  virtual void MakeTopmost(Hwnd window) = 0;    // SetWindowPos(HWND_TOPMOST, SWP_NOMOVE|SWP_NOSIZE)
  // Reports the events of other programs' top-level windows, and the creation of windows inside
  // them, to `handler` (SetWinEventHook, out of context). The handler runs on this thread inside
  // whatever message pump is running (a wait, a menu, a message box): it must only take note. An
  // empty handler stops the reports. False when the system cannot report them.
  [[nodiscard]] virtual bool WatchWindowEvents(WindowEventHandler handler) = 0;
  // Calls `pressed` on this thread each time the key goes down, whichever program has the
  // keyboard, without polling (raw input). It runs inside whatever message pump is running. An
  // empty function stops the watch. False when the system cannot report presses: the caller
  // polls IsKeyDown instead.
  [[nodiscard]] virtual bool WatchKeyPresses(int virtual_key, std::function<void()> pressed) = 0;
};

// ---------------------------------------------------------------------------------------------
// Private-profile (INI) files, with the semantics of GetPrivateProfileStringA and
// WritePrivateProfileStringA.
class ProfileFile {
 public:
  virtual ~ProfileFile() = default;
  // Returns what the reader copies into a buffer of buffer_chars characters: at most
  // buffer_chars - 1 characters; `fallback` when the file, section or key is missing.
  virtual std::string Read(const std::string& path, const std::string& section,
                           const std::string& key, const std::string& fallback,
                           std::size_t buffer_chars) = 0;
  [[nodiscard]] virtual bool Write(const std::string& path, const std::string& section,
                                   const std::string& key, const std::string& value) = 0;
};

// ---------------------------------------------------------------------------------------------
// The registry (advapi32). Keys are opaque 32-bit values; the predefined roots keep their
// Win32 values. Calls return the Win32 error code (0 = success).
using RegKey = std::uint32_t;
inline constexpr RegKey kHkeyCurrentUser = 0x80000001u;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002u;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorMoreData = 234;

class Registry {
 public:
  virtual ~Registry() = default;
  [[nodiscard]] virtual long OpenKey(RegKey root, const std::string& path, std::uint32_t access,
                                     RegKey* key) = 0;
  [[nodiscard]] virtual long CreateKey(RegKey root, const std::string& path, std::uint32_t access,
                                       RegKey* key) = 0;
  // The empty name is the key's unnamed default value. With data == nullptr only the size
  // (in bytes, the terminating NUL of a string included) is asked for; otherwise at most
  // *size bytes are read into *data and *size becomes the number of bytes stored.
  [[nodiscard]] virtual long QueryValue(RegKey key, const std::string& name, std::string* data,
                                        std::uint32_t* size) = 0;
  // Stores a REG_SZ value whose size counts the terminating NUL.
  [[nodiscard]] virtual long SetStringValue(RegKey key, const std::string& name,
                                            const std::string& text) = 0;
  [[nodiscard]] virtual long DeleteValue(RegKey key, const std::string& name) = 0;
  [[nodiscard]] virtual long DeleteKey(RegKey key, const std::string& subkey) = 0;
  [[nodiscard]] virtual long CloseKey(RegKey key) = 0;
};

// ---------------------------------------------------------------------------------------------
// Sound (winmm).
inline constexpr unsigned kSndAsync = 0x0001;
inline constexpr unsigned kSndNoDefault = 0x0002;

class Sound {
 public:
  virtual ~Sound() = default;
  virtual unsigned WaveOutDeviceCount() = 0;  // waveOutGetNumDevs
  [[nodiscard]] virtual bool Play(const std::string& path, unsigned flags) = 0;  // sndPlaySoundA
};

// ---------------------------------------------------------------------------------------------
// The notification area (Shell_NotifyIconA) and the tray control's own message window.

// The 88-byte ANSI notification record (NOTIFYICONDATAA as first defined for 32-bit Windows).
// The core keeps this record on every build; the Win32 layer copies it field by field into the
// shell's structure of the architecture it runs on.
struct NotifyIconRecord {
  std::uint32_t size = 88;
  std::uint32_t window = 0;
  std::uint32_t id = 0;
  std::uint32_t flags = 0;
  std::uint32_t callback_message = 0;
  std::uint32_t icon = 0;
  char tip[64] = {};
};
static_assert(sizeof(NotifyIconRecord) == 88, "the first NOTIFYICONDATAA of 32-bit Windows");

inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimModify = 1;
inline constexpr std::uint32_t kNimDelete = 2;
inline constexpr std::uint32_t kNifMessage = 1;
inline constexpr std::uint32_t kNifIcon = 2;
inline constexpr std::uint32_t kNifTip = 4;

// A message handler of a window the program owns: message, wParam, lParam.
using MessageHandler = std::function<void(std::uint32_t, WParam, LParam)>;

class NotifyArea {
 public:
  virtual ~NotifyArea() = default;
  // Creates the tray control's own (never shown) message window, of the window class the tray
  // control names, so that other programs can find it by that class.
  [[nodiscard]] virtual Hwnd CreateIconWindow(const std::string& window_class) = 0;
  virtual void DestroyIconWindow(Hwnd window) = 0;
  // Puts a handler in front of the window's procedure (the replacement window procedure);
  // with an empty handler, puts the previous procedure back.
  virtual void SetMessageHandler(Hwnd window, MessageHandler handler) = 0;
  [[nodiscard]] virtual bool Notify(std::uint32_t operation, const NotifyIconRecord& record) = 0;
  // Notify(kNimModify, record) without waiting for the shell, which under Wine takes tens of
  // milliseconds on a crowded desktop: the change reaches the shell after the call returns, in
  // order with the other calls, and a refusal leaves a diagnostic line. A change not made yet
  // is replaced by a later one of the same fields.
  virtual void ChangeLater(const NotifyIconRecord& record) = 0;
  // The message the shell broadcasts when the taskbar is (re)created.
  virtual std::uint32_t TaskbarCreatedMessage() = 0;
};

// ---------------------------------------------------------------------------------------------
// Message boxes and the file-open dialog.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// The message-box styles the program uses: an icon, the buttons, and system-modal (0x1000).
inline constexpr unsigned kStopSystemModal = 0x1010;                    // errors, "already running"
inline constexpr unsigned kQuestionYesNoSystemModal = 0x1024;           // confirmations
inline constexpr unsigned kQuestionYesNoDefaultNoSystemModal = 0x1124;  // the same, No as default
inline constexpr unsigned kExclamationSystemModal = 0x1030;             // refused input
inline constexpr unsigned kInformationSystemModal = 0x1040;             // notices

struct FileDialogRequest {
  // The program's window the dialog belongs to: it stays above that window, which takes no input
  // while the dialog is open. kNoWindow for none.
  Hwnd owner = kNoWindow;
  std::string initial_folder;
  std::string filter;  // "Description (*.ext)|*.ext"
  std::string title;
  std::string file_name;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A modal message box; pending timer events keep running while it is open.
  virtual int MessageBox(const std::string& text, const std::string& title, unsigned style) = 0;
  // nullopt when the user cancels or the dialog fails.
  [[nodiscard]] virtual std::optional<std::string> OpenFile(const FileDialogRequest& request) = 0;
};

// ---------------------------------------------------------------------------------------------
// Pictures: icons and cursors from the program's resources.
struct Picture {
  enum class Kind { kNone, kIcon, kBitmap };
  Kind kind = Kind::kNone;
  std::uint32_t handle = 0;
  bool IsIcon() const { return kind == Kind::kIcon && handle != 0; }
  friend bool operator==(const Picture&, const Picture&) = default;
};

class Pictures {
 public:
  virtual ~Pictures() = default;
  // An icon of the program's resources by its resource number (see resources/resource.h).
  virtual Picture LoadIcon(int resource_id) = 0;
};

// ---------------------------------------------------------------------------------------------
// Time, timers and the event pump behind the wait.
class EventLoop {
 public:
  virtual ~EventLoop() = default;
  // A clock that never jumps back (not at midnight, not when the user sets the time).
  virtual std::uint64_t MonotonicMs() = 0;
  // Today's date as text in the user's short date format.
  virtual std::string ShortDate() = 0;
  // The current time as text in the user's time format.
  virtual std::string TimeText() = 0;
  // A periodic timer; the tick runs on the user-interface thread while events are processed.
  // The returned number names the timer to StopTimer; 0 when no timer could be made.
  [[nodiscard]] virtual std::uint32_t StartTimer(unsigned interval_ms,
                                                 std::function<void()> tick) = 0;
  virtual void StopTimer(std::uint32_t timer) = 0;
  // Runs every event that is pending now (timer ticks, input, paint), then returns.
  virtual void ProcessPendingEvents() = 0;
  // Blocks until an event arrives or max_ms passes, without running anything.
  virtual void WaitForEvents(unsigned max_ms) = 0;
  // Blocks the whole thread; no event runs meanwhile.
  virtual void Sleep(unsigned ms) = 0;
  // Work that runs only at the top of the program's message loop, between two events: never
  // inside a tick, a wait, a menu or a message box. It runs after every event and returns how
  // many milliseconds may pass at most before it runs again; nullopt when it has nothing to do
  // until the next event. An empty function removes it.
  virtual void SetIdleWork(std::function<std::optional<unsigned>()> work) = 0;
};

// ---------------------------------------------------------------------------------------------
// Files: the list files, the settings file's folder, the cookie folder.

// Files are read up to this size, so that a stray huge file cannot exhaust a 32-bit process.
inline constexpr std::size_t kMaxReadBytes = std::size_t{64} << 20;

// What a read of a file got.
struct FileContents {
  std::string bytes;
  // False when the bytes are only the start of the file: it is larger than kMaxReadBytes, or a
  // read error broke off. Such bytes must never be written back over the file as all of it.
  bool whole = true;
  friend bool operator==(const FileContents&, const FileContents&) = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The file's bytes, at most kMaxReadBytes of them; nullopt when it cannot be opened. A read
  // error part-way returns what was read before it, marked as not whole.
  [[nodiscard]] virtual std::optional<FileContents> ReadFile(const std::string& path) = 0;
  // Replaces the file by `bytes` so that a failure part-way leaves the previous file whole:
  // the bytes go to a temporary file in the same folder, which then takes the old one's place.
  [[nodiscard]] virtual bool ReplaceFile(const std::string& path, const std::string& bytes) = 0;
  // The names (not paths) of the plain files directly in `folder` whose long names match
  // `pattern` ("*.txt", see platform/wildcard.h), in name order. Folders and links (reparse
  // points) are left out, even when named like a match, and so is a file whose name has no exact
  // spelling in the ANSI code page: every name returned, put after the folder and a backslash,
  // names exactly the file that was listed and nothing else. nullopt when the folder cannot be
  // listed (it is missing, is no folder, or may not be read); an empty list when it holds no match.
  [[nodiscard]] virtual std::optional<std::vector<std::string>> ListFiles(
      const std::string& folder, const std::string& pattern) = 0;
  // False when the file is not there or cannot be deleted (read-only, or held open by another
  // program).
  [[nodiscard]] virtual bool DeleteFile(const std::string& path) = 0;
};

// ---------------------------------------------------------------------------------------------
// The process: its program file, the single-copy test, the Windows folder.
class Process {
 public:
  virtual ~Process() = default;
  // The folder that holds the program file, without a trailing backslash.
  virtual std::string ProgramFolder() = 0;
  // The program file's base name without extension ("pelkrin").
  virtual std::string ProgramBaseName() = 0;
  virtual std::string WindowsFolder() = 0;
  // True when another copy of the program already runs for this user. The first copy keeps
  // its claim for as long as it runs.
  virtual bool AnotherCopyIsRunning() = 0;
  // Starts the program at the full path `program` with `argument` as its one command-line
  // argument, quoted so that the program reads it back exactly (see command_line.h), never
  // through a shell. References to environment variables in the path (%ProgramFiles%) are
  // expanded, as the registry's paths may hold them. False when it could not be started.
  [[nodiscard]] virtual bool StartProgram(const std::string& program,
                                          const std::string& argument) = 0;
  // Ends the process at once, without unloading anything.
  [[noreturn]] virtual void Exit(int code) = 0;
};

// ---------------------------------------------------------------------------------------------
// Diagnostics: one line for every failure the user is not shown (a start-up step that was
// skipped, a file that could not be written, a handler that failed), so that nothing fails
// without a trace, and a line for what the program did on its own (each pelk and the rule that
// decided it). The user never sees these lines.
class Diagnostics {
 public:
  virtual ~Diagnostics() = default;
  // A failure that was swallowed.
  virtual void Trace(const std::string& line) = 0;
  // Something the program did that is worth a line, not a failure.
  virtual void Note(const std::string& line) = 0;
};

// ---------------------------------------------------------------------------------------------
// Letter case of the program's ANSI texts by the system's rules for its ANSI code page: the
// accented capitals of Windows-1252 (0xC9, say) have lower-case letters (0xE9) as A to Z do.
class TextCase {
 public:
  virtual ~TextCase() = default;
  // CharLowerBuffA on a copy of `text`: every byte is examined, NULs included.
  virtual std::string Lower(std::string_view text) = 0;
};

// Everything at once, as the program receives it.
struct Platform {
  WindowManager& windows;
  ProfileFile& profile;
  Registry& registry;
  Sound& sound;
  NotifyArea& notify;
  Dialogs& dialogs;
  Pictures& pictures;
  EventLoop& events;
  FileSystem& files;
  Process& process;
  Diagnostics& diagnostics;
  TextCase& text_case;
};

}  // namespace pelkrin
