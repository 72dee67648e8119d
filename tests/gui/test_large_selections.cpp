// Selections stay runs of rows: the hand-over between the file list and the
// tag tables, a sort and a row drag select one range per run of consecutive
// rows, not one per row (every later selection change and every "which rows
// are selected" would grow with the square of the rows); excluding scattered
// rows keeps the focused file.

#include <QAbstractButton>
#include <QHeaderView>
#include <QMessageBox>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "gui/catalogue/RowSelection.h"

using namespace hozanki;
using namespace testsupport;

namespace {

constexpr int kFiles = 60;

// The selection ranges of a list and the rows they select.
int Ranges(QTableView* view) {
  return static_cast<int>(view->selectionModel()->selection().size());
}

void WaitForHandOver(TFormMain& window) {
  QTRY_VERIFY(window.SyncRequest() == 0);
}

}  // namespace

class LargeSelectionsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { qputenv("HOZANKI_CONFIG_DIR", config_.path().toLocal8Bit()); }

  void rowRangesJoinRunsAndReadBack() {
    QStandardItemModel model(10, 3);
    QItemSelectionModel selection(&model);
    // Any order, duplicates and rows outside the model.
    const std::vector<int> rows{5, 1, 2, 3, 2, 9, -1, 10, 8};
    const QItemSelection ranges = RowRanges(&model, rows);
    QCOMPARE(ranges.size(), 3);
    QCOMPARE(ranges[0].top(), 1);
    QCOMPARE(ranges[0].bottom(), 3);
    QCOMPARE(ranges[0].right(), 2);  // every column
    selection.select(ranges, QItemSelectionModel::ClearAndSelect);
    QCOMPARE(SelectedRowList(&selection), (std::vector<int>{1, 2, 3, 5, 8, 9}));
    // A row counts only when every column of it is selected, also when two
    // ranges share it out.
    selection.select(QItemSelection(model.index(0, 0), model.index(0, 1)), QItemSelectionModel::Select);
    QCOMPARE(SelectedRowList(&selection), (std::vector<int>{1, 2, 3, 5, 8, 9}));
    selection.select(QItemSelection(model.index(0, 2), model.index(0, 2)), QItemSelectionModel::Select);
    QCOMPARE(SelectedRowList(&selection), (std::vector<int>{0, 1, 2, 3, 5, 8, 9}));
    // Deselecting part of a range.
    selection.select(QItemSelection(model.index(2, 0), model.index(2, 2)), QItemSelectionModel::Deselect);
    QCOMPARE(SelectedRowList(&selection), (std::vector<int>{0, 1, 3, 5, 8, 9}));
  }

  void handOverSelectsRunsOfRows() {
    MediaFolder folder;
    for (int i = 0; i < kFiles; ++i) folder.Copy("mp3/plain.mp3", "f" + std::to_string(100 + i) + ".mp3");
    TFormMain window;
    LoadInto(window, folder.Path());
    WaitForHandOver(window);
    QTableView* files = window.FileList(0);

    // "すべて選択": one range in the file list and in each MP3 tag table.
    Action(window, "MenuEditSelectAll")->trigger();
    WaitForHandOver(window);
    for (int k = 0; k < 4; ++k) {
      QTableView* table = window.TagTable(k);
      QCOMPARE(Ranges(table), 1);
      QCOMPARE(table->selectionModel()->selectedRows().size(), kFiles);
    }

    // Every third row from the tag table back to the file list: one range each.
    window.findChild<QTabWidget*>(QStringLiteral("PageControlT"))
        ->setCurrentIndex(static_cast<int>(TagKind::MP3ID3v2));
    WaitForHandOver(window);
    QTableView* v2 = window.TagTable(static_cast<int>(TagKind::MP3ID3v2));
    std::vector<int> third;
    for (int r = 0; r < kFiles; r += 3) third.push_back(r);
    third.push_back(1);  // rows 0 and 1 make one run
    v2->selectionModel()->select(RowRanges(v2->model(), third),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    WaitForHandOver(window);
    QCOMPARE(Ranges(files), kFiles / 3);
    QCOMPARE(files->selectionModel()->selectedRows().size(), kFiles / 3 + 1);

    // A sort keeps every row selected as one range.
    Action(window, "MenuEditSelectAll")->trigger();
    WaitForHandOver(window);
    QHeaderView* header = v2->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(3) + header->sectionSize(3) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::ShiftModifier, at);
    QCOMPARE(Ranges(v2), 1);
    QCOMPARE(v2->selectionModel()->selectedRows().size(), kFiles);
  }

  void excludingScatteredRowsKeepsTheFocusedFile() {
    MediaFolder folder;
    for (int i = 0; i < kFiles; ++i) folder.Copy("mp3/plain.mp3", "f" + std::to_string(100 + i) + ".mp3");
    TFormMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    LoadInto(window, folder.Path());
    WaitForHandOver(window);
    QTableView* files = window.FileList(0);
    const QString focusedName = files->model()->index(40, 1).data().toString();
    files->selectionModel()->setCurrentIndex(files->model()->index(40, 0), QItemSelectionModel::NoUpdate);
    // Every other row above the focused one: more blocks than are told one by one.
    std::vector<int> rows;
    for (int r = 0; r < 40; r += 2) rows.push_back(r);
    files->selectionModel()->select(RowRanges(files->model(), rows),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    WaitForHandOver(window);
    QTimer::singleShot(0, &window, [&window] {
      if (auto* box = window.findChild<QMessageBox*>(QStringLiteral("ExcludeConfirmation")))
        box->button(QMessageBox::Yes)->click();
    });
    files->setFocus();
    QTest::keyClick(files, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(window.CatalogueData().RowCount(MediaFormat::MP3), kFiles - 20);
    QCOMPARE(files->currentIndex().row(), 20);
    QCOMPARE(files->model()->index(20, 1).data().toString(), focusedName);
    QVERIFY(!files->selectionModel()->hasSelection());
  }

 private:
  QTemporaryDir config_;
};

QTEST_MAIN(LargeSelectionsTest)
#include "test_large_selections.moc"
