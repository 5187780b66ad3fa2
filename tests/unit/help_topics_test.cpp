// The Help topics window: its two lists with their texts, the description box, the sounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "help/help_topics.h"
#include "test_support.h"

namespace pelkrin {
namespace {

struct HelpTest : ::testing::Test {
  HelpTest() {
    p.desktop.sound.SetDeviceCount(1);
    p.Start();
  }
  HelpTopicsWindow& Open() {
    p->main_window.Command(kCmdHelpTopics);
    return *p->help_topics_window;
  }

  testing::SimApp p;
};

TEST_F(HelpTest, PickingAnEntryDescribesItTheOtherListKeepsItsTextAndClosingForgetsBoth) {
  const auto before = p.desktop.events.Now();
  HelpTopicsWindow& w = Open();
  EXPECT_EQ(p.desktop.events.Now(), before) << "no wait";
  EXPECT_EQ(p.Sounds().back(), "barble.sys");
  EXPECT_EQ(w.question_list.Text(), "Select a question...");
  EXPECT_EQ(w.feature_list.Text(), "Select a feature...");
  EXPECT_EQ(w.question_list.ListCount(), 5);
  EXPECT_EQ(w.feature_list.ListCount(), 9);
  EXPECT_EQ(w.description_box.Text(), "") << "nothing is described before anything is picked";

  w.question_list.DropDown();
  EXPECT_EQ(p.Sounds().back(), "menu.sys");
  w.question_list.UserPick(0);
  EXPECT_EQ(p.Sounds().back(), "click.sys");
  EXPECT_EQ(w.description_box.Text(),
            FindHelpTopic(HelpQuestions(), w.question_list.List(0))->text);
  w.feature_list.UserPick(6);
  EXPECT_EQ(w.description_box.Text(), "Closes all open instances of Internet Explorer.  ");
  EXPECT_EQ(w.question_list.Text(), "How do I allow all popups from certain websites?");
  EXPECT_EQ(w.feature_list.Text(), "Kill All IE Windows:");

  w.close_mark.Click();
  EXPECT_EQ(p.Sounds().back(), "click.sys");
  EXPECT_FALSE(w.IsLoaded());
  HelpTopicsWindow& again = Open();
  EXPECT_NE(&again, &w) << "every opening starts afresh";
  EXPECT_EQ(again.description_box.Text(), "");
  EXPECT_EQ(again.feature_list.Text(), "Select a feature...");
}

TEST_F(HelpTest, OnlyTheExactTextOfAnEntryChangesTheDescription) {
  HelpTopicsWindow& w = Open();
  w.feature_list.UserPick(2);
  const std::string cookies = w.description_box.Text();
  for (const char* typed : {"Pelk Popups", "pelk popups:", "Pelk Popups: ", ""}) {
    w.feature_list.SetText(typed);
    w.feature_list.on_click();  // the list's click with a text that is no entry
    EXPECT_EQ(w.description_box.Text(), cookies) << "typed: " << typed;
  }
  w.question_list.SetText("Why am I still getting Popups?");
  w.question_list.on_click();
  EXPECT_EQ(w.description_box.Text(),
            std::string(FindHelpTopic(HelpQuestions(), "Why am I still getting Popups?")->text));
}

TEST_F(HelpTest, EveryTextNamesOnlyReservedExampleHosts) {
  for (auto topics : {HelpQuestions(), HelpFeatures()}) {
    for (const HelpTopic& topic : topics) {
      const std::string text(topic.text);
      for (std::size_t at = text.find("www."); at != std::string::npos;
           at = text.find("www.", at + 1))
        EXPECT_TRUE(text.compare(at, 12, "www.example.") == 0) << topic.entry;
    }
  }
}

}  // namespace
}  // namespace pelkrin
