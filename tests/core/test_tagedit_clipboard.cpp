// The clipboard's copy data: encoding, decoding, partial and whole copy and paste.

#include <gtest/gtest.h>

#include "TagEditTestSupport.h"
#include "core/catalogue/ColumnTables.h"
#include "core/tagedit/CopyData.h"

namespace hozanki {
namespace {

using test::SetMarks;
using test::SetText;
using test::Tag;

constexpr TagKind V1 = TagKind::MP3ID3v1;
constexpr TagKind V2 = TagKind::MP3ID3v2;
constexpr int kComment = 7;  // ID3v2 "ｺﾒﾝﾄ" (memo)

TEST(TagEditClipboard, PartialDataIsHeaderThenOneEscapedLinePerRow) {
  std::vector<std::string> values = {"a\r\nb", "", "x\ny\rz"};
  std::string text = EncodePartialCopy(values);
  EXPECT_EQ(text, "\r\nHozankiコピーデータ（部分）\r\na\\nb\r\n\r\nx\\ny\\nz\r\n");
  std::optional<std::vector<std::string>> lines = DecodeCopyData(text, kPartialCopyHeader);
  ASSERT_TRUE(lines);
  EXPECT_EQ(*lines, (std::vector<std::string>{"a\\nb", "", "x\\ny\\nz"}));
  // The same data with LF line ends (as some clipboards hand it over) decodes alike.
  EXPECT_EQ(DecodeCopyData("\nHozankiコピーデータ（部分）\na\n\n", kPartialCopyHeader),
            (std::vector<std::string>{"a", ""}));
}

TEST(TagEditClipboard, ForeignTextIsNotCopyData) {
  for (std::string_view text :
       {"", "\r\n", "Hozankiコピーデータ（部分）\r\na\r\n", "\r\nHozankiコピーデータ（全体）\r\n",
        "x\r\nHozankiコピーデータ（部分）\r\n", "\r\nHozankiコピーデータ（部分） \r\na"})
    EXPECT_FALSE(DecodeCopyData(text, kPartialCopyHeader)) << text;
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP3, 2);
  EXPECT_EQ(PartialPaste(c, EditTarget::TagColumn(V2, 1), {}, "just some text\r\nmore", false), -1);
  EXPECT_EQ(WholePaste(c, V2, {}, EncodePartialCopy(std::vector<std::string>{"a"})), -1);
  EXPECT_EQ(Tag(c, V2, 0).image, kNoMark);
}

TEST(TagEditClipboard, PastedValuesFollowTheColumnKind) {
  // Line breaks come back in a memo column and vanish elsewhere; tabs become line breaks.
  EXPECT_EQ(PastedValue("a\\nb", kColumnMemo), "a\r\nb");
  EXPECT_EQ(PastedValue("a\\nb", 0), "ab");
  EXPECT_EQ(PastedValue("a\tb", 0), "a\r\nb");
  // Limits count code page 932 width and never split a double-byte character.
  EXPECT_EQ(PastedValue("ＡＢＣ", 2), "Ａ");
  EXPECT_EQ(PastedValue("1ＡＢ", 2), "1");
  EXPECT_EQ(PastedValue("ｱｲｳｴ", 2), "ｱｲ");
  EXPECT_EQ(PastedValue("12345", 4), "1234");
  EXPECT_EQ(PastedValue("長い値", 0), "長い値");
}

TEST(TagEditClipboard, CommentRoundTripsThroughMemoAndSingleLineColumns) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP3, 1);
  SetText(c, V2, 0, kComment, "a\r\nb");
  std::string text = PartialCopyText(c, EditTarget::TagColumn(V2, kComment), {}, false);
  EXPECT_NE(text.find("\r\na\\nb\r\n"), std::string::npos);
  SetText(c, V2, 0, kComment, "");
  EXPECT_EQ(PartialPaste(c, EditTarget::TagColumn(V2, kComment), {}, text, false), 1);
  EXPECT_EQ(Tag(c, V2, 0).cells[kComment].text, "a\r\nb");
  EXPECT_EQ(PartialPaste(c, EditTarget::TagColumn(V2, 1), {}, text, false), 1);
  EXPECT_EQ(Tag(c, V2, 0).cells[1].text, "ab");
}

