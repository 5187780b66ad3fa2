// The Allow/Block window as its user meets it.
#include <gtest/gtest.h>

#include <algorithm>

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
  // The name of the item the last list menu offered as its default.
  std::string LastMenuDefault() { return p.views.MenusShown().back().default_item->Name(); }

  SimApp p;
};

TEST_F(AllowBlockTest, SelectorsSwitchTheViewAndKeepWhatTheBoxesHeld) {
  EXPECT_TRUE(w().Visible());
  EXPECT_EQ(p.Sounds().back(), "barble.sys");
  const auto visible = [&] {
    Entries names;
    for (const Control* c : std::initializer_list<const Control*>{
             &w().domain_list, &w().domain_entry, &w().add_domain_button, &w().caption_list,
             &w().caption_entry, &w().add_caption_button, &w().block_list})
      if (c->Visible()) names.push_back(c->Name());
    return names;
  };
  EXPECT_EQ(visible(), (Entries{"domain_list", "domain_entry", "add_domain_button"}));
  EXPECT_EQ(w().domain_entry.Text(), "Type domain name here.");

  w().caption_view_button.Click();
  EXPECT_EQ(visible(), (Entries{"caption_list", "caption_entry", "add_caption_button"}));
  EXPECT_EQ(w().list_heading_copy.Caption(), "Allow popups containing these captions:");
  Type(w().caption_entry, "half typed");

  w().block_view_button.Click();
  EXPECT_EQ(visible(), Entries{"block_list"});
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

// Typed entries are lowered the way the system lowers them (Windows-1252 on the simulated
// desktop), accented capitals too; Enter and "+" add alike.
TEST_F(AllowBlockTest, TypedEntriesAreNormalisedInTheSystemsLowerCaseAndBadOnesRefused) {
  Type(w().domain_entry, "HTTP://CAF\xC9.EXAMPLE/");
  PressEnter(w().domain_entry);
  Type(w().domain_entry, "https://Example.com/");
  w().add_domain_button.Click();
  EXPECT_EQ(w().domain_list.Items(), (Entries{"caf\xE9.example", "example.com"}));
  EXPECT_EQ(w().domain_entry.Text(), "");
  EXPECT_TRUE(p.desktop.dialogs.Shown().empty());

  w().add_domain_button.Click();  // empty
  EXPECT_EQ(p.LastBox(), (Box{"Type a domain name first!", "Pelkrin Allow List", 0x1030}));
  Type(w().domain_entry, "example.com ");
  PressEnter(w().domain_entry);
  EXPECT_EQ(p.LastBox(), (Box{"Do not use spaces in domain name.", "Pelkrin Allow List", 0x1010}));
  EXPECT_EQ(w().domain_entry.Text(), "example.com ") << "the box keeps what the user typed";
  EXPECT_EQ(w().domain_list.ListCount(), 2);

  w().caption_view_button.Click();
  w().add_caption_button.Click();
  EXPECT_EQ(p.LastBox(), (Box{"Type a caption first!", "Pelkrin Allow List", 0x1030}));
  Type(w().caption_entry, "Search \xC9T\xC9 \x8ALE for");
  PressEnter(w().caption_entry);
  EXPECT_EQ(w().caption_list.Items(), Entries{"search \xE9t\xE9 \x9Ale for"});
  EXPECT_EQ(w().caption_entry.Text(), "");
}

// A double click opens the list's menu with its "&Remove ..." as default, but only while an
// entry is selected: on a fresh list, or right after "&Remove ..." took the selected entry, the
// menu must not offer it for another one. The menu sound plays either way.
TEST_F(AllowBlockTest, DoubleClickOpensTheListsMenuOnlyWhileAnEntryIsSelected) {
  w().domain_list.AddItem("example.com");
  w().domain_list.AddItem("example.org");
  w().domain_list.DblClick();
  EXPECT_EQ(p.Sounds().back(), "menu.sys");
  EXPECT_EQ(Menus(), 0u);

  w().domain_list.UserSelect(1);
  p.views.ChooseNext("RemoveDomain");
  w().domain_list.DblClick();
  EXPECT_EQ(LastMenuDefault(), "RemoveDomain");
  EXPECT_EQ(w().domain_list.Items(), Entries{"example.com"});
  EXPECT_EQ(w().domain_list.ListIndex(), -1);
  w().domain_list.DblClick();  // pressed again: nothing is selected now
  EXPECT_EQ(Menus(), 1u);

  w().caption_list.AddItem("results");
  w().caption_list.UserSelect(0);
  w().caption_list.DblClick();
  EXPECT_EQ(LastMenuDefault(), "RemoveCaption");
  EXPECT_EQ(w().caption_list.ListCount(), 1);

  w().block_list.AddItem("Popup - Microsoft Internet Explorer");
  w().block_list.UserSelect(0);
  p.views.ChooseNext("ClearBlackList");
  p.desktop.dialogs.AnswerNext(kIdYes);
  w().block_list.DblClick();
  EXPECT_EQ(LastMenuDefault(), "RemoveBlackListEntry");
  EXPECT_EQ(w().block_list.ListCount(), 0);

  const std::size_t menus = Menus();
  w().caption_list.UserSelect(0);
  w().Hide();
  w().caption_list.DblClick();
  EXPECT_EQ(Menus(), menus) << "no menu for a hidden window";
}

// Each clear command asks first, only Yes empties, and each empties its own list.
TEST_F(AllowBlockTest, TheTwoClearCommandsAskAndClearDifferentLists) {
  w().domain_list.AddItem("domain");
  w().caption_list.AddItem("caption");
  p.desktop.dialogs.AnswerNext(kIdYes);
  p->main_window.Command(kCmdClearEntireCaptionList);
  EXPECT_EQ(p.LastBox(), (Box{kClearListQuestion, "Pelkrin Allow List", 0x1024}));
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
  const Box help = p.LastBox();
  EXPECT_EQ(help, (Box{help.text, "Pelkrin Allow List", 0x1040}));
  EXPECT_TRUE(help.text.starts_with("Add a word to the caption list and any popup"));
  EXPECT_EQ(std::ranges::count(help.text, '\r'), 8) << "four breaks of two line ends";
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

// A list that cannot be saved keeps its previous file whole and leaves a trace, and the others
// are still written.
TEST_F(AllowBlockTest, AListThatCannotBeSavedLeavesATraceAndTheOthersAreStillWritten) {
  p.desktop.files.Put(testing::InFolder("alwdom.sys"), "old.example\r\n");
  w().domain_list.AddItem("example.com");
  w().caption_list.AddItem("results");
  p.desktop.diagnostics.Expect("could not save");
  p.desktop.files.FailWritesAfter(4);  // the disk fills up during the first save
  w().close_mark.Click();
  EXPECT_EQ(p.desktop.diagnostics.Lines(),
            std::vector<std::string>{"could not save " + testing::InFolder("alwdom.sys")});
  EXPECT_EQ(p.FileBytes("alwdom.sys"), "old.example\r\n");
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "results\r\n");
  EXPECT_TRUE(p.desktop.dialogs.Shown().empty()) << "the user is told nothing";
}

// A list file loaded at start-up only in part is left as it was when the window closes: the
// list goes beside it, and the other lists are saved over as usual.
TEST(AllowBlockLists, AListLoadedOnlyInPartAtStartUpIsSavedBesideItsFile) {
  SimApp p;
  const std::string big = "one.example\r\ntwo.example\r\n";
  p.desktop.files.Put(testing::InFolder("alwdom.sys"), big);
  p.desktop.files.SetReadLimit(big.size() - 5);  // inside the last entry
  p.desktop.diagnostics.Expect("only in part");
  p.Start();
  p->allow_block_window.caption_list.AddItem("news");
  p->allow_block_window.Close();
  EXPECT_EQ(p.FileBytes("alwdom.sys"), big);
  EXPECT_EQ(p.FileBytes("alwdom.sys.partial"), "one.example\r\n");
  EXPECT_EQ(p.FileBytes("alwcap.sys"), "news\r\n");
}

}  // namespace
}  // namespace pelkrin
