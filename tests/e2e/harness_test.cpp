// Checks of the end-to-end harness itself, for the parts whose failure would make a scenario
// pass wrongly or read memory it does not own.
#include <string>

#include "harness.h"

namespace pelkrin::e2e {
namespace {

TEST(Harness, ProgramCopyReplacesAnEarlierRunAndWritesSeedsByteForByte) {
  const std::string name = "Harness.ProgramCopySeeds";
  const std::string folder = JoinPath(RunsDir(), name);
  {
    ProgramCopy earlier(name, {{"pk.sys", "[pk]\r\nPLAY_SOUND=1\r\n"}});
    ASSERT_TRUE(earlier.ok());
    ASSERT_TRUE(::CreateDirectoryA(JoinPath(folder, "old").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(JoinPath(folder, "old\\list.txt"), "stale"));
  }
  const std::string seed("a\r\nb\0c\xff", 7);
  ProgramCopy copy(name, {{"seed.bin", seed}});
  ASSERT_TRUE(copy.ok());
  EXPECT_TRUE(copy.Exists(ProgramCopy::kExeName));
  EXPECT_FALSE(copy.Exists("pk.sys"));
  EXPECT_FALSE(copy.Exists("old"));
  EXPECT_EQ(copy.ReadFile("seed.bin"), seed);
  EXPECT_EQ(copy.ReadFile("missing.txt"), std::nullopt);
}

TEST(Harness, ProcessIsTerminatedWhenItsOwnerGoes) {
  ProgramCopy copy;
  ASSERT_TRUE(copy.ok());
  win32::ScopedKernelHandle watcher;
  {
    Process process = copy.StartAnother();
    ASSERT_TRUE(process.valid());
    watcher.Reset(::OpenProcess(SYNCHRONIZE, FALSE, process.id()));
    ASSERT_TRUE(watcher);
    EXPECT_TRUE(process.Running());
    EXPECT_EQ(process.ExitCode(), std::nullopt);
  }
  EXPECT_EQ(::WaitForSingleObject(watcher.Get(), 0), WAIT_OBJECT_0);
}

TEST(Harness, CaptureComparisonLooksOnlyInsideTheClippedArea) {
  Capture before;
  before.width = 8;
  before.height = 4;
  before.bgr.assign(8 * 4 * 3, 0x40);
  Capture after = before;
  after.bgr[(2 * 8 + 6) * 3] = 0x41;  // pixel (6, 2)
  EXPECT_TRUE(after.DiffersIn(before, RECT{4, 0, 8, 4}));
  EXPECT_FALSE(after.DiffersIn(before, RECT{0, 0, 4, 4}));
  EXPECT_TRUE(after.HasDetailIn(RECT{5, 1, 7, 3}));
  EXPECT_FALSE(before.HasDetailIn(RECT{0, 0, 8, 4}));
  // Areas reaching past the screen are clipped rather than read out of bounds.
  EXPECT_TRUE(after.DiffersIn(before, RECT{-100, -100, 1000, 1000}));
  EXPECT_FALSE(after.HasDetailIn(RECT{20, 20, 30, 30}));
}

TEST(Harness, RegistryTreeGoesWithAllItsSubkeys) {
  const std::string key = "Software\\PelkrinE2eHarness";
  HKEY created = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, (key + "\\Inner\\Deeper").c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &created, nullptr),
            ERROR_SUCCESS);
  ::RegCloseKey(created);
  EXPECT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, key));
  EXPECT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &created),
            ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, key)) << "nothing there is no failure";
}

}  // namespace
}  // namespace pelkrin::e2e
