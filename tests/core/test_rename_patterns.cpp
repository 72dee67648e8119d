#include <gtest/gtest.h>

#include <filesystem>

#include "TempDirTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/rename/PatternEvaluator.h"
#include "core/rename/RenamePattern.h"
#include "core/text/Cp932.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

using RenameFileTest = test::TempDirTest;

// An entry with a file row and one tag row per kind of its format; `tags`
// gives cells 1.. of each tag row in kind order.
MediaFileEntry MakeEntry(MediaFormat format, const std::string& name,
                         const std::vector<std::vector<std::string>>& tags) {
  MediaFileEntry e;
  e.format = format;
  e.relativePath = name;
  e.file.cells.resize(FileCellCount(format));
  e.file.cells[0].text = name.substr(name.rfind('/') == std::string::npos ? 0 : name.rfind('/') + 1);
  e.file.cells[1].text = "1,234";
  e.file.cells[2].text = "2024/01/02 03:04:05";
  e.file.cells[3] = {"0:03:25", 205};
  e.file.cells[FileCellCount(format) == 9 ? 8 : 4].text = "MPEG1 Layer3";
  if (FileCellCount(format) == 6) e.file.cells[5].text = "H.264";
  for (size_t k = 0; k < TagKindsOf(format).size(); ++k) {
    TagRow row;
    row.cells.resize(ValueNamesOf(TagKindsOf(format)[k]).size() + 1);
    row.cells[0].text = name;
    if (k < tags.size())
      for (size_t c = 0; c < tags[k].size(); ++c) row.cells[c + 1].text = tags[k][c];
    e.tags.push_back(row);
  }
  return e;
}

TEST(RenamePattern, CodesJoinKindAndOption) {
  EXPECT_EQ(PatternItem::Make(10, kPatternWhole, "").code, 110);
  EXPECT_EQ(PatternItem::Make(11, kPatternRegexp, "s///").code, 311);
  EXPECT_EQ(PatternItem::Make(0, kPatternSubstring, " - ").code, 900);
  const PatternItem item{211, "0,3"};
  EXPECT_EQ(item.Kind(), 11);
  EXPECT_EQ(item.Option(), kPatternSubstring);
  EXPECT_EQ((PatternItem{905, ""}).Option(), kPatternNoOption);
  EXPECT_EQ((PatternItem{905, ""}).Kind(), 5);
}

TEST(RenamePattern, KindListsPutTagFieldsAfterTheSeparator) {
  EXPECT_EQ(RenameItemNames(MediaFormat::MP3).size(), 31u);
  EXPECT_EQ(RenameItemNames(MediaFormat::MP4)[23], "コンピレーション");
  EXPECT_EQ(RenameItemNames(MediaFormat::MP4).back(), "歌詞");
  EXPECT_EQ(RenameItemNames(MediaFormat::WMA)[9], "映像形式");
  EXPECT_EQ(FieldOfKind(MediaFormat::WAV, 9).field, PatternField::Separator);
  EXPECT_EQ(FieldOfKind(MediaFormat::AVI, 9).field, PatternField::VideoFormat);
  EXPECT_EQ(FieldOfKind(MediaFormat::AVI, 10).field, PatternField::Separator);
  // The n-th tag field is tag column n, for every format.
  for (int f = 0; f < kFormatCount; ++f) {
    const auto format = static_cast<MediaFormat>(f);
    const auto names = RenameItemNames(format);
    const PatternFieldOf last = FieldOfKind(format, static_cast<int>(names.size()) - 1);
    ASSERT_EQ(last.field, PatternField::Tag) << f;
    if (format != MediaFormat::MP3)
      EXPECT_EQ(static_cast<size_t>(last.tagField), ValueNamesOf(TagKindsOf(format)[0]).size()) << f;
  }
  EXPECT_EQ(FieldOfKind(MediaFormat::OGG, 99).field, PatternField::Separator);
}

TEST_F(RenameFileTest, DataFileMatchesTheStoredLayoutAndReadsBack) {
  RenamePatternStore store;
  store[0].push_back({"Artist - Title",
                      {PatternItem::Make(10, 0, ""), PatternItem::Make(0, -1, " - "),
                       PatternItem::Make(11, 0, ""), PatternItem::Make(3, 0, "")}});
  store[1].push_back({"頭3文字", {PatternItem::Make(2, kPatternSubstring, "0,3")}});
  const fs::path path = dir_ / kRenamePatternFileName;
  ASSERT_TRUE(SaveRenamePatterns(path, store));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  const std::string expected =
      "[MP3]\r\nCount=1\r\nTitle0=Artist - Title\r\nCount0=4\r\nItem0-0=110,/\r\nItem0-1=900, - /\r\n"
      "Item0-2=111,/\r\nItem0-3=103,/\r\n[WAV]\r\nCount=1\r\nTitle0=" +
      *EncodeCp932("頭3文字") +
      "\r\nCount0=1\r\nItem0-0=202,0,3/\r\n[AVI]\r\nCount=0\r\n[VQF]\r\nCount=0\r\n[WMA]\r\nCount=0\r\n"
      "[OGG]\r\nCount=0\r\n[APE]\r\nCount=0\r\n[MP4]\r\nCount=0\r\n[FLAC]\r\nCount=0\r\n";
  EXPECT_EQ(bytes, expected);
  EXPECT_FALSE(fs::exists(dir_ / "NR284Ren.dat.___"));
  EXPECT_EQ(LoadRenamePatterns(path), store);
  // Written again from what was read: the same bytes.
  ASSERT_TRUE(SaveRenamePatterns(path, LoadRenamePatterns(path)));
  std::string again;
  ASSERT_TRUE(ReadWholeFile(path, again));
  EXPECT_EQ(again, expected);
}

