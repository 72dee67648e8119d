#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "TempDirTestSupport.h"
#include "core/catalogue/GenreList.h"
#include "core/common/AtomicFile.h"
#include "core/settings/DataFileRecovery.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsKeys.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

using IniFileTest = test::TempDirTest;

TEST_F(IniFileTest, WritesCodePage932WithCrLfAndReadsItBack) {
  IniFile ini;
  ini.WriteInteger("Window", "Top", 50);
  ini.WriteString("Window", "Dir", "/音楽/アニメ");
  ini.WriteBool("Option", "ExtOmit", true);
  const fs::path path = dir_ / "NR284.ini";
  ASSERT_TRUE(ini.Save(path));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes.substr(0, 18), "[Window]\r\nTop=50\r\n");
  EXPECT_NE(bytes.find("Dir=/\x89\xb9\x8a\x79/"), std::string::npos);  // 音楽 in code page 932
  IniFile back = IniFile::Load(path);
  EXPECT_EQ(back.ReadInteger("window", "TOP", 0), 50);
  EXPECT_EQ(back.ReadString("Window", "Dir"), "/音楽/アニメ");
  EXPECT_TRUE(back.ReadBool("Option", "ExtOmit", false));
  EXPECT_FALSE(fs::exists(dir_ / "NR284.ini.tmp~"));
}

TEST_F(IniFileTest, TextOutsideTheCodePageMakesTheFileUtf8WithBom) {
  IniFile ini;
  ini.WriteString("Window", "Dir", "/음악");
  const fs::path path = dir_ / "NR284.ini";
  ASSERT_TRUE(ini.Save(path));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(IniFile::Load(path).ReadString("Window", "Dir"), "/음악");
}

TEST(IniFileParse, IntegersBooleansAndDefaults) {
  IniFile ini = IniFile::Parse(
      "[Option]\r\nMemoSize=abc\r\nTimeStamp=5\r\nExtOmit=0\r\nColorNC=-2147483640\r\n"
      "Hex=$80000008\r\nBig=99999999999\r\n");
  EXPECT_EQ(ini.ReadInteger("Option", "MemoSize", 82), 82);  // non-numeric
  EXPECT_EQ(ini.ReadInteger("Option", "Missing", 7), 7);     // missing
  EXPECT_TRUE(ini.ReadBool("Option", "TimeStamp", false));   // any non-zero
  EXPECT_FALSE(ini.ReadBool("Option", "ExtOmit", true));
  EXPECT_EQ(ini.ReadInteger("Option", "ColorNC", 0), static_cast<int>(0x80000008u));
  EXPECT_EQ(ini.ReadInteger("Option", "Hex", 0), static_cast<int>(0x80000008u));
  EXPECT_EQ(ini.ReadInteger("Option", "Big", 3), 3);  // out of range
}

TEST(IniFileParse, GarbageAndHalfWrittenFilesNeverFail) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
  IniFile garbage = IniFile::Parse(binary);
  EXPECT_EQ(garbage.ReadInteger("Window", "Top", settings::window::kTopDefault), 50);
  IniFile half = IniFile::Parse("[Window]\r\nTop=12\r\nLef");
  EXPECT_EQ(half.ReadInteger("Window", "Top", 50), 12);
  EXPECT_EQ(half.ReadInteger("Window", "Left", 100), 100);
  EXPECT_EQ(IniFile::Parse("").Sections().size(), 0u);
  // Keys before any section, duplicate keys: ignored / first wins.
  IniFile odd = IniFile::Parse("a=1\n[S]\nk=1\nk=2\n");
  EXPECT_EQ(odd.ReadInteger("S", "k", 0), 1);
}

