// The Cookie remover window as a user meets it: the cookie folder, the list and its status line,
// deleting one cookie and all of them, also when some cannot be deleted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_ids.h"
#include "guards/cookie_form.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::SimApp;

constexpr char kCookies[] = "C:\\WINDOWS\\cookies";

std::string Cookie(const std::string& name) { return std::string(kCookies) + "\\" + name; }

struct CookieTest : ::testing::Test {
  void SetUp() override { p.Start(); }
  // The Cookie remover, opened from the tray menu.
  Form6& Open() {
    p->main.Command(kCmdRemoveCookies);
    return *p->form6;
  }
  void Put(const std::string& name) { p.desktop.files.Put(Cookie(name), "cookie"); }
  bool Exists(const std::string& name) { return p.desktop.files.Exists(Cookie(name)); }
  const std::vector<sim::ShownMessageBox>& Shown() { return p.desktop.dialogs.Shown(); }

  SimApp p;
};

TEST(CookieFolder, IsTheWindowsFolderAndCookiesOrTheClassicPlace) {
  sim::SimProcess process;
  process.SetWindowsFolder("D:\\WINNT");
  EXPECT_EQ(CookieFolder(process), "D:\\WINNT\\cookies");
  process.SetWindowsFolder("C:\\");
  EXPECT_EQ(CookieFolder(process), "C:\\cookies");
  process.SetWindowsFolder("");
  EXPECT_EQ(CookieFolder(process), "c:\\windows\\cookies");
}

TEST(CookieStatus, CountsInWords) {
  EXPECT_EQ(CookieStatusText(0), "No Cookies Detected");
  EXPECT_EQ(CookieStatusText(1), "1 Cookie Detected");
  EXPECT_EQ(CookieStatusText(2), "2 Cookies Detected");
  EXPECT_EQ(CookieStatusText(1234), "1234 Cookies Detected");
}

TEST_F(CookieTest, TheListHoldsOnlyPlainTxtFilesOfTheFolderItself) {
  p.desktop.sound.SetDeviceCount(1);
  Put("user@example.com.txt");
  Put("user@example.org.TXT");
  Put("index.dat");
  Put("notes.txt.bak");
  Put("old\\user@example.net.txt");  // in a folder named like nothing in particular
  p.desktop.files.MakeFolder(Cookie("folder.txt"));
  p.desktop.files.PutLink(Cookie("link.txt"));
  const auto before = p.desktop.events.Now();
  Form6& w = Open();
  EXPECT_EQ(p.desktop.events.Now() - before, 100u) << "the tray command's wait";
  EXPECT_EQ(p.desktop.sound.Plays().back().path, testing::InFolder("barble.sys"));
  EXPECT_TRUE(w.Visible());
  EXPECT_EQ(w.File1.Items(),
            (std::vector<std::string>{"user@example.com.txt", "user@example.org.TXT"}));
  EXPECT_EQ(w.Label2.Caption(), "2 Cookies Detected");
  EXPECT_EQ(w.Label5.Caption(), "2 Cookies Detected") << "the copy label";
  EXPECT_TRUE(Shown().empty());
}

TEST_F(CookieTest, AnEmptyFolderSaysSoAndDeleteAllHasNothingToDo) {
  p.desktop.files.MakeFolder(kCookies);
  Form6& w = Open();
  EXPECT_EQ(w.Label2.Caption(), "No Cookies Detected");
  w.RainButton2.Click();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "No cookies detected!");
  EXPECT_EQ(Shown()[0].title, "Pelkrin");
  EXPECT_EQ(Shown()[0].style, 0x1030u);
  EXPECT_EQ(w.GetMousePointer(), MousePointer::kDefault);

  Put("one.txt");
  EXPECT_EQ(w.File1.ListCount(), 0) << "listed once, when the window loads";
  w.Close();
  EXPECT_EQ(Open().Label2.Caption(), "1 Cookie Detected") << "a new opening lists afresh";
}

