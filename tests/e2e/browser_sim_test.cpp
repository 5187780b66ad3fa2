// The browser stand-in (browser-sim.exe) as the detector and the benchmarks rely on it: the
// window tree read the way another program reads it, the control channel, a hung window, and
// the times at which its windows were shown, hidden and destroyed.
#include <string>
#include <vector>

#include "browser_sim_client.h"
#include "harness.h"

namespace pelkrin::e2e {
namespace {

using browser_sim::BrowserSim;
using browser_sim::NowMicros;
using browser_sim::OpenOptions;

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

// The classes of a window's direct children, top of the z-order first.
std::string ChildClasses(HWND parent) {
  std::string classes;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    classes += "[" + ClassNameOf(child) + "]";
  return classes;
}

// The address bar's Edit, found down the chain of direct children by exact class.
std::optional<std::string> Address(HWND frame) {
  HWND container = ::GetWindow(frame, GW_CHILD);
  HWND edit =
      Child(Child(Child(Child(container, "ReBarWindow32"), "ComboBoxEx32"), "ComboBox"), "Edit");
  return edit ? ReadText(edit, 1000) : std::nullopt;
}

TEST(BrowserSim, WindowsHaveTheTreeAndStylesTheDetectorReads) {
  auto sim = StartSim();
  ASSERT_TRUE(sim);
  OpenOptions popup;
  popup.title = "Special offer";
  popup.address = "http://ads.example.net/offer?id=7&from=page";
  popup.toolbars = false;
  popup.container = browser_sim::ToolbarContainer::kWorkerA;
  popup.flash = true;
  for (const OpenOptions& options : {OpenOptions{}, popup}) {
    SCOPED_TRACE(options.title);
    const auto opened = sim->Open(options);
    ASSERT_TRUE(opened) << sim->last_error();
    HWND frame = opened->hwnd;
    EXPECT_TRUE(WaitFor([&] { return IsVisible(frame); }, kDefaultDeadlineMs, "the frame"));
    EXPECT_EQ(ClassNameOf(frame), "IEFrame");
    EXPECT_EQ(CaptionOf(frame), options.title + kSuffix);
    EXPECT_EQ(ChildClasses(frame), options.flash ? "[WorkerA][Shell DocObject View]"
                                                 : "[WorkerW][Shell DocObject View]");
    EXPECT_EQ(IsVisible(::GetWindow(frame, GW_CHILD)), options.toolbars);
    EXPECT_EQ(Address(frame), options.address);
    HWND flash = Child(Child(Child(frame, "Shell DocObject View"), "Internet Explorer_Server"),
                       "MacromediaFlashPlayerActiveX");
    EXPECT_EQ(IsVisible(flash), options.flash);
    const LONG boxes = WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_CAPTION;
    EXPECT_EQ(::GetWindowLongA(frame, GWL_STYLE) & boxes, boxes);
  }

  // An HTML dialog: its own frame class, no address bar, no suffix even after a retitle.
  OpenOptions dialog;
  dialog.dialog = true;
  dialog.title = "Web Page Dialog";
  const auto opened = sim->Open(dialog);
  ASSERT_TRUE(opened) << sim->last_error();
  EXPECT_EQ(::FindWindowA("Internet Explorer_TridentDlgFrame", nullptr), opened->hwnd);
  EXPECT_EQ(ChildClasses(opened->hwnd), "[Internet Explorer_Server]");
  ASSERT_TRUE(sim->Retitle(opened->id, "Adware - Web Page Dialog")) << sim->last_error();
  EXPECT_EQ(CaptionOf(opened->hwnd), "Adware - Web Page Dialog");
}

TEST(BrowserSim, TheChannelActsOnTheRealWindowsAndRefusesBadRequests) {
  auto sim = StartSim();
  ASSERT_TRUE(sim);
  const auto first = sim->Open();
  OpenOptions odd;  // quotes, escapes and control characters survive the trip into a caption
  odd.title = "Say \"hi\"; C:\\tmp\\x\tend";
  const auto second = sim->Open(odd);
  ASSERT_TRUE(first && second) << sim->last_error();
  EXPECT_EQ(CaptionOf(second->hwnd), odd.title + kSuffix);

  ASSERT_TRUE(sim->Retitle(first->id, "Next page")) << sim->last_error();
  EXPECT_EQ(CaptionOf(first->hwnd), std::string("Next page") + kSuffix);
  ASSERT_TRUE(sim->Close(first->id)) << sim->last_error();
  EXPECT_FALSE(::IsWindow(first->hwnd));
  EXPECT_FALSE(sim->Close(first->id)) << "a closed window closed again";
  const auto windows = sim->List();
  ASSERT_TRUE(windows && windows->size() == 2u) << sim->last_error();
  EXPECT_TRUE(!(*windows)[0].alive && (*windows)[1].alive && (*windows)[1].visible);
  EXPECT_EQ((*windows)[1].hwnd, second->hwnd);

  for (const auto& [request, error] : std::vector<std::pair<std::string, std::string>>{
           {"frobnicate", "unknown command 'frobnicate'"},
           {"close id=99", "there is no window 99"},
           {"open toolbars=maybe", "bad value 'maybe' for option 'toolbars'"}}) {
    const auto reply = sim->Request(request);
    ASSERT_TRUE(reply) << sim->last_error();
    EXPECT_EQ(reply->verb, "error") << request;
    EXPECT_EQ(reply->fields.Get("message"), error) << request;
  }
  OpenOptions huge;  // longer than a request may be
  huge.title = std::string(70000, 'x');
  EXPECT_FALSE(sim->Open(huge));
  EXPECT_NE(sim->last_error().find("longer than"), std::string::npos) << sim->last_error();
  ASSERT_TRUE(sim->Open()) << "the channel goes on: " << sim->last_error();
}

TEST(BrowserSim, HungWindowTimesOutWhileTheChannelAndOtherThreadsAnswer) {
  auto sim = StartSim();
  ASSERT_TRUE(sim);
  OpenOptions in_a, in_b;
  in_a.group = "a";
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
  EXPECT_FALSE(ReadText(same_thread->hwnd, 200)) << "its group's other window answers";
  EXPECT_EQ(ReadText(other->hwnd, 1000), std::string("Example Domain") + kSuffix);
  EXPECT_TRUE(IsVisible(hung->hwnd));

  const auto windows = sim->List();
  ASSERT_TRUE(windows && windows->size() == 3u) << sim->last_error();
  EXPECT_TRUE((*windows)[0].hung && (*windows)[1].hung && !(*windows)[2].hung);
  EXPECT_FALSE(sim->Retitle(hung->id, "Never")) << "a hung window was retitled";
  EXPECT_FALSE(sim->Open(in_a)) << "a window opened on a hung thread";

  ASSERT_TRUE(sim->Resume(hung->id)) << sim->last_error();
  EXPECT_NE(::SendMessageTimeoutA(hung->hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result), 0);
  EXPECT_TRUE(ReadText(same_thread->hwnd, 1000));
}

TEST(BrowserSim, ShownHiddenAndDestroyedTimesAreRecordedInOrder) {
  auto sim = StartSim();
  ASSERT_TRUE(sim);
  const std::int64_t before_open = NowMicros();
  OpenOptions later;
  later.show_after_ms = 800;
  const auto popup = sim->Open(later);
  ASSERT_TRUE(popup) << sim->last_error();
  EXPECT_FALSE(IsVisible(popup->hwnd)) << "shown before its delay";

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
  ASSERT_TRUE(wait_times([](const auto& t) { return t.shown.has_value(); }, "the shown time"));
  EXPECT_TRUE(IsVisible(popup->hwnd));
  EXPECT_GE(*times->shown - before_open, 800 * 1000 - 20 * 1000);  // timer granularity
  // Hidden and closed the way the detector does it: without waiting for the window.
  const std::int64_t before_hide = NowMicros();
  ASSERT_TRUE(::ShowWindowAsync(popup->hwnd, SW_HIDE));
  ASSERT_TRUE(wait_times([](const auto& t) { return t.hidden.has_value(); }, "the hidden time"));
  const std::int64_t before_close = NowMicros();
  ASSERT_TRUE(::PostMessageA(popup->hwnd, WM_CLOSE, 0, 0));
  ASSERT_TRUE(
      wait_times([](const auto& t) { return t.destroyed.has_value(); }, "the destroyed time"));

  EXPECT_LT(*times->shown, before_hide);
  EXPECT_LE(before_hide, *times->hidden);
  EXPECT_LT(*times->hidden, before_close);
  EXPECT_LE(before_close, *times->destroyed);
  EXPECT_LE(*times->destroyed, report->now);
  EXPECT_EQ(times->shows, 1);
  EXPECT_EQ(times->hides, 1);
  EXPECT_GT(report->frequency, 0);
}

TEST(BrowserSim, EndsWhenTheProcessItServesEnds) {
  auto owner = StartSim();
  ASSERT_TRUE(owner);
  auto served = StartSim("--exit-with " + std::to_string(owner->process_id()));
  ASSERT_TRUE(served && served->Open());
  EXPECT_TRUE(owner->Quit());
  EXPECT_EQ(::WaitForSingleObject(served->process(), kDefaultDeadlineMs), WAIT_OBJECT_0)
      << "browser-sim outlived the process it served";
}

}  // namespace
}  // namespace pelkrin::e2e
