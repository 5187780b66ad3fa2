// The detector of the running program against browser windows of another process (the browser
// stand-in): what it hides and closes, what it lets through, block.exe's request, and a browser
// that stops answering. Every wait has a deadline; "a survey has run" is shown by a sentinel
// popup, opened last, being hidden.
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/command_ids.h"
#include "browser_sim_client.h"
#include "harness.h"
#include "settings/block_button.h"
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

OpenOptions Popup(const std::string& title,
                  const std::string& address = "http://ads.example.net/offer") {
  OpenOptions options;
  options.title = title;
  options.address = address;
  options.toolbars = false;
  return options;
}

struct Detector : ::testing::Test {
  // Starts the program with `seed` files in its folder, and the browser stand-in.
  void Begin(const std::map<std::string, std::string>& seed = {}) {
    copy = std::make_unique<ProgramCopy>(seed);
    ASSERT_TRUE(copy->ok());
    ASSERT_TRUE(copy->Start());
    main_window = copy->WaitForMainWindow();
    ASSERT_NE(main_window, nullptr);
    // Start-up has finished once the icon is in the notification area.
    ASSERT_TRUE(WaitForNotificationIcon());
    std::string error;
    sim = BrowserSim::Start(BrowserSimPath(), &error);
    ASSERT_TRUE(sim) << "browser-sim did not start: " << error;
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

  std::unique_ptr<ProgramCopy> copy;
  HWND main_window = nullptr;
  std::optional<BrowserSim> sim;
  int sentinels = 0;
};

TEST_F(Detector, APopupIsHiddenWithinASurveyAndClosedAtTheNextPelk) {
  // Pelking starts off, so the popup can be seen (and photographed) before the first survey.
  Begin({{"pk.sys", "[pk]\r\nSUPER_MODE=0\r\n"}});
  const OpenedWindow normal = Open({});
  const OpenedWindow first = Open(Popup("First Offer"));
  ASSERT_TRUE(WaitFor([&] { return IsVisible(first.hwnd); }, kDefaultDeadlineMs, "the popup"));
  ScreenshotWhenStable("detector-before-pelk");

  ASSERT_TRUE(PostCommand(main_window, kCmdPelkPopups));
  EXPECT_TRUE(WaitHidden(first.hwnd, "the first popup"));
  EXPECT_TRUE(::IsWindow(first.hwnd)) << "hidden, not closed: it can still be restored";
  ScreenshotWhenStable("detector-after-pelk");

  const OpenedWindow second = Open(Popup("Second Offer"));
  EXPECT_TRUE(WaitHidden(second.hwnd, "the second popup"));
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(first.hwnd); }, kPelkDeadlineMs,
                      "the first popup to close at the second pelk"));
  EXPECT_TRUE(IsVisible(normal.hwnd)) << "a normal browser window survives every switch";
}

TEST_F(Detector, AllowedDomainsAndCaptionsLetPopupsThroughAndTheBlockListCatchesByCaption) {
  Begin({{"alwdom.sys", "example.org\r\n"},
         {"alwcap.sys", "results\r\n"},
         {"popblk.sys", std::string("Sticky Ad") + kSuffix + "\r\n"}});
  const OpenedWindow domain = Open(Popup("Partner Offer", "http://www.example.org/deal"));
  const OpenedWindow caption = Open(Popup("Search Results"));
  OpenOptions sticky;  // an ordinary window in every respect but its caption
  sticky.title = "Sticky Ad";
  const OpenedWindow blocked = Open(sticky);
  EXPECT_TRUE(WaitHidden(blocked.hwnd, "the blocked window"));
  AwaitSurvey();
  EXPECT_TRUE(IsVisible(domain.hwnd)) << "its address is on the domain list";
  EXPECT_TRUE(IsVisible(caption.hwnd)) << "its caption is on the caption list";
}

TEST_F(Detector, AnHtmlDialogIsPelkedWhileAdwareIsOn) {
  Begin();
  OpenOptions dialog;
  dialog.dialog = true;
  dialog.title = "Special Offer";
  const OpenedWindow opened = Open(dialog);
  EXPECT_TRUE(WaitHidden(opened.hwnd, "the HTML dialog"));
  EXPECT_TRUE(WaitFor([&] { return CaptionOf(opened.hwnd) == "Special Offer"; }, kDefaultDeadlineMs,
                      "the dialog's own caption back"));
}

