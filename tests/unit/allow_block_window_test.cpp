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
  EXPECT_TRUE(w().domain_list.Visible() && w().domain_entry.Visible() &&
              w().add_domain_button.Visible());
  EXPECT_FALSE(w().caption_list.Visible() || w().caption_entry.Visible() ||
               w().block_list.Visible());
  EXPECT_EQ(w().domain_entry.Text(), "Type domain name here.");

  w().caption_view_button.Click();
  EXPECT_TRUE(w().caption_list.Visible() && w().caption_entry.Visible() &&
              w().add_caption_button.Visible());
  EXPECT_FALSE(w().domain_list.Visible() || w().domain_entry.Visible() || w().block_list.Visible());
  EXPECT_EQ(w().list_heading_copy.Caption(), "Allow popups containing these captions:");
  Type(w().caption_entry, "half typed");

  w().block_view_button.Click();
  for (Control* c : std::initializer_list<Control*>{&w().domain_entry, &w().caption_entry,
                                                    &w().add_caption_button, &w().add_domain_button,
                                                    &w().domain_list, &w().caption_list})
    EXPECT_FALSE(c->Visible()) << c->Name();
  EXPECT_TRUE(w().block_list.Visible());
  EXPECT_EQ(w().list_heading.Caption(), "Block List:");

  w().caption_view_button.Click();
  EXPECT_EQ(w().caption_entry.Text(), "half typed");
  EXPECT_EQ(p.Sounds().back(), "click.sys");
}

TEST_F(AllowBlockTest, ThePlaceholderGoesOnTheFirstClickAndNeverComesBack) {
  w().domain_entry.Click();
  EXPECT_EQ(w().domain_entry.Text(), "");
  w().domain_entry.SetText("keep me");
  w().domain_entry.Click();
  EXPECT_EQ(w().domain_entry.Text(), "keep me");
  w().caption_entry.SetText("x");
  w().caption_entry.SetText("Type caption here.");  // the text changed to the placeholder: cleared
  EXPECT_EQ(w().caption_entry.Text(), "");
}

TEST_F(AllowBlockTest, ADomainIsNormalisedOnEnterOrPlusAndBadOnesAreRefused) {
  Type(w().domain_entry, "HTTP://WWW.EXAMPLE.COM/");
  PressEnter(w().domain_entry);
  Type(w().domain_entry, "https://Example.com/");
  w().add_domain_button.Click();
  EXPECT_EQ(w().domain_list.Items(), (Entries{"www.example.com", "example.com"}));
  EXPECT_EQ(w().domain_entry.Text(), "");
  EXPECT_TRUE(p.desktop.dialogs.Shown().empty());

  w().add_domain_button.Click();  // empty
  EXPECT_EQ(p.LastBox().title, "Pelkrin Allow List");
  EXPECT_EQ(p.LastBox().style, 0x1030u);
  Type(w().domain_entry, "example.com ");
  PressEnter(w().domain_entry);
  EXPECT_EQ(p.LastBox(), (Box{"Do not use spaces in domain name.", "Pelkrin Allow List", 0x1010}));
  EXPECT_EQ(w().domain_entry.Text(), "example.com ") << "the box keeps what the user typed";
  EXPECT_EQ(w().domain_list.ListCount(), 2);
}

// The letter-case fault: typed entries are lowered the way the system lowers them (Windows-1252
// on the simulated desktop), accented capitals too.
TEST_F(AllowBlockTest, TypedCaptionsAndDomainsAreStoredInTheSystemsLowerCase) {
  Type(w().domain_entry, "HTTP://CAF\xC9.EXAMPLE/");
  PressEnter(w().domain_entry);
  EXPECT_EQ(w().domain_list.Items(), Entries{"caf\xE9.example"});
  w().caption_view_button.Click();
  w().add_caption_button.Click();
  EXPECT_EQ(p.LastBox(), (Box{"Type a caption first!", "Pelkrin Allow List", 0x1030}));
  Type(w().caption_entry, "Search \xC9T\xC9 \x8ALE for");
  PressEnter(w().caption_entry);
  EXPECT_EQ(w().caption_list.Items(), Entries{"search \xE9t\xE9 \x9Ale for"});
  EXPECT_EQ(w().caption_entry.Text(), "");
}

TEST_F(AllowBlockTest, DoubleClickOpensTheListsMenuWithRemoveAsDefault) {
  w().domain_list.DblClick();  // an empty list: the sound, but no menu
  EXPECT_EQ(p.Sounds().back(), "menu.sys");
  EXPECT_EQ(Menus(), 0u);
  w().domain_list.AddItem("example.com");
  w().domain_list.AddItem("example.org");
  w().domain_list.UserSelect(1);
  p.views.ChooseNext("RemoveDomain");
  w().domain_list.DblClick();
  EXPECT_EQ(w().domain_list.Items(), Entries{"example.com"});
  EXPECT_EQ(p.views.MenusShown().back().menu, &p->main_window.List2Pop);
  EXPECT_EQ(p.views.MenusShown().back().default_item, p->main_window.RemoveDomain);

  w().caption_list.AddItem("results");
  w().caption_list.UserSelect(0);
  w().caption_list.DblClick();  // dismissed: nothing happens
  EXPECT_EQ(p.views.MenusShown().back().menu, &p->main_window.List1Pop);
  EXPECT_EQ(p.views.MenusShown().back().default_item, p->main_window.RemoveCaption);
  EXPECT_EQ(w().caption_list.ListCount(), 1);

  w().block_list.AddItem("Popup - Microsoft Internet Explorer");
  w().block_list.UserSelect(0);
  p.views.ChooseNext("ClearBlackList");
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().block_list.DblClick();
  EXPECT_EQ(p.views.MenusShown().back().default_item, p->main_window.RemoveBlackListEntry);
  EXPECT_EQ(w().block_list.ListCount(), 0);

  const std::size_t menus = Menus();
  w().Hide();
  w().caption_list.DblClick();
  EXPECT_EQ(Menus(), menus) << "no menu for a hidden window";
}

