// The browser stand-in (browser-sim.exe) under the real window manager: the window structure
// the detector reads, read the way another program reads it; the commands of its control
// channel; a hung window; and the times at which its windows were shown, hidden and destroyed.
#include <string>
#include <vector>

#include "browser_sim_client.h"
#include "harness.h"

namespace pelkrin::e2e {
namespace {

using browser_sim::BrowserSim;
using browser_sim::NowMicros;
using browser_sim::OpenOptions;
using browser_sim::ToolbarContainer;

constexpr char kSuffix[] = " - Microsoft Internet Explorer";

std::optional<BrowserSim> StartSim(const std::string& arguments = "") {
  std::string error;
  auto sim = BrowserSim::Start(BrowserSimPath(), &error, arguments);
  if (!sim) ADD_FAILURE() << "browser-sim did not start: " << error;
  return sim;
}

HWND Child(HWND parent, const char* class_name) {
  return parent == nullptr ? nullptr : ::FindWindowExA(parent, nullptr, class_name, nullptr);
}

// The classes of a window's direct children, first child (top of the z-order) first.
std::vector<std::string> ChildClasses(HWND parent) {
  std::vector<std::string> classes;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    classes.push_back(ClassNameOf(child));
  }
  return classes;
}

// The address bar's Edit, found down the chain of direct children by exact class.
HWND AddressEdit(HWND frame, const char* container) {
  return Child(
      Child(Child(Child(Child(frame, container), "ReBarWindow32"), "ComboBoxEx32"), "ComboBox"),
      "Edit");
}

LONG StyleOf(HWND window) { return ::GetWindowLongA(window, GWL_STYLE); }

::testing::AssertionResult WaitVisible(HWND window, bool visible) {
  return WaitFor([&] { return IsVisible(window) == visible; }, kDefaultDeadlineMs,
                 visible ? "the window to be shown" : "the window to be hidden");
}

TEST(BrowserSim, NormalWindowHasTheBrowsersChildChainWithTheAddressInItsEdit) {
  auto sim = StartSim();
  ASSERT_TRUE(sim);
  const auto opened = sim->Open();  // title "Example Domain", address http://www.example.com/
  ASSERT_TRUE(opened) << sim->last_error();
  HWND frame = opened->hwnd;
  EXPECT_EQ(ClassNameOf(frame), "IEFrame");
  EXPECT_EQ(CaptionOf(frame), std::string("Example Domain") + kSuffix);
  EXPECT_EQ(ProcessIdOf(frame), sim->process_id());
  EXPECT_TRUE(WaitVisible(frame, true));

  // The detector takes the first child in z-order as the toolbar container.
  EXPECT_EQ(ChildClasses(frame), (std::vector<std::string>{"WorkerW", "Shell DocObject View"}));
  HWND container = ::FindWindowExA(frame, nullptr, nullptr, nullptr);
  EXPECT_EQ(container, ::GetWindow(frame, GW_CHILD));
  EXPECT_TRUE(IsVisible(container)) << "the toolbars of a normal window are hidden";
  EXPECT_EQ(Child(frame, "WorkerA"), nullptr);

  HWND edit = AddressEdit(frame, "WorkerW");
  ASSERT_NE(edit, nullptr) << "no WorkerW > ReBarWindow32 > ComboBoxEx32 > ComboBox > Edit";
  EXPECT_EQ(ReadText(edit, 1000), "http://www.example.com/");

  HWND server = Child(Child(frame, "Shell DocObject View"), "Internet Explorer_Server");
  ASSERT_NE(server, nullptr);
  EXPECT_EQ(Child(server, "MacromediaFlashPlayerActiveX"), nullptr)
      << "a Flash ad nobody asked for";

  const LONG style = StyleOf(frame);
  EXPECT_NE(style & WS_MAXIMIZEBOX, 0);
  EXPECT_NE(style & WS_MINIMIZEBOX, 0);
  EXPECT_NE(style & WS_DLGFRAME, 0);
}

TEST(BrowserSim, PopupHidesItsToolbarContainerAndStillHoldsItsAddress) {
  auto sim = StartSim();
  ASSERT_TRUE(sim);
  OpenOptions options;
  options.title = "Special offer";
  options.address = "http://ads.example.net/offer?id=7&from=page";
  options.toolbars = false;
  options.container = ToolbarContainer::kWorkerA;
  options.flash = true;
  const auto popup = sim->Open(options);
  ASSERT_TRUE(popup) << sim->last_error();
  HWND frame = popup->hwnd;
  EXPECT_TRUE(WaitVisible(frame, true));
  EXPECT_EQ(CaptionOf(frame), std::string("Special offer") + kSuffix);

  HWND container = ::FindWindowExA(frame, nullptr, nullptr, nullptr);
  EXPECT_EQ(ClassNameOf(container), "WorkerA");
  EXPECT_FALSE(IsVisible(container)) << "the toolbars of a popup are shown";
  EXPECT_EQ(Child(frame, "WorkerW"), nullptr);
  EXPECT_EQ(ReadText(AddressEdit(frame, "WorkerA"), 1000),
            "http://ads.example.net/offer?id=7&from=page");

  HWND flash = Child(Child(Child(frame, "Shell DocObject View"), "Internet Explorer_Server"),
                     "MacromediaFlashPlayerActiveX");
  ASSERT_NE(flash, nullptr);
  EXPECT_TRUE(IsVisible(flash));
}

TEST(BrowserSim, FrameStylesLackExactlyTheBoxesAskedFor) {
  auto sim = StartSim();
  ASSERT_TRUE(sim);
  struct Case {
    const char* name;
    bool max_box, min_box, title_bar;
  };
  for (const Case& c :
       {Case{"no maximize box", false, true, true}, Case{"no minimize box", true, false, true},
        Case{"no title bar", true, true, false}}) {
    SCOPED_TRACE(c.name);
    OpenOptions options;
    options.max_box = c.max_box;
    options.min_box = c.min_box;
    options.title_bar = c.title_bar;
    const auto opened = sim->Open(options);
    ASSERT_TRUE(opened) << sim->last_error();
    EXPECT_TRUE(WaitVisible(opened->hwnd, true));
    const LONG style = StyleOf(opened->hwnd);
    EXPECT_EQ((style & WS_MAXIMIZEBOX) != 0, c.max_box);
    EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, c.min_box);
    EXPECT_EQ((style & WS_DLGFRAME) != 0, c.title_bar);
    EXPECT_NE(style & WS_BORDER, 0) << "the thin border goes with the title bar";
  }

