#include <gtest/gtest.h>

#include <filesystem>

#include "TempDirTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/settings/CompoundFile.h"
#include "core/settings/IniFile.h"
#include "core/text/Compound.h"
#include "core/text/Cp932.h"
#include "core/text/RegexpPatternCheck.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

CompoundStep Step(int kind, std::string first, std::string second = {}) {
  return {kind, std::move(first), std::move(second)};
}

TEST(Compound, ChainsRunInOrder) {
  EXPECT_EQ(RunCompound({Step(6, "連続空白圧縮"), Step(2, "小文字 ⇒ 大文字")}, " a  b "), " A B ");
  EXPECT_EQ(RunCompound({Step(0, "*.mp3", "\\1"), Step(3, "語頭以外は小文字", "")}, "my song.mp3"),
            "My Song");
  EXPECT_EQ(RunCompound({}, "same"), "same");
  EXPECT_EQ(RunCompound({Step(0, "A", "x"), Step(1, "B", "y")}, "aAbB"), "xxby");
  EXPECT_EQ(RunCompound({Step(7, "s/(\\d+)/<$1>/g"), Step(8, "1,-1")}, "a1b22"), "<1>b<22");
  EXPECT_EQ(RunCompound({Step(7, "s/(/x/"), Step(7, "tr/a-z/A-Z/")}, "ab"),
            "AB");  // a bad step passes the text on
  EXPECT_EQ(RunCompound({Step(9, "x"), Step(-1, "x")}, "ab"), "ab");
}

TEST(Compound, ChoiceTextsPickTheConversion) {
  EXPECT_EQ(RunCompoundStep(Step(2, "大文字 ⇒ 小文字"), "aB"), "ab");
  EXPECT_EQ(RunCompoundStep(Step(2, "anything"), "aB"), "Ab");
  EXPECT_EQ(RunCompoundStep(Step(3, "語頭のみ変換"), "aB cD"), "AB CD");
  EXPECT_EQ(RunCompoundStep(Step(3, "other", "-"), "aB-cD e"), "AB-CD E");
  EXPECT_EQ(RunCompoundStep(Step(4, "全角 ⇒ 半角", "----"), "ＡＢ１ガ"), "ＡＢ１ガ");
  EXPECT_EQ(RunCompoundStep(Step(4, "半角 ⇒ 全角", ""), "ｶﾞa"), "ガａ");
  EXPECT_EQ(RunCompoundStep(Step(4, "全角 ⇔ 半角", "A---"), "Ａb"), "Aｂ");
  EXPECT_EQ(RunCompoundStep(Step(5, "カタカナ ⇒ ひらがな"), "カな"), "かな");
  EXPECT_EQ(RunCompoundStep(Step(5, "?"), "カな"), "かナ");
  EXPECT_EQ(RunCompoundStep(Step(6, "右空白除去"), " a "), " a");
  EXPECT_EQ(RunCompoundStep(DefaultCompoundStep(3), "it's a-b"), "It's A-B");
  EXPECT_EQ(DefaultCompoundStep(4).second, "A9Ko");
  EXPECT_EQ(DefaultCompoundStep(7).first, "s///");
  EXPECT_EQ(DefaultCompoundStep(8).first, "0,0");
  EXPECT_EQ(CompoundKindName(1), "置換(大小文字区別)");
  EXPECT_EQ(CompoundKindName(9), "");
}

class CompoundFileTest : public test::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    file_ = dir_ / kCompoundFileName;
  }
  fs::path file_;
};

TEST_F(CompoundFileTest, WritesTheLayoutAndReadsItBack) {
  const std::vector<CompoundEdit> edits = {
      {"曲名整形",
       {Step(0, "a*", "b  "), Step(2, "小文字 ⇒ 大文字"), Step(3, "語頭のみ変換", "!-"),
        Step(4, "全角 ⇒ 半角", "A9K-"), Step(7, "s/ +$//"), Step(8, "-3,0")}},
      {"empty", {}},
  };
  ASSERT_TRUE(WriteCompoundFile(file_, edits, 0));
  EXPECT_FALSE(fs::exists(file_.string() + ".___"));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(file_, bytes));
  const std::string text = DecodeLegacy(bytes);
  EXPECT_NE(bytes.find(*EncodeCp932("Title=曲名整形\r\n")), std::string::npos);  // code page 932
  EXPECT_NE(text.find("[Total]\r\nCount=2\r\n"), std::string::npos);
  EXPECT_NE(text.find("Item0=0,a*/\r\nItem0-=,b  /\r\n"), std::string::npos);
  EXPECT_NE(text.find("Item1=2,小文字 ⇒ 大文字/\r\n"), std::string::npos);
  EXPECT_EQ(text.find("Item1-"), std::string::npos);  // no second text for kind 2
  EXPECT_NE(text.find("Item2-=,!-/"), std::string::npos);
  EXPECT_NE(text.find("Item3-=,A9K-/"), std::string::npos);
  EXPECT_EQ(text.find("Item4-"), std::string::npos);
  EXPECT_EQ(ReadCompoundFile(file_), edits);  // trailing blanks survive
}

TEST_F(CompoundFileTest, FewerEditsLeaveNoStaleSections) {
  std::vector<CompoundEdit> edits = {{"a", {Step(2, "x")}}, {"b", {Step(2, "y")}}, {"c", {Step(2, "z")}}};
  ASSERT_TRUE(WriteCompoundFile(file_, edits, 0));
  edits.resize(1);
  ASSERT_TRUE(WriteCompoundFile(file_, edits, 3));
  const IniFile ini = IniFile::Load(file_);
  EXPECT_TRUE(ini.HasSection("Cnv0"));
  EXPECT_FALSE(ini.HasSection("Cnv1"));
  EXPECT_FALSE(ini.HasSection("Cnv2"));
  // Also when the caller's previous count was wrong.
  ASSERT_TRUE(WriteCompoundFile(file_, {}, 0));
  EXPECT_FALSE(IniFile::Load(file_).HasSection("Cnv0"));
  EXPECT_TRUE(ReadCompoundFile(file_).empty());
}

