// The Cookie remover window as a user meets it: the cookie folder, the list and its status line,
// deleting one cookie and all of them, also when some cannot be deleted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "guards/cookie_remover_window.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::Box;
using Names = std::vector<std::string>;

constexpr char kCookies[] = "C:\\WINDOWS\\cookies";

std::string Cookie(const std::string& name) { return std::string(kCookies) + "\\" + name; }

struct CookieTest : ::testing::Test {
  CookieTest() {
    p.desktop.sound.SetDeviceCount(1);
    p.Start();
  }
  // The Cookie remover, opened from the tray menu.
  CookieRemoverWindow& Open() {
    p->main_window.Command(kCmdRemoveCookies);
    return *p->cookie_remover_window;
  }
  void Put(const Names& names) {
    p.desktop.files.MakeFolder(kCookies);  // it stays when its last cookie goes
    for (const std::string& name : names) p.desktop.files.Put(Cookie(name), "cookie");
  }
  bool Exists(const std::string& name) { return p.desktop.files.Exists(Cookie(name)); }

  testing::SimApp p;
};

TEST(CookieRemover, AWindowsFolderAtADrivesRootOrNoneStillNamesOneCookieFolder) {
  sim::SimFileSystem files;
  sim::SimProcess process(files);
  process.SetWindowsFolder("C:\\");
  EXPECT_EQ(CookieFolder(process), "C:\\cookies");
  process.SetWindowsFolder("");
  EXPECT_EQ(CookieFolder(process), "c:\\windows\\cookies");
}

TEST_F(CookieTest, TheListHoldsOnlyPlainTxtFilesOfTheFolderItselfListedOncePerOpening) {
  Put({"user@example.com.txt", "user@example.org.TXT", "index.dat", "notes.txt.bak",
       "old\\user@example.net.txt"});
  p.desktop.files.MakeFolder(Cookie("folder.txt"));
  p.desktop.files.PutLink(Cookie("link.txt"));
  const auto before = p.desktop.events.Now();
  CookieRemoverWindow& w = Open();
  EXPECT_EQ(p.desktop.events.Now() - before, 100u) << "the tray command's wait";
  EXPECT_EQ(p.Sounds().back(), "barble.sys");
  EXPECT_EQ(w.cookie_list.Items(), (Names{"user@example.com.txt", "user@example.org.TXT"}));
  EXPECT_EQ(w.status_label.Caption(), "2 Cookies Detected");
  EXPECT_EQ(w.status_label_copy.Caption(), "2 Cookies Detected") << "the copy label";

  Put({"one.txt"});
  EXPECT_EQ(w.cookie_list.ListCount(), 2) << "listed once, when the window loads";
  w.Close();
  EXPECT_EQ(Open().status_label.Caption(), "3 Cookies Detected") << "a new opening lists afresh";
  EXPECT_TRUE(p.Boxes().empty());
}

TEST_F(CookieTest, AFolderThatCannotBeListedSwitchesTheFeatureOff) {
  const auto before = p.desktop.events.Now();
  CookieRemoverWindow& w = Open();  // no cookies folder under the Windows folder
  EXPECT_EQ(p.Boxes(), (std::vector<Box>{{"This feature is not compatible with your Windows "
                                          "version.\r\rTo clear your cookies, from Internet "
                                          "Explorer, go to the Tools menu, then click Internet "
                                          "Options.  Click Clear Cookies and/or Delete Files.",
                                          "", 0x1040}}));
  EXPECT_TRUE(w.Visible());
  EXPECT_FALSE(w.remove_all_button.Enabled());
  EXPECT_FALSE(w.cookie_list.Enabled());
  EXPECT_EQ(p.desktop.events.Now() - before, 2100u) << "0.1 s before the window, 2 s after";
  EXPECT_EQ(w.status_label.Caption(), "Feature Disabled");
}

TEST_F(CookieTest, ADoubleClickDeletesTheSelectedCookieAndTheHintDeletesNothing) {
  Put({"a@example.com.txt", "b@example.org.txt"});
  CookieRemoverWindow& w = Open();
  w.hint_label.on_dbl_click();
  EXPECT_EQ(p.LastBox(), (Box{"Not this, double click the cookie!", "Pelkrin", 0x1030}));
  w.cookie_list.DblClick();  // nothing selected: nothing happens
  EXPECT_EQ(w.cookie_list.ListCount(), 2);
  w.cookie_list.UserSelect(1);
  w.cookie_list.DblClick();
  EXPECT_FALSE(Exists("b@example.org.txt"));
  EXPECT_TRUE(Exists("a@example.com.txt"));
  EXPECT_EQ(w.cookie_list.Items(), Names{"a@example.com.txt"});
  EXPECT_EQ(w.status_label.Caption(), "1 Cookie Detected");
  EXPECT_EQ(p.Boxes().size(), 1u) << "no confirmation";

  // The browser holds the last one open.
  p.desktop.files.SetInUse(Cookie("a@example.com.txt"), true);
  w.cookie_list.UserSelect(0);
  w.cookie_list.DblClick();
  EXPECT_EQ(p.LastBox(), (Box{"Error deleting cookie!", "Pelkrin", 0x1030}));
  EXPECT_EQ(w.cookie_list.ListCount(), 1);
}