  OpenOptions exact;
  exact.style = WS_POPUP | WS_BORDER | WS_SYSMENU;
  const auto opened = sim->Open(exact);
  ASSERT_TRUE(opened) << sim->last_error();
  EXPECT_TRUE(WaitVisible(opened->hwnd, true));
  EXPECT_EQ(static_cast<DWORD>(StyleOf(opened->hwnd)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS),
            static_cast<DWORD>(WS_POPUP | WS_BORDER | WS_SYSMENU | WS_VISIBLE));
}

TEST(BrowserSim, HtmlDialogHasTheDialogFrameClassAndNoAddressBar) {
  auto sim = StartSim();
  ASSERT_TRUE(sim);
  OpenOptions options;
  options.dialog = true;
  options.title = "Web Page Dialog";
  const auto dialog = sim->Open(options);
  ASSERT_TRUE(dialog) << sim->last_error();
  EXPECT_EQ(ClassNameOf(dialog->hwnd), "Internet Explorer_TridentDlgFrame");
  EXPECT_EQ(CaptionOf(dialog->hwnd), "Web Page Dialog");
  EXPECT_EQ(::FindWindowA("Internet Explorer_TridentDlgFrame", nullptr), dialog->hwnd);
  EXPECT_EQ(ChildClasses(dialog->hwnd), std::vector<std::string>{"Internet Explorer_Server"});

  // A dialog's caption carries no browser suffix, after a retitle either.
  ASSERT_TRUE(sim->Retitle(dialog->id, "Adware - Web Page Dialog")) << sim->last_error();
  EXPECT_EQ(CaptionOf(dialog->hwnd), "Adware - Web Page Dialog");
}

