// ApplyToRows: which rows each row policy takes, what a refused row and an
// unchanged cell do, and file names as targets.

#include <gtest/gtest.h>

#include "TagEditTestSupport.h"
#include "core/tagedit/ApplyToRows.h"

namespace hozanki {
namespace {

using test::SetMarks;
using test::SetText;
using test::Tag;

constexpr TagKind kWav = TagKind::WAV;
const EditTarget kTitle = EditTarget::TagColumn(kWav, 2);

// Five WAV rows with titles "t0".."t4"; row 1 carries the error mark and
// row 3 is unavailable.
void FillFive(Catalogue& c) {
  test::FillCatalogue(c, MediaFormat::WAV, 5);
  for (int r = 0; r < 5; ++r) SetText(c, kWav, r, 2, "t" + std::to_string(r));
  SetMarks(c, kWav, 1, kChecked, kErrorMark);
  SetMarks(c, kWav, 3, kUnavailable);
}

std::string Upper(const std::string& text, std::string&) {
  std::string out = text;
  for (char& ch : out) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return out;
}

// The rows whose title was changed.
std::vector<int> ChangedRows(const Catalogue& c) {
  std::vector<int> rows;
  for (int r = 0; r < c.RowCount(MediaFormat::WAV); ++r)
    if (Tag(c, kWav, r).cells[2].text != "t" + std::to_string(r)) rows.push_back(r);
  return rows;
}

struct PolicyCase {
  const char* name;
  RowPolicy policy;
  std::vector<int> selected;
  std::vector<int> changed;
};

TEST(ApplyToRows, EachPolicyTakesItsRows) {
  const PolicyCase cases[] = {
      {"conversion, selection", kConversionRows, {0, 1, 3, 4}, {0, 4}},
      {"conversion, none selected", kConversionRows, {}, {}},
      {"text command, selection", kTextCommandRows, {4, 1, 0, 4}, {0, 4}},
      {"text command, none selected", kTextCommandRows, {}, {0, 2, 4}},
      {"compound, selection with closed rows", kCompoundRows, {0, 1, 3}, {0, 1, 3}},
      {"compound, none selected", kCompoundRows, {}, {}},
      {"rows outside the table", kCompoundRows, {-1, 2, 9}, {2}},
      {"all rows, closed included", {WhenNoneSelected::AllRows, ClosedRows::Include}, {}, {0, 1, 2, 3, 4}},
  };
  for (const PolicyCase& pc : cases) {
    SCOPED_TRACE(pc.name);
    Catalogue c;
    FillFive(c);
    const ApplyResult result = ApplyToRows(c, kTitle, pc.selected, pc.policy, Upper);
    EXPECT_EQ(ChangedRows(c), pc.changed);
    EXPECT_EQ(result.changed, static_cast<int>(pc.changed.size()));
    EXPECT_TRUE(result.failures.empty());
    for (int r : pc.changed) {
      EXPECT_EQ(Tag(c, kWav, r).cells[2].text, "T" + std::to_string(r));
      EXPECT_EQ(Tag(c, kWav, r).cells[2].value, 1);
    }
  }
}

TEST(ApplyToRows, RefusedRowsKeepTheirCellAndAreListedInRowOrder) {
  Catalogue c;
  FillFive(c);
  // Rows 2 and 4 are refused; the others become upper case.
  const ApplyResult result =
      ApplyToRows(c, kTitle, std::vector<int>{4, 2, 0}, kTextCommandRows,
                  [](const std::string& text, std::string& error) {
                    EXPECT_TRUE(error.empty());  // a refusal never leaks into the next row
                    if (text == "t2" || text == "t4") error = "no " + text;
                    return std::string("X");
                  });
  EXPECT_EQ(result.failures, (std::vector<RowFailure>{{2, "no t2"}, {4, "no t4"}}));
  EXPECT_EQ(result.changed, 1);
  EXPECT_EQ(ChangedRows(c), std::vector<int>{0});
  EXPECT_EQ(Tag(c, kWav, 2).image, kNoMark);
}

TEST(ApplyToRows, UnchangedCellsGetNoMark) {
  Catalogue c;
  FillFive(c);
  SetText(c, kWav, 2, 2, "T2");
  const ApplyResult result = ApplyToRows(c, kTitle, std::vector<int>{0, 2}, kConversionRows, Upper);
  EXPECT_EQ(result.changed, 1);
  EXPECT_EQ(Tag(c, kWav, 2).image, kNoMark);
  EXPECT_EQ(Tag(c, kWav, 2).cells[2].value, 0);
  EXPECT_EQ(Tag(c, kWav, 0).image, kChangedMark);
}

TEST(ApplyToRows, FileNamesAndMissingTargets) {
  Catalogue c;
  test::FillCatalogue(c, MediaFormat::WAV, 2);
  c.EditRow(MediaFormat::WAV, 1, [](MediaFileEntry& e) { e.file.image = kErrorMark; });
  // The whole name is the text; a name never keeps an old extension here.
  const ApplyResult names =
      ApplyToRows(c, EditTarget::FileNames(MediaFormat::WAV), std::vector<int>{}, kTextCommandRows,
                  [](const std::string& text, std::string&) { return "a-" + text; });
  EXPECT_EQ(names.changed, 1);
  EXPECT_EQ(test::EntryAt(c, MediaFormat::WAV, 0).file.cells[0].text, "a-f0.x");
  EXPECT_EQ(test::EntryAt(c, MediaFormat::WAV, 0).file.image, kChangedMark);
  EXPECT_EQ(test::EntryAt(c, MediaFormat::WAV, 1).file.cells[0].text, "f1.x");
  // A column the table does not have: nothing is computed.
  int calls = 0;
  const ApplyResult none = ApplyToRows(c, EditTarget::TagColumn(kWav, 99), std::vector<int>{0}, kCompoundRows,
                                       [&calls](const std::string& text, std::string&) {
                                         ++calls;
                                         return text + "!";
                                       });
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(none.changed, 0);
}

}  // namespace
}  // namespace hozanki
