// Handles and message parameters between the core and the system, on both Windows builds. Wine
// reads only the low 32 bits of some of these values and accepts what 64-bit Windows rejects,
// so these tests compare the values themselves, not only whether a call succeeds.
// <windows.h> (through win32_platform.h) comes before the seam's header; see win32_platform.h.
#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/handle_text.h"
#include "tray/systray.h"

namespace pelkrin::win32 {
namespace {

constexpr bool k64Bit = sizeof(void*) == 8;

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

TEST(Win32HandleWidthTest, WindowHandleSurvivesTheTripThroughItsDecimalText) {
  const HWND window = ::CreateWindowExA(0, "STATIC", "width test", WS_POPUP, 0, 0, 10, 10, nullptr,
                                        nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(FitsSeam(window));
  const std::string text = HandleToText(FromHwnd(window));
  EXPECT_EQ(ToHwnd(HandleFromText(text)), window) << text;
  EXPECT_TRUE(::IsWindow(ToHwnd(HandleFromText(text))));
  ::DestroyWindow(window);

  // Handles with the top bit of their 32 bits set widen by sign extension.
  struct Case {
    std::uint32_t seam;
    std::uint64_t system;
  };
  const std::vector<Case> cases = {
      {0x00010002u, 0x00010002ull},
      {0x7FFFFFFFu, 0x7FFFFFFFull},
      {0x80000001u, k64Bit ? 0xFFFFFFFF80000001ull : 0x80000001ull},
      {0xFFFFFFFEu, k64Bit ? 0xFFFFFFFFFFFFFFFEull : 0xFFFFFFFEull},
  };
  for (const Case& c : cases) {
    const Hwnd parsed = HandleFromText(HandleToText(c.seam));
    EXPECT_EQ(parsed, c.seam);
    EXPECT_EQ(Bits(ToHwnd(parsed)), c.system) << c.seam;
    EXPECT_EQ(FromHwnd(ToHwnd(parsed)), c.seam);
  }
}

TEST(Win32HandleWidthTest, MessageParametersKeepTheirFullWidth) {
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
  EXPECT_EQ(seen[0].first, wide_w);
  EXPECT_EQ(seen[0].second, wide_l);
  tray.DestroyIconWindow(window);
}

TEST(Win32HandleWidthTest, IconsComeBackUncut) {
  const HICON icon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(FitsSeam(icon));
  EXPECT_EQ(WidenHandle<HICON>(NarrowHandle(icon)), icon);
}

}  // namespace
}  // namespace pelkrin::win32
