#include <gtest/gtest.h>

#include <filesystem>

#include "TempDirTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/listout/ListEngine.h"
#include "core/listout/ListOutput.h"
#include "core/listout/PickedFile.h"
#include "core/text/Cp932.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

MediaFileEntry Entry(MediaFormat format, const std::string& relative,
                     const std::vector<std::vector<std::string>>& tags,
                     std::vector<std::string> fileCells = {}) {
  MediaFileEntry e;
  e.format = format;
  e.relativePath = relative;
  e.file.cells.resize(FileCellCount(format));
  e.file.cells[0].text =
      relative.substr(relative.rfind('/') == std::string::npos ? 0 : relative.rfind('/') + 1);
  for (size_t i = 0; i < fileCells.size(); ++i) e.file.cells[i + 1].text = fileCells[i];
  for (size_t k = 0; k < TagKindsOf(format).size(); ++k) {
    TagRow row;
    row.cells.resize(ValueNamesOf(TagKindsOf(format)[k]).size() + 1);
    row.cells[0].text = relative;
    if (k < tags.size())
      for (size_t c = 0; c < tags[k].size(); ++c) row.cells[c + 1].text = tags[k][c];
    e.tags.push_back(row);
  }
  return e;
}

PickedFile Picked(const std::string& folder, const std::string& name, int64_t seconds,
                  const std::string& size, const std::string& title = "") {
  PickedFile p;
  p.file[1] = folder;
  p.file[2] = name;
  p.file[3] = size;
  p.file[5] = FormatPlayTime(seconds);
  p.seconds = seconds;
  p.tag[4] = title;
  return p;
}

TEST(PickedFileFill, Mp3MergesApeThenId3v2ThenId3v1) {
  // File cells 1..8: size, time stamp, time, ID3v1, ID3v2, RIFF, APE marks, audio.
  MediaFileEntry e = Entry(MediaFormat::MP3, "CD1/x.mp3",
                           {{"v1 art", "v1 tit", "v1 alb", "3", "1999", "Rock", "v1 com"},
                            {"v2 art", "", "", "4", "", "", "", "comp", "copy", "url", "orig", "enc", "soft"},
                            {"riff art", "riff tit", "", "2001", "", "", "rcopy", "reng", "rsrc", "rsoft"},
                            {"ape art"}},
                           {"1,000", "2024/01/01 00:00:00", "0:01:00", "1.1", "2.3", "", "2.0", "MPEG1"});
  e.file.cells[3].value = 60;
  const PickedFile p = MakePickedFile(e, "/music");
  EXPECT_EQ(p.file[1], "/music/CD1/");
  EXPECT_EQ(p.file[2], "x.mp3");
  EXPECT_EQ(p.file[6], "MP3");
  EXPECT_EQ(p.file[8], "2.3");
  EXPECT_EQ(p.file[11], "MPEG1");
  EXPECT_EQ(p.file[12], "");
  EXPECT_EQ(p.seconds, 60);
  EXPECT_EQ(p.tag[0], "ape art");
  EXPECT_EQ(p.tag[1], "v1 art");
  EXPECT_EQ(p.tag[2], "v2 art");
  EXPECT_EQ(p.tag[3], "ape art");
  EXPECT_EQ(p.tag[4], "v1 tit");  // ID3v2 and APE titles empty
  EXPECT_EQ(p.tag[12], "4");
  EXPECT_EQ(p.tag[14], "4");
  EXPECT_EQ(p.tag[28], "comp");
  EXPECT_EQ(p.tag[30], "url");
  EXPECT_EQ(p.tag[33], "");  // ソース only with RIFF
  EXPECT_EQ(p.tag[34], "soft");

  e.file.cells[6].text = "RIFF";  // a RIFF tag: ID3v2/RIFF columns from the RIFF row
  const PickedFile r = MakePickedFile(e, "/music/");
  EXPECT_EQ(r.file[1], "/music/CD1/");
  EXPECT_EQ(r.tag[6], "riff tit");
  EXPECT_EQ(r.tag[4], "riff tit");
  EXPECT_EQ(r.tag[12], "3");  // merged track from ID3v1
  EXPECT_EQ(r.tag[14], "");   // トラック№（ID3v2） empty with RIFF
  EXPECT_EQ(r.tag[18], "2001");
  for (int empty : {28, 30, 31}) EXPECT_EQ(r.tag[empty], "") << empty;
  EXPECT_EQ(r.tag[29], "rcopy");
  EXPECT_EQ(r.tag[32], "reng");
  EXPECT_EQ(r.tag[33], "rsrc");
  EXPECT_EQ(r.tag[34], "rsoft");
}