TEST_F(Detector, AnHtmlDialogIsKeptWhileAdwareIsOff) {
  Begin({{"pk.sys", "[pk]\r\nADV_ADWARE=0\r\n"}});
  OpenOptions dialog;
  dialog.dialog = true;
  dialog.title = "Special Offer";
  const OpenedWindow opened = Open(dialog);
  AwaitSurvey();
  EXPECT_TRUE(IsVisible(opened.hwnd));
  EXPECT_EQ(CaptionOf(opened.hwnd), "Special Offer");
}

TEST_F(Detector, TheFlashControlOfAnOrdinaryWindowIsHidden) {
  Begin();
  OpenOptions page;
  page.title = "News";
  page.flash = true;
  const OpenedWindow opened = Open(page);
  HWND view = ::FindWindowExA(opened.hwnd, nullptr, "Shell DocObject View", nullptr);
  HWND server = ::FindWindowExA(view, nullptr, "Internet Explorer_Server", nullptr);
  HWND flash = ::FindWindowExA(server, nullptr, "MacromediaFlashPlayerActiveX", nullptr);
  ASSERT_NE(flash, nullptr);
  EXPECT_TRUE(WaitHidden(flash, "the Flash control"));
  EXPECT_TRUE(IsVisible(opened.hwnd));
}

TEST_F(Detector, BlockExesRequestIsPickedUpAndTheWindowPelkedWhenItComesBack) {
  Begin();
  OpenOptions page;
  page.title = "Sticky Promo";
  const OpenedWindow first = Open(page);
  ASSERT_TRUE(WaitFor([&] { return IsVisible(first.hwnd); }, kDefaultDeadlineMs, "the window"));
  ::SetForegroundWindow(first.hwnd);
  // As the browser's Block button starts it: no arguments, from the program folder.
  Process block = Process::Start(copy->Path("block.exe"), "", copy->folder());
  ASSERT_TRUE(block.valid());
  ASSERT_TRUE(block.WaitForExit());
  EXPECT_EQ(block.ExitCode(), 0u);
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(first.hwnd); }, kDefaultDeadlineMs,
                      "block.exe to close the window"));
  // The program takes the request at its next survey and empties the mailbox.
  EXPECT_TRUE(WaitFor(
      [&] {
        const auto settings = copy->ReadFile("pk.sys");
        return settings && settings->find("Sticky Promo") == std::string::npos &&
               settings->find("block_tmp=\r\n") != std::string::npos;
      },
      kPelkDeadlineMs, "the request to be taken from pk.sys"));
  // The page opens the same window again: now it is a popup by its caption.
  const OpenedWindow again = Open(page);
  EXPECT_TRUE(WaitHidden(again.hwnd, "the blocked window"));
}

TEST_F(Detector, AHungBrowserWindowFreezesNeitherTheTrayIconNorLaterPelks) {
  Begin({{"pk.sys", "[pk]\r\nSUPER_MODE=0\r\n"}});
  OpenOptions hung_popup = Popup("Frozen Offer");
  hung_popup.group = "frozen";
  const OpenedWindow hung = Open(hung_popup);
  ASSERT_TRUE(WaitFor([&] { return IsVisible(hung.hwnd); }, kDefaultDeadlineMs, "the popup"));
  ASSERT_TRUE(sim->Hang(hung.id)) << sim->last_error();
  ASSERT_TRUE(PostCommand(main_window, kCmdPelkPopups));

  // The main window keeps answering while surveys run into the hung window.
  const DWORD until = ::GetTickCount() + 3000;
  while (::GetTickCount() < until) {
    DWORD_PTR result = 0;
    const DWORD before = ::GetTickCount();
    ASSERT_TRUE(::SendMessageTimeoutA(main_window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result))
        << "the program stopped answering";
    EXPECT_LT(::GetTickCount() - before, 1500u);
    ::Sleep(100);  // the pace of this probe, not a wait for the program
  }
  // The tray icon still opens its menu.
  HWND tray = FindTrayWindow(copy->process().id());
  ASSERT_NE(tray, nullptr);
  ASSERT_TRUE(PostTrayMessage(tray, WM_RBUTTONUP));
  HWND menu = WaitForMenu(copy->process().id());
  ASSERT_NE(menu, nullptr);
  CloseMenu(menu);
  // A later popup is still pelked.
  AwaitSurvey();
  // Once the browser answers again, the hide it missed takes effect.
  ASSERT_TRUE(sim->Resume(hung.id));
  EXPECT_TRUE(WaitHidden(hung.hwnd, "the popup that hung"));
}

