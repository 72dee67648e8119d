#include <gtest/gtest.h>

#include <filesystem>

#include "TempDirTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/listout/ListItems.h"
#include "core/listout/TemplateLibrary.h"
#include "core/listout/TemplateRow.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

class TemplateFileTest : public test::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    path_ = dir_ / kTemplateFileName;
  }
  std::string Bytes() const {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(path_, bytes));
    return bytes;
  }
  fs::path path_;
};

const std::vector<TemplateRow> kM3u = {{"", "テキスト", "#EXTM3U", "↓"},
                                       {" *", "ファイルパス", "", "全体参照"},
                                       {" *", "ファイル名", "", "全体参照"},
                                       {" *", "テキスト", "", "↓"}};

TEST(TemplateRowCode, EncodesMarkOptionAndItem) {
  EXPECT_EQ(EncodeRowCode({" *", "タイトル", "s/a/b/", "正規表現"}), 9330);
  EXPECT_EQ(EncodeRowCode({"", "テキスト", "x", "↓"}), 1100);
  EXPECT_EQ(EncodeRowCode({"", "テキスト", "x", ""}), 1000);
  EXPECT_EQ(EncodeRowCode({"", "ファイル名", "", ""}), 1911);
  EXPECT_EQ(EncodeRowCode({"", "ファイル名", "", "?"}), 1011);
  EXPECT_EQ(DecodeRowCode(9330, "s/a/b/"), (TemplateRow{" *", "タイトル", "s/a/b/", "正規表現"}));
  EXPECT_EQ(DecodeRowCode(5300, "t"),
            (TemplateRow{" *", "テキスト", "t", "↓"}));  // any non-1 thousands marks
  EXPECT_EQ(DecodeRowCode(1911, ""), (TemplateRow{"", "ファイル名", "", ""}));
  EXPECT_EQ(DecodeRowCode(1099, "x").Item, "");  // outside the item list
  EXPECT_EQ(DecodeRowCode(-5, "x"), (TemplateRow{"", "テキスト", "x", ""}));
}

TEST(TemplateRowCode, EveryItemAndOptionSurvivesTheCode) {
  for (int i = 0; i < kListItemCount; ++i) {
    const std::string item(ListItems()[i].name);
    for (const std::string option : {"全体参照", "部分参照", "正規表現", ""}) {
      const std::string opt = item == "テキスト" ? (option.empty() ? "" : "↓") : option;
      const TemplateRow row{i % 2 ? " *" : "", item, "t", opt};
      EXPECT_EQ(DecodeRowCode(EncodeRowCode(row), "t"), row) << i << " " << option;
    }
  }
  EXPECT_EQ(ListItems()[61].name, "ソフトウェア");
  EXPECT_EQ(ListItems().back().name, "歌詞");
  EXPECT_EQ(ListItems()[16].name, "集計時間1");
}

TEST(TemplateRowCode, OlderFilesShiftItemNumbers) {
  EXPECT_EQ(DecodeRowCode(1916, "", 100).Item, "種別");
  EXPECT_EQ(DecodeRowCode(1915, "", 100).Item, "再生時間（秒）");
  EXPECT_EQ(DecodeRowCode(1951, "", 100).Item, "コメント（APE）");
  EXPECT_EQ(DecodeRowCode(1952, "", 100).Item, "作曲者");
  EXPECT_EQ(DecodeRowCode(1958, "", 100).Item, "ソフトウェア");
  EXPECT_EQ(DecodeRowCode(1916, "", 101).Item, "集計時間1");
}

TEST(TemplateTitle, ExtensionInParentheses) {
  EXPECT_EQ(MakeTemplateTitle("Play list", "m3u"), "Play list(m3u)");
  EXPECT_EQ(MakeTemplateTitle("X", ""), "X");
  const TemplateTitleParts x = SplitTemplateTitle("X(txt)");
  EXPECT_EQ(x.name, "X");
  EXPECT_EQ(x.extension, "txt");
  const TemplateTitleParts odd = SplitTemplateTitle("A(b)c");
  EXPECT_EQ(odd.name, "A(b)c");
  EXPECT_EQ(odd.extension, "");
  const TemplateTitleParts nested = SplitTemplateTitle("a(b)(c)");
  EXPECT_EQ(nested.name, "a(b)");
  EXPECT_EQ(nested.extension, "c");
  EXPECT_EQ(SplitTemplateTitle("x)").name, "x)");
}