TEST(PickedFileFill, OtherFormatsFillOnlyTheMergedColumns) {
  const PickedFile vqf =
      MakePickedFile(Entry(MediaFormat::VQF, "a.vqf", {{"art", "tit", "save", "copy", "com"}}), "/");
  EXPECT_EQ(vqf.tag[0], "art");
  EXPECT_EQ(vqf.tag[1], "");
  EXPECT_EQ(vqf.tag[24], "com");
  EXPECT_EQ(vqf.tag[29], "copy");
  EXPECT_EQ(vqf.tag[33], "save");
  EXPECT_EQ(vqf.tag[8], "");
  const PickedFile avi = MakePickedFile(
      Entry(MediaFormat::AVI, "v.avi", {{"art", "tit", "2000", "gen", "com", "copy", "eng", "src", "soft"}},
            {"1", "t", "0:00:01", "PCM", "XVID"}),
      "/v");
  EXPECT_EQ(avi.tag[16], "2000");
  EXPECT_EQ(avi.tag[8], "");
  EXPECT_EQ(avi.tag[32], "eng");
  EXPECT_EQ(avi.file[11], "PCM");
  EXPECT_EQ(avi.file[12], "XVID");
  EXPECT_EQ(avi.file[7], "");
  const PickedFile mp4 =
      MakePickedFile(Entry(MediaFormat::MP4, "m.mp4",
                           {{"a", "t", "al", "1/2", "y", "g", "c", "grp", "composer", "1/1", "120", "tool"}}),
                     "/");
  EXPECT_EQ(mp4.tag[28], "composer");
  EXPECT_EQ(mp4.tag[34], "tool");
  EXPECT_EQ(mp4.tag[12], "1/2");
  const std::vector<std::string> wmaTags = {"", "", "", "", "", "", "", "", "album/url", "related/url"};
  EXPECT_EQ(MakePickedFile(Entry(MediaFormat::WMA, "w.wma", {wmaTags}), "/").tag[30],
            "album/url related/url");
  std::vector<std::string> onlyRelated = wmaTags;
  onlyRelated[8] = "";
  EXPECT_EQ(MakePickedFile(Entry(MediaFormat::WMA, "w.wma", {onlyRelated}), "/").tag[30], "related/url");
}

TEST(ListTotalsTest, NumbersFilesAndSumsIn64Bits) {
  std::vector<PickedFile> files = {Picked("/", "a", 3600, "4,000,000,000"),
                                   Picked("/", "b", 59, "4,000,000,000"), Picked("/", "c", 1, "bad")};
  const ListTotals totals = UpdateListTotals(files);
  EXPECT_EQ(files[2].file[0], "3");
  EXPECT_EQ(totals.count, "3");
  EXPECT_EQ(totals.size, "8,000,000,000");
  EXPECT_EQ(totals.time, "1:01:00");
  EXPECT_EQ(totals.seconds, "3660");
  std::vector<PickedFile> none;
  EXPECT_EQ(UpdateListTotals(none).time, "0:00:00");
  EXPECT_EQ(FormatPlayTime(360000 + 62), "100:01:02");
  EXPECT_EQ(GroupDigits(999), "999");
  EXPECT_EQ(GroupDigits(1000), "1,000");
}

