// The home page lock as a user meets it: the check at start-up, at each pelk and at shutdown,
// and the Home page lock window.
#include <gtest/gtest.h>

#include <string>

#include "guards/home_page_lock.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::Box;
using testing::SimApp;

constexpr char kDesired[] = "http://www.example.com/caf\xE9";
constexpr char kChanged[] = "http://ads.example.net/start";
const std::string kLocked = std::string("LOCK_HOME_PAGE=1\r\nHOME_PAGE=") + kDesired + "\r\n";

Box Question(const std::string& actual) {
  return {
      "Pelkrin has detected a change in your Internet Start Page!\r"
      "It is recommended that you click 'Yes' to restore your desired page.\r\r"
      "Current Page : " +
          actual + "\rDesired Page : " + kDesired + "\r\rReset to desired page?",
      "Pelkrin - Home Page Lock", 0x1024};
}
Box Offer(const std::string& page) {
  return {"You have changed your desired page to " + page +
              ".\r\rWould you like to make this your permanent start page?",
          "Pelkrin", 0x1024};
}

struct HomePageTest : ::testing::Test {
  std::optional<std::string> StartPage() {
    return p.desktop.registry.Value(kHkeyCurrentUser, kStartPageKeyPath, kStartPageValue);
  }
  void SetStartPage(const std::string& page) {
    p.desktop.registry.Put(kHkeyCurrentUser, kStartPageKeyPath, kStartPageValue, page);
  }
  void Pelk() { p.Pelk("Special Offer"); }
  // The Home page lock window, opened from the tray menu.
  HomePageLockWindow& Open() {
    p->main_window.Command(kCmdHomePageLock);
    return *p->home_page_lock_window;
  }

  SimApp p;
};

TEST_F(HomePageTest, WithTheLockOffNothingEverAsks) {
  // Only exactly "1" is on (the settings file drops the blanks around a value).
  for (const char* lock : {"", "0", "01", "1.0", "yes"}) {
    SimApp q;
    q.desktop.registry.Put(kHkeyCurrentUser, kStartPageKeyPath, kStartPageValue, kChanged);
    q.Start(std::string("LOCK_HOME_PAGE=") + lock + "\r\nHOME_PAGE=" + kDesired + "\r\n");
    q.Pelk("Special Offer");  // a pelk
    q->main_window.Unload();  // shutdown
    EXPECT_TRUE(q.desktop.dialogs.Shown().empty()) << "lock_home_page=" << lock;
    EXPECT_EQ(q.Setting("home_page"), kDesired);
  }
}

// The letter-case fault: a start page that differs only in case is a change.
TEST_F(HomePageTest, AChangeEvenInLetterCaseOrAMissingStartPageIsOfferedBackAndYesRestoresIt) {
  SetStartPage("http://www.EXAMPLE.com/caf\xE9");
  p.desktop.dialogs.AnswerNext(kIdYes);
  p.Start(kLocked);
  const Box restored{std::string("Your home page has successfully been reset to:\r\r") + kDesired,
                     "Pelkrin", 0x1040};
  EXPECT_EQ(p.Boxes(), (std::vector<Box>{Question("http://www.EXAMPLE.com/caf\xE9"), restored}));
  EXPECT_EQ(StartPage(), kDesired);
  EXPECT_EQ(p.Setting("home_page"), kDesired);

  // No start page at all reads as the empty text; shutdown asks, and Yes creates the value.
  ASSERT_EQ(p.desktop.registry.DeleteKey(kHkeyCurrentUser, kStartPageKeyPath), kErrorSuccess);
  p.desktop.dialogs.AnswerNext(kIdYes);
  p->main_window.Unload();
  EXPECT_EQ(p.Boxes(), (std::vector<Box>{Question("http://www.EXAMPLE.com/caf\xE9"), restored,
                                         Question(""), restored}));
  EXPECT_EQ(StartPage(), kDesired);
}

TEST_F(HomePageTest, NoMakesTheChangedPageTheDesiredOneSoItIsNotAskedAgain) {
  SetStartPage(kDesired);
  p.Start(kLocked);  // unchanged: nothing asked
  EXPECT_TRUE(p.Boxes().empty());

  // Another program changes the start page; the next pelk notices.
  SetStartPage(kChanged);
  p.desktop.dialogs.AnswerNext(kIdNo);
  Pelk();
  EXPECT_EQ(p.Boxes(), (std::vector<Box>{Question(kChanged),
                                         {std::string("Your desired page is now ") + kChanged +
                                              ".  This can be changed in the 'Home Page Lock' "
                                              "section.",
                                          "Pelkrin", 0x1040}}));
  EXPECT_EQ(p.Setting("home_page"), kChanged);
  EXPECT_EQ(StartPage(), kChanged);
  p->main_window.Unload();  // shutdown checks once more: nothing to say now
  EXPECT_EQ(p.Boxes().size(), 2u);
}

TEST_F(HomePageTest, AStartPageThatCannotBeWrittenIsReportedAsAnError) {
  SetStartPage(kChanged);
  p.desktop.registry.DenyWrite(kHkeyCurrentUser, kStartPageKeyPath);
  p.desktop.diagnostics.Expect("could not write the browser's start page");
  p.desktop.dialogs.AnswerNext(kIdYes);
  p.Start(kLocked);
  EXPECT_TRUE(p.desktop.diagnostics.Saw("could not write the browser's start page"));
  EXPECT_EQ(StartPage(), kChanged);
  EXPECT_EQ(p.Setting("home_page"), kDesired);
  Open().reset_button.Click();  // the window's reset
  const Box error{
      "There was an error resetting your home page.  Please reload the program and try again.",
      "Pelkrin", 0x1010};
  EXPECT_EQ(p.Boxes(), (std::vector<Box>{Question(kChanged), error, error}));
}

