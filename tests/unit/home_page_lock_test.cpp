// The home page lock as a user meets it: the check at start-up, at each pelk and at shutdown,
// and the Home page lock window.
#include <gtest/gtest.h>

#include <string>

#include "app/command_ids.h"
#include "guards/home_page_lock.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::kSettingsPath;
using testing::SimApp;

constexpr char kDesired[] = "http://www.example.com/";
constexpr char kChanged[] = "http://ads.example.net/start";

std::string Question(const std::string& actual, const std::string& desired) {
  return "Pelkrin has detected a change in your Internet Start Page!\r"
         "It is recommended that you click 'Yes' to restore your desired page.\r\r"
         "Current Page : " +
         actual + "\rDesired Page : " + desired + "\r\rReset to desired page?";
}

struct HomePageTest : ::testing::Test {
  std::optional<std::string> StartPage() {
    return p.desktop.registry.Value(kHkeyCurrentUser, kStartPageKeyPath, kStartPageValue);
  }
  void SetStartPage(const std::string& page) {
    p.desktop.registry.Put(kHkeyCurrentUser, kStartPageKeyPath, kStartPageValue, page);
  }
  void Settings(const std::string& lines) {
    p.desktop.files.Put(kSettingsPath, "[pk]\r\n" + lines);
  }
  const std::vector<sim::ShownMessageBox>& Shown() { return p.desktop.dialogs.Shown(); }
  // The Home page lock window, opened from the tray menu.
  Form12& Open() {
    p->main.Command(kCmdHomePageLock);
    return *p->form12;
  }

  SimApp p;
};

TEST_F(HomePageTest, WithTheLockOffNothingEverAsks) {
  // Only exactly "1" is on (the settings file drops the blanks around a value).
  for (const char* lock : {"", "0", "01", "1.0", "yes"}) {
    SimApp q;
    q.desktop.files.Put(kSettingsPath, std::string("[pk]\r\nLOCK_HOME_PAGE=") + lock +
                                           "\r\nHOME_PAGE=" + kDesired + "\r\n");
    q.desktop.registry.Put(kHkeyCurrentUser, kStartPageKeyPath, kStartPageValue, kChanged);
    q.Start();
    q->main.Text2.SetText("Special Offer");  // a pelk
    q->main.Unload();                        // shutdown
    EXPECT_TRUE(q.desktop.dialogs.Shown().empty()) << "lock_home_page=" << lock;
    EXPECT_EQ(q.Setting("home_page"), kDesired);
  }
}

TEST_F(HomePageTest, AChangeAtStartUpIsOfferedBackAndYesRestoresTheDesiredPage) {
  Settings(std::string("LOCK_HOME_PAGE=1\r\nHOME_PAGE=") + kDesired + "\r\n");
  SetStartPage(kChanged);
  p.desktop.dialogs.AnswerNext(kIdYes);
  p.Start();
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[0].text, Question(kChanged, kDesired));
  EXPECT_EQ(Shown()[0].title, "Pelkrin - Home Page Lock");
  EXPECT_EQ(Shown()[0].style, 0x1024u);
  EXPECT_EQ(Shown()[1].text,
            std::string("Your home page has successfully been reset to:\r\r") + kDesired);
  EXPECT_EQ(Shown()[1].title, "Pelkrin");
  EXPECT_EQ(Shown()[1].style, 0x1040u);
  EXPECT_EQ(StartPage(), kDesired);
  EXPECT_EQ(p.Setting("home_page"), kDesired);
}

TEST_F(HomePageTest, NoMakesTheChangedPageTheDesiredOneSoItIsNotAskedAgain) {
  Settings(std::string("LOCK_HOME_PAGE=1\r\nHOME_PAGE=") + kDesired + "\r\n");
  SetStartPage(kDesired);
  p.Start();  // unchanged: nothing asked
  EXPECT_TRUE(Shown().empty());

  // Another program changes the start page; the next pelk notices.
  SetStartPage(kChanged);
  p.desktop.dialogs.AnswerNext(kIdNo);
  p->main.Text2.SetText("Special Offer");
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[0].text, Question(kChanged, kDesired));
  EXPECT_EQ(Shown()[1].text, std::string("Your desired page is now ") + kChanged +
                                 ".  This can be changed in the 'Home Page Lock' section.");
  EXPECT_EQ(Shown()[1].title, "Pelkrin");
  EXPECT_EQ(Shown()[1].style, 0x1040u);
  EXPECT_EQ(p.Setting("home_page"), kChanged);
  EXPECT_EQ(StartPage(), kChanged);
  EXPECT_EQ(p->main.Text2.Text(), "") << "the pelk event still ends by emptying its signal";

  p->main.Unload();  // shutdown checks once more: nothing to say now
  EXPECT_EQ(Shown().size(), 2u);
}

