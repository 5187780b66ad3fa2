// The release packages of this build: the per-user installer and its uninstaller, run silently
// (/S) and page by page, and the portable zip. Every effect is checked where Windows keeps it:
// the user's programs folder, the Start menu, the list of installed programs and the Run keys.
#include <windows.h>
// After <windows.h>, which it needs.
#include <sddl.h>
#include <shlobj.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

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
const std::string kSetupTitle = std::string("Pelkrin ") + PELKRIN_E2E_VERSION + " Setup";

// What the user keeps: the settings and the three lists, as a test seeds them.
const std::map<std::string, std::string> kUserFiles = {
    {"pk.sys", "[pk]\r\nPLAY_SOUND=0\r\nSTART_WITH_WINDOWS=1\r\nSUPER_MODE=1\r\n"},
    {"alwdom.sys", "example.com\r\nexample.org\r\n"},
    {"alwcap.sys", "Kept caption\r\n"},
    {"popblk.sys", "Blocked popup - example.net\r\n"},
};

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  EXPECT_TRUE(SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)));
  return path;
}
std::string InstallDir() { return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Pelkrin"; }
std::string ShortcutPath() { return ShellFolder(CSIDL_PROGRAMS) + "\\Pelkrin.lnk"; }
std::string InstalledPath(const std::string& name) { return JoinPath(InstallDir(), name); }
std::string InstallerPath() { return PELKRIN_E2E_INSTALLER; }
bool SettingsHold(const std::string& text) {
  return ReadFileBytes(InstalledPath("pk.sys")).value_or("").find(text) != std::string::npos;
}

bool KeyExists(HKEY root, const char* key) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  ::RegCloseKey(opened);
  return true;
}

// The prefix is kept between runs: every test starts from a machine on which Pelkrin was never
// installed, and no Pelkrin of an earlier test still runs.
void RemoveAnyInstallation() {
  for (HWND window; (window = ::FindWindowA(kMainWindowClass, nullptr)) != nullptr;)
    ASSERT_TRUE(EndProcessOf(window)) << "a running Pelkrin cannot be ended";
  ASSERT_TRUE(DeleteFileTree(InstallDir()));
  ::DeleteFileA(ShortcutPath().c_str());
  ASSERT_FALSE(FileExists(ShortcutPath()));
  ASSERT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, kUninstallKey));
  ASSERT_TRUE(DeleteRegistryTree(HKEY_LOCAL_MACHINE, kBlockButtonKey));
  ASSERT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, kBlockButtonKey));
  RemoveStartupEntries();
}

// Runs a package with `arguments` and waits for it to end with exit code 0.
void RunToEnd(const std::string& exe, const std::string& arguments) {
  Process process = Process::Start(exe, arguments, RunsDir());
  ASSERT_TRUE(process.valid());
  ASSERT_TRUE(process.WaitForExit(kInstallerDeadlineMs));
  EXPECT_EQ(process.ExitCode(), 0u) << exe << " " << arguments;
}
void InstallSilently() { RunToEnd(InstallerPath(), "/S"); }

void ExpectProgramFilesInstalled() {
  const std::set<std::string> built = FolderEntries(ProgramDir());
  ASSERT_FALSE(built.empty()) << "nothing in the program folder " << ProgramDir();
  for (const std::string& name : built) {
    EXPECT_EQ(ReadFileBytes(InstalledPath(name)), ReadFileBytes(JoinPath(ProgramDir(), name)))
        << name << " is missing or differs from the build's";
  }
}

void SeedUserFiles() {
  for (const auto& [name, bytes] : kUserFiles)
    ASSERT_TRUE(WriteFileBytes(InstalledPath(name), bytes)) << name;
}

void ExpectUserFile(const std::string& name) {
  const auto now = ReadFileBytes(InstalledPath(name));
  EXPECT_EQ(now, kUserFiles.at(name)) << name << " holds:\n" << Escaped(now.value_or("<none>"));
}

