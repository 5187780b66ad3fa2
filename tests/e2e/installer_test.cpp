// The release packages of this build: the per-user installer and its uninstaller, run the way a
// user or a deployment tool runs them (silently with /S, or page by page), and the portable zip,
// unpacked by the build. Every effect is checked where Windows keeps it: the user's programs
// folder, the Start menu, the list of installed programs, the Run keys and the browser's key.
#include <windows.h>
// After <windows.h>, which it needs.
#include <shlobj.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "e2e_paths.h"
#include "harness.h"
#include "platform/win32/scoped_handle.h"
#include "settings/block_button.h"

namespace pelkrin::e2e {
namespace {

// The installer works in seconds; the generous deadline is for a busy machine.
constexpr DWORD kInstallerDeadlineMs = 60000;
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pelkrin";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "Pelkrin";

// What the user keeps: the settings and the three lists, as a test seeds them.
const std::map<std::string, std::string>& UserFiles() {
  static const std::map<std::string, std::string> files = {
      {"pk.sys", "[pk]\r\nPLAY_SOUND=0\r\nSTART_WITH_WINDOWS=1\r\nSUPER_MODE=1\r\n"},
      {"alwdom.sys", "example.com\r\nexample.org\r\n"},
      {"alwcap.sys", "Kept caption\r\n"},
      {"popblk.sys", "Blocked popup - example.net\r\n"},
  };
  return files;
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) {
    ADD_FAILURE() << "SHGetFolderPathA(" << csidl << ") failed";
    return "";
  }
  return path;
}

std::string InstallDir() { return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Pelkrin"; }
std::string ShortcutPath() { return ShellFolder(CSIDL_PROGRAMS) + "\\Pelkrin.lnk"; }
std::string InstalledPath(const std::string& name) { return JoinPath(InstallDir(), name); }

std::string InstallerPath() {
  const char* path = std::getenv("PELKRIN_E2E_INSTALLER");
  return path != nullptr ? path : PELKRIN_E2E_INSTALLER;
}

// The names in a folder (files and folders), without "." and "..".
std::set<std::string> FolderEntries(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.insert(name);
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return names;
}

std::string Joined(const std::set<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return "{" + text + "}";
}

std::optional<std::string> ReadRegString(HKEY root, const char* key, const char* value) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return std::nullopt;
  win32::ScopedRegKey scoped(opened);
  char data[2048] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  if (::RegQueryValueExA(opened, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  return std::string(data);
}

std::optional<DWORD> ReadRegDword(HKEY root, const char* key, const char* value) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return std::nullopt;
  win32::ScopedRegKey scoped(opened);
  DWORD data = 0;
  DWORD size = sizeof data;
  DWORD type = 0;
  if (::RegQueryValueExA(opened, value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD) {
    return std::nullopt;
  }
  return data;
}

bool KeyExists(HKEY root, const char* key) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  ::RegCloseKey(opened);
  return true;
}

bool WriteRunValue(HKEY root, const std::string& data) {
  HKEY opened = nullptr;
  if (::RegCreateKeyExA(root, kRunKey, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  win32::ScopedRegKey scoped(opened);
  return ::RegSetValueExA(opened, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

void DeleteRunValue(HKEY root) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, kRunKey, 0, KEY_WRITE, &opened) != ERROR_SUCCESS) return;
  ::RegDeleteValueA(opened, kRunValue);
  ::RegCloseKey(opened);
}

// The prefix is shared by the whole run and kept between runs: every test starts from a machine
// on which Pelkrin was never installed, and no other program of an earlier test still runs.
void RemoveAnyInstallation() {
  for (HWND window = ::FindWindowA(kMainWindowClass, nullptr); window != nullptr;
       window = ::FindWindowA(kMainWindowClass, nullptr)) {
    win32::ScopedKernelHandle process(
        ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessIdOf(window)));
    ASSERT_TRUE(process) << "a running Pelkrin cannot be ended";
    ::TerminateProcess(process.Get(), 1);
    ASSERT_EQ(::WaitForSingleObject(process.Get(), kDefaultDeadlineMs), WAIT_OBJECT_0);
  }
  ASSERT_TRUE(DeleteFileTree(InstallDir()));
  ::DeleteFileA(ShortcutPath().c_str());
  ASSERT_FALSE(FileExists(ShortcutPath()));
  ASSERT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, kUninstallKey));
  ASSERT_TRUE(DeleteRegistryTree(HKEY_LOCAL_MACHINE, kBlockButtonKey));
  DeleteRunValue(HKEY_LOCAL_MACHINE);
  DeleteRunValue(HKEY_CURRENT_USER);
}

