// The Allow/Block window of the running program: opened by the tray command, edited through its
// real controls, closed by its close mark, and judged by the list files it writes.
#include <tuple>

#include "pelk_fixture.h"

namespace pelkrin::e2e {
namespace {

constexpr char kTitle[] = "Pelkrin - Allow / Block";
constexpr const char* kButtonClass = win32::kRainButtonClassName;

// Types into a text box the way a paste does, then presses Enter in it.
void TypeAndPressEnter(HWND edit, const std::string& text) {
  ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  PressKey(edit, VK_RETURN);
}

int Count(HWND list) { return static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0)); }
int Selected(HWND list) { return static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0)); }

// The text of an entry. Read with the W function: across processes Wine hands LB_GETTEXT back
// in UTF-16 whichever function asked.
std::string EntryText(HWND list, int index) {
  const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return "<none>";
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(wide.data()));
  return std::string(wide.begin(), wide.begin() + length);  // the test's entries are ASCII
}

struct AllowBlockWindow : PelkrinTest {
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(
        Begin({{"alwdom.sys", "first.example.com\nsecond.example.org"},
               {"alwcap.sys", "search results\r\n"},
               {"popblk.sys", std::string("Win a prize") + kIeSuffix + "\r\n"}}));
    ASSERT_NE(form = ShowForm(kCmdAllowBlockList, kTitle), nullptr);
    ASSERT_NE(list = VisibleChild(form, "ListBox"), nullptr);
    ASSERT_NE(domain_box = VisibleChild(form, "Edit"), nullptr);
  }
  // The close mark over the title strip's "X" saves all three lists and hides the window.
  void CloseByMark() {
    RECT client{};
    ::GetClientRect(form, &client);
    ClickAt(form, client.right - 12, 12);
    EXPECT_TRUE(
        WaitFor([&] { return !IsVisible(form); }, kDefaultDeadlineMs, "the window to hide"));
  }
  ::testing::AssertionResult WaitEmptied(HWND box) {
    return WaitFor([&] { return ReadText(box) == ""; }, kDefaultDeadlineMs, "the box to empty");
  }
  ::testing::AssertionResult WaitSelected(int index) {
    return WaitFor([&] { return Selected(list) == index; }, kDefaultDeadlineMs,
                   "entry " + std::to_string(index) + " to be selected");
  }
  // Proves that no menu opened for what was posted before: switches to the caption view with a
  // click posted after it, waits until the domain list has gone, then looks for a menu. A menu
  // that had opened would still be showing then (its loop runs the click too).
  void ExpectNoMenuOpened(const char* after) {
    Click(VisibleChild(form, kButtonClass, "Allow (Caption)"));
    ASSERT_TRUE(WaitFor([&] { return !IsVisible(list); }, kDefaultDeadlineMs,
                        "the caption view, switched to after the menu's chance to open"));
    HWND menu = FindVisibleMenu(Pid());
    EXPECT_EQ(menu, nullptr) << "a menu opened after " << after;
    if (menu) CloseMenu(menu);
    Click(VisibleChild(form, kButtonClass, "Allow (Domain)"));
    ASSERT_TRUE(WaitFor([&] { return IsVisible(list); }, kDefaultDeadlineMs, "the domain view"));
  }

  HWND form = nullptr;
  HWND list = nullptr;
  HWND domain_box = nullptr;
};