// Starts the installed program and waits until its start-up is complete: the settings are
// written, its icon is in the notification area, and the lists are loaded. The icon comes before
// the lists; after them, start-up removes what an interrupted save left behind, so a left-over
// save going says the lists are the program's.
Process StartInstalled() {
  const std::string leftover = InstalledPath("~pk1_1.tmp");
  EXPECT_TRUE(WriteFileBytes(leftover, "an interrupted save"));
  Process program = Process::Start(InstalledPath("pelkrin.exe"), "", InstallDir());
  if (!program.valid()) return program;
  EXPECT_TRUE(WaitFor(
      [&] {
        return FindTopLevelWindow(program.id(), kMainWindowClass) &&
               SettingsHold("HISTORY_COUNT=") && !FileExists(leftover);
      },
      kDefaultDeadlineMs, "the installed program's main window, settings and lists"));
  EXPECT_TRUE(WaitForNotificationIcon());
  return program;
}

// ---- Wizards ------------------------------------------------------------------------------------

// A wizard's caption without the blank that its pages may add at the end.
std::string WizardTitle(HWND window) {
  std::string caption = CaptionOf(window);
  while (!caption.empty() && caption.back() == ' ') caption.pop_back();
  return caption;
}

// A visible dialog of any process (the uninstaller runs on from a copy of itself) with that
// title for which `match` holds.
HWND WaitForDialog(const std::string& title, const std::function<bool(HWND)>& match,
                   const std::string& what) {
  return WaitForTopLevelWindow(
      0,
      [&](HWND window) {
        return IsVisible(window) && ClassNameOf(window) == "#32770" &&
               WizardTitle(window) == title && match(window);
      },
      "\"" + title + "\" " + what);
}
// A wizard page with that button ready to press: the progress page shows "&Close" disabled until
// the work is done.
HWND WaitForWizard(const std::string& title, const char* button) {
  return WaitForDialog(
      title, [&](HWND w) { return ::IsWindowEnabled(VisibleChild(w, "Button", button)); },
      std::string("with the button ") + button + " enabled");
}
// A message box beside the wizard: a dialog of the same title with a message text.
HWND WaitForWizardMessageBox(const std::string& title, HWND wizard) {
  return WaitForDialog(
      title, [&](HWND w) { return w != wizard && ::GetDlgItem(w, 0xFFFF) != nullptr; },
      "message box");
}
HWND WaitForLastPage(HWND wizard) {
  HWND start_now = nullptr;
  EXPECT_TRUE(WaitFor(
      [&] { return (start_now = VisibleChild(wizard, "Button", "Start Pelkrin now")) != nullptr; },
      kInstallerDeadlineMs, "the installer's last page"));
  return start_now;
}

// Ends what a failed test left of a wizard, which would otherwise keep ctest waiting.
void EndLeftoverWizards() {
  const auto leftover = [](HWND window) {
    const std::string title = WizardTitle(window);
    return ClassNameOf(window) == "#32770" && title.starts_with("Pelkrin ") &&
           (title.ends_with(" Setup") || title.ends_with(" Uninstall"));
  };
  for (HWND window; (window = FindTopLevelWindow(0, leftover)) != nullptr;)
    if (!EndProcessOf(window)) break;
}

struct Packages : ::testing::Test {
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(RemoveAnyInstallation()); }
  void TearDown() override { EndLeftoverWizards(); }
};
using Installer = Packages;
using Uninstaller = Packages;

// ---- Silent installation and removal ------------------------------------------------------------

