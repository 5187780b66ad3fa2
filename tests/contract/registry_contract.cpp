// The registry as advapi32 answers it: the size rules of string values, the path rules of
// opening keys, deleting keys the way Windows NT does, and the strings other programs store.
#include <string>

#include "contract.h"
#include "settings/registry_routines.h"

namespace pelkrin::contract {
namespace {

constexpr char kKey[] = "Software\\PelkrinContract";
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorInvalidParameter = 87;
constexpr long kErrorBadPathname = 161;
constexpr long kErrorKeyDeleted = 1018;

TEST_P(RegistryContract, StringValuesKeepTheirTerminatorAndTheSizeRules) {
  Registry& registry = world().registry();
  RegKey key = 0;
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, std::string(kKey) + "\\Deep", kKeyAllAccess, &key),
            kErrorSuccess);
  ASSERT_EQ(registry.SetStringValue(key, "Name", "hello"), kErrorSuccess);
  ASSERT_EQ(registry.SetStringValue(key, "NAME", "again"), kErrorSuccess);  // the same value

  std::uint32_t size = 0;
  ASSERT_EQ(registry.QueryValue(key, "name", nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 6u) << "the NUL counts";
  std::string data = "untouched";
  size = 5;
  EXPECT_EQ(registry.QueryValue(key, "name", &data, &size), kErrorMoreData);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(data, "untouched");
  size = 64;
  ASSERT_EQ(registry.QueryValue(key, "Name", &data, &size), kErrorSuccess);
  EXPECT_EQ(data, std::string("again\0", 6));
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(registry.QueryValue(key, "", nullptr, &size), kErrorFileNotFound);
  EXPECT_EQ(registry.QueryValue(key, "name", nullptr, nullptr), kErrorInvalidParameter);

  EXPECT_EQ(registry.DeleteValue(key, "NAME"), kErrorSuccess);
  EXPECT_EQ(registry.DeleteValue(key, "name"), kErrorFileNotFound);
  EXPECT_EQ(registry.CloseKey(key), kErrorSuccess);
  EXPECT_EQ(registry.CloseKey(key), kErrorInvalidHandle);
}

TEST_P(RegistryContract, KeysOpenByTheRealPathRules) {
  Registry& registry = world().registry();
  RegKey key = 0;
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, std::string(kKey) + "\\Run", kKeyAllAccess, &key),
            kErrorSuccess);
  EXPECT_EQ(registry.CloseKey(key), kErrorSuccess);
  EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, std::string(kKey) + "\\MISSING", kKeyRead, &key),
            kErrorFileNotFound);
  EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, std::string("\\") + kKey, kKeyRead, &key),
            kErrorBadPathname);

  // An empty path on a root gives the root itself back.
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "", kKeyRead, &key), kErrorSuccess);
  EXPECT_EQ(key, kHkeyCurrentUser);

  // Relative to an open key; an empty path there opens a second handle.
  RegKey parent = 0, again = 0, run = 0;
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, kKey, kKeyRead, &parent), kErrorSuccess);
  ASSERT_EQ(registry.OpenKey(parent, "", kKeyRead, &again), kErrorSuccess);
  EXPECT_NE(again, parent);
  ASSERT_EQ(registry.OpenKey(parent, "run", kKeyAllAccess, &run), kErrorSuccess);
  // A handle opened for reading may read but not write.
  EXPECT_EQ(registry.SetStringValue(parent, "x", "y"), kErrorAccessDenied);
  EXPECT_EQ(registry.SetStringValue(run, "Pelkrin", "C:\\pelkrin.exe"), kErrorSuccess);
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(run, "pelkrin", nullptr, &size), kErrorSuccess);
  for (RegKey open : {parent, again, run}) EXPECT_EQ(registry.CloseKey(open), kErrorSuccess);
}

TEST_P(RegistryContract, KeysAreDeletedAsWindowsNtDeletesThem) {
  Registry& registry = world().registry();
  RegKey parent = 0, deeper = 0;
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, std::string(kKey) + "\\Sub\\Deeper", kKeyAllAccess,
                               &deeper),
            kErrorSuccess);
  ASSERT_EQ(registry.SetStringValue(deeper, "v", "1"), kErrorSuccess);
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, kKey, kKeyRead, &parent), kErrorSuccess);

  EXPECT_EQ(registry.DeleteKey(parent, "Sub"), kErrorAccessDenied) << "it has a subkey";
  EXPECT_EQ(registry.DeleteKey(parent, "sub\\deeper"), kErrorSuccess) << "a read handle will do";
  // The deleted key's handle fails from now on, and closing it still works.
  EXPECT_EQ(registry.SetStringValue(deeper, "v", "2"), kErrorKeyDeleted);
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(deeper, "v", nullptr, &size), kErrorKeyDeleted);
  EXPECT_EQ(registry.CloseKey(deeper), kErrorSuccess);

  EXPECT_EQ(registry.DeleteKey(parent, "Sub\\Deeper"), kErrorFileNotFound);
  EXPECT_EQ(registry.DeleteKey(parent, "Sub"), kErrorSuccess);
  EXPECT_EQ(registry.DeleteKey(parent, ""), kErrorSuccess) << "the key itself";
  EXPECT_EQ(registry.CloseKey(parent), kErrorSuccess);
  EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, kKey, kKeyRead, &parent), kErrorFileNotFound);
}

// The routine that reads the browser's values must take every string another program may store.
TEST_P(RegistryContract, RegReadStringTakesStringsStoredWithOrWithoutTheirTerminator) {
  for (const bool expand : {false, true}) {
    SCOPED_TRACE(expand ? "REG_EXPAND_SZ" : "REG_SZ");
    const auto read = [&](const std::string& bytes) {
      world().PutStringData(kHkeyCurrentUser, kKey, "Start Page", bytes, expand);
      return RegReadString(world().registry(), kHkeyCurrentUser, kKey, "Start Page", "fallback");
    };
    EXPECT_EQ(read(std::string("http://example.com/\0", 20)), "http://example.com/");
    EXPECT_EQ(read("http://example.com/"), "http://example.com/");
    EXPECT_EQ(read("x"), "x");
    EXPECT_EQ(read(std::string(1, '\0')), "");
    EXPECT_EQ(read(""), "fallback") << "no data at all";
  }
}

}  // namespace
}  // namespace pelkrin::contract
