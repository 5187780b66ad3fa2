#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_desktop.h"
#include "settings/registry_routines.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::kSettingsPath;

struct SettingsTest : ::testing::Test {
  sim::SimDesktop desktop;
  SettingsStore store{desktop.profile, desktop.diagnostics, testing::kFolder};
};

TEST_F(SettingsTest, WritesUpperCaseKeysAndFindsThemInAnyCase) {
  EXPECT_EQ(store.ReadSetting("home_page"), "");  // no file at all
  ASSERT_TRUE(store.WriteSetting("play_sound", "1"));
  ASSERT_TRUE(store.WriteSetting("block_tmp", ""));
  EXPECT_EQ(desktop.files.Bytes(kSettingsPath), "[pk]\r\nPLAY_SOUND=1\r\nBLOCK_TMP=\r\n");
  EXPECT_EQ(store.ReadSetting("PLAY_SOUND"), "1");
  EXPECT_EQ(store.ReadSetting("block_tmp"), "") << "an empty value reads as a missing one";
  ASSERT_TRUE(store.WriteSetting("home_page", std::string(800, 'a')));
  EXPECT_EQ(store.ReadSetting("home_page"), std::string(749, 'a')) << "cut to 749 characters";
}

// ---- registry routines ----

constexpr char kMain[] = "Software\\Microsoft\\Internet Explorer\\Main";

struct RegistryTest : ::testing::Test {
  sim::SimDesktop desktop;
  Registry& registry = desktop.registry;
  void TearDown() override { EXPECT_EQ(desktop.registry.OpenHandleCount(), 0u) << "a key leaked"; }
};

// How the stored bytes read back is the registry contract's (RegReadString there); here, the
// paths and the missing keys and values.
TEST_F(RegistryTest, WrittenTextReadsBackAndMissingKeysAndValuesGiveTheFallback) {
  EXPECT_EQ(TrimKeyPath("\\\\Software\\\\"), "\\Software\\") << "one backslash at each end";
  ASSERT_TRUE(
      RegWriteString(registry, kHkeyCurrentUser, kMain, "Start Page", "http://www.example.com/"));
  EXPECT_EQ(RegReadString(registry, kHkeyCurrentUser, std::string("\\") + kMain + "\\",
                          "Start Page", "none"),
            "http://www.example.com/");
  EXPECT_EQ(RegReadString(registry, kHkeyCurrentUser, "Software\\Nowhere", "x", "dflt"), "dflt");
  EXPECT_EQ(RegReadString(registry, kHkeyCurrentUser, kMain, "Other", "dflt"), "dflt");
}

TEST_F(RegistryTest, StarMeansTheUnnamedDefaultValue) {
  ASSERT_TRUE(RegWriteString(registry, kHkeyCurrentUser, "Software\\Pk", "*", "unnamed"));
  EXPECT_EQ(desktop.registry.Value(kHkeyCurrentUser, "Software\\Pk", ""), "unnamed");
  EXPECT_EQ(RegReadString(registry, kHkeyCurrentUser, "Software\\Pk", "*", ""), "unnamed");
  EXPECT_TRUE(RegDeleteEntry(registry, kHkeyCurrentUser, "Software\\Pk", "*"));
  EXPECT_EQ(desktop.registry.Value(kHkeyCurrentUser, "Software\\Pk", ""), std::nullopt);
}

TEST_F(RegistryTest, AKeyWeMayOnlyReadIsStillRead) {
  ASSERT_TRUE(RegWriteString(registry, kHkeyLocalMachine, "Software\\Locked", "v", "text"));
  desktop.registry.DenyWrite(kHkeyLocalMachine, "Software\\Locked");
  EXPECT_EQ(RegReadString(registry, kHkeyLocalMachine, "Software\\Locked", "v", "d"), "text");
  EXPECT_FALSE(RegWriteString(registry, kHkeyLocalMachine, "Software\\Locked", "v", "new"));
  EXPECT_FALSE(RegDeleteEntry(registry, kHkeyLocalMachine, "Software\\Locked", "v"));
  EXPECT_EQ(desktop.registry.Value(kHkeyLocalMachine, "Software\\Locked", "v"), "text");
}

TEST_F(RegistryTest, DeletingWithAnEmptyValueNameRemovesTheWholeKey) {
  const std::string key = "Software\\Microsoft\\Internet Explorer\\Extensions\\{X}";
  ASSERT_TRUE(RegWriteString(registry, kHkeyLocalMachine, key, "Exec", "c:\\block.exe"));
  EXPECT_TRUE(RegDeleteEntry(registry, kHkeyLocalMachine, "\\" + key, ""));
  EXPECT_FALSE(desktop.registry.HasKey(kHkeyLocalMachine, key));
  EXPECT_TRUE(desktop.registry.HasKey(kHkeyLocalMachine,
                                      "Software\\Microsoft\\Internet Explorer\\Extensions"));
  EXPECT_FALSE(RegDeleteEntry(registry, kHkeyLocalMachine, key, ""));  // already gone
}

}  // namespace
}  // namespace pelkrin