TEST_F(Installer, SilentInstallsKeepTheUsersFilesAndEndARunningPelkrinThroughItsShutdown) {
  ASSERT_NO_FATAL_FAILURE(InstallSilently());
  ExpectProgramFilesInstalled();
  EXPECT_TRUE(FileExists(InstalledPath("uninstall.exe")));
  EXPECT_TRUE(FileExists(ShortcutPath())) << ShortcutPath();
  for (const auto& [name, bytes] : kUserFiles)
    EXPECT_FALSE(FileExists(InstalledPath(name))) << name << " came with the installer";

  // The entry in the list of installed programs.
  const std::string dir = InstallDir();
  const std::map<std::string, std::string> entry = {
      {"DisplayName", "Pelkrin"},
      {"DisplayVersion", PELKRIN_E2E_VERSION},
      {"Publisher", PELKRIN_E2E_PUBLISHER},
      {"DisplayIcon", dir + "\\pelkrin.exe,0"},
      {"InstallLocation", dir},
      {"UninstallString", "\"" + dir + "\\uninstall.exe\""},
      {"QuietUninstallString", "\"" + dir + "\\uninstall.exe\" /S"},
  };
  for (const auto& [name, value] : entry)
    EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kUninstallKey, name.c_str()), value) << name;
  const auto size = ReadRegistryValue(HKEY_CURRENT_USER, kUninstallKey, "EstimatedSize", REG_DWORD);
  ASSERT_TRUE(size && size->size() == sizeof(DWORD));
  EXPECT_GE(*reinterpret_cast<const DWORD*>(size->data()),
            ReadFileBytes(InstalledPath("pelkrin.exe")).value_or("").size() / 1024);

  // An upgrade replaces an older program file and keeps the user's files byte for byte.
  ASSERT_NO_FATAL_FAILURE(SeedUserFiles());
  ASSERT_TRUE(WriteFileBytes(InstalledPath("click.sys"), "an older click"));
  ASSERT_NO_FATAL_FAILURE(InstallSilently());
  for (const auto& [name, bytes] : kUserFiles) ExpectUserFile(name);
  ExpectProgramFilesInstalled();

  // The installed program runs from its new folder; a further installation ends it through its
  // shutdown, which alone can write back the lists it holds.
  Process program = StartInstalled();
  ASSERT_TRUE(program.valid());
  const char* const lists[] = {"alwdom.sys", "alwcap.sys", "popblk.sys"};
  for (const char* list : lists) ASSERT_TRUE(::DeleteFileA(InstalledPath(list).c_str())) << list;
  ASSERT_NO_FATAL_FAILURE(InstallSilently());
  EXPECT_TRUE(program.WaitForExit(kDefaultDeadlineMs));
  for (const char* list : lists) ExpectUserFile(list);
  EXPECT_TRUE(SettingsHold("HISTORY_COUNT="));
  ExpectProgramFilesInstalled();
}

TEST_F(Uninstaller, SilentUninstallRemovesEverythingButTheUsersFilesAndTheProgramsOwnEntries) {
  ASSERT_NO_FATAL_FAILURE(InstallSilently());
  // The user has no rights to the machine's hive: everyone is refused writing the key there.
  HKEY key = nullptr;
  PSECURITY_DESCRIPTOR denied = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kBlockButtonKey, 0, nullptr, 0, WRITE_DAC,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
      "D:(D;;0x6;;;WD)(A;;GA;;;WD)", SDDL_REVISION_1, &denied, nullptr));
  EXPECT_EQ(::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, denied), ERROR_SUCCESS);
  ::LocalFree(denied);
  ::RegCloseKey(key);
  {
    // The first start installs the browser's Block button, pointing into the new folder: in the
    // user's own hive.
    Process program = StartInstalled();
    ASSERT_TRUE(program.valid());
    ASSERT_TRUE(WaitFor(
        [] {
          return ReadRegistryValue(HKEY_CURRENT_USER, kBlockButtonKey, "Exec") ==
                     InstalledPath("block.exe") &&
                 SettingsHold("ICON_CREATED=1");
        },
        kDefaultDeadlineMs, "the Block button's key naming block.exe, and ICON_CREATED=1"));
    program.Stop();
  }
  // The kept settings will no longer say that the Block button is there, so that a later
  // installation puts it back; every other line stays as it was.
  std::string settings = ReadFileBytes(InstalledPath("pk.sys")).value_or("");
  const std::size_t line = settings.find("ICON_CREATED=1\r\n");
  ASSERT_NE(line, std::string::npos);
  settings.erase(line, std::string("ICON_CREATED=1\r\n").size());
  for (const auto& [name, bytes] : kUserFiles) {
    if (name == "pk.sys") continue;
    ASSERT_TRUE(WriteFileBytes(InstalledPath(name), bytes)) << name;
  }
  // The program's list of popups it made transparent is its own, not the user's: it goes.
  ASSERT_TRUE(WriteFileBytes(InstalledPath("popclear.sys"), "12345\r\n"));
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kRunKeyPath, "Pelkrin",
                                  InstalledPath("pelkrin.exe")));
  ASSERT_TRUE(
      WriteRegistryString(HKEY_CURRENT_USER, kRunKeyPath, "Pelkrin", InstalledPath("pelkrin.exe")));

  ASSERT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kUninstallKey, "QuietUninstallString"),
            "\"" + InstalledPath("uninstall.exe") + "\" /S");
  ASSERT_NO_FATAL_FAILURE(RunToEnd(InstalledPath("uninstall.exe"), "/S"));

  // The uninstaller runs on from a copy of itself: wait for its end state.
  std::set<std::string> kept;
  for (const auto& [name, bytes] : kUserFiles) kept.insert(name);
  std::optional<std::string> now;
  EXPECT_TRUE(WaitFor(
      [&] {
        now = ReadFileBytes(InstalledPath("pk.sys"));
        return FolderEntries(InstallDir()) == kept &&
               !KeyExists(HKEY_CURRENT_USER, kUninstallKey) &&
               !KeyExists(HKEY_CURRENT_USER, kBlockButtonKey) && now == settings;
      },
      kInstallerDeadlineMs, "the uninstaller to finish"))
      << FolderEntries(InstallDir()).size() << " entries left in " << InstallDir()
      << "; pk.sys holds:\n"
      << Escaped(now.value_or("<missing>"));
  EXPECT_FALSE(FileExists(ShortcutPath()));
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    EXPECT_EQ(ReadRegistryValue(root, kRunKeyPath, "Pelkrin"), std::nullopt);
  for (const auto& [name, bytes] : kUserFiles) {
    if (name != "pk.sys") ExpectUserFile(name);
  }
}

