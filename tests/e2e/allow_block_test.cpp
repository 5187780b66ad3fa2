// The Allow/Block window of the running program: opened by the tray command, edited through its
// real controls, closed by its close mark, and judged by the list files it writes.
#include <cstdio>
#include <string>

#include "app/command_ids.h"
#include "harness.h"
#include "ui/form.h"
#include "ui/win32/rain_button.h"

namespace pelkrin::e2e {
namespace {

constexpr const char* kFormClass = kFormWindowClass;
constexpr const char* kButtonClass = win32::kRainButtonClassName;
constexpr char kTitle[] = "Pelkrin - Allow / Block";

// Types into a text box the way a paste does, then presses Enter in it.
void TypeAndPressEnter(HWND edit, const std::string& text) {
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

struct AllowBlockWindow : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(copy.ok());
    ASSERT_TRUE(copy.Start());
    main_window = copy.WaitForMainWindow();
    ASSERT_NE(main_window, nullptr);
    ASSERT_TRUE(WaitForNotificationIcon());
    ASSERT_TRUE(PostCommand(main_window, kCmdAllowBlockList));
    ASSERT_TRUE(WaitFor(
        [&] {
          form = FindTopLevelWindow(copy.process().id(), kFormClass, kTitle);
          return form != nullptr && IsVisible(form);
        },
        kDefaultDeadlineMs, "the Allow/Block window to show"));
  }

  // Waits for the list files to hold exactly these bytes.
  void ExpectFile(const char* name, const std::string& bytes) {
    std::string last;
    EXPECT_TRUE(WaitFor(
        [&] {
          last = copy.ReadFile(name).value_or("<missing>");
          return last == bytes;
        },
        kDefaultDeadlineMs, name))
        << "expected:\n" << Escaped(bytes) << "actual:\n" << Escaped(last);
  }

  ProgramCopy copy{{{"alwdom.sys", "first.example.com\nsecond.example.org"},
                    {"alwcap.sys", "search results\r\n"},
                    {"popblk.sys", "Win a prize - Microsoft Internet Explorer\r\n"}}};
  HWND main_window = nullptr;
  HWND form = nullptr;
};

TEST_F(AllowBlockWindow, AddsRefusesAndSavesEveryListOnClose) {
  const DWORD pid = copy.process().id();
  ScreenshotWhenStable("allow-block-domain");
  EXPECT_TRUE(GetWindowLongA(form, GWL_EXSTYLE) & WS_EX_TOPMOST) << "it stays above other windows " << std::hex << GetWindowLongA(form, GWL_EXSTYLE) << " " << form;

  // A domain typed in capitals with its scheme and slash, added with Enter.
  HWND domain_box = VisibleChild(form, "Edit");
  ASSERT_NE(domain_box, nullptr);
  EXPECT_EQ(ReadText(domain_box), "Type domain name here.");
  TypeAndPressEnter(domain_box, "HTTP://WWW.EXAMPLE.COM/");
  ASSERT_TRUE(WaitFor([&] { return ReadText(domain_box) == ""; }, kDefaultDeadlineMs,
                      "the domain box to empty after the add"));

  // A domain with a blank is refused with its message; the box keeps the text.
  TypeAndPressEnter(domain_box, "bad example.com");
  HWND box = WaitForMessageBox("Pelkrin Allow List", kDefaultDeadlineMs, pid);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "Do not use spaces in domain name.");
  ASSERT_TRUE(PressButton(box, IDOK));
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box) || !IsVisible(box); }, kDefaultDeadlineMs,
                      "the message box to close"));
  EXPECT_EQ(ReadText(domain_box), "bad example.com");

  // A caption, in the caption view, added with its "+" button.
  HWND caption_view = VisibleChild(form, kButtonClass, "Allow (Caption)");
  ASSERT_NE(caption_view, nullptr);
  Click(caption_view);
  HWND caption_box = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        caption_box = VisibleChild(form, "Edit");
        return caption_box != nullptr && caption_box != domain_box;
      },
      kDefaultDeadlineMs, "the caption box to show"));
  SendMessageA(caption_box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Daily NEWS"));
  HWND plus = VisibleChild(form, kButtonClass, "+");
  ASSERT_NE(plus, nullptr);
  Click(plus);
  ASSERT_TRUE(WaitFor([&] { return ReadText(caption_box) == ""; }, kDefaultDeadlineMs,
                      "the caption box to empty after the add"));
  ScreenshotWhenStable("allow-block-caption");

  HWND block_view = VisibleChild(form, kButtonClass, "Block List");
  ASSERT_NE(block_view, nullptr);
  Click(block_view);
  ASSERT_TRUE(WaitFor([&] { return VisibleChild(form, "Edit") == nullptr; }, kDefaultDeadlineMs,
                      "the text boxes to hide in the block view"));
  ScreenshotWhenStable("allow-block-block");

  // The close mark over the title strip's "X" saves all three lists and hides the window.
  RECT client{};
  GetClientRect(form, &client);
  ClickAt(form, client.right - 12, 12);
  ASSERT_TRUE(WaitFor([&] { return !IsVisible(form); }, kDefaultDeadlineMs,
                      "the window to hide on its close mark"));
  ExpectFile("alwdom.sys", "first.example.com\r\nsecond.example.org\r\nwww.example.com\r\n");
  ExpectFile("alwcap.sys", "search results\r\ndaily news\r\n");
  ExpectFile("popblk.sys", "Win a prize - Microsoft Internet Explorer\r\n");
  EXPECT_TRUE(copy.process().Running());
}

