// SetCellValue, check boxes with the MP3 exclusion rule, rows open to editing, clear.

#include <gtest/gtest.h>

#include "TagEditTestSupport.h"
#include "core/tagedit/CheckStates.h"
#include "core/tagedit/SetCellValue.h"

namespace hozanki {
namespace {

using test::SetMarks;
using test::Tag;

constexpr TagKind V1 = TagKind::MP3ID3v1;
constexpr TagKind V2 = TagKind::MP3ID3v2;
constexpr TagKind RIFF = TagKind::MP3RIFF;
constexpr TagKind APE = TagKind::MP3APE;

struct States {
  int v1, v2, riff, ape;
  bool operator==(const States&) const = default;
};

States StatesOf(const Catalogue& c, int row) {
  return {Tag(c, V1, row).state, Tag(c, V2, row).state, Tag(c, RIFF, row).state, Tag(c, APE, row).state};
}

void SetStates(Catalogue& c, int row, States s) {
  SetMarks(c, V1, row, s.v1);
  SetMarks(c, V2, row, s.v2);
  SetMarks(c, RIFF, row, s.riff);
  SetMarks(c, APE, row, s.ape);
}

TEST(TagEditCells, SetCellValueStoresAndMarksOnlyThatCell) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::WAV, 2);
  SetMarks(c, TagKind::WAV, 1, kUnchecked);
  test::ChangeRecorder recorder;
  c.AddObserver(&recorder);
  ASSERT_TRUE(
      SetCellValue(c, EditTarget::TagColumn(TagKind::WAV, 2), 1, "タイトル", ValueSource::Other, false));
  const TagRow& row = Tag(c, TagKind::WAV, 1);
  EXPECT_EQ(row.cells[2].text, "タイトル");
  EXPECT_EQ(row.cells[2].value, 1);
  EXPECT_EQ(row.cells[1].value, 0);
  EXPECT_EQ(row.image, kChangedMark);
  EXPECT_EQ(row.state, kChecked);
  EXPECT_EQ(Tag(c, TagKind::WAV, 0).image, kNoMark);
  ASSERT_EQ(recorder.changed.size(), 1u);
  EXPECT_EQ(recorder.changed[0], std::make_pair(MediaFormat::WAV, 1));
  // The relative name (sub-item 0) of a table and rows out of range are never stored.
  EXPECT_FALSE(SetCellValue(c, EditTarget::TagColumn(TagKind::WAV, 0), 0, "x", ValueSource::Other, false));
  EXPECT_FALSE(SetCellValue(c, EditTarget::TagColumn(TagKind::WAV, 2), 5, "x", ValueSource::Other, false));
  EXPECT_FALSE(SetCellValue(c, EditTarget::TagColumn(TagKind::WAV, 11), 0, "x", ValueSource::Other, false));
  c.RemoveObserver(&recorder);
}

TEST(TagEditCells, ExtProtectKeepsTheOldExtensionOnlyForPastesAndFixedForm) {
  Catalogue c;
  c.Append(MediaFormat::MP3,
           {test::MakeEntry(MediaFormat::MP3, "old.name.mp3"), test::MakeEntry(MediaFormat::MP3, "noext")});
  EditTarget names = EditTarget::FileNames(MediaFormat::MP3);
  SetCellValue(c, names, 0, "new", ValueSource::Paste, true);
  EXPECT_EQ(test::EntryAt(c, MediaFormat::MP3, 0).file.cells[0].text, "new.mp3");
  EXPECT_EQ(test::EntryAt(c, MediaFormat::MP3, 0).file.image, kChangedMark);
  SetCellValue(c, names, 0, "曲", ValueSource::FixedForm, true);
  EXPECT_EQ(test::EntryAt(c, MediaFormat::MP3, 0).file.cells[0].text, "曲.mp3");
  SetCellValue(c, names, 0, "typed", ValueSource::Other, true);
  EXPECT_EQ(test::EntryAt(c, MediaFormat::MP3, 0).file.cells[0].text, "typed");
  SetCellValue(c, names, 1, "pasted", ValueSource::Paste, true);
  EXPECT_EQ(test::EntryAt(c, MediaFormat::MP3, 1).file.cells[0].text, "pasted");
  SetCellValue(c, names, 1, "off.mp3", ValueSource::Paste, false);
  EXPECT_EQ(test::EntryAt(c, MediaFormat::MP3, 1).file.cells[0].text, "off.mp3");
  // Renaming never touches the tag rows' loaded names or marks.
  EXPECT_EQ(Tag(c, V2, 0).cells[0].text, "old.name.mp3");
  EXPECT_EQ(Tag(c, V2, 0).image, kNoMark);
}

