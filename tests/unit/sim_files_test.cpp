// Failure injection of the simulated file system: the list and settings code is tested against
// these failures, so they must keep the promises of the FileSystem interface (whose answers
// otherwise are in the contracts).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_files.h"

namespace pelkrin::sim {
namespace {

constexpr char kList[] = "C:\\Program Files\\Pelkrin\\captions.txt";

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