// Double-clicks entry `index` of a list box, as the mouse does.
void DoubleClickEntry(HWND list, int index) {
  const int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  const LPARAM at = MAKELPARAM(8, height * index + height / 2);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
}

// Picks a menu item by its underlined letter.
void ChooseByLetter(HWND menu, char letter) {
  PostMessageA(menu, WM_KEYDOWN, static_cast<WPARAM>(letter), 0);
  PostMessageA(menu, WM_KEYUP, static_cast<WPARAM>(letter), 0xC0000000);
}

TEST_F(AllowBlockWindow, TheListMenuRemovesTheEntryAndClearsAfterAsking) {
  const DWORD pid = copy.process().id();
  HWND list = VisibleChild(form, "ListBox");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);

  DoubleClickEntry(list, 0);
  HWND menu = WaitForMenu(pid);
  ASSERT_NE(menu, nullptr);
  ChooseByLetter(menu, 'R');  // "&Remove Domain"
  ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 1; },
                      kDefaultDeadlineMs, "the double-clicked entry to go"));

  DoubleClickEntry(list, 0);
  menu = WaitForMenu(pid);
  ASSERT_NE(menu, nullptr);
  ChooseByLetter(menu, 'C');  // "&Clear Entire List", which asks first
  HWND box = WaitForMessageBox("Pelkrin Allow List", kDefaultDeadlineMs, pid);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box),
            "Once the list has been cleared you will not be able to recover it!  Are you sure?");
  ASSERT_TRUE(PressButton(box, IDYES));
  ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 0; },
                      kDefaultDeadlineMs, "the list to be cleared"));

  RECT client{};
  GetClientRect(form, &client);
  ClickAt(form, client.right - 12, 12);
  ExpectFile("alwdom.sys", "");
  ExpectFile("alwcap.sys", "search results\r\n");
}

// The rectangle of entry `index` of the program's list box, in the list's client coordinates.
RECT EntryRect(HWND list, int index) {
  RECT rect{};
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  return rect;
}

LPARAM EntryPoint(HWND list, int index) {
  const RECT rect = EntryRect(list, index);
  return MAKELPARAM(rect.left + 8, (rect.top + rect.bottom) / 2);
}

