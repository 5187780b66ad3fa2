// What only the Win32 layer has: real files (the read limit, names outside the ANSI code page,
// files held open), the ANSI code page's letter case, the tray window's subclassing, WM_QUIT left
// for the outer loop, and handles and message parameters of full width. Everything the simulated
// desktop shares with it is in the contracts (tests/contract). <windows.h> (through
// win32_platform.h) comes before the seam's header; see win32_platform.h.
#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"
#include "platform/win32/callback_guard.h"
#include "tray/tray_icon.h"

namespace pelkrin::win32 {
namespace {

constexpr bool k64Bit = sizeof(void*) == 8;

// ---- Files ----

TEST(Win32FilesTest, ReadFileSaysWhetherItGotTheWholeFile) {
  e2e::ScratchFolder folder("PelkrinPlatformTest");
  Win32FileSystem files;
  const std::string path = folder.File("big.sys");
  for (const LONGLONG size : {LONGLONG{kMaxReadBytes}, LONGLONG{kMaxReadBytes} + 1}) {
    {  // a file of `size` zero bytes, made without writing them
      ScopedFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
      LARGE_INTEGER end{};
      end.QuadPart = size;
      ASSERT_TRUE(file && ::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) &&
                  ::SetEndOfFile(file.Get()));
    }
    const auto read = files.ReadFile(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->bytes.size(), kMaxReadBytes);
    EXPECT_EQ(read->whole, size == kMaxReadBytes) << "a file of " << size << " bytes";
  }
}

std::wstring Wide(const std::string& ansi) {
  std::wstring wide(ansi.size() * 2 + 1, L'\0');
  const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(),
                                           static_cast<int>(wide.size()));
  wide.resize(length > 0 ? static_cast<std::size_t>(length - 1) : 0);
  return wide;
}

