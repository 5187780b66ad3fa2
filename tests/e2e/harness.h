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
#include <string>
#include <vector>

#include "platform/win32/scoped_handle.h"

namespace pelkrin::e2e {

// Generous, because a cold start under Wine on a busy machine can take seconds; a passing test
// never waits this long.
inline constexpr DWORD kDefaultDeadlineMs = 10000;
inline constexpr DWORD kPollIntervalMs = 15;

// ---- Folders and files ----------------------------------------------------------------------

// Windows paths of this build's folders. Each can be overridden by the environment variable of
// the same name, e.g. to run the suite by hand against another build.
std::string ProgramDir();    // PELKRIN_E2E_PROGRAM_DIR: pelkrin.exe and its files, as installed
std::string RunsDir();       // PELKRIN_E2E_RUNS_DIR: one program-folder copy per test
std::string ArtifactsDir();  // PELKRIN_E2E_ARTIFACTS_DIR: screenshots and other evidence
// PELKRIN_E2E_BROWSER_SIM: browser-sim.exe, the browser stand-in (tools/browser-sim).
std::string BrowserSimPath();

std::string JoinPath(const std::string& folder, const std::string& name);
// "Suite.Name" of the running test, made safe for a folder or file name.
std::string CurrentTestName();

// The whole file, byte for byte; nullopt when it is missing or cannot be opened right now.
std::optional<std::string> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Removes a file or a folder with everything in it; true when nothing is left (also when there
// was nothing), otherwise a test failure names what could not be removed.
bool DeleteFileTree(const std::string& path);

// Today's date in the user's short date format, as the program writes it.
std::string TodayShortDate();

// `bytes` with line ends and other control bytes spelled out (\r, \n, \xNN), one output
// line per input line, so a failure message shows exactly what a file holds.
std::string Escaped(const std::string& bytes);

// ---- Waiting ----------------------------------------------------------------------------------

// Polls `condition` every kPollIntervalMs until it holds or `deadline_ms` has passed. The
// failure message names `what`.
::testing::AssertionResult WaitFor(const std::function<bool()>& condition, DWORD deadline_ms,
                                   const std::string& what);

// ---- Processes --------------------------------------------------------------------------------

// One started program. It is terminated when this object goes, so a failing test never leaves
// a process behind for the next one.
class Process {
 public:
  Process() = default;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  ~Process();

  // Starts `exe_path` with `arguments` in `working_dir`; an invalid Process (and a test
  // failure) when CreateProcess fails.
  static Process Start(const std::string& exe_path, const std::string& arguments,
                       const std::string& working_dir);

  bool valid() const { return static_cast<bool>(handle_); }
  DWORD id() const { return id_; }
  HANDLE handle() const { return handle_.Get(); }

  bool Running() const;
  ::testing::AssertionResult WaitForExit(DWORD deadline_ms = kDefaultDeadlineMs) const;
  // The exit code once the process has ended; nullopt while it runs (or was never started).
  std::optional<DWORD> ExitCode() const;
  // Terminates the process if it still runs and waits until it is gone.
  void Stop();

 private:
  win32::ScopedKernelHandle handle_;
  DWORD id_ = 0;
};

// A fresh copy of the program folder under RunsDir()\<test name>, emptied first, so every test
// starts with no settings file and no list files unless it seeds them. The copy stays after
// the test, to look at afterwards. Processes started from it are stopped with it.
class ProgramCopy {
 public:
  static constexpr char kExeName[] = "pelkrin.exe";

  // `seed_files`: file name (relative to the folder) -> exact bytes, written after the copy.
  explicit ProgramCopy(const std::map<std::string, std::string>& seed_files = {});
  ProgramCopy(const std::string& name, const std::map<std::string, std::string>& seed_files);
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

  // The first instance's main window (class "PelkrinMain"), waiting for it to exist. nullptr,
  // with a test failure, at the deadline or when the process ends first.
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
// The caption of a top-level window (never blocks, even when its owner hangs).
std::string CaptionOf(HWND window);
// A window's text by WM_GETTEXT, which also works for other processes' controls; nullopt when
// the window does not answer within `timeout_ms`.
std::optional<std::string> ReadText(HWND window, UINT timeout_ms = 2000);
DWORD ProcessIdOf(HWND window);
bool IsVisible(HWND window);

// Top-level windows, hidden ones included; process_id 0 means every process.
std::vector<HWND> TopLevelWindows(DWORD process_id = 0);
// The first top-level window of the process with that class and/or caption (nullptr = any).
HWND FindTopLevelWindow(DWORD process_id, const char* class_name, const char* caption = nullptr);

// The visible child (at any depth) of `parent` with that class and, when given, that text.
HWND VisibleChild(HWND parent, const char* class_name, const char* text = nullptr);
// Presses a button the way a click does (BM_CLICK posted).
void Click(HWND button);
// A left click at a point of the window's client area (the close mark is drawn there).
void ClickAt(HWND window, int x, int y);

// ---- Message boxes ----------------------------------------------------------------------------

// A visible message box ("#32770") with that title, of the process (0 = any); nullptr, with a
// test failure, at the deadline.
HWND WaitForMessageBox(const std::string& title, DWORD deadline_ms = kDefaultDeadlineMs,
                       DWORD process_id = 0);
std::optional<std::string> MessageBoxText(HWND box);  // the Static with ID 0xFFFF
// Presses a button of a dialog the way a click does (BM_CLICK posted): IDOK, IDYES, IDNO, ...
bool PressButton(HWND dialog, int button_id);

// ---- Notification area ------------------------------------------------------------------------

// The program's hidden tray window of that process (class "PelkrinTrayIcon").
HWND FindTrayWindow(DWORD process_id);
// Posts the icon's callback message, as the taskbar does for a mouse message on the icon.
bool PostTrayMessage(HWND tray_window, UINT mouse_message, UINT icon_id = 0);
// A visible pop-up menu window ("#32768") of the process (0 = any), right now, or nullptr.
HWND FindVisibleMenu(DWORD process_id);
// Waits for one; nullptr, with a test failure, at the deadline.
HWND WaitForMenu(DWORD process_id, DWORD deadline_ms = kDefaultDeadlineMs);
// Closes a pop-up menu like the Escape key does.
bool CloseMenu(HWND menu_window);

// ---- Commands and the registry ------------------------------------------------------------------

// Posts WM_COMMAND with a command number of src/app/command_ids.h, as a menu click does.
bool PostCommand(HWND main_window, std::uint16_t command_id);

// The Wine prefix (and so its registry) is shared by all tests of a run and kept between runs:
// a test that uses a key of its own first removes it with this. True when the key is gone
// afterwards, with all its subkeys (also when it never existed).
bool DeleteRegistryTree(HKEY root, const std::string& subkey);

// The Windows start-up entries: the Run keys of the machine and of the user, and the value
// "Pelkrin" the program writes there. ~ProgramCopy deletes the value from both.
inline constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
void RemoveStartupEntries();

// ---- Screen captures ----------------------------------------------------------------------------

// The whole screen, 24 bits per pixel, rows top to bottom.
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;  // width * 3 bytes per row, no padding

  COLORREF Pixel(int x, int y) const;
  // True when any pixel inside `area` (clipped to the capture) differs from `other`'s.
  bool DiffersIn(const Capture& other, const RECT& area) const;
  // True when `area` (clipped to the capture) holds more than one colour.
  bool HasDetailIn(const RECT& area) const;
};

std::optional<Capture> CaptureScreen();
bool SaveBmp(const Capture& capture, const std::string& path);
// Captures the screen into ArtifactsDir()\<name>.bmp; returns the capture, or nullopt with a
// test failure. (scripts/test adds a .png of every .bmp there.)
std::optional<Capture> Screenshot(const std::string& name);
// The same, once the screen has stopped changing (two captures 100 ms apart agree), so a window
// that was just shown has finished painting; at the deadline the last capture is kept.
std::optional<Capture> ScreenshotWhenStable(const std::string& name,
                                            DWORD deadline_ms = kDefaultDeadlineMs);

// Where the taskbar's notification area is on the screen: the part of the visible taskbar
// ("Shell_TrayWnd") given to notification icons, or nullopt when there is no visible taskbar
// (Wine shows its taskbar once the first icon is added).
std::optional<RECT> NotificationArea();
// Whether the notification area is on screen in `capture`: the taskbar is visible, lies inside
// the captured screen and has something drawn in it.
bool NotificationAreaVisibleIn(const Capture& capture);
// Waits until the notification area shows an icon. A user can only click a tray icon once it
// is there, and a program may well ignore its tray window's messages until it has added it.
::testing::AssertionResult WaitForNotificationIcon(DWORD deadline_ms = kDefaultDeadlineMs);

}  // namespace pelkrin::e2e