// The text of an entry. Read with the W function: across processes Wine hands LB_GETTEXT back
// in UTF-16 whichever function asked.
std::string EntryText(HWND list, int index) {
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return "<none>";
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.data()));
  wide.resize(static_cast<std::size_t>(length));
  std::string text;
  for (wchar_t c : wide) text += static_cast<char>(c);  // the test's entries are ASCII
  return text;
}

int SelectedEntry(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)); }

void LeftClickAt(HWND window, LPARAM at) {
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(window, WM_LBUTTONUP, 0, at);
}

void RightClickAt(HWND window, LPARAM at) {
  PostMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, at);
  PostMessageA(window, WM_RBUTTONUP, 0, at);
}

void PressKey(HWND window, WPARAM key) {
  PostMessageA(window, WM_KEYDOWN, key, 1);
  PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

// Proves that no menu opened for what was posted before: switches to the caption view with a
// click posted after it, waits until the domain list has gone, then looks for a menu. A menu
// that had opened would still be showing then (its loop runs the click too).
void ExpectNoMenuOpened(HWND form, HWND list, DWORD pid, const char* after) {
  HWND caption_view = VisibleChild(form, kButtonClass, "Allow (Caption)");
  ASSERT_NE(caption_view, nullptr);
  Click(caption_view);
  ASSERT_TRUE(WaitFor([&] { return !IsVisible(list); }, kDefaultDeadlineMs,
                      "the caption view, switched to after the menu's chance to open"));
  HWND menu = FindVisibleMenu(pid);
  EXPECT_EQ(menu, nullptr) << "a menu opened after " << after;
  if (menu) CloseMenu(menu);
}

TEST_F(AllowBlockWindow, TheRightButtonRemovesTheEntryUnderThePointerNotTheSelectedOne) {
  const DWORD pid = copy.process().id();
  HWND list = VisibleChild(form, "ListBox");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
  LeftClickAt(list, EntryPoint(list, 0));
  ASSERT_TRUE(WaitFor([&] { return SelectedEntry(list) == 0; }, kDefaultDeadlineMs,
                      "the first entry to be selected"));

  RightClickAt(list, EntryPoint(list, 1));
  HWND menu = WaitForMenu(pid);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(SelectedEntry(list), 1) << "the right button selects the entry under the pointer";
  ChooseByLetter(menu, 'R');  // "&Remove Domain"
  ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 1; },
                      kDefaultDeadlineMs, "the entry under the pointer to go"));
  EXPECT_EQ(EntryText(list, 0), "first.example.com");

  // Below the last entry there is no entry under the pointer: no menu, not even for the one
  // still selected.
  LeftClickAt(list, EntryPoint(list, 0));
  ASSERT_TRUE(WaitFor([&] { return SelectedEntry(list) == 0; }, kDefaultDeadlineMs,
                      "the remaining entry to be selected"));
  RECT client{};
  GetClientRect(list, &client);
  RightClickAt(list, MAKELPARAM(8, client.bottom - 4));
  ExpectNoMenuOpened(form, list, pid, "a right click below the entries");

  RECT form_client{};
  GetClientRect(form, &form_client);
  ClickAt(form, form_client.right - 12, 12);  // the close mark saves the lists
  ExpectFile("alwdom.sys", "first.example.com\r\n");
}

TEST_F(AllowBlockWindow, TheMenuKeyAndEnterOpenNothingWhileNoEntryIsSelected) {
  const DWORD pid = copy.process().id();
  HWND list = VisibleChild(form, "ListBox");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(SelectedEntry(list), LB_ERR) << "a list starts with no entry selected";
  PressKey(list, VK_APPS);
  ExpectNoMenuOpened(form, list, pid, "the menu key with no entry selected");

  HWND domain_view = VisibleChild(form, kButtonClass, "Allow (Domain)");
  ASSERT_NE(domain_view, nullptr);
  Click(domain_view);
  ASSERT_TRUE(WaitFor([&] { return IsVisible(list); }, kDefaultDeadlineMs, "the domain view"));
  PressKey(list, VK_RETURN);
  ExpectNoMenuOpened(form, list, pid, "Enter with no entry selected");
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
}

