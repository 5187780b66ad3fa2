// The Win32 platform seam against the real system (Wine here, Windows too): the behaviour the
// program's core relies on, and that the simulated desktop of the unit tests reproduces.
#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/callback_guard.h"
#include "tray/systray.h"

namespace pelkrin::win32 {
namespace {

constexpr char kTestKey[] = "Software\\PelkrinTest";

// Pumps this thread's messages while waiting, so windows of this thread stay responsive.
bool WaitUntil(const std::function<bool()>& condition, int deadline_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadline_ms);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return condition();
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

// A folder of this test under %TEMP%, emptied and removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "PelkrinPlatformTest." + std::to_string(::GetCurrentProcessId()) +
            "." + std::to_string(++count_);
    ::CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    Win32FileSystem files;
    for (const std::string& name : files.ListFiles(path_, "*")) files.DeleteFile(File(name));
    ::RemoveDirectoryA(path_.c_str());
  }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  static inline int count_ = 0;
  std::string path_;
};

// ---- Private-profile files ----

TEST(Win32ProfileTest, WriteSequenceGivesTheBytesTheSimulationWrites) {
  ScratchFolder folder;
  const std::string ini = folder.File("pk.sys");
  Win32ProfileFile profile;
  // The same calls as SimProfileTest.WriteSequenceGivesTheBytesWindowsWrites.
  EXPECT_TRUE(profile.Write(ini, "Settings", "Alpha", "1"));
  EXPECT_TRUE(profile.Write(ini, "Settings", "Beta", ""));
  EXPECT_TRUE(profile.Write(ini, "Other", "X", "y"));
  EXPECT_TRUE(profile.Write(ini, "settings", "ALPHA", "2"));
  EXPECT_TRUE(profile.Write(ini, "SETTINGS", "Gamma", "3"));
  EXPECT_TRUE(profile.Write(ini, "  Third ", "  Key2  ", "  value  "));
  EXPECT_EQ(Win32FileSystem().ReadFile(ini),
            (FileContents{"[Settings]\r\nAlpha=2\r\nBeta=\r\nGamma=3\r\n"
                          "[Other]\r\nX=y\r\n"
                          "[Third ]\r\nKey2  =value  \r\n"}));

  EXPECT_EQ(profile.Read(ini, "third", "KEY2", "(none)", 256), "value");
  EXPECT_EQ(profile.Read(ini, "Settings", "Beta", "(none)", 256), "");
  EXPECT_EQ(profile.Read(ini, "Settings", "Missing", "def  ", 256), "def");
  EXPECT_EQ(profile.Read(ini, "Nowhere", "X", "fallback", 256), "fallback");
  EXPECT_EQ(profile.Read(folder.File("missing.ini"), "Other", "X", "none", 256), "none");
  EXPECT_EQ(profile.Read(ini, "Settings", "Alpha", "", 0), "");
}

TEST(Win32ProfileTest, LongValueIsCutToTheBuffer) {
  ScratchFolder folder;
  const std::string ini = folder.File("pk.sys");
  Win32ProfileFile profile;
  ASSERT_TRUE(profile.Write(ini, "S", "Big", std::string(800, 'x')));
  EXPECT_EQ(profile.Read(ini, "S", "Big", "", 750), std::string(749, 'x'));
  EXPECT_EQ(profile.Read(ini, "S", "Missing", "0123456789", 5), "0123");
  EXPECT_FALSE(profile.Write(folder.File("no such folder\\pk.sys"), "S", "K", "V"));
}

// ---- Registry ----

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { RemoveTestKey(); }
  void TearDown() override { RemoveTestKey(); }
  void RemoveTestKey() {
    registry.DeleteKey(kHkeyCurrentUser, std::string(kTestKey) + "\\Sub");
    registry.DeleteKey(kHkeyCurrentUser, kTestKey);
  }
  Win32Registry registry;
};