// A mended fault: characters beyond ASCII (here "\xE9" and the euro sign "\x80" of the ANSI code
// page) typed key by key did not pass the program's handling of Enter unchanged.
TEST_F(AllowBlockWindow, TypedAndPastedDomainsAreAddedBadOnesRefusedAndEveryListSavedOnClose) {
  // Made topmost before it had a window: the window it gets as it first shows is topmost.
  EXPECT_TRUE(::GetWindowLongA(form, GWL_EXSTYLE) & WS_EX_TOPMOST);
  ScreenshotWhenStable("allow-block-domain");
  EXPECT_EQ(ReadText(domain_box), "Type domain name here.");
  LeftClickAt(domain_box, MAKELPARAM(4, 4));  // clears the placeholder
  ASSERT_TRUE(WaitEmptied(domain_box));
  const std::string typed = "caf\xE9\x80.example";
  for (const char c : typed) ::PostMessageA(domain_box, WM_CHAR, static_cast<unsigned char>(c), 1);
  std::string shown;
  ASSERT_TRUE(WaitFor([&] { return (shown = ReadText(domain_box).value_or("")) == typed; },
                      kDefaultDeadlineMs, "the typed text in the box"))
      << "the box holds " << Escaped(shown);
  PressKey(domain_box, VK_RETURN);
  ASSERT_TRUE(WaitEmptied(domain_box));
  // A domain pasted in capitals with its scheme and slash.
  TypeAndPressEnter(domain_box, "HTTP://WWW.EXAMPLE.COM/");
  ASSERT_TRUE(WaitEmptied(domain_box));
  // A domain with a blank is refused with its message; the box keeps the text.
  TypeAndPressEnter(domain_box, "bad example.com");
  EXPECT_EQ(Answer("Pelkrin Allow List", IDOK), "Do not use spaces in domain name.");
  EXPECT_EQ(ReadText(domain_box), "bad example.com");

  CloseByMark();
  ExpectFile("alwdom.sys",
             "first.example.com\r\nsecond.example.org\r\n" + typed + "\r\nwww.example.com\r\n");
  ExpectFile("alwcap.sys", "search results\r\n");
  ExpectFile("popblk.sys", std::string("Win a prize") + kIeSuffix + "\r\n");
  EXPECT_TRUE(copy->process().Running());
}

// Mended faults: "&Remove Domain" removed the entry selected earlier, not the one under the
// pointer; a right click below the entries, or the menu key or Enter with no entry selected,
// opened the menu; and a menu opened from the keyboard appeared at the pointer instead of at the
// selected entry.
TEST_F(AllowBlockWindow, TheListsMenuServesTheEntryUnderThePointerOrTheSelectedOneAndNoneElse) {
  ASSERT_EQ(Count(list), 2);
  ASSERT_EQ(Selected(list), LB_ERR) << "a list starts with no entry selected";
  PressKey(list, VK_APPS);
  ExpectNoMenuOpened("the menu key with no entry selected");
  PressKey(list, VK_RETURN);
  ExpectNoMenuOpened("Enter with no entry selected");

  ::SetCursorPos(0, 0);  // the mouse pointer is far from the list
  LeftClickAt(list, EntryPoint(list, 0));
  ASSERT_TRUE(WaitSelected(0));
  PressKey(list, VK_APPS);
  HWND menu = WaitForMenu(Pid());
  ASSERT_NE(menu, nullptr);
  RECT shown{};
  ::GetWindowRect(menu, &shown);
  RECT entry = EntryRect(list, 0);
  ::MapWindowPoints(list, HWND_DESKTOP, reinterpret_cast<POINT*>(&entry), 2);
  EXPECT_TRUE(::PtInRect(&entry, POINT{shown.left, shown.top}))
      << "menu at (" << shown.left << ", " << shown.top << "), entry at (" << entry.left << ", "
      << entry.top << ") - (" << entry.right << ", " << entry.bottom << ")";
  ASSERT_TRUE(CloseMenuAndWait(menu));
  // A double click opens the same menu.
  PostPair(list, WM_LBUTTONDBLCLK, WM_LBUTTONUP, MK_LBUTTON, EntryPoint(list, 0));
  menu = WaitForMenu(Pid());
  ASSERT_NE(menu, nullptr);
  ASSERT_TRUE(CloseMenuAndWait(menu));

  RightClickAt(list, EntryPoint(list, 1));
  menu = WaitForMenu(Pid());
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Selected(list), 1) << "the right button selects the entry under the pointer";
  ChooseByLetter(menu, 'R');  // "&Remove Domain"
  ASSERT_TRUE(WaitFor([&] { return Count(list) == 1; }, kDefaultDeadlineMs,
                      "the entry under the pointer to go"));
  EXPECT_EQ(EntryText(list, 0), "first.example.com");

  LeftClickAt(list, EntryPoint(list, 0));
  ASSERT_TRUE(WaitSelected(0));
  RECT client{};
  ::GetClientRect(list, &client);
  RightClickAt(list, MAKELPARAM(8, client.bottom - 4));
  ExpectNoMenuOpened("a right click below the entries");
  CloseByMark();
  ExpectFile("alwdom.sys", "first.example.com\r\n");
}

