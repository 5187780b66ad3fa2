// The Allow/Block window as its user meets it.
#include <gtest/gtest.h>

#include "lists/list_model.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::Box;
using testing::SimApp;
using Entries = std::vector<std::string>;

struct AllowBlockTest : ::testing::Test {
  AllowBlockTest() {
    p.desktop.sound.SetDeviceCount(1);
    p.Start();
    p->main_window.Command(kCmdAllowBlockList);
  }
  AllowBlockWindow& w() { return p->allow_block_window; }
  void Type(TextBox& box, const std::string& text) {
    box.Click();
    box.SetText(text);
  }
  void PressEnter(TextBox& box) {
    int key = 13;
    box.KeyPress(key);
    EXPECT_EQ(key, 0) << "Enter is swallowed, so the box does not beep";
  }
  std::size_t Menus() { return p.views.MenusShown().size(); }

  SimApp p;
};

TEST(AllowBlockWindow, LoadingPutsItAboveOtherWindows) {
  SimApp p;
  const std::size_t before = p.desktop.windows.TopmostCalls().size();
  p->allow_block_window.Load();
  ASSERT_EQ(p.desktop.windows.TopmostCalls().size(), before + 1);
  EXPECT_EQ(p.desktop.windows.TopmostCalls().back(), p->allow_block_window.Handle());
}

TEST_F(AllowBlockTest, SelectorsSwitchTheViewAndKeepWhatTheBoxesHeld) {
  EXPECT_TRUE(w().Visible());
  EXPECT_EQ(p.Sounds().back(), "barble.sys");
  EXPECT_TRUE(w().List1.Visible() && w().Text1.Visible() && w().RainButton3.Visible());
  EXPECT_FALSE(w().List2.Visible() || w().Text2.Visible() || w().List3.Visible());
  EXPECT_EQ(w().Text1.Text(), "Type domain name here.");

  w().RainButton6.Click();
  EXPECT_TRUE(w().List2.Visible() && w().Text2.Visible() && w().RainButton2.Visible());
  EXPECT_FALSE(w().List1.Visible() || w().Text1.Visible() || w().List3.Visible());
  EXPECT_EQ(w().Label8.Caption(), "Allow popups containing these captions:");
  Type(w().Text2, "half typed");

  w().RainButton7.Click();
  for (Control* c : std::initializer_list<Control*>{&w().Text1, &w().Text2, &w().RainButton2,
                                                    &w().RainButton3, &w().List1, &w().List2})
    EXPECT_FALSE(c->Visible()) << c->Name();
  EXPECT_TRUE(w().List3.Visible());
  EXPECT_EQ(w().Label4.Caption(), "Block List:");

  w().RainButton6.Click();
  EXPECT_EQ(w().Text2.Text(), "half typed");
  EXPECT_EQ(p.Sounds().back(), "click.sys");
}

TEST_F(AllowBlockTest, ThePlaceholderGoesOnTheFirstClickAndNeverComesBack) {
  w().Text1.Click();
  EXPECT_EQ(w().Text1.Text(), "");
  w().Text1.SetText("keep me");
  w().Text1.Click();
  EXPECT_EQ(w().Text1.Text(), "keep me");
  w().Text2.SetText("x");
  w().Text2.SetText("Type caption here.");  // the text changed to the placeholder: cleared
  EXPECT_EQ(w().Text2.Text(), "");
}

TEST_F(AllowBlockTest, ADomainIsNormalisedOnEnterOrPlusAndBadOnesAreRefused) {
  Type(w().Text1, "HTTP://WWW.EXAMPLE.COM/");
  PressEnter(w().Text1);
  Type(w().Text1, "https://Example.com/");
  w().RainButton3.Click();
  EXPECT_EQ(w().List1.Items(), (Entries{"www.example.com", "example.com"}));
  EXPECT_EQ(w().Text1.Text(), "");
  EXPECT_TRUE(p.desktop.dialogs.Shown().empty());

  w().RainButton3.Click();  // empty
  EXPECT_EQ(p.LastBox().title, "Pelkrin Allow List");
  EXPECT_EQ(p.LastBox().style, 0x1030u);
  Type(w().Text1, "example.com ");
  PressEnter(w().Text1);
  EXPECT_EQ(p.LastBox(), (Box{"Do not use spaces in domain name.", "Pelkrin Allow List", 0x1010}));
  EXPECT_EQ(w().Text1.Text(), "example.com ") << "the box keeps what the user typed";
  EXPECT_EQ(w().List1.ListCount(), 2);
}

