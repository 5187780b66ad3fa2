// What only the simulated registry has: write-protected branches and counted handles, which the
// settings code is tested against. Its answers to the registry calls are in the contracts.
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_registry.h"

namespace pelkrin::sim {
namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(SimRegistryTest, ADeniedBranchRefusesWritesButNotReadsAndHandlesAreCounted) {
  SimRegistry registry;
  registry.Put(kHkeyLocalMachine, kRun, "Other", "x");
  registry.Put(kHkeyLocalMachine, std::string(kRun) + "\\Leaf", "v", "1");
  registry.DenyWrite(kHkeyLocalMachine, "Software\\Microsoft");

  RegKey key = 0;
  EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, kRun, kKeyWrite, &key), kErrorAccessDenied);
  EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, kRun, kKeyAllAccess, &key), kErrorAccessDenied);
  EXPECT_EQ(registry.CreateKey(kHkeyLocalMachine, std::string(kRun) + "\\New", kKeyRead, &key),
            kErrorAccessDenied);
  EXPECT_FALSE(registry.HasKey(kHkeyLocalMachine, std::string(kRun) + "\\New"));
  EXPECT_EQ(registry.DeleteKey(kHkeyLocalMachine, std::string(kRun) + "\\Leaf"),
            kErrorAccessDenied);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);

  ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, kRun, kKeyRead, &key), kErrorSuccess);
  EXPECT_EQ(registry.OpenHandleCount(), 1u);
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(key, "Other", nullptr, &size), kErrorSuccess);
  registry.CloseKey(key);
  // Beside the denied branch all is well.
  ASSERT_EQ(registry.CreateKey(kHkeyLocalMachine, "Software\\Pelkrin", kKeyAllAccess, &key),
            kErrorSuccess);
  EXPECT_EQ(registry.SetStringValue(key, "Name", "text"), kErrorSuccess);
  registry.CloseKey(key);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  EXPECT_EQ(registry.Value(kHkeyLocalMachine, "software\\pelkrin", "NAME"), "text");
}

}  // namespace
}  // namespace pelkrin::sim