// A window of this test process, on a thread of its own that keeps answering.
class DocumentWindow {
 public:
  explicit DocumentWindow(const std::string& caption) {
    thread_ = std::thread([this, caption] {
      thread_id_ = ::GetCurrentThreadId();
      window_ = ::CreateWindowExA(0, "STATIC", caption.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  20, 20, 300, 200, nullptr, nullptr, nullptr, nullptr);
      ready_ = true;
      MSG message;
      while (!stop_ && ::GetMessageA(&message, nullptr, 0, 0) > 0) ::DispatchMessageA(&message);
      ::DestroyWindow(window_);
    });
    while (!ready_) ::Sleep(5);
  }
  ~DocumentWindow() {
    stop_ = true;
    ::PostThreadMessageA(thread_id_, WM_NULL, 0, 0);
    thread_.join();
  }
  HWND Handle() const { return window_; }

 private:
  std::atomic<bool> ready_{false}, stop_{false};
  DWORD thread_id_ = 0;
  HWND window_ = nullptr;
  std::thread thread_;
};

TEST_F(Detector, AWindowOfAnotherProgramIsNeverTouchedWhateverItsCaption) {
  Begin();
  const std::string caption = std::string("Quarterly Report") + kSuffix;
  DocumentWindow document(caption);
  ASSERT_NE(document.Handle(), nullptr);
  const OpenedWindow popup = Open(Popup("Quarterly Report"));
  EXPECT_TRUE(WaitHidden(popup.hwnd, "the browser popup with that caption"));
  AwaitSurvey();
  EXPECT_TRUE(IsVisible(document.Handle()));
  EXPECT_EQ(CaptionOf(document.Handle()), caption);
}

// ---- The event path: a popup hidden as it shows ----

// The program's diagnostic lines go to a log file in its folder.
struct EventPath : Detector {
  void BeginLogged() {
    copy = std::make_unique<ProgramCopy>();
    ASSERT_TRUE(copy->ok());
    ::SetEnvironmentVariableA("PELKRIN_LOG", copy->Path("pelkrin.log").c_str());
    const auto started = copy->Start();
    ::SetEnvironmentVariableA("PELKRIN_LOG", nullptr);
    ASSERT_TRUE(started);
    main_window = copy->WaitForMainWindow();
    ASSERT_NE(main_window, nullptr);
    ASSERT_TRUE(WaitForNotificationIcon());
    std::string error;
    sim = BrowserSim::Start(BrowserSimPath(), &error);
    ASSERT_TRUE(sim) << "browser-sim did not start: " << error;
  }
  std::string Log() { return copy->ReadFile("pelkrin.log").value_or(""); }
  static int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
      ++count;
    return count;
  }
  // The stand-in's record of each window, once every one of `ids` has been hidden.
  std::optional<browser_sim::TimesReport> TimesOnceHidden(const std::vector<int>& ids) {
    std::optional<browser_sim::TimesReport> times;
    WaitFor(
        [&] {
          times = sim->Times();
          if (!times) return true;
          for (const int id : ids) {
            const auto* window = times->Find(id);
            if (!window || !window->hidden) return false;
          }
          return true;
        },
        kPelkDeadlineMs, "the stand-in to record every hide");
    return times;
  }
};

