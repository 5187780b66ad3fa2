// The line format of browser-sim's control channel, which tests and benchmarks rely on to read
// handles, captions and times exactly.
#include <gtest/gtest.h>

#include <string>

#include "tools/browser-sim/protocol.h"

namespace pelkrin::browser_sim {
namespace {

std::string ErrorOf(const std::string& text) {
  std::string error;
  const auto line = ParseLine(text, &error);
  return line ? "<parsed>" : error;
}

TEST(BrowserSimProtocol, ValuesSurviveTheRoundTripWhateverTheyHold) {
  Line line{"ok", {}, {}};
  const std::string awkward[] = {"",
                                 "plain",
                                 "two words",
                                 "say \"hi\"; bye",
                                 "C:\\tmp\\x",
                                 "tab\there, line\r\nend, \x01\x7f",
                                 "key=value",
                                 "caption     ",
                                 std::string("nul\0inside", 10),
                                 "\xE9t\xE9 \xFF"};
  for (std::size_t i = 0; i < std::size(awkward); ++i) {
    line.fields.Set("v" + std::to_string(i), awkward[i]);
  }
  line.records.emplace_back().Set("id", "1");
  line.records.emplace_back().Set("caption", "a ; b");

  const std::string text = FormatLine(line);
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
  std::string error;
  const auto parsed = ParseLine(text, &error);
  ASSERT_TRUE(parsed) << error << "\n" << text;
  EXPECT_EQ(parsed->verb, "ok");
  ASSERT_EQ(parsed->fields.items(), line.fields.items());
  ASSERT_EQ(parsed->records.size(), 2u);
  EXPECT_EQ(parsed->records[0].Get("id"), "1");
  EXPECT_EQ(parsed->records[1].Get("caption"), "a ; b");
}

TEST(BrowserSimProtocol, MalformedLinesAreRefused) {
  for (const std::string bad : {"", "title=x", "open title", "open title=\"x", "open title=\"x\"y",
                                "open title=\"\\q\"", "open title=a\"b", "open id=1 id=2"})
    EXPECT_NE(ErrorOf(bad), "<parsed>") << bad;
  EXPECT_EQ(ErrorOf("open " + std::string(kMaxLineLength, 'x')),
            "the line is longer than " + std::to_string(kMaxLineLength));
  EXPECT_EQ(ErrorOf("list ; id=1 ; id=1"), "<parsed>") << "a key may repeat across records";
}

TEST(BrowserSimProtocol, NumbersAreStrictAndHandlesKeepAllTheirBits) {
  EXPECT_EQ(ParseInt("0"), 0);
  EXPECT_EQ(ParseInt("-42"), -42);
  EXPECT_EQ(ParseInt("0x94C00000"), 0x94C00000LL);
  EXPECT_EQ(ParseInt("9223372036854775807"), 9223372036854775807LL);
  EXPECT_EQ(ParseInt("-9223372036854775808"), -9223372036854775807LL - 1);
  for (const char* bad : {"", "-", "+1", " 1", "1 ", "1.0", "12abc", "0x", "0xG",
                          "9223372036854775808", "99999999999999999999999"}) {
    EXPECT_EQ(ParseInt(bad), std::nullopt) << "'" << bad << "'";
  }
  // A 64-bit window handle that Windows sign-extended from 32 bits.
  EXPECT_EQ(ParseUnsigned(std::to_string(0xFFFFFFFF80001234ULL)), 0xFFFFFFFF80001234ULL);
  EXPECT_EQ(ParseUnsigned("18446744073709551616"), std::nullopt);
}

TEST(BrowserSimProtocol, CounterTicksBecomeMicrosecondsWithoutOverflow) {
  EXPECT_EQ(CounterToMicros(3579545 * 2 + 1, 3579545), 2000000);
  // Days of uptime at 10 MHz: ticks times a million would not fit in 64 bits.
  const std::int64_t days = 40LL * 86400;
  EXPECT_EQ(CounterToMicros(days * 10000000 + 5, 10000000), days * 1000000);
  EXPECT_EQ(CounterToMicros(123, 0), 0);
}

TEST(BrowserSimProtocol, OpenOptionsTravelAsFieldsAndBadOnesAreNamed) {
  OpenOptions options;
  options.caption = "Exact caption     ";
  options.address = "http://ads.example.net/offer?a=1&b=2";
  options.toolbars = false;
  options.container = ToolbarContainer::kWorkerA;
  options.style = 0x94C00000;
  options.x = -20;
  std::string error;
  const auto back = OpenOptionsFromFields(ToFields(options), &error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(ToFields(*back).items(), ToFields(options).items());
  EXPECT_EQ(CaptionOf(*back), "Exact caption     ");

  EXPECT_EQ(CaptionOf(OpenOptions{}), "Example Domain - Microsoft Internet Explorer");

  Fields unknown;
  unknown.Set("colour", "red");
  EXPECT_FALSE(OpenOptionsFromFields(unknown, &error));
  EXPECT_EQ(error, "unknown option 'colour'");
}

}  // namespace
}  // namespace pelkrin::browser_sim