// A start-up value and a Block button of another copy of Pelkrin, which still exists, belong to
// that copy: the uninstaller leaves them.
TEST_F(Uninstaller, LeavesTheEntriesOfAnotherCopyThatStillExists) {
  ASSERT_NO_FATAL_FAILURE(InstallSilently());
  ProgramCopy other;
  ASSERT_TRUE(other.ok());
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kRunKeyPath, "Pelkrin", other.exe_path()));
  ASSERT_TRUE(other.Start());
  ASSERT_TRUE(WaitFor(
      [&] {
        return ReadRegistryValue(HKEY_LOCAL_MACHINE, kBlockButtonKey, "Exec") ==
               other.Path("block.exe");
      },
      kDefaultDeadlineMs, "the other copy's Block button"));
  other.Stop();

  ASSERT_NO_FATAL_FAILURE(RunToEnd(InstalledPath("uninstall.exe"), "/S"));
  ASSERT_TRUE(WaitFor(
      [] { return !KeyExists(HKEY_CURRENT_USER, kUninstallKey) && !FileExists(InstallDir()); },
      kInstallerDeadlineMs, "the uninstaller to remove its entry and folder"));
  EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kRunKeyPath, "Pelkrin"), other.exe_path());
  EXPECT_EQ(ReadRegistryValue(HKEY_LOCAL_MACHINE, kBlockButtonKey, "Exec"),
            other.Path("block.exe"));
}

// ---- The pages ----------------------------------------------------------------------------------

TEST_F(Installer, PageByPageItWaitsForARunningPelkrinAndOffersToStartItAtTheEnd) {
  ASSERT_NO_FATAL_FAILURE(InstallSilently());
  ASSERT_NO_FATAL_FAILURE(SeedUserFiles());
  Process program = StartInstalled();
  ASSERT_TRUE(program.valid());

  Process installer = Process::Start(InstallerPath(), "", RunsDir());
  ASSERT_TRUE(installer.valid());
  HWND wizard = WaitForWizard(kSetupTitle, "&Install");
  ASSERT_NE(wizard, nullptr);
  EXPECT_NE(VisibleChild(wizard, "Static", "Welcome to Pelkrin Setup"), nullptr);
  ScreenshotWhenStable("installer-first-page");
  ASSERT_TRUE(PressButton(wizard, IDOK));  // Install
  HWND box = WaitForWizardMessageBox(kSetupTitle, wizard);
  ASSERT_NE(box, nullptr);
  const std::string text = MessageBoxText(box).value_or("<no text>");
  EXPECT_EQ(text.rfind("Pelkrin is running. Please end it first", 0), 0u) << text;
  EXPECT_TRUE(program.Running()) << "the installer did not wait for the user";

  program.Stop();  // the user ends it
  std::map<std::string, std::optional<std::string>> user_files;
  for (const auto& [name, bytes] : kUserFiles)
    user_files[name] = ReadFileBytes(InstalledPath(name));
  ASSERT_TRUE(PressButton(box, IDOK));
  HWND start_now = WaitForLastPage(wizard);
  ASSERT_NE(start_now, nullptr);
  ScreenshotWhenStable("installer-last-page");
  EXPECT_EQ(::SendMessageA(start_now, BM_GETCHECK, 0, 0), BST_CHECKED);
  ExpectProgramFilesInstalled();
  for (const auto& [name, bytes] : user_files) EXPECT_EQ(ReadFileBytes(InstalledPath(name)), bytes);

  ASSERT_TRUE(PressButton(wizard, IDOK));  // Finish, with "Start Pelkrin now" ticked
  ASSERT_TRUE(installer.WaitForExit(kDefaultDeadlineMs));
  EXPECT_EQ(installer.ExitCode(), 0u);
  EXPECT_TRUE(WaitFor([] { return ::FindWindowA(kMainWindowClass, nullptr) != nullptr; },
                      kDefaultDeadlineMs, "the installed program to start"));
  ASSERT_NO_FATAL_FAILURE(RemoveAnyInstallation());
}