TEST_F(EventPath, APopupIsHiddenAsItShowsLongBeforeASurveyCouldHaveComeAndANormalWindowNever) {
  BeginLogged();
  const OpenedWindow normal = Open({});
  // A survey tick may land in the moment between a popup's showing and the event path's next
  // look, and pelk it first; that is allowed, so a few popups are tried for one that the event
  // path takes.
  bool by_event = false;
  for (int attempt = 1; attempt <= 3 && !by_event; ++attempt) {
    const std::string caption = "Quick Offer " + std::to_string(attempt);
    OpenOptions options = Popup(caption);
    options.show_after_ms = 30;  // created hidden, filled, then shown, as a page opens a popup
    const OpenedWindow popup = Open(options);
    ASSERT_TRUE(WaitHidden(popup.hwnd, "the popup"));
    const auto times = TimesOnceHidden({popup.id});
    ASSERT_TRUE(times) << sim->last_error();
    const auto* record = times->Find(popup.id);
    ASSERT_TRUE(record && record->shown && record->hidden);
    ASSERT_TRUE(WaitFor([&] { return Count(Log(), "pelked \"" + caption + "\"") == 1; },
                        kDefaultDeadlineMs, "one pelk line"))
        << Log();
    by_event = Count(Log(), "pelked \"" + caption + "\" (" +
                                std::to_string(static_cast<std::uint32_t>(
                                    reinterpret_cast<std::uintptr_t>(popup.hwnd))) +
                                ") as it showed") == 1;
    if (!by_event) continue;
    // A survey comes every 600 ms; the event path hides within a few milliseconds. The bound
    // is loose so that a loaded machine passes; the benchmark holds the tight figures.
    const double visible_ms = static_cast<double>(*record->hidden - *record->shown) / 1000.0;
    EXPECT_LT(visible_ms, 100.0);
  }
  EXPECT_TRUE(by_event) << "no popup of three was pelked as it showed\n" << Log();
  AwaitSurvey();
  const auto after = sim->Times();
  ASSERT_TRUE(after);
  const auto* kept = after->Find(normal.id);
  ASSERT_TRUE(kept && kept->shown);
  EXPECT_EQ(kept->hides, 0) << "the ordinary window was never hidden, not for a moment";
  EXPECT_TRUE(IsVisible(normal.hwnd));
}

TEST_F(EventPath, ABurstOfTenIdenticalPopupsIsAllPelkedAndOnlyTheLastLeftAliveAndHidden) {
  BeginLogged();
  std::vector<OpenedWindow> burst;
  std::vector<int> ids;
  for (int i = 0; i < 10; ++i) {
    OpenOptions options = Popup("Free Prize");
    // All ten show together once the last is created.
    options.show_after_ms = static_cast<std::uint32_t>(300 - i * 25);
    options.group = "burst";
    burst.push_back(Open(options));
    ids.push_back(burst.back().id);
  }
  const auto times = TimesOnceHidden(ids);
  ASSERT_TRUE(times) << sim->last_error();
  EXPECT_TRUE(WaitFor(
      [&] {
        int alive = 0;
        for (const OpenedWindow& popup : burst) alive += ::IsWindow(popup.hwnd) ? 1 : 0;
        return alive == 1;
      },
      kPelkDeadlineMs, "all but the last popup to close"));
  // The last one pelked need not be the last one opened: whichever is alive is hidden.
  for (const OpenedWindow& popup : burst)
    if (::IsWindow(popup.hwnd)) {
      EXPECT_FALSE(IsVisible(popup.hwnd));
    }
  EXPECT_TRUE(WaitFor([&] { return Count(Log(), "pelked \"Free Prize\"") == 10; },
                      kDefaultDeadlineMs, "ten pelk lines"))
      << Log();
  AwaitSurvey();
  EXPECT_EQ(Count(Log(), "pelked \"Free Prize\""), 10) << "one report each, from either path";
}

// ---- The Block button's registry key and the Advanced options window ----

std::optional<std::string> ReadRegistryString(HKEY root, const std::string& key,
                                              const std::string& name) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
    return std::nullopt;
  char data[1024] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  const LONG error = ::RegQueryValueExA(opened, name.c_str(), nullptr, &type,
                                        reinterpret_cast<BYTE*>(data), &size);
  ::RegCloseKey(opened);
  if (error != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return std::string(data);
}

bool RegistryKeyExists(HKEY root, const std::string& key) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  ::RegCloseKey(opened);
  return true;
}

