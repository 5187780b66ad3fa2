// The program driven from its tray icon as a user drives it: the tray menu opened by the icon's
// notification, at the pointer or, from the keyboard, at the icon; "E&xit" and the exit
// confirmation window; Windows ending the session; restoring a pelked popup; the CTRL override
// with CTRL held; Kill All IE Windows; and browser windows that stop answering meanwhile.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/command_ids.h"
#include "browser_sim_client.h"
#include "harness.h"
// After harness.h, which brings <windows.h>.
#include <shellapi.h>

#include "tray/systray.h"
#include "ui/form.h"
#include "ui/win32/rain_button.h"

namespace pelkrin::e2e {
namespace {

using browser_sim::BrowserSim;
using browser_sim::OpenedWindow;
using browser_sim::OpenOptions;

constexpr char kSuffix[] = " - Microsoft Internet Explorer";
// A survey every 600 ms, a pause of 600 ms after each pelk: generous for a loaded machine.
constexpr DWORD kPelkDeadlineMs = 8000;

OpenOptions Popup(const std::string& title) {
  OpenOptions options;
  options.title = title;
  options.address = "http://ads.example.net/offer";
  options.toolbars = false;
  return options;
}

// A menu item chosen the way the keyboard chooses it: the key of its mnemonic letter.
void ChooseByLetter(HWND menu, char letter) {
  const auto key = static_cast<WPARAM>(std::toupper(static_cast<unsigned char>(letter)));
  ::PostMessageA(menu, WM_KEYDOWN, key, 0);
  ::PostMessageA(menu, WM_KEYUP, key, 0xC0000000);
}

RECT WindowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

// Where the shell shows the program's icon, as it tells any program that asks (Windows 7 and
// later, and Wine); nullopt where it does not say.
std::optional<RECT> IconRect(HWND icon_window) {
  struct Identifier {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    GUID guidItem;
  };
  using GetRect = HRESULT(WINAPI*)(const Identifier*, RECT*);
  const HMODULE shell = ::LoadLibraryA("shell32.dll");
  const auto get_rect = reinterpret_cast<GetRect>(reinterpret_cast<void (*)()>(
      shell ? ::GetProcAddress(shell, "Shell_NotifyIconGetRect") : nullptr));
  if (!get_rect) return std::nullopt;
  Identifier identifier{sizeof identifier, icon_window, 0, GUID{}};
  RECT rect{};
  const HRESULT result = get_rect(&identifier, &rect);
  std::printf("Shell_NotifyIconGetRect: 0x%08lx (%ld,%ld)-(%ld,%ld)\n",
              static_cast<unsigned long>(result), rect.left, rect.top, rect.right, rect.bottom);
  if (FAILED(result) || ::IsRectEmpty(&rect)) return std::nullopt;
  return rect;
}

std::string Describe(const RECT& rect) {
  return "(" + std::to_string(rect.left) + "," + std::to_string(rect.top) + ")-(" +
         std::to_string(rect.right) + "," + std::to_string(rect.bottom) + ")";
}

// CTRL held down as the keyboard holds it, for as long as this object lives: the system's key
// state changes for every program on the desktop, as GetAsyncKeyState reads it.
class HeldCtrl {
 public:
  HeldCtrl() { Send(0); }
  HeldCtrl(const HeldCtrl&) = delete;
  HeldCtrl& operator=(const HeldCtrl&) = delete;
  ~HeldCtrl() { Send(KEYEVENTF_KEYUP); }

 private:
  static void Send(DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_CONTROL;
    input.ki.dwFlags = flags;
    EXPECT_EQ(::SendInput(1, &input, sizeof input), 1u) << "SendInput failed";
  }
};

struct TrayAndExit : ::testing::Test {
  // Starts the program with `seed` files in its folder; the browser stand-in only when asked.
  void Begin(const std::map<std::string, std::string>& seed = {}, bool browsers = false) {
    copy = std::make_unique<ProgramCopy>(seed);
    ASSERT_TRUE(copy->ok());
    ASSERT_TRUE(copy->Start());
    main_window = copy->WaitForMainWindow();
    ASSERT_NE(main_window, nullptr);
    // Start-up has finished once the icon is in the notification area.
    ASSERT_TRUE(WaitForNotificationIcon());
    ASSERT_TRUE(WaitFor([&] { return (tray = copy->TrayWindow()) != nullptr; }, kDefaultDeadlineMs,
                        "the tray window"));
    if (!browsers) return;
    std::string error;
    sim = BrowserSim::Start(BrowserSimPath(), &error);
    ASSERT_TRUE(sim) << "browser-sim did not start: " << error;
  }
  DWORD Pid() const { return copy->process().id(); }