TEST_F(CookieTest, AFolderThatCannotBeListedSwitchesTheFeatureOff) {
  // No cookies folder under the Windows folder.
  const auto before = p.desktop.events.Now();
  Form6& w = Open();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text,
            "This feature is not compatible with your Windows version.\r\r"
            "To clear your cookies, from Internet Explorer, go to the Tools menu, then click "
            "Internet Options.  Click Clear Cookies and/or Delete Files.");
  EXPECT_EQ(Shown()[0].title, "");
  EXPECT_EQ(Shown()[0].style, 0x1040u);
  EXPECT_TRUE(w.Visible());
  EXPECT_FALSE(w.RainButton2.Enabled());
  EXPECT_FALSE(w.File1.Enabled());
  EXPECT_EQ(p.desktop.events.Now() - before, 2100u) << "0.1 s before the window, 2 s after";
  EXPECT_EQ(w.Label2.Caption(), "Feature Disabled");
  w.RainButton2.Click();  // switched off: no click gets through
  EXPECT_EQ(Shown().size(), 1u);
}

TEST_F(CookieTest, ADoubleClickDeletesTheSelectedCookieAndTheHintDeletesNothing) {
  Put("a@example.com.txt");
  Put("b@example.org.txt");
  Form6& w = Open();
  w.Label4.on_dbl_click();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Not this, double click the cookie!");
  EXPECT_EQ(Shown()[0].style, 0x1030u);
  EXPECT_EQ(w.File1.ListCount(), 2);

  w.File1.DblClick();  // nothing selected: nothing happens
  EXPECT_EQ(w.File1.ListCount(), 2);
  w.File1.UserSelect(1);
  w.File1.DblClick();
  EXPECT_FALSE(Exists("b@example.org.txt"));
  EXPECT_TRUE(Exists("a@example.com.txt"));
  EXPECT_EQ(w.File1.Items(), std::vector<std::string>{"a@example.com.txt"});
  EXPECT_EQ(w.Label2.Caption(), "1 Cookie Detected");
  EXPECT_EQ(Shown().size(), 1u) << "no confirmation";

  // The browser holds the last one open.
  p.desktop.files.SetInUse(Cookie("a@example.com.txt"), true);
  w.File1.UserSelect(0);
  w.File1.DblClick();
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[1].text, "Error deleting cookie!");
  EXPECT_EQ(Shown()[1].title, "Pelkrin");
  EXPECT_EQ(Shown()[1].style, 0x1030u);
  EXPECT_EQ(w.File1.ListCount(), 1);
  EXPECT_EQ(w.Label2.Caption(), "1 Cookie Detected");
}

TEST_F(CookieTest, DeleteAllRemovesEveryCookieUnderTheHourglassAndSaysHowMany) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) Put(name);
  Put("keep.dat");
  Form6& w = Open();
  // What the user sees while it works.
  std::vector<std::string> seen;
  p.desktop.events.OnProcessPending([&] {
    if (w.GetMousePointer() == MousePointer::kHourglass && !w.File1.Visible())
      seen.push_back("hourglass, list hidden: " + w.Label3.Caption());
  });
  p.desktop.dialogs.OnShow([&] {
    EXPECT_EQ(w.GetMousePointer(), MousePointer::kHourglass);
    EXPECT_TRUE(w.File1.Visible());
    EXPECT_FALSE(w.Label2.Visible());
  });
  const auto before = p.desktop.events.Now();
  w.RainButton2.Click();
  p.desktop.events.OnProcessPending({});
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), "hourglass, list hidden: Removing Cookies...  Please wait...");
  EXPECT_EQ(p.desktop.events.Now() - before, 2000u) << "1 s, then 0.5 s before and after the box";
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "3 cookies have been successfully removed from your computer.");
  EXPECT_EQ(Shown()[0].title, "Pelkrin - Cookie Remover");
  EXPECT_EQ(Shown()[0].style, 0x1040u);
  EXPECT_FALSE(Exists("a.txt") || Exists("b.txt") || Exists("c.txt"));
  EXPECT_TRUE(Exists("keep.dat"));
  EXPECT_EQ(w.GetMousePointer(), MousePointer::kDefault);
  EXPECT_TRUE(w.Label2.Visible());
  EXPECT_EQ(w.Label2.Caption(), "No Cookies Detected");
}