HWND FindProcessMainWindow(DWORD process_id) {
  return FindTopLevelWindow(process_id, kMainWindowClass);
}

// Runs the installer with `arguments` and waits for it to end with exit code 0.
void RunInstaller(const std::string& arguments) {
  Process installer = Process::Start(InstallerPath(), arguments, RunsDir());
  ASSERT_TRUE(installer.valid());
  ASSERT_TRUE(installer.WaitForExit(kInstallerDeadlineMs));
  EXPECT_EQ(installer.ExitCode(), 0u) << InstallerPath() << " " << arguments;
}

void ExpectProgramFilesInstalled() {
  const std::set<std::string> built = FolderEntries(ProgramDir());
  ASSERT_FALSE(built.empty()) << "nothing in the program folder " << ProgramDir();
  for (const std::string& name : built) {
    EXPECT_EQ(ReadFileBytes(InstalledPath(name)), ReadFileBytes(JoinPath(ProgramDir(), name)))
        << name << " is missing or differs from the build's";
  }
}

void SeedUserFiles() {
  for (const auto& [name, bytes] : UserFiles()) {
    ASSERT_TRUE(WriteFileBytes(InstalledPath(name), bytes)) << name;
  }
}

void ExpectUserFilesKept() {
  for (const auto& [name, bytes] : UserFiles()) {
    const auto now = ReadFileBytes(InstalledPath(name));
    EXPECT_EQ(now, bytes) << name << " now holds:\n" << Escaped(now.value_or("<missing>"));
  }
}

// Starts the installed program from its folder and waits until its start-up is complete: the
// settings are written and its icon is in the notification area, which start-up adds after
// loading the lists.
Process StartInstalled() {
  Process program = Process::Start(InstalledPath("pelkrin.exe"), "", InstallDir());
  if (!program.valid()) return program;
  EXPECT_TRUE(WaitFor(
      [&] {
        return FindProcessMainWindow(program.id()) != nullptr &&
               ReadFileBytes(InstalledPath("pk.sys")).value_or("").find("HISTORY_COUNT=") !=
                   std::string::npos;
      },
      kDefaultDeadlineMs, "the installed program's main window and settings"));
  EXPECT_TRUE(WaitForNotificationIcon());
  return program;
}

// ---- Wizards ------------------------------------------------------------------------------------

BOOL CALLBACK CollectDescendant(HWND window, LPARAM windows_address) {
  reinterpret_cast<std::vector<HWND>*>(windows_address)->push_back(window);
  return TRUE;
}

// A visible control of the installer's window whose text is `text`, or nullptr.
HWND FindControlWithText(HWND dialog, const std::string& text) {
  std::vector<HWND> controls;
  ::EnumChildWindows(dialog, CollectDescendant, reinterpret_cast<LPARAM>(&controls));
  for (HWND control : controls) {
    if (IsVisible(control) && ReadText(control) == text) return control;
  }
  return nullptr;
}

// A wizard's caption without the blank that its pages may add at the end.
std::string WizardTitle(HWND window) {
  std::string caption = CaptionOf(window);
  while (!caption.empty() && caption.back() == ' ') caption.pop_back();
  return caption;
}

// Ends what a failed test left of an installer or uninstaller (the uninstaller runs on from a
// copy of itself, which would keep ctest waiting for its output).
void EndLeftoverWizards() {
  for (HWND window : TopLevelWindows(0)) {
    const std::string title = WizardTitle(window);
    if (ClassNameOf(window) != "#32770" || title.rfind("Pelkrin ", 0) != 0) continue;
    if (!title.ends_with(" Setup") && !title.ends_with(" Uninstall")) continue;
    win32::ScopedKernelHandle process(
        ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessIdOf(window)));
    if (!process) continue;
    ::TerminateProcess(process.Get(), 1);
    ::WaitForSingleObject(process.Get(), kDefaultDeadlineMs);
  }
}