  // The tray menu, opened by a right click on the icon as the taskbar reports it.
  HWND OpenTrayMenu() {
    PostTrayMessage(tray, WM_RBUTTONDOWN);
    PostTrayMessage(tray, WM_RBUTTONUP);
    return WaitForMenu(Pid());
  }
  // An item of the tray menu chosen from the keyboard, by the mnemonic letters on its way.
  void ChooseFromTrayMenu(const std::string& letters) {
    HWND menu = OpenTrayMenu();
    ASSERT_NE(menu, nullptr);
    for (const char letter : letters) ChooseByLetter(menu, letter);
  }

  // The exit confirmation window, once it is visible; nullptr (with a failure) at the deadline.
  HWND WaitForConfirmation() {
    HWND window = nullptr;
    const auto shown = WaitFor(
        [&] {
          window = FindTopLevelWindow(Pid(), kFormWindowClass, "Pelkrin");
          return window != nullptr && IsVisible(window);
        },
        kDefaultDeadlineMs, "the exit confirmation window");
    EXPECT_TRUE(shown);
    return shown ? window : nullptr;
  }
  static HWND Button(HWND form, const char* caption) {
    for (HWND child = ::FindWindowExA(form, nullptr, win32::kRainButtonClassName, nullptr);
         child != nullptr;
         child = ::FindWindowExA(form, child, win32::kRainButtonClassName, nullptr)) {
      if (ReadText(child).value_or("") == caption) return child;
    }
    return nullptr;
  }
  static HWND NeverAskBox(HWND form) {
    return ::FindWindowExA(form, nullptr, "Button", "&Never ask this again.");
  }

  OpenedWindow Open(const OpenOptions& options) {
    auto opened = sim->Open(options);
    if (!opened) {
      ADD_FAILURE() << "browser-sim could not open a window: " << sim->last_error();
      return {};
    }
    return *opened;
  }
  ::testing::AssertionResult WaitHidden(HWND window, const std::string& what) {
    return WaitFor([&] { return !IsVisible(window); }, kPelkDeadlineMs, what + " to be hidden");
  }
  // Opens a popup last and waits until the detector hid it: every window opened before it has
  // been through a survey by then.
  void AwaitSurvey() {
    const OpenedWindow sentinel = Open(Popup("Sentinel " + std::to_string(++sentinels)));
    ASSERT_TRUE(WaitHidden(sentinel.hwnd, "the sentinel popup"));
  }
  // The program's own message loop goes on running: again and again for `span_ms`, a click on
  // its icon opens its menu within `limit_ms`. (A window procedure answers messages sent to it
  // even while its thread waits inside a send to a frozen window, so a sent probe proves nothing;
  // the icon's notification is posted and waits for the loop.)
  void ExpectLoopRunning(DWORD span_ms, DWORD limit_ms, const std::string& while_what) {
    const DWORD until = ::GetTickCount() + span_ms;
    do {
      ASSERT_TRUE(PostTrayMessage(tray, WM_RBUTTONUP));
      HWND menu = nullptr;
      ASSERT_TRUE(WaitFor([&] { return (menu = FindVisibleMenu(Pid())) != nullptr; }, limit_ms,
                          "the menu to open while " + while_what));
      ASSERT_TRUE(CloseMenu(menu));
      ASSERT_TRUE(WaitFor([&] { return FindVisibleMenu(Pid()) == nullptr; }, limit_ms,
                          "the menu to close while " + while_what));
    } while (::GetTickCount() < until);
  }

