#include "harness.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <utility>

#include "app/command_ids.h"
#include "e2e_paths.h"
#include "tray/tray_icon.h"
// After <windows.h>, which it needs.
#include <shlwapi.h>

namespace pelkrin::e2e {
namespace {

namespace fs = std::filesystem;

struct ScreenDcTraits {  // GetDC(nullptr)
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::ReleaseDC(nullptr, h); }
};
struct MemoryDcTraits {  // CreateCompatibleDC
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DeleteDC(h); }
};

std::string LastErrorText() { return "error " + std::to_string(::GetLastError()); }

bool DeleteTree(const std::string& path, std::string& error) {
  std::error_code code;
  // A read-only file is not deleted until its attribute goes.
  for (const auto& entry : fs::recursive_directory_iterator(path, code))
    ::SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
  fs::remove_all(path, code);
  if (code) error = "cannot delete " + path + " (" + code.message() + ")";
  return !code;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const char* class_name) {
  std::vector<HWND> children;
  for (HWND child = ::FindWindowExA(parent, nullptr, class_name, nullptr); child != nullptr;
       child = ::FindWindowExA(parent, child, class_name, nullptr)) {
    children.push_back(child);
  }
  return children;
}

// Top-level windows, hidden ones included; process_id 0 means every process.
std::vector<HWND> TopLevelWindows(DWORD process_id) {
  std::vector<HWND> all, windows;
  ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  for (HWND window : all) {
    if (process_id == 0 || ProcessIdOf(window) == process_id) windows.push_back(window);
  }
  return windows;
}

RECT Clip(const RECT& area, int width, int height) {
  return RECT{std::max(area.left, 0L), std::max(area.top, 0L),
              std::min(area.right, static_cast<LONG>(width)),
              std::min(area.bottom, static_cast<LONG>(height))};
}

template <typename Differs>
bool AnyPixelIn(const RECT& clipped, Differs differs) {
  for (LONG y = clipped.top; y < clipped.bottom; ++y) {
    for (LONG x = clipped.left; x < clipped.right; ++x) {
      if (differs(x, y)) return true;
    }
  }
  return false;
}

// The 24-bit bitmap header that describes a capture's pixels, rows top to bottom.
BITMAPINFOHEADER PixelFormat(const Capture& capture) {
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = capture.width;
  info.biHeight = -capture.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(capture.Stride() * capture.height);
  return info;
}

bool SaveBmp(const Capture& capture, const std::string& path) {
  const BITMAPINFOHEADER info = PixelFormat(capture);
  BITMAPFILEHEADER file_header{};
  file_header.bfType = 0x4D42;  // "BM"
  file_header.bfOffBits = sizeof file_header + sizeof info;
  file_header.bfSize = file_header.bfOffBits + info.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file_header), sizeof file_header);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  bytes.append(capture.bgr.begin(), capture.bgr.end());
  return WriteFileBytes(path, bytes);
}

// "Suite.Name" of the running test, made safe for a folder name.
std::string CurrentTestName() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = test != nullptr ? std::string(test->test_suite_name()) + "." + test->name()
                                     : std::string("outside-a-test");
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') c = '_';
  }
  return name;
}

}  // namespace