TEST_F(Win32RegistryTest, WriteReadAndDeleteThroughTheSeam) {
  RegKey key = 0;
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, kTestKey, kKeyAllAccess, &key), kErrorSuccess);
  ASSERT_EQ(registry.SetStringValue(key, "Name", "hello"), kErrorSuccess);

  std::uint32_t size = 0;
  ASSERT_EQ(registry.QueryValue(key, "NAME", nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 6u);
  std::string data = "untouched";
  size = 5;
  EXPECT_EQ(registry.QueryValue(key, "Name", &data, &size), kErrorMoreData);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(data, "untouched");
  size = 64;
  ASSERT_EQ(registry.QueryValue(key, "Name", &data, &size), kErrorSuccess);
  EXPECT_EQ(data, std::string("hello\0", 6));
  EXPECT_EQ(size, 6u);

  EXPECT_EQ(registry.DeleteValue(key, "name"), kErrorSuccess);
  EXPECT_EQ(registry.QueryValue(key, "Name", nullptr, &size), kErrorFileNotFound);

  RegKey sub = 0;
  ASSERT_EQ(registry.CreateKey(key, "Sub", kKeyAllAccess, &sub), kErrorSuccess);
  EXPECT_EQ(registry.CloseKey(sub), kErrorSuccess);
  EXPECT_EQ(registry.DeleteKey(kHkeyCurrentUser, kTestKey), kErrorAccessDenied);  // has a subkey
  EXPECT_EQ(registry.DeleteKey(key, "Sub"), kErrorSuccess);
  EXPECT_EQ(registry.CloseKey(key), kErrorSuccess);
  EXPECT_EQ(registry.DeleteKey(kHkeyCurrentUser, kTestKey), kErrorSuccess);
  EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, kTestKey, kKeyRead, &key), kErrorFileNotFound);

  // An empty path on a root gives the root itself back, as the simulation assumes.
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "", kKeyRead, &key), kErrorSuccess);
  EXPECT_EQ(key, kHkeyCurrentUser);
}

// ---- Files ----

TEST(Win32FilesTest, ReplaceFileReadFileAndListFiles) {
  ScratchFolder folder;
  Win32FileSystem files;
  const std::string list = folder.File("captions.txt");
  EXPECT_EQ(files.ReadFile(list), std::nullopt);
  ASSERT_TRUE(files.ReplaceFile(list, "first\r\n"));
  ASSERT_TRUE(files.ReplaceFile(list, std::string("second\0\r\n", 9)));
  EXPECT_EQ(files.ReadFile(list), FileContents{std::string("second\0\r\n", 9)});
  ASSERT_TRUE(files.ReplaceFile(folder.File("B.TXT"), ""));
  EXPECT_EQ(files.ReadFile(folder.File("b.txt")), FileContents{});
  ::CreateDirectoryA(folder.File("sub.txt").c_str(), nullptr);
  // Files only, in name order; no temporary file is left over.
  EXPECT_EQ(files.ListFiles(folder.Path(), "*.txt"),
            (std::vector<std::string>{"B.TXT", "captions.txt"}));
  ::RemoveDirectoryA(folder.File("sub.txt").c_str());
  EXPECT_TRUE(files.DeleteFile(list));
  EXPECT_FALSE(files.DeleteFile(list));
}

// A file of `size` bytes, all zero, made without writing them.
bool MakeFileOfSize(const std::string& path, LONGLONG size) {
  ScopedFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER end{};
  end.QuadPart = size;
  return file && ::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) &&
         ::SetEndOfFile(file.Get());
}

TEST(Win32FilesTest, ReadFileSaysWhetherItGotTheWholeFile) {
  ScratchFolder folder;
  Win32FileSystem files;
  const std::string path = folder.File("big.sys");
  ASSERT_TRUE(MakeFileOfSize(path, kMaxReadBytes));
  auto read = files.ReadFile(path);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->bytes.size(), kMaxReadBytes);
  EXPECT_TRUE(read->whole) << "a file of exactly the limit is read whole";
  ASSERT_TRUE(MakeFileOfSize(path, kMaxReadBytes + 1));
  read = files.ReadFile(path);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->bytes.size(), kMaxReadBytes);
  EXPECT_FALSE(read->whole) << "one byte more is not read";
}

