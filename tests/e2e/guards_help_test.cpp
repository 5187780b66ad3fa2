// The home page lock, the Cookie remover and the Help topics window of the running program: the
// lock's question at start-up and the start page in the real registry, the cookies in the Windows
// folder deleted through the window, and a help topic read from the description box.
#include <string>

#include "app/command_ids.h"
#include "harness.h"
#include "ui/form.h"
#include "ui/win32/rain_button.h"

namespace pelkrin::e2e {
namespace {

constexpr const char* kButtonClass = win32::kRainButtonClassName;

// Opens a window through its tray command and waits for it to show.
HWND OpenWindow(ProgramCopy& copy, std::uint16_t command, const char* title) {
  HWND main_window = copy.WaitForMainWindow();
  if (main_window == nullptr || !PostCommand(main_window, command)) return nullptr;
  HWND form = nullptr;
  const auto shown = WaitFor(
      [&] {
        form = FindTopLevelWindow(copy.process().id(), kFormWindowClass, title);
        return form != nullptr && IsVisible(form);
      },
      kDefaultDeadlineMs, std::string("the window \"") + title + "\" to show");
  if (!shown) ADD_FAILURE() << shown.message();
  return shown ? form : nullptr;
}

// Presses `button` in the message box and waits for the box to go.
::testing::AssertionResult Answer(HWND box, int button) {
  if (!PressButton(box, button)) return ::testing::AssertionFailure() << "no such button";
  return WaitFor([&] { return !IsWindow(box) || !IsVisible(box); }, kDefaultDeadlineMs,
                 "the message box to close");
}

// ---- Home page lock ----

constexpr char kMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kStartPage[] = "Start Page";

std::optional<std::string> ReadStartPage() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kMainKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  char data[1024] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  const LONG result =
      RegQueryValueExA(key, kStartPage, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return std::string(data);
}

// Sets the start page, or removes it for nullopt.
bool WriteStartPage(const std::optional<std::string>& page) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kMainKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const LONG result =
      page ? RegSetValueExA(key, kStartPage, 0, REG_SZ, reinterpret_cast<const BYTE*>(page->c_str()),
                            static_cast<DWORD>(page->size() + 1))
           : RegDeleteValueA(key, kStartPage);
  RegCloseKey(key);
  return result == ERROR_SUCCESS || (!page && result == ERROR_FILE_NOT_FOUND);
}

// The prefix's registry is shared by every test of a run: the start page is put back afterwards.
class StartPageGuard {
 public:
  StartPageGuard() : saved_(ReadStartPage()) {}
  ~StartPageGuard() { WriteStartPage(saved_); }

 private:
  std::optional<std::string> saved_;
};

TEST(HomePageLock, AChangedStartPageIsOfferedBackAtStartUpAndYesRestoresIt) {
  StartPageGuard guard;
  const std::string desired = "http://www.example.com/";
  const std::string changed = "http://www.EXAMPLE.com/";  // letter case alone is a change
  ASSERT_TRUE(WriteStartPage(changed));
  ProgramCopy copy{{{"pk.sys", "[pk]\r\nLOCK_HOME_PAGE=1\r\nHOME_PAGE=" + desired + "\r\n"}}};
  ASSERT_TRUE(copy.ok());
  ASSERT_TRUE(copy.Start());
  const DWORD pid = copy.process().id();

  HWND box = WaitForMessageBox("Pelkrin - Home Page Lock", kDefaultDeadlineMs, pid);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box),
            "Pelkrin has detected a change in your Internet Start Page!\r"
            "It is recommended that you click 'Yes' to restore your desired page.\r\r"
            "Current Page : " + changed + "\rDesired Page : " + desired +
                "\r\rReset to desired page?");
  ASSERT_TRUE(Answer(box, IDYES));
  box = WaitForMessageBox("Pelkrin", kDefaultDeadlineMs, pid);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "Your home page has successfully been reset to:\r\r" + desired);
  EXPECT_EQ(ReadStartPage(), desired);
  ASSERT_TRUE(Answer(box, IDOK));

  // The window shows the start page and the desired page, with the lock on.
  HWND form = OpenWindow(copy, kCmdHomePageLock, "Pelkrin - Home Page Lock");
  ASSERT_NE(form, nullptr);
  HWND check = VisibleChild(form, "Button");
  ASSERT_NE(check, nullptr);
  EXPECT_TRUE(WaitFor([&] { return SendMessageA(check, BM_GETCHECK, 0, 0) == BST_CHECKED; },
                      kDefaultDeadlineMs, "the lock box to be ticked once the window has loaded"));
  int pages = 0;
  for (HWND edit = FindWindowExA(form, nullptr, "Edit", nullptr); edit != nullptr;
       edit = FindWindowExA(form, edit, "Edit", nullptr)) {
    EXPECT_EQ(ReadText(edit), desired);
    ++pages;
  }
  EXPECT_EQ(pages, 2) << "the current and the desired page";
  ScreenshotWhenStable("home-page-lock");
  EXPECT_TRUE(copy.process().Running());
}

// ---- Cookie remover ----

std::string CookieFolder() {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  return JoinPath(windows, "cookies");
}

