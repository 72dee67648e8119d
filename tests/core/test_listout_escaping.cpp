// Escaping list values for CSV and HTML: the two escapes, the options that
// apply them in a template (row code, text form, engine, starters), old
// template files that load and list as before, and the picked file's name
// taken from the file on disk.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "TempDirTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/listout/ListEngine.h"
#include "core/listout/ListItems.h"
#include "core/listout/StarterTemplates.h"
#include "core/listout/TemplateLibrary.h"
#include "core/listout/TemplateText.h"

namespace hozanki {
namespace {

const std::string kAwkward = "05 Don't \"Stop\" <&>.mp3";

TEST(ListEscapes, CsvFieldsAndHtmlText) {
  struct Case {
    std::string text, csv, html;
  };
  const Case cases[] = {
      {"", "\"\"", ""},
      {"plain", "\"plain\"", "plain"},
      {"a,b", "\"a,b\"", "a,b"},
      {"\"", "\"\"\"\"", "&quot;"},
      {"Don't \"Stop\"", "\"Don't \"\"Stop\"\"\"", "Don&#39;t &quot;Stop&quot;"},
      {"R&B <live>", "\"R&B <live>\"", "R&amp;B &lt;live&gt;"},
      {"&amp;", "\"&amp;\"", "&amp;amp;"},
      {"two\r\nlines", "\"two\r\nlines\"", "two\r\nlines"},
      {"日本語\"歌\"", "\"日本語\"\"歌\"\"\"", "日本語&quot;歌&quot;"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QuoteCsvField(c.text), c.csv) << c.text;
    EXPECT_EQ(EscapeHtml(c.text), c.html) << c.text;
  }
}

TEST(ListEscapes, OptionsInCodeTextFormAndEngine) {
  std::vector<PickedFile> files(1);
  files[0].file[1] = "/m/";
  files[0].file[2] = kAwkward;
  const ListTotals totals = UpdateListTotals(files);
  struct Case {
    std::string option;
    int hundreds;
    std::string token, output;
  };
  const Case cases[] = {
      {"全体参照", 1, "%F_FILE%", kAwkward},
      {"CSV引用", 4, "%F_FILE:csv%", "\"05 Don't \"\"Stop\"\" <&>.mp3\""},
      {"HTML変換", 5, "%F_FILE:html%", "05 Don&#39;t &quot;Stop&quot; &lt;&amp;&gt;.mp3"},
  };
  for (const Case& c : cases) {
    const TemplateRow row{"", "ファイル名", "", c.option};
    EXPECT_EQ(EncodeRowCode(row) / 100 % 10, c.hundreds) << c.option;
    EXPECT_EQ(DecodeRowCode(EncodeRowCode(row), ""), row) << c.option;
    EXPECT_EQ(ExportTemplate({row}), std::vector<std::string>{c.token}) << c.option;
    const std::vector<TemplateRow> imported = ImportTemplate({c.token});
    ASSERT_EQ(imported.size(), 2u) << c.option;  // the value and the line's end
    EXPECT_EQ(imported[0], row) << c.option;
    ListEngine engine(files, totals, {});
    EXPECT_EQ(engine.Generate({row}, 0), std::vector<std::string>{c.output}) << c.option;
  }
  // An unknown modifier stays text, as any unknown token does.
  EXPECT_EQ(ImportTemplate({"%F_FILE:xml%"}),
            (std::vector<TemplateRow>{{"", "テキスト", "%F_FILE:xml%", "↓"}}));
}

TEST(ListEscapes, StarterTablesEscapeTheirValues) {
  std::vector<PickedFile> files(1);
  files[0].file[1] = "/m/";
  files[0].file[2] = kAwkward;
  files[0].tag[0] = "A&B";
  files[0].tag[4] = "\"Hi\", she said";
  const ListTotals totals = UpdateListTotals(files);
  std::vector<std::string> csv, html;
  for (const ListTemplate& t : StarterTemplates()) {
    ListEngine engine(files, totals, {});
    if (t.title == "CSV(csv)") csv = engine.Generate(t.rows, 0);
    if (t.title == "HTML(html)") html = engine.Generate(t.rows, 0);
  }
  ASSERT_EQ(csv.size(), 2u);
  EXPECT_EQ(csv[1], "1,\"05 Don't \"\"Stop\"\" <&>.mp3\",\"A&B\",\"\"\"Hi\"\", she said\",\"\",");
  ASSERT_FALSE(html.empty());
  const std::string row =
      "<tr><td>1</td><td>A&amp;B</td><td>&quot;Hi&quot;, she said</td><td></td><td></td></tr>";
  EXPECT_NE(std::find(html.begin(), html.end(), row), html.end());
}

class OldTemplateFile : public test::TempDirTest {};

// A file written before the escaping options: every option it holds (1-3,
// 9) reads and lists as it did, and saving it again keeps its rows' codes.
TEST_F(OldTemplateFile, LoadsAndListsAsBefore) {
  const auto code = [](int thousands, int hundreds, const char* item) {
    return std::to_string(thousands * 1000 + hundreds * 100 + ListItemNumber(item));
  };
  const std::string file =
      "[Total]\r\nVersion=101\r\nCount=1\r\n[Lst0]\r\nTitle=CSV(csv)\r\nCount=8\r\n" +
      ("Item-0=" + code(9, 0, "テキスト") + ",\"/\r\n") + ("Item-1=" + code(9, 1, "ファイル名") + ",/\r\n") +
      ("Item-2=" + code(9, 0, "テキスト") + ",\",\"/\r\n") +
      ("Item-3=" + code(9, 2, "タイトル") + ",0,4/\r\n") +
      ("Item-4=" + code(9, 0, "テキスト") + ",\",/\r\n") +
      ("Item-5=" + code(9, 3, "アーティスト") + ",s/a/A/g/\r\n") +
      ("Item-6=" + code(9, 9, "アルバム") + ",/\r\n") + ("Item-7=" + code(9, 1, "テキスト") + ",/\r\n");
  const std::filesystem::path path = dir_ / kTemplateFileName;
  ASSERT_TRUE(WriteFileAtomic(path, file));
  TemplateLibrary library;
  library.Load(path);
  ASSERT_EQ(library.Templates().size(), 1u);
  EXPECT_FALSE(library.Dirty());
  std::vector<PickedFile> files(1);
  files[0].file[2] = kAwkward;
  files[0].tag[4] = "Title";
  files[0].tag[0] = "banana";
  files[0].tag[8] = "Alb";
  ListEngine engine(files, UpdateListTotals(files), {});
  EXPECT_EQ(engine.Generate(library.Templates()[0].rows, 0),
            std::vector<std::string>{"\"" + kAwkward + "\",\"Titl\",bAnAnAAlb"});
  ASSERT_TRUE(library.Save(path));
  std::string saved;
  ASSERT_TRUE(ReadWholeFile(path, saved));
  EXPECT_EQ(saved, file);
}

TEST(TemplateLibraryOffer, StartersAreNoChange) {
  TemplateLibrary library;
  library.Offer(StarterTemplates());
  EXPECT_EQ(library.Templates(), StarterTemplates());
  EXPECT_FALSE(library.Dirty());
  library.Move(0, 1);
  EXPECT_TRUE(library.Dirty());
}

// The name and folder of a picked file are those on disk: a rename staged
// in the file list (or one that failed at save) shows its new name in the
// name cell, which no list may carry.
TEST(PickedFileFill, NamesTheFileOnDisk) {
  struct Case {
    std::string relative, shownName, folder, name;
  };
  const Case cases[] = {
      {"old.mp3", "new.mp3", "/music/", "old.mp3"},
      {"CD1/old.mp3", "CD2-new.mp3", "/music/CD1/", "old.mp3"},
      {"a/b/x.mp3", "x.mp3", "/music/a/b/", "x.mp3"},
      {"\x93\xfa\x96\x7b.mp3", "renamed.mp3", "/music/", "日本.mp3"},  // code page 932 bytes
  };
  for (const Case& c : cases) {
    MediaFileEntry e;
    e.format = MediaFormat::MP3;
    e.relativePath = c.relative;
    e.file.cells.resize(FileCellCount(e.format));
    e.file.cells[0].text = c.shownName;
    e.file.image = kErrorMark;
    for (TagKind kind : TagKindsOf(e.format)) {
      TagRow row;
      row.cells.resize(ValueNamesOf(kind).size() + 1);
      row.cells[0].text = c.relative;
      e.tags.push_back(row);
    }
    const PickedFile p = MakePickedFile(e, "/music");
    EXPECT_EQ(p.file[1], c.folder) << c.relative;
    EXPECT_EQ(p.file[2], c.name) << c.relative;
  }
}

}  // namespace
}  // namespace hozanki
