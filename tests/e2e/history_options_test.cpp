// The History, Options and About windows of the running program, and what a pelk leaves behind,
// seen from outside the process: the history list box, the settings file, the Run key, the real
// file-open dialog. Screenshots of each window go to the artifacts folder.
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/command_ids.h"
#include "browser_sim_client.h"
#include "harness.h"
#include "ui/form.h"
#include "ui/win32/rain_button.h"

namespace pelkrin::e2e {
namespace {

using browser_sim::BrowserSim;
using browser_sim::OpenedWindow;
using browser_sim::OpenOptions;

constexpr DWORD kPelkDeadlineMs = 8000;

// The n-th child window of `form` of that class, in creation order.
HWND Child(HWND form, const char* class_name, int n = 0) {
  HWND child = nullptr;
  for (int i = 0; i <= n; ++i) child = ::FindWindowExA(form, child, class_name, nullptr);
  return child;
}

HWND ButtonOf(HWND form, const char* caption) {
  for (HWND child = Child(form, win32::kRainButtonClassName); child != nullptr;
       child = ::FindWindowExA(form, child, win32::kRainButtonClassName, nullptr)) {
    if (ReadText(child).value_or("") == caption) return child;
  }
  return nullptr;
}

bool Checked(HWND box) { return ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::optional<std::string> RunValue(HKEY root) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, kRunKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return std::nullopt;
  char data[1024] = {};
  DWORD size = sizeof data - 1;
  const LONG error =
      ::RegQueryValueExA(key, "Pelkrin", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  ::RegCloseKey(key);
  if (error != ERROR_SUCCESS) return std::nullopt;
  return std::string(data);
}

struct PelkrinWindows : ::testing::Test {
  void Begin(const std::map<std::string, std::string>& seed) {
    RemoveStartupEntries();
    copy = std::make_unique<ProgramCopy>(seed);
    ASSERT_TRUE(copy->ok());
    ASSERT_TRUE(copy->Start());
    main_window = copy->WaitForMainWindow();
    ASSERT_NE(main_window, nullptr);
    ASSERT_TRUE(WaitForNotificationIcon());
  }
  // Posts the tray command and waits for the window with that caption to show.
  HWND ShowWindow(std::uint16_t command, const char* caption) {
    EXPECT_TRUE(PostCommand(main_window, command));
    HWND form = nullptr;
    EXPECT_TRUE(WaitFor(
        [&] {
          form = FindTopLevelWindow(copy->process().id(), kFormWindowClass, caption);
          return form != nullptr && IsVisible(form);
        },
        kDefaultDeadlineMs, std::string("the window \"") + caption + "\" to show"));
    return form;
  }
  // Answers the box with that title and returns its text.
  std::string Answer(const char* title, int button) {
    HWND box = WaitForMessageBox(title, kDefaultDeadlineMs, copy->process().id());
    if (box == nullptr) return "<no box>";
    const std::string text = MessageBoxText(box).value_or("");
    PressButton(box, button);
    return text;
  }
  bool SettingsHold(const std::string& line) {
    return WaitFor(
        [&] { return copy->ReadFile("pk.sys").value_or("").find(line) != std::string::npos; },
        kDefaultDeadlineMs, line + " in pk.sys");
  }

  std::unique_ptr<ProgramCopy> copy;
  HWND main_window = nullptr;
};

TEST_F(PelkrinWindows, ThreePelkedPopupsAreThreeHistoryEntriesAndTheCountReachesTheFile) {
  // The exit asks nothing, so that the test can end the program the normal way.
  Begin({{"pk.sys", "[pk]\r\nCLOSE_DLG=0\r\nHISTORY_COUNT=0\r\n"}});
  if (HasFatalFailure()) return;
  std::string error;
  std::optional<BrowserSim> sim = BrowserSim::Start(BrowserSimPath(), &error);
  ASSERT_TRUE(sim) << error;
  for (int i = 1; i <= 3; ++i) {
    OpenOptions popup;
    popup.title = "Offer " + std::to_string(i);
    popup.address = "http://ads.example.net/" + std::to_string(i);
    popup.toolbars = false;
    auto opened = sim->Open(popup);
    ASSERT_TRUE(opened) << sim->last_error();
    ASSERT_TRUE(WaitFor([&] { return !IsVisible(opened->hwnd); }, kPelkDeadlineMs,
                        "popup " + std::to_string(i) + " to be pelked"));
    // The tray icon animates for 800 ms after each pelk.
    if (i == 1) Screenshot("tray-animation");
  }

  HWND history = ShowWindow(kCmdStatsMenu, "Pelkrin - History");
  ASSERT_NE(history, nullptr);
  HWND list = Child(history, "ListBox");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(::SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
  // Wine hands another process's LB_GETTEXT no text, so the entries are measured: each holds
  // the date, a blank, a time, " : " and the popup's caption.
  const std::size_t least = TodayShortDate().size() + 1 + 4 + std::string(" : Offer 1").size();
  for (int i = 0; i < 3; ++i) {
    EXPECT_GE(::SendMessageA(list, LB_GETTEXTLEN, i, 0), static_cast<LRESULT>(least)) << i;
  }
  ScreenshotWhenStable("history-window");

  ASSERT_TRUE(PostCommand(main_window, kCmdExitMenu));
  ASSERT_TRUE(copy->process().WaitForExit());
  EXPECT_TRUE(SettingsHold("HISTORY_COUNT=3"));
}

TEST_F(PelkrinWindows, OptionsSaveTheAnimateBoxAndTheRunValueFollowsItsBoxAtOnce) {
  Begin({});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitFor([] { return RunValue(HKEY_LOCAL_MACHINE).has_value(); }, kDefaultDeadlineMs,
                      "the start-up entry"));
  EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), copy->exe_path());
  HWND form = ShowWindow(kCmdOptionsMenu, "Pelkrin - Options");
  ASSERT_NE(form, nullptr);
  ScreenshotWhenStable("options-window");