TEST(BlockButton, TheKeyHoldsItsValuesAfterTheFirstStartAndStaysAwayWhenSwitchedOff) {
  ASSERT_TRUE(DeleteRegistryTree(HKEY_LOCAL_MACHINE, kBlockButtonKey));
  {
    ProgramCopy copy;
    ASSERT_TRUE(copy.Start());
    ASSERT_TRUE(WaitFor([&] { return RegistryKeyExists(HKEY_LOCAL_MACHINE, kBlockButtonKey); },
                        kDefaultDeadlineMs, "the Block button's key"));
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kBlockButtonKey, "ButtonText"), "Block");
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kBlockButtonKey, "CLSID"),
              "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}");
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kBlockButtonKey, "Exec"),
              copy.Path("block.exe"));
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kBlockButtonKey, "Icon"),
              copy.Path("chopper.ico"));
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kBlockButtonKey, "HotIcon"),
              copy.Path("trash.ico"));
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kBlockButtonKey, "MenuText"), "&Block Popup");
  }
  ASSERT_TRUE(DeleteRegistryTree(HKEY_LOCAL_MACHINE, kBlockButtonKey));
  ProgramCopy off(std::map<std::string, std::string>{{"pk.sys", "[pk]\r\nICON_CREATED=0\r\n"}});
  ASSERT_TRUE(off.Start());
  ASSERT_NE(off.WaitForMainWindow(), nullptr);
  ASSERT_TRUE(WaitForNotificationIcon());
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kBlockButtonKey));
}

struct AdvancedOptionsWindow : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(copy.Start());
    main_window = copy.WaitForMainWindow();
    ASSERT_NE(main_window, nullptr);
    ASSERT_TRUE(WaitForNotificationIcon());
    Show();
  }
  void Show() {
    ASSERT_TRUE(PostCommand(main_window, kCmdAdvancedOptions));
    ASSERT_TRUE(WaitFor(
        [&] {
          form = FindTopLevelWindow(copy.process().id(), kFormWindowClass, "Advanced Options");
          return form != nullptr && IsVisible(form);
        },
        kDefaultDeadlineMs, "the Advanced options window to show"));
  }
  // The n-th check box of the window, in tab order (max, min, title, adware, flash, button).
  HWND Box(int n) {
    HWND box = nullptr;
    for (int i = 0; i <= n; ++i) box = ::FindWindowExA(form, box, "Button", nullptr);
    return box;
  }
  HWND Button(const char* caption) {
    for (HWND child = ::FindWindowExA(form, nullptr, win32::kRainButtonClassName, nullptr);
         child != nullptr;
         child = ::FindWindowExA(form, child, win32::kRainButtonClassName, nullptr)) {
      if (ReadText(child).value_or("") == caption) return child;
    }
    return nullptr;
  }
  bool Checked(HWND box) { return ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  // Answers the message box titled "Pelkrin" and returns its text.
  std::string Answer(int button) {
    HWND box = WaitForMessageBox("Pelkrin", kDefaultDeadlineMs, copy.process().id());
    if (box == nullptr) return "<no box>";
    const std::string text = MessageBoxText(box).value_or("");
    PressButton(box, button);
    return text;
  }

  ProgramCopy copy;
  HWND main_window = nullptr;
  HWND form = nullptr;
};

TEST_F(AdvancedOptionsWindow, SaveStoresTheSwitchesAndCancelPutsThemBack) {
  ScreenshotWhenStable("advanced-options");
  HWND flash = Box(4);
  ASSERT_NE(flash, nullptr);
  ASSERT_TRUE(Checked(flash));
  ::PostMessageA(flash, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !Checked(flash); }, kDefaultDeadlineMs, "the box to clear"));
  ::PostMessageA(Button("&Save"), BM_CLICK, 0, 0);
  EXPECT_EQ(Answer(IDOK), "Settings saved successfully.");
  EXPECT_TRUE(WaitFor([&] { return !IsVisible(form); }, kDefaultDeadlineMs, "the window to hide"));
  EXPECT_TRUE(WaitFor(
      [&] { return copy.ReadFile("pk.sys").value_or("").find("ADV_FLASH=0") != std::string::npos; },
      kDefaultDeadlineMs, "ADV_FLASH=0 in pk.sys"));

  Show();
  HWND adware = Box(3);
  ::PostMessageA(adware, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !Checked(adware); }, kDefaultDeadlineMs, "the box to clear"));
  ::PostMessageA(Button("&Cancel"), BM_CLICK, 0, 0);
  EXPECT_EQ(Answer(IDYES), "Are you sure you want to cancel without saving?");
  EXPECT_TRUE(WaitFor([&] { return !IsVisible(form); }, kDefaultDeadlineMs, "the window to hide"));
  EXPECT_TRUE(Checked(adware)) << "the stored value is back";
  EXPECT_FALSE(Checked(Box(4)));
}

}  // namespace
}  // namespace pelkrin::e2e