TEST_F(AllowBlockWindow, AMenuOpenedFromTheKeyboardAppearsAtTheSelectedEntry) {
  const DWORD pid = copy.process().id();
  HWND list = VisibleChild(form, "ListBox");
  ASSERT_NE(list, nullptr);
  SetCursorPos(0, 0);  // the mouse pointer is far from the list
  LeftClickAt(list, EntryPoint(list, 1));
  ASSERT_TRUE(WaitFor([&] { return SelectedEntry(list) == 1; }, kDefaultDeadlineMs,
                      "the second entry to be selected"));

  PressKey(list, VK_APPS);
  HWND menu = WaitForMenu(pid);
  ASSERT_NE(menu, nullptr);
  RECT shown{};
  GetWindowRect(menu, &shown);
  RECT entry = EntryRect(list, 1);
  MapWindowPoints(list, HWND_DESKTOP, reinterpret_cast<POINT*>(&entry), 2);
  const POINT corner{shown.left, shown.top};
  EXPECT_TRUE(PtInRect(&entry, corner))
      << "menu at (" << shown.left << ", " << shown.top << "), entry at (" << entry.left << ", "
      << entry.top << ") - (" << entry.right << ", " << entry.bottom << ")";
  ChooseByLetter(menu, 'R');
  ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 1; },
                      kDefaultDeadlineMs, "the selected entry to go"));
  EXPECT_EQ(EntryText(list, 0), "first.example.com");
}

// Keys typed into a text box pass through the program's handling of Enter on their way to the
// box; characters beyond ASCII (here "\xE9" and the euro sign "\x80" of the ANSI code page)
// come out as they went in.
TEST_F(AllowBlockWindow, CharactersTypedIntoTheBoxReachTheListFileUnchanged) {
  HWND domain_box = VisibleChild(form, "Edit");
  ASSERT_NE(domain_box, nullptr);
  LeftClickAt(domain_box, MAKELPARAM(4, 4));  // clears the placeholder
  ASSERT_TRUE(WaitFor([&] { return ReadText(domain_box) == ""; }, kDefaultDeadlineMs,
                      "the placeholder to go"));
  const std::string typed = "caf\xE9\x80.example";
  for (const char c : typed) PostMessageA(domain_box, WM_CHAR, static_cast<unsigned char>(c), 1);
  std::string shown;
  ASSERT_TRUE(WaitFor(
      [&] {
        shown = ReadText(domain_box).value_or("<no answer>");
        return shown == typed;
      },
      kDefaultDeadlineMs, "the typed text in the box"))
      << "the box holds " << Escaped(shown);
  PressKey(domain_box, VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return ReadText(domain_box) == ""; }, kDefaultDeadlineMs,
                      "the domain box to empty after the add"));
  RECT client{};
  GetClientRect(form, &client);
  ClickAt(form, client.right - 12, 12);
  ExpectFile("alwdom.sys", "first.example.com\r\nsecond.example.org\r\n" + typed + "\r\n");
}

// Typed text is lowered by the system's ANSI code page, accented capitals too.
TEST_F(AllowBlockWindow, AnAccentedCapitalTypedIsStoredInLowerCase) {
  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page here is " << GetACP() << ", not 1252";
  HWND domain_box = VisibleChild(form, "Edit");
  ASSERT_NE(domain_box, nullptr);
  TypeAndPressEnter(domain_box, "HTTP://CAF\xC9.EXAMPLE/");
  ASSERT_TRUE(WaitFor([&] { return ReadText(domain_box) == ""; }, kDefaultDeadlineMs,
                      "the domain box to empty after the add"));
  RECT client{};
  GetClientRect(form, &client);
  ClickAt(form, client.right - 12, 12);
  ExpectFile("alwdom.sys", "first.example.com\r\nsecond.example.org\r\ncaf\xE9.example\r\n");
}