  // The boxes in creation order: sound, animate, history, Windows, enable, dialogue, cookies.
  HWND animate = Child(form, "Button", 1);
  HWND with_windows = Child(form, "Button", 3);
  ASSERT_TRUE(Checked(animate));
  ::PostMessageA(animate, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !Checked(animate); }, kDefaultDeadlineMs, "the box to clear"));
  ::PostMessageA(with_windows, BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([] { return !RunValue(HKEY_LOCAL_MACHINE).has_value(); }, kDefaultDeadlineMs,
                      "the Run value to go, before Save"));
  ::PostMessageA(ButtonOf(form, "&Save"), BM_CLICK, 0, 0);
  EXPECT_EQ(Answer("Pelkrin", IDOK), "Settings saved successfully.");
  EXPECT_TRUE(SettingsHold("ANIMATE_TRAY=0"));
  EXPECT_TRUE(SettingsHold("START_WITH_WINDOWS=0"));
  EXPECT_FALSE(RunValue(HKEY_CURRENT_USER).has_value());
}

TEST_F(PelkrinWindows, BrowsePicksAWaveFileInTheRealDialogAndRefusesACapitalExtension) {
  Begin({{"LOUD.WAV", "RIFF"}, {"quiet.wav", "RIFF"}});
  if (HasFatalFailure()) return;
  HWND form = ShowWindow(kCmdOptionsMenu, "Pelkrin - Options");
  ASSERT_NE(form, nullptr);
  // Types a name into the dialog's file name box and presses Open.
  const auto choose = [&](const std::string& path) {
    HWND dialog = WaitForMessageBox("Pelkrin - Select a wave file...", kDefaultDeadlineMs,
                                    copy->process().id());
    ASSERT_NE(dialog, nullptr);
    HWND name = ::GetDlgItem(dialog, 0x47c);                  // the file name combo box
    if (name == nullptr) name = ::GetDlgItem(dialog, 0x480);  // or the plain edit box
    ASSERT_NE(name, nullptr);
    ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PressButton(dialog, IDOK);
  };
  ::PostMessageA(ButtonOf(form, "&Browse"), BM_CLICK, 0, 0);
  choose(copy->Path("LOUD.WAV"));
  EXPECT_EQ(Answer("Pelkrin Error", IDOK), "Not a valid wave sound file!");
  choose(copy->Path("quiet.wav"));
  HWND text = Child(form, "Edit");
  EXPECT_TRUE(WaitFor([&] { return ReadText(text).value_or("") == copy->Path("quiet.wav"); },
                      kDefaultDeadlineMs, "the chosen file in the box"))
      << ReadText(text).value_or("<none>");
}

TEST_F(PelkrinWindows, AboutShowsTheLifetimeCountAndClosesWithItsButton) {
  Begin({{"pk.sys", "[pk]\r\nHISTORY_COUNT=809\r\n"}});
  if (HasFatalFailure()) return;
  HWND about = ShowWindow(kCmdAboutPelkrin, "About Pelkrin");
  ASSERT_NE(about, nullptr);
  ScreenshotWhenStable("about-window");
  ::PostMessageA(ButtonOf(about, "&Close"), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(about); }, kDefaultDeadlineMs,
                      "the About window to unload"));
  EXPECT_TRUE(copy->process().Running());
}

}  // namespace
}  // namespace pelkrin::e2e