TEST_F(RenameFileTest, ShortOrDamagedValuesAndRecovery) {
  const fs::path path = dir_ / kRenamePatternFileName;
  // Only the recovery copy exists: it becomes the data file.
  ASSERT_TRUE(WriteFileAtomic(dir_ / "NR284Ren.dat.___",
                              "[OGG]\r\nCount=1\r\nTitle0=x\r\nCount0=5\r\nItem0-0=12\r\nItem0-1=abc,def/\r\n"
                              "Item0-2=110\r\nItem0-3=210,1,2  /\r\n"));
  const RenamePatternStore store = LoadRenamePatterns(path);
  EXPECT_TRUE(fs::exists(path));
  EXPECT_FALSE(fs::exists(dir_ / "NR284Ren.dat.___"));
  ASSERT_EQ(store[5].size(), 1u);
  const auto& items = store[5][0].items;
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0], (PatternItem{900, ""}));     // too short for a code
  EXPECT_EQ(items[1], (PatternItem{900, "def"}));  // not a number
  EXPECT_EQ(items[2], (PatternItem{110, ""}));
  EXPECT_EQ(items[3], (PatternItem{210, "1,2  "}));  // trailing blanks kept by the "/"
  EXPECT_EQ(items[4], (PatternItem{900, ""}));       // missing key
  EXPECT_TRUE(LoadRenamePatterns(dir_ / "missing.dat")[0].empty());
  // Damaged counts stay within what the section holds.
  ASSERT_TRUE(WriteFileAtomic(path, "[MP3]\r\nCount=2000000000\r\nCount0=2000000000\r\nItem0-0=110,/\r\n"));
  const RenamePatternStore huge = LoadRenamePatterns(path);
  EXPECT_LE(huge[0].size(), 3u);
  EXPECT_LE(huge[0][0].items.size(), 3u);
  EXPECT_EQ(huge[0][0].items[0].code, 110);
}

TEST_F(RenameFileTest, SavingKeepsOtherSectionsAndReplacesAllEight) {
  const fs::path path = dir_ / kRenamePatternFileName;
  ASSERT_TRUE(WriteFileAtomic(path, "[Extra]\r\nKey=1\r\n[MP4]\r\nCount=2\r\nTitle0=a\r\nTitle1=b\r\n"));
  RenamePatternStore store;
  store[7].push_back({"only", {PatternItem::Make(0, -1, "t")}});
  ASSERT_TRUE(SaveRenamePatterns(path, store));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes.find("Title1"), std::string::npos);
  EXPECT_LT(bytes.find("[MP3]"), bytes.find("[MP4]"));
  EXPECT_NE(bytes.find("[Extra]\r\nKey=1\r\n"), std::string::npos);
  EXPECT_EQ(LoadRenamePatterns(path), store);
}

TEST(EvaluatePattern, Mp3TakesTheFirstNonEmptyTagInLookupOrder) {
  // ID3v1, ID3v2, RIFF, APE rows; APE artist and title empty.
  const MediaFileEntry e = MakeEntry(MediaFormat::MP3, "x.mp3",
                                     {{"v1 artist", "v1 title", "", "7"},
                                      {"A", "T", "", "", "", "", "", "", "", "http://u"},
                                      {"riff artist", "", "", "", "", "", "", "", "riff source"},
                                      {"", "", "ape album"}});
  const std::vector<PatternItem> items = {PatternItem::Make(10, 0, ""), PatternItem::Make(0, -1, " - "),
                                          PatternItem::Make(11, 0, ""), PatternItem::Make(3, 0, "")};
  EXPECT_EQ(EvaluatePattern(MediaFormat::MP3, items, e), "A - T.mp3");
  auto one = [&](int kind) { return EvaluatePattern(MediaFormat::MP3, {PatternItem::Make(kind, 0, "")}, e); };
  EXPECT_EQ(one(12), "ape album");
  EXPECT_EQ(one(13), "7");            // only ID3v1 has it
  EXPECT_EQ(one(19), "http://u");     // URL: ID3v2 only
  EXPECT_EQ(one(22), "riff source");  // ソース: RIFF only
  EXPECT_EQ(one(17), "");             // 作曲者 empty everywhere
  EXPECT_EQ(one(1), "");              // separator
  EXPECT_EQ(one(4), "1,234");
  EXPECT_EQ(one(6), "0:03:25");
  EXPECT_EQ(one(7), "205");
  EXPECT_EQ(one(8), "MPEG1 Layer3");
}