TEST(TemplateLibraryCommands, WarningsAndMoves) {
  TemplateLibrary library;
  EXPECT_EQ(library.Register("", "m3u", kM3u), LibraryWarning::NoName);
  EXPECT_EQ(library.Register("A", "", {}), LibraryWarning::NoRows);
  EXPECT_FALSE(library.Dirty());
  for (const char* name : {"A", "B", "C", "D"})
    EXPECT_EQ(library.Register(name, "", kM3u), LibraryWarning::None);
  EXPECT_TRUE(library.Dirty());
  EXPECT_EQ(library.Update(-1, "Z", "", kM3u), LibraryWarning::NoSelection);
  EXPECT_EQ(LibraryWarningText(LibraryWarning::NoSelection), "更新する登録名を選択してください");
  auto titles = [&] {
    std::string t;
    for (const auto& e : library.Templates()) t += e.title;
    return t;
  };
  library.Move(0, 2);  // dragged down: after the target
  EXPECT_EQ(titles(), "BCAD");
  library.Move(3, 0);  // dragged up: before the target
  EXPECT_EQ(titles(), "DBCA");
  library.Move(1, 3);
  EXPECT_EQ(titles(), "DCAB");
  EXPECT_EQ(library.Update(1, "X", "txt", {kM3u[0]}), LibraryWarning::None);
  EXPECT_EQ(titles(), "DX(txt)AB");
  EXPECT_EQ(library.Templates()[1].rows.size(), 1u);
  library.Delete(0);
  library.Delete(7);
  EXPECT_EQ(titles(), "X(txt)AB");
  EXPECT_EQ(library.Find("A"), 1);
}

TEST_F(TemplateFileTest, WritesTheStoredLayoutAndReadsItBack) {
  TemplateLibrary library;
  library.Register("M3U", "m3u", kM3u);
  library.Register("Blank", "",
                   {{"", "テキスト", "ends in blanks  ", "↓"},
                    {"", "タイトル", "0,4", "部分参照"},
                    {" *", "ファイル名", "", ""},
                    {" *", "テキスト", "", ""}});
  ASSERT_TRUE(library.Save(path_));
  EXPECT_FALSE(library.Dirty());
  EXPECT_EQ(
      Bytes(),
      "[Total]\r\nVersion=101\r\nCount=2\r\n[Lst0]\r\nTitle=M3U(m3u)\r\nCount=4\r\nItem-0=1100,#EXTM3U/\r\n"
      "Item-1=9108,/\r\nItem-2=9111,/\r\nItem-3=9100,/\r\n[Lst1]\r\nTitle=Blank\r\nCount=4\r\n"
      "Item-0=1100,ends in blanks  /\r\nItem-1=1230,0,4/\r\nItem-2=9911,/\r\nItem-3=9000,/\r\n");
  EXPECT_FALSE(fs::exists(dir_ / "NR284Lst.dat.___"));
  TemplateLibrary back;
  back.Load(path_);
  EXPECT_EQ(back.Templates(), library.Templates());
  EXPECT_FALSE(back.Dirty());
}

TEST_F(TemplateFileTest, ShrinkingLeavesNoStaleSections) {
  TemplateLibrary library;
  for (const char* name : {"a", "b", "c", "d", "e"}) library.Register(name, "", kM3u);
  ASSERT_TRUE(library.Save(path_));
  library.Delete(4);
  library.Delete(3);
  library.Delete(2);
  ASSERT_TRUE(library.Save(path_));
  const std::string bytes = Bytes();
  EXPECT_NE(bytes.find("[Lst1]"), std::string::npos);
  for (const char* gone : {"[Lst2]", "[Lst3]", "[Lst4]"})
    EXPECT_EQ(bytes.find(gone), std::string::npos) << gone;
  EXPECT_EQ(bytes.substr(0, 34), "[Total]\r\nVersion=101\r\nCount=2\r\n[Ls");
}