TEST_F(HomePageTest, ALetterCaseChangeOrAnUnreadableStartPageCountsAsAChange) {
  Settings(std::string("LOCK_HOME_PAGE=1\r\nHOME_PAGE=") + kDesired + "\r\n");
  SetStartPage("http://www.EXAMPLE.com/");
  p.desktop.dialogs.AnswerNext(kIdNo);
  p.Start();
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[0].text, Question("http://www.EXAMPLE.com/", kDesired));

  // No start page at all reads as the empty text, which differs from the desired page; shutdown
  // asks.
  p.desktop.files.Put(kSettingsPath,
                      std::string("[pk]\r\nLOCK_HOME_PAGE=1\r\nHOME_PAGE=") + kDesired + "\r\n");
  ASSERT_EQ(p.desktop.registry.DeleteKey(kHkeyCurrentUser, kStartPageKeyPath), kErrorSuccess);
  p.desktop.dialogs.AnswerNext(kIdYes);
  p->main.Unload();
  ASSERT_EQ(Shown().size(), 4u);
  EXPECT_EQ(Shown()[2].text, Question("", kDesired));
  EXPECT_EQ(StartPage(), kDesired) << "Yes creates the value";
}

TEST_F(HomePageTest, AStartPageThatCannotBeWrittenIsNotReportedAsReset) {
  Settings(std::string("LOCK_HOME_PAGE=1\r\nHOME_PAGE=") + kDesired + "\r\n");
  SetStartPage(kChanged);
  p.desktop.registry.DenyWrite(kHkeyCurrentUser, kStartPageKeyPath);
  p.desktop.diagnostics.Expect("could not write the browser's start page");
  p.desktop.dialogs.AnswerNext(kIdYes);
  p.Start();
  ASSERT_EQ(Shown().size(), 1u) << "no success message after Yes";
  EXPECT_TRUE(p.desktop.diagnostics.Saw("could not write the browser's start page"));
  EXPECT_EQ(StartPage(), kChanged);
  EXPECT_EQ(p.Setting("home_page"), kDesired);
}

// ---- The window ----

TEST_F(HomePageTest, TheFirstOpeningOnAFreshSettingsFileTakesTheStartPageAsDesired) {
  p.desktop.sound.SetDeviceCount(1);
  SetStartPage(kChanged);
  p.Start();
  const auto plays = p.desktop.sound.Plays().size();
  const auto before = p.desktop.events.Now();
  Form12& w = Open();
  EXPECT_EQ(p.desktop.events.Now() - before, 200u) << "the window's own 0.2 s, no other wait";
  ASSERT_EQ(p.desktop.sound.Plays().size(), plays + 1);
  EXPECT_EQ(p.desktop.sound.Plays().back().path, testing::InFolder("barble.sys"));
  EXPECT_TRUE(w.Visible());
  EXPECT_EQ(p.Setting("lock_home_page"), "0");
  EXPECT_EQ(p.Setting("home_page"), kChanged);
  EXPECT_EQ(w.Text1.Text(), kChanged);
  EXPECT_EQ(w.Text2.Text(), kChanged);
  EXPECT_EQ(w.Check1.Value(), 0);
  EXPECT_EQ(w.Label1.Caption(), "Current Home Page:") << "the copy label";
  EXPECT_TRUE(Shown().empty());
}

TEST_F(HomePageTest, ResetWritesTheDesiredPageInLowerCaseAndSaysWhenItIsAlreadySet) {
  SetStartPage("http://www.example.org/");
  p.Start();
  Form12& w = Open();
  w.Text2.SetText("HTTP://WWW.Example.ORG/");
  w.RainButton1.Click();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Your home page is already set to http://www.example.org/!");
  EXPECT_EQ(Shown()[0].style, 0x1030u);

  w.Text2.SetText("HTTP://WWW.EXAMPLE.COM/");
  const auto before = p.desktop.events.Now();
  w.RainButton1.Click();
  EXPECT_EQ(p.desktop.events.Now() - before, 200u);
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[1].text, std::string("Your home page has been reset to ") + kDesired);
  EXPECT_EQ(Shown()[1].style, 0x1040u);
  EXPECT_EQ(StartPage(), kDesired);
  EXPECT_EQ(w.Text1.Text(), kDesired);
  EXPECT_EQ(p.Setting("home_page"), "http://www.example.org/") << "the settings are untouched";
  EXPECT_EQ(p.Setting("lock_home_page"), "0");
}

