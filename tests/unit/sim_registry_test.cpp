// The simulated registry's answers, which the settings code relies on matching advapi32's (the
// Windows end-to-end suite checks the same calls against the real registry).
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_registry.h"

namespace pelkrin::sim {
namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(SimRegistryTest, StringValuesRoundTripWithTheSizeRules) {
  SimRegistry registry;
  RegKey key = 0;
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Software\\Pelkrin\\Deep", kKeyAllAccess, &key),
            kErrorSuccess);
  EXPECT_TRUE(registry.HasKey(kHkeyCurrentUser, "software\\PELKRIN"));  // made on the way
  ASSERT_EQ(registry.SetStringValue(key, "Name", "hello"), kErrorSuccess);
  EXPECT_EQ(registry.SetStringValue(key, "NAME", "again"), kErrorSuccess);
  EXPECT_EQ(registry.ValueNames(kHkeyCurrentUser, "Software\\Pelkrin\\Deep"),
            std::vector<std::string>{"Name"});  // the first spelling stays

  std::uint32_t size = 0;
  ASSERT_EQ(registry.QueryValue(key, "name", nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 6u);  // the NUL counts
  std::string data = "untouched";
  size = 5;
  EXPECT_EQ(registry.QueryValue(key, "name", &data, &size), kErrorMoreData);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(data, "untouched");
  size = 64;
  ASSERT_EQ(registry.QueryValue(key, "name", &data, &size), kErrorSuccess);
  EXPECT_EQ(data, std::string("again\0", 6));
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(registry.QueryValue(key, "", nullptr, &size), kErrorFileNotFound);
  EXPECT_EQ(registry.QueryValue(key, "name", nullptr, nullptr), kErrorInvalidParameter);

  EXPECT_EQ(registry.DeleteValue(key, "NAME"), kErrorSuccess);
  EXPECT_EQ(registry.DeleteValue(key, "name"), kErrorFileNotFound);
  EXPECT_EQ(registry.CloseKey(key), kErrorSuccess);
  EXPECT_EQ(registry.CloseKey(key), kErrorInvalidHandle);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(SimRegistryTest, OpeningFollowsTheRealPathRules) {
  SimRegistry registry;
  registry.PutKey(kHkeyLocalMachine, kRun);
  RegKey key = 0;
  EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, "software\\MISSING", kKeyRead, &key),
            kErrorFileNotFound);
  EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, "\\Software", kKeyRead, &key), kErrorBadPathname);
  EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, "Software\\\\Microsoft", kKeyRead, &key),
            kErrorFileNotFound);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);

  // An empty path on a root gives the root back, costing no handle.
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "", kKeyRead, &key), kErrorSuccess);
  EXPECT_EQ(key, kHkeyCurrentUser);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);

  // Relative to an open key; an empty path there opens a second handle.
  RegKey software = 0, again = 0, run = 0;
  ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, "Software", kKeyRead, &software), kErrorSuccess);
  ASSERT_EQ(registry.OpenKey(software, "", kKeyRead, &again), kErrorSuccess);
  EXPECT_NE(again, software);
  ASSERT_EQ(
      registry.OpenKey(software, "microsoft\\windows\\currentversion\\run", kKeyAllAccess, &run),
      kErrorSuccess);
  EXPECT_EQ(registry.OpenHandleCount(), 3u);
  // A read-only handle may read but not write.
  EXPECT_EQ(registry.SetStringValue(software, "x", "y"), kErrorAccessDenied);
  EXPECT_EQ(registry.SetStringValue(run, "Pelkrin", "C:\\pelkrin.exe"), kErrorSuccess);
  EXPECT_EQ(registry.Value(kHkeyLocalMachine, kRun, "pelkrin"), "C:\\pelkrin.exe");
  for (RegKey open : {software, again, run}) registry.CloseKey(open);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(SimRegistryTest, DeniedBranchRefusesWritesButNotReads) {
  SimRegistry registry;
  registry.Put(kHkeyLocalMachine, kRun, "Other", "x");
  registry.DenyWrite(kHkeyLocalMachine, "Software\\Microsoft");

  RegKey key = 0;
  EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, kRun, kKeyWrite, &key), kErrorAccessDenied);
  EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, kRun, kKeyAllAccess, &key), kErrorAccessDenied);
  EXPECT_EQ(registry.CreateKey(kHkeyLocalMachine, std::string(kRun) + "\\New", kKeyRead, &key),
            kErrorAccessDenied);
  EXPECT_FALSE(registry.HasKey(kHkeyLocalMachine, std::string(kRun) + "\\New"));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);

  ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, kRun, kKeyRead, &key), kErrorSuccess);
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(key, "Other", nullptr, &size), kErrorSuccess);
  registry.CloseKey(key);
  // Beside the denied branch all is well.
  ASSERT_EQ(registry.CreateKey(kHkeyLocalMachine, "Software\\Pelkrin", kKeyAllAccess, &key),
            kErrorSuccess);
  registry.CloseKey(key);
}

TEST(SimRegistryTest, DeletingKeysAsWindowsNtDoes) {
  SimRegistry registry;
  registry.Put(kHkeyCurrentUser, "Software\\PelkrinTest\\Sub\\Deeper", "v", "1");
  RegKey parent = 0, deeper = 0;
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "Software\\PelkrinTest", kKeyRead, &parent),
            kErrorSuccess);
  ASSERT_EQ(registry.OpenKey(parent, "Sub\\Deeper", kKeyAllAccess, &deeper), kErrorSuccess);

  EXPECT_EQ(registry.DeleteKey(parent, "Sub"), kErrorAccessDenied);     // it has a subkey
  EXPECT_EQ(registry.DeleteKey(parent, "sub\\deeper"), kErrorSuccess);  // a read handle will do
  EXPECT_FALSE(registry.HasKey(kHkeyCurrentUser, "Software\\PelkrinTest\\Sub\\Deeper"));
  // Handles of the deleted key fail from now on, and closing them still works.
  EXPECT_EQ(registry.SetStringValue(deeper, "v", "2"), kErrorKeyDeleted);
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(deeper, "v", nullptr, &size), kErrorKeyDeleted);
  EXPECT_EQ(registry.CloseKey(deeper), kErrorSuccess);

  EXPECT_EQ(registry.DeleteKey(parent, "Sub\\Deeper"), kErrorFileNotFound);
  EXPECT_EQ(registry.DeleteKey(parent, "Sub"), kErrorSuccess);
  EXPECT_EQ(registry.DeleteKey(parent, ""), kErrorSuccess);  // the key itself
  EXPECT_FALSE(registry.HasKey(kHkeyCurrentUser, "Software\\PelkrinTest"));
  EXPECT_EQ(registry.DeleteKey(kHkeyCurrentUser, ""), kErrorAccessDenied);
  registry.CloseKey(parent);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);

  registry.Put(kHkeyLocalMachine, "Software\\Locked\\Leaf", "v", "1");
  registry.DenyWrite(kHkeyLocalMachine, "Software\\Locked");
  EXPECT_EQ(registry.DeleteKey(kHkeyLocalMachine, "Software\\Locked\\Leaf"), kErrorAccessDenied);
}

}  // namespace
}  // namespace pelkrin::sim