// The right-click selection fault: with no entry selected (a fresh list, or right after
// "&Remove ..." took the selected one) the menu must not offer "&Remove ..." for another entry.
TEST_F(AllowBlockTest, NoMenuWhileNoEntryIsSelected) {
  w().domain_list.AddItem("first.example");
  w().domain_list.AddItem("second.example");
  w().domain_list.DblClick();
  EXPECT_EQ(p.Sounds().back(), "menu.sys") << "the menu sound still plays";
  EXPECT_EQ(Menus(), 0u);

  w().domain_list.UserSelect(1);
  p.views.ChooseNext("RemoveDomain");
  w().domain_list.DblClick();
  EXPECT_EQ(w().domain_list.Items(), Entries{"first.example"});
  EXPECT_EQ(w().domain_list.ListIndex(), -1);
  p.views.ChooseNext("RemoveDomain");
  w().domain_list.DblClick();  // pressed again: nothing is selected now
  EXPECT_EQ(Menus(), 1u);
  EXPECT_EQ(w().domain_list.Items(), Entries{"first.example"});
}

TEST_F(AllowBlockTest, TheTwoClearCommandsClearDifferentLists) {
  w().domain_list.AddItem("domain");
  w().caption_list.AddItem("caption");
  p.desktop.dialogs.AnswerNext(kIdYes);
  p->main_window.Command(kCmdClearEntireCaptionList);
  EXPECT_EQ(w().domain_list.ListCount(), 1);
  EXPECT_EQ(w().caption_list.ListCount(), 0);
  p.desktop.dialogs.AnswerNext(kIdNo);
  p->main_window.Command(kCmdClearEntireDomainList);
  EXPECT_EQ(w().domain_list.ListCount(), 1);
  p.desktop.dialogs.AnswerNext(kIdYes);
  p->main_window.Command(kCmdClearEntireDomainList);
  EXPECT_EQ(w().domain_list.ListCount(), 0);
}

TEST_F(AllowBlockTest, HelpShowsFiveParagraphs) {
  w().help_button.Click();
  EXPECT_EQ(p.LastBox().title, "Pelkrin Allow List");
  EXPECT_EQ(p.LastBox().style, 0x1040u);
  EXPECT_TRUE(p.LastBox().text.starts_with("Add a word to the caption list and any popup"));
  std::size_t breaks = 0;
  for (std::size_t at = 0; (at = p.LastBox().text.find("\r\r", at)) != std::string::npos; at += 2)
    ++breaks;
  EXPECT_EQ(breaks, 4u);
}

TEST_F(AllowBlockTest, ClosingByTheMarkOrEscapeSavesAllThreeFilesAndOnlyHides) {
  w().domain_list.AddItem("example.com");
  w().block_list.AddItem("Ad, \"Now\"");
  w().caption_view_button.Click();
  w().close_mark.Click();
  EXPECT_FALSE(w().Visible());
  EXPECT_TRUE(w().IsLoaded());
  EXPECT_EQ(p.FileBytes("alwdom.sys"), "example.com\r\n");
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "");
  EXPECT_EQ(p.FileBytes("popblk.sys"), "Ad, \"Now\"\r\n");
  p->main_window.Command(kCmdAllowBlockList);
  EXPECT_TRUE(w().caption_list.Visible()) << "the view persists between showings";
  w().caption_list.AddItem("results");
  w().CloseRequested();
  EXPECT_FALSE(w().Visible());
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "results\r\n");
}

TEST_F(AllowBlockTest, AListThatCannotBeSavedLeavesATraceAndTheOthersAreStillWritten) {
  w().domain_list.AddItem("example.com");
  w().caption_list.AddItem("results");
  p.desktop.diagnostics.Expect("could not save");
  p.desktop.files.FailWritesAfter(4);  // the disk fills up during the first save
  w().close_mark.Click();
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
  EXPECT_EQ(p->allow_block_window.domain_list.ListCount(), 999);

  p->main_window.Command(kCmdAllowBlockList);
  p->allow_block_window.domain_entry.SetText("Added.Example");
  p->allow_block_window.add_domain_button.Click();
  p->allow_block_window.caption_list.AddItem("news");
  p->allow_block_window.close_mark.Click();
  EXPECT_EQ(p.desktop.files.Bytes(domains), big);
  EXPECT_EQ(p.FileBytes("alwdom.sys.partial"), loaded + "added.example\r\n");
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "results\r\nnews\r\n");
  EXPECT_TRUE(p.desktop.diagnostics.Saw(domains + " was loaded only in part"));

  p->main_window.Command(kCmdExitMenu);
  ASSERT_TRUE(p->exit_confirmation) << "E&xit asks first";
  EXPECT_THROW(p->exit_confirmation->RainButton2.Click(), sim::ProcessExit);
  EXPECT_EQ(p.desktop.files.WriteCount(domains), 0);
  EXPECT_TRUE(p.desktop.dialogs.Shown().empty()) << "the user is told nothing";
}

}  // namespace
}  // namespace pelkrin
