// The home page lock and the Cookie remover of the running program: the lock's question at
// start-up and the start page in the real registry, and the cookies in the Windows folder.
#include "pelk_fixture.h"

namespace pelkrin::e2e {
namespace {

constexpr char kMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";

// Sets the start page, or removes it for nullopt.
bool WriteStartPage(const std::optional<std::string>& page) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, kMainKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
    return false;
  win32::ScopedRegKey owned(key);
  const LONG result = page ? ::RegSetValueExA(key, "Start Page", 0, REG_SZ,
                                              reinterpret_cast<const BYTE*>(page->c_str()),
                                              static_cast<DWORD>(page->size() + 1))
                           : ::RegDeleteValueA(key, "Start Page");
  return result == ERROR_SUCCESS || (!page && result == ERROR_FILE_NOT_FOUND);
}
std::optional<std::string> ReadStartPage() {
  return ReadRegistryString(HKEY_CURRENT_USER, kMainKey, "Start Page");
}

using HomePageLock = PelkrinTest;

// A mended fault: a start page that differed only in letter case went unnoticed.
TEST_F(HomePageLock, AChangedStartPageIsOfferedBackAtStartUpAndYesRestoresIt) {
  // The prefix's registry is shared by every test of a run: the start page is put back after.
  struct Restore {
    std::optional<std::string> saved = ReadStartPage();
    ~Restore() { WriteStartPage(saved); }
  } restore;
  const std::string desired = "http://www.example.com/";
  const std::string changed = "http://www.EXAMPLE.com/";
  ASSERT_TRUE(WriteStartPage(changed));
  copy = std::make_unique<ProgramCopy>(std::map<std::string, std::string>{
      {"pk.sys", "[pk]\r\nLOCK_HOME_PAGE=1\r\nHOME_PAGE=" + desired + "\r\n"}});
  ASSERT_TRUE(copy->Start());
  EXPECT_EQ(Answer("Pelkrin - Home Page Lock", IDYES),
            "Pelkrin has detected a change in your Internet Start Page!\r"
            "It is recommended that you click 'Yes' to restore your desired page.\r\r"
            "Current Page : " +
                changed + "\rDesired Page : " + desired + "\r\rReset to desired page?");
  EXPECT_EQ(Answer("Pelkrin", IDOK),
            "Your home page has successfully been reset to:\r\r" + desired);
  EXPECT_EQ(ReadStartPage(), desired);
}

using CookieRemover = PelkrinTest;

TEST_F(CookieRemover, DeleteAllRemovesTheCookiesOfTheWindowsFolderAndSaysWhatItCouldNot) {
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string folder = JoinPath(windows, "cookies");
  ASSERT_TRUE(DeleteFileTree(folder));
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  struct Cleanup {
    std::string folder;
    ~Cleanup() { DeleteFileTree(folder); }
  } cleanup{folder};
  for (const char* name : {"user@example.com[1].txt", "user@example.org[1].txt",
                           "user@example.net[2].txt", "index.dat"})
    ASSERT_TRUE(WriteFileBytes(JoinPath(folder, name), "id\n1\nexample.com/\n"));
  ASSERT_TRUE(::CreateDirectoryA(JoinPath(folder, "folder.txt").c_str(), nullptr));

  ASSERT_NO_FATAL_FAILURE(Begin());
  HWND form = ShowForm(kCmdRemoveCookies, "Pelkrin - Cookie Remover");
  ASSERT_NE(form, nullptr);
  HWND list = VisibleChild(form, "ListBox");
  ASSERT_NE(list, nullptr);
  const auto listed = [&](int count) {
    return WaitFor(
        [&] { return IsVisible(list) && ::SendMessageA(list, LB_GETCOUNT, 0, 0) == count; },
        kDefaultDeadlineMs, std::to_string(count) + " cookies listed");
  };
  ASSERT_TRUE(listed(3));
  ScreenshotWhenStable("cookie-remover");
  HWND remove_all = RainButton(form, "&Remove All Cookies");
  ASSERT_NE(remove_all, nullptr);

  // The browser holds one cookie open: the others go, and the report says so.
  const std::string held_path = JoinPath(folder, "user@example.org[1].txt");
  HANDLE held = ::CreateFileA(held_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Click(remove_all);
  HWND box = WaitForMessageBox("Pelkrin - Cookie Remover", kDefaultDeadlineMs, Pid());
  ::CloseHandle(held);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Answer("Pelkrin - Cookie Remover", IDOK),
            "Removed 2 of 3 cookies from your computer.\r\r1 cookie could not be removed: another "
            "program may be using it, or it is read-only.  Close Internet Explorer and try again.");
  EXPECT_TRUE(listed(1));
  EXPECT_TRUE(FileExists(held_path));
  EXPECT_FALSE(FileExists(JoinPath(folder, "user@example.com[1].txt")));
  EXPECT_TRUE(FileExists(JoinPath(folder, "index.dat"))) << "no cookie file: left alone";
  EXPECT_TRUE(FileExists(JoinPath(folder, "folder.txt"))) << "a folder: left alone";
}

}  // namespace
}  // namespace pelkrin::e2e
