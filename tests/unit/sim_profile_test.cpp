// What only the simulated private-profile functions have: the failures of the file system under
// them, and the record of every call. Their answers and bytes are in the contracts.
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_desktop.h"

namespace pelkrin::sim {
namespace {

constexpr char kIni[] = "C:\\Program Files\\Pelkrin\\pk.sys";

TEST(SimProfileTest, ReadOnlyFolderRefusesTheWriteAndCreatesNothing) {
  SimDesktop desktop;
  desktop.files.SetReadOnlyFolder("C:\\Program Files", true);
  EXPECT_FALSE(desktop.profile.Write(kIni, "S", "K", "V"));
  EXPECT_FALSE(desktop.files.Exists(kIni));
  EXPECT_EQ(desktop.profile.Read(kIni, "S", "K", "fallback", 256), "fallback");
  ASSERT_EQ(desktop.profile.Writes().size(), 1u);
  EXPECT_FALSE(desktop.profile.Writes()[0].succeeded);
}

TEST(SimProfileTest, FullDiskLeavesATruncatedFileAndReportsFailure) {
  SimDesktop desktop;
  ASSERT_TRUE(desktop.profile.Write(kIni, "S", "K", "V"));
  desktop.files.FailWritesAfter(5);
  EXPECT_FALSE(desktop.profile.Write(kIni, "S", "L", "W"));
  EXPECT_EQ(desktop.files.Bytes(kIni), "[S]\r\n");  // written in place: the rest is lost
}

TEST(SimProfileTest, WritingTheSameValueIsACallButNoWrite) {
  SimDesktop desktop;
  desktop.files.Put(kIni, "[B]\nq=\"quoted\"\n");
  EXPECT_TRUE(desktop.profile.Write(kIni, "b", "Q", "  \"quoted\""));
  EXPECT_EQ(desktop.files.WriteCount(kIni), 0);
  EXPECT_EQ(desktop.profile.Writes().size(), 1u);
  EXPECT_TRUE(desktop.profile.Write(kIni, "B", "new", "v"));
  EXPECT_EQ(desktop.files.WriteCount(kIni), 1);
}

}  // namespace
}  // namespace pelkrin::sim
