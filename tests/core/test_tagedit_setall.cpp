// Set-all ("一括入力") pages and values, and undo from the files.

#include <gtest/gtest.h>

#include "TagEditTestSupport.h"
#include "core/catalogue/ColumnTables.h"
#include "core/tagedit/SetAll.h"
#include "core/tagedit/SetCellValue.h"
#include "core/tagedit/Undo.h"

namespace hozanki {
namespace {

using test::SetMarks;
using test::Tag;

constexpr TagKind V1 = TagKind::MP3ID3v1;
constexpr TagKind V2 = TagKind::MP3ID3v2;

TEST(TagEditSetAll, PageFollowsTheColumn) {
  EXPECT_EQ(ChooseSetAllPage(V2, 8).page, SetAllPage::TS3);  // ｺﾒﾝﾄ memo
  EXPECT_FALSE(ChooseSetAllPage(V2, 8).okIsDefault);
  EXPECT_EQ(ChooseSetAllPage(V1, 7).page, SetAllPage::TS2);            // ｼﾞｬﾝﾙ
  EXPECT_EQ(ChooseSetAllPage(TagKind::WMA, 7).page, SetAllPage::TS1);  // free-text WMA genre
  SetAllLayout pair = ChooseSetAllPage(TagKind::MP4, 5);
  EXPECT_EQ(pair.page, SetAllPage::TS5);
  EXPECT_EQ(pair.height, 165);
  SetAllLayout limited = ChooseSetAllPage(V1, 5);  // № with limit 2
  EXPECT_EQ(limited.page, SetAllPage::TS4);
  EXPECT_FALSE(limited.affixesShown);
  EXPECT_FALSE(limited.zeroPadEnabled);
  EXPECT_EQ(limited.height, 130);
  SetAllLayout free = ChooseSetAllPage(V2, 5);
  EXPECT_EQ(free.page, SetAllPage::TS4);
  EXPECT_TRUE(free.affixesShown);
  EXPECT_EQ(free.height, 165);
  SetAllLayout title = ChooseSetAllPage(V1, 3);
  EXPECT_EQ(title.page, SetAllPage::TS1);
  EXPECT_EQ(title.maxLength, 30u);
  EXPECT_EQ(ChooseSetAllPage(V2, 3).maxLength, 0u);
}

TEST(TagEditSetAll, NumberingPadsStepsAndWrapsOnLimitedColumns) {
  SetAllNumbering n;
  EXPECT_EQ(NumberingValues(n, 0, 3), (std::vector<std::string>{"01", "02", "03"}));
  n.zeroPad = false;
  n.prefix = "第";
  n.suffix = "話";
  n.start = 8;
  n.step = 2;
  EXPECT_EQ(NumberingValues(n, 0, 2), (std::vector<std::string>{"第8話", "第10話"}));
  SetAllNumbering wrap{98, 1, true, "", ""};
  EXPECT_EQ(NumberingValues(wrap, 2, 3), (std::vector<std::string>{"98", "99", "00"}));
  EXPECT_EQ(NumberingValues(wrap, 0, 3), (std::vector<std::string>{"98", "99", "100"}));
  EXPECT_EQ(PairNumberingValues(wrap, kColumnNumberPair, "5", 3),
            (std::vector<std::string>{"98/5", "99/5", "00/5"}));
  EXPECT_EQ(PairNumberingValues(SetAllNumbering{}, kColumnNumberPair, "", 2),
            (std::vector<std::string>{"01", "02"}));
}

TEST(TagEditSetAll, TrackPairsOfTwelveSelectedRows) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP4, 12);
  SetAllInput input;
  input.page = SetAllPage::TS5;
  std::string total;
  EXPECT_EQ(ApplySetAll(c, EditTarget::TagColumn(TagKind::MP4, 4), {}, false, input, &total), 12);
  EXPECT_EQ(total, "12");
  for (int r = 0; r < 12; ++r) {
    char expected[8];
    std::snprintf(expected, sizeof expected, "%02d/12", r + 1);
    EXPECT_EQ(Tag(c, TagKind::MP4, r).cells[4].text, expected);
    EXPECT_EQ(Tag(c, TagKind::MP4, r).image, kChangedMark);
  }
  // "選択数" off: the typed total; three selected rows, one closed.
  input.useSelectionCount = false;
  input.total = "20";
  SetMarks(c, TagKind::MP4, 5, kChecked, kErrorMark);
  std::vector<int> selected = {5, 3, 7};
  EXPECT_EQ(ApplySetAll(c, EditTarget::TagColumn(TagKind::MP4, 4), selected, false, input), 2);
  EXPECT_EQ(Tag(c, TagKind::MP4, 3).cells[4].text, "01/20");
  EXPECT_EQ(Tag(c, TagKind::MP4, 5).cells[4].text, "06/12");
  EXPECT_EQ(Tag(c, TagKind::MP4, 7).cells[4].text, "02/20");
  // "すべて選択" takes every row even with a selection.
  input.page = SetAllPage::TS1;
  input.text = "x";
  EXPECT_EQ(ApplySetAll(c, EditTarget::TagColumn(TagKind::MP4, 1), selected, true, input), 11);
}

