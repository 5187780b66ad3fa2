#include "lists/list_model.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_desktop.h"
#include "ui/form.h"
#include "ui/sim/sim_view_host.h"

namespace pelkrin {
namespace {

using Entries = std::vector<std::string>;
constexpr char kPath[] = "C:\\Pelkrin\\alwdom.sys";

class ListForm : public Form {
 public:
  explicit ListForm(ViewHost& views)
      : Form(views, "F", "F", {}), list(*this, "List1", {}), other(*this, "List2", {}) {}
  ListBox list;
  ListBox other;
};

struct ListTest : ::testing::Test {
  sim::SimDesktop desktop;
  sim::SimViewHost views;
  ListForm form{views};
  ListBox& list = form.list;

  void Fill(const Entries& entries) {
    for (const auto& e : entries) list.AddItem(e);
  }
  Entries Load(const std::string& bytes) {
    desktop.files.Put(kPath, bytes);
    list.Clear();
    LoadListFile(desktop.files, desktop.events, kPath, list);
    return list.Items();
  }
};

TEST(ListFile, LinesMayEndInCrLfLfOrCrAndTheLastNeedsNoEnding) {
  EXPECT_EQ(ParseListFile(""), Entries{});
  EXPECT_EQ(ParseListFile("a\r\nb\r\n"), (Entries{"a", "b"}));
  EXPECT_EQ(ParseListFile("a\r\nb"), (Entries{"a", "b"}));
  EXPECT_EQ(ParseListFile("a\nb\n"), (Entries{"a", "b"}));
  EXPECT_EQ(ParseListFile("a\rb\r"), (Entries{"a", "b"}));
  EXPECT_EQ(ParseListFile("a\n\rb"), (Entries{"a", "", "b"}));  // LF then a lone CR: two endings
  EXPECT_EQ(ParseListFile("a\r\n\r\nb"), (Entries{"a", "", "b"}));
  EXPECT_EQ(ParseListFile("\r\n"), Entries{""});
}

TEST(ListFile, NulBytesNeitherCutTheListNorBecomeBlankEntries) {
  EXPECT_EQ(ParseListFile(std::string("ab\0c\r\nnext\r\n", 12)), (Entries{"abc", "next"}));
  EXPECT_EQ(ParseListFile(std::string("one\r\n\0\0\0\r\ntwo", 13)), (Entries{"one", "two"}));
  EXPECT_EQ(ParseListFile(std::string("\0", 1)), Entries{});
}

TEST_F(ListTest, EntriesWithCommasQuotesAndBlanksRoundTripUnchanged) {
  const Entries tricky = {"a, b", "say \"hi\"", "  padded  ", "", "x\tlike\ttabs",
                          "Win - Microsoft Internet Explorer", "\xe9t\xe9"};
  Fill(tricky);
  SaveListFile(desktop.files, kPath, list);
  EXPECT_EQ(desktop.files.Bytes(kPath),
            "a, b\r\nsay \"hi\"\r\n  padded  \r\n\r\nx\tlike\ttabs\r\n"
            "Win - Microsoft Internet Explorer\r\n\xe9t\xe9\r\n");
  EXPECT_EQ(Load(*desktop.files.Bytes(kPath)), tricky);
}

TEST_F(ListTest, AnEmptyListSavesAsAnEmptyFile) {
  SaveListFile(desktop.files, kPath, list);
  EXPECT_EQ(desktop.files.Bytes(kPath), "");
}

TEST_F(ListTest, LoadingAppendsAndAMissingFileChangesNothing) {
  Fill({"kept"});
  LoadListFile(desktop.files, desktop.events, kPath, list);
  EXPECT_EQ(list.Items(), Entries{"kept"});
  desktop.files.Put(kPath, "more\r\n");
  LoadListFile(desktop.files, desktop.events, kPath, list);
  EXPECT_EQ(list.Items(), (Entries{"kept", "more"}));
}

TEST_F(ListTest, AReadErrorKeepsWhatWasReadBeforeIt) {
  desktop.files.Put(kPath, "one\r\ntwo\r\nthree\r\n");
  desktop.files.FailReadsAfter(kPath, 7);
  LoadListFile(desktop.files, desktop.events, kPath, list);
  EXPECT_EQ(list.Items(), (Entries{"one", "tw"}));
}

TEST_F(ListTest, AFailedSaveLeavesThePreviousFileWhole) {
  desktop.files.Put(kPath, "old1\r\nold2\r\n");
  Fill({"new entry that is long enough"});
  desktop.files.FailWritesAfter(5);
  SaveListFile(desktop.files, kPath, list);
  EXPECT_EQ(desktop.files.Bytes(kPath), "old1\r\nold2\r\n");
  desktop.files.SetReadOnlyFolder("C:\\Pelkrin", true);
  SaveListFile(desktop.files, kPath, list);
  EXPECT_EQ(desktop.files.Bytes(kPath), "old1\r\nold2\r\n");
  EXPECT_EQ(list.Items(), Entries{"new entry that is long enough"});
}

TEST_F(ListTest, AHundredThousandEntriesRoundTripAndLetEventsRun) {
  Entries entries;
  for (int i = 0; i < 100000; ++i) entries.push_back("popup caption number " + std::to_string(i));
  Fill(entries);
  SaveListFile(desktop.files, kPath, list);
  const int pumps = desktop.events.ProcessPendingCalls();
  EXPECT_EQ(Load(*desktop.files.Bytes(kPath)), entries);
  EXPECT_GE(desktop.events.ProcessPendingCalls() - pumps, 100000 / 64);
}

TEST_F(ListTest, RemoveTakesTheUsersSelectionOnly) {
  Fill({"a", "b", "c"});
  RemoveSelected(list);  // nothing selected
  EXPECT_EQ(list.ListCount(), 3);
  list.UserSelect(1);
  list.AddItem("d");  // appending (the detector, the loader) leaves the selection alone
  EXPECT_EQ(list.ListIndex(), 1);
  RemoveSelected(list);
  EXPECT_EQ(list.Items(), (Entries{"a", "c", "d"}));
  EXPECT_EQ(list.ListIndex(), -1);
  list.UserSelect(2);
  list.RemoveItem(0);
  EXPECT_EQ(list.ListIndex(), 1) << "the selection stays on its entry";
  RemoveSelected(list);
  EXPECT_EQ(list.Items(), Entries{"c"});
}

TEST_F(ListTest, ClearingAsksFirstAndOnlyYesEmptiesTheList) {
  Fill({"a", "b"});
  desktop.dialogs.AnswerNext(kIdNo);
  ClearWithConfirmation(desktop.dialogs, list);
  EXPECT_EQ(list.ListCount(), 2);
  desktop.dialogs.AnswerNext(kIdYes);
  ClearWithConfirmation(desktop.dialogs, list);
  EXPECT_EQ(list.ListCount(), 0);
  ASSERT_EQ(desktop.dialogs.Shown().size(), 2u);
  EXPECT_EQ(desktop.dialogs.Shown()[0].text,
            "Once the list has been cleared you will not be able to recover it!  Are you sure?");
  EXPECT_EQ(desktop.dialogs.Shown()[0].title, "Pelkrin Allow List");
  EXPECT_EQ(desktop.dialogs.Shown()[0].style, 0x1024u);
}

TEST_F(ListTest, QueriesMatchAnywhereIgnoringCase) {
  EXPECT_FALSE(IsDomainAllowed(list, "http://www.example.com/"));
  Fill({"EXAMPLE.com"});
  EXPECT_TRUE(IsDomainAllowed(list, "HTTP://WWW.EXAMPLE.COM/"));
  EXPECT_TRUE(IsDomainAllowed(list, "http://ads.test/?ref=example.com"));
  EXPECT_TRUE(IsDomainAllowed(list, "http://myexample.com.test/"));
  EXPECT_FALSE(IsDomainAllowed(list, "http://example.org/"));
  list.Clear();
  Fill({"www.example.com"});
  EXPECT_FALSE(IsDomainAllowed(list, "http://example.com/"));
  EXPECT_TRUE(IsCaptionAllowed(list, "go to WWW.Example.com now"));
  Fill({""});
  EXPECT_TRUE(IsDomainAllowed(list, "anything")) << "an empty entry allows everything";
  EXPECT_TRUE(IsCaptionAllowed(list, ""));
}

TEST(NormaliseListEntry, FollowsItsStepsInOrder) {
  EXPECT_EQ(NormaliseListEntry("HTTP://WWW.EXAMPLE.COM/"), "www.example.com");
  EXPECT_EQ(NormaliseListEntry("https://Example.com/"), "example.com");
  EXPECT_EQ(NormaliseListEntry("ftp://files.example.com/pub/"), "files.example.com/pub");
  EXPECT_EQ(NormaliseListEntry("example.com//"), "example.com/");  // one slash only
  EXPECT_EQ(NormaliseListEntry("http://"), "http:/");  // slash first, then too short for a prefix
  EXPECT_EQ(NormaliseListEntry("https://"), "https:/");
  EXPECT_EQ(NormaliseListEntry("ftp://"), "ftp:/");
  EXPECT_EQ(NormaliseListEntry("http://x"), "x");
  EXPECT_EQ(NormaliseListEntry("/"), "/");
  EXPECT_EQ(NormaliseListEntry(""), "");
  EXPECT_EQ(NormaliseListEntry(" Search Results "), " search results ");
  // Each prefix step once.
  EXPECT_EQ(NormaliseListEntry("http://https://example.test"), "example.test");
  EXPECT_EQ(NormaliseListEntry("https://http://example.test"), "http://example.test");
}

}  // namespace
}  // namespace pelkrin