  std::unique_ptr<ProgramCopy> copy;
  HWND main_window = nullptr;
  HWND tray = nullptr;
  std::optional<BrowserSim> sim;
  int sentinels = 0;
};

// ---- The tray menu ----

TEST_F(TrayAndExit, TheMenuOpensAtThePointerForAClickAndAtTheIconFromTheKeyboard) {
  Begin();
  const auto area = NotificationArea();
  ASSERT_TRUE(area) << "no notification area on the screen";

  // The keyboard: the notification area has the focus, the pointer rests far away.
  ASSERT_TRUE(::SetCursorPos(120, 120));
  HWND menu = OpenTrayMenu();
  ASSERT_NE(menu, nullptr);
  ScreenshotWhenStable("tray-menu-from-keyboard");
  const RECT at_icon = WindowRect(menu);
  EXPECT_FALSE(::PtInRect(&at_icon, POINT{120, 120}))
      << "the menu " << Describe(at_icon) << " opened at the stale pointer";
  EXPECT_LE(std::abs(at_icon.bottom - area->top), 4)
      << "the menu " << Describe(at_icon) << " is not just above the notification area "
      << Describe(*area);
  EXPECT_TRUE(at_icon.right >= area->left && at_icon.left <= area->right)
      << "the menu " << Describe(at_icon) << " is not over the notification area "
      << Describe(*area);
  ASSERT_TRUE(CloseMenu(menu));
  ASSERT_TRUE(WaitFor([&] { return FindVisibleMenu(Pid()) == nullptr; }, kDefaultDeadlineMs,
                      "the menu to close"));

  // A click: the pointer is on the icon.
  const std::optional<RECT> icon = IconRect(tray);
  const POINT on_icon = icon ? POINT{(icon->left + icon->right) / 2, (icon->top + icon->bottom) / 2}
                             : POINT{area->right - 10, (area->top + area->bottom) / 2};
  ASSERT_TRUE(::SetCursorPos(on_icon.x, on_icon.y));
  menu = OpenTrayMenu();
  ASSERT_NE(menu, nullptr);
  ScreenshotWhenStable("tray-menu");
  const RECT at_pointer = WindowRect(menu);
  // A corner of the menu is at the pointer, unless the menu had to move to stay on the screen.
  const std::string where = "the menu " + Describe(at_pointer) + " is not at the pointer (" +
                            std::to_string(on_icon.x) + "," + std::to_string(on_icon.y) + ")";
  EXPECT_TRUE(at_pointer.left == on_icon.x || at_pointer.right == on_icon.x ||
              at_pointer.right == ::GetSystemMetrics(SM_CXSCREEN))
      << where;
  EXPECT_TRUE(at_pointer.top == on_icon.y || at_pointer.bottom == on_icon.y ||
              at_pointer.bottom == ::GetSystemMetrics(SM_CYSCREEN))
      << where;
  EXPECT_GT(std::abs(at_pointer.bottom - area->top), 4) << where;
  CloseMenu(menu);
}

// Whether the taskbar holds the program's icon: the taskbar answers a change to an icon it does
// not know with a failure, so a change of nothing tells whether it is there.
bool TaskbarHoldsIcon(HWND tray) {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = tray;
  data.uID = 0;
  return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

TEST_F(TrayAndExit, TheIconComesBackWhenTheTaskbarStartsAfresh) {
  Begin();
  ASSERT_TRUE(TaskbarHoldsIcon(tray)) << "the probe does not see the icon that is there";
  // A taskbar that starts afresh has lost every icon, and tells every program so.
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = tray;
  ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &data));
  ASSERT_FALSE(TaskbarHoldsIcon(tray));
  ASSERT_TRUE(::PostMessageA(HWND_BROADCAST, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0));
  EXPECT_TRUE(
      WaitFor([&] { return TaskbarHoldsIcon(tray); }, kDefaultDeadlineMs, "the icon to come back"));
  // The icon that came back is the program's own: its menu still opens from it.
  HWND menu = OpenTrayMenu();
  ASSERT_NE(menu, nullptr);
  CloseMenu(menu);
}

// ---- Exit ----

TEST_F(TrayAndExit, CancelKeepsTheProgramAndTheNextExitAsksAfresh) {
  Begin();
  ChooseFromTrayMenu("x");  // "E&xit"
  HWND form = WaitForConfirmation();
  ASSERT_NE(form, nullptr);
  ScreenshotWhenStable("exit-confirmation");
  HWND box = NeverAskBox(form);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  ASSERT_NE(Button(form, "&Ok"), nullptr);
  ::PostMessageA(box, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; },
                      kDefaultDeadlineMs, "the box to be ticked"));

  ::PostMessageA(Button(form, "&Cancel"), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(form); }, kDefaultDeadlineMs,
                      "the confirmation window to go"));
  ExpectLoopRunning(300, 2000, "the window went");
  EXPECT_TRUE(copy->process().Running());
  EXPECT_TRUE(::IsWindow(tray));
  EXPECT_FALSE(copy->Exists("alwdom.sys")) << "nothing saved: the program goes on";

  ChooseFromTrayMenu("x");
  form = WaitForConfirmation();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(::SendMessageA(NeverAskBox(form), BM_GETCHECK, 0, 0), BST_UNCHECKED)
      << "a new window, the box unchecked";
  ::PostMessageA(Button(form, "&Cancel"), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(form); }, kDefaultDeadlineMs,
                      "the second confirmation window to go"));
  EXPECT_TRUE(copy->process().Running());
}