TEST(TagEditSetAll, TextPagesAndTheId3v1GenreRule) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP3, 3);
  test::SetText(c, V1, 0, 6, "Rock");
  SetAllInput input;
  input.page = SetAllPage::TS2;
  input.text = "jazz";
  EXPECT_EQ(ApplySetAll(c, EditTarget::TagColumn(V1, 6), {}, false, input), 3);
  EXPECT_EQ(Tag(c, V1, 1).cells[6].text, "jazz");  // known, kept as typed
  input.text = "Not A Genre";
  EXPECT_EQ(ApplySetAll(c, EditTarget::TagColumn(V1, 6), {}, false, input), 3);
  EXPECT_EQ(Tag(c, V1, 2).cells[6].text, "");
  // ID3v2 genres are free.
  EXPECT_EQ(ApplySetAll(c, EditTarget::TagColumn(V2, 6), {}, false, input), 3);
  EXPECT_EQ(Tag(c, V2, 2).cells[6].text, "Not A Genre");
  EXPECT_EQ(Id3v1GenreValue("anime(j)"), "anime(j)");
  EXPECT_EQ(Id3v1GenreValue("- User -"), "");
  // TS1 keeps to the column's limit.
  input.page = SetAllPage::TS1;
  input.text = std::string(40, 'a');
  ApplySetAll(c, EditTarget::TagColumn(V1, 2), {}, false, input);
  EXPECT_EQ(Tag(c, V1, 0).cells[2].text, std::string(30, 'a'));
  // TS4 on the ID3v1 track column wraps at 100.
  input.page = SetAllPage::TS4;
  input.numbering = {99, 1, true, "x", "y"};
  ApplySetAll(c, EditTarget::TagColumn(V1, 4), {}, false, input);
  EXPECT_EQ(Tag(c, V1, 0).cells[4].text, "99");
  EXPECT_EQ(Tag(c, V1, 1).cells[4].text, "00");
  EXPECT_EQ(Tag(c, V1, 2).cells[4].text, "01");
}

class TagEditUndo : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Copy("mp3/sjis_id3v2.mp3", "a.mp3");
    folder_.Copy("wav/tagged.wav", "b.wav");
    folder_.Load(c_, {"a.mp3", "b.wav"});
  }
  test::TempFolder folder_;
  Catalogue c_;
};