TEST_F(CookieTest, DeleteAllWorksUnderTheHourglassSkipsACookieInUseAndSaysWhatItCouldNot) {
  Put({"a.txt", "b.txt", "c.txt", "d.txt", "keep.dat"});
  CookieRemoverWindow& w = Open();
  p.desktop.files.SetInUse(Cookie("b.txt"), true);  // the browser holds it open
  // What the user sees while it works.
  std::string removing, progress;
  p.desktop.events.OnProcessPending([&] {
    if (w.GetMousePointer() == MousePointer::kHourglass && !w.cookie_list.Visible())
      removing = w.removing_label.Caption();
    if (w.status_label.Caption().starts_with("Deleting")) progress = w.status_label.Caption();
  });
  p.desktop.dialogs.OnShow([&] {
    EXPECT_EQ(w.GetMousePointer(), MousePointer::kHourglass);
    EXPECT_FALSE(w.status_label.Visible());
  });
  const auto before = p.desktop.events.Now();
  w.remove_all_button.Click();
  p.desktop.events.OnProcessPending({});
  p.desktop.dialogs.OnShow({});
  EXPECT_EQ(removing, "Removing Cookies...  Please wait...");
  EXPECT_EQ(progress, "Deleting 4 cookies...");
  EXPECT_EQ(p.desktop.events.Now() - before, 2000u) << "1 s, then 0.5 s before and after the box";
  EXPECT_FALSE(Exists("a.txt") || Exists("c.txt") || Exists("d.txt")) << "the rest still go";
  EXPECT_TRUE(Exists("b.txt") && Exists("keep.dat"));
  EXPECT_EQ(p.Boxes(), (std::vector<Box>{{"Removed 3 of 4 cookies from your computer.\r\r1 cookie "
                                          "could not be removed: another program may be using it, "
                                          "or it is read-only.  Close Internet Explorer and try "
                                          "again.",
                                          "Pelkrin - Cookie Remover", 0x1030}}));
  // The window is left usable.
  EXPECT_EQ(w.GetMousePointer(), MousePointer::kDefault);
  EXPECT_TRUE(w.cookie_list.Visible() && w.cookie_list.Enabled() && w.status_label.Visible());
  EXPECT_EQ(w.cookie_list.Items(), Names{"b.txt"});
  EXPECT_EQ(w.status_label.Caption(), "1 Cookie Detected");

  // Nothing removed at all is said in the plural, also where the folder can no longer be listed.
  Put({"e.txt"});
  p.desktop.files.SetReadOnlyFolder(kCookies, true);
  w.Close();
  CookieRemoverWindow& again = Open();
  p.desktop.files.SetUnlistableFolder(kCookies, true);
  p.desktop.diagnostics.Expect("could no longer be listed");
  again.remove_all_button.Click();
  EXPECT_EQ(again.cookie_list.Items(), (Names{"b.txt", "e.txt"})) << "what could not be deleted";
  EXPECT_EQ(p.LastBox().text,
            "Removed 0 of 2 cookies from your computer.\r\r2 cookies could not be removed: "
            "another program may be using them, or they are read-only.  Close Internet Explorer "
            "and try again.");
}

TEST_F(CookieTest, DeleteAllClosedAndOpenedAgainWhileItWorksStillRemovesAllThenFindsNothing) {
  Put({"a.txt", "b.txt"});
  CookieRemoverWindow& w = Open();
  bool reopened = false;
  p.desktop.events.OnProcessPending([&] {
    if (reopened || w.cookie_list.Visible()) return;
    reopened = true;
    w.close_mark.Click();  // during the first wait
    Open();
  });
  w.remove_all_button.Click();
  p.desktop.events.OnProcessPending({});
  ASSERT_TRUE(reopened);
  EXPECT_NE(p->cookie_remover_window.get(), &w);
  EXPECT_FALSE(Exists("a.txt") || Exists("b.txt"));
  EXPECT_EQ(p.LastBox(), (Box{"2 cookies have been successfully removed from your computer.",
                              "Pelkrin - Cookie Remover", 0x1040}));

  // The window opened meanwhile listed them before they went; another opening finds none.
  p->cookie_remover_window->Close();
  CookieRemoverWindow& empty = Open();
  EXPECT_EQ(empty.status_label.Caption(), "No Cookies Detected");
  empty.remove_all_button.Click();
  EXPECT_EQ(p.LastBox(), (Box{"No cookies detected!", "Pelkrin", 0x1030}));
  EXPECT_EQ(empty.GetMousePointer(), MousePointer::kDefault);
}

}  // namespace
}  // namespace pelkrin