TEST(EvaluatePattern, OptionsAndOtherFormats) {
  const MediaFileEntry wav = MakeEntry(MediaFormat::WAV, "abcdef.wav", {{"Artist Name"}});
  EXPECT_EQ(EvaluatePattern(MediaFormat::WAV, {PatternItem::Make(2, kPatternSubstring, "0,3")}, wav), "abc");
  EXPECT_EQ(EvaluatePattern(MediaFormat::WAV, {PatternItem::Make(10, kPatternRegexp, "s/ /_/g")}, wav),
            "Artist_Name");
  // An item without an option goes through the regular expression as well.
  EXPECT_EQ(EvaluatePattern(MediaFormat::WAV, {PatternItem{910, "tr/a-z/A-Z/"}}, wav), "ARTIST NAME");
  const MediaFileEntry mp4 = MakeEntry(MediaFormat::MP4, "sub/dir/clip.m4v",
                                       {{"", "", "", "", "", "", "", "", "", "", "", "", "yes"}});
  EXPECT_EQ(EvaluatePattern(MediaFormat::MP4, {PatternItem::Make(9, 0, "")}, mp4), "H.264");
  EXPECT_EQ(EvaluatePattern(MediaFormat::MP4, {PatternItem::Make(23, 0, "")}, mp4), "yes");
  // The loaded name without its folder; a name without a period has no extension.
  EXPECT_EQ(
      EvaluatePattern(MediaFormat::MP4, {PatternItem::Make(2, 0, ""), PatternItem::Make(3, 0, "")}, mp4),
      "clip.m4v");
  const MediaFileEntry bare = MakeEntry(MediaFormat::OGG, "noext", {});
  EXPECT_EQ(EvaluatePattern(MediaFormat::OGG, {PatternItem::Make(3, 0, "")}, bare), "");
}

TEST(ApplyRenamePattern, ExtProtectUnchangedRowsAndRefusals) {
  std::vector<MediaFileEntry> entries = {MakeEntry(MediaFormat::OGG, "song.ogg", {{"AC/DC", "Back"}}),
                                         MakeEntry(MediaFormat::OGG, "Back.ogg", {{"X", "Back"}}),
                                         MakeEntry(MediaFormat::OGG, "other.ogg", {{"", ""}})};
  const RenamePattern title{"t", {PatternItem::Make(11, 0, "")}};
  auto off = ApplyRenamePattern(MediaFormat::OGG, title, entries, {}, false);
  ASSERT_EQ(off.size(), 3u);
  EXPECT_EQ(off[0].newName, "Back");  // no extension without a 拡張子 item
  EXPECT_TRUE(off[0].changed);
  EXPECT_TRUE(off[0].refusal.empty());
  EXPECT_FALSE(off[2].refusal.empty());  // empty name
  auto on = ApplyRenamePattern(MediaFormat::OGG, title, entries, {1, 0}, true);
  ASSERT_EQ(on.size(), 2u);
  EXPECT_EQ(on[0].row, 1);
  EXPECT_EQ(on[0].newName, "Back.ogg");
  EXPECT_TRUE(on[0].changed);  // "Back" differs from "Back.ogg"; the extension is added when storing
  EXPECT_EQ(on[1].newName, "Back.ogg");
  const RenamePattern artist{"a", {PatternItem::Make(10, 0, ""), PatternItem::Make(3, 0, "")}};
  auto slash = ApplyRenamePattern(MediaFormat::OGG, artist, entries, {0}, false);
  EXPECT_EQ(slash[0].newName, "AC/DC.ogg");
  EXPECT_NE(slash[0].refusal.find("/"), std::string::npos);
  auto same = ApplyRenamePattern(MediaFormat::OGG, artist, entries, {1}, false);
  EXPECT_EQ(same[0].newName, "X.ogg");
  entries[1].file.cells[0].text = "X.ogg";
  EXPECT_FALSE(ApplyRenamePattern(MediaFormat::OGG, artist, entries, {1}, true)[0].changed);
  EXPECT_FALSE(RefuseFileName(std::string("a\0b", 3)).empty());
  EXPECT_FALSE(RefuseFileName("..").empty());
  EXPECT_TRUE(RefuseFileName("名前.mp3").empty());
}

}  // namespace
}  // namespace hozanki
