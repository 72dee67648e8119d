// Sort keys and order of the tag tables' Shift-sort.

#include <gtest/gtest.h>

#include "core/catalogue/Catalogue.h"
#include "core/tagedit/TagSort.h"

using namespace hozanki;

namespace {

std::vector<MediaFileEntry> Mp4Rows(const std::vector<std::string>& tracks,
                                    const std::vector<std::string>& titles) {
  std::vector<MediaFileEntry> rows;
  for (size_t i = 0; i < tracks.size(); ++i) {
    MediaFileEntry e;
    e.format = MediaFormat::MP4;
    e.tags.resize(1);
    e.tags[0].cells.resize(15);
    e.tags[0].cells[0].text = "f" + std::to_string(i);
    e.tags[0].cells[4].text = tracks[i];  // column 5 " №", right-aligned
    e.tags[0].cells[2].text = titles[i];  // column 3 "ﾀｲﾄﾙ ", left-aligned
    rows.push_back(std::move(e));
  }
  return rows;
}

}  // namespace

TEST(TagSort, RightAlignedColumnsSortNumbersLeftAlignedOnesText) {
  const auto rows = Mp4Rows({"10", "9", "", "100", "09"}, {"10", "9", "", "100", "b"});
  EXPECT_EQ(TagSortOrder(rows, TagKind::MP4, 5, false), (std::vector<int>{2, 1, 4, 0, 3}));
  EXPECT_EQ(TagSortOrder(rows, TagKind::MP4, 3, false), (std::vector<int>{2, 0, 3, 1, 4}));
}

TEST(TagSort, TiesKeepTheirOrderAscendingAndReverseDescending) {
  const auto rows = Mp4Rows({"1", "1", "2", "1"}, {"abc", "ABC", "Abd", "abc "});
  EXPECT_EQ(TagSortOrder(rows, TagKind::MP4, 3, false),
            (std::vector<int>{0, 1, 3, 2}));  // letter case ignored
  EXPECT_EQ(TagSortOrder(rows, TagKind::MP4, 3, true), (std::vector<int>{2, 3, 1, 0}));
  EXPECT_EQ(TagSortOrder(rows, TagKind::MP4, 5, true), (std::vector<int>{2, 3, 1, 0}));
}

TEST(TagSort, KeysAre256BytesWideAndKanjiSortInJisOrder) {
  EXPECT_EQ(TagCellSortKey("12", true).size(), kTagSortKeyWidth);
  EXPECT_EQ(TagCellSortKey(std::string(300, '7'), true).size(), kTagSortKeyWidth);
  // Values equal in their first 256 bytes compare equal: the sort keeps their order.
  const auto rows = Mp4Rows({"1", "1"}, {std::string(256, 'a') + "z", std::string(256, 'a') + "b"});
  EXPECT_EQ(TagSortOrder(rows, TagKind::MP4, 3, false), (std::vector<int>{0, 1}));
  // 亜 (0x889F) before 唖 (0x88A0) before ア (0x8341 would be before both: katakana first).
  const auto kana = Mp4Rows({"", "", ""}, {"唖", "亜", "ア"});
  EXPECT_EQ(TagSortOrder(kana, TagKind::MP4, 3, false), (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(TagSortCode(5, true), 9);
}

TEST(TagSort, ShortRowsAndMp3KindsUseTheirOwnTagRow) {
  std::vector<MediaFileEntry> rows(3);
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i].tags.resize(4);
    rows[i].tags[3].cells.resize(9);
    rows[i].tags[3].cells[2].text = std::string(1, static_cast<char>('c' - i));  // APE title
  }
  rows[1].tags[3].cells.clear();  // a row without cells sorts as empty
  EXPECT_EQ(TagSortOrder(rows, TagKind::MP3APE, 3, false), (std::vector<int>{1, 2, 0}));
}