// ---- The window ----

TEST_F(HomePageTest, AFreshSettingsFileTakesTheStartPageAsDesiredAndEachOpeningReadsAfresh) {
  p.desktop.sound.SetDeviceCount(1);
  SetStartPage(kChanged);
  p.Start();
  const auto plays = p.SoundCount();
  const auto before = p.desktop.events.Now();
  HomePageLockWindow* first = &Open();
  EXPECT_EQ(p.desktop.events.Now() - before, 200u) << "the window's own 0.2 s, no other wait";
  EXPECT_EQ(p.Sounds(plays), std::vector<std::string>{"barble.sys"});
  EXPECT_TRUE(first->Visible());
  EXPECT_EQ(p.Setting("lock_home_page"), "0");
  EXPECT_EQ(p.Setting("home_page"), kChanged);
  EXPECT_EQ(first->current_page_box.Text(), kChanged);
  EXPECT_EQ(first->desired_page_box.Text(), kChanged);
  EXPECT_EQ(first->lock_box.Value(), 0);

  first->desired_page_box.SetText("edited but not kept");
  first->info_button.Click();
  EXPECT_TRUE(p.LastBox().text.starts_with("Your home page may be changed without your consent"));
  EXPECT_EQ(p.LastBox().style, 0x1040u);
  p->main_window.Command(kCmdHomePageLock);  // shown again while open: nothing changes
  EXPECT_EQ(p->home_page_lock_window.get(), first);
  EXPECT_EQ(first->desired_page_box.Text(), "edited but not kept");
  first->close_mark.Click();
  HomePageLockWindow& second = Open();
  EXPECT_NE(&second, first);
  EXPECT_EQ(second.desired_page_box.Text(), kChanged);
  EXPECT_EQ(p.Boxes().size(), 1u);
}

TEST_F(HomePageTest, ResetWritesTheDesiredPageInLowerCaseAndSaysWhenItIsAlreadySet) {
  SetStartPage("http://www.example.org/");
  p.Start();
  HomePageLockWindow& w = Open();
  w.desired_page_box.SetText("HTTP://WWW.Example.ORG/");
  w.reset_button.Click();
  EXPECT_EQ(p.LastBox(),
            (Box{"Your home page is already set to http://www.example.org/!", "Pelkrin", 0x1030}));

  w.desired_page_box.SetText("HTTP://WWW.EXAMPLE.COM/CAF\xC9");  // lower case by the code page
  const auto before = p.desktop.events.Now();
  w.reset_button.Click();
  EXPECT_EQ(p.desktop.events.Now() - before, 200u);
  EXPECT_EQ(p.LastBox(),
            (Box{std::string("Your home page has been reset to ") + kDesired, "Pelkrin", 0x1040}));
  EXPECT_EQ(StartPage(), kDesired);
  EXPECT_EQ(w.current_page_box.Text(), kDesired);
  EXPECT_EQ(p.Setting("home_page"), "http://www.example.org/") << "the settings are untouched";
}

TEST_F(HomePageTest, ClosingStoresTheLockAndOnlyWithItTheDesiredPageThenOffersTheDesiredPage) {
  SetStartPage(kChanged);
  p.Start();
  HomePageLockWindow& w = Open();
  w.lock_label.Click();  // the text beside the box toggles it, silently
  EXPECT_EQ(w.lock_box.Value(), 1);
  w.desired_page_box.SetText(kDesired);
  p.desktop.dialogs.AnswerNext(kIdYes);
  w.close_mark.Click();
  EXPECT_EQ(p.Boxes(), std::vector<Box>{Offer(kDesired)});
  EXPECT_EQ(StartPage(), kDesired);
  EXPECT_EQ(p.Setting("lock_home_page"), "1");
  EXPECT_EQ(p.Setting("home_page"), kDesired);
  EXPECT_FALSE(w.IsLoaded()) << "closing unloads the window";

  // With the lock off, a typed page is not kept, yet the desired page is offered; No takes the
  // start page as the desired one.
  SetStartPage(kChanged);
  HomePageLockWindow& again = Open();
  EXPECT_EQ(again.lock_box.Value(), 1) << "read from the settings";
  again.lock_box.SetValue(0);
  again.desired_page_box.SetText("http://typed.example.org/");
  p.desktop.dialogs.AnswerNext(kIdNo);
  again.CloseRequested();  // Escape does what the close mark does
  EXPECT_EQ(p.Boxes(), (std::vector<Box>{Offer(kDesired), Offer(kDesired)}));
  EXPECT_EQ(p.Setting("lock_home_page"), "0");
  EXPECT_EQ(p.Setting("home_page"), kChanged);
  EXPECT_EQ(StartPage(), kChanged);
}

TEST_F(HomePageTest, AWindowClosedWhileItsHandlerWaitsOutlivesTheNextOpening) {
  SetStartPage(kChanged);
  p.Start();
  HomePageLockWindow& w = Open();
  w.desired_page_box.SetText(kDesired);
  // While "has been reset" is up, the user closes the window and opens it again.
  bool reopened = false;
  p.desktop.dialogs.OnShow([&] {
    if (reopened || !p.LastBox().text.starts_with("Your home page has been")) return;
    reopened = true;
    p.desktop.dialogs.AnswerNext(kIdNo);
    w.close_mark.Click();
    Open();
  });
  w.reset_button.Click();  // under the sanitizer, a destroyed window would be caught here
  ASSERT_TRUE(reopened);
  EXPECT_NE(p->home_page_lock_window.get(), &w);
  EXPECT_TRUE(p->home_page_lock_window->Visible());
  EXPECT_EQ(w.current_page_box.Text(), kDesired) << "the first window's handler ran to its end";
}

}  // namespace
}  // namespace pelkrin