TEST(BrowserSim, RetitleAndCloseActOnTheRealWindowAndShowInTheList) {
  auto sim = StartSim();
  ASSERT_TRUE(sim);
  const auto first = sim->Open();
  const auto second = sim->Open();
  ASSERT_TRUE(first && second) << sim->last_error();

  ASSERT_TRUE(sim->Retitle(first->id, "Next page")) << sim->last_error();
  EXPECT_EQ(CaptionOf(first->hwnd), std::string("Next page") + kSuffix);
  ASSERT_TRUE(sim->SetCaption(second->id, std::string("Kept") + kSuffix + "     "))
      << sim->last_error();
  EXPECT_EQ(CaptionOf(second->hwnd), std::string("Kept") + kSuffix + "     ");

  ASSERT_TRUE(sim->Close(first->id)) << sim->last_error();
  EXPECT_FALSE(::IsWindow(first->hwnd));
  EXPECT_FALSE(sim->Close(first->id)) << "a closed window closed again";
  EXPECT_NE(sim->last_error().find("closed"), std::string::npos) << sim->last_error();

  const auto windows = sim->List();
  ASSERT_TRUE(windows) << sim->last_error();
  ASSERT_EQ(windows->size(), 2u);
  EXPECT_EQ((*windows)[0].id, first->id);
  EXPECT_FALSE((*windows)[0].alive);
  EXPECT_FALSE((*windows)[0].visible);
  EXPECT_EQ((*windows)[1].hwnd, second->hwnd);
  EXPECT_TRUE((*windows)[1].alive);
  EXPECT_TRUE((*windows)[1].visible);
  EXPECT_EQ((*windows)[1].window_class, "IEFrame");
  EXPECT_EQ((*windows)[1].caption, std::string("Kept") + kSuffix + "     ");
}

TEST(BrowserSim, HungWindowTimesOutWhileTheChannelAndOtherThreadsAnswer) {
  auto sim = StartSim();
  ASSERT_TRUE(sim);
  OpenOptions in_a;
  in_a.group = "a";
  OpenOptions in_b;
  in_b.group = "b";
  const auto hung = sim->Open(in_a);
  const auto same_thread = sim->Open(in_a);
  const auto other = sim->Open(in_b);
  ASSERT_TRUE(hung && same_thread && other) << sim->last_error();

  ASSERT_TRUE(sim->Hang(hung->id)) << sim->last_error();
  constexpr UINT kLimitMs = 500;
  DWORD_PTR result = 0;
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(::SendMessageTimeoutA(hung->hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kLimitMs, &result),
            0);
  const DWORD waited = ::GetTickCount() - start;
  EXPECT_GE(waited + 20, kLimitMs) << "the hung window answered";
  EXPECT_LT(waited, kLimitMs + 2000) << "the send was not limited";
  EXPECT_FALSE(ReadText(same_thread->hwnd, 200)) << "its group's other window still answers";
  EXPECT_EQ(ReadText(other->hwnd, 1000), std::string("Example Domain") + kSuffix);
  EXPECT_TRUE(IsVisible(hung->hwnd));

  // The channel answers, and knows which windows hang.
  const auto windows = sim->List();
  ASSERT_TRUE(windows) << sim->last_error();
  ASSERT_EQ(windows->size(), 3u);
  EXPECT_TRUE((*windows)[0].hung);
  EXPECT_TRUE((*windows)[1].hung);
  EXPECT_FALSE((*windows)[2].hung);
  EXPECT_FALSE(sim->Retitle(hung->id, "Never")) << "a hung window was retitled";
  EXPECT_FALSE(sim->Open(in_a)) << "a window opened on a hung thread";
  ASSERT_TRUE(sim->Open(in_b)) << sim->last_error();

  ASSERT_TRUE(sim->Resume(hung->id)) << sim->last_error();
  EXPECT_NE(::SendMessageTimeoutA(hung->hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result), 0);
  EXPECT_TRUE(ReadText(same_thread->hwnd, 1000));
  EXPECT_TRUE(sim->Close(hung->id)) << sim->last_error();
}