TEST_F(TrayAndExit, OkWithNeverAskAgainSavesRemovesTheIconAndTheNextRunDoesNotAsk) {
  Begin({{"alwdom.sys", "example.com"},
         {"popblk.sys", std::string("Old Ad") + kSuffix},
         {"pk.sys", "[pk]\r\nHISTORY_COUNT=12\r\n"}});
  // What only the shutdown writes back: the counter, read at start-up and kept in memory.
  ASSERT_TRUE(WaitFor(
      [&] {
        return copy->ReadFile("pk.sys").value_or("").find("KEEP_HISTORY") != std::string::npos;
      },
      kDefaultDeadlineMs, "start-up to write the defaults"));
  ASSERT_TRUE(WriteFileBytes(copy->Path("pk.sys"), "[pk]\r\nCLOSE_DLG=1\r\n"));
  const auto with_icon = CaptureScreen();
  ASSERT_TRUE(with_icon);
  const auto area = NotificationArea();
  ASSERT_TRUE(area);

  ChooseFromTrayMenu("x");
  HWND form = WaitForConfirmation();
  ASSERT_NE(form, nullptr);
  ::PostMessageA(NeverAskBox(form), BM_CLICK, 0, 0);
  ASSERT_TRUE(
      WaitFor([&] { return ::SendMessageA(NeverAskBox(form), BM_GETCHECK, 0, 0) == BST_CHECKED; },
              kDefaultDeadlineMs, "the box to be ticked"));
  ::PostMessageA(Button(form, "&Ok"), BM_CLICK, 0, 0);
  ASSERT_TRUE(copy->process().WaitForExit());
  EXPECT_EQ(copy->ExitCode(), 0u);

  // Every list is written, each line with its ending, and the counter.
  EXPECT_EQ(copy->ReadFile("alwdom.sys"), "example.com\r\n");
  EXPECT_EQ(copy->ReadFile("alwcap.sys"), "");
  EXPECT_EQ(copy->ReadFile("popblk.sys"), std::string("Old Ad") + kSuffix + "\r\n");
  const std::string settings = copy->ReadFile("pk.sys").value_or("");
  EXPECT_NE(settings.find("CLOSE_DLG=0\r\n"), std::string::npos) << Escaped(settings);
  EXPECT_NE(settings.find("HISTORY_COUNT=12\r\n"), std::string::npos) << Escaped(settings);
  // The icon has left the notification area: the taskbar shows there what it showed before the
  // program added it, or no longer shows at all.
  EXPECT_TRUE(WaitFor(
      [&] {
        const auto now = CaptureScreen();
        const auto still = NotificationArea();
        return now &&
               (!still || !NotificationAreaVisibleIn(*now) || now->DiffersIn(*with_icon, *area));
      },
      kDefaultDeadlineMs, "the icon to leave the notification area"));
  Screenshot("exit-icon-gone");

  // The next run ends at "E&xit" after the barble sound and the short wait, without a question.
  ASSERT_TRUE(copy->Start());
  main_window = copy->WaitForMainWindow();
  ASSERT_NE(main_window, nullptr);
  ASSERT_TRUE(WaitForNotificationIcon());
  ::DeleteFileA(copy->Path("alwdom.sys").c_str());
  ASSERT_TRUE(PostCommand(main_window, kCmdExitMenu));
  ASSERT_TRUE(copy->process().WaitForExit());
  EXPECT_EQ(copy->ReadFile("alwdom.sys"), "example.com\r\n") << "the shutdown ran again";
}