TEST(TagEditCells, ExclusionRuleFollowsEachChangedTable) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP3, 1);
  // Checking RIFF greys ID3v2 and APE; unchecking it frees both.
  SetStates(c, 0, {0, 0, 1, 0});
  c.EditRow(MediaFormat::MP3, 0, [](MediaFileEntry& e) { ApplyExclusionRule(e, RIFF); });
  EXPECT_EQ(StatesOf(c, 0), (States{0, 2, 1, 2}));
  SetStates(c, 0, {1, 2, 0, 2});
  c.EditRow(MediaFormat::MP3, 0, [](MediaFileEntry& e) { ApplyExclusionRule(e, RIFF); });
  EXPECT_EQ(StatesOf(c, 0), (States{1, 0, 0, 0}));
  // Unchecking ID3v2 while APE is checked leaves RIFF unavailable.
  SetStates(c, 0, {0, 0, 2, 1});
  c.EditRow(MediaFormat::MP3, 0, [](MediaFileEntry& e) { ApplyExclusionRule(e, V2); });
  EXPECT_EQ(StatesOf(c, 0), (States{0, 0, 2, 1}));
  // ... and without APE it frees RIFF; the same for APE without ID3v2.
  SetStates(c, 0, {0, 0, 2, 0});
  c.EditRow(MediaFormat::MP3, 0, [](MediaFileEntry& e) { ApplyExclusionRule(e, V2); });
  EXPECT_EQ(StatesOf(c, 0).riff, 0);
  SetStates(c, 0, {0, 0, 0, 1});
  c.EditRow(MediaFormat::MP3, 0, [](MediaFileEntry& e) { ApplyExclusionRule(e, APE); });
  EXPECT_EQ(StatesOf(c, 0).riff, 2);
  // ID3v1 has no effect.
  SetStates(c, 0, {1, 0, 0, 0});
  c.EditRow(MediaFormat::MP3, 0, [](MediaFileEntry& e) { ApplyExclusionRule(e, V1); });
  EXPECT_EQ(StatesOf(c, 0), (States{1, 0, 0, 0}));
}

TEST(TagEditCells, ToggleCheckStateLeavesClosedRowsAlone) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP3, 3);
  SetStates(c, 0, {0, 1, 2, 0});
  EXPECT_TRUE(ToggleCheckState(c, V2, 0));
  EXPECT_EQ(StatesOf(c, 0), (States{0, 0, 0, 0}));
  EXPECT_EQ(Tag(c, V2, 0).image, kChangedMark);
  EXPECT_EQ(Tag(c, RIFF, 0).image, kNoMark);
  EXPECT_TRUE(ToggleCheckState(c, RIFF, 0));
  EXPECT_EQ(StatesOf(c, 0), (States{0, 2, 1, 2}));
  // State 2 and the error mark: nothing happens, no mark.
  EXPECT_FALSE(ToggleCheckState(c, V2, 0));
  EXPECT_EQ(StatesOf(c, 0), (States{0, 2, 1, 2}));
  EXPECT_FALSE(ToggleCheckState(c, APE, 0));
  EXPECT_EQ(Tag(c, APE, 0).image, kNoMark);
  SetMarks(c, V1, 1, kChecked, kErrorMark);
  EXPECT_FALSE(ToggleCheckState(c, V1, 1));
  EXPECT_EQ(Tag(c, V1, 1).state, kChecked);
  EXPECT_EQ(Tag(c, V1, 1).image, kErrorMark);
}

TEST(TagEditCells, HeaderToggleUnchecksWhenAnyIsCheckedElseChecksOpenRows) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP3, 4);
  SetMarks(c, V2, 0, kChecked);
  SetMarks(c, RIFF, 0, kUnavailable);
  EXPECT_EQ(ToggleAllCheckStates(c, V2), 1);
  EXPECT_EQ(Tag(c, V2, 0).state, kUnchecked);
  EXPECT_EQ(Tag(c, RIFF, 0).state, kUnchecked);
  for (int r = 1; r < 4; ++r) EXPECT_EQ(Tag(c, V2, r).image, kNoMark) << r;

  SetMarks(c, V2, 2, kUnavailable);
  SetMarks(c, V2, 3, kUnchecked, kErrorMark);
  EXPECT_EQ(ToggleAllCheckStates(c, V2), 2);
  EXPECT_EQ(Tag(c, V2, 0).state, kChecked);
  EXPECT_EQ(Tag(c, V2, 1).state, kChecked);
  EXPECT_EQ(Tag(c, V2, 2).state, kUnavailable);
  EXPECT_EQ(Tag(c, V2, 3).state, kUnchecked);
  EXPECT_EQ(Tag(c, RIFF, 1).state, kUnavailable);
  EXPECT_EQ(Tag(c, V2, 1).image, kChangedMark);
}

