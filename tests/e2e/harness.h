// The end-to-end harness: starts pelkrin.exe from a fresh copy of its program folder and drives
// it only the way a user or another program can (windows, messages, files, the registry),
// waiting for every effect with a deadline.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/scoped_handle.h"

namespace pelkrin::e2e {

// Generous, because a cold start under Wine on a busy machine can take seconds; a passing test
// never waits this long.
inline constexpr DWORD kDefaultDeadlineMs = 10000;
inline constexpr DWORD kPollIntervalMs = 15;

// ---- Folders and files ----------------------------------------------------------------------

// This build's folders.
std::string ProgramDir();      // pelkrin.exe and its files, as installed
std::string RunsDir();         // one program-folder copy per test
std::string ArtifactsDir();    // screenshots and other evidence
std::string BrowserSimPath();  // the browser stand-in

std::string JoinPath(const std::string& folder, const std::string& name);
// The whole file, byte for byte; nullopt when it is missing or cannot be opened right now.
std::optional<std::string> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// The names in a folder, files and folders alike; none when it is missing.
std::set<std::string> FolderEntries(const std::string& folder);
// Removes a file or a folder with everything in it; true when nothing is left, otherwise a test
// failure names what could not be removed.
bool DeleteFileTree(const std::string& path);

// A fresh folder %TEMP%\<name>.<process id>, removed with this object.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name);
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return JoinPath(path_, name); }

 private:
  std::string path_;
};

// Today's date in the user's short date format, as the program writes it.
std::string TodayShortDate();
// `bytes` with control bytes spelled out (\r, \n, \xNN), one output line per input line.
std::string Escaped(const std::string& bytes);

// Polls `condition` every kPollIntervalMs until it holds or `deadline_ms` has passed; the
// failure message names `what`.
::testing::AssertionResult WaitFor(const std::function<bool()>& condition, DWORD deadline_ms,
                                   const std::string& what);

// ---- Processes --------------------------------------------------------------------------------

// One started program, terminated when this object goes so that no test leaves one behind.
class Process {
 public:
  Process() = default;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  ~Process();

  // An invalid Process (and a test failure) when CreateProcess fails.
  static Process Start(const std::string& exe_path, const std::string& arguments,
                       const std::string& working_dir);

  bool valid() const { return static_cast<bool>(handle_); }
  DWORD id() const { return id_; }
  HANDLE handle() const { return handle_.Get(); }
  bool Running() const;
  ::testing::AssertionResult WaitForExit(DWORD deadline_ms = kDefaultDeadlineMs) const;
  std::optional<DWORD> ExitCode() const;  // nullopt while it runs (or was never started)
  void Stop();                            // terminates it if it runs and waits until it is gone

 private:
  win32::ScopedKernelHandle handle_;
  DWORD id_ = 0;
};

// A fresh copy of the program folder under RunsDir()\<test name>, emptied first, with
// `seed_files` (name -> exact bytes) written into it. It stays after the test, to look at; the
// program started from it is stopped with it, and its start-up entries removed.
class ProgramCopy {
 public:
  static constexpr char kExeName[] = "pelkrin.exe";

  explicit ProgramCopy(const std::map<std::string, std::string>& seed_files = {});
  ProgramCopy(const ProgramCopy&) = delete;
  ProgramCopy& operator=(const ProgramCopy&) = delete;
  ~ProgramCopy();

  bool ok() const { return ok_; }  // the copy was made (a failure has been reported otherwise)
  const std::string& folder() const { return folder_; }
  std::string exe_path() const { return Path(kExeName); }
  std::string Path(const std::string& name) const { return JoinPath(folder_, name); }
  std::optional<std::string> ReadFile(const std::string& name) const;
  bool Exists(const std::string& name) const;

  // Starts the first instance, which this object keeps; again once it has ended.
  ::testing::AssertionResult Start(const std::string& arguments = "");
  // Starts one more instance from the same folder; the caller keeps it.
  Process StartAnother(const std::string& arguments = "") const;
  Process& process() { return process_; }
  const Process& process() const { return process_; }

  // The main window (class "PelkrinMain"); nullptr, with a test failure, at the deadline or
  // when the process ends first.
  HWND WaitForMainWindow(DWORD deadline_ms = kDefaultDeadlineMs) const;
  HWND MainWindow() const;  // right now, or nullptr
  HWND TrayWindow() const;  // the hidden "PelkrinTrayIcon" window, right now, or nullptr
  void Stop() { process_.Stop(); }
  std::optional<DWORD> ExitCode() const { return process_.ExitCode(); }

 private:
  std::string folder_;
  bool ok_ = false;
  Process process_;
};

// ---- Windows ----------------------------------------------------------------------------------