std::string ProgramDir() { return PELKRIN_E2E_PROGRAM_DIR; }
std::string RunsDir() { return PELKRIN_E2E_RUNS_DIR; }
std::string ArtifactsDir() { return PELKRIN_E2E_ARTIFACTS_DIR; }
std::string BrowserSimPath() { return PELKRIN_E2E_BROWSER_SIM; }

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '\\' || last == '/' ? folder + name : folder + "\\" + name;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  // Shared with writers: the program may be writing the file while a test polls it.
  win32::ScopedFile file(::CreateFileA(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  for (;;) {
    if (!::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
    if (read == 0) return bytes;
    bytes.append(buffer, read);
  }
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  // A running program opens its settings file for a moment at each read: the write waits until
  // the file is free.
  win32::ScopedFile file;
  (void)WaitFor(  // a file that stays in use fails the open below
      [&] {
        file.Reset(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        return file || ::GetLastError() != ERROR_SHARING_VIOLATION;
      },
      kDefaultDeadlineMs, path + " to be free");
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
         written == bytes.size();
}

bool FileExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::set<std::string> FolderEntries(const std::string& folder) {
  std::set<std::string> names;
  std::error_code code;
  for (const auto& entry : fs::directory_iterator(folder, code))
    names.insert(entry.path().filename().string());
  return names;
}

bool DeleteFileTree(const std::string& path) {
  std::string error;
  if (DeleteTree(path, error)) return true;
  ADD_FAILURE() << error;
  return false;
}

ScratchFolder::ScratchFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  path_ = JoinPath(temp, name + "." + std::to_string(::GetCurrentProcessId()));
  if (DeleteFileTree(path_) && !::CreateDirectoryA(path_.c_str(), nullptr))
    ADD_FAILURE() << "cannot create " << path_ << " (" << LastErrorText() << ")";
}

ScratchFolder::~ScratchFolder() { DeleteFileTree(path_); }

std::string TodayShortDate() {
  char buffer[128] = {};
  const int length = ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer,
                                      sizeof buffer);
  return length > 0 ? std::string(buffer, length - 1) : std::string();
}

std::string Escaped(const std::string& bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      text += "\\r";
    } else if (c == '\n') {
      text += "\\n\n";
    } else if (byte < 0x20 || byte >= 0x7F || c == '\\') {
      text += "\\x";
      text += kHex[byte >> 4];
      text += kHex[byte & 0xF];
    } else {
      text += c;
    }
  }
  return text;
}

::testing::AssertionResult WaitFor(const std::function<bool()>& condition, DWORD deadline_ms,
                                   const std::string& what) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (condition()) return ::testing::AssertionSuccess();
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= deadline_ms) {
      return ::testing::AssertionFailure()
             << "timed out after " << deadline_ms << " ms waiting for " << what;
    }
    // The polling interval, never longer than what is left of the deadline.
    ::Sleep(std::min(kPollIntervalMs, deadline_ms - elapsed));
  }
}