TEST_F(TemplateFileTest, OlderVersionsConvertAndMarkTheLibraryDirty) {
  ASSERT_TRUE(WriteFileAtomic(path_,
                              "[Total]\r\nVersion=100\r\nCount=1\r\n[Lst0]\r\nTitle=old\r\nCount=4\r\n"
                              "Item-0=9916,/\r\nItem-1=1152,/\r\nItem-2=xyz\r\nItem-3=1100,\r\n"));
  TemplateLibrary library;
  library.Load(path_);
  ASSERT_EQ(library.Templates().size(), 1u);
  const auto& rows = library.Templates()[0].rows;
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (TemplateRow{" *", "種別", "", ""}));
  EXPECT_EQ(rows[1].Item, "作曲者");
  EXPECT_EQ(rows[1].Option, "全体参照");
  EXPECT_EQ(rows[2], (TemplateRow{"", "テキスト", "", ""}));  // not a number: 1900
  EXPECT_EQ(rows[3], (TemplateRow{"", "テキスト", "", "↓"}));
  EXPECT_TRUE(library.Dirty());
  ASSERT_TRUE(library.Save(path_));
  TemplateLibrary again;
  again.Load(path_);
  EXPECT_EQ(again.Templates(), library.Templates());
  EXPECT_FALSE(again.Dirty());
}

TEST_F(TemplateFileTest, TextOutsideCodePage932MakesTheFileUtf8AndSurvives) {
  TemplateLibrary library;
  library.Register("노래 〜", "m3u", {{"", "テキスト", "¥100 ", "↓"}});
  ASSERT_TRUE(library.Save(path_));
  EXPECT_EQ(Bytes().substr(0, 3), "\xEF\xBB\xBF");
  TemplateLibrary back;
  back.Load(path_);
  EXPECT_EQ(back.Templates(), library.Templates());
}

TEST_F(TemplateFileTest, DamagedCountsNeitherHangNorInventTemplates) {
  ASSERT_TRUE(WriteFileAtomic(path_,
                              "[Total]\r\nVersion=101\r\nCount=2000000000\r\n[Lst0]\r\nTitle=a\r\n"
                              "Count=2000000000\r\nItem-0=1000,x/\r\n[lst1]\r\nTitle=b\r\n[Lst01]\r\n"));
  TemplateLibrary library;
  library.Load(path_);
  ASSERT_LE(library.Templates().size(), 4u);
  EXPECT_EQ(library.Templates()[0].rows[0].Text, "x");
  EXPECT_LE(library.Templates()[0].rows.size(), 3u);
  library.Delete(1);
  ASSERT_TRUE(library.Save(path_));
  const std::string bytes = Bytes();
  EXPECT_EQ(bytes.find("Title=b"), std::string::npos);  // "lst1" was one of the old sections
  EXPECT_NE(bytes.find("[Lst01]"), std::string::npos);  // not a section of the library
}

TEST_F(TemplateFileTest, RecoveryCopyAndMissingFile) {
  TemplateLibrary library;
  library.Load(path_);
  EXPECT_TRUE(library.Templates().empty());
  ASSERT_TRUE(WriteFileAtomic(
      dir_ / "NR284Lst.dat.___",
      "[Total]\r\nVersion=101\r\nCount=1\r\n[Lst0]\r\nTitle=r\r\nCount=1\r\nItem-0=1000,x/\r\n"));
  library.Load(path_);
  ASSERT_EQ(library.Templates().size(), 1u);
  EXPECT_EQ(library.Templates()[0].rows[0].Text, "x");
  EXPECT_TRUE(fs::exists(path_));
  EXPECT_FALSE(fs::exists(dir_ / "NR284Lst.dat.___"));
}

}  // namespace
}  // namespace hozanki
