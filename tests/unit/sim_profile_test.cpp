// The simulated private-profile functions against the bytes and answers Wine gives for the same
// calls (the Windows end-to-end suite checks the same sequence against the real functions).
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_desktop.h"

namespace pelkrin::sim {
namespace {

using namespace std::string_literals;

constexpr char kIni[] = "C:\\Program Files\\Pelkrin\\pk.sys";

class SimProfileTest : public ::testing::Test {
 protected:
  std::string Read(const std::string& section, const std::string& key,
                   const std::string& fallback = "(none)", std::size_t buffer = 256) {
    return desktop.profile.Read(kIni, section, key, fallback, buffer);
  }
  SimDesktop desktop;
};

TEST_F(SimProfileTest, WriteSequenceGivesTheBytesWindowsWrites) {
  auto& ini = desktop.profile;
  EXPECT_TRUE(ini.Write(kIni, "Settings", "Alpha", "1"));
  EXPECT_TRUE(ini.Write(kIni, "Settings", "Beta", ""));
  EXPECT_TRUE(ini.Write(kIni, "Other", "X", "y"));
  EXPECT_TRUE(ini.Write(kIni, "settings", "ALPHA", "2"));  // keeps the first spelling
  EXPECT_TRUE(ini.Write(kIni, "SETTINGS", "Gamma", "3"));  // appended to its section
  EXPECT_TRUE(ini.Write(kIni, "  Third ", "  Key2  ", "  value  "));
  EXPECT_EQ(desktop.files.Bytes(kIni),
            "[Settings]\r\nAlpha=2\r\nBeta=\r\nGamma=3\r\n"
            "[Other]\r\nX=y\r\n"
            "[Third ]\r\nKey2  =value  \r\n");

  EXPECT_EQ(Read("third", "KEY2"), "value");  // blanks trimmed, case ignored
  EXPECT_EQ(Read("Settings", "Beta"), "");    // an empty value is not the fallback
  EXPECT_EQ(Read("Settings", "Missing", "def  "), "def");
  EXPECT_EQ(Read("Nowhere", "X", "fallback"), "fallback");
  EXPECT_EQ(desktop.profile.Read("C:\\missing.ini", "Other", "X", "none", 256), "none");
}

TEST_F(SimProfileTest, ValuesAreCutToTheBufferLikeTheRealReader) {
  ASSERT_TRUE(desktop.profile.Write(kIni, "S", "Big", std::string(800, 'x')));
  EXPECT_EQ(Read("S", "Big", "", 750), std::string(749, 'x'));
  EXPECT_EQ(Read("S", "Big", "", 1), "");
  EXPECT_EQ(Read("S", "Big", "", 0), "");
  EXPECT_EQ(Read("S", "Missing", "0123456789", 5), "0123");

  // One pair of outer quotes goes; a cut exactly at the closing quote loses one more character.
  desktop.files.Put(kIni, "[B]\nq=\"quoted\"\nd=\"\"\ns=\"\n");
  EXPECT_EQ(Read("B", "q"), "quoted");
  EXPECT_EQ(Read("B", "q", "", 4), "quo");
  EXPECT_EQ(Read("B", "q", "", 7), "quote");
  EXPECT_EQ(Read("B", "q", "", 8), "quoted");
  EXPECT_EQ(Read("B", "d"), "");
  EXPECT_EQ(Read("B", "s"), "\"");
  EXPECT_EQ(Read("B", "none", "\"dq\"  "), "dq");
  EXPECT_EQ(Read("B", "none", "  lead"), "  lead");
}

TEST_F(SimProfileTest, HandEditedFileIsReadLeniently) {
  desktop.files.Put(kIni,
                    "; top comment\n\n[A]\nk1 = v1 \n\n; comment in A\n\n[B]\nq=\"quoted\"\n"
                    "noequals\n[ Sp ]\nz=1\n[A]\ndup=2\nlast=end");
  EXPECT_EQ(Read("a", "K1"), "v1");
  EXPECT_EQ(Read("B", "noequals", "d"), "d");  // a line without '=' is no value
  EXPECT_EQ(Read("sp", "z"), "1");
  EXPECT_EQ(Read("A", "dup", "d"), "d");  // only the first [A] counts
  EXPECT_EQ(Read("", "; top comment", "d"), "d");
}

TEST_F(SimProfileTest, WriteReemitsAHandEditedFileAsWineDoes) {
  desktop.files.Put(kIni,
                    "; top comment\n\n[A]\nk1 = v1 \n\n; comment in A\n\n[B]\nq=\"quoted\"\n"
                    "r='x'\nnoequals\n[ Sp ]\nz=1\n[A]\ndup=2\nlast=end");
  ASSERT_TRUE(desktop.profile.Write(kIni, "A", "k2", "v2"));
  EXPECT_EQ(desktop.files.Bytes(kIni),
            "; top comment\r\n[A]\r\nk1=v1\r\n; comment in A\r\nk2=v2\r\n[B]\r\nq=\"quoted\"\r\n"
            "r='x'\r\nnoequals\r\n[Sp]\r\nz=1\r\n[A]\r\ndup=2\r\nlast=end\r\n");
}

TEST_F(SimProfileTest, WritingTheSameValueLeavesTheFileUntouched) {
  desktop.files.Put(kIni, "[B]\nq=\"quoted\"\n");
  EXPECT_TRUE(desktop.profile.Write(kIni, "b", "Q", "  \"quoted\""));
  EXPECT_EQ(desktop.files.WriteCount(kIni), 0);
  EXPECT_EQ(desktop.files.Bytes(kIni), "[B]\nq=\"quoted\"\n");
  EXPECT_EQ(desktop.profile.Writes().size(), 1u);  // the call itself is still recorded

  EXPECT_TRUE(desktop.profile.Write(kIni, "B", "new", "v"));
  EXPECT_EQ(desktop.files.Bytes(kIni), "[B]\r\nq=\"quoted\"\r\nnew=v\r\n");
}

TEST_F(SimProfileTest, NewKeysAndSectionsFollowAFileWithoutFinalLineEnd) {
  desktop.files.Put(kIni, "[A]\r\nk=1");
  ASSERT_TRUE(desktop.profile.Write(kIni, "A", "n", "2"));
  ASSERT_TRUE(desktop.profile.Write(kIni, "B", "m", "3"));
  EXPECT_EQ(desktop.files.Bytes(kIni), "[A]\r\nk=1\r\nn=2\r\n[B]\r\nm=3\r\n");
}

TEST_F(SimProfileTest, ReadOnlyFolderRefusesTheWriteAndCreatesNothing) {
  desktop.files.SetReadOnlyFolder("C:\\Program Files", true);
  EXPECT_FALSE(desktop.profile.Write(kIni, "S", "K", "V"));
  EXPECT_FALSE(desktop.files.Exists(kIni));
  EXPECT_EQ(Read("S", "K", "fallback"), "fallback");
}

TEST_F(SimProfileTest, FullDiskLeavesATruncatedFileAndReportsFailure) {
  ASSERT_TRUE(desktop.profile.Write(kIni, "S", "K", "V"));
  desktop.files.FailWritesAfter(5);
  EXPECT_FALSE(desktop.profile.Write(kIni, "S", "L", "W"));
  EXPECT_EQ(desktop.files.Bytes(kIni), "[S]\r\n");  // written in place: the rest is lost
}

TEST_F(SimProfileTest, JunkAndUnusualLineEndsDoNotUpsetTheReader) {
  desktop.files.Put(kIni, "[A]\r\nk\0=1\r[B]\rk=2\nz=3"s);
  EXPECT_EQ(Read("A", "k"), "1");  // a name ends at a NUL
  EXPECT_EQ(Read("B", "k"), "2");  // a lone CR ends a line
  EXPECT_EQ(Read("B", "z"), "3");
  EXPECT_EQ(Read("A", "z", "d"), "d");

  desktop.files.Put(kIni, "\x01\x02[A\xff]\r\nk\0=1\r[A]\rk=2"s);
  EXPECT_EQ(Read("A", "k", "d"), "2");

  desktop.files.Put(kIni, "\xEF\xBB\xBF[A]\r\nk=3\r\n"s);
  EXPECT_EQ(Read("A", "k"), "3");  // a UTF-8 mark is not part of the first line
  ASSERT_TRUE(desktop.profile.Write(kIni, "A", "k", "4"));
  EXPECT_EQ(desktop.files.Bytes(kIni), "\xEF\xBB\xBF[A]\r\nk=4\r\n");

  desktop.files.Put(kIni, "[A]\r\n=1\r\n=2\r\nk=a=b\t\x1a\r\n"s);
  EXPECT_EQ(Read("A", "k"), "a=b");
  EXPECT_EQ(Read("A", ""), "1");
  ASSERT_TRUE(desktop.profile.Write(kIni, "A", "k", "5"));
  EXPECT_EQ(desktop.files.Bytes(kIni), "[A]\r\n=1\r\nk=5\r\n");  // unnamed twice: once

  desktop.files.Put(kIni, "");
  EXPECT_EQ(Read("A", "k", "   "), " ");  // a blank fallback keeps one blank
}

TEST_F(SimProfileTest, BareFileNameGoesToTheWindowsFolder) {
  ASSERT_TRUE(desktop.profile.Write("pk.ini", "S", "K", "V"));
  EXPECT_TRUE(desktop.files.Exists("C:\\WINDOWS\\pk.ini"));
  EXPECT_EQ(desktop.profile.Read("pk.ini", "S", "K", "", 16), "V");
}

}  // namespace
}  // namespace pelkrin::sim
