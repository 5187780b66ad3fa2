#include "platform/win32/win32_platform.h"

#include "platform/command_line.h"
#include "platform/win32/diagnostics.h"

namespace pelkrin::win32 {

namespace {

std::string UserName() {
  char name[257] = {};  // UNLEN + 1
  DWORD size = sizeof name;
  return ::GetUserNameA(name, &size) ? std::string(name) : std::string();
}

}  // namespace

std::string ProgramFilePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    // Cut off (XP then leaves it unterminated): try a bigger buffer, up to the longest path.
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

std::string Win32Process::ProgramFolder() {
  const std::string path = ProgramFilePath();
  const auto cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string Win32Process::ProgramBaseName() {
  const std::string path = ProgramFilePath();
  std::string name = path.substr(path.find_last_of('\\') + 1);
  const auto dot = name.find_last_of('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

std::string Win32Process::WindowsFolder() {
  const UINT needed = ::GetWindowsDirectoryA(nullptr, 0);
  if (needed == 0) return {};
  std::string folder(needed, '\0');
  const UINT length = ::GetWindowsDirectoryA(folder.data(), needed);
  folder.resize(length < needed ? length : 0);
  return folder;
}

bool Win32Process::AnotherCopyIsRunning() {
  if (single_copy_) return false;  // this copy holds the claim already
  // "Local\" keeps terminal-server sessions apart; the user name keeps users of one session
  // (runas) apart.
  const std::string name = "Local\\Pelkrin.SingleCopy." + UserName();
  ScopedKernelHandle mutex(::CreateMutexA(nullptr, FALSE, name.c_str()));
  const DWORD error = ::GetLastError();
  // Access denied: the mutex exists but belongs to a copy running with other rights.
  if (!mutex) return error == ERROR_ACCESS_DENIED;
  if (error == ERROR_ALREADY_EXISTS)
    return true;  // our handle closes; the first copy keeps its own
  single_copy_ = std::move(mutex);
  return false;
}

bool Win32Process::StartProgram(const std::string& program, const std::string& argument) {
  const std::optional<std::wstring> path = WidenAnsi(program);
  const std::optional<std::wstring> wide_argument = WidenAnsi(argument);
  if (!path || !wide_argument || path->empty()) {
    TraceDiagnostic("cannot start \"" + program + "\": a text is not of the ANSI code page");
    return false;
  }
  // The path's %NAME% references, as an expandable registry value holds them.
  std::wstring expanded(32768, L'\0');
  const DWORD length = ::ExpandEnvironmentStringsW(path->c_str(), expanded.data(),
                                                   static_cast<DWORD>(expanded.size()));
  if (length == 0 || length > expanded.size()) {
    TraceDiagnostic("cannot start \"" + program + "\": its path does not expand");
    return false;
  }
  expanded.resize(length - 1);
  // The program is named twice: as the file to start, so that no search along the path takes
  // another one, and quoted at the head of its command line, where programs look for their name.
  std::wstring command_line =
      QuoteArgument<wchar_t>(expanded) + L" " + QuoteArgument<wchar_t>(*wide_argument);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(expanded.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
    TraceDiagnostic("cannot start \"" + program + "\" (error " + std::to_string(::GetLastError()) +
                    ")");
    return false;
  }
  // The program runs on its own: nothing waits for it.
  ScopedKernelHandle process(started.hProcess);
  ScopedKernelHandle thread(started.hThread);
  return true;
}

void Win32Process::Exit(int code) { ::ExitProcess(static_cast<UINT>(code)); }

Platform Win32Platform::Get() {
  return Platform{windows_,  profile_, registry_, sound_,   notify_,      dialogs_,
                  pictures_, events_,  files_,    process_, diagnostics_, text_case_};
}

}  // namespace pelkrin::win32
