// Commands over every row of a large table tell the views once: one change
// from the first to the last row they changed, not one per row (a view
// repaints and re-lays out for each), and removing rows scattered over the
// table is one pass told as one reset, not one removal per block.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TagEditTestSupport.h"
#include "core/tagedit/ApplyToRows.h"
#include "core/tagedit/CheckStates.h"
#include "core/tagedit/CopyData.h"
#include "core/tagedit/SetAll.h"
#include "core/tagedit/SetCellValue.h"

namespace hozanki {
namespace {

constexpr int kRows = 50000;
constexpr TagKind kKind = TagKind::MP3ID3v2;
constexpr int kTitle = 2;

struct CountingObserver : CatalogueObserver {
  int changes = 0, removals = 0, resets = 0;
  int first = -1, last = -1;
  void RowsAboutToBeInserted(MediaFormat, int, int) override {}
  void RowsInserted(MediaFormat, int, int) override {}
  void RowsAboutToBeRemoved(MediaFormat, int, int) override {}
  void RowsRemoved(MediaFormat, int, int) override { ++removals; }
  void RowsAboutToBeReset(MediaFormat) override {}
  void RowsReset(MediaFormat) override { ++resets; }
  void RowsChanged(MediaFormat, int a, int b) override {
    ++changes;
    first = a;
    last = b;
  }
};

// kRows MP3 rows whose ID3v2 titles are "t0", "t1", ...
struct BigTable {
  Catalogue catalogue;
  CountingObserver observer;
  EditTarget title = EditTarget::TagColumn(kKind, kTitle);
  BigTable() {
    test::FillCatalogue(catalogue, MediaFormat::MP3, kRows);
    for (int r = 0; r < kRows; ++r) test::SetText(catalogue, kKind, r, kTitle, "t" + std::to_string(r));
    catalogue.AddObserver(&observer);
  }
  ~BigTable() { catalogue.RemoveObserver(&observer); }
};

struct BulkCommand {
  const char* name;
  std::function<int(BigTable&)> run;  // returns the rows it says it changed
};

TEST(BulkChanges, EachWholeTableCommandTellsOneChange) {
  const std::vector<int> all;  // nothing selected: every row where the command takes that
  const BulkCommand commands[] = {
      {"clear", [&](BigTable& t) { return ClearCells(t.catalogue, t.title, all); }},
      {"conversion",
       [&](BigTable& t) {
         std::vector<int> rows(kRows);
         for (int r = 0; r < kRows; ++r) rows[static_cast<size_t>(r)] = r;
         return ApplyToRows(t.catalogue, t.title, rows, kConversionRows,
                            [](const std::string& text, std::string&) { return text + "!"; })
             .changed;
       }},
      {"set-all",
       [&](BigTable& t) {
         SetAllInput input;
         input.text = "same";
         return ApplySetAll(t.catalogue, t.title, all, true, input);
       }},
      {"paste",
       [&](BigTable& t) {
         const std::string copied = PartialCopyText(t.catalogue, t.title, all, false);
         ClearCells(t.catalogue, t.title, all);
         t.observer = CountingObserver{};
         return PartialPaste(t.catalogue, t.title, all, copied, false);
       }},
      {"check boxes", [&](BigTable& t) { return ToggleAllCheckStates(t.catalogue, kKind); }},
  };
  for (const BulkCommand& command : commands) {
    SCOPED_TRACE(command.name);
    BigTable table;
    EXPECT_EQ(command.run(table), kRows);
    EXPECT_EQ(table.observer.changes, 1);
    EXPECT_EQ(table.observer.first, 0);
    EXPECT_EQ(table.observer.last, kRows - 1);
  }
}

TEST(BulkChanges, BatchesNestAndStructuralChangesTellWhatIsPendingFirst) {
  Catalogue catalogue;
  test::FillCatalogue(catalogue, MediaFormat::MP3, 10);
  test::FillCatalogue(catalogue, MediaFormat::WAV, 10);
  CountingObserver observer;
  catalogue.AddObserver(&observer);
  {
    const Catalogue::ChangeBatch outer(catalogue);
    {
      const Catalogue::ChangeBatch inner(catalogue);
      test::SetText(catalogue, kKind, 7, kTitle, "a");
      test::SetText(catalogue, kKind, 3, kTitle, "b");
    }
    EXPECT_EQ(observer.changes, 0);  // still inside the outer batch
    // Removing rows tells the pending change first, with the rows as they were.
    catalogue.Remove(MediaFormat::MP3, {9});
    EXPECT_EQ(observer.changes, 1);
    EXPECT_EQ(observer.first, 3);
    EXPECT_EQ(observer.last, 7);
    test::SetText(catalogue, TagKind::WAV, 5, 1, "c");
  }
  EXPECT_EQ(observer.changes, 2);
  EXPECT_EQ(observer.first, 5);
  EXPECT_EQ(observer.last, 5);
  catalogue.RemoveObserver(&observer);
}

TEST(BulkChanges, ScatteredRowsAreRemovedInOnePass) {
  BigTable table;
  std::vector<int> odd;
  for (int r = 1; r < kRows; r += 2) odd.push_back(r);
  table.catalogue.Remove(MediaFormat::MP3, odd);
  EXPECT_EQ(table.observer.resets, 1);
  EXPECT_EQ(table.observer.removals, 0);
  ASSERT_EQ(table.catalogue.RowCount(MediaFormat::MP3), kRows / 2);
  for (int r = 0; r < kRows / 2; r += 997)
    EXPECT_EQ(CellText(table.catalogue, table.title, r), "t" + std::to_string(2 * r));
  // A few blocks are still told one removal each.
  table.catalogue.Remove(MediaFormat::MP3, {0, 1, 5, 9, 10});
  EXPECT_EQ(table.observer.resets, 1);
  EXPECT_EQ(table.observer.removals, 3);
  EXPECT_EQ(CellText(table.catalogue, table.title, 0), "t4");
}

}  // namespace
}  // namespace hozanki