TEST(Win32FilesTest, ReplaceFileThatCannotCompleteKeepsTheOldFile) {
  ScratchFolder folder;
  Win32FileSystem files;
  // The target is a folder: the move fails at the very end.
  const std::string blocked = folder.File("blocked");
  ASSERT_TRUE(::CreateDirectoryA(blocked.c_str(), nullptr));
  EXPECT_FALSE(files.ReplaceFile(blocked, "data"));
  EXPECT_TRUE(::GetFileAttributesA(blocked.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  ::RemoveDirectoryA(blocked.c_str());
  // Invalid paths.
  EXPECT_FALSE(files.ReplaceFile(folder.File("no such folder\\x.txt"), "data"));
  EXPECT_FALSE(files.ReplaceFile(folder.File("bad<name>.txt"), "data"));
  EXPECT_FALSE(files.ReplaceFile("", "data"));
  EXPECT_TRUE(files.ListFiles(folder.Path(), "*").empty());  // no temporary file left over

  // A folder nobody may write to, whatever the rights of the tester (Wine shows the Unix
  // /proc as Z:\proc).
  const std::string fixed = "Z:\\proc\\version";
  const auto before = files.ReadFile(fixed);
  if (!before) GTEST_SKIP() << "no read-only folder to try";
  EXPECT_FALSE(files.ReplaceFile(fixed, "replaced"));
  EXPECT_EQ(files.ReadFile(fixed), before);
}

// ---- Letter case ----

// CharLowerBuffA lowers every byte, NULs included, by the ANSI code page. In Windows-1252 (where
// the simulated desktop's letter case must agree with it byte for byte) that is A to Z, 0xC0 to
// 0xDE without 0xD7, and 0x8A, 0x8C, 0x8E, 0x9F.
TEST(Win32TextCaseTest, LowersByTheAnsiCodePage) {
  Win32TextCase text_case;
  EXPECT_EQ(text_case.Lower("Example.COM/Path"), "example.com/path");
  EXPECT_EQ(text_case.Lower(std::string("A\0B", 3)), std::string("a\0b", 3));
  EXPECT_EQ(text_case.Lower(""), "");
  if (::GetACP() != 1252)
    GTEST_SKIP() << "the ANSI code page here is " << ::GetACP() << ", not Windows-1252";
  EXPECT_EQ(text_case.Lower("CAF\xC9"), "caf\xE9");
  std::string every_byte;
  for (int c = 0; c < 256; ++c) every_byte += static_cast<char>(c);
  const std::string lowered = text_case.Lower(every_byte);
  ASSERT_EQ(lowered.size(), 256u);
  for (int c = 0; c < 256; ++c) {
    int expected = c;
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) expected = c + 0x20;
    if (c == 0x8A || c == 0x8C || c == 0x8E) expected = c + 0x10;
    if (c == 0x9F) expected = 0xFF;
    EXPECT_EQ(static_cast<unsigned char>(lowered[static_cast<std::size_t>(c)]), expected)
        << "byte 0x" << std::hex << c;
  }
}

// ---- Process ----

TEST(Win32ProcessTest, SingleCopyClaimLastsAsLongAsItsHolder) {
  {
    Win32Process first;
    Win32Process second;
    EXPECT_FALSE(first.AnotherCopyIsRunning());
    EXPECT_TRUE(second.AnotherCopyIsRunning());
    EXPECT_FALSE(first.AnotherCopyIsRunning());  // asking again does not give up the claim
    EXPECT_TRUE(second.AnotherCopyIsRunning());
  }
  Win32Process later;  // the first copy has ended
  EXPECT_FALSE(later.AnotherCopyIsRunning());
}

TEST(Win32ProcessTest, FoldersOfTheProgramAndOfWindows) {
  Win32Process process;
  const std::string folder = process.ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  const std::string base = process.ProgramBaseName();
  EXPECT_EQ(base.find('.'), std::string::npos);
  EXPECT_NE(::GetFileAttributesA((folder + "\\" + base + ".exe").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(::GetFileAttributesA(process.WindowsFolder().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

// ---- Windows of other threads and programs ----

// A top-level window on a thread of its own that stops answering once created.
class HungWindow {
 public:
  HungWindow() {
    thread_ = std::thread([this] {
      window_ = ::CreateWindowExA(0, "STATIC", "Hung Window", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                  nullptr, nullptr, nullptr, nullptr);
      ready_ = true;
      ::WaitForSingleObject(release_.Get(), INFINITE);  // not pumping: hung
      ::DestroyWindow(window_);
    });
    while (!ready_) ::Sleep(5);
  }
  ~HungWindow() {
    ::SetEvent(release_.Get());
    thread_.join();
  }
  Hwnd Handle() const { return FromHwnd(window_); }

 private:
  ScopedKernelHandle release_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<bool> ready_{false};
  HWND window_ = nullptr;
  std::thread thread_;
};

TEST(Win32WindowsTest, HungWindowNeverBlocksTheCaller) {
  HungWindow hung;
  Win32WindowManager windows;
  auto start = std::chrono::steady_clock::now();
  const auto elapsed_ms = [&start] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
  };
  // The sends give up after their time limit (1 s), not when the window answers.
  EXPECT_EQ(windows.SendGetText(hung.Handle(), 64, 1000), std::nullopt);
  EXPECT_LT(elapsed_ms(), 2000);
  start = std::chrono::steady_clock::now();
  windows.SetCaption(hung.Handle(), "Renamed");
  EXPECT_LT(elapsed_ms(), 2000);
  // These do not wait at all.
  start = std::chrono::steady_clock::now();
  windows.Show(hung.Handle(), kSwHide);
  windows.Post(hung.Handle(), WM_NULL, 0, 0);
  windows.MakeTopmost(hung.Handle());
  EXPECT_TRUE(windows.IsWindow(hung.Handle()));
  EXPECT_TRUE(windows.IsVisible(hung.Handle()));  // the hide waits until the window answers
  EXPECT_LT(elapsed_ms(), 500);
}

TEST(Win32WindowsTest, EnumerationAndLookupSeeANewWindow) {
  const std::string caption = "Pelkrin Platform Test " + std::to_string(::GetCurrentProcessId());
  ScopedWindow window(::CreateWindowExA(0, "STATIC", caption.c_str(), WS_POPUP, 0, 0, 10, 10,
                                        nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(window);
  Win32WindowManager windows;
  const Hwnd handle = FromHwnd(window.Get());
  bool seen = false;
  windows.EnumTopLevel([&](Hwnd h) {
    seen = seen || h == handle;
    return true;
  });
  EXPECT_TRUE(seen);
  int visits = 0;
  windows.EnumTopLevel([&](Hwnd) { return ++visits < 2; });
  EXPECT_EQ(visits, 2);

  std::string upper = caption, static_class = "static";
  for (char& c : upper) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(windows.FindTopLevel(&static_class, &upper), handle);  // case-insensitive
  const std::string part = caption.substr(0, 10);
  EXPECT_EQ(windows.FindTopLevel(nullptr, &part), kNoWindow);
  EXPECT_EQ(windows.ClassName(handle, 4), "Sta");
  EXPECT_EQ(windows.ClassName(handle, 1), "");
  EXPECT_EQ(windows.Caption(handle, 8), caption.substr(0, 7));
  EXPECT_EQ(windows.CaptionLength(handle), static_cast<int>(caption.size()));
  EXPECT_EQ(windows.Style(handle) & WS_VISIBLE, 0u);
  EXPECT_EQ(windows.SendGetText(handle, 8, 1000), caption.substr(0, 7) + '\0');
  EXPECT_EQ(windows.SendGetTextLength(handle, 1000), static_cast<long>(caption.size()));

  windows.SetCaption(handle, "Renamed");
  EXPECT_EQ(windows.Caption(handle, 64), "Renamed");
  windows.Show(handle, kSwShow);
  EXPECT_TRUE(WaitUntil([&] { return windows.IsVisible(handle); }, 2000));
  window.Reset();
  EXPECT_FALSE(windows.IsWindow(handle));
  EXPECT_EQ(windows.ClassName(handle, 64), "");
  EXPECT_EQ(windows.SendGetText(handle, 8, 1000), std::nullopt);
}

// ---- The tray window and the notification area ----

TEST(Win32NotifyAreaTest, IconWindowIsFoundAndItsHandlerSeesEveryMessage) {
  Win32NotifyArea tray;
  Win32EventLoop events;
  const Hwnd window = tray.CreateIconWindow(kTrayWindowClass);
  ASSERT_NE(window, kNoWindow);
  // Other programs find it by its class (a running pelkrin.exe may have one too).
  bool found = false;
  for (HWND other = nullptr; (other = ::FindWindowExA(nullptr, other, kTrayWindowClass, nullptr));)
    found = found || FromHwnd(other) == window;
  EXPECT_TRUE(found);
  EXPECT_FALSE(::IsWindowVisible(ToHwnd(window)));

  std::vector<std::uint32_t> seen;
  tray.SetMessageHandler(window, [&](std::uint32_t message, WParam, LParam) {
    seen.push_back(message);
  });
  ::SendMessageA(ToHwnd(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("tray"));
  char text[16] = {};
  ::GetWindowTextA(ToHwnd(window), text, sizeof text);
  EXPECT_STREQ(text, "tray");  // the previous procedure still does its work
  ::PostMessageA(ToHwnd(window), kTrayCallbackMessage, 1, WM_RBUTTONUP);
  events.ProcessPendingEvents();
  EXPECT_NE(std::find(seen.begin(), seen.end(), kTrayCallbackMessage), seen.end());

  tray.SetMessageHandler(window, {});
  const std::size_t before = seen.size();
  ::SendMessageA(ToHwnd(window), WM_USER + 7, 0, 0);
  EXPECT_EQ(seen.size(), before);

  NotifyIconRecord record;
  record.window = window;
  record.id = 1;
  record.flags = kNifMessage | kNifIcon | kNifTip;
  record.callback_message = kTrayCallbackMessage;
  record.icon = static_cast<std::uint32_t>(
      reinterpret_cast<std::uintptr_t>(::LoadIconA(nullptr, MAKEINTRESOURCEA(32512))));
  std::memset(record.tip, 'x', sizeof record.tip);  // unterminated on purpose
  EXPECT_TRUE(tray.Notify(kNimAdd, record));
  EXPECT_TRUE(tray.Notify(kNimDelete, record));
  const std::uint32_t taskbar_created = tray.TaskbarCreatedMessage();
  EXPECT_GE(taskbar_created, 0xC000u);

  tray.SetMessageHandler(window, [&](std::uint32_t message, WParam, LParam) {
    seen.push_back(message);
  });
  tray.DestroyIconWindow(window);
  EXPECT_EQ(seen.back(), static_cast<std::uint32_t>(WM_NCDESTROY));
  EXPECT_FALSE(::IsWindow(ToHwnd(window)));
  EXPECT_EQ(Win32Pictures().LoadIcon(0x7FFFFF), Picture{});  // not a resource number
}

// A handler on a window that the notification area does not own goes with the area: the window
// keeps working with its own procedure, and nothing reaches the handler any more.
TEST(Win32NotifyAreaTest, AHandlerOnAWindowThatOutlivesTheAreaGoesWithIt) {
  Win32NotifyArea keeper;
  const Hwnd window = keeper.CreateIconWindow(kTrayWindowClass);
  ASSERT_NE(window, kNoWindow);
  int seen = 0;
  {
    Win32NotifyArea tray;
    tray.SetMessageHandler(window, [&](std::uint32_t, WParam, LParam) { ++seen; });
    ::SendMessageA(ToHwnd(window), WM_USER + 7, 0, 0);
    EXPECT_EQ(seen, 1);
  }
  ::SendMessageA(ToHwnd(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("still here"));
  EXPECT_EQ(seen, 1);
  char text[16] = {};
  ::GetWindowTextA(ToHwnd(window), text, sizeof text);
  EXPECT_STREQ(text, "still here");
}

// ---- Timers and the event pump ----

TEST(Win32EventLoopTest, TickThatWaitsIsNotReenteredWhileOtherTimersRun) {
  Win32EventLoop events;
  int slow_ticks = 0, fast_ticks = 0, depth = 0, deepest = 0, fast_during_wait = 0;
  const std::uint32_t slow = events.StartTimer(20, [&] {
    ++slow_ticks;
    deepest = std::max(deepest, ++depth);
    const int fast_before = fast_ticks;
    const std::uint64_t until = events.MonotonicMs() + 200;  // the program's wait
    while (events.MonotonicMs() < until) {
      events.ProcessPendingEvents();
      events.WaitForEvents(static_cast<unsigned>(until - events.MonotonicMs()));
    }
    fast_during_wait = std::max(fast_during_wait, fast_ticks - fast_before);
    --depth;
  });
  const std::uint32_t fast = events.StartTimer(10, [&] { ++fast_ticks; });
  ASSERT_NE(slow, 0u);
  ASSERT_NE(fast, 0u);
  EXPECT_TRUE(WaitUntil(
      [&] {
        events.ProcessPendingEvents();
        return slow_ticks >= 2;
      },
      5000));
  events.StopTimer(slow);
  events.StopTimer(fast);
  EXPECT_EQ(deepest, 1);
  EXPECT_GE(fast_during_wait, 3);
}

TEST(Win32EventLoopTest, QuitStaysForTheOuterLoopAndTickExceptionsComeBack) {
  Win32EventLoop events;
  ::PostQuitMessage(7);
  events.ProcessPendingEvents();
  MSG message;
  ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);

  const std::uint32_t timer = events.StartTimer(10, [] { throw std::runtime_error("tick"); });
  bool thrown = false;
  EXPECT_TRUE(WaitUntil(
      [&] {
        try {
          events.WaitForEvents(50);
          events.ProcessPendingEvents();
        } catch (const std::runtime_error&) {
          thrown = true;
        }
        return thrown;
      },
      3000));
  events.StopTimer(timer);
  const std::uint64_t now = events.MonotonicMs();
  EXPECT_GE(events.MonotonicMs(), now);
  EXPECT_FALSE(events.ShortDate().empty());
  EXPECT_FALSE(events.TimeText().empty());
}

TEST(Win32DialogsTest, TimersKeepTickingWhileAMessageBoxIsOpen) {
  Win32EventLoop events;
  Win32Dialogs dialogs;
  const std::string title = "Pelkrin platform test " + std::to_string(::GetCurrentProcessId());
  int ticks = 0;
  const std::uint32_t timer = events.StartTimer(20, [&] {
    ++ticks;
    if (const HWND box = ::FindWindowA("#32770", title.c_str()); box && ticks >= 3)
      ::PostMessageA(box, WM_COMMAND, IDNO, 0);
  });
  EXPECT_EQ(dialogs.MessageBox("Answer no", title, MB_YESNO | MB_SYSTEMMODAL), kIdNo);
  events.StopTimer(timer);
  EXPECT_GE(ticks, 3);
}

}  // namespace
}  // namespace pelkrin::win32