// The letter-case fault: typed entries are lowered the way the system lowers them (Windows-1252
// on the simulated desktop), accented capitals too.
TEST_F(AllowBlockTest, TypedCaptionsAndDomainsAreStoredInTheSystemsLowerCase) {
  Type(w().Text1, "HTTP://CAF\xC9.EXAMPLE/");
  PressEnter(w().Text1);
  EXPECT_EQ(w().List1.Items(), Entries{"caf\xE9.example"});
  w().RainButton6.Click();
  w().RainButton2.Click();
  EXPECT_EQ(p.LastBox(), (Box{"Type a caption first!", "Pelkrin Allow List", 0x1030}));
  Type(w().Text2, "Search \xC9T\xC9 \x8ALE for");
  PressEnter(w().Text2);
  EXPECT_EQ(w().List2.Items(), Entries{"search \xE9t\xE9 \x9Ale for"});
  EXPECT_EQ(w().Text2.Text(), "");
}

TEST_F(AllowBlockTest, DoubleClickOpensTheListsMenuWithRemoveAsDefault) {
  w().List1.DblClick();  // an empty list: the sound, but no menu
  EXPECT_EQ(p.Sounds().back(), "menu.sys");
  EXPECT_EQ(Menus(), 0u);
  w().List1.AddItem("example.com");
  w().List1.AddItem("example.org");
  w().List1.UserSelect(1);
  p.views.ChooseNext("RemoveDomain");
  w().List1.DblClick();
  EXPECT_EQ(w().List1.Items(), Entries{"example.com"});
  EXPECT_EQ(p.views.MenusShown().back().menu, &p->main_window.domain_list_menu);
  EXPECT_EQ(p.views.MenusShown().back().default_item, p->main_window.remove_domain_item);

  w().List2.AddItem("results");
  w().List2.UserSelect(0);
  w().List2.DblClick();  // dismissed: nothing happens
  EXPECT_EQ(p.views.MenusShown().back().menu, &p->main_window.caption_list_menu);
  EXPECT_EQ(p.views.MenusShown().back().default_item, p->main_window.remove_caption_item);
  EXPECT_EQ(w().List2.ListCount(), 1);

  w().List3.AddItem("Popup - Microsoft Internet Explorer");
  w().List3.UserSelect(0);
  p.views.ChooseNext("ClearBlackList");
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().List3.DblClick();
  EXPECT_EQ(p.views.MenusShown().back().default_item, p->main_window.remove_block_entry_item);
  EXPECT_EQ(w().List3.ListCount(), 0);

  const std::size_t menus = Menus();
  w().Hide();
  w().List2.DblClick();
  EXPECT_EQ(Menus(), menus) << "no menu for a hidden window";
}

// The right-click selection fault: with no entry selected (a fresh list, or right after
// "&Remove ..." took the selected one) the menu must not offer "&Remove ..." for another entry.
TEST_F(AllowBlockTest, NoMenuWhileNoEntryIsSelected) {
  w().List1.AddItem("first.example");
  w().List1.AddItem("second.example");
  w().List1.DblClick();
  EXPECT_EQ(p.Sounds().back(), "menu.sys") << "the menu sound still plays";
  EXPECT_EQ(Menus(), 0u);

  w().List1.UserSelect(1);
  p.views.ChooseNext("RemoveDomain");
  w().List1.DblClick();
  EXPECT_EQ(w().List1.Items(), Entries{"first.example"});
  EXPECT_EQ(w().List1.ListIndex(), -1);
  p.views.ChooseNext("RemoveDomain");
  w().List1.DblClick();  // pressed again: nothing is selected now
  EXPECT_EQ(Menus(), 1u);
  EXPECT_EQ(w().List1.Items(), Entries{"first.example"});
}

TEST_F(AllowBlockTest, TheTwoClearCommandsClearDifferentLists) {
  w().List1.AddItem("domain");
  w().List2.AddItem("caption");
  p.desktop.dialogs.AnswerNext(kIdYes);
  p->main_window.Command(kCmdClearEntireCaptionList);
  EXPECT_EQ(w().List1.ListCount(), 1);
  EXPECT_EQ(w().List2.ListCount(), 0);
  p.desktop.dialogs.AnswerNext(kIdNo);
  p->main_window.Command(kCmdClearEntireDomainList);
  EXPECT_EQ(w().List1.ListCount(), 1);
  p.desktop.dialogs.AnswerNext(kIdYes);
  p->main_window.Command(kCmdClearEntireDomainList);
  EXPECT_EQ(w().List1.ListCount(), 0);
}