TEST_F(AllowBlockWindow, RestingTheMouseOnAControlShowsItsTip) {
  HWND help = VisibleChild(form, kButtonClass, "&Help");
  ASSERT_NE(help, nullptr);
  RECT rect{};
  GetWindowRect(help, &rect);
  const DWORD pid = copy.process().id();
  auto tip_shown = [&] {
    for (HWND window : TopLevelWindows(pid))
      if (ClassNameOf(window) == "tooltips_class32" && IsVisible(window)) return true;
    return false;
  };
  ASSERT_FALSE(tip_shown());
  SetCursorPos(rect.left + 5, rect.top + 5);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  EXPECT_TRUE(WaitFor(tip_shown, kDefaultDeadlineMs, "the Help button's tooltip"));
  ScreenshotWhenStable("allow-block-tooltip");
  SetCursorPos(0, 0);
}

TEST_F(AllowBlockWindow, TheTitleStripDragsTheWindowWithTheLeftButtonOnly) {
  RECT before{};
  GetWindowRect(form, &before);
  // The real pointer rests where the drag starts: while the window holds the mouse, Windows
  // also sends it moves at the real pointer's place (after the window moved, say), and a
  // pointer left elsewhere by an earlier test would drag the window there.
  POINT start{60, 12};
  ClientToScreen(form, &start);
  SetCursorPos(start.x, start.y);
  // The right button moves nothing.
  PostMessageA(form, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(60, 12));
  PostMessageA(form, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(60, 12));
  PostMessageA(form, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(90, 22));
  PostMessageA(form, WM_RBUTTONUP, 0, MAKELPARAM(90, 22));
  // The left button: the first move takes the grab point, the next one moves the window.
  PostMessageA(form, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 12));
  PostMessageA(form, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 12));
  PostMessageA(form, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 22));
  PostMessageA(form, WM_LBUTTONUP, 0, MAKELPARAM(90, 22));
  RECT after{};
  EXPECT_TRUE(WaitFor(
      [&] {
        GetWindowRect(form, &after);
        return after.left != before.left;
      },
      kDefaultDeadlineMs, "the window to move"));
  EXPECT_EQ(after.left - before.left, 30);
  EXPECT_EQ(after.top - before.top, 10);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
}

TEST_F(AllowBlockWindow, TheHelpButtonExplainsTheLists) {
  HWND help = VisibleChild(form, kButtonClass, "&Help");
  ASSERT_NE(help, nullptr);
  Click(help);
  HWND box = WaitForMessageBox("Pelkrin Allow List", kDefaultDeadlineMs, copy.process().id());
  ASSERT_NE(box, nullptr);
  const std::string text = MessageBoxText(box).value_or("");
  EXPECT_EQ(text.rfind("Add a word to the caption list", 0), 0u) << text;
  EXPECT_NE(text.find("the popup will be detected."), std::string::npos) << text;
  ASSERT_TRUE(PressButton(box, IDOK));
}

}  // namespace
}  // namespace pelkrin::e2e