TEST(BrowserSim, ShownHiddenAndDestroyedTimesAreRecordedInOrder) {
  auto sim = StartSim();
  ASSERT_TRUE(sim);
  const std::int64_t before_open = NowMicros();
  const auto popup = sim->Open();
  ASSERT_TRUE(popup) << sim->last_error();
  ASSERT_TRUE(WaitVisible(popup->hwnd, true));

  // Hidden and closed the way the detector does it: without waiting for the window.
  std::optional<browser_sim::TimesReport> report;
  const browser_sim::WindowTimes* times = nullptr;
  auto wait_times = [&](auto&& done, const char* what) {
    return WaitFor(
        [&] {
          report = sim->Times();
          times = report ? report->Find(popup->id) : nullptr;
          return times != nullptr && done(*times);
        },
        kDefaultDeadlineMs, what);
  };
  const std::int64_t before_hide = NowMicros();
  ASSERT_TRUE(::ShowWindowAsync(popup->hwnd, SW_HIDE));
  ASSERT_TRUE(wait_times([](const auto& t) { return t.hidden.has_value(); }, "the hidden time"));
  EXPECT_FALSE(IsVisible(popup->hwnd));
  const std::int64_t before_close = NowMicros();
  ASSERT_TRUE(::PostMessageA(popup->hwnd, WM_CLOSE, 0, 0));
  ASSERT_TRUE(
      wait_times([](const auto& t) { return t.destroyed.has_value(); }, "the destroyed time"));
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(popup->hwnd); }, kDefaultDeadlineMs,
                      "the window to be gone"));

  ASSERT_TRUE(times->shown.has_value());
  EXPECT_LE(before_open, *times->shown);
  EXPECT_LT(*times->shown, before_hide);
  EXPECT_LE(before_hide, *times->hidden);
  EXPECT_LT(*times->hidden, before_close);
  EXPECT_LE(before_close, *times->destroyed);
  EXPECT_LE(*times->destroyed, report->now);
  EXPECT_EQ(times->shows, 1);
  EXPECT_EQ(times->hides, 1);
  EXPECT_GT(report->frequency, 0);
}

TEST(BrowserSim, WindowShownLaterStaysHiddenUntilItsDelayHasPassed) {
  auto sim = StartSim();
  ASSERT_TRUE(sim);
  OpenOptions options;
  options.show_after_ms = 800;
  const std::int64_t before_open = NowMicros();
  const auto opened = sim->Open(options);
  ASSERT_TRUE(opened) << sim->last_error();
  EXPECT_TRUE(::IsWindow(opened->hwnd));
  EXPECT_FALSE(IsVisible(opened->hwnd)) << "shown before its delay";
  std::optional<std::int64_t> shown;
  ASSERT_TRUE(WaitFor(
      [&] {
        const auto report = sim->Times();
        const auto* times = report ? report->Find(opened->id) : nullptr;
        if (times != nullptr) shown = times->shown;
        return shown.has_value();
      },
      kDefaultDeadlineMs, "the window to be shown"));
  EXPECT_TRUE(IsVisible(opened->hwnd));
  EXPECT_GE(*shown - before_open, 800 * 1000 - 20 * 1000);  // timer granularity
}

TEST(BrowserSim, PopupModeOpensToolbarlessPopupsFromItsPageAgainAndAgain) {
  auto sim = StartSim("--popup --popup-every 300");
  ASSERT_TRUE(sim);
  std::vector<browser_sim::WindowInfo> popups;
  std::vector<browser_sim::WindowInfo> pages;
  const auto opened = WaitFor(
      [&] {
        const auto windows = sim->List();
        popups.clear();
        pages.clear();
        for (const auto& window : windows.value_or(std::vector<browser_sim::WindowInfo>{})) {
          if (!window.visible) continue;
          if (window.caption == std::string("Special offer") + kSuffix) popups.push_back(window);
          if (window.caption == std::string("Example Domain") + kSuffix) pages.push_back(window);
        }
        return pages.size() == 1 && popups.size() >= 2;
      },
      kDefaultDeadlineMs, "the page and two of its popups");
  ASSERT_TRUE(opened) << pages.size() << " page(s), " << popups.size() << " popup(s)";
  EXPECT_TRUE(IsVisible(Child(pages[0].hwnd, "WorkerW")));
  EXPECT_EQ(ReadText(AddressEdit(pages[0].hwnd, "WorkerW"), 1000), "http://www.example.com/");
  for (const auto& popup : popups) {
    EXPECT_EQ(ClassNameOf(::GetWindow(popup.hwnd, GW_CHILD)), "WorkerW");
    EXPECT_FALSE(IsVisible(::GetWindow(popup.hwnd, GW_CHILD)));
    EXPECT_EQ(ReadText(AddressEdit(popup.hwnd, "WorkerW"), 1000), "http://ads.example.net/offer");
  }
  ScreenshotWhenStable("browser-sim-popup");
}

