#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "CliTestSupport.h"
#include "core/text/Compound.h"
#include "core/settings/CompoundFile.h"
#include "core/text/ConvertText.h"
#include "core/text/Regexp.h"
#include "core/text/Substring.h"
#include "core/text/WildcardReplace.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

using test::Quote;
using test::ReadFile;

class CliText : public test::CliTempDirTest {
 protected:
  CliResult Run(const std::vector<std::string>& args, const std::string& input) {
    test::WriteFile(dir_ / "in", input);
    std::string command =
        "HOZANKI_CONFIG_DIR=" + Quote((dir_ / "config").string()) + " " + Quote(HOZANKI_CLI);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " <" + Quote((dir_ / "in").string()) + " >" + Quote((dir_ / "out").string()) + " 2>" +
               Quote((dir_ / "err").string());
    CliResult r;
    int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadFile(dir_ / "out");
    r.err = ReadFile(dir_ / "err");
    return r;
  }
};

const std::vector<std::string> kLines = {"hello-WORLD foo_bar",
                                         "ＡＢＣ abc ａｂｃ",
                                         "ｶﾞｷﾞ ﾊﾟ ｳﾞ １２３！",
                                         "　 ひらがな カタカナ\t ",
                                         "",
                                         "日本abc def.mp3",
                                         "a  b   c",
                                         "été ΩМ"};

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

TEST_F(CliText, ConvertGivesTheFunctionsResults) {
  for (int kind = 0; kind < kConvertKindCount; ++kind) {
    std::vector<std::string> expected;
    for (const std::string& l : kLines) expected.push_back(ConvertText(kind, l));
    CliResult r = Run({"convert", std::to_string(kind)}, Joined(kLines));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Joined(expected)) << "kind " << kind;
  }
  std::vector<std::string> expected;
  for (const std::string& l : kLines) expected.push_back(ConvertText(7, l, "", "A9KO"));
  EXPECT_EQ(Run({"convert", "7", "--options", "A9KO"}, Joined(kLines)).out, Joined(expected));
  EXPECT_EQ(Run({"convert", "3", "--separators", "_"}, "a-b c_d\n").out,
            ConvertText(3, "a-b c_d", "_") + "\n");
}

TEST_F(CliText, ConvertRejectsBadKinds) {
  for (const char* kind : {"14", "-1", "x"}) {
    CliResult r = Run({"convert", kind}, "a\n");
    EXPECT_EQ(r.status, 2) << kind;
    EXPECT_TRUE(r.out.empty());
  }
  EXPECT_EQ(Run({"convert"}, "a\n").status, 2);
}

TEST_F(CliText, ReplaceRegexpAndSubstr) {
  EXPECT_EQ(Run({"replace", "*-*", "\\2/\\1"}, "-abc\nab-cd\n").out, "/abc\ncd/ab\n");
  EXPECT_EQ(Run({"replace", "abc", "x"}, "ABC abc\n").out, "x x\n");
  EXPECT_EQ(Run({"replace", "--case-sensitive", "abc", "x"}, "ABC abc\n").out, "ABC x\n");
  EXPECT_EQ(Run({"replace", "--", "--case-sensitive", "x"}, "a--case-sensitive\n").out, "ax\n");
  EXPECT_EQ(Run({"replace", "a"}, "a\n").status, 2);

  const std::string pattern = "s/(\\w+) (\\w+)/\\U$2\\E $1/g";
  std::string expected;
  for (const std::string& l : kLines) expected += ApplyRegexp(pattern, l) + "\n";
  EXPECT_EQ(Run({"regexp", pattern}, Joined(kLines)).out, expected);
  CliResult bad = Run({"regexp", "s/(/x/"}, "keep\n");
  EXPECT_EQ(bad.status, 0);
  EXPECT_EQ(bad.out, "keep\n");

  expected.clear();
  for (const std::string& l : kLines) expected += Substring(l, "-5,-1") + "\n";
  EXPECT_EQ(Run({"substr", "-5,-1"}, Joined(kLines)).out, expected);
}

TEST_F(CliText, OneLineOutPerLineIn) {
  EXPECT_EQ(Run({"substr", "0,0"}, "no newline at the end").out, "no newline at the end\n");
  EXPECT_EQ(Run({"substr", "0,0"}, "\n\n").out, "\n\n");
  EXPECT_EQ(Run({"substr", "0,0"}, "").out, "");
}

