// What only the Win32 layer has: the single-copy claim between processes, the tray window's
// subclassing over its own procedure, WM_QUIT left for the program's outer loop, the 64 MiB read
// limit on real files and the ANSI code page's letter case. Everything the simulated desktop
// shares with it is in the contracts (tests/contract).
#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tray/systray.h"

namespace pelkrin::win32 {
namespace {

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

// ---- Files ----

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
  const std::string program = later.ProgramFolder() + "\\" + later.ProgramBaseName() + ".exe";
  EXPECT_NE(::GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES) << program;
}

TEST(Win32NotifyAreaTest, TheWindowsOwnProcedureStillRunsBehindTheHandler) {
  Win32NotifyArea tray;
  const Hwnd window = tray.CreateIconWindow(kTrayWindowClass);
  ASSERT_NE(window, kNoWindow);
  std::vector<std::uint32_t> seen;
  tray.SetMessageHandler(window,
                         [&](std::uint32_t message, WParam, LParam) { seen.push_back(message); });
  ::SendMessageA(ToHwnd(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("tray"));
  char text[16] = {};
  ::GetWindowTextA(ToHwnd(window), text, sizeof text);
  EXPECT_STREQ(text, "tray");
  EXPECT_NE(std::find(seen.begin(), seen.end(), WM_SETTEXT), seen.end());
  tray.DestroyIconWindow(window);
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

// ---- The event pump ----

TEST(Win32EventLoopTest, QuitIsLeftForTheOuterLoop) {
  Win32EventLoop events;
  ::PostQuitMessage(7);
  events.ProcessPendingEvents();
  MSG message;
  ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
}  // namespace pelkrin::win32
