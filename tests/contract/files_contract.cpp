// Files with Windows path rules, and the private-profile functions over them: the bytes they
// write and how they read what people and other programs write.
#include <string>
#include <vector>

#include "contract.h"

namespace pelkrin::contract {
namespace {

using namespace std::string_literals;
using Names = std::vector<std::string>;

// ---- Files ----

TEST_P(FileSystemContract, PathsIgnoreCaseAndListingsHoldFilesInNameOrder) {
  FileSystem& files = world().files();
  const std::string folder = world().Folder();
  ASSERT_TRUE(files.ReplaceFile(folder + "\\One.TXT", "1"));
  ASSERT_TRUE(files.ReplaceFile(folder + "/two.txt", "2"));
  ASSERT_TRUE(files.ReplaceFile(folder + "\\notes", "4"));
  world().MakeFolder(folder + "\\sub.txt");
  EXPECT_EQ(files.ReadFile(folder + "\\ONE.txt"), (FileContents{"1"}));
  EXPECT_EQ(files.ListFiles(folder + "\\", "*.txt"), (Names{"One.TXT", "two.txt"}));
  EXPECT_EQ(files.ListFiles(folder, "*.*"), (Names{"notes", "One.TXT", "two.txt"}));
  EXPECT_EQ(files.ListFiles(folder, "?wo.*"), Names{"two.txt"});
  EXPECT_EQ(files.ListFiles(folder + "\\missing", "*"), std::nullopt) << "no folder: no listing";
  EXPECT_EQ(files.ListFiles(folder + "\\One.TXT", "*"), std::nullopt) << "a file is no folder";
  EXPECT_EQ(files.ReadFile(folder + "\\missing.txt"), std::nullopt);
  EXPECT_EQ(files.ReadFile(folder + "\\bad|name.txt"), std::nullopt);
  EXPECT_TRUE(files.DeleteFile(folder + "\\one.txt"));
  EXPECT_FALSE(files.DeleteFile(folder + "\\One.TXT"));
}

TEST_P(FileSystemContract, ReplaceFileWritesEveryByteOrKeepsTheOldFileAndLeavesNothingElse) {
  FileSystem& files = world().files();
  const std::string folder = world().Folder();
  ASSERT_TRUE(files.ReplaceFile(folder + "\\captions.txt", "first\r\n"));
  ASSERT_TRUE(files.ReplaceFile(folder + "\\captions.txt", "second\0\r\n\xff"s));
  EXPECT_EQ(files.ReadFile(folder + "\\captions.txt"), (FileContents{"second\0\r\n\xff"s}));
  ASSERT_TRUE(files.ReplaceFile(folder + "\\empty.txt", ""));
  EXPECT_EQ(files.ReadFile(folder + "\\EMPTY.txt"), (FileContents{""}));

  EXPECT_FALSE(files.ReplaceFile(folder + "\\", "x"));
  EXPECT_FALSE(files.ReplaceFile(folder + "\\bad<name>.txt", "x"));
  EXPECT_FALSE(files.ReplaceFile("", "x"));
  if (world().has_folders) {
    EXPECT_FALSE(files.ReplaceFile(folder + "\\no such folder\\x.txt", "x"));
    world().MakeFolder(folder + "\\blocked");  // the final move fails: a folder is in the way
    EXPECT_FALSE(files.ReplaceFile(folder + "\\blocked", "x"));
  }
  EXPECT_EQ(files.ListFiles(folder, "*"), (Names{"captions.txt", "empty.txt"}))
      << "no temporary file is left over";

  const auto fixed = world().UnwritableFile();
  if (!fixed) GTEST_SKIP() << "no file that nobody may write";
  const auto before = files.ReadFile(*fixed);
  ASSERT_TRUE(before.has_value());
  EXPECT_FALSE(files.ReplaceFile(*fixed, "replaced"));
  EXPECT_FALSE(files.DeleteFile(*fixed));
  EXPECT_EQ(files.ReadFile(*fixed), before);
}

// ---- Private-profile files ----

class Profile {
 public:
  explicit Profile(FileWorld& world) : world_(world), path_(world.Folder() + "\\pk.sys") {}
  std::string Read(const std::string& section, const std::string& key,
                   const std::string& fallback = "(none)", std::size_t buffer = 256) {
    return world_.profile().Read(path_, section, key, fallback, buffer);
  }
  bool Write(const std::string& section, const std::string& key, const std::string& value) {
    return world_.profile().Write(path_, section, key, value);
  }
  void Put(const std::string& bytes) { ASSERT_TRUE(world_.files().ReplaceFile(path_, bytes)); }
  std::string Bytes() {
    return world_.files().ReadFile(path_).value_or(FileContents{"<missing>"}).bytes;
  }
  const std::string& path() const { return path_; }