TEST_F(TrayAndExit, LoggingOffSavesWhatExitSavesAndClosesTheLastHiddenPopup) {
  Begin({{"alwcap.sys", "search results"}}, /*browsers=*/true);
  const OpenedWindow popup = Open(Popup("Offer"));
  ASSERT_TRUE(WaitHidden(popup.hwnd, "the popup"));

  // Windows asks every program whether the session may end, then tells it that it ends.
  DWORD_PTR answer = 0;
  ASSERT_TRUE(::SendMessageTimeoutA(main_window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                    SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_EQ(answer, TRUE);
  ASSERT_TRUE(::SendMessageTimeoutA(main_window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF,
                                    SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_EQ(copy->ReadFile("alwcap.sys"), "search results\r\n");
  EXPECT_EQ(copy->ReadFile("alwdom.sys"), "");
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(popup.hwnd); }, kDefaultDeadlineMs,
                      "the hidden popup to close"));
}

// ---- Restore, the CTRL override, Kill All ----

TEST_F(TrayAndExit, ARestoredPopupComesBackMarkedAndStays) {
  Begin({}, /*browsers=*/true);
  const OpenedWindow popup = Open(Popup("Wanted Offer"));
  ASSERT_TRUE(WaitHidden(popup.hwnd, "the popup"));
  ChooseFromTrayMenu("rp");  // "&Restore Last" > "&Popup"
  const std::string marked = std::string("Pelkrin Restore Mode  Wanted Offer") + kSuffix;
  EXPECT_TRUE(WaitFor([&] { return IsVisible(popup.hwnd) && CaptionOf(popup.hwnd) == marked; },
                      kDefaultDeadlineMs, "the popup to come back with the restore mark"))
      << "caption: " << CaptionOf(popup.hwnd);
  ScreenshotWhenStable("restored-popup");
  AwaitSurvey();
  EXPECT_TRUE(IsVisible(popup.hwnd)) << "the mark keeps the detector away";
  EXPECT_TRUE(::IsWindow(popup.hwnd)) << "the next pelk did not close it";
}

TEST_F(TrayAndExit, APopupOpenedWhileCtrlIsHeldKeepsItsMarkAndSurvives) {
  Begin({}, /*browsers=*/true);
  OpenedWindow popup;
  {
    HeldCtrl ctrl;
    popup = Open(Popup("Wanted Popup"));
    ASSERT_NE(popup.hwnd, nullptr);
    EXPECT_TRUE(WaitFor(
        [&] { return CaptionOf(popup.hwnd) == std::string("Wanted Popup") + kSuffix + "     "; },
        kDefaultDeadlineMs, "the CTRL mark"))
        << "caption: \"" << CaptionOf(popup.hwnd) << "\"";
  }
  AwaitSurvey();
  EXPECT_TRUE(IsVisible(popup.hwnd));
  EXPECT_EQ(CaptionOf(popup.hwnd), std::string("Wanted Popup") + kSuffix + "     ")
      << "the mark stays after CTRL is released, and is not added twice";
}

TEST_F(TrayAndExit, KillAllClosesEveryBrowserWindowEvenBehindOneThatDoesNotAnswer) {
  // Pelking off, so that every window stays as it was opened until Kill All.
  Begin({{"pk.sys", "[pk]\r\nSUPER_MODE=0\r\n"}}, /*browsers=*/true);
  std::vector<OpenedWindow> windows;
  for (const char* title : {"First", "Second", "Third"}) {
    OpenOptions page;
    page.title = title;
    windows.push_back(Open(page));
  }
  OpenOptions dialog;
  dialog.dialog = true;
  dialog.title = "Web Dialog";
  windows.push_back(Open(dialog));
  OpenOptions frozen;
  frozen.title = "Frozen";
  frozen.group = "frozen";
  const OpenedWindow hung = Open(frozen);  // last opened: first in z-order
  ASSERT_TRUE(sim->Hang(hung.id)) << sim->last_error();

  ASSERT_TRUE(PostCommand(main_window, kCmdKillAllIeWindows));
  for (const OpenedWindow& window : windows) {
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(window.hwnd); }, kDefaultDeadlineMs,
                        "\"" + window.caption + "\" to close"));
  }
  EXPECT_TRUE(::IsWindow(hung.hwnd));
  // Once the frozen window answers again it takes the WM_CLOSE it was sent.
  ASSERT_TRUE(sim->Resume(hung.id));
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(hung.hwnd); }, kDefaultDeadlineMs,
                      "the frozen window to close once it answers"));
}

TEST_F(TrayAndExit, CtrlAndRestoreNeverWaitForABrowserThatStoppedAnswering) {
  Begin({}, /*browsers=*/true);
  OpenOptions options = Popup("Frozen Offer");
  options.group = "frozen";
  const OpenedWindow popup = Open(options);
  ASSERT_TRUE(WaitHidden(popup.hwnd, "the popup"));
  ASSERT_TRUE(sim->Hang(popup.id)) << sim->last_error();
  // The hidden popup is the browser frame in front: CTRL tries to mark it, every 32 ms.
  {
    HeldCtrl ctrl;
    ExpectLoopRunning(2500, 3000, "CTRL was held over a frozen browser window");
  }
  ASSERT_TRUE(PostCommand(main_window, kCmdRestorePopup));
  ExpectLoopRunning(2000, 3000, "a frozen popup was restored");
  // The browser answers again: the restore it missed takes effect.
  ASSERT_TRUE(sim->Resume(popup.id));
  EXPECT_TRUE(WaitFor([&] { return IsVisible(popup.hwnd); }, kDefaultDeadlineMs,
                      "the restored popup to show"));
}

}  // namespace
}  // namespace pelkrin::e2e
