#include "settings/setting_value.h"

#include <gtest/gtest.h>

#include "settings/handle_text.h"

namespace pelkrin {
namespace {

TEST(SettingNumber, TakesTheLeadingNumberAndCountsEverythingElseAsZero) {
  EXPECT_EQ(SettingNumber("1"), 1);
  EXPECT_EQ(SettingNumber("1.0"), 1);
  EXPECT_EQ(SettingNumber(" 1"), 1);
  EXPECT_EQ(SettingNumber("\t 1"), 1);
  EXPECT_EQ(SettingNumber("12abc"), 12);
  EXPECT_EQ(SettingNumber("-3"), -3);
  EXPECT_EQ(SettingNumber(".5"), 0.5);
  EXPECT_EQ(SettingNumber("1e2"), 100);
  EXPECT_EQ(SettingNumber("1e"), 1);
  EXPECT_EQ(SettingNumber(""), 0);
  EXPECT_EQ(SettingNumber("abc"), 0);
  EXPECT_EQ(SettingNumber("."), 0);
  EXPECT_EQ(SettingNumber("+"), 0);
  EXPECT_NE(SettingNumber("1.5"), 1);
}

TEST(SettingNumber, HugeValuesSaturateInsteadOfMisbehaving) {
  EXPECT_GT(SettingNumber(std::string(400, '9')), 1e300);
  EXPECT_GT(SettingNumber("1e999999999999"), 1e300);
  EXPECT_EQ(SettingNumber("1e-999999"), 0);
}

TEST(SettingInteger, NeedsTheWholeTextToBeANumber) {
  EXPECT_EQ(SettingInteger("0"), 0);
  EXPECT_EQ(SettingInteger(" 1 "), 1);
  EXPECT_EQ(SettingInteger("1.0"), 1);
  EXPECT_EQ(SettingInteger("0.5"), 0);  // half to even
  EXPECT_EQ(SettingInteger("1.5"), 2);
  EXPECT_EQ(SettingInteger(""), std::nullopt);
  EXPECT_EQ(SettingInteger("abc"), std::nullopt);
  EXPECT_EQ(SettingInteger("1x"), std::nullopt);
  EXPECT_EQ(SettingInteger("99999"), std::nullopt);
}

TEST(HandleText, RoundTripsHandlesAndReadsJunkAsNone) {
  EXPECT_EQ(HandleFromText(HandleToText(0x0001002A)), 0x0001002Au);
  EXPECT_EQ(HandleToText(65578), "65578");
  EXPECT_EQ(HandleFromText(""), kNoWindow);
  EXPECT_EQ(HandleFromText("0"), kNoWindow);
  EXPECT_EQ(HandleFromText("-5"), kNoWindow);
  EXPECT_EQ(HandleFromText("99999999999"), kNoWindow);
  EXPECT_EQ(HandleFromText("garbage"), kNoWindow);
  EXPECT_EQ(HandleFromText("4294967295"), 4294967295u);
}

}  // namespace
}  // namespace pelkrin

namespace pelkrin {
namespace {

TEST(CheckBoxValue, OnlyZeroAndOneSetABox) {
  EXPECT_EQ(CheckBoxValue("1"), 1);
  EXPECT_EQ(CheckBoxValue(" 0 "), 0);
  EXPECT_EQ(CheckBoxValue("1.0"), 1);
  EXPECT_EQ(CheckBoxValue("2"), std::nullopt);
  EXPECT_EQ(CheckBoxValue("-1"), std::nullopt);
  EXPECT_EQ(CheckBoxValue(""), std::nullopt);
  EXPECT_EQ(CheckBoxValue("yes"), std::nullopt);
}

}  // namespace
}  // namespace pelkrin