struct Packages : ::testing::Test {
  void TearDown() override { EndLeftoverWizards(); }
};
using Installer = Packages;
using Uninstaller = Packages;

// The visible dialogs of a process (0: of all) with their controls, for a failure message.
std::string DescribeWindows(DWORD process_id) {
  std::string seen;
  for (HWND window : TopLevelWindows(process_id)) {
    if (!IsVisible(window) || ClassNameOf(window) != "#32770") continue;
    seen += "\n  #32770 \"" + CaptionOf(window) + "\"";
    std::vector<HWND> controls;
    ::EnumChildWindows(window, CollectDescendant, reinterpret_cast<LPARAM>(&controls));
    for (HWND control : controls) {
      if (!IsVisible(control)) continue;
      seen += "\n    " + ClassNameOf(control) + " \"" + ReadText(control).value_or("?") + "\"";
    }
  }
  return seen;
}

// A message box of the installer or uninstaller: a visible dialog with the wizard's title that
// holds a message text, beside the wizard itself.
HWND WaitForWizardMessageBox(const std::string& title, HWND wizard) {
  HWND box = nullptr;
  const auto shown = WaitFor(
      [&] {
        for (HWND window : TopLevelWindows(0)) {
          if (window != wizard && IsVisible(window) && ClassNameOf(window) == "#32770" &&
              WizardTitle(window) == title && ::GetDlgItem(window, 0xFFFF) != nullptr) {
            box = window;
            return true;
          }
        }
        return false;
      },
      kDefaultDeadlineMs, "a message box titled \"" + title + "\"");
  EXPECT_TRUE(shown);
  return box;
}

// The wizard's window with that title (of any process: the uninstaller runs on from a copy of
// itself) once it shows a visible control with the text `control_text`.
HWND WaitForWizard(const std::string& title, const std::string& control_text) {
  HWND wizard = nullptr;
  const auto shown = WaitFor(
      [&] {
        wizard = nullptr;
        for (HWND window : TopLevelWindows(0)) {
          if (IsVisible(window) && ClassNameOf(window) == "#32770" &&
              WizardTitle(window) == title &&
              FindControlWithText(window, control_text) != nullptr) {
            wizard = window;
            return true;
          }
        }
        return false;
      },
      kDefaultDeadlineMs, "the wizard \"" + title + "\" with \"" + control_text + "\"");
  EXPECT_TRUE(shown) << "the dialogs on the desktop:" << DescribeWindows(0);
  return wizard;
}

// ---- Silent installation and removal ------------------------------------------------------------

TEST_F(Installer, SilentInstallPutsPelkrinInTheUsersProgramsFolderWhereItWritesItsSettings) {
  ASSERT_NO_FATAL_FAILURE(RemoveAnyInstallation());
  ASSERT_NO_FATAL_FAILURE(RunInstaller("/S"));

  ExpectProgramFilesInstalled();
  EXPECT_TRUE(FileExists(InstalledPath("uninstall.exe")));
  EXPECT_TRUE(FileExists(ShortcutPath())) << ShortcutPath();
  for (const auto& [name, bytes] : UserFiles()) {
    EXPECT_FALSE(FileExists(InstalledPath(name))) << name << " came with the installer";
  }

  // The entry in the list of installed programs.
  const std::string dir = InstallDir();
  const auto value = [](const char* name) {
    return ReadRegString(HKEY_CURRENT_USER, kUninstallKey, name);
  };
  EXPECT_EQ(value("DisplayName"), "Pelkrin");
  EXPECT_EQ(value("DisplayVersion"), PELKRIN_E2E_VERSION);
  EXPECT_EQ(value("Publisher"), PELKRIN_E2E_PUBLISHER);
  EXPECT_EQ(value("DisplayIcon"), dir + "\\pelkrin.exe,0");
  EXPECT_EQ(value("InstallLocation"), dir);
  EXPECT_EQ(value("UninstallString"), "\"" + dir + "\\uninstall.exe\"");
  EXPECT_EQ(value("QuietUninstallString"), "\"" + dir + "\\uninstall.exe\" /S");
  const auto size_kb = ReadRegDword(HKEY_CURRENT_USER, kUninstallKey, "EstimatedSize");
  ASSERT_TRUE(size_kb.has_value());
  EXPECT_GE(*size_kb, ReadFileBytes(InstalledPath("pelkrin.exe")).value_or("").size() / 1024);

  // The installed program starts from its new folder and keeps its settings there.
  Process program = StartInstalled();
  ASSERT_TRUE(program.valid());
  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(FileExists(InstalledPath("pk.sys")));
}

