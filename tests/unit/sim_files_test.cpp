// Failure injection of the simulated file system: the list and settings code is tested against
// these failures, so they must keep the promises of the FileSystem interface (whose answers
// otherwise are in the contracts).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_files.h"

namespace pelkrin::sim {
namespace {

constexpr char kList[] = "C:\\Program Files\\Pelkrin\\captions.txt";

FileContents Whole(std::string bytes) { return {std::move(bytes), true}; }
FileContents Part(std::string bytes) { return {std::move(bytes), false}; }

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
  EXPECT_EQ(files.ReadFile(kList), Whole("new contents"));  // reading still works
  EXPECT_FALSE(files.Exists("C:\\Program Files\\Pelkrin\\new.txt"));
  files.SetReadOnlyFolder("C:\\Program Files\\", false);
  EXPECT_TRUE(files.ReplaceFile(kList, "free again"));
}

TEST(SimFilesTest, ReadsThatBreakOffReturnWhatCameBeforeAsNotWhole) {
  SimFileSystem files;
  files.Put(kList, "line one\r\nline two\r\n");
  files.FailReadsAfter(kList, 10);
  EXPECT_EQ(files.ReadFile(kList), Part("line one\r\n"));
  EXPECT_EQ(files.Bytes(kList), "line one\r\nline two\r\n");  // the file itself is whole
  files.FailReadsAfter(kList, 20);  // breaking off only after the last byte is no break
  EXPECT_EQ(files.ReadFile(kList), Whole("line one\r\nline two\r\n"));
  files.StopFailingReads(kList);
  EXPECT_EQ(files.ReadFile(kList), Whole("line one\r\nline two\r\n"));
}

TEST(SimFilesTest, FilesAreReadUpToTheReadLimit) {
  SimFileSystem files;
  files.Put(kList, "0123456789");
  EXPECT_EQ(files.ReadFile(kList), Whole("0123456789"));
  files.SetReadLimit(10);
  EXPECT_EQ(files.ReadFile(kList), Whole("0123456789")) << "a file of exactly the limit is whole";
  files.SetReadLimit(4);
  EXPECT_EQ(files.ReadFile(kList), Part("0123"));
  files.FailReadsAfter(kList, 2);
  EXPECT_EQ(files.ReadFile(kList), Part("01"));
}

}  // namespace
}  // namespace pelkrin::sim