TEST(TagEditClipboard, ClosedRowsAreSkippedAndDoNotUseUpLines) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP3, 5);
  for (int r = 0; r < 5; ++r) SetText(c, V2, r, 2, "t" + std::to_string(r));
  SetMarks(c, V2, 1, kUnavailable);
  SetMarks(c, V2, 3, kChecked, kErrorMark);
  EditTarget title = EditTarget::TagColumn(V2, 2);
  std::string copied = PartialCopyText(c, title, {}, false);
  EXPECT_EQ(*DecodeCopyData(copied, kPartialCopyHeader), (std::vector<std::string>{"t0", "t2", "t4"}));

  EXPECT_EQ(PartialPaste(c, title, {}, EncodePartialCopy(std::vector<std::string>{"A", "B"}), false), 2);
  EXPECT_EQ(Tag(c, V2, 0).cells[2].text, "A");
  EXPECT_EQ(Tag(c, V2, 1).cells[2].text, "t1");
  EXPECT_EQ(Tag(c, V2, 2).cells[2].text, "B");
  EXPECT_EQ(Tag(c, V2, 3).cells[2].text, "t3");
  EXPECT_EQ(Tag(c, V2, 4).cells[2].text, "t4");
  EXPECT_EQ(Tag(c, V2, 4).image, kNoMark);
}

TEST(TagEditClipboard, LinesAndRowsPairUpInOrder) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::WAV, 5);
  EditTarget artist = EditTarget::TagColumn(TagKind::WAV, 1);
  std::vector<std::string> three = {"1", "2", "3"};
  EXPECT_EQ(PartialPaste(c, artist, {}, EncodePartialCopy(three), false), 3);
  EXPECT_EQ(Tag(c, TagKind::WAV, 2).cells[1].text, "3");
  EXPECT_EQ(Tag(c, TagKind::WAV, 3).cells[1].text, "");
  EXPECT_EQ(Tag(c, TagKind::WAV, 3).image, kNoMark);
  // Five lines into three selected rows use the first three lines; equal cells are not marked.
  std::vector<int> selected = {4, 0, 2};
  std::vector<std::string> five = {"1", "b", "c", "d", "e"};
  EXPECT_EQ(PartialPaste(c, artist, selected, EncodePartialCopy(five), false), 2);
  EXPECT_EQ(Tag(c, TagKind::WAV, 0).cells[1].text, "1");
  EXPECT_EQ(Tag(c, TagKind::WAV, 2).cells[1].text, "b");
  EXPECT_EQ(Tag(c, TagKind::WAV, 4).cells[1].text, "c");
  // No edit column: nothing is pasted.
  EXPECT_EQ(PartialPaste(c, EditTarget::TagColumn(TagKind::WAV, 0), {}, EncodePartialCopy(five), false), -1);
}