TEST_F(Installer, SecondInstallReplacesTheProgramAndKeepsTheUsersFilesByteForByte) {
  ASSERT_NO_FATAL_FAILURE(RemoveAnyInstallation());
  ASSERT_NO_FATAL_FAILURE(RunInstaller("/S"));
  ASSERT_NO_FATAL_FAILURE(SeedUserFiles());
  // A program file of an older version, which the upgrade must replace.
  ASSERT_TRUE(WriteFileBytes(InstalledPath("click.sys"), "an older click"));

  ASSERT_NO_FATAL_FAILURE(RunInstaller("/S"));
  ExpectUserFilesKept();
  ExpectProgramFilesInstalled();
}

TEST_F(Installer, SilentInstallEndsARunningPelkrinThroughItsShutdown) {
  ASSERT_NO_FATAL_FAILURE(RemoveAnyInstallation());
  ASSERT_NO_FATAL_FAILURE(RunInstaller("/S"));
  ASSERT_NO_FATAL_FAILURE(SeedUserFiles());
  Process program = StartInstalled();
  ASSERT_TRUE(program.valid());
  // The lists now live in the program; only its shutdown can write them back.
  for (const char* list : {"alwdom.sys", "alwcap.sys", "popblk.sys"}) {
    ASSERT_TRUE(::DeleteFileA(InstalledPath(list).c_str())) << list;
  }

  ASSERT_NO_FATAL_FAILURE(RunInstaller("/S"));
  EXPECT_TRUE(program.WaitForExit(kDefaultDeadlineMs));
  for (const char* list : {"alwdom.sys", "alwcap.sys", "popblk.sys"}) {
    const auto now = ReadFileBytes(InstalledPath(list));
    EXPECT_EQ(now, UserFiles().at(list)) << list << " after the shutdown holds:\n"
                                         << Escaped(now.value_or("<missing>"));
  }
  EXPECT_NE(ReadFileBytes(InstalledPath("pk.sys")).value_or("").find("HISTORY_COUNT="),
            std::string::npos);
  ExpectProgramFilesInstalled();
}

