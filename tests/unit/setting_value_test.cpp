#include "settings/setting_value.h"

#include <gtest/gtest.h>

namespace pelkrin {
namespace {

TEST(SettingNumber, TakesTheLeadingNumberAndCountsEverythingElseAsZero) {
  const struct {
    const char* text;
    double number;
  } cases[] = {{"1", 1},    {"1.0", 1},   {"\t 1", 1},  {"12abc", 12},   {"-3", -3},
               {".5", 0.5}, {"1.5", 1.5}, {"1e2", 100}, {"1e", 1},       {"", 0},
               {"abc", 0},  {".", 0},     {"+", 0},     {"1e-999999", 0}};
  for (const auto& [text, number] : cases) EXPECT_EQ(SettingNumber(text), number) << text;
  // Huge values saturate instead of misbehaving.
  EXPECT_GT(SettingNumber(std::string(400, '9')), 1e300);
  EXPECT_GT(SettingNumber("1e999999999999"), 1e300);
  // A counter counts on from the number its text begins with.
  const std::pair<const char*, const char*> counts[] = {
      {"809", "810"}, {"abc", "1"}, {" 2.5x", "3.5"}};
  for (const auto& [text, next] : counts) EXPECT_EQ(NumberPlusOne(text), next) << text;
}

TEST(SettingInteger, NeedsTheWholeTextToBeANumberAndCheckBoxesOnlyZeroOrOne) {
  EXPECT_EQ(SettingInteger(" 1 "), 1);
  EXPECT_EQ(SettingInteger("1.0"), 1);
  EXPECT_EQ(SettingInteger("0.5"), 0);  // half to even
  EXPECT_EQ(SettingInteger("1.5"), 2);
  for (const char* junk : {"", "abc", "1x", "99999"}) EXPECT_EQ(SettingInteger(junk), std::nullopt);
  EXPECT_EQ(CheckBoxValue(" 0 "), 0);
  EXPECT_EQ(CheckBoxValue("1.0"), 1);
  for (const char* junk : {"2", "-1", "", "yes"}) EXPECT_EQ(CheckBoxValue(junk), std::nullopt);
}

}  // namespace
}  // namespace pelkrin