std::string ClassNameOf(HWND window);
std::string CaptionOf(HWND window);  // never blocks, even when the window's owner hangs
// WM_GETTEXT, which also reads other processes' controls; nullopt when the window does not
// answer within `timeout_ms`.
std::optional<std::string> ReadText(HWND window, UINT timeout_ms = 2000);
DWORD ProcessIdOf(HWND window);
bool IsVisible(HWND window);
// Ends the process that owns `window` and waits until it is gone; false when it cannot.
bool EndProcessOf(HWND window);
// The first top-level window, hidden ones included, of the process (0 = any) for which `match`
// holds, or with that class and/or caption (nullptr = any); nullptr when there is none.
HWND FindTopLevelWindow(DWORD process_id, const std::function<bool(HWND)>& match);
HWND FindTopLevelWindow(DWORD process_id, const char* class_name, const char* caption = nullptr);
// The same once there is one; nullptr, with a test failure naming `what`, at the deadline.
HWND WaitForTopLevelWindow(DWORD process_id, const std::function<bool(HWND)>& match,
                           const std::string& what, DWORD deadline_ms = kDefaultDeadlineMs);
// The visible child (at any depth) of `parent` with that class and, when given, that text.
HWND VisibleChild(HWND parent, const char* class_name, const char* text = nullptr);
void Click(HWND button);                  // BM_CLICK posted, as a click does
void ClickAt(HWND window, int x, int y);  // a left click at a point of the client area

// A visible message box ("#32770") with that title, of the process (0 = any); nullptr, with a
// test failure, at the deadline.
HWND WaitForMessageBox(const std::string& title, DWORD deadline_ms = kDefaultDeadlineMs,
                       DWORD process_id = 0);
std::optional<std::string> MessageBoxText(HWND box);  // the Static with ID 0xFFFF
bool PressButton(HWND dialog, int button_id);         // IDOK, IDYES, ...: BM_CLICK posted

// ---- Notification area and commands ------------------------------------------------------------

HWND FindTrayWindow(DWORD process_id);  // the hidden "PelkrinTrayIcon" window of the process
// Posts the icon's callback message, as the taskbar does for a mouse message on the icon.
bool PostTrayMessage(HWND tray_window, UINT mouse_message, UINT icon_id = 0);
HWND FindVisibleMenu(DWORD process_id);  // a visible pop-up menu ("#32768"), or nullptr
HWND WaitForMenu(DWORD process_id, DWORD deadline_ms = kDefaultDeadlineMs);
bool CloseMenu(HWND menu_window);  // as the Escape key does
// Posts WM_COMMAND with a command number of src/app/command_ids.h, as a menu click does.
bool PostCommand(HWND main_window, std::uint16_t command_id);

// ---- The registry -------------------------------------------------------------------------------

// The Wine prefix's registry is shared by all tests and kept between runs: a test that uses a
// key of its own first removes it with this. True when the key is gone with all its subkeys.
bool DeleteRegistryTree(HKEY root, const std::string& subkey);
// A value's data (a REG_SZ's up to its terminator); nullopt when the key or the value is missing
// or of another type.
std::optional<std::string> ReadRegistryValue(HKEY root, const std::string& key,
                                             const std::string& name, DWORD type = REG_SZ);
// Writes a REG_SZ value, creating the key, or removes it for nullopt; true when done.
bool WriteRegistryString(HKEY root, const std::string& key, const std::string& name,
                         const std::optional<std::string>& value);
// The Run keys where the program writes its start-up value "Pelkrin"; this removes the value
// from the machine's and the user's key (~ProgramCopy does too).
inline constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
void RemoveStartupEntries();

// ---- Screen captures ----------------------------------------------------------------------------

// The whole screen, 24 bits per pixel, rows top to bottom.
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;  // Stride() bytes per row

  std::size_t Stride() const { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

  COLORREF Pixel(int x, int y) const;
  // Whether any pixel inside `area` (clipped to the capture) differs from `other`'s.
  bool DiffersIn(const Capture& other, const RECT& area) const;
  // Whether `area` (clipped to the capture) holds more than one colour.
  bool HasDetailIn(const RECT& area) const;
};

std::optional<Capture> CaptureScreen();
// Captures the screen into ArtifactsDir()\<name>.bmp; the capture, or nullopt with a failure.
std::optional<Capture> Screenshot(const std::string& name);
// The same once the screen has stopped changing (two captures 100 ms apart agree).
std::optional<Capture> ScreenshotWhenStable(const std::string& name,
                                            DWORD deadline_ms = kDefaultDeadlineMs);

// The part of the visible taskbar given to notification icons, or nullopt without one (Wine
// shows its taskbar once the first icon is added).
std::optional<RECT> NotificationArea();
// Whether the notification area lies inside `capture` and has something drawn in it.
bool NotificationAreaVisibleIn(const Capture& capture);
// Waits until the notification area shows an icon: a user can only click an icon once it is
// there, and a program may ignore its tray window's messages until it has added it.
::testing::AssertionResult WaitForNotificationIcon(DWORD deadline_ms = kDefaultDeadlineMs);

}  // namespace pelkrin::e2e