TEST(IniFileParse, EraseSectionAndKeepOrder) {
  IniFile ini = IniFile::Parse("[A]\r\nx=1\r\n[B]\r\ny=2\r\n[C]\r\n");
  ini.EraseSection("b");
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"A", "C"}));
  ini.WriteString("A", "z", "3");
  EXPECT_EQ(ini.Keys("A"), (std::vector<std::string>{"x", "z"}));
  EXPECT_EQ(ini.Serialize(), "[A]\r\nx=1\r\nz=3\r\n\r\n[C]\r\n");
}

using RecoveryTest = test::TempDirTest;

TEST_F(RecoveryTest, CopyIsRenamedWhenTheDataFileIsMissingAndDeletedOtherwise) {
  const fs::path data = dir_ / "NR284Ren.dat";
  const fs::path copy = RecoveryCopyOf(data);
  EXPECT_EQ(copy.filename(), "NR284Ren.dat.___");
  std::ofstream(copy) << "copy";
  RecoverDataFile(data);
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(data, bytes));
  EXPECT_EQ(bytes, "copy");
  EXPECT_FALSE(fs::exists(copy));

  std::ofstream(copy) << "stale";
  RecoverDataFile(data);
  ASSERT_TRUE(ReadWholeFile(data, bytes));
  EXPECT_EQ(bytes, "copy");
  EXPECT_FALSE(fs::exists(copy));
  RecoverDataFile(dir_ / "absent.dat");  // neither file: nothing happens
  EXPECT_FALSE(fs::exists(dir_ / "absent.dat"));
}

using RenameTest = test::TempDirTest;

TEST_F(RenameTest, RenameNeverReplacesAnExistingFile) {
  std::ofstream(dir_ / "a") << "A";
  std::ofstream(dir_ / "b") << "B";
  EXPECT_FALSE(RenameNoReplace(dir_ / "a", dir_ / "b"));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(dir_ / "b", bytes));
  EXPECT_EQ(bytes, "B");
  EXPECT_TRUE(fs::exists(dir_ / "a"));
  EXPECT_TRUE(RenameNoReplace(dir_ / "a", dir_ / "c"));
  EXPECT_FALSE(fs::exists(dir_ / "a"));
}

TEST(GenreList, HasTheProgramsSpellings) {
  EXPECT_EQ(GenreNames().size(), 156u);
  EXPECT_EQ(GenreName(0), "Blues");
  EXPECT_EQ(GenreName(67), "Psychadelic");
  EXPECT_EQ(GenreName(118), "Phythmic Soul");
  EXPECT_EQ(GenreName(134), "Polsk Punk");
  EXPECT_EQ(GenreName(155), "Anime(J)");
  EXPECT_EQ(GenreName(255), "");
  EXPECT_EQ(GenreCode("rock"), 17);
  EXPECT_EQ(GenreCode("Tecno Ambient(J)"), 152);
  // The order of both genre boxes: every name once, ASCII case ignored.
  std::vector<std::string_view> sorted = GenreNamesAlphabetical();
  ASSERT_EQ(sorted.size(), 156u);
  EXPECT_EQ(sorted.front(), "A Cappella");
  auto lower = [](std::string_view s) {
    std::string t(s);
    for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
  };
  for (size_t i = 1; i < sorted.size(); ++i) EXPECT_LE(lower(sorted[i - 1]), lower(sorted[i])) << sorted[i];
  EXPECT_LT(std::find(sorted.begin(), sorted.end(), "Acid Jazz") - sorted.begin(),
            std::find(sorted.begin(), sorted.end(), "Acid Punk") - sorted.begin());
}

TEST_F(IniFileTest, AFolderInTheFilesPlaceReadsAsNoFile) {
  // Reading a folder fails inside the stream buffer; that is "cannot read", not a crash.
  fs::create_directory(dir_ / "NR284Cnv.dat");
  std::string bytes = "old";
  EXPECT_FALSE(ReadWholeFile(dir_ / "NR284Cnv.dat", bytes));
  EXPECT_TRUE(IniFile::Load(dir_ / "NR284Cnv.dat").Sections().empty());
}

}  // namespace
}  // namespace hozanki
