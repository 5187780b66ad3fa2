// Failure injection of the simulated file system: the list and settings code is tested against
// these failures, so they must keep the promises of the FileSystem interface.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_files.h"

namespace pelkrin::sim {
namespace {

constexpr char kList[] = "C:\\Program Files\\Pelkrin\\captions.txt";

TEST(SimFilesTest, PathsAreCaseInsensitiveAndKeepTheirSpelling) {
  SimFileSystem files;
  files.Put("C:\\Data\\One.TXT", "1");
  files.Put("c:/data/two.txt", "2");
  files.Put("C:\\Data\\sub\\three.txt", "3");
  files.Put("C:\\Data\\notes", "4");
  EXPECT_EQ(files.ReadFile("c:\\DATA\\one.txt"), "1");
  EXPECT_EQ(files.ListFiles("C:\\data\\", "*.txt"),
            (std::vector<std::string>{"One.TXT", "two.txt"}));
  EXPECT_EQ(files.ListFiles("C:\\Data", "*.*"),
            (std::vector<std::string>{"notes", "One.TXT", "two.txt"}));
  EXPECT_EQ(files.ListFiles("C:\\Data", "?wo.*"), std::vector<std::string>{"two.txt"});
  EXPECT_EQ(files.ReadFile("C:\\Data\\missing.txt"), std::nullopt);
  EXPECT_EQ(files.ReadFile("C:\\bad|name.txt"), std::nullopt);
  EXPECT_TRUE(files.DeleteFile("C:\\DATA\\ONE.txt"));
  EXPECT_FALSE(files.DeleteFile("C:\\Data\\One.txt"));
}

TEST(SimFilesTest, ListingsTellAMissingFolderFromAnEmptyOneAndHoldPlainFilesOnly) {
  SimFileSystem files;
  EXPECT_EQ(files.ListFiles("C:\\Data", "*.txt"), std::nullopt);
  files.MakeFolder("C:\\Data");
  EXPECT_EQ(files.ListFiles("C:\\Data", "*.txt"), std::vector<std::string>{});
  EXPECT_EQ(files.ListFiles("C:\\", "*.txt"), std::vector<std::string>{}) << "a drive's root";
  files.Put("C:\\Data\\plain.txt", "1");
  files.MakeFolder("C:\\Data\\folder.txt");
  files.Put("C:\\Data\\deeper.txt\\inner.txt", "2");
  files.PutLink("C:\\Data\\link.txt");
  EXPECT_EQ(files.ListFiles("C:\\Data", "*.txt"), std::vector<std::string>{"plain.txt"});
  EXPECT_EQ(files.ListFiles("C:\\Data\\plain.txt", "*"), std::nullopt) << "a file is no folder";
  EXPECT_EQ(files.ReadFile("C:\\Data\\link.txt"), std::nullopt);
  EXPECT_FALSE(files.DeleteFile("C:\\Data\\folder.txt"));

  files.SetInUse("C:\\Data\\PLAIN.txt", true);
  EXPECT_FALSE(files.DeleteFile("C:\\Data\\plain.txt"));
  EXPECT_EQ(files.ReadFile("C:\\Data\\plain.txt"), "1");
  files.SetInUse("C:\\Data\\plain.txt", false);
  EXPECT_TRUE(files.DeleteFile("C:\\Data\\plain.txt"));

  files.RemoveFolder("C:\\Data");
  EXPECT_EQ(files.ListFiles("C:\\Data", "*"), std::nullopt);
  EXPECT_TRUE(files.Paths().empty());
}

TEST(SimFilesTest, ReplaceFileNeverLeavesAHalfWrittenFile) {
  SimFileSystem files;
  files.Put(kList, "old contents");
  files.FailWritesAfter(4);
  EXPECT_TRUE(files.ReplaceFile(kList, "tiny"));  // fits: the failure stays armed
  EXPECT_FALSE(files.ReplaceFile(kList, "new contents"));
  EXPECT_EQ(files.Bytes(kList), "tiny");
  EXPECT_EQ(files.Paths(), std::vector<std::string>{kList});  // no temporary file left behind
  EXPECT_TRUE(files.ReplaceFile(kList, "new contents"));      // only one write failed
  EXPECT_EQ(files.WriteCount(kList), 3);

  files.SetReadOnlyFolder("C:\\Program Files", true);
  EXPECT_FALSE(files.ReplaceFile(kList, "blocked"));
  EXPECT_FALSE(files.ReplaceFile("C:\\Program Files\\Pelkrin\\new.txt", "blocked"));
  EXPECT_FALSE(files.DeleteFile(kList));
  EXPECT_EQ(files.ReadFile(kList), "new contents");  // reading still works
  EXPECT_FALSE(files.Exists("C:\\Program Files\\Pelkrin\\new.txt"));
  files.SetReadOnlyFolder("C:\\Program Files\\", false);
  EXPECT_TRUE(files.ReplaceFile(kList, "free again"));

  EXPECT_FALSE(files.ReplaceFile("C:\\Program Files\\Pelkrin\\", "x"));
  EXPECT_FALSE(files.ReplaceFile("C:\\a<b.txt", "x"));
  EXPECT_FALSE(files.ReplaceFile("", "x"));
}

TEST(SimFilesTest, ReadsThatBreakOffReturnWhatCameBefore) {
  SimFileSystem files;
  files.Put(kList, "line one\r\nline two\r\n");
  files.FailReadsAfter(kList, 10);
  EXPECT_EQ(files.ReadFile(kList), "line one\r\n");
  EXPECT_EQ(files.Bytes(kList), "line one\r\nline two\r\n");  // the file itself is whole
  files.StopFailingReads(kList);
  EXPECT_EQ(files.ReadFile(kList), "line one\r\nline two\r\n");
}

}  // namespace
}  // namespace pelkrin::sim