TEST_F(CompoundFileTest, ReadsLooseValuesSafely) {
  IniFile ini;
  ini.WriteInteger("Total", "Count", 2);
  ini.WriteString("Cnv0", "Title", "t");
  ini.WriteInteger("Cnv0", "Count", 5);
  ini.WriteString("Cnv0", "Item0", "x,abc/");  // kind that is no digit: 0
  ini.WriteString("Cnv0", "Item0-", ",r/");
  ini.WriteString("Cnv0", "Item1", "3");  // too short for a text
  ini.WriteString("Cnv0", "Item2", "6,/");
  ini.WriteString("Cnv0", "Item2-", ",ignored/");
  ini.WriteString("Cnv0", "Item3", "1,日本/");
  // Item4 and the whole of Cnv1 are missing: counts beyond what is there are
  // not read as empty entries at the end.
  ASSERT_TRUE(ini.Save(file_));
  const auto edits = ReadCompoundFile(file_);
  ASSERT_EQ(edits.size(), 1u);
  ASSERT_EQ(edits[0].steps.size(), 4u);
  EXPECT_EQ(edits[0].steps[0], Step(0, "abc", "r"));
  EXPECT_EQ(edits[0].steps[1], Step(3, "", ""));
  EXPECT_EQ(edits[0].steps[2], Step(6, "", ""));
  EXPECT_EQ(edits[0].steps[3], Step(1, "日本", ""));
  EXPECT_TRUE(ReadCompoundFile(dir_ / "missing.dat").empty());
}

TEST_F(CompoundFileTest, HugeCountsOnlyReadWhatIsThere) {
  IniFile ini;
  ini.WriteInteger("Total", "Count", 2000000000);
  ini.WriteString("Cnv0", "Title", "a");
  ini.WriteInteger("Cnv0", "Count", 2000000000);
  ini.WriteString("Cnv0", "Item1", "2,x/");
  ini.WriteString("Cnv2", "Title", "c");
  ASSERT_TRUE(ini.Save(file_));
  const auto edits = ReadCompoundFile(file_);
  ASSERT_EQ(edits.size(), 3u);  // Cnv1 is missing and reads as an empty edit
  EXPECT_EQ(edits[0].steps.size(), 2u);
  EXPECT_EQ(edits[0].steps[1], Step(2, "x"));
  EXPECT_EQ(edits[1].title, "");
  EXPECT_EQ(edits[2].title, "c");
}

TEST_F(CompoundFileTest, StartupRecoversFromTheRecoveryCopy) {
  ASSERT_TRUE(WriteCompoundFile(file_, {{"kept", {Step(5, "ひらがな ⇒ カタカナ")}}}, 0));
  fs::rename(file_, file_.string() + ".___");
  const auto edits = LoadCompoundStore(file_);
  ASSERT_EQ(edits.size(), 1u);
  EXPECT_EQ(edits[0].title, "kept");
  EXPECT_TRUE(fs::exists(file_));
  EXPECT_FALSE(fs::exists(file_.string() + ".___"));
}

TEST_F(CompoundFileTest, TextOutsideCodePage932IsKept) {
  const std::vector<CompoundEdit> edits = {{"한국어 é", {Step(0, "é", "😀")}}};
  ASSERT_TRUE(WriteCompoundFile(file_, edits, 0));
  EXPECT_EQ(ReadCompoundFile(file_), edits);
}

TEST(RegexpPatternCheck, AcceptsOnlyTheThreePartForms) {
  for (const char* ok : {"s/a/b/", "s/a//g", "tr/a-z/A-Z/", "s/a\\/b/c/", "s/a\\\\/b/", "tr/a//d"})
    EXPECT_TRUE(CheckRegexpPattern(ok).acceptable) << ok;
  for (const char* bad : {"s//b/", "s/a/b", "m/a/", "s/a/b/c/", "", "s/a\\\\/b/c/", "x/a/b/"})
    EXPECT_FALSE(CheckRegexpPattern(bad).acceptable) << bad;
  EXPECT_EQ(CheckRegexpPattern("s/a").kind, RegexpPatternKind::Substitute);
  EXPECT_EQ(CheckRegexpPattern("tr/").kind, RegexpPatternKind::Transliterate);
  EXPECT_EQ(CheckRegexpPattern("m/a/").kind, RegexpPatternKind::None);
}

TEST(RegexpPatternCheck, SwitchingTheKindRewritesThePrefix) {
  EXPECT_EQ(SwitchRegexpPatternKind("", RegexpPatternKind::Substitute), "s///");
  EXPECT_EQ(SwitchRegexpPatternKind("", RegexpPatternKind::Transliterate), "tr///");
  EXPECT_EQ(SwitchRegexpPatternKind("abc", RegexpPatternKind::Substitute), "s/abc//");
  EXPECT_EQ(SwitchRegexpPatternKind("/a/b/", RegexpPatternKind::Transliterate), "tr/a/b/");
  EXPECT_EQ(SwitchRegexpPatternKind("s/a/b/g", RegexpPatternKind::Transliterate), "tr/a/b/g");
  EXPECT_EQ(SwitchRegexpPatternKind("tr/a/b/", RegexpPatternKind::Substitute), "s/a/b/");
  EXPECT_EQ(SwitchRegexpPatternKind("x/a/b/", RegexpPatternKind::Substitute), "s/x/a/b/");
}

}  // namespace
}  // namespace hozanki