TEST_F(AllowBlockWindow, RestingTheMouseOnAControlShowsItsTip) {
  HWND help = VisibleChild(form, kButtonClass, "&Help");
  ASSERT_NE(help, nullptr);
  RECT rect{};
  ::GetWindowRect(help, &rect);
  auto tip_shown = [&] {
    return FindTopLevelWindow(Pid(), [](HWND window) {
             return ClassNameOf(window) == "tooltips_class32" && IsVisible(window);
           }) != nullptr;
  };
  ASSERT_FALSE(tip_shown());
  ::SetCursorPos(rect.left + 5, rect.top + 5);
  ::SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  EXPECT_TRUE(WaitFor(tip_shown, kDefaultDeadlineMs, "the Help button's tooltip"));
  ScreenshotWhenStable("allow-block-tooltip");
  ::SetCursorPos(0, 0);
}

TEST_F(AllowBlockWindow, TheTitleStripDragsTheWindowWithTheLeftButtonOnly) {
  RECT before{};
  ::GetWindowRect(form, &before);
  // The real pointer rests where the drag starts: while the window holds the mouse, Windows
  // also sends it moves at the real pointer's place.
  POINT start{60, 12};
  ::ClientToScreen(form, &start);
  ::SetCursorPos(start.x, start.y);
  using Button = std::tuple<UINT, UINT, WPARAM>;  // down, up, held: the right one moves nothing
  for (const auto& [down, up, held] : {Button{WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON},
                                       Button{WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON}}) {
    // The first move takes the grab point, the next one moves the window (with the left button).
    ::PostMessageA(form, down, held, MAKELPARAM(60, 12));
    ::PostMessageA(form, WM_MOUSEMOVE, held, MAKELPARAM(60, 12));
    ::PostMessageA(form, WM_MOUSEMOVE, held, MAKELPARAM(90, 22));
    ::PostMessageA(form, up, 0, MAKELPARAM(90, 22));
  }
  RECT after{};
  EXPECT_TRUE(WaitFor([&] { return ::GetWindowRect(form, &after) && after.left != before.left; },
                      kDefaultDeadlineMs, "the window to move"));
  EXPECT_EQ(after.left - before.left, 30);
  EXPECT_EQ(after.top - before.top, 10);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
}

using AllowBlockLists = PelkrinTest;

// A hand-made list of 100,000 entries with mixed line ends and a NUL byte fills the real list box
// whole, in one go when the window shows.
TEST_F(AllowBlockLists, AHugeHandEditedListLoadsWhole) {
  std::string bytes;
  for (int i = 0; i < 100000; ++i)
    bytes += "site" + std::to_string(i) + ".example.net" + (i % 3 == 0 ? "\n" : "\r\n");
  bytes += std::string("after\0nul", 9);
  start_deadline_ms = 60000;  // a command posted while the lists load runs once they have loaded
  ASSERT_NO_FATAL_FAILURE(Begin({{"alwdom.sys", bytes}}));
  HWND form = ShowForm(kCmdAllowBlockList, kTitle);
  ASSERT_NE(form, nullptr);
  HWND list = VisibleChild(form, "ListBox");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Count(list), 100001);
}

}  // namespace
}  // namespace pelkrin::e2e