TEST_F(CliText, InvalidUtf8LineIsAnError) {
  CliResult r = Run({"convert", "1"}, "abc\nx\xff\ny\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "ABC\n");
  EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
  EXPECT_EQ(Run({"regexp", "s/a/\xff/"}, "a\n").status, 2);
}

// Searches that backtrack past PCRE2's match limit: a failure naming the
// line, exit 1, and nothing written for that line or after it.
TEST_F(CliText, MatchLimitStopsTheFilter) {
  const std::string tooHard = std::string(30, 'a') + "b";
  const std::string manyA(40, 'a');
  const std::string thirtyOptional = std::string(30, '?') + "\\d";
  ASSERT_TRUE(WriteCompoundFile(dir_ / "config" / kCompoundFileName,
                                {{"hard", {{2, "小文字 ⇒ 大文字", ""}, {1, thirtyOptional, "x"}}}}, 0));
  struct Case {
    std::vector<std::string> args;
    std::string input;
    std::string out;
  } cases[] = {
      {{"regexp", "s/(a+)+$/x/"}, "aa\n" + tooHard + "\naa\n", "x\n"},
      {{"replace", thirtyOptional, "x"}, "b1\n" + manyA + "\nb1\n", "x\n"},
      {{"compound", "hard"}, "b1\n" + manyA + "\nb1\n", "x\n"},
  };
  for (const Case& c : cases) {
    CliResult r = Run(c.args, c.input);
    EXPECT_EQ(r.status, 1) << c.args[0] << ": " << r.err;
    EXPECT_EQ(r.out, c.out) << c.args[0];
    EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("match limit"), std::string::npos) << r.err;
  }
}

TEST_F(CliText, CompoundRunsTheFirstEditOfTheTitle) {
  const std::vector<CompoundEdit> edits = {
      {"tidy", {{6, "連続空白圧縮", ""}, {2, "小文字 ⇒ 大文字", ""}}},
      {"name", {{0, "*.mp3", "\\1"}, {3, "語頭以外は小文字", ""}}},
      {"tidy", {{8, "0,1", ""}}},
  };
  ASSERT_TRUE(WriteCompoundFile(dir_ / "config" / kCompoundFileName, edits, 0));
  EXPECT_EQ(Run({"compound", "tidy"}, " a  b \n").out, " A B \n");
  EXPECT_EQ(Run({"compound", "name"}, "my song.mp3\n").out,
            RunCompound(edits[1].steps, "my song.mp3") + "\n");
  CliResult r = Run({"compound", "nothing"}, "x\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(r.err.find("tidy"), std::string::npos);
  EXPECT_NE(r.err.find("name"), std::string::npos);
}


// reading: the three scripts as a line filter, one line out per line in; the
// dictionary of readings in the settings folder goes first; a word without a
// reading is kept, named on standard error and fails the run; a bad script
// is a usage error.
TEST_F(CliText, ReadingFiltersLinesWithTheUserDictionaryFirst) {
  const std::string input = "宇多田ヒカル\n\n東京事変 feat. ＹＭＯ\n";
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const Case cases[] = {
      {{"reading", "katakana"}, "ウタダヒカル\n\nトウキョウジヘン feat. ＹＭＯ\n"},
      {{"reading", "hiragana"}, "うただひかる\n\nとうきょうじへん feat. ＹＭＯ\n"},
      {{"reading", "romaji"}, "Utada Hikaru\n\nTokyo Jihen feat. ＹＭＯ\n"},
      {{"reading", "romaji", "--spacing", "none", "--case", "upper", "--long-vowels", "macron"},
       "UTADAHIKARU\n\nTŌKYŌJIHEN feat. ＹＭＯ\n"},
  };
  for (const Case& c : cases) {
    const CliResult r = Run(c.args, input);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.out) << c.args[1];
  }

  const CliResult unknown = Run({"reading", "katakana"}, "椎名林檎\n一青窈\n");
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.out, "シイナリンゴ\nヒトト窈\n");
  EXPECT_NE(unknown.err.find("line 2: no reading for \"窈\""), std::string::npos) << unknown.err;

  fs::create_directories(dir_ / "config");
  test::WriteFile(dir_ / "config" / "NR284Yomi.dat", "一青窈\tひととよう\n");
  const CliResult learned = Run({"reading", "katakana"}, "一青窈\n");
  EXPECT_EQ(learned.status, 0) << learned.err;
  EXPECT_EQ(learned.out, "ヒトトヨウ\n");
  EXPECT_EQ(Run({"reading", "katakana", "--no-user-dictionary"}, "一青窈\n").out, "ヒトト窈\n");

  EXPECT_EQ(Run({"reading", "kanji"}, "x\n").status, 2);
}

}  // namespace
}  // namespace hozanki
