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

TEST_F(HomePageTest, AChangeAtStartUpIsOfferedBackAndYesRestoresTheDesiredPage) {
  SetStartPage(kChanged);
  p.desktop.dialogs.AnswerNext(kIdYes);
  p.Start(kLocked);
  EXPECT_EQ(p.Boxes(),
            (std::vector<Box>{
                Question(kChanged),
                {std::string("Your home page has successfully been reset to:\r\r") + kDesired,
                 "Pelkrin", 0x1040}}));
  EXPECT_EQ(StartPage(), kDesired);
  EXPECT_EQ(p.Setting("home_page"), kDesired);
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

// The letter-case fault: a start page that differs only in case is a change.
TEST_F(HomePageTest, ALetterCaseChangeOrAnUnreadableStartPageCountsAsAChange) {
  SetStartPage("http://www.EXAMPLE.com/");
  p.desktop.dialogs.AnswerNext(kIdNo);
  p.Start(kLocked);
  ASSERT_EQ(p.Boxes().size(), 2u);
  EXPECT_EQ(p.Boxes()[0], Question("http://www.EXAMPLE.com/"));

  // No start page at all reads as the empty text; shutdown asks, and Yes creates the value.
  p.desktop.files.Put(testing::kSettingsPath, "[pk]\r\n" + kLocked);
  ASSERT_EQ(p.desktop.registry.DeleteKey(kHkeyCurrentUser, kStartPageKeyPath), kErrorSuccess);
  p.desktop.dialogs.AnswerNext(kIdYes);
  p->main_window.Unload();
  ASSERT_EQ(p.Boxes().size(), 4u);
  EXPECT_EQ(p.Boxes()[2], Question(""));
  EXPECT_EQ(StartPage(), kDesired);
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
  Open().RainButton1.Click();  // the window's reset
  const Box error{
      "There was an error resetting your home page.  Please reload the program and try again.",
      "Pelkrin", 0x1010};
  EXPECT_EQ(p.Boxes(), (std::vector<Box>{Question(kChanged), error, error}));
}

// ---- The window ----

TEST_F(HomePageTest, TheFirstOpeningOnAFreshSettingsFileTakesTheStartPageAsDesired) {
  p.desktop.sound.SetDeviceCount(1);
  SetStartPage(kChanged);
  p.Start();
  const auto plays = p.SoundCount();
  const auto before = p.desktop.events.Now();
  HomePageLockWindow& w = Open();
  EXPECT_EQ(p.desktop.events.Now() - before, 200u) << "the window's own 0.2 s, no other wait";
  EXPECT_EQ(p.Sounds(plays), std::vector<std::string>{"barble.sys"});
  EXPECT_TRUE(w.Visible());
  EXPECT_EQ(p.Setting("lock_home_page"), "0");
  EXPECT_EQ(p.Setting("home_page"), kChanged);
  EXPECT_EQ(w.Text1.Text(), kChanged);
  EXPECT_EQ(w.Text2.Text(), kChanged);
  EXPECT_EQ(w.Check1.Value(), 0);
  EXPECT_TRUE(p.Boxes().empty());
}

TEST_F(HomePageTest, ResetWritesTheDesiredPageInLowerCaseAndSaysWhenItIsAlreadySet) {
  SetStartPage("http://www.example.org/");
  p.Start();
  HomePageLockWindow& w = Open();
  w.Text2.SetText("HTTP://WWW.Example.ORG/");
  w.RainButton1.Click();
  EXPECT_EQ(p.LastBox(),
            (Box{"Your home page is already set to http://www.example.org/!", "Pelkrin", 0x1030}));

  w.Text2.SetText("HTTP://WWW.EXAMPLE.COM/CAF\xC9");  // lower case by the system's code page
  const auto before = p.desktop.events.Now();
  w.RainButton1.Click();
  EXPECT_EQ(p.desktop.events.Now() - before, 200u);
  EXPECT_EQ(p.LastBox(),
            (Box{std::string("Your home page has been reset to ") + kDesired, "Pelkrin", 0x1040}));
  EXPECT_EQ(StartPage(), kDesired);
  EXPECT_EQ(w.Text1.Text(), kDesired);
  EXPECT_EQ(p.Setting("home_page"), "http://www.example.org/") << "the settings are untouched";
}

TEST_F(HomePageTest, ClosingWithTheLockOnStoresBothAndOffersTheNewPage) {
  SetStartPage(kChanged);
  p.Start();
  HomePageLockWindow& w = Open();
  w.Label3.Click();  // the text beside the box toggles it, silently
  EXPECT_EQ(w.Check1.Value(), 1);
  w.Text2.SetText(kDesired);
  p.desktop.dialogs.AnswerNext(kIdYes);
  w.Label12.Click();
  EXPECT_EQ(p.Boxes(), std::vector<Box>{Offer(kDesired)});
  EXPECT_EQ(StartPage(), kDesired);
  EXPECT_EQ(p.Setting("lock_home_page"), "1");
  EXPECT_EQ(p.Setting("home_page"), kDesired);
  EXPECT_FALSE(p->home_page_lock_window->IsLoaded()) << "closing unloads the window";

  // The lock now holds: a change is offered back at the next pelk.
  SetStartPage(kChanged);
  p.desktop.dialogs.AnswerNext(kIdYes);
  Pelk();
  ASSERT_GE(p.Boxes().size(), 2u);
  EXPECT_EQ(p.Boxes()[1], Question(kChanged));
  EXPECT_EQ(StartPage(), kDesired);
}

TEST_F(HomePageTest, ClosingWithTheLockOffKeepsTheOldDesiredPageYetOffersIt) {
  SetStartPage(kChanged);
  p.Start(std::string("LOCK_HOME_PAGE=0\r\nHOME_PAGE=") + kDesired + "\r\n");
  HomePageLockWindow& w = Open();
  EXPECT_EQ(w.Text2.Text(), kDesired);
  w.Text2.SetText("http://typed.example.org/");
  p.desktop.dialogs.AnswerNext(kIdNo);
  w.CloseRequested();  // Escape does what the close mark does
  EXPECT_EQ(p.Boxes(), std::vector<Box>{Offer(kDesired)});
  EXPECT_EQ(p.Setting("home_page"), kChanged) << "No takes the start page as the desired one";
  EXPECT_EQ(StartPage(), kChanged);
}

TEST_F(HomePageTest, EveryOpeningLoadsAfreshAndShowingItAgainWhileOpenChangesNothing) {
  SetStartPage(kDesired);
  p.Start(kLocked);
  HomePageLockWindow* first = &Open();
  EXPECT_EQ(first->Check1.Value(), 1);
  first->Text2.SetText("edited but not kept");
  first->RainButton3.Click();  // Info
  EXPECT_TRUE(p.LastBox().text.starts_with("Your home page may be changed without your consent"));
  EXPECT_EQ(p.LastBox().style, 0x1040u);
  p->main_window.Command(kCmdHomePageLock);
  EXPECT_EQ(p->home_page_lock_window.get(), first);
  EXPECT_EQ(first->Text2.Text(), "edited but not kept");

  first->Check1.SetValue(0);
  p.desktop.dialogs.AnswerNext(kIdYes);
  first->Label12.Click();
  HomePageLockWindow& second = Open();
  EXPECT_EQ(second.Check1.Value(), 0);
  EXPECT_EQ(second.Text2.Text(), kDesired);
}

TEST_F(HomePageTest, AWindowClosedWhileItsHandlerWaitsOutlivesTheNextOpening) {
  SetStartPage(kChanged);
  p.Start();
  HomePageLockWindow& w = Open();
  w.Text2.SetText(kDesired);
  // While "has been reset" is up, the user closes the window and opens it again.
  bool reopened = false;
  p.desktop.dialogs.OnShow([&] {
    if (reopened || !p.LastBox().text.starts_with("Your home page has been")) return;
    reopened = true;
    p.desktop.dialogs.AnswerNext(kIdNo);
    w.Label12.Click();
    Open();
  });
  w.RainButton1.Click();  // under the sanitizer, a destroyed window would be caught here
  ASSERT_TRUE(reopened);
  EXPECT_NE(p->home_page_lock_window.get(), &w);
  EXPECT_TRUE(p->home_page_lock_window->Visible());
  EXPECT_EQ(w.Text1.Text(), kDesired) << "the first window's handler ran to its end";
}

}  // namespace
}  // namespace pelkrin
