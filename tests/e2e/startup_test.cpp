// Start-up of pelkrin.exe: the settings file of a first start, the browser's Block button, the
// hidden main window, the tray icon, and the single running copy.
#include <string>

#include "harness.h"
#include "settings/block_button.h"

namespace pelkrin::e2e {
namespace {

// pk.sys as a first start writes it. The Block button's installation may add ICON_CREATED=1
// right after ADV_FLASH=1; that line and no other is allowed as well.
std::string DefaultSettings(const std::string& install_date, bool icon_created) {
  return "[pk]\r\nPLAY_SOUND=0\r\nANIMATE_TRAY=1\r\nSTART_WITH_WINDOWS=1\r\nSUPER_MODE=1\r\n"
         "CLOSE_DLG=1\r\nCLEAR_COOKIES=0\r\nKEEP_HISTORY=1\r\nINSTALL_DATE=" +
         install_date +
         "\r\nADV_MAX=1\r\nADV_MIN=1\r\nADV_TITLE=1\r\nADV_BUSYICON=1\r\nADV_ADWARE=1\r\n"
         "ADV_FLASH=1\r\n" +
         (icon_created ? "ICON_CREATED=1\r\n" : "") + "HISTORY_COUNT=0\r\n";
}

// Starts the program and waits until pk.sys holds every default (the program writes the keys
// one by one), which it returns. The date is taken before and after, for a run across midnight.
std::string StartAndWaitForDefaults(ProgramCopy& copy) {
  const std::string date_before = TodayShortDate();
  EXPECT_TRUE(copy.Start());
  std::string last_seen;
  const auto complete = WaitFor(
      [&] {
        last_seen = copy.ReadFile("pk.sys").value_or("<missing>");
        for (const std::string& date : {date_before, TodayShortDate()}) {
          if (last_seen == DefaultSettings(date, false) || last_seen == DefaultSettings(date, true))
            return true;
        }
        return false;
      },
      kDefaultDeadlineMs, "pk.sys to hold the defaults of a first start");
  EXPECT_TRUE(complete) << "expected (ICON_CREATED=1 may follow ADV_FLASH=1):\n"
                        << Escaped(DefaultSettings(date_before, false)) << "actual:\n"
                        << Escaped(last_seen);
  return last_seen;
}

TEST(Startup, FirstStartWritesTheDefaultsKeepsItsWindowsHiddenShowsTheIconAndRunsOnlyOnce) {
  const auto before = CaptureScreen();
  ASSERT_TRUE(before.has_value());
  ASSERT_TRUE(DeleteRegistryTree(HKEY_LOCAL_MACHINE, kBlockButtonKey));
  ProgramCopy copy;
  ASSERT_TRUE(copy.ok());
  ASSERT_FALSE(copy.Exists("pk.sys"));
  const std::string settings = StartAndWaitForDefaults(copy);
  ASSERT_FALSE(HasFailure());
  // The key the browser reads its Block button from, in the real machine hive, names the files
  // of this copy.
  const auto button = [](const char* name) {
    return ReadRegistryValue(HKEY_LOCAL_MACHINE, kBlockButtonKey, name).value_or("<none>");
  };
  EXPECT_TRUE(WaitFor([&] { return button("Exec") == copy.Path("block.exe"); }, kDefaultDeadlineMs,
                      "the Block button's key"))
      << button("Exec");
  EXPECT_EQ(button("ButtonText"), "Block");
  EXPECT_EQ(button("Icon"), copy.Path("chopper.ico"));
  EXPECT_EQ(button("HotIcon"), copy.Path("trash.ico"));
  HWND main_window = copy.WaitForMainWindow();
  ASSERT_NE(main_window, nullptr);
  EXPECT_EQ(CaptionOf(main_window), "Pelkrin");
  EXPECT_FALSE(IsVisible(main_window)) << "the main window is shown";
  HWND tray = nullptr;
  EXPECT_TRUE(WaitFor([&] { return (tray = copy.TrayWindow()) != nullptr; }, kDefaultDeadlineMs,
                      "the tray window"));
  EXPECT_FALSE(IsVisible(tray)) << "the tray window is shown";

  // The icon is drawn by the taskbar some moments after the program adds it.
  const auto drawn = WaitFor(
      [&] {
        const auto area = NotificationArea();
        const auto now = CaptureScreen();
        return area && now && now->DiffersIn(*before, *area);
      },
      kDefaultDeadlineMs, "the notification area to change after the program started");
  const auto shot = Screenshot("tray-icon");
  ASSERT_TRUE(shot.has_value());
  EXPECT_TRUE(drawn);
  EXPECT_TRUE(NotificationAreaVisibleIn(*shot))
      << "no visible taskbar notification area with an icon in the screenshot";

  // A second start says so and leaves the first alone.
  Process second = copy.StartAnother();
  ASSERT_TRUE(second.valid());
  HWND box = WaitForMessageBox("Pelkrin", kDefaultDeadlineMs, second.id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "Pelkrin is already running!");
  ASSERT_TRUE(PressButton(box, IDOK));
  EXPECT_TRUE(second.WaitForExit());
  EXPECT_TRUE(copy.process().Running());
  EXPECT_EQ(copy.ReadFile("pk.sys"), settings);
}

}  // namespace
}  // namespace pelkrin::e2e