TEST_F(TagEditUndo, WholeRowGoesBackToTheFile) {
  const TagRow loaded = Tag(c_, V2, 0);
  ASSERT_EQ(loaded.state, kChecked);
  SetCellValue(c_, EditTarget::TagColumn(V2, 1), 0, "changed", ValueSource::Other, false);
  SetCellValue(c_, EditTarget::TagColumn(V2, 9), 0, "©", ValueSource::Other, false);
  std::vector<int> rows = {0};
  EXPECT_EQ(UndoTagRows(c_, folder_.Path(), V2, rows, 0), 1);
  const TagRow& now = Tag(c_, V2, 0);
  EXPECT_EQ(now.cells[1].text, loaded.cells[1].text);
  EXPECT_EQ(now.cells[9].text, loaded.cells[9].text);
  EXPECT_EQ(now.cells[1].value, 0);
  EXPECT_EQ(now.image, kNoMark);
  EXPECT_EQ(now.state, kChecked);

  // An unchecked ID3v2 row of a file that has the tag is checked again, and
  // RIFF greyed again.
  SetMarks(c_, V2, 0, kUnchecked, kChangedMark);
  SetMarks(c_, TagKind::MP3RIFF, 0, kUnchecked);
  UndoTagRows(c_, folder_.Path(), V2, rows, 0);
  EXPECT_EQ(Tag(c_, V2, 0).state, kChecked);
  EXPECT_EQ(Tag(c_, TagKind::MP3RIFF, 0).state, kUnavailable);
  // A WAV row unchecked by the user is checked again, as after loading.
  SetMarks(c_, TagKind::WAV, 0, kUnchecked, kChangedMark);
  UndoTagRows(c_, folder_.Path(), TagKind::WAV, rows, 0);
  EXPECT_EQ(Tag(c_, TagKind::WAV, 0).state, kChecked);
  EXPECT_EQ(Tag(c_, TagKind::WAV, 0).image, kNoMark);
}

TEST_F(TagEditUndo, EditColumnRevertsOnlyThatCell) {
  const TagRow loaded = Tag(c_, TagKind::WAV, 0);
  SetCellValue(c_, EditTarget::TagColumn(TagKind::WAV, 1), 0, "one", ValueSource::Other, false);
  SetCellValue(c_, EditTarget::TagColumn(TagKind::WAV, 2), 0, "two", ValueSource::Other, false);
  std::vector<int> rows = {0};
  EXPECT_EQ(UndoTagRows(c_, folder_.Path(), TagKind::WAV, rows, 1), 1);
  EXPECT_EQ(Tag(c_, TagKind::WAV, 0).cells[1].text, loaded.cells[1].text);
  EXPECT_EQ(Tag(c_, TagKind::WAV, 0).cells[2].text, "two");
  EXPECT_EQ(Tag(c_, TagKind::WAV, 0).image, kChangedMark);  // title still changed
  EXPECT_EQ(UndoTagRows(c_, folder_.Path(), TagKind::WAV, rows, 2), 1);
  EXPECT_EQ(Tag(c_, TagKind::WAV, 0).image, kNoMark);
  // A row without the flag in that column is not read; a missing file leaves its row.
  SetCellValue(c_, EditTarget::TagColumn(TagKind::WAV, 3), 0, "three", ValueSource::Other, false);
  EXPECT_EQ(UndoTagRows(c_, folder_.Path(), TagKind::WAV, rows, 1), 0);
  std::filesystem::remove(folder_.Path() / "b.wav");
  EXPECT_EQ(UndoTagRows(c_, folder_.Path(), TagKind::WAV, rows, 3), 0);
  EXPECT_EQ(Tag(c_, TagKind::WAV, 0).cells[3].text, "three");
}

TEST_F(TagEditUndo, FileNamesComeBackFromTheDisk) {
  SetCellValue(c_, EditTarget::FileNames(MediaFormat::MP3), 0, "renamed.mp3", ValueSource::Other, false);
  std::vector<int> rows = {0};
  EXPECT_EQ(UndoFileNames(c_, MediaFormat::MP3, rows), 1);
  EXPECT_EQ(test::EntryAt(c_, MediaFormat::MP3, 0).file.cells[0].text, "a.mp3");
  EXPECT_EQ(test::EntryAt(c_, MediaFormat::MP3, 0).file.image, kNoMark);
}

}  // namespace
}  // namespace hozanki