TEST_F(CookieTest, DeleteAllSkipsACookieInUseAndReportsWhatItCouldNotRemove) {
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) Put(name);
  Form6& w = Open();
  p.desktop.files.SetInUse(Cookie("b.txt"), true);  // the browser holds it open
  std::string status_during;
  p.desktop.dialogs.OnShow([&] {});
  p.desktop.events.OnProcessPending([&] {
    if (!w.Label2.Caption().empty() && w.Label2.Caption().rfind("Deleting", 0) == 0)
      status_during = w.Label2.Caption();
  });
  w.RainButton2.Click();
  p.desktop.events.OnProcessPending({});
  EXPECT_EQ(status_during, "Deleting 4 cookies...");
  EXPECT_FALSE(Exists("a.txt"));
  EXPECT_TRUE(Exists("b.txt"));
  EXPECT_FALSE(Exists("c.txt")) << "the rest still go";
  EXPECT_FALSE(Exists("d.txt"));
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text,
            "Removed 3 of 4 cookies from your computer.\r\r1 cookie could not be removed: "
            "another program may be using it, or it is read-only.  Close Internet Explorer and "
            "try again.");
  EXPECT_EQ(Shown()[0].title, "Pelkrin - Cookie Remover");
  EXPECT_EQ(Shown()[0].style, 0x1030u);
  // The window is left usable.
  EXPECT_EQ(w.GetMousePointer(), MousePointer::kDefault);
  EXPECT_TRUE(w.File1.Visible() && w.File1.Enabled() && w.RainButton2.Enabled());
  EXPECT_TRUE(w.Label2.Visible());
  EXPECT_EQ(w.File1.Items(), std::vector<std::string>{"b.txt"});
  EXPECT_EQ(w.Label2.Caption(), "1 Cookie Detected");

  // Once the browser lets go, the next Delete all takes it.
  p.desktop.files.SetInUse(Cookie("b.txt"), false);
  w.RainButton2.Click();
  EXPECT_EQ(Shown().back().text, "1 cookies have been successfully removed from your computer.");
  EXPECT_EQ(w.Label2.Caption(), "No Cookies Detected");
}

TEST_F(CookieTest, NothingRemovedIsReportedAsNothingRemoved) {
  for (const char* name : {"a.txt", "b.txt"}) Put(name);
  Form6& w = Open();
  p.desktop.files.SetReadOnlyFolder(kCookies, true);
  w.RainButton2.Click();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text,
            "Removed 0 of 2 cookies from your computer.\r\r2 cookies could not be removed: "
            "another program may be using them, or they are read-only.  Close Internet Explorer "
            "and try again.");
  EXPECT_EQ(w.Label2.Caption(), "2 Cookies Detected");
}

TEST_F(CookieTest, ClosingDuringDeleteAllAndOpeningAgainIsSafe) {
  for (const char* name : {"a.txt", "b.txt"}) Put(name);
  Form6& w = Open();
  bool reopened = false;
  p.desktop.events.OnProcessPending([&] {
    if (reopened || w.File1.Visible()) return;
    reopened = true;
    w.Label6.Click();  // the close mark, during the first wait
    Open();
  });
  w.RainButton2.Click();
  p.desktop.events.OnProcessPending({});
  ASSERT_TRUE(reopened);
  EXPECT_NE(p->form6.get(), &w);
  EXPECT_FALSE(Exists("a.txt") || Exists("b.txt"));
  EXPECT_EQ(Shown().back().text, "2 cookies have been successfully removed from your computer.");
}

}  // namespace
}  // namespace pelkrin
