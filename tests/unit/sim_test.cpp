// What only the simulated desktop has, and the other tests lean on: the virtual clock's order of
// ticks, and failures injected into files and the registry. What it shares with Windows is in the
// contracts; the time a hung window costs is pinned by the detector's tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"

namespace pelkrin::sim {
namespace {

constexpr char kList[] = "C:\\Program Files\\Pelkrin\\captions.txt";

TEST(SimEventLoopTest, AdvanceTicksEachTimerAtEachDueMomentInTimeOrder) {
  SimEventLoop loop;
  std::vector<std::string> order;
  const std::uint64_t start = loop.Now();
  const auto note = [&](std::string name) {
    return [&, name] { order.push_back(name + "@" + std::to_string(loop.Now() - start)); };
  };
  ASSERT_NE(loop.StartTimer(300, note("slow")), 0u);
  ASSERT_NE(loop.StartTimer(200, note("fast")), 0u);
  loop.Advance(650);
  EXPECT_EQ(order,
            (std::vector<std::string>{"fast@200", "slow@300", "fast@400", "slow@600", "fast@600"}));
  EXPECT_EQ(loop.Now() - start, 650u);
}

TEST(SimFilesTest, InjectedFailuresKeepTheFileSystemsPromises) {
  SimFileSystem files;
  files.Put(kList, "old contents");
  files.FailWritesAfter(4);
  EXPECT_TRUE(files.ReplaceFile(kList, "tiny"));  // fits: the failure stays armed
  EXPECT_FALSE(files.ReplaceFile(kList, "new contents"));
  EXPECT_EQ(files.Bytes(kList), "tiny") << "never half written";
  EXPECT_EQ(files.Paths(), std::vector<std::string>{kList}) << "no temporary file left behind";
  EXPECT_TRUE(files.ReplaceFile(kList, "line one\r\nline two\r\n"));  // only one write failed

  files.FailReadsAfter(kList, 10);
  EXPECT_EQ(files.ReadFile(kList), (FileContents{"line one\r\n", false}));
  files.FailReadsAfter(kList, 20);  // breaking off only after the last byte is no break
  EXPECT_EQ(files.ReadFile(kList), (FileContents{"line one\r\nline two\r\n", true}));
  files.StopFailingReads(kList);
  files.SetReadLimit(20);
  EXPECT_EQ(files.ReadFile(kList), (FileContents{"line one\r\nline two\r\n", true}));
  files.SetReadLimit(4);
  EXPECT_EQ(files.ReadFile(kList), (FileContents{"line", false}));

  files.SetReadOnlyFolder("C:\\Program Files", true);
  EXPECT_FALSE(files.ReplaceFile(kList, "blocked"));
  EXPECT_FALSE(files.DeleteFile(kList));
  files.SetInUse(kList, true);
  files.SetReadOnlyFolder("C:\\Program Files", false);
  EXPECT_FALSE(files.DeleteFile(kList));
}

TEST(SimRegistryTest, ADeniedBranchRefusesWritesButNotReads) {
  SimRegistry registry;
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  registry.Put(kHkeyLocalMachine, run, "Other", "x");
  registry.DenyWrite(kHkeyLocalMachine, "Software\\Microsoft");
  RegKey key = 0;
  EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, run, kKeyWrite, &key), kErrorAccessDenied);
  EXPECT_EQ(registry.CreateKey(kHkeyLocalMachine, run + "\\New", kKeyRead, &key),
            kErrorAccessDenied);
  ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, run, kKeyRead, &key), kErrorSuccess);
  EXPECT_EQ(registry.OpenHandleCount(), 1u);
  EXPECT_EQ(registry.CloseKey(key), kErrorSuccess);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace pelkrin::sim
