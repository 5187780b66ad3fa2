#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_desktop.h"
#include "settings/registry_routines.h"
#include "test_support.h"

namespace pelkrin {
namespace {

using testing::kFolder;
using testing::kSettingsPath;

struct SettingsTest : ::testing::Test {
  sim::SimDesktop desktop;
  SettingsStore store{desktop.profile, kFolder};
};

TEST_F(SettingsTest, WritesUpperCaseKeysAndFindsThemInAnyCase) {
  EXPECT_EQ(store.Path(), kSettingsPath);
  store.WriteSetting("play_sound", "1");
  EXPECT_EQ(desktop.files.Bytes(kSettingsPath), "[pk]\r\nPLAY_SOUND=1\r\n");
  EXPECT_EQ(store.ReadSetting("play_sound"), "1");
  EXPECT_EQ(store.ReadSetting("PLAY_SOUND"), "1");
}

TEST_F(SettingsTest, AKeyWrittenByHandInLowerCaseIsFoundAndOverwrittenInPlace) {
  desktop.files.Put(kSettingsPath, "[pk]\r\nplay_sound=1\r\nsuper_mode=0\r\n");
  EXPECT_EQ(store.ReadSetting("play_sound"), "1");
  store.WriteSetting("play_sound", "0");
  EXPECT_EQ(desktop.files.Bytes(kSettingsPath), "[pk]\r\nplay_sound=0\r\nsuper_mode=0\r\n");
}

TEST_F(SettingsTest, MissingAndEmptyValuesBothReadAsEmpty) {
  EXPECT_EQ(store.ReadSetting("home_page"), "");  // no file at all
  store.WriteSetting("block_tmp", "");
  EXPECT_EQ(store.ReadSetting("block_tmp"), "");
  EXPECT_EQ(desktop.files.Bytes(kSettingsPath), "[pk]\r\nBLOCK_TMP=\r\n");  // the key stays
  EXPECT_EQ(store.ReadSetting("not_there"), "");
}

TEST_F(SettingsTest, LongValuesComeBackCutTo749Characters) {
  store.WriteSetting("home_page", std::string(800, 'a'));
  EXPECT_EQ(store.ReadSetting("home_page"), std::string(749, 'a'));
}

TEST_F(SettingsTest, AReadOnlyFolderFailsSilentlyAndKeepsReadingEmpty) {
  desktop.files.SetReadOnlyFolder(kFolder, true);
  store.WriteSetting("super_mode", "1");
  EXPECT_FALSE(desktop.files.Exists(kSettingsPath));
  EXPECT_EQ(store.ReadSetting("super_mode"), "");
}

// ---- registry routines ----

constexpr char kMain[] = "Software\\Microsoft\\Internet Explorer\\Main";

struct RegistryTest : ::testing::Test {
  sim::SimDesktop desktop;
  Registry& registry = desktop.registry;
  void TearDown() override { EXPECT_EQ(desktop.registry.OpenHandleCount(), 0u) << "a key leaked"; }
};

TEST(TrimKeyPath, DropsOneBackslashAtEachEnd) {
  EXPECT_EQ(TrimKeyPath("\\Software\\X\\"), "Software\\X");
  EXPECT_EQ(TrimKeyPath("\\\\Software\\\\"), "\\Software\\");
  EXPECT_EQ(TrimKeyPath("\\"), "");
  EXPECT_EQ(TrimKeyPath(""), "");
}

TEST_F(RegistryTest, WrittenTextReadsBackThroughEitherSpellingOfThePath) {
  ASSERT_TRUE(
      RegWriteString(registry, kHkeyCurrentUser, kMain, "Start Page", "http://www.example.com/"));
  EXPECT_EQ(RegReadString(registry, kHkeyCurrentUser, std::string("\\") + kMain + "\\",
                          "Start Page", "none"),
            "http://www.example.com/");
  EXPECT_EQ(desktop.registry.Value(kHkeyCurrentUser, kMain, "Start Page"),
            "http://www.example.com/");
}

TEST_F(RegistryTest, MissingKeysValuesAndEmptyDataGiveTheDefault) {
  EXPECT_EQ(RegReadString(registry, kHkeyCurrentUser, "Software\\Nowhere", "x", "dflt"), "dflt");
  ASSERT_TRUE(RegWriteString(registry, kHkeyCurrentUser, kMain, "Other", "1"));
  EXPECT_EQ(RegReadString(registry, kHkeyCurrentUser, kMain, "Start Page", "dflt"), "dflt");
  desktop.registry.PutData(kHkeyCurrentUser, kMain, "Start Page", "");  // no data at all
  EXPECT_EQ(RegReadString(registry, kHkeyCurrentUser, kMain, "Start Page", "dflt"), "dflt");
  desktop.registry.PutData(kHkeyCurrentUser, kMain, "Start Page", std::string(1, '\0'));
  EXPECT_EQ(RegReadString(registry, kHkeyCurrentUser, kMain, "Start Page", "dflt"), "")
      << "an empty string is a value, not a missing one";
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
  ASSERT_TRUE(RegWriteString(registry, kHkeyLocalMachine, key, "ButtonText", "Block"));
  ASSERT_TRUE(RegWriteString(registry, kHkeyLocalMachine, key, "Exec", "c:\\block.exe"));
  EXPECT_TRUE(RegDeleteEntry(registry, kHkeyLocalMachine, "\\" + key, ""));
  EXPECT_FALSE(desktop.registry.HasKey(kHkeyLocalMachine, key));
  EXPECT_TRUE(desktop.registry.HasKey(kHkeyLocalMachine,
                                      "Software\\Microsoft\\Internet Explorer\\Extensions"));
  EXPECT_FALSE(RegDeleteEntry(registry, kHkeyLocalMachine, key, ""));  // already gone
  EXPECT_FALSE(RegDeleteEntry(registry, kHkeyLocalMachine, key, "Exec"));
}

}  // namespace
}  // namespace pelkrin
