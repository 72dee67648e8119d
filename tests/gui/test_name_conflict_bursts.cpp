// The collision marks after a command over many file names: the rows are
// worked out in one pass, and the file lists hear of them once per format,
// not once per row (each signal repaints and re-lays out the list).

#include <QSignalSpy>
#include <QtTest>

#include "GuiTestSupport.h"
#include "gui/catalogue/NameConflictWatch.h"

using namespace hozanki;

class TestNameConflictBursts : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

 private slots:
  void namesStagedAndUndoneTellEachListOnce() {
    constexpr int kRows = 2000;
    Catalogue c;
    std::vector<MediaFileEntry> entries(kRows);
    for (int i = 0; i < kRows; ++i) {
      entries[i].relativePath = "f" + std::to_string(i) + ".mp3";
      entries[i].file.cells.resize(static_cast<size_t>(FileCellCount(MediaFormat::MP3)));
      entries[i].file.cells[0].text = entries[i].relativePath.native();
    }
    c.Append(MediaFormat::MP3, std::move(entries));
    NameConflictWatch watch(&c, [] { return std::filesystem::path("/music"); });
    int listings = 0;
    watch.SetProbe(FolderCaseProbe(std::vector<Drive>{}), [&](const std::filesystem::path&) {
      ++listings;
      return std::vector<std::string>{};
    });
    watch.Refresh();
    QSignalSpy told(&watch, &NameConflictWatch::ConflictsChanged);

    struct Step {
      int first, last;
      const char* name;  // the staged name; nullptr: back to the name on disk
      int conflicts, listings, toldFirst, toldLast;
    };
    const Step steps[] = {
        {0, 0, "x.mp3", 0, 1, 0, kRows - 1},            // the first staged name builds the index
        {100, 199, "same.mp3", 100, 1, 100, 199},       // a hundred names, looked up one by one
        {0, kRows - 1, nullptr, 0, 1, 0, kRows - 1},    // every name undone: one pass, nothing to list
    };
    for (const Step& s : steps) {
      told.clear();
      {
        const Catalogue::ChangeBatch batch(c);
        for (int row = s.first; row <= s.last; ++row)
          c.EditRow(MediaFormat::MP3, row, [&](MediaFileEntry& e) {
            e.file.cells[0].text = s.name ? std::string(s.name) : e.relativePath.native();
            e.file.image = s.name ? kChangedMark : kNoMark;
          });
      }
      watch.Refresh();
      QCOMPARE(watch.ConflictCount(), s.conflicts);
      QCOMPARE(listings, s.listings);
      QCOMPARE(told.count(), 1);
      QCOMPARE(told[0][1].toInt(), s.toldFirst);
      QCOMPARE(told[0][2].toInt(), s.toldLast);
    }
  }
};

QTEST_MAIN(TestNameConflictBursts)
#include "test_name_conflict_bursts.moc"
