#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/catalogue/SortKeys.h"

namespace hozanki {
namespace {

MediaFileEntry Entry(const std::string& name, uint64_t size = 0, const std::string& stamp = "",
                     const std::string& time = "") {
  MediaFileEntry e;
  e.relativePath = name;
  e.size = size;
  e.file.cells = {{name}, {std::to_string(size)}, {stamp}, {time}, {""}};
  e.tags.resize(4);
  for (TagRow& t : e.tags) t.cells = {{"dir/" + name}, {"title of " + name}};
  return e;
}

std::vector<std::string> Names(const std::vector<MediaFileEntry>& entries) {
  std::vector<std::string> out;
  for (const MediaFileEntry& e : entries) out.push_back(e.file.cells[0].text);
  return out;
}

TEST(SortKeysTest, NamesSortAsCodePage932BytesWithOutsideCharactersLast) {
  // Code page 932 order differs from code point order: 亜 (0x889F) before
  // 一 (0x88EA); ｱ (0xB1) before 漾 (0xE040); hiragana (0x82..) before ｱ.
  // 〜 (U+301C) and 한 have no code page 932 code and come after everything.
  std::vector<MediaFileEntry> entries;
  for (const char* name : {"한.mp3", "〜.mp3", "漾.mp3", "ｱ.mp3", "一.mp3", "亜.mp3", "あ.mp3", "z.mp3"})
    entries.push_back(Entry(name));
  SortEntries(entries, SortColumn::Name, false);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"z.mp3", "あ.mp3", "亜.mp3", "一.mp3", "ｱ.mp3",
                                                      "漾.mp3", "〜.mp3", "한.mp3"}));
}

TEST(SortKeysTest, CaseIsIgnoredTiesKeepOrderAndDescendingReversesTies) {
  std::vector<MediaFileEntry> entries = {Entry("abc!"), Entry("Song"), Entry("abc"),
                                         Entry("SONG"), Entry("_x"),   Entry("song")};
  SortEntries(entries, SortColumn::Name, false);
  // Letters compare as capitals ("_" 0x5F after "A".."Z"); a name sorts before
  // the same name with "!" appended, as if filled up with blanks.
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"abc", "abc!", "Song", "SONG", "song", "_x"}));
  SortEntries(entries, SortColumn::Name, true);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"_x", "song", "SONG", "Song", "abc!", "abc"}));
  // Sorting descending again reverses the ties once more.
  SortEntries(entries, SortColumn::Name, true);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"_x", "Song", "SONG", "song", "abc!", "abc"}));
}

TEST(SortKeysTest, SizesAreNumericAcrossThe32BitLimit) {
  std::vector<MediaFileEntry> entries = {Entry("big", 5'000'000'000ull), Entry("small", 999),
                                         Entry("over4g", 4'294'967'297ull), Entry("mid", 4'294'967'295ull),
                                         Entry("tie", 999)};
  SortEntries(entries, SortColumn::Size, false);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"small", "tie", "mid", "over4g", "big"}));
  SortEntries(entries, SortColumn::Size, true);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"big", "over4g", "mid", "tie", "small"}));
}

TEST(SortKeysTest, PlayingTimeAndTimeStampOrder) {
  std::vector<MediaFileEntry> entries = {Entry("a", 0, "2024/05/01 10:00:00", "10:00"),
                                         Entry("b", 0, "2023/12/31 23:59:59", "9:59"),
                                         Entry("c", 0, "2024/05/01 09:59:59", "0:05"), Entry("d", 0, "", "")};
  SortEntries(entries, SortColumn::PlayingTime, false);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"d", "c", "b", "a"}));
  SortEntries(entries, SortColumn::TimeStamp, false);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"d", "b", "c", "a"}));
}

TEST(SortKeysTest, TagRowsMoveWithTheirFileRow) {
  std::vector<MediaFileEntry> entries = {Entry("c"), Entry("a"), Entry("b")};
  SortEntries(entries, SortColumn::Name, false);
  for (const MediaFileEntry& e : entries) {
    EXPECT_EQ(e.relativePath.native(), e.file.cells[0].text);
    for (const TagRow& t : e.tags) EXPECT_EQ(t.cells[0].text, "dir/" + e.file.cells[0].text);
  }
}

TEST(SortKeysTest, SortOrderMapsNewRowsToOldRows) {
  std::vector<MediaFileEntry> entries = {Entry("c", 3), Entry("a", 1), Entry("b", 2)};
  EXPECT_EQ(SortOrder(entries, SortColumn::Name, false), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(SortOrder(entries, SortColumn::Size, true), (std::vector<int>{0, 2, 1}));
  EXPECT_TRUE(SortOrder({}, SortColumn::Name, false).empty());
}

TEST(SortKeysTest, KeyComparisonFillsWithBlanks) {
  EXPECT_EQ(CompareSortKeys(TextSortKey("abc  "), TextSortKey("ABC")), 0);
  // The fill is a blank: a control character sorts before it, "c" after it.
  EXPECT_GT(CompareSortKeys(TextSortKey("ab"), TextSortKey("ab\x1f")), 0);
  EXPECT_LT(CompareSortKeys(TextSortKey("ab\x1f"), TextSortKey("ab")), 0);
  EXPECT_LT(CompareSortKeys(TextSortKey("ab"), TextSortKey("ab  c")), 0);
  // A character outside code page 932 never turns into a trailing blank.
  EXPECT_NE(CompareSortKeys(TextSortKey("\xC4\xA0"), TextSortKey("\xC4\xA1")), 0);  // U+0120, U+0121
  EXPECT_EQ(SortKeyCode(SortColumn::Size, false), 2);
  EXPECT_EQ(SortKeyCode(SortColumn::PlayingTime, true), 7);
}

TEST(SortKeysTest, SortMarksSitInTheCaptionsBlank) {
  EXPECT_EQ(WithSortMark("ﾌｧｲﾙ名 ", false, '+'), "ﾌｧｲﾙ名+");
  EXPECT_EQ(WithSortMark(" ｻｲｽﾞ", true, '-'), "-ｻｲｽﾞ");
  EXPECT_EQ(WithSortMark("-ｻｲｽﾞ", true, ' '), " ｻｲｽﾞ");
  EXPECT_EQ(SortMarkOf("ﾀｲﾑｽﾀﾝﾌﾟ+", false), '+');
  EXPECT_EQ(SortMarkOf(" 時間", true), ' ');
}

}  // namespace
}  // namespace hozanki
