#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/common/AtomicFile.h"
#include "core/listout/TemplateText.h"
#include "core/text/Cp932.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Rows = std::vector<TemplateRow>;

const Rows kM3u = {{"", "テキスト", "#EXTM3U", "↓"},
                   {" *", "ファイルパス", "", "全体参照"},
                   {" *", "ファイル名", "", "全体参照"},
                   {" *", "テキスト", "", "↓"}};

TEST(TemplateExport, LoopLinesTokensAndEscapes) {
  EXPECT_EQ(ExportTemplate(kM3u), (Lines{"#EXTM3U", "%LOOP_START%", "%F_FULL%%F_FILE%", "%LOOP_END%"}));
  EXPECT_EQ(ExportTemplate({{"", "テキスト", "100%", "↓"}}), Lines{"100%%"});
  EXPECT_EQ(ExportTemplate({{"", "テキスト", "a\\\\tb\\tc", ""}}), Lines{"a\\tb\tc"});
  EXPECT_EQ(ExportTemplate({{"", "タイトル", "0,4", "部分参照"},
                            {"", "アーティスト", "s/ +$//", "正規表現"},
                            {"", "テキスト", "", "↓"},
                            {"", "テキスト", "", "↓"},
                            {" *", "通番", "", "全体参照"}}),
            (Lines{"%T_TIT[0,4]%%T_ART(s/ +$//)%", "", "%LOOP_START%", "%F_NUM%", "%LOOP_END%"}));
  EXPECT_TRUE(ExportTemplate({}).empty());
}

TEST(TemplateImport, GivesBackTheExportedRows) {
  EXPECT_EQ(ImportTemplate(ExportTemplate(kM3u)), kM3u);
  const Rows rows = {{"", "テキスト", "<td>", ""},
                     {"", "タイトル", "0,4", "部分参照"},
                     {"", "テキスト", " 100% ", ""},
                     {"", "アーティスト（ID3v1）", "s/a/b/", "正規表現"},
                     {"", "テキスト", "a\\tb", "↓"}};
  EXPECT_EQ(ImportTemplate(ExportTemplate(rows)), rows);
}

TEST(TemplateImport, LongestTokensAndLiteralLeftovers) {
  EXPECT_EQ(ImportTemplate({"%T_ART1%"}),
            (Rows{{"", "アーティスト（ID3v1）", "", "全体参照"}, {"", "テキスト", "", "↓"}}));
  EXPECT_EQ(ImportTemplate({"%T_COMP%"})[0].Item, "作曲者");
  EXPECT_EQ(ImportTemplate({"%F_FILEX"}), (Rows{{"", "テキスト", "%F_FILEX", "↓"}}));
  EXPECT_EQ(ImportTemplate({"%T_TIT[0,4"}), (Rows{{"", "テキスト", "%T_TIT[0,4", "↓"}}));
  EXPECT_EQ(ImportTemplate({"%T_TIT(s/a/b/"}), (Rows{{"", "テキスト", "%T_TIT(s/a/b/", "↓"}}));
  EXPECT_EQ(ImportTemplate({"50% off %%x"}), (Rows{{"", "テキスト", "50% off %x", "↓"}}));
  EXPECT_EQ(ImportTemplate({""}), (Rows{{"", "テキスト", "", "↓"}}));
  EXPECT_EQ(ImportTemplate({"a\tb"}), (Rows{{"", "テキスト", "a\\tb", "↓"}}));
  EXPECT_EQ(ImportTemplate({"x%F_NUM%\ty"}),
            (Rows{{"", "テキスト", "x", ""}, {"", "通番", "", "全体参照"}, {"", "テキスト", "\\ty", "↓"}}));
  // A pattern runs to the first "]%", even across other tokens.
  EXPECT_EQ(ImportTemplate({"%T_TIT[1,2]x]%"})[0].Text, "1,2]x");
  EXPECT_EQ(ImportTemplate({" %LOOP_START%"})[0].Text, " %LOOP_START%");
  const Rows looped = ImportTemplate({"%LOOP_START%", "a", "%LOOP_END%", "b"});
  ASSERT_EQ(looped.size(), 2u);
  EXPECT_EQ(looped[0].LoopMark, " *");
  EXPECT_EQ(looped[1].LoopMark, "");
}

TEST(TemplateExport, BlockOpenAtTheEndIsClosed) {
  EXPECT_EQ(ExportTemplate({{"", "テキスト", "h", ""}, {" *", "ファイル名", "", "全体参照"}}),
            (Lines{"h", "%LOOP_START%", "%F_FILE%", "%LOOP_END%"}));
}

TEST(TemplateFile, CodePage932WithCrLfAndUtf8WithBom) {
  const fs::path dir = fs::temp_directory_path() / ("hozanki-tpl-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path path = dir / "t.txt";
  ASSERT_TRUE(WriteTemplateFile(path, {"曲名", "%T_TIT%"}));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, *EncodeCp932("曲名") + "\r\n%T_TIT%\r\n");
  Lines lines;
  ASSERT_TRUE(ReadTemplateFile(path, lines));
  EXPECT_EQ(lines, (Lines{"曲名", "%T_TIT%"}));
  ASSERT_TRUE(WriteTemplateFile(path, {"노래"}));
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, "\xEF\xBB\xBF노래\r\n");
  ASSERT_TRUE(ReadTemplateFile(path, lines));
  EXPECT_EQ(lines, Lines{"노래"});
  std::string error;
  EXPECT_FALSE(ReadTemplateFile(dir / "missing.txt", lines, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(lines, Lines{"노래"});  // left as it was
  fs::remove_all(dir);
}

}  // namespace
}  // namespace hozanki