TEST_F(Uninstaller, SilentUninstallRemovesEverythingButTheUsersFilesAndTheProgramsOwnEntries) {
  ASSERT_NO_FATAL_FAILURE(RemoveAnyInstallation());
  ASSERT_NO_FATAL_FAILURE(RunInstaller("/S"));
  {
    // The first start installs the browser's Block button, pointing into the new folder.
    Process program = StartInstalled();
    ASSERT_TRUE(program.valid());
    ASSERT_TRUE(WaitFor(
        [] {
          return ReadRegString(HKEY_LOCAL_MACHINE, kBlockButtonKey, "Exec") ==
                 InstalledPath("block.exe");
        },
        kDefaultDeadlineMs, "the Block button's key naming the installed block.exe"));
    ASSERT_TRUE(WaitFor(
        [] {
          return ReadFileBytes(InstalledPath("pk.sys")).value_or("").find("ICON_CREATED=1") !=
                 std::string::npos;
        },
        kDefaultDeadlineMs, "ICON_CREATED=1 in pk.sys"));
    program.Stop();
  }
  const std::string settings = ReadFileBytes(InstalledPath("pk.sys")).value_or("");
  for (const auto& [name, bytes] : UserFiles()) {
    if (name == "pk.sys") continue;
    ASSERT_TRUE(WriteFileBytes(InstalledPath(name), bytes)) << name;
  }
  // Start with Windows, in the machine's Run key and in the user's.
  ASSERT_TRUE(WriteRunValue(HKEY_LOCAL_MACHINE, InstalledPath("pelkrin.exe")));
  ASSERT_TRUE(WriteRunValue(HKEY_CURRENT_USER, InstalledPath("pelkrin.exe")));

  const auto quiet = ReadRegString(HKEY_CURRENT_USER, kUninstallKey, "QuietUninstallString");
  ASSERT_EQ(quiet, "\"" + InstalledPath("uninstall.exe") + "\" /S");
  Process uninstaller = Process::Start(InstalledPath("uninstall.exe"), "/S", RunsDir());
  ASSERT_TRUE(uninstaller.valid());
  ASSERT_TRUE(uninstaller.WaitForExit(kInstallerDeadlineMs));

  // The uninstaller runs on from a copy of itself in the temporary folder: wait for its end
  // state, then look at each part of it.
  std::set<std::string> kept;
  for (const auto& [name, bytes] : UserFiles()) kept.insert(name);
  const auto done = WaitFor(
      [&] {
        return FolderEntries(InstallDir()) == kept &&
               !KeyExists(HKEY_CURRENT_USER, kUninstallKey) &&
               !KeyExists(HKEY_LOCAL_MACHINE, kBlockButtonKey) &&
               ReadFileBytes(InstalledPath("pk.sys")).value_or("").find("ICON_CREATED") ==
                   std::string::npos;
      },
      kInstallerDeadlineMs, "the uninstaller to finish");
  EXPECT_TRUE(done) << "left in " << InstallDir() << ": " << Joined(FolderEntries(InstallDir()));
  EXPECT_FALSE(FileExists(ShortcutPath()));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kBlockButtonKey));
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), std::nullopt);
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, kRunKey, kRunValue), std::nullopt);
  for (const auto& [name, bytes] : UserFiles()) {
    if (name == "pk.sys") continue;
    EXPECT_EQ(ReadFileBytes(InstalledPath(name)), bytes) << name;
  }
  // The kept settings no longer say that the Block button is there, so a later installation
  // puts it back; every other line stays as it was.
  std::string expected_settings = settings;
  const std::size_t line = expected_settings.find("ICON_CREATED=1\r\n");
  ASSERT_NE(line, std::string::npos);
  expected_settings.erase(line, std::string("ICON_CREATED=1\r\n").size());
  const auto now = ReadFileBytes(InstalledPath("pk.sys"));
  EXPECT_EQ(now, expected_settings) << Escaped(now.value_or("<missing>"));
}

// A start-with-Windows value and a Block button of another copy of Pelkrin, which still exists,
// belong to that copy: the uninstaller leaves them.
TEST_F(Uninstaller, LeavesTheEntriesOfAnotherCopyThatStillExists) {
  ASSERT_NO_FATAL_FAILURE(RemoveAnyInstallation());
  ASSERT_NO_FATAL_FAILURE(RunInstaller("/S"));
  ProgramCopy other;
  ASSERT_TRUE(other.ok());
  ASSERT_TRUE(WriteRunValue(HKEY_CURRENT_USER, other.exe_path()));
  ASSERT_TRUE(other.Start());
  ASSERT_TRUE(WaitFor(
      [&] {
        return ReadRegString(HKEY_LOCAL_MACHINE, kBlockButtonKey, "Exec") ==
               other.Path("block.exe");
      },
      kDefaultDeadlineMs, "the other copy's Block button"));
  other.Stop();

  Process uninstaller = Process::Start(InstalledPath("uninstall.exe"), "/S", RunsDir());
  ASSERT_TRUE(uninstaller.valid());
  ASSERT_TRUE(uninstaller.WaitForExit(kInstallerDeadlineMs));
  ASSERT_TRUE(WaitFor([] { return !KeyExists(HKEY_CURRENT_USER, kUninstallKey); },
                      kInstallerDeadlineMs, "the uninstaller to remove its entry"));
  ASSERT_TRUE(WaitFor([] { return !FileExists(InstallDir()); }, kInstallerDeadlineMs,
                      "the uninstaller to remove the installation folder"));
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, kRunKey, kRunValue), other.exe_path());
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kBlockButtonKey, "Exec"), other.Path("block.exe"));
  DeleteRunValue(HKEY_CURRENT_USER);
}

// ---- The installer's pages ----------------------------------------------------------------------