Process::Process(Process&& other) noexcept
    : handle_(std::move(other.handle_)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Stop();
    handle_ = std::move(other.handle_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

Process::~Process() { Stop(); }

Process Process::Start(const std::string& exe_path, const std::string& arguments,
                       const std::string& working_dir) {
  std::string command_line = "\"" + exe_path + "\"";
  if (!arguments.empty()) command_line += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Process process;
  // Wine can refuse a start with ERROR_INTERNAL_ERROR while the process of the test before is
  // still going away; such a start is tried again until the deadline.
  const auto started = [&] {
    return ::CreateProcessA(exe_path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, working_dir.c_str(), &startup, &info) != FALSE;
  };
  bool ok = started();
  for (const DWORD until = ::GetTickCount() + kDefaultDeadlineMs;
       !ok && ::GetLastError() == ERROR_INTERNAL_ERROR && ::GetTickCount() < until;) {
    ::Sleep(50);
    ok = started();
  }
  if (!ok) {
    ADD_FAILURE() << "cannot start " << command_line << " (" << LastErrorText() << ")";
    return process;
  }
  ::CloseHandle(info.hThread);
  process.handle_.Reset(info.hProcess);
  process.id_ = info.dwProcessId;
  return process;
}

bool Process::Running() const {
  return valid() && ::WaitForSingleObject(handle_.Get(), 0) == WAIT_TIMEOUT;
}

::testing::AssertionResult Process::WaitForExit(DWORD deadline_ms) const {
  if (!valid()) return ::testing::AssertionFailure() << "the process was never started";
  if (::WaitForSingleObject(handle_.Get(), deadline_ms) == WAIT_OBJECT_0) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "process " << id_ << " still runs after " << deadline_ms << " ms";
}

std::optional<DWORD> Process::ExitCode() const {
  DWORD code = 0;
  if (!valid() || Running() || !::GetExitCodeProcess(handle_.Get(), &code)) return std::nullopt;
  return code;
}

void Process::Stop() {
  if (!valid()) return;
  if (Running()) {
    ::TerminateProcess(handle_.Get(), 1);
    ::WaitForSingleObject(handle_.Get(), kDefaultDeadlineMs);
  }
}

ProgramCopy::ProgramCopy(const std::map<std::string, std::string>& seed_files)
    : folder_(JoinPath(RunsDir(), CurrentTestName())) {
  const std::string source = ProgramDir();
  if (!FileExists(JoinPath(source, kExeName))) {
    ADD_FAILURE() << "no " << kExeName << " in the program folder " << source;
    return;
  }
  // The build's program folder must look like a fresh installation; a settings file there
  // means someone ran the program in it, and every "first start" result would be wrong.
  if (FileExists(JoinPath(source, "pk.sys"))) {
    ADD_FAILURE() << "the program folder " << source
                  << " holds a pk.sys, so it is not a fresh installation; delete it";
    return;
  }
  std::string error;
  std::error_code code;
  if (DeleteTree(folder_, error)) {
    fs::create_directories(RunsDir(), code);
    fs::copy(source, folder_, fs::copy_options::recursive, code);
    if (code) error = "cannot copy " + source + " (" + code.message() + ")";
  }
  if (!error.empty()) {
    ADD_FAILURE() << "cannot prepare " << folder_ << ": " << error;
    return;
  }
  for (const auto& [file, bytes] : seed_files) {
    if (!WriteFileBytes(Path(file), bytes)) {
      ADD_FAILURE() << "cannot write " << Path(file) << " (" << LastErrorText() << ")";
      return;
    }
  }
  ok_ = true;
}

ProgramCopy::~ProgramCopy() {
  Stop();
  RemoveStartupEntries();
}

void RemoveStartupEntries() {
  // A program started from a test folder writes its start-up entry (start_with_windows is on
  // at a first start); left there, Wine would start that copy with the next session.
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    EXPECT_TRUE(WriteRegistryString(root, kRunKeyPath, "Pelkrin", std::nullopt));
}

std::optional<std::string> ProgramCopy::ReadFile(const std::string& name) const {
  return ReadFileBytes(Path(name));
}
bool ProgramCopy::Exists(const std::string& name) const { return FileExists(Path(name)); }

::testing::AssertionResult ProgramCopy::Start(const std::string& arguments) {
  if (!ok_) return ::testing::AssertionFailure() << "the program folder copy was not made";
  if (process_.valid() && process_.Running()) {
    return ::testing::AssertionFailure() << "this copy's first instance is running already";
  }
  process_ = Process::Start(exe_path(), arguments, folder_);
  if (!process_.valid()) return ::testing::AssertionFailure() << "cannot start " << exe_path();
  return ::testing::AssertionSuccess();
}

Process ProgramCopy::StartAnother(const std::string& arguments) const {
  return Process::Start(exe_path(), arguments, folder_);
}

HWND ProgramCopy::MainWindow() const {
  return process_.valid() ? FindTopLevelWindow(process_.id(), kMainWindowClass, nullptr) : nullptr;
}

HWND ProgramCopy::TrayWindow() const {
  return process_.valid() ? FindTrayWindow(process_.id()) : nullptr;
}

HWND ProgramCopy::WaitForMainWindow(DWORD deadline_ms) const {
  if (!process_.valid()) {
    ADD_FAILURE() << "WaitForMainWindow: the program was not started";
    return nullptr;
  }
  HWND window = nullptr;
  const auto found = WaitFor(
      [&] {
        window = MainWindow();
        return window != nullptr || !process_.Running();
      },
      deadline_ms, std::string("the main window (class ") + kMainWindowClass + ")");
  if (window != nullptr) return window;
  if (const auto code = process_.ExitCode()) {
    ADD_FAILURE() << "the program ended with exit code " << *code
                  << " before its main window appeared";
  } else {
    ADD_FAILURE() << found.message();
  }
  return nullptr;
}

std::string ClassNameOf(HWND window) {
  char name[256] = {};
  const int length = ::GetClassNameA(window, name, sizeof name);
  return std::string(name, std::max(length, 0));
}

std::string CaptionOf(HWND window) {
  char caption[1024] = {};
  const int length = ::GetWindowTextA(window, caption, sizeof caption);
  return std::string(caption, std::max(length, 0));
}

std::optional<std::string> ReadText(HWND window, UINT timeout_ms) {
  // The length is asked for with the W function: under Wine 8, SendMessageTimeoutA with
  // WM_GETTEXTLENGTH ignores its time limit and blocks for good on a window that does not
  // answer. An ANSI text takes at most two bytes per UTF-16 unit.
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeout_ms,
                             &length)) {
    return std::nullopt;
  }
  length *= 2;
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, timeout_ms, &copied)) {
    return std::nullopt;
  }
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