TEST(TagEditClipboard, FileNamesWithExtOmitAndExtProtect) {
  Catalogue c;
  c.Append(MediaFormat::MP3,
           {test::MakeEntry(MediaFormat::MP3, "song.mp3"), test::MakeEntry(MediaFormat::MP3, "b.x.mp3")});
  EditTarget names = EditTarget::FileNames(MediaFormat::MP3);
  std::string copied = PartialCopyText(c, names, {}, true);
  EXPECT_EQ(*DecodeCopyData(copied, kPartialCopyHeader), (std::vector<std::string>{"song", "b.x"}));
  std::vector<std::string> pasted = {"新しい", "b.x"};
  EXPECT_EQ(PartialPaste(c, names, {}, EncodePartialCopy(pasted), true), 2);
  EXPECT_EQ(test::EntryAt(c, MediaFormat::MP3, 0).file.cells[0].text, "新しい.mp3");
  EXPECT_EQ(test::EntryAt(c, MediaFormat::MP3, 1).file.cells[0].text, "b.x.mp3");
  EXPECT_EQ(*DecodeCopyData(PartialCopyText(c, names, {}, false), kPartialCopyHeader),
            (std::vector<std::string>{"新しい.mp3", "b.x.mp3"}));
  // A table's name column holds relative paths: the extension is never sought in a folder name.
  c.Append(MediaFormat::WAV,
           {test::MakeEntry(MediaFormat::WAV, "A.B/noext"), test::MakeEntry(MediaFormat::WAV, "A.B/c.wav")});
  EXPECT_EQ(*DecodeCopyData(PartialCopyText(c, EditTarget::TagColumn(TagKind::WAV, 0), {}, true),
                            kPartialCopyHeader),
            (std::vector<std::string>{"A.B/noext", "A.B/c"}));
}

TEST(TagEditClipboard, WholeCopyFromId3v1PastesIntoWavByCaption) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP3, 2);
  test::FillCatalogue(c, MediaFormat::WAV, 2);
  const std::vector<std::string> v1 = {"Artist", "Title", "Album", "7", "1999", "Rock", "Note"};
  for (int r = 0; r < 2; ++r)
    for (size_t k = 0; k < v1.size(); ++k)
      SetText(c, V1, r, static_cast<int>(k) + 1, v1[k] + std::to_string(r));
  SetMarks(c, V1, 1, kUnavailable);  // closed rows are copied too
  std::string text = WholeCopyText(c, V1, {});
  std::optional<std::vector<std::string>> lines = DecodeCopyData(text, kWholeCopyHeader);
  ASSERT_TRUE(lines);
  ASSERT_EQ(lines->size(), 3u);
  EXPECT_EQ((*lines)[0], "ｱｰﾃｨｽﾄ \tﾀｲﾄﾙ \tｱﾙﾊﾞﾑ \t №\t 年\tｼﾞｬﾝﾙ \tｺﾒﾝﾄ \t");
  EXPECT_EQ((*lines)[2], "Artist1\tTitle1\tAlbum1\t71\t19991\tRock1\tNote1\t");

  EXPECT_EQ(WholePaste(c, TagKind::WAV, {}, text), 12);
  const TagRow& wav = Tag(c, TagKind::WAV, 1);
  // WAV: 1 artist, 2 title, 3 album, 4 year, 5 genre, 6 comment, 7.. empty.
  EXPECT_EQ(wav.cells[1].text, "Artist1");
  EXPECT_EQ(wav.cells[4].text, "19991");
  EXPECT_EQ(wav.cells[5].text, "Rock1");
  EXPECT_EQ(wav.cells[6].text, "Note1");
  EXPECT_EQ(wav.cells[7].text, "");
  EXPECT_EQ(wav.cells[7].value, 0);
}

TEST(TagEditClipboard, WholePasteHonoursLimitsAndShortLines) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP3, 2);
  std::vector<std::string> captions = {" №", "ｺﾒﾝﾄ ", "unknown"};
  std::vector<std::vector<std::string>> rows = {{"１２", "a\\nb", "z"}};
  std::string text = EncodeWholeCopy(captions, rows);
  text += "9\r\n";  // a short line: only the first field
  EXPECT_EQ(WholePaste(c, V1, {}, text), 3);
  EXPECT_EQ(Tag(c, V1, 0).cells[4].text, "１");
  EXPECT_EQ(Tag(c, V1, 0).cells[7].text, "ab");
  EXPECT_EQ(Tag(c, V1, 1).cells[4].text, "9");
  EXPECT_EQ(Tag(c, V1, 1).cells[7].value, 0);
  // Sort marks in copied captions read as blanks.
  EXPECT_EQ(CopyCaption("+№"), " №");
}

}  // namespace
}  // namespace hozanki