TEST(BrowserSim, WithoutArgumentsItOpensOneNormalWindowAndEndsWithIt) {
  const std::string exe = BrowserSimPath();
  Process process = Process::Start(exe, "", exe.substr(0, exe.find_last_of('\\')));
  ASSERT_TRUE(process.valid());
  HWND frame = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        frame = FindTopLevelWindow(process.id(), "IEFrame");
        return frame != nullptr && IsVisible(frame);
      },
      kDefaultDeadlineMs, "the browser window"));
  EXPECT_EQ(CaptionOf(frame), std::string("Example Domain") + kSuffix);
  EXPECT_TRUE(IsVisible(Child(frame, "WorkerW")));
  int frames = 0;
  for (HWND window : TopLevelWindows(process.id())) frames += ClassNameOf(window) == "IEFrame";
  EXPECT_EQ(frames, 1);

  ASSERT_TRUE(::PostMessageA(frame, WM_CLOSE, 0, 0));
  ASSERT_TRUE(process.WaitForExit());
  EXPECT_EQ(process.ExitCode(), 0u);
}

TEST(BrowserSim, BadRequestsGetAnErrorAndTheChannelGoesOn) {
  auto sim = StartSim();
  ASSERT_TRUE(sim);
  auto error_of = [&](const std::string& request) {
    const auto reply = sim->Request(request);
    if (!reply) return "<no reply: " + sim->last_error() + ">";
    return reply->verb == "error" ? reply->fields.Get("message").value_or("<no message>")
                                  : "<" + reply->verb + ">";
  };
  EXPECT_EQ(error_of("frobnicate"), "unknown command 'frobnicate'");
  EXPECT_EQ(error_of("open colour=red"), "unknown option 'colour'");
  EXPECT_EQ(error_of("open toolbars=maybe"), "bad value 'maybe' for option 'toolbars'");
  EXPECT_EQ(error_of("close id=99"), "there is no window 99");
  EXPECT_EQ(error_of("close"), "the request names no window (id=N)");
  EXPECT_EQ(error_of("open title=\"unterminated"),
            "bad request: the value of 'title' has no closing quote");
  OpenOptions huge;
  huge.title = std::string(70000, 'x');
  EXPECT_FALSE(sim->Open(huge));
  EXPECT_NE(sim->last_error().find("longer than"), std::string::npos) << sim->last_error();

  // Quotes, escapes and control characters survive the trip into a real caption.
  OpenOptions odd;
  odd.title = "Say \"hi\"; C:\\tmp\\x\tend";
  const auto opened = sim->Open(odd);
  ASSERT_TRUE(opened) << sim->last_error();
  EXPECT_EQ(CaptionOf(opened->hwnd), odd.title + kSuffix);
  EXPECT_EQ(opened->caption, odd.title + kSuffix);
}

TEST(BrowserSim, EndsWhenTheProcessItServesEnds) {
  auto owner = StartSim();
  ASSERT_TRUE(owner);
  auto served = StartSim("--exit-with " + std::to_string(owner->process_id()));
  ASSERT_TRUE(served);
  ASSERT_TRUE(served->Open()) << served->last_error();
  EXPECT_TRUE(owner->Quit());
  EXPECT_EQ(::WaitForSingleObject(served->process(), kDefaultDeadlineMs), WAIT_OBJECT_0)
      << "browser-sim outlived the process it served";
}

}  // namespace
}  // namespace pelkrin::e2e