TEST(RelativePaths, ClimbAndStrip) {
  const BasePath base{true, "/Music/Pop"};
  EXPECT_EQ(MakeRelativePath1("/Music/Pop/Live/", base), "Live/");
  EXPECT_EQ(MakeRelativePath1("/Music/Rock/", base), "../Rock/");
  EXPECT_EQ(MakeRelativePath1("/Music/Pop/", base), "");
  EXPECT_EQ(MakeRelativePath1("/Other/x/", base), "../../Other/x/");
  EXPECT_EQ(MakeRelativePath1("/Music/Popular/", base), "../Popular/");
  EXPECT_EQ(MakeRelativePath1("/Music/Rock/", {false, "/Music/Pop"}), "/Music/Rock/");
  EXPECT_EQ(MakeRelativePath1("/Music/Rock/", {true, ""}), "/Music/Rock/");
  EXPECT_EQ(MakeRelativePath2("/Music/Pop/Live/", base), "Live/");
  EXPECT_EQ(MakeRelativePath2("/Music/Rock/", base), "/Music/Rock/");
}

TEST(ListEngineTest, PlayListWithHeaderAndLoop) {
  std::vector<PickedFile> files = {Picked("/m/", "a.mp3", 10, "1"), Picked("/m/sub/", "b.mp3", 20, "2")};
  ListEngine engine(files, UpdateListTotals(files), {});
  const std::vector<TemplateRow> rows = {{"", "テキスト", "#EXTM3U", "↓"},
                                         {" *", "ファイルパス", "", "全体参照"},
                                         {" *", "ファイル名", "", "全体参照"},
                                         {" *", "テキスト", "", "↓"}};
  EXPECT_EQ(engine.Generate(rows, 0), (std::vector<std::string>{"#EXTM3U", "/m/a.mp3", "/m/sub/b.mp3"}));
}

TEST(ListEngineTest, RowsAroundTheLoopUseTheCurrentFile) {
  std::vector<PickedFile> files = {Picked("/", "a", 10, "1", "A"), Picked("/", "b", 20, "1", "B"),
                                   Picked("/", "c", 30, "1", "C")};
  ListEngine engine(files, UpdateListTotals(files), {});
  const std::vector<TemplateRow> rows = {
      {"", "タイトル", "", "全体参照"},    {"", "テキスト", "[", ""}, {" *", "通番", "", "全体参照"},
      {" *", "テキスト", "", ""},          {"", "テキスト", "]", ""}, {"", "タイトル", "", "全体参照"},
      {"", "トータル件数", "", "全体参照"}};
  EXPECT_EQ(engine.Generate(rows, 1), (std::vector<std::string>{"B[123]B3"}));
  EXPECT_EQ(engine.Generate(rows, -1), (std::vector<std::string>{"A[123]A3"}));
  std::vector<PickedFile> none;
  ListEngine empty(none, UpdateListTotals(none), {});
  EXPECT_EQ(empty.Generate(rows, 0), (std::vector<std::string>{"[]0"}));
  EXPECT_TRUE(empty.Generate({}, 0).empty());
}

TEST(ListEngineTest, RunningTimesAreSharedByEveryRow) {
  std::vector<PickedFile> files = {Picked("/", "a", 61, "1"), Picked("/", "b", 3600, "1")};
  ListEngine engine(files, UpdateListTotals(files), {});
  const std::vector<TemplateRow> rows = {{" *", "集計時間2", "", "全体参照"},
                                         {" *", "テキスト", " ", ""},
                                         {" *", "集計時間1", "", "全体参照"},
                                         {" *", "テキスト", "", "↓"}};
  EXPECT_EQ(engine.Generate(rows, 0), (std::vector<std::string>{"0:00:00 0:01:01", "0:01:01 1:01:01"}));
  const std::vector<TemplateRow> twice = {
      {" *", "集計時間1", "", "全体参照"}, {" *", "集計時間1", "", "全体参照"}, {" *", "テキスト", "", "↓"}};
  EXPECT_EQ(engine.Generate(twice, 0), (std::vector<std::string>{"0:01:010:02:02", "1:02:022:02:02"}));
}