TEST_F(AllowBlockTest, HelpShowsFiveParagraphs) {
  w().RainButton4.Click();
  EXPECT_EQ(p.LastBox().title, "Pelkrin Allow List");
  EXPECT_EQ(p.LastBox().style, 0x1040u);
  EXPECT_TRUE(p.LastBox().text.starts_with("Add a word to the caption list and any popup"));
  std::size_t breaks = 0;
  for (std::size_t at = 0; (at = p.LastBox().text.find("\r\r", at)) != std::string::npos; at += 2)
    ++breaks;
  EXPECT_EQ(breaks, 4u);
}

TEST_F(AllowBlockTest, ClosingByTheMarkOrEscapeSavesAllThreeFilesAndOnlyHides) {
  w().List1.AddItem("example.com");
  w().List3.AddItem("Ad, \"Now\"");
  w().RainButton6.Click();
  w().Label6.Click();
  EXPECT_FALSE(w().Visible());
  EXPECT_TRUE(w().IsLoaded());
  EXPECT_EQ(p.FileBytes("alwdom.sys"), "example.com\r\n");
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "");
  EXPECT_EQ(p.FileBytes("popblk.sys"), "Ad, \"Now\"\r\n");
  p->main_window.Command(kCmdAllowBlockList);
  EXPECT_TRUE(w().List2.Visible()) << "the view persists between showings";
  w().List2.AddItem("results");
  w().CloseRequested();
  EXPECT_FALSE(w().Visible());
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "results\r\n");
}

TEST_F(AllowBlockTest, AListThatCannotBeSavedLeavesATraceAndTheOthersAreStillWritten) {
  w().List1.AddItem("example.com");
  w().List2.AddItem("results");
  p.desktop.diagnostics.Expect("could not save");
  p.desktop.files.FailWritesAfter(4);  // the disk fills up during the first save
  w().Label6.Click();
  EXPECT_TRUE(p.desktop.diagnostics.Saw("could not save " + testing::InFolder("alwdom.sys")));
  EXPECT_EQ(p.desktop.diagnostics.Lines().size(), 1u);
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "results\r\n");
  EXPECT_TRUE(p.desktop.dialogs.Shown().empty()) << "the user is told nothing";
}

// The partial list file fault: a list file bigger than the program reads loads up to its last
// whole entry; closing the window, and ending the program, leave that file as it was and save
// the list beside it.
TEST(AllowBlockLists, AListFileTooBigToReadWholeIsLeftAsItWasAndTheListSavedBesideIt) {
  SimApp p;
  std::string big, loaded;
  for (int i = 0; i < 1000; ++i) {
    const std::string line = "site" + std::to_string(i) + ".example\r\n";
    big += line;
    if (i < 999) loaded += line;
  }
  const std::string domains = testing::InFolder("alwdom.sys");
  p.desktop.files.Put(domains, big);
  p.desktop.files.Put(testing::InFolder("alwcap.sys"), "results\r\n");
  p.desktop.files.SetReadLimit(big.size() - 5);  // inside the last entry
  p.desktop.diagnostics.Expect("only in part");
  p.Start();
  EXPECT_EQ(p->allow_block_window.List1.ListCount(), 999);

  p->main_window.Command(kCmdAllowBlockList);
  p->allow_block_window.Text1.SetText("Added.Example");
  p->allow_block_window.RainButton3.Click();
  p->allow_block_window.List2.AddItem("news");
  p->allow_block_window.Label6.Click();
  EXPECT_EQ(p.desktop.files.Bytes(domains), big);
  EXPECT_EQ(p.FileBytes("alwdom.sys.partial"), loaded + "added.example\r\n");
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "results\r\nnews\r\n");
  EXPECT_TRUE(p.desktop.diagnostics.Saw(domains + " was loaded only in part"));

  p->main_window.Command(kCmdExitMenu);
  ASSERT_TRUE(p->exit_confirmation) << "E&xit asks first";
  EXPECT_THROW(p->exit_confirmation->ok_button.Click(), sim::ProcessExit);
  EXPECT_EQ(p.desktop.files.WriteCount(domains), 0);
  EXPECT_TRUE(p.desktop.dialogs.Shown().empty()) << "the user is told nothing";
}

}  // namespace
}  // namespace pelkrin