DWORD ProcessIdOf(HWND window) {
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(window, &process_id);
  return process_id;
}

bool IsVisible(HWND window) { return window != nullptr && ::IsWindowVisible(window) != FALSE; }

HWND VisibleChild(HWND parent, const char* class_name, const char* text) {
  std::vector<HWND> children;
  ::EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    if (IsVisible(child) && ClassNameOf(child) == class_name &&
        (text == nullptr || ReadText(child).value_or("") == text)) {
      return child;
    }
  }
  return nullptr;
}

void Click(HWND button) { ::PostMessageA(button, BM_CLICK, 0, 0); }

void ClickAt(HWND window, int x, int y) {
  ::PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  ::PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

HWND FindTopLevelWindow(DWORD process_id, const std::function<bool(HWND)>& match) {
  for (HWND window : TopLevelWindows(process_id)) {
    if (match(window)) return window;
  }
  return nullptr;
}

HWND FindTopLevelWindow(DWORD process_id, const char* class_name, const char* caption) {
  return FindTopLevelWindow(process_id, [&](HWND window) {
    return (class_name == nullptr || ClassNameOf(window) == class_name) &&
           (caption == nullptr || CaptionOf(window) == caption);
  });
}

HWND WaitForTopLevelWindow(DWORD process_id, const std::function<bool(HWND)>& match,
                           const std::string& what, DWORD deadline_ms) {
  HWND found = nullptr;
  const auto shown =
      WaitFor([&] { return (found = FindTopLevelWindow(process_id, match)) != nullptr; },
              deadline_ms, what);
  if (!shown) ADD_FAILURE() << shown.message();
  return found;
}

HWND WaitForMessageBox(const std::string& title, DWORD deadline_ms, DWORD process_id) {
  return WaitForTopLevelWindow(
      process_id,
      [&](HWND window) {
        return IsVisible(window) && ClassNameOf(window) == "#32770" && CaptionOf(window) == title;
      },
      "a message box titled \"" + title + "\"", deadline_ms);
}

bool EndProcessOf(HWND window) {
  win32::ScopedKernelHandle process(
      ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessIdOf(window)));
  return process && ::TerminateProcess(process.Get(), 1) &&
         ::WaitForSingleObject(process.Get(), kDefaultDeadlineMs) == WAIT_OBJECT_0;
}

std::optional<std::string> MessageBoxText(HWND box) {
  HWND text = ::GetDlgItem(box, 0xFFFF);
  if (text == nullptr) return std::nullopt;
  return ReadText(text);
}