TEST(ListEngineTest, EscapesExtractionAndUnknownItems) {
  EXPECT_EQ(ExpandTextEscapes("a\\\\tb\\tc"), "a\\tb\tc");
  EXPECT_EQ(ExpandTextEscapes("x\\n\\"), "x\\n\\");
  std::vector<PickedFile> files = {Picked("/", "abcdef", 5, "1", "a b c")};
  ListEngine engine(files, UpdateListTotals(files), {true, "/"});
  auto one = [&](const std::string& item, const std::string& text, const std::string& option) {
    return engine.Generate({{"", item, text, option}}, 0);
  };
  using Lines = std::vector<std::string>;
  EXPECT_EQ(one("ファイル名", "0,0", "部分参照"), Lines{"abcdef"});
  EXPECT_EQ(one("ファイル名", "0,3", "部分参照"), Lines{"abc"});
  EXPECT_EQ(one("ファイル名", "2,0", "部分参照"), Lines{"cdef"});
  EXPECT_EQ(one("ファイル名", "-1,0", "部分参照"), Lines{"f"});
  EXPECT_EQ(one("タイトル", "s/ /_/g", "正規表現"), Lines{"a_b_c"});
  EXPECT_EQ(one("タイトル", "s/z/y/", "正規表現"), Lines{"a b c"});
  EXPECT_EQ(one("タイトル", "s/(/y/", "正規表現"), Lines{"a b c"});  // rejected: unchanged
  EXPECT_EQ(one("再生時間（秒）", "", "全体参照"), Lines{"5"});
  EXPECT_TRUE(one("相対パス1", "", "全体参照").empty());  // the folder is the base itself
  EXPECT_TRUE(one("存在しない", "x", "全体参照").empty());
  EXPECT_TRUE(one("-----", "x", "全体参照").empty());
  engine.ExpandTemplateRow("テキスト", "x", -1, "");
  engine.ExpandTemplateRow("ファイル名", "", -1, "全体参照");  // no file: nothing
  engine.ExpandTemplateRow("トータル件数", "", -1, "全体参照");
  EXPECT_EQ(engine.Accumulator(), "x1");
  engine.ExpandTemplateRow("テキスト", "", -1, "↓");
  EXPECT_EQ(engine.OutputLines().back(), "x1");
}

TEST(ListEngineTest, RelativePathFollowsTheBaseSwitch) {
  std::vector<PickedFile> files = {Picked("/Music/Rock/", "a", 5, "1")};
  const std::vector<TemplateRow> rows = {
      {"", "相対パス1", "", "全体参照"}, {"", "テキスト", "|", ""}, {"", "ファイルパス", "", "全体参照"}};
  ListEngine off(files, UpdateListTotals(files), {false, "/Music/Pop"});
  EXPECT_EQ(off.Generate(rows, 0), (std::vector<std::string>{"/Music/Rock/|/Music/Rock/"}));
  ListEngine on(files, UpdateListTotals(files), {true, "/Music/Pop/"});
  EXPECT_EQ(on.Generate(rows, 0), (std::vector<std::string>{"../Rock/|/Music/Rock/"}));
}

using ListOutputTest = test::TempDirTest;

TEST_F(ListOutputTest, EncodingsAndLineEnds) {
  const std::vector<std::string> lines = {"曲 1", "", "ｶﾅ"};
  std::string bytes;
  ASSERT_TRUE(EncodeListOutput(lines, ListEncoding::ShiftJis, bytes));
  EXPECT_EQ(bytes, *EncodeCp932("曲 1") + "\r\n\r\n\xB6\xC5\r\n");
  ASSERT_TRUE(EncodeListOutput(lines, ListEncoding::Utf8, bytes));
  EXPECT_EQ(bytes, "曲 1\r\n\r\nｶﾅ\r\n");
  ASSERT_TRUE(EncodeListOutput({"a😀"}, ListEncoding::Utf16, bytes));
  EXPECT_EQ(bytes, std::string("\xFF\xFE"
                               "a\0\x3D\xD8\x00\xDE\r\0\n\0",
                               12));
  ASSERT_TRUE(EncodeListOutput({}, ListEncoding::Utf16, bytes));
  EXPECT_EQ(bytes, "\xFF\xFE");
  ASSERT_TRUE(WriteListOutput(dir_ / "empty.m3u", {}, ListEncoding::Utf16));
  std::string file;
  ASSERT_TRUE(ReadWholeFile(dir_ / "empty.m3u", file));
  EXPECT_EQ(file, "\xFF\xFE");
}

