// What the tests of the running program share: the program started from a seeded copy, the
// browser stand-in, and the program's windows and message boxes.
#pragma once

#include <cctype>
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

using browser_sim::BrowserSim;
using browser_sim::OpenedWindow;
using browser_sim::OpenOptions;

inline constexpr char kIeSuffix[] = " - Microsoft Internet Explorer";
// A survey every 600 ms, a pause of 600 ms after each pelk: generous for a loaded machine.
inline constexpr DWORD kPelkDeadlineMs = 8000;

inline OpenOptions Popup(const std::string& title,
                         const std::string& address = "http://ads.example.net/offer") {
  OpenOptions options;
  options.title = title;
  options.address = address;
  options.toolbars = false;
  return options;
}

inline bool Checked(HWND box) { return ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The program's own button with that caption on a form.
inline HWND RainButton(HWND form, const char* caption) {
  return VisibleChild(form, win32::kRainButtonClassName, caption);
}

// Mouse buttons and keys posted to a window, down then up, as the user's hand gives them.
inline void PostPair(HWND window, UINT down, UINT up, WPARAM wparam, LPARAM at) {
  ::PostMessageA(window, down, wparam, at);
  ::PostMessageA(window, up, down == WM_KEYDOWN ? wparam : 0, down == WM_KEYDOWN ? 0xC0000001 : at);
}
inline void LeftClickAt(HWND window, LPARAM at) {
  PostPair(window, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, at);
}
inline void RightClickAt(HWND window, LPARAM at) {
  PostPair(window, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, at);
}
inline void PressKey(HWND window, WPARAM key) { PostPair(window, WM_KEYDOWN, WM_KEYUP, key, 1); }

// Where an entry of a list box lies, and a point in it.
inline RECT EntryRect(HWND list, int index) {
  RECT rect{};
  ::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  return rect;
}
inline LPARAM EntryPoint(HWND list, int index) {
  const RECT rect = EntryRect(list, index);
  return MAKELPARAM(rect.left + 8, (rect.top + rect.bottom) / 2);
}

// A menu item chosen the way the keyboard chooses it: the key of its mnemonic letter.
inline void ChooseByLetter(HWND menu, char letter) {
  const auto key = static_cast<WPARAM>(std::toupper(static_cast<unsigned char>(letter)));
  ::PostMessageA(menu, WM_KEYDOWN, key, 0);
  ::PostMessageA(menu, WM_KEYUP, key, 0xC0000000);
}

class PelkrinTest : public ::testing::Test {
 protected:
  // Starts the program with `seed` files and waits until its icon shows; the browser stand-in
  // too when asked. With `log`, the program's diagnostic lines go to pelkrin.log in its folder.
  void Begin(const std::map<std::string, std::string>& seed = {}, bool browsers = false,
             bool log = false) {
    copy = std::make_unique<ProgramCopy>(seed);
    ASSERT_TRUE(copy->ok());
    if (log) ::SetEnvironmentVariableA("PELKRIN_LOG", copy->Path("pelkrin.log").c_str());
    const auto started = copy->Start();
    if (log) ::SetEnvironmentVariableA("PELKRIN_LOG", nullptr);
    ASSERT_TRUE(started);
    main_window = copy->WaitForMainWindow();
    ASSERT_NE(main_window, nullptr);
    ASSERT_TRUE(WaitForNotificationIcon(start_deadline_ms));
    ASSERT_TRUE(WaitFor([&] { return (tray = copy->TrayWindow()) != nullptr; }, kDefaultDeadlineMs,
                        "the tray window"));
    if (!browsers) return;
    std::string error;
    sim = BrowserSim::Start(BrowserSimPath(), &error);
    ASSERT_TRUE(sim) << "browser-sim did not start: " << error;
  }
  DWORD Pid() const { return copy->process().id(); }

  OpenedWindow Open(const OpenOptions& options) {
    auto opened = sim->Open(options);
    if (opened) return *opened;
    ADD_FAILURE() << "browser-sim could not open a window: " << sim->last_error();
    return {};
  }
  static ::testing::AssertionResult WaitHidden(HWND window, const std::string& what) {
    return WaitFor([&] { return !IsVisible(window); }, kPelkDeadlineMs, what + " to be hidden");
  }
  static ::testing::AssertionResult WaitGone(HWND window, const std::string& what) {
    return WaitFor([&] { return !::IsWindow(window); }, kPelkDeadlineMs, what + " to close");
  }
  // Opens a popup and waits until it is hidden: every window opened before has been surveyed.
  void AwaitSurvey() {
    const OpenedWindow sentinel = Open(Popup("Sentinel " + std::to_string(++sentinels)));
    ASSERT_TRUE(WaitHidden(sentinel.hwnd, "the sentinel popup"));
  }

  // The tray menu, opened by a right click on the icon as the taskbar reports it.
  HWND OpenTrayMenu() {
    PostTrayMessage(tray, WM_RBUTTONDOWN);
    PostTrayMessage(tray, WM_RBUTTONUP);
    return WaitForMenu(Pid());
  }
  ::testing::AssertionResult CloseMenuAndWait(HWND menu, DWORD limit_ms = kDefaultDeadlineMs) {
    if (!CloseMenu(menu)) return ::testing::AssertionFailure() << "no menu to close";
    return WaitFor([&] { return FindVisibleMenu(Pid()) == nullptr; }, limit_ms,
                   "the menu to close");
  }
  // The program's own message loop goes on running: again and again for `span_ms`, a click on
  // its icon opens its menu within `limit_ms`. (A sent probe proves nothing: a window procedure
  // answers sends even while its thread waits inside a send to a frozen window.)
  void ExpectLoopRunning(DWORD span_ms, DWORD limit_ms, const std::string& while_what) {
    const DWORD until = ::GetTickCount() + span_ms;
    do {
      ASSERT_TRUE(PostTrayMessage(tray, WM_RBUTTONUP));
      HWND menu = nullptr;
      ASSERT_TRUE(WaitFor([&] { return (menu = FindVisibleMenu(Pid())) != nullptr; }, limit_ms,
                          "the menu to open while " + while_what));
      ASSERT_TRUE(CloseMenuAndWait(menu, limit_ms)) << while_what;
    } while (::GetTickCount() < until);
  }
  // The program's window with that caption once it shows, or nullptr with a failure; ShowForm
  // posts the tray command that opens it first.
  HWND WaitForForm(const char* caption) {
    HWND form = nullptr;
    const auto shown = WaitFor(
        [&] { return IsVisible(form = FindTopLevelWindow(Pid(), kFormWindowClass, caption)); },
        start_deadline_ms, std::string("the window \"") + caption + "\" to show");
    EXPECT_TRUE(shown);
    return shown ? form : nullptr;
  }
  HWND ShowForm(std::uint16_t command, const char* caption) {
    EXPECT_TRUE(PostCommand(main_window, command));
    return WaitForForm(caption);
  }
  // Answers the program's message box with that title and returns its text.
  std::string Answer(const std::string& title, int button) {
    HWND box = WaitForMessageBox(title, kDefaultDeadlineMs, Pid());
    if (box == nullptr) return "<no box>";
    const std::string text = MessageBoxText(box).value_or("");
    EXPECT_TRUE(PressButton(box, button));
    EXPECT_TRUE(WaitFor([&] { return !IsVisible(box); }, kDefaultDeadlineMs, title + " to close"));
    return text;
  }
  // Waits for a file of the program folder to hold exactly these bytes.
  void ExpectFile(const std::string& name, const std::string& bytes) {
    std::string last;
    EXPECT_TRUE(
        WaitFor([&] { return (last = copy->ReadFile(name).value_or("<missing>")) == bytes; },
                kDefaultDeadlineMs, name))
        << "expected:\n"
        << Escaped(bytes) << "actual:\n"
        << Escaped(last);
  }
  // Waits for the settings file to hold that line.
  ::testing::AssertionResult SettingsHold(const std::string& line) {
    return WaitFor(
        [&] { return copy->ReadFile("pk.sys").value_or("").find(line) != std::string::npos; },
        kDefaultDeadlineMs, line + " in pk.sys");
  }

  std::unique_ptr<ProgramCopy> copy;
  HWND main_window = nullptr;
  HWND tray = nullptr;
  std::optional<BrowserSim> sim;
  int sentinels = 0;
  DWORD start_deadline_ms = kDefaultDeadlineMs;  // for the icon, and a window, to show
};

}  // namespace pelkrin::e2e