TEST(TagEditCells, PastingIntoAnUncheckedRiffRowKeepsTheKindsApart) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP3, 1);
  SetCellValue(c, EditTarget::TagColumn(RIFF, 1), 0, "artist", ValueSource::Paste, false);
  EXPECT_EQ(StatesOf(c, 0), (States{0, 2, 1, 2}));
  // A checked row stays as it is; the sisters are not touched again.
  SetStates(c, 0, {0, 1, 2, 0});
  SetCellValue(c, EditTarget::TagColumn(V2, 1), 0, "b", ValueSource::Paste, false);
  EXPECT_EQ(StatesOf(c, 0), (States{0, 1, 2, 0}));
}

TEST(TagEditCells, CommittingAnEditorStoresOnlyChangedTexts) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP3, 1);
  test::SetText(c, APE, 0, 2, "same");
  EXPECT_FALSE(CommitCellEdit(c, EditTarget::TagColumn(APE, 2), 0, "same"));
  EXPECT_EQ(StatesOf(c, 0), (States{0, 0, 0, 0}));
  EXPECT_EQ(Tag(c, APE, 0).image, kNoMark);
  EXPECT_TRUE(CommitCellEdit(c, EditTarget::TagColumn(APE, 2), 0, "Same"));
  EXPECT_EQ(StatesOf(c, 0), (States{0, 0, 2, 1}));
  EXPECT_EQ(Tag(c, APE, 0).cells[2].value, 1);
  EXPECT_EQ(Tag(c, APE, 0).image, kChangedMark);
  // Typed names are stored as typed, whatever "ExtProtect" says.
  EXPECT_TRUE(CommitCellEdit(c, EditTarget::FileNames(MediaFormat::MP3), 0, "typed"));
  EXPECT_EQ(test::EntryAt(c, MediaFormat::MP3, 0).file.cells[0].text, "typed");
  EXPECT_EQ(test::EntryAt(c, MediaFormat::MP3, 0).file.image, kChangedMark);
}

TEST(TagEditCells, RowsOpenToEditingSkipUnavailableAndErrorRows) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::MP3, 5);
  SetMarks(c, V2, 1, kUnavailable);
  SetMarks(c, V2, 3, kChecked, kErrorMark);
  EditTarget target = EditTarget::TagColumn(V2, 1);
  EXPECT_EQ(RowsOpenToEditing(c, target, {}), (std::vector<int>{0, 2, 4}));
  std::vector<int> selected = {4, 1, 2, 9, 2, -1};
  EXPECT_EQ(RowsOpenToEditing(c, target, selected), (std::vector<int>{2, 4}));
  EXPECT_EQ(SelectedOrAllRows(c, MediaFormat::MP3, selected), (std::vector<int>{1, 2, 4}));
  // The file list in rename mode: only the error mark closes a row.
  c.EditRow(MediaFormat::MP3, 0, [](MediaFileEntry& e) { e.file.image = kErrorMark; });
  EXPECT_EQ(RowsOpenToEditing(c, EditTarget::FileNames(MediaFormat::MP3), {}),
            (std::vector<int>{1, 2, 3, 4}));
}

TEST(TagEditCells, ClearEmptiesFilledOpenCellsKeepingTheCheckState) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::OGG, 4);
  for (int r = 0; r < 4; ++r) test::SetText(c, TagKind::OGG, r, 3, "album");
  test::SetText(c, TagKind::OGG, 1, 3, "");
  SetMarks(c, TagKind::OGG, 2, kUnchecked);
  SetMarks(c, TagKind::OGG, 3, kChecked, kErrorMark);
  EditTarget target = EditTarget::TagColumn(TagKind::OGG, 3);
  EXPECT_EQ(ClearCells(c, target, {}), 2);
  EXPECT_EQ(Tag(c, TagKind::OGG, 0).cells[3].text, "");
  EXPECT_EQ(Tag(c, TagKind::OGG, 0).cells[3].value, 1);
  EXPECT_EQ(Tag(c, TagKind::OGG, 0).image, kChangedMark);
  EXPECT_EQ(Tag(c, TagKind::OGG, 1).image, kNoMark);  // already empty
  EXPECT_EQ(Tag(c, TagKind::OGG, 2).state, kUnchecked);
  EXPECT_EQ(Tag(c, TagKind::OGG, 2).cells[3].text, "");
  EXPECT_EQ(Tag(c, TagKind::OGG, 3).cells[3].text, "album");
  // Only value columns can be cleared.
  EXPECT_EQ(ClearCells(c, EditTarget::TagColumn(TagKind::OGG, 0), {}), 0);
}

}  // namespace
}  // namespace hozanki