TEST(CookieRemover, DeleteAllRemovesTheCookiesOfTheWindowsFolderAndSaysWhatItCouldNot) {
  const std::string folder = CookieFolder();
  ASSERT_TRUE(DeleteFileTree(folder));
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  struct Cleanup {
    std::string folder;
    ~Cleanup() { DeleteFileTree(folder); }
  } cleanup{folder};
  for (const char* name : {"user@example.com[1].txt", "user@example.org[1].txt",
                           "user@example.net[2].txt", "index.dat"})
    ASSERT_TRUE(WriteFileBytes(JoinPath(folder, name), "id\n1\nexample.com/\n"));
  ASSERT_TRUE(CreateDirectoryA(JoinPath(folder, "folder.txt").c_str(), nullptr));

  ProgramCopy copy;
  ASSERT_TRUE(copy.ok());
  ASSERT_TRUE(copy.Start());
  ASSERT_TRUE(WaitForNotificationIcon());
  const DWORD pid = copy.process().id();
  HWND form = OpenWindow(copy, kCmdRemoveCookies, "Pelkrin - Cookie Remover");
  ASSERT_NE(form, nullptr);
  HWND list = VisibleChild(form, "ListBox");
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 3; },
                      kDefaultDeadlineMs, "the three cookies to be listed"));
  ScreenshotWhenStable("cookie-remover");
  HWND remove_all = VisibleChild(form, kButtonClass, "&Remove All Cookies");
  ASSERT_NE(remove_all, nullptr);

  // The browser holds one cookie open: the others go, and the report says so.
  const std::string held_path = JoinPath(folder, "user@example.org[1].txt");
  HANDLE held = CreateFileA(held_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Click(remove_all);
  HWND box = WaitForMessageBox("Pelkrin - Cookie Remover", kDefaultDeadlineMs, pid);
  CloseHandle(held);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box),
            "Removed 2 of 3 cookies from your computer.\r\r1 cookie could not be removed: another "
            "program may be using it, or it is read-only.  Close Internet Explorer and try again.");
  ASSERT_TRUE(Answer(box, IDOK));
  EXPECT_TRUE(WaitFor([&] { return IsVisible(list) && SendMessageA(list, LB_GETCOUNT, 0, 0) == 1; },
                      kDefaultDeadlineMs, "the list to show the cookie that is left"));

  // Once let go it goes too, and the success message counts it. The first Delete all still
  // finishes for half a second after its message and ignores clicks meanwhile: click until one
  // is taken.
  box = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        Click(remove_all);
        return WaitFor(
            [&] {
              box = FindTopLevelWindow(pid, "#32770", "Pelkrin - Cookie Remover");
              return IsVisible(box);
            },
            300, "the message box of the second Delete all");
      },
      kDefaultDeadlineMs, "a second Delete all"));
  EXPECT_EQ(MessageBoxText(box), "1 cookies have been successfully removed from your computer.");
  ASSERT_TRUE(Answer(box, IDOK));
  EXPECT_TRUE(WaitFor([&] { return IsVisible(list) && SendMessageA(list, LB_GETCOUNT, 0, 0) == 0; },
                      kDefaultDeadlineMs, "the list to be empty"));
  EXPECT_FALSE(FileExists(held_path));
  EXPECT_TRUE(FileExists(JoinPath(folder, "index.dat"))) << "no cookie file: left alone";
  EXPECT_TRUE(FileExists(JoinPath(folder, "folder.txt"))) << "a folder: left alone";
  EXPECT_TRUE(copy.process().Running());
}

// ---- Help topics ----

// Picks entry `index` of the drop-down list as a click in its list does: the list selects it and
// tells its window.
void Pick(HWND form, HWND combo, int index) {
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

TEST(HelpTopics, APickedTopicShowsItsTextInTheDescriptionBox) {
  ProgramCopy copy;
  ASSERT_TRUE(copy.ok());
  ASSERT_TRUE(copy.Start());
  ASSERT_TRUE(WaitForNotificationIcon());
  HWND form = OpenWindow(copy, kCmdHelpTopics, "Pelkrin - Help Topics");
  ASSERT_NE(form, nullptr);
  HWND questions = VisibleChild(form, "ComboBox", "Select a question...");
  HWND features = VisibleChild(form, "ComboBox", "Select a feature...");
  // The description box is the window's own text box; each list has one of its own inside it.
  HWND description = FindWindowExA(form, nullptr, "Edit", nullptr);
  ASSERT_NE(questions, nullptr);
  ASSERT_NE(features, nullptr);
  ASSERT_NE(description, nullptr);
  EXPECT_EQ(SendMessageA(questions, CB_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(SendMessageA(features, CB_GETCOUNT, 0, 0), 9);
  EXPECT_EQ(ReadText(description), "");

  Pick(form, features, 6);
  EXPECT_TRUE(WaitFor(
      [&] { return ReadText(description) == "Closes all open instances of Internet Explorer.  "; },
      kDefaultDeadlineMs, "the description of \"Kill All IE Windows:\""));
  Pick(form, questions, 1);
  const std::string answer =
      "Click Options.  In the \"Start / Close Program\" section, uncheck the \"Start Pelkrin with "
      "Windows\" option.";
  EXPECT_TRUE(WaitFor([&] { return ReadText(description) == answer; }, kDefaultDeadlineMs,
                      "the answer to the second question"))
      << ReadText(description).value_or("<no answer>");
  EXPECT_EQ(ReadText(features), "Kill All IE Windows:") << "the other list keeps its text";
  EXPECT_EQ(ReadText(questions), "How do I prevent Pelkrin from starting with my computer?");
  ScreenshotWhenStable("help-topics");
}

}  // namespace
}  // namespace pelkrin::e2e