TEST_F(HomePageTest, ClosingWithTheLockOnStoresBothAndOffersTheNewPage) {
  SetStartPage(kChanged);
  p.Start();
  Form12& w = Open();
  w.Label3.Click();  // the text beside the box toggles it, silently
  EXPECT_EQ(w.Check1.Value(), 1);
  w.Text2.SetText(kDesired);
  p.desktop.dialogs.AnswerNext(kIdYes);
  w.Label12.Click();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, std::string("You have changed your desired page to ") + kDesired +
                                 ".\r\rWould you like to make this your permanent start page?");
  EXPECT_EQ(Shown()[0].title, "Pelkrin");
  EXPECT_EQ(Shown()[0].style, 0x1024u);
  EXPECT_EQ(StartPage(), kDesired);
  EXPECT_EQ(p.Setting("lock_home_page"), "1");
  EXPECT_EQ(p.Setting("home_page"), kDesired);
  EXPECT_FALSE(p->form12->IsLoaded()) << "closing unloads the window";

  // The lock now holds: a change is offered back at the next pelk.
  SetStartPage(kChanged);
  p.desktop.dialogs.AnswerNext(kIdYes);
  p->main.Text2.SetText("Special Offer");
  EXPECT_EQ(Shown()[1].text, Question(kChanged, kDesired));
  EXPECT_EQ(StartPage(), kDesired);
}

TEST_F(HomePageTest, ClosingWithTheLockOffKeepsTheOldDesiredPageYetOffersIt) {
  Settings(std::string("LOCK_HOME_PAGE=0\r\nHOME_PAGE=") + kDesired + "\r\n");
  SetStartPage(kChanged);
  p.Start();
  Form12& w = Open();
  EXPECT_EQ(w.Text2.Text(), kDesired);
  w.Text2.SetText("http://typed.example.org/");
  p.desktop.dialogs.AnswerNext(kIdNo);
  w.CloseRequested();  // Escape does what the close mark does
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, std::string("You have changed your desired page to ") + kDesired +
                                 ".\r\rWould you like to make this your permanent start page?");
  EXPECT_EQ(p.Setting("home_page"), kChanged) << "No takes the start page as the desired one";
  EXPECT_EQ(StartPage(), kChanged);
  EXPECT_EQ(p.Setting("lock_home_page"), "0");
}

TEST_F(HomePageTest, EveryOpeningLoadsAfreshAndInfoExplains) {
  Settings(std::string("LOCK_HOME_PAGE=1\r\nHOME_PAGE=") + kDesired + "\r\n");
  SetStartPage(kDesired);
  p.Start();
  Form12* first = &Open();
  EXPECT_EQ(first->Check1.Value(), 1);
  first->Text2.SetText("edited but not kept");
  first->RainButton3.Click();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text,
            "Your home page may be changed without your consent by a website that you visit!\r\r"
            "To prevent this, type your desired home page (ie: http://www.example.com) in the "
            "provided box and check \"Lock Desired Home Page\".  Your home page will be set back "
            "to your desired home page if Pelkrin detects a change.");
  EXPECT_EQ(Shown()[0].style, 0x1040u);
  EXPECT_EQ(first->Check1.tool_tip,
            "As long as this box is checked, your homepage will never change from the specified "
            "\"Desired Home Page\"");

  // Showing it again while it is open changes nothing.
  p->main.Command(kCmdHomePageLock);
  EXPECT_EQ(p->form12.get(), first);
  EXPECT_EQ(first->Text2.Text(), "edited but not kept");

  first->Check1.SetValue(0);
  p.desktop.dialogs.AnswerNext(kIdYes);
  first->Label12.Click();
  Form12& second = Open();
  EXPECT_EQ(second.Check1.Value(), 0);
  EXPECT_EQ(second.Text2.Text(), kDesired);
}

TEST_F(HomePageTest, AWindowClosedWhileItsHandlerWaitsOutlivesTheNextOpening) {
  SetStartPage(kChanged);
  p.Start();
  Form12& w = Open();
  w.Text2.SetText(kDesired);
  // While "has been reset" is up, the user closes the window and opens it again.
  bool reopened = false;
  p.desktop.dialogs.OnShow([&] {
    if (reopened || p.desktop.dialogs.Shown().back().text.rfind("Your home page has been", 0) != 0)
      return;
    reopened = true;
    p.desktop.dialogs.AnswerNext(kIdNo);
    w.Label12.Click();
    Open();
  });
  w.RainButton1.Click();  // under the sanitizer, a destroyed window would be caught here
  ASSERT_TRUE(reopened);
  EXPECT_NE(p->form12.get(), &w);
  EXPECT_TRUE(p->form12->Visible());
  EXPECT_EQ(w.Text1.Text(), kDesired) << "the first window's handler ran to its end";
}

}  // namespace
}  // namespace pelkrin