TEST_F(Installer, PagesWelcomeTheUserAndTheLastOneOffersToStartPelkrin) {
  ASSERT_NO_FATAL_FAILURE(RemoveAnyInstallation());
  Process installer = Process::Start(InstallerPath(), "", RunsDir());
  ASSERT_TRUE(installer.valid());
  HWND wizard = nullptr;
  const std::string caption = std::string("Pelkrin ") + PELKRIN_E2E_VERSION + " Setup";
  const auto first_page = WaitFor(
      [&] {
        wizard = FindTopLevelWindow(installer.id(), "#32770", caption.c_str());
        return IsVisible(wizard) &&
               FindControlWithText(wizard, "Welcome to Pelkrin Setup") != nullptr &&
               FindControlWithText(wizard, "&Install") != nullptr;
      },
      kDefaultDeadlineMs, "the installer's first page");
  ASSERT_TRUE(first_page) << "the installer's windows:" << DescribeWindows(installer.id());
  ScreenshotWhenStable("installer-first-page");
  ASSERT_TRUE(PressButton(wizard, IDOK));  // Install

  HWND start_now = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] { return (start_now = FindControlWithText(wizard, "Start Pelkrin now")) != nullptr; },
      kInstallerDeadlineMs, "the installer's last page"));
  ScreenshotWhenStable("installer-last-page");
  EXPECT_EQ(::SendMessageA(start_now, BM_GETCHECK, 0, 0), BST_CHECKED);
  ExpectProgramFilesInstalled();

  ASSERT_TRUE(PressButton(wizard, IDOK));  // Finish, with "Start Pelkrin now" ticked
  ASSERT_TRUE(installer.WaitForExit(kDefaultDeadlineMs));
  EXPECT_EQ(installer.ExitCode(), 0u);
  HWND main_window = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (main_window = ::FindWindowA(kMainWindowClass, nullptr)); },
                      kDefaultDeadlineMs, "the installed program to start"));
  ASSERT_TRUE(WaitFor([] { return FileExists(InstalledPath("pk.sys")); }, kDefaultDeadlineMs,
                      "pk.sys in the installation folder"));
  ASSERT_NO_FATAL_FAILURE(RemoveAnyInstallation());
}

TEST_F(Installer, PageByPageItAsksTheUserToEndARunningPelkrinAndWaitsForIt) {
  ASSERT_NO_FATAL_FAILURE(RemoveAnyInstallation());
  ASSERT_NO_FATAL_FAILURE(RunInstaller("/S"));
  ASSERT_NO_FATAL_FAILURE(SeedUserFiles());
  Process program = StartInstalled();
  ASSERT_TRUE(program.valid());

  Process installer = Process::Start(InstallerPath(), "", RunsDir());
  ASSERT_TRUE(installer.valid());
  const std::string caption = std::string("Pelkrin ") + PELKRIN_E2E_VERSION + " Setup";
  HWND wizard = WaitForWizard(caption, "&Install");
  ASSERT_NE(wizard, nullptr);
  ASSERT_TRUE(PressButton(wizard, IDOK));  // Install
  HWND box = WaitForWizardMessageBox(caption, wizard);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box).value_or("").rfind("Pelkrin is running. Please end it first", 0),
            0u)
      << MessageBoxText(box).value_or("<no text>");
  // The installer waits and touches nothing while the user has not ended the program.
  EXPECT_TRUE(program.Running());

  program.Stop();  // the user ends it
  std::map<std::string, std::optional<std::string>> user_files;
  for (const auto& [name, bytes] : UserFiles())
    user_files[name] = ReadFileBytes(InstalledPath(name));
  ASSERT_TRUE(PressButton(box, IDOK));
  HWND start_now = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] { return (start_now = FindControlWithText(wizard, "Start Pelkrin now")) != nullptr; },
      kInstallerDeadlineMs, "the installer's last page"));
  ASSERT_TRUE(::PostMessageA(start_now, BM_CLICK, 0, 0));  // untick "Start Pelkrin now"
  ASSERT_TRUE(WaitFor([&] { return ::SendMessageA(start_now, BM_GETCHECK, 0, 0) == BST_UNCHECKED; },
                      kDefaultDeadlineMs, "\"Start Pelkrin now\" to be unticked"));
  ASSERT_TRUE(PressButton(wizard, IDOK));  // Finish
  ASSERT_TRUE(installer.WaitForExit(kDefaultDeadlineMs));
  EXPECT_EQ(installer.ExitCode(), 0u);
  ExpectProgramFilesInstalled();
  for (const auto& [name, bytes] : user_files) EXPECT_EQ(ReadFileBytes(InstalledPath(name)), bytes);
  EXPECT_EQ(::FindWindowA(kMainWindowClass, nullptr), nullptr) << "Pelkrin was started";
}

