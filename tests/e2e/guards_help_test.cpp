// The home page lock and the Cookie remover of the running program: the lock's question at
// start-up and the start page in the real registry, and the cookies in the Windows folder.
#include "pelk_fixture.h"

namespace pelkrin::e2e {
namespace {

constexpr char kMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";

bool WriteStartPage(const std::optional<std::string>& page) {
  return WriteRegistryString(HKEY_CURRENT_USER, kMainKey, "Start Page", page);
}
std::optional<std::string> ReadStartPage() {
  return ReadRegistryValue(HKEY_CURRENT_USER, kMainKey, "Start Page");
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
  // The page read from the real registry, in the question.
  const std::string question = Answer("Pelkrin - Home Page Lock", IDYES);
  EXPECT_NE(question.find("Current Page : " + changed + "\rDesired Page : " + desired + "\r"),
            std::string::npos)
      << question;
  EXPECT_EQ(Answer("Pelkrin", IDOK),
            "Your home page has successfully been reset to:\r\r" + desired);
  EXPECT_EQ(ReadStartPage(), desired);
}

using CookieRemover = PelkrinTest;

TEST_F(CookieRemover, DeleteAllRemovesTheCookiesOfTheWindowsFolderAndNothingElse) {
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
  Click(RainButton(form, "&Remove All Cookies"));
  EXPECT_EQ(Answer("Pelkrin - Cookie Remover", IDOK),
            "3 cookies have been successfully removed from your computer.");
  EXPECT_TRUE(listed(0));
  EXPECT_EQ(FolderEntries(folder), (std::set<std::string>{"folder.txt", "index.dat"}))
      << "what is no cookie file is left alone";
}

}  // namespace
}  // namespace pelkrin::e2e