 private:
  FileWorld& world_;
  std::string path_;
};

TEST_P(ProfileFileContract, WritesGiveTheseBytesAndReadBackTrimmed) {
  Profile ini(world());
  EXPECT_TRUE(ini.Write("Settings", "Alpha", "1"));
  EXPECT_TRUE(ini.Write("Settings", "Beta", ""));
  EXPECT_TRUE(ini.Write("Other", "X", "y"));
  EXPECT_TRUE(ini.Write("settings", "ALPHA", "2"));  // keeps the first spelling
  EXPECT_TRUE(ini.Write("SETTINGS", "Gamma", "3"));  // appended to its section
  EXPECT_TRUE(ini.Write("  Third ", "  Key2  ", "  value  "));
  EXPECT_EQ(ini.Bytes(),
            "[Settings]\r\nAlpha=2\r\nBeta=\r\nGamma=3\r\n"
            "[Other]\r\nX=y\r\n"
            "[Third ]\r\nKey2  =value  \r\n");

  EXPECT_EQ(ini.Read("third", "KEY2"), "value");  // blanks trimmed, case ignored
  EXPECT_EQ(ini.Read("Settings", "Beta"), "");    // an empty value is not the fallback
  EXPECT_EQ(ini.Read("Settings", "Missing", "def  "), "def");
  EXPECT_EQ(ini.Read("Nowhere", "X", "fallback"), "fallback");
  EXPECT_EQ(world().profile().Read(world().Folder() + "\\missing.ini", "Other", "X", "none", 256),
            "none");
  if (world().has_folders) {
    EXPECT_FALSE(
        world().profile().Write(world().Folder() + "\\no such folder\\pk.sys", "S", "K", "V"));
  }
}

TEST_P(ProfileFileContract, ValuesAreCutToTheBufferAndLoseOnePairOfQuotes) {
  Profile ini(world());
  ASSERT_TRUE(ini.Write("S", "Big", std::string(800, 'x')));
  EXPECT_EQ(ini.Read("S", "Big", "", 750), std::string(749, 'x'));
  EXPECT_EQ(ini.Read("S", "Big", "", 1), "");
  EXPECT_EQ(ini.Read("S", "Big", "", 0), "");
  EXPECT_EQ(ini.Read("S", "Missing", "0123456789", 5), "0123");

  // A cut exactly at the closing quote loses one more character.
  ini.Put("[B]\nq=\"quoted\"\nd=\"\"\ns=\"\n");
  EXPECT_EQ(ini.Read("B", "q"), "quoted");
  EXPECT_EQ(ini.Read("B", "q", "", 4), "quo");
  EXPECT_EQ(ini.Read("B", "q", "", 7), "quote");
  EXPECT_EQ(ini.Read("B", "q", "", 8), "quoted");
  EXPECT_EQ(ini.Read("B", "d"), "");
  EXPECT_EQ(ini.Read("B", "s"), "\"");
  EXPECT_EQ(ini.Read("B", "none", "\"dq\"  "), "dq");
  EXPECT_EQ(ini.Read("B", "none", "  lead"), "  lead");
}

TEST_P(ProfileFileContract, HandEditedFilesAreReadLeniently) {
  Profile ini(world());
  ini.Put(
      "; top comment\n\n[A]\nk1 = v1 \n\n; comment in A\n\n[B]\nq=\"quoted\"\n"
      "r='x'\nnoequals\n[ Sp ]\nz=1\n[A]\ndup=2\nlast=end");
  EXPECT_EQ(ini.Read("a", "K1"), "v1");
  EXPECT_EQ(ini.Read("B", "noequals", "d"), "d");  // a line without '=' is no value
  EXPECT_EQ(ini.Read("sp", "z"), "1");
  EXPECT_EQ(ini.Read("A", "dup", "d"), "d");  // only the first [A] counts
  EXPECT_EQ(ini.Read("", "; top comment", "d"), "d");

  if (!world().rewrites_profile_files) return;
  ASSERT_TRUE(ini.Write("A", "k2", "v2"));
  EXPECT_EQ(ini.Bytes(),
            "; top comment\r\n[A]\r\nk1=v1\r\n; comment in A\r\nk2=v2\r\n[B]\r\nq=\"quoted\"\r\n"
            "r='x'\r\nnoequals\r\n[Sp]\r\nz=1\r\n[A]\r\ndup=2\r\nlast=end\r\n");
}

TEST_P(ProfileFileContract, WritingTheValueAKeyHasLeavesTheFileAlone) {
  Profile ini(world());
  ini.Put("[B]\nq=\"quoted\"\n");
  EXPECT_TRUE(ini.Write("b", "Q", "  \"quoted\""));
  EXPECT_EQ(ini.Bytes(), "[B]\nq=\"quoted\"\n");
  EXPECT_TRUE(ini.Write("B", "new", "v"));
  EXPECT_EQ(ini.Bytes(), "[B]\r\nq=\"quoted\"\r\nnew=v\r\n");

  ini.Put("[A]\r\nk=1");  // no line end after the last line
  ASSERT_TRUE(ini.Write("A", "n", "2"));
  ASSERT_TRUE(ini.Write("B", "m", "3"));
  EXPECT_EQ(ini.Bytes(), "[A]\r\nk=1\r\nn=2\r\n[B]\r\nm=3\r\n");
}

TEST_P(ProfileFileContract, JunkAndUnusualLineEndsDoNotUpsetTheReader) {
  Profile ini(world());
  ini.Put("[A]\r\nk\0=1\r[B]\rk=2\nz=3"s);
  EXPECT_EQ(ini.Read("A", "k"), "1");  // a name ends at a NUL
  EXPECT_EQ(ini.Read("B", "k"), "2");  // a lone CR ends a line
  EXPECT_EQ(ini.Read("B", "z"), "3");
  EXPECT_EQ(ini.Read("A", "z", "d"), "d");

  ini.Put("\x01\x02[A\xff]\r\nk\0=1\r[A]\rk=2"s);
  EXPECT_EQ(ini.Read("A", "k", "d"), "2");

  ini.Put("\xEF\xBB\xBF[A]\r\nk=3\r\n"s);
  EXPECT_EQ(ini.Read("A", "k"), "3");  // a UTF-8 mark is not part of the first line
  ASSERT_TRUE(ini.Write("A", "k", "4"));
  EXPECT_EQ(ini.Bytes(), "\xEF\xBB\xBF[A]\r\nk=4\r\n");

  ini.Put("[A]\r\n=1\r\n=2\r\nk=a=b\t\x1a\r\n"s);
  EXPECT_EQ(ini.Read("A", "k"), "a=b");
  EXPECT_EQ(ini.Read("A", ""), "1");
  ASSERT_TRUE(ini.Write("A", "k", "5"));
  if (world().rewrites_profile_files) {
    EXPECT_EQ(ini.Bytes(), "[A]\r\n=1\r\nk=5\r\n");  // unnamed twice: once
  }

  ini.Put("");
  EXPECT_EQ(ini.Read("A", "k", "   "), " ");  // a blank fallback keeps one blank
}

TEST_P(ProfileFileContract, ABareFileNameIsInTheWindowsFolder) {
  const std::string name = "PelkrinContract.ini";
  ASSERT_TRUE(world().profile().Write(name, "S", "K", "V"));
  const std::string path = world().WindowsFolder() + "\\" + name;
  EXPECT_EQ(world().files().ReadFile(path), (FileContents{"[S]\r\nK=V\r\n"}));
  EXPECT_EQ(world().profile().Read(name, "S", "K", "", 16), "V");
  EXPECT_TRUE(world().files().DeleteFile(path));
}

}  // namespace
}  // namespace pelkrin::contract