// From template to file as the list window goes: generate, show in the
// preview, write what the preview holds. The file ends in exactly one line
// break, whether or not the template's last row has one.
TEST(ListOutputLineEnds, OneFinalLineBreakWhateverTheTemplatesLastRow) {
  std::vector<PickedFile> files = {Picked("/m/", "a.mp3", 1, "1"), Picked("/m/", "b.mp3", 2, "2")};
  const TemplateRow head{"", "テキスト", "#EXTM3U", "↓"};
  const TemplateRow name{" *", "ファイル名", "", "全体参照"};
  const TemplateRow breakInLoop{" *", "テキスト", "", "↓"};
  const TemplateRow endText{"", "テキスト", "#END", ""};
  const TemplateRow endBreak{"", "テキスト", "", "↓"};
  struct Case {
    const char* what;
    std::vector<TemplateRow> rows;
    std::string file;
  };
  const Case cases[] = {
      {"last row in the loop with a break", {head, name, breakInLoop}, "#EXTM3U\r\na.mp3\r\nb.mp3\r\n"},
      {"last row without a break", {head, name, breakInLoop, endText}, "#EXTM3U\r\na.mp3\r\nb.mp3\r\n#END\r\n"},
      {"a break of its own after the text", {head, name, breakInLoop, endText, endBreak},
       "#EXTM3U\r\na.mp3\r\nb.mp3\r\n#END\r\n"},
      {"loop without breaks", {head, name}, "#EXTM3U\r\na.mp3b.mp3\r\n"},
      {"an empty break row as the last", {head, name, breakInLoop, endBreak},
       "#EXTM3U\r\na.mp3\r\nb.mp3\r\n"},
      {"two empty break rows", {head, name, breakInLoop, endBreak, endBreak},
       "#EXTM3U\r\na.mp3\r\nb.mp3\r\n\r\n"},
  };
  for (const Case& c : cases) {
    ListEngine engine(files, UpdateListTotals(files), {});
    const std::string preview = JoinPreviewLines(engine.Generate(c.rows, 0));
    for (ListEncoding encoding : {ListEncoding::ShiftJis, ListEncoding::Utf8}) {
      std::string bytes;
      ASSERT_TRUE(EncodeListOutput(SplitPreviewLines(preview), encoding, bytes));
      EXPECT_EQ(bytes, c.file) << c.what;
    }
  }
}

TEST_F(ListOutputTest, ShiftJisRefusesWhatItCannotHoldAndWritesNothing) {
  const fs::path path = dir_ / "list.txt";
  ASSERT_TRUE(WriteFileAtomic(path, "old"));
  std::string error;
  EXPECT_FALSE(WriteListOutput(path, {"fine", "노래 〜"}, ListEncoding::ShiftJis, &error));
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  EXPECT_NE(error.find("노"), std::string::npos) << error;
  EXPECT_NE(error.find("U+B178"), std::string::npos) << error;
  std::string file;
  ASSERT_TRUE(ReadWholeFile(path, file));
  EXPECT_EQ(file, "old");
  EXPECT_EQ(fs::directory_iterator(dir_)->path(), path);  // no temporary left
}

TEST(PreviewLines, SplitAndJoin) {
  EXPECT_EQ(SplitPreviewLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitPreviewLines("a\r\n"), (std::vector<std::string>{"a"}));
  EXPECT_EQ(SplitPreviewLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(SplitPreviewLines("").empty());
  EXPECT_EQ(JoinPreviewLines({"a", "", "b"}), "a\r\n\r\nb");
}

}  // namespace
}  // namespace hozanki