bool PressButton(HWND dialog, int button_id) {
  HWND button = ::GetDlgItem(dialog, button_id);
  return button != nullptr && ::PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

HWND FindTrayWindow(DWORD process_id) {
  if (HWND window = FindTopLevelWindow(process_id, kTrayWindowClass, nullptr)) return window;
  // A message-only window is not enumerated with the top-level ones.
  for (HWND window : ChildrenOfClass(HWND_MESSAGE, kTrayWindowClass)) {
    if (ProcessIdOf(window) == process_id) return window;
  }
  return nullptr;
}

bool PostTrayMessage(HWND tray_window, UINT mouse_message, UINT icon_id) {
  return ::PostMessageA(tray_window, kTrayCallbackMessage, icon_id, mouse_message) != FALSE;
}

HWND FindVisibleMenu(DWORD process_id) {
  // Menu windows stay around hidden between uses, so only a visible one counts.
  for (HWND window : ChildrenOfClass(nullptr, "#32768")) {
    if (IsVisible(window) && (process_id == 0 || ProcessIdOf(window) == process_id)) {
      return window;
    }
  }
  return nullptr;
}

HWND WaitForMenu(DWORD process_id, DWORD deadline_ms) {
  HWND menu = nullptr;
  const auto shown = WaitFor([&] { return (menu = FindVisibleMenu(process_id)) != nullptr; },
                             deadline_ms, "a visible pop-up menu (#32768)");
  if (!shown) ADD_FAILURE() << shown.message();
  return menu;
}

bool CloseMenu(HWND menu_window) {
  return ::PostMessageA(menu_window, WM_KEYDOWN, VK_ESCAPE, 0) != FALSE;
}

bool PostCommand(HWND main_window, std::uint16_t command_id) {
  return ::PostMessageA(main_window, WM_COMMAND, MAKEWPARAM(command_id, 0), 0) != FALSE;
}

bool DeleteRegistryTree(HKEY root, const std::string& subkey) {
  const DWORD result = ::SHDeleteKeyA(root, subkey.c_str());
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

std::optional<std::string> ReadRegistryValue(HKEY root, const std::string& key,
                                             const std::string& name, DWORD type) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  win32::ScopedRegKey owned(opened);
  std::string data(2048, '\0');
  DWORD size = static_cast<DWORD>(data.size()), found = 0;
  if (::RegQueryValueExA(opened, name.c_str(), nullptr, &found,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS ||
      found != type) {
    return std::nullopt;
  }
  data.resize(size);
  if (type == REG_SZ) data.resize(std::min(data.size(), data.find('\0')));
  return data;
}

bool WriteRegistryString(HKEY root, const std::string& key, const std::string& name,
                         const std::optional<std::string>& value) {
  HKEY opened = nullptr;
  if (::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  win32::ScopedRegKey owned(opened);
  const LONG result = value ? ::RegSetValueExA(opened, name.c_str(), 0, REG_SZ,
                                               reinterpret_cast<const BYTE*>(value->c_str()),
                                               static_cast<DWORD>(value->size() + 1))
                            : ::RegDeleteValueA(opened, name.c_str());
  return result == ERROR_SUCCESS || (!value && result == ERROR_FILE_NOT_FOUND);
}

COLORREF Capture::Pixel(int x, int y) const {
  const std::size_t at = y * Stride() + static_cast<std::size_t>(x) * 3;
  return RGB(bgr[at + 2], bgr[at + 1], bgr[at]);
}

bool Capture::DiffersIn(const Capture& other, const RECT& area) const {
  return other.width != width || other.height != height ||
         AnyPixelIn(Clip(area, width, height),
                    [&](LONG x, LONG y) { return Pixel(x, y) != other.Pixel(x, y); });
}

bool Capture::HasDetailIn(const RECT& area) const {
  const RECT clipped = Clip(area, width, height);
  if (clipped.left >= clipped.right || clipped.top >= clipped.bottom) return false;
  const COLORREF first = Pixel(clipped.left, clipped.top);
  return AnyPixelIn(clipped, [&](LONG x, LONG y) { return Pixel(x, y) != first; });
}

std::optional<Capture> CaptureScreen() {
  Capture capture;
  capture.width = ::GetSystemMetrics(SM_CXSCREEN);
  capture.height = ::GetSystemMetrics(SM_CYSCREEN);
  if (capture.width <= 0 || capture.height <= 0) return std::nullopt;

  win32::ScopedHandle<ScreenDcTraits> screen(::GetDC(nullptr));
  if (!screen) return std::nullopt;
  win32::ScopedHandle<MemoryDcTraits> memory(::CreateCompatibleDC(screen.Get()));
  win32::ScopedGdiObject bitmap(
      ::CreateCompatibleBitmap(screen.Get(), capture.width, capture.height));
  if (!memory || !bitmap) return std::nullopt;
  {
    win32::ScopedSelect select(memory.Get(), bitmap.Get());
    if (!::BitBlt(memory.Get(), 0, 0, capture.width, capture.height, screen.Get(), 0, 0,
                  SRCCOPY | CAPTUREBLT)) {
      return std::nullopt;
    }
  }

  BITMAPINFO info{};
  info.bmiHeader = PixelFormat(capture);
  capture.bgr.resize(info.bmiHeader.biSizeImage);
  if (::GetDIBits(memory.Get(), static_cast<HBITMAP>(bitmap.Get()), 0, capture.height,
                  capture.bgr.data(), &info, DIB_RGB_COLORS) != capture.height) {
    return std::nullopt;
  }
  return capture;
}

std::optional<Capture> Screenshot(const std::string& name) {
  auto capture = CaptureScreen();
  if (!capture) {
    ADD_FAILURE() << "cannot capture the screen for " << name << " (" << LastErrorText() << ")";
    return std::nullopt;
  }
  const std::string path = JoinPath(ArtifactsDir(), name + ".bmp");
  std::error_code code;
  fs::create_directories(ArtifactsDir(), code);
  if (!SaveBmp(*capture, path)) {
    ADD_FAILURE() << "cannot write " << path << " (" << LastErrorText() << ")";
  }
  return capture;
}

std::optional<Capture> ScreenshotWhenStable(const std::string& name, DWORD deadline_ms) {
  std::optional<Capture> previous = CaptureScreen();
  WaitFor(
      [&] {
        ::Sleep(100);  // the interval between the two captures that must agree
        std::optional<Capture> next = CaptureScreen();
        const bool stable = previous && next && previous->bgr == next->bgr;
        previous = std::move(next);
        return stable;
      },
      deadline_ms, "the screen to settle for " + name);
  return Screenshot(name);
}

std::optional<RECT> NotificationArea() {
  HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
  RECT bar{};
  if (!IsVisible(taskbar) || !::GetWindowRect(taskbar, &bar)) return std::nullopt;
  // Windows keeps the icons in a child window of their own.
  RECT area{};
  if (HWND notify = ::FindWindowExA(taskbar, nullptr, "TrayNotifyWnd", nullptr);
      IsVisible(notify) && ::GetWindowRect(notify, &area)) {
    return area;
  }
  // Wine paints the icons onto the taskbar itself, lined up from its right end, and puts the
  // Start button and one button per program window at its left: the icons own the part right
  // of the last visible button.
  LONG left = bar.left;
  for (HWND child = ::GetWindow(taskbar, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT rect{};
    if (IsVisible(child) && ClassNameOf(child) == "Button" && ::GetWindowRect(child, &rect)) {
      left = std::max(left, rect.right);
    }
  }
  return RECT{left, bar.top, bar.right, bar.bottom};
}

bool NotificationAreaVisibleIn(const Capture& capture) {
  const auto area = NotificationArea();
  if (!area) return false;
  const RECT clipped = Clip(*area, capture.width, capture.height);
  if (clipped.right - clipped.left < area->right - area->left ||
      clipped.bottom - clipped.top < area->bottom - area->top) {
    return false;  // partly off the captured screen
  }
  return capture.HasDetailIn(clipped);
}

::testing::AssertionResult WaitForNotificationIcon(DWORD deadline_ms) {
  return WaitFor(
      [] {
        const auto capture = CaptureScreen();
        return capture && NotificationAreaVisibleIn(*capture);
      },
      deadline_ms, "an icon in the taskbar's notification area");
}

}  // namespace pelkrin::e2e
