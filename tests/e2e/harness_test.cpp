// Checks of the end-to-end harness itself, for the parts whose failure would make a scenario
// pass wrongly or read memory it does not own.
#include <string>

#include "harness.h"

namespace pelkrin::e2e {
namespace {

using Seeds = std::map<std::string, std::string>;

TEST(Harness, ProgramCopyReplacesAnEarlierRunAndWritesSeedsByteForByte) {
  {
    ProgramCopy earlier(Seeds{{"pk.sys", "[pk]\r\nPLAY_SOUND=1\r\n"}});
    ASSERT_TRUE(earlier.ok());
    ASSERT_TRUE(::CreateDirectoryA(earlier.Path("old").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(earlier.Path("old\\list.txt"), "stale"));
    ASSERT_TRUE(
        ::SetFileAttributesA(earlier.Path("old\\list.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  }
  const std::string seed("a\r\nb\0c\xff", 7);
  ProgramCopy copy(Seeds{{"seed.bin", seed}});
  ASSERT_TRUE(copy.ok());
  EXPECT_TRUE(copy.Exists(ProgramCopy::kExeName));
  EXPECT_FALSE(copy.Exists("pk.sys"));
  EXPECT_FALSE(copy.Exists("old"));
  EXPECT_EQ(copy.ReadFile("seed.bin"), seed);
  EXPECT_EQ(copy.ReadFile("missing.txt"), std::nullopt);
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

}  // namespace
}  // namespace pelkrin::e2e