TEST_F(Uninstaller, PageByPageItRemovesTheSettingsAndListsWhenTheUserSaysSo) {
  ASSERT_NO_FATAL_FAILURE(InstallSilently());
  ASSERT_NO_FATAL_FAILURE(SeedUserFiles());
  ASSERT_TRUE(WriteFileBytes(InstalledPath("alwdom.sys.partial"), "example.com\r\n"));

  Process uninstaller = Process::Start(InstalledPath("uninstall.exe"), "", RunsDir());
  ASSERT_TRUE(uninstaller.valid());
  const std::string title = std::string("Pelkrin ") + PELKRIN_E2E_VERSION + " Uninstall";
  HWND wizard = WaitForWizard(title, "&Uninstall");
  ASSERT_NE(wizard, nullptr);
  ASSERT_TRUE(PressButton(wizard, IDOK));  // Uninstall
  HWND box = WaitForWizardMessageBox(title, wizard);
  ASSERT_NE(box, nullptr);
  const std::string text = MessageBoxText(box).value_or("<no text>");
  EXPECT_EQ(text.rfind("Keep your Pelkrin settings and lists?", 0), 0u) << text;
  ASSERT_TRUE(PressButton(box, IDNO));

  EXPECT_TRUE(WaitFor([] { return !FileExists(InstallDir()); }, kInstallerDeadlineMs,
                      "the installation folder to go"))
      << FolderEntries(InstallDir()).size() << " entries left";
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
  ASSERT_NE(WaitForWizard(title, "&Close"), nullptr);
  ASSERT_TRUE(PressButton(wizard, IDOK));  // Close
  EXPECT_TRUE(
      WaitFor([&] { return !::IsWindow(wizard); }, kDefaultDeadlineMs, "the uninstaller to close"));
}

// ---- The version and the portable zip -----------------------------------------------------------

// The version of a program file's version resource, as "a.b.c.d"; "" without one.
std::string FileVersionOf(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  std::string info(size, '\0');
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  if (size == 0 || !::GetFileVersionInfoA(path.c_str(), 0, size, info.data()) ||
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

TEST(PortableZip, UnpacksToAFolderFromWhichPelkrinRuns) {
  // Unpacked by the check package_portable_zip, which ctest runs before this test.
  const std::string folder = PELKRIN_E2E_PORTABLE_DIR;
  ASSERT_TRUE(FileExists(JoinPath(folder, "pelkrin.exe"))) << folder;
  ::DeleteFileA(JoinPath(folder, "pk.sys").c_str());
  Process program = Process::Start(JoinPath(folder, "pelkrin.exe"), "", folder);
  ASSERT_TRUE(program.valid());
  EXPECT_TRUE(WaitFor(
      [&] { return FindTrayWindow(program.id()) && FileExists(JoinPath(folder, "pk.sys")); },
      kDefaultDeadlineMs, "the unpacked program's tray window and pk.sys"));
}

}  // namespace
}  // namespace pelkrin::e2e