TEST(Win32FilesTest, AListingHoldsOnlyPlainFilesWhoseNamesNameThemExactly) {
  e2e::ScratchFolder folder("PelkrinPlatformTest");
  Win32FileSystem files;
  const std::wstring base = Wide(folder.path()) + L"\\";
  EXPECT_EQ(files.ListFiles(folder.path(), "*.txt"), std::vector<std::string>{}) << "empty";
  // "c.txt2" matches "*.txt" only by its short name (C~1.TXT); "\u0105.txt" has the best-fit ANSI
  // spelling "a.txt", "x\u4e2d.txt" no ANSI spelling at all.
  for (const wchar_t* name : {L"plain.txt", L"UPPER.TXT", L"c.txt2", L"\u0105.txt", L"x\u4e2d.txt"})
    ASSERT_TRUE(ScopedFile(::CreateFileW((base + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
  ASSERT_TRUE(::CreateDirectoryW((base + L"folder.txt").c_str(), nullptr));
  // CreateSymbolicLinkW came with Vista, after the Windows this program is built for.
  using CreateLink = BOOLEAN(WINAPI*)(const wchar_t*, const wchar_t*, DWORD);
  const auto create_link = reinterpret_cast<CreateLink>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkW")));
  if (create_link == nullptr ||
      !create_link((base + L"link.txt").c_str(), (base + L"plain.txt").c_str(), 0))
    std::printf("note: no symbolic link could be made here; links were not tried\n");

  const auto listed = files.ListFiles(folder.path(), "*.txt");
  ASSERT_TRUE(listed.has_value());
  std::string all;
  for (const std::string& name : *listed) all += "[" + name + "]";
  EXPECT_EQ(std::count(listed->begin(), listed->end(), "plain.txt"), 1) << all;
  EXPECT_EQ(std::count(listed->begin(), listed->end(), "UPPER.TXT"), 1) << all;
  for (const char* not_listed : {"c.txt2", "folder.txt", "link.txt", "a.txt"})
    EXPECT_EQ(std::count(listed->begin(), listed->end(), not_listed), 0) << all;
  for (const std::string& name : *listed) {
    EXPECT_EQ(name.find('?'), std::string::npos) << all;
    const DWORD attributes = ::GetFileAttributesW((base + Wide(name)).c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << name;
    EXPECT_FALSE(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) << name;
    EXPECT_TRUE(files.DeleteFile(folder.File(name))) << name;
  }
  // Deleting what was listed deleted nothing else.
  EXPECT_NE(::GetFileAttributesW((base + L"\u0105.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(::GetFileAttributesW((base + L"x\u4e2d.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  for (const wchar_t* name : {L"c.txt2", L"\u0105.txt", L"x\u4e2d.txt", L"link.txt"})
    ::DeleteFileW((base + name).c_str());
  ::RemoveDirectoryW((base + L"folder.txt").c_str());
}

// A file held open or read-only is not deleted; a save while another program (a virus scanner,
// a backup) reads the file for a moment waits for the reader instead of failing.
TEST(Win32FilesTest, FilesThatOthersHoldAreNotDeletedAndSavesWaitForAMomentaryReader) {
  e2e::ScratchFolder folder("PelkrinPlatformTest");
  Win32FileSystem files;
  const std::string held = folder.File("held.txt"), read_only = folder.File("read-only.txt");
  ASSERT_TRUE(files.ReplaceFile(held, "x") && files.ReplaceFile(read_only, "x"));
  ASSERT_TRUE(::SetFileAttributesA(read_only.c_str(), FILE_ATTRIBUTE_READONLY));
  {
    ScopedFile open(::CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(open);
    EXPECT_FALSE(files.DeleteFile(held));
  }
  EXPECT_FALSE(files.DeleteFile(read_only));
  EXPECT_TRUE(files.DeleteFile(held)) << "once let go";

  const std::string path = folder.File("alwdom.sys");
  ASSERT_TRUE(files.ReplaceFile(path, "old\r\n"));
  HANDLE reader = ::CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  std::thread release([reader] {
    ::Sleep(150);  // how long the other program holds the file
    ::CloseHandle(reader);
  });
  const bool saved = files.ReplaceFile(path, "new\r\n");
  release.join();
  EXPECT_TRUE(saved);
  EXPECT_EQ(files.ReadFile(path), (FileContents{"new\r\n"}));
}

// ---- Letter case ----

// CharLowerBuffA lowers every byte, NULs included, by the ANSI code page. In Windows-1252 (where
// the simulated desktop must agree with it byte for byte) that is A to Z, 0xC0 to 0xDE without
// 0xD7, and 0x8A, 0x8C, 0x8E, 0x9F.
TEST(Win32TextCaseTest, LowersByTheAnsiCodePage) {
  Win32TextCase text_case;
  EXPECT_EQ(text_case.Lower(std::string("Example.COM\0B", 13)), std::string("example.com\0b", 13));
  if (::GetACP() != 1252)
    GTEST_SKIP() << "the ANSI code page here is " << ::GetACP() << ", not Windows-1252";
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

// ---- Tray window, event pump ----

std::string TextOf(Hwnd window) {
  char text[16] = {};
  ::GetWindowTextA(ToHwnd(window), text, sizeof text);
  return text;
}

// The window's own procedure runs behind the handler; a handler on a window that outlives its
// notification area goes with the area, so nothing calls into it any more.
TEST(Win32NotifyAreaTest, AHandlerOnAWindowThatOutlivesTheAreaGoesWithIt) {
  Win32NotifyArea keeper;
  const Hwnd window = keeper.CreateIconWindow(kTrayWindowClass);
  ASSERT_NE(window, kNoWindow);
  std::vector<std::uint32_t> seen;
  {
    Win32NotifyArea tray;
    tray.SetMessageHandler(window,
                           [&](std::uint32_t message, WParam, LParam) { seen.push_back(message); });
    ::SendMessageA(ToHwnd(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("tray"));
    EXPECT_EQ(TextOf(window), "tray");
    EXPECT_NE(std::find(seen.begin(), seen.end(), WM_SETTEXT), seen.end());
  }
  const std::size_t before = seen.size();
  ::SendMessageA(ToHwnd(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("still here"));
  EXPECT_EQ(seen.size(), before);
  EXPECT_EQ(TextOf(window), "still here");
}

// A press of the watched key anywhere reaches the watch as raw input, without polling; its
// release does not, nor anything once the watch has stopped.
TEST(Win32WindowManagerTest, APressOfTheWatchedKeyIsReportedWhileItIsWatched) {
  // Under Wine an injected key can reach no watcher in the background once another program
  // has had the keyboard (an earlier test's program): this process takes the keyboard first.
  const HWND front = ::CreateWindowExA(0, "STATIC", "key watch test", WS_POPUP | WS_VISIBLE, 0, 0,
                                       10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(front, nullptr);
  ::SetForegroundWindow(front);
  Win32WindowManager windows;
  int presses = 0;
  ASSERT_TRUE(windows.WatchKeyPresses(VK_CONTROL, [&] { ++presses; }));
  const auto press_and_release = [] {
    for (const DWORD flags : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = VK_CONTROL;
      input.ki.dwFlags = flags;
      EXPECT_EQ(::SendInput(1, &input, sizeof input), 1u);
    }
  };
  const auto pumped = [&](int wanted) {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
    return presses == wanted;
  };
  press_and_release();
  EXPECT_TRUE(e2e::WaitFor([&] { return pumped(1); }, e2e::kDefaultDeadlineMs, "the press"))
      << presses << " reports";
  ASSERT_TRUE(windows.WatchKeyPresses(VK_CONTROL, {}));
  press_and_release();
  EXPECT_FALSE(e2e::WaitFor([&] { return pumped(2); }, 500, "no report after the watch stopped"));
  ::DestroyWindow(front);
}

TEST(Win32EventLoopTest, QuitIsLeftForTheOuterLoop) {
  Win32EventLoop events;
  ::PostQuitMessage(7);
  events.ProcessPendingEvents();
  MSG message;
  ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

// A thread's parked failure must not outlive the thread's storage: MinGW frees a thread's
// thread-local storage before it runs thread_local destructors, and a destructor there wrote
// into freed memory that other threads had taken again.
TEST(Win32CallbackGuardTest, ThreadsThatParkAFailureAndEndLeaveTheHeapWhole) {
  for (int round = 0; round < 40; ++round) {
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
      threads.emplace_back([] {
        ParkCallbackException(std::make_exception_ptr(std::runtime_error("parked")));
        EXPECT_THROW(RethrowCallbackException(), std::runtime_error);
        // Small blocks, the size of a thread's storage, written all over: what a destructor
        // reads from freed storage is then never a null pointer.
        std::vector<std::unique_ptr<char[]>> blocks;
        for (int n = 0; n < 64; ++n) {
          blocks.emplace_back(new char[24]);
          std::fill_n(blocks.back().get(), 24, '\x41');
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
  }
  EXPECT_TRUE(::HeapValidate(::GetProcessHeap(), 0, nullptr));
}

// ---- Handle widths ----
// Wine reads only the low 32 bits of some of these values and accepts what 64-bit Windows
// rejects, so these compare the values themselves, not only whether a call succeeds.

std::uintptr_t Bits(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

TEST(Win32HandleWidthTest, PredefinedRegistryRootsReachTheSystemExactlyAsWinregDefinesThem) {
  EXPECT_EQ(Bits(WidenHandle<HKEY>(kHkeyCurrentUser)), Bits(HKEY_CURRENT_USER));
  EXPECT_EQ(Bits(WidenHandle<HKEY>(kHkeyLocalMachine)), Bits(HKEY_LOCAL_MACHINE));
  // Written out, so that a wrong definition on both sides cannot agree with itself.
  EXPECT_EQ(Bits(HKEY_CURRENT_USER), k64Bit ? 0xFFFFFFFF80000001ull : 0x80000001ull);
  EXPECT_EQ(NarrowHandle(HKEY_LOCAL_MACHINE), kHkeyLocalMachine);
  // An opened key comes back through the seam as the same key.
  Win32Registry registry;
  RegKey software = 0;
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "Software", kKeyRead, &software), kErrorSuccess);
  HKEY direct = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(WidenHandle<HKEY>(software), "", 0, KEY_READ, &direct), ERROR_SUCCESS);
  ::RegCloseKey(direct);
  EXPECT_EQ(registry.CloseKey(software), kErrorSuccess);
}

TEST(Win32HandleWidthTest, WindowHandleSurvivesTheTripThroughTheSeam) {
  const HWND window = ::CreateWindowExA(0, "STATIC", "width test", WS_POPUP, 0, 0, 10, 10, nullptr,
                                        nullptr, nullptr, nullptr);
  ASSERT_TRUE(window != nullptr && FitsSeam(window));
  EXPECT_EQ(ToHwnd(FromHwnd(window)), window);
  ::DestroyWindow(window);
  // Handles with the top bit of their 32 bits set widen by sign extension.
  const std::pair<std::uint32_t, std::uint64_t> cases[] = {
      {0x00010002u, 0x00010002ull},
      {0x7FFFFFFFu, 0x7FFFFFFFull},
      {0x80000001u, k64Bit ? 0xFFFFFFFF80000001ull : 0x80000001ull},
      {0xFFFFFFFEu, k64Bit ? 0xFFFFFFFFFFFFFFFEull : 0xFFFFFFFEull},
  };
  for (const auto& [seam, system] : cases) {
    EXPECT_EQ(Bits(ToHwnd(seam)), system) << seam;
    EXPECT_EQ(FromHwnd(ToHwnd(seam)), seam);
  }
}

TEST(Win32HandleWidthTest, MessageParametersAndIconsKeepTheirFullWidth) {
  Win32NotifyArea tray;
  Win32WindowManager windows;
  Win32EventLoop events;
  const Hwnd window = tray.CreateIconWindow(kTrayWindowClass);
  ASSERT_NE(window, kNoWindow);
  constexpr std::uint32_t kProbe = WM_APP + 17;
  std::vector<std::pair<WParam, LParam>> seen;
  tray.SetMessageHandler(window, [&](std::uint32_t message, WParam wparam, LParam lparam) {
    if (message == kProbe) seen.emplace_back(wparam, lparam);
  });
  // Above 32 bits where the build has them; the widest values of 32 bits otherwise.
  const WParam wide_w = k64Bit ? static_cast<WParam>(0x8765432112345678ull) : 0xFFFFFFFFu;
  const LParam wide_l = k64Bit ? static_cast<LParam>(-0x123456789ALL) : static_cast<LParam>(-2);
  windows.Post(window, kProbe, wide_w, wide_l);
  events.ProcessPendingEvents();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], std::make_pair(wide_w, wide_l));
  tray.DestroyIconWindow(window);

  const HICON icon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(WidenHandle<HICON>(NarrowHandle(icon)), icon);
}

}  // namespace
}  // namespace pelkrin::win32