TEST_F(Uninstaller, PageByPageItRemovesTheSettingsAndListsWhenTheUserSaysSo) {
  ASSERT_NO_FATAL_FAILURE(RemoveAnyInstallation());
  ASSERT_NO_FATAL_FAILURE(RunInstaller("/S"));
  ASSERT_NO_FATAL_FAILURE(SeedUserFiles());
  ASSERT_TRUE(WriteFileBytes(InstalledPath("alwdom.sys.partial"), "example.com\r\n"));

  Process uninstaller = Process::Start(InstalledPath("uninstall.exe"), "", RunsDir());
  ASSERT_TRUE(uninstaller.valid());
  const std::string caption = std::string("Pelkrin ") + PELKRIN_E2E_VERSION + " Uninstall";
  HWND wizard = WaitForWizard(caption, "&Uninstall");
  ASSERT_NE(wizard, nullptr);
  ASSERT_TRUE(PressButton(wizard, IDOK));  // Uninstall
  HWND box = WaitForWizardMessageBox(caption, wizard);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box).value_or("").rfind("Keep your Pelkrin settings and lists?", 0), 0u)
      << MessageBoxText(box).value_or("<no text>");
  ASSERT_TRUE(PressButton(box, IDNO));

  EXPECT_TRUE(WaitFor([] { return !FileExists(InstallDir()); }, kInstallerDeadlineMs,
                      "the installation folder to go"))
      << "left: " << Joined(FolderEntries(InstallDir()));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
  ASSERT_NE(WaitForWizard(caption, "&Close"), nullptr);
  ASSERT_TRUE(PressButton(wizard, IDOK));  // Close
  EXPECT_TRUE(
      WaitFor([&] { return !::IsWindow(wizard); }, kDefaultDeadlineMs, "the uninstaller to close"));
}

// ---- The version --------------------------------------------------------------------------------

// The version that the version resource of a program file gives, as "a.b.c.d"; "" without one.
std::string FileVersionOf(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return "";
  std::string info(size, '\0');
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  if (!::GetFileVersionInfoA(path.c_str(), 0, size, info.data()) ||
      !::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixed_size) ||
      fixed_size < sizeof *fixed) {
    return "";
  }
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionLS));
}

TEST(Release, TheProgramAndItsInstallerCarryTheProjectVersion) {
  const std::string version = std::string(PELKRIN_E2E_VERSION) + ".0";
  EXPECT_EQ(FileVersionOf(JoinPath(ProgramDir(), "pelkrin.exe")), version);
  EXPECT_EQ(FileVersionOf(InstallerPath()), version);
  EXPECT_NE(InstallerPath().find(std::string("pelkrin-") + PELKRIN_E2E_VERSION + "-setup.exe"),
            std::string::npos);
}

// ---- The portable zip ---------------------------------------------------------------------------

TEST(PortableZip, UnpacksToAFolderFromWhichPelkrinRuns) {
  // Unpacked by the check package_portable_zip, which ctest runs before this test.
  const std::string folder = PELKRIN_E2E_PORTABLE_DIR;
  ASSERT_TRUE(FileExists(JoinPath(folder, "pelkrin.exe"))) << folder;
  ::DeleteFileA(JoinPath(folder, "pk.sys").c_str());
  Process program = Process::Start(JoinPath(folder, "pelkrin.exe"), "", folder);
  ASSERT_TRUE(program.valid());
  EXPECT_TRUE(WaitFor([&] { return FindTrayWindow(program.id()) != nullptr; }, kDefaultDeadlineMs,
                      "the unpacked program's tray window"));
  EXPECT_TRUE(WaitFor([&] { return FileExists(JoinPath(folder, "pk.sys")); }, kDefaultDeadlineMs,
                      "pk.sys in the unpacked folder"));
}

}  // namespace
}  // namespace pelkrin::e2e
