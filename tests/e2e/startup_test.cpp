// Start-up of pelkrin.exe: the settings file of a first start, the hidden main window, the
// single running copy, the tray icon and its menu.
#include <string>

#include "app/command_ids.h"
#include "harness.h"
#include "tray/systray.h"

namespace pelkrin::e2e {
namespace {

constexpr char kSettingsFile[] = "pk.sys";

// pk.sys as a first start writes it. The Block button's installation may add ICON_CREATED=1
// right after ADV_FLASH=1; that line and no other is allowed as well.
std::string DefaultSettings(const std::string& install_date, bool icon_created) {
  return std::string("[pk]\r\n") +
         "PLAY_SOUND=0\r\n"
         "ANIMATE_TRAY=1\r\n"
         "START_WITH_WINDOWS=1\r\n"
         "SUPER_MODE=1\r\n"
         "CLOSE_DLG=1\r\n"
         "CLEAR_COOKIES=0\r\n"
         "KEEP_HISTORY=1\r\n"
         "INSTALL_DATE=" +
         install_date +
         "\r\n"
         "ADV_MAX=1\r\n"
         "ADV_MIN=1\r\n"
         "ADV_TITLE=1\r\n"
         "ADV_BUSYICON=1\r\n"
         "ADV_ADWARE=1\r\n"
         "ADV_FLASH=1\r\n" +
         (icon_created ? "ICON_CREATED=1\r\n" : "") + "HISTORY_COUNT=0\r\n";
}

// Starts the program in `copy` and waits until its first start is complete: the main window
// exists and pk.sys holds every default (the program writes the keys one by one). The date is
// taken before and after the start, so a run across midnight still matches.
void StartAndWaitForDefaults(ProgramCopy& copy, std::string* settings = nullptr) {
  const std::string date_before = TodayShortDate();
  ASSERT_TRUE(copy.Start());
  ASSERT_NE(copy.WaitForMainWindow(), nullptr);
  std::string last_seen;
  const auto complete = WaitFor(
      [&] {
        last_seen = copy.ReadFile(kSettingsFile).value_or("<missing>");
        const std::string date_after = TodayShortDate();
        for (const std::string& date : {date_before, date_after}) {
          if (last_seen == DefaultSettings(date, false) ||
              last_seen == DefaultSettings(date, true)) {
            return true;
          }
        }
        return false;
      },
      kDefaultDeadlineMs, "pk.sys to hold the defaults of a first start");
  // On failure, show the difference against the plain defaults.
  ASSERT_TRUE(complete) << "expected (ICON_CREATED=1 may follow ADV_FLASH=1):\n"
                        << Escaped(DefaultSettings(date_before, false)) << "actual:\n"
                        << Escaped(last_seen);
  if (settings != nullptr) *settings = last_seen;
}

TEST(Startup, FirstStartWritesTheDefaultSettingsFile) {
  ProgramCopy copy;
  ASSERT_TRUE(copy.ok());
  ASSERT_FALSE(copy.Exists(kSettingsFile));
  ASSERT_NO_FATAL_FAILURE(StartAndWaitForDefaults(copy));
  EXPECT_TRUE(copy.process().Running());
}

TEST(Startup, MainWindowExistsAndStaysHidden) {
  ProgramCopy copy;
  ASSERT_TRUE(copy.ok());
  ASSERT_NO_FATAL_FAILURE(StartAndWaitForDefaults(copy));
  HWND main_window = copy.MainWindow();
  ASSERT_NE(main_window, nullptr);
  EXPECT_EQ(ClassNameOf(main_window), kMainWindowClass);
  EXPECT_EQ(CaptionOf(main_window), "Pelkrin");
  EXPECT_FALSE(IsVisible(main_window)) << "the main window is shown";
}

TEST(Startup, SecondStartSaysAlreadyRunningAndLeavesTheFirstAlone) {
  ProgramCopy copy;
  ASSERT_TRUE(copy.ok());
  std::string settings;
  ASSERT_NO_FATAL_FAILURE(StartAndWaitForDefaults(copy, &settings));

  Process second = copy.StartAnother();
  ASSERT_TRUE(second.valid());
  HWND box = WaitForMessageBox("Pelkrin", kDefaultDeadlineMs, second.id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "Pelkrin is already running!");

  ASSERT_TRUE(PressButton(box, IDOK));
  EXPECT_TRUE(second.WaitForExit());
  EXPECT_TRUE(copy.process().Running());
  EXPECT_NE(copy.MainWindow(), nullptr);
  EXPECT_EQ(copy.ReadFile(kSettingsFile), settings);
}

TEST(Startup, RightClickOnTheTrayIconOpensTheMenuAndEscapeClosesIt) {
  ProgramCopy copy;
  ASSERT_TRUE(copy.ok());
  ASSERT_NO_FATAL_FAILURE(StartAndWaitForDefaults(copy));
  HWND tray = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (tray = copy.TrayWindow()) != nullptr; }, kDefaultDeadlineMs,
                      std::string("the tray window (class ") + kTrayWindowClass + ")"));
  EXPECT_FALSE(IsVisible(tray)) << "the tray window is shown";
  // Click only once the icon is there, as a user does.
  ASSERT_TRUE(WaitForNotificationIcon());

  ASSERT_TRUE(PostTrayMessage(tray, WM_RBUTTONUP));
  HWND menu = WaitForMenu(copy.process().id());
  ASSERT_NE(menu, nullptr);
  Screenshot("tray-menu");

  ASSERT_TRUE(CloseMenu(menu));
  EXPECT_TRUE(WaitFor([&] { return FindVisibleMenu(copy.process().id()) == nullptr; },
                      kDefaultDeadlineMs, "the tray menu to close"));
  EXPECT_TRUE(copy.process().Running());
}

TEST(Startup, TrayIconShowsInTheNotificationArea) {
  const auto before = CaptureScreen();
  ASSERT_TRUE(before.has_value());
  ProgramCopy copy;
  ASSERT_TRUE(copy.ok());
  ASSERT_NO_FATAL_FAILURE(StartAndWaitForDefaults(copy));

  // The icon is drawn by the taskbar some moments after the program adds it.
  std::optional<Capture> now;
  const auto drawn = WaitFor(
      [&] {
        const auto area = NotificationArea();
        now = CaptureScreen();
        return area && now && now->DiffersIn(*before, *area);
      },
      kDefaultDeadlineMs, "the notification area to change after the program started");
  const auto shot = Screenshot("tray-icon");
  ASSERT_TRUE(shot.has_value());
  EXPECT_TRUE(drawn);
  EXPECT_TRUE(NotificationAreaVisibleIn(*shot))
      << "no visible taskbar notification area with an icon in the screenshot";
}

}  // namespace
}  // namespace pelkrin::e2e