namespace pelkrin::e2e {
namespace {

// A hand-made list of 100,000 entries with mixed line ends and a NUL byte loads whole.
TEST(AllowBlockLists, AHugeHandEditedListLoadsWhole) {
  std::string bytes;
  for (int i = 0; i < 100000; ++i)
    bytes += "site" + std::to_string(i) + ".example.net" + (i % 3 == 0 ? "\n" : "\r\n");
  bytes += std::string("after\0nul", 9);
  ProgramCopy copy({{"alwdom.sys", bytes}});
  ASSERT_TRUE(copy.ok());
  const DWORD start = GetTickCount();
  ASSERT_TRUE(copy.Start());
  HWND main_window = copy.WaitForMainWindow();
  ASSERT_NE(main_window, nullptr);
  // The icon is added after the lists have loaded; on a busy machine that takes more than the
  // usual deadline (the time is printed below, not judged).
  ASSERT_TRUE(WaitForNotificationIcon(60000));
  const DWORD loaded = GetTickCount() - start;
  std::printf("start-up with a 100,000-entry list took %lu ms\n", static_cast<unsigned long>(loaded));
  ASSERT_TRUE(PostCommand(main_window, kCmdAllowBlockList));
  HWND form = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        form = FindTopLevelWindow(copy.process().id(), kFormClass, kTitle);
        return form != nullptr && IsVisible(form);
      },
      kDefaultDeadlineMs, "the Allow/Block window to show"));
  HWND list = VisibleChild(form, "ListBox");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 100001);
  std::printf("showing it took %lu ms more\n", static_cast<unsigned long>(GetTickCount() - start - loaded));
}

// "the same bytes", or where the two first differ; never the 64 MiB themselves.
::testing::AssertionResult SameBytes(const std::optional<std::string>& actual,
                                     const std::string& expected) {
  if (!actual) return ::testing::AssertionFailure() << "the file is missing";
  if (*actual == expected) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual->size() && at < expected.size() && (*actual)[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << actual->size() << " bytes instead of " << expected.size()
                                       << ", first difference at " << at;
}

// A list file bigger than the program reads (64 MiB) loads up to there, without the entry cut
// in two. Ending the program must not write that shorter list over the file: the file stays
// byte for byte as it was, and the list goes beside it, to "alwdom.sys.partial".
TEST(AllowBlockLists, AListFileTooBigToReadWholeIsLeftAsItWas) {
  constexpr std::size_t kLineBytes = 4000;  // the line end included
  constexpr std::size_t kLines = 17000;     // 68,000,000 bytes
  constexpr std::size_t kReadable = std::size_t{64} << 20;
  std::string bytes;
  bytes.reserve(kLineBytes * kLines);
  for (std::size_t i = 0; i < kLines; ++i) {
    std::string entry = "entry" + std::to_string(i) + ".example/";
    entry.resize(kLineBytes - 2, 'x');
    bytes += entry + "\r\n";
  }
  // The 16,777 entries that end before the limit; the one it cuts is left out.
  const std::string loaded = bytes.substr(0, kReadable / kLineBytes * kLineBytes);

  // "E&xit" ends the program without asking.
  ProgramCopy copy({{"alwdom.sys", bytes}, {"pk.sys", "[pk]\r\nCLOSE_DLG=0\r\n"}});
  ASSERT_TRUE(copy.ok());
  // The big files go whatever the outcome; the program must have ended first.
  struct RemoveBigFiles {
    ProgramCopy& copy;
    ~RemoveBigFiles() {
      copy.Stop();
      DeleteFileA(copy.Path("alwdom.sys").c_str());
      DeleteFileA(copy.Path("alwdom.sys.partial").c_str());
    }
  } remove_big_files{copy};

  ASSERT_TRUE(copy.Start());
  HWND main_window = copy.WaitForMainWindow();
  ASSERT_NE(main_window, nullptr);
  ASSERT_TRUE(WaitForNotificationIcon(60000));  // the icon is added after the lists have loaded
  ASSERT_TRUE(PostCommand(main_window, kCmdExitMenu));
  ASSERT_TRUE(copy.process().WaitForExit(60000));
  EXPECT_EQ(copy.ExitCode(), 0u);

  EXPECT_TRUE(SameBytes(copy.ReadFile("alwdom.sys"), bytes)) << "alwdom.sys was changed";
  EXPECT_TRUE(SameBytes(copy.ReadFile("alwdom.sys.partial"), loaded)) << "alwdom.sys.partial";
  EXPECT_EQ(copy.ReadFile("alwcap.sys"), "") << "the other lists are saved as always";
}

}  // namespace
}  // namespace pelkrin::e2e
