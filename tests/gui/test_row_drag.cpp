// Dragging rows of a tag table: the order of the rows, the file list and the
// MP3 sister tables following with the same selection, staged values and
// marks travelling with their rows, and scrolling at the edges.

#include <QApplication>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/tagedit/TagRowDrag.h"
#include "gui/tagedit/TagTableController.h"

using namespace hozanki;
using namespace testsupport;

namespace {

constexpr TagKind V2 = TagKind::MP3ID3v2;

std::vector<int> Selected(QTableView* view) {
  std::vector<int> rows;
  for (const QModelIndex& index : view->selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

// The file names as the file list shows them, in list order.
QStringList Names(QTableView* view) {
  QStringList names;
  for (int row = 0; row < view->model()->rowCount(); ++row)
    names << view->model()->index(row, 1).data().toString().left(2);
  return names;
}

void LoadCopies(TFormMain& w, MediaFolder& folder, int count) {
  for (int i = 0; i < count; ++i)
    folder.Copy("mp3/plain.mp3", (i < 10 ? "0" : "") + std::to_string(i) + ".mp3");
  w.resize(900, 700);
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  LoadInto(w, folder.Path());
  w.findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(1);
}

}  // namespace

class RowDragTest : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

 private slots:
  void SelectedRowsMoveWithEveryListOfTheFormat();
  void DropInsideTheSelectionChangesNothing();
  void DragEventsOfThisTableOnlyAndScrollingAtTheEdges();
  void PressOnASelectedRowSelectsItWhenNoDragFollows();
  void DropMarkerShowsWhereTheRowsWouldLand();
};

void RowDragTest::SelectedRowsMoveWithEveryListOfTheFormat() {
  MediaFolder folder;
  TFormMain w;
  LoadCopies(w, folder, 5);
  const int title = SubItemOf(V2, "INAM");
  SetCellValue(w.CatalogueData(), EditTarget::TagColumn(V2, title), 2, "staged");
  QTableView* table = w.TagTable(1);
  SelectRows(table, {2, 3});
  QVERIFY(w.RowDrag().DropRows(1, 0));  // rows 3 and 4 onto row 1
  const QStringList expected{"02", "03", "00", "01", "04"};
  QCOMPARE(Names(w.FileList(0)), expected);
  for (int k = 0; k < 4; ++k) {
    QCOMPARE(Names(w.TagTable(k)), expected);
    QCOMPARE(Selected(w.TagTable(k)), (std::vector<int>{0, 1}));
  }
  QCOMPARE(Selected(w.FileList(0)), (std::vector<int>{0, 1}));
  const auto& entries = w.CatalogueData().Entries(MediaFormat::MP3);
  QCOMPARE(TagOf(entries[0], V2).cells[static_cast<size_t>(title)].text, std::string("staged"));
  QCOMPARE(TagOf(entries[0], V2).cells[static_cast<size_t>(title)].value, 1);
  QCOMPARE(TagOf(entries[0], V2).image, kChangedMark);
  QCOMPARE(TagOf(entries[2], V2).image, kNoMark);

  // Rows 1 and 2 onto row 4, moving down.
  SelectRows(table, {0, 1});
  QVERIFY(w.RowDrag().DropRows(1, 3));
  QCOMPARE(Names(w.FileList(0)), (QStringList{"00", "01", "02", "03", "04"}));
  QCOMPARE(Selected(w.TagTable(3)), (std::vector<int>{2, 3}));
}

void RowDragTest::DropInsideTheSelectionChangesNothing() {
  MediaFolder folder;
  TFormMain w;
  LoadCopies(w, folder, 5);
  QTableView* table = w.TagTable(1);
  struct Case {
    std::initializer_list<int> rows;
    int target;
  };
  for (const Case& c : {Case{{1, 3}, 2}, Case{{1, 2}, 1}, Case{{1, 2}, 2}, Case{{1, 2}, -1}}) {
    SelectRows(table, c.rows);
    QVERIFY(!w.RowDrag().DropRows(1, c.target));
    QCOMPARE(Names(w.FileList(0)), (QStringList{"00", "01", "02", "03", "04"}));
  }
}

void RowDragTest::DragEventsOfThisTableOnlyAndScrollingAtTheEdges() {
  MediaFolder folder;
  TFormMain w;
  LoadCopies(w, folder, 60);
  QTableView* table = w.TagTable(1);
  QWidget* viewport = table->viewport();
  QScrollBar* bar = table->verticalScrollBar();
  // The view lays its rows out on a later turn of the event loop.
  QTRY_VERIFY(bar->maximum() > 0);
  TagRowDrag& drag = w.RowDrag();
  std::unique_ptr<QMimeData> own(TagRowDrag::MakeMimeData(1));
  std::unique_ptr<QMimeData> otherTable(TagRowDrag::MakeMimeData(2));

  // The events as the drag delivers them to the table's filter (an event
  // sent without a running drag never reaches it).
  QObject& filter = drag;
  auto moveTo = [&](const QMimeData* data, QPoint at) {
    QDragMoveEvent event(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    event.ignore();
    filter.eventFilter(viewport, &event);
    return event.isAccepted();
  };
  // Another table's rows are not taken.
  QVERIFY(!moveTo(otherTable.get(), QPoint(10, viewport->height() - 2)));
  QVERIFY(!drag.TimerScroll().isActive());

  // At the bottom edge the table scrolls down one row per tick.
  QVERIFY(moveTo(own.get(), QPoint(10, viewport->height() - 2)));
  QVERIFY(drag.TimerScroll().isActive());
  QCOMPARE(drag.TimerScroll().interval(), 100);
  QCOMPARE(drag.Step(), w.RowPitch());
  QTRY_VERIFY_WITH_TIMEOUT(bar->value() >= 3, 2000);
  // In the middle it stops; at the top it scrolls back up.
  QVERIFY(moveTo(own.get(), QPoint(10, viewport->height() / 2)));
  QVERIFY(!drag.TimerScroll().isActive());
  const int reached = bar->value();
  QVERIFY(moveTo(own.get(), QPoint(10, 1)));
  QCOMPARE(drag.Step(), -w.RowPitch());
  QTRY_VERIFY_WITH_TIMEOUT(bar->value() < reached, 2000);
  QDragLeaveEvent leave;
  filter.eventFilter(viewport, &leave);
  QVERIFY(!drag.TimerScroll().isActive());

  // The drop lands on the row under the pointer.
  bar->setValue(0);
  SelectRows(table, {5, 6});
  const QPoint onRow1 = table->visualRect(table->model()->index(1, 2)).center();
  QDropEvent drop(onRow1, Qt::MoveAction, own.get(), Qt::LeftButton, Qt::NoModifier);
  filter.eventFilter(viewport, &drop);
  QVERIFY(!drag.TimerScroll().isActive());
  QCOMPARE(Names(w.FileList(0)).mid(0, 5), (QStringList{"00", "05", "06", "01", "02"}));
}

void RowDragTest::PressOnASelectedRowSelectsItWhenNoDragFollows() {
  MediaFolder folder;
  TFormMain w;
  LoadCopies(w, folder, 5);
  QTableView* table = w.TagTable(1);
  SelectRows(table, {1, 2, 3});
  const QPoint onRow2 = table->visualRect(table->model()->index(2, 3)).center();
  QTest::mousePress(table->viewport(), Qt::LeftButton, {}, onRow2);
  QCOMPARE(Selected(table), (std::vector<int>{1, 2, 3}));  // held back: a drag may follow
  QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, onRow2);
  QCOMPARE(Selected(table), (std::vector<int>{2}));
  // A press on a row that is not selected is the table's own.
  const QPoint onRow4 = table->visualRect(table->model()->index(4, 3)).center();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, onRow4);
  QCOMPARE(Selected(table), (std::vector<int>{4}));
}

void RowDragTest::DropMarkerShowsWhereTheRowsWouldLand() {
  MediaFolder folder;
  TFormMain w;
  LoadCopies(w, folder, 8);
  QTableView* table = w.TagTable(1);
  QWidget* viewport = table->viewport();
  TagRowDrag& drag = w.RowDrag();
  QObject& filter = drag;
  std::unique_ptr<QMimeData> own(TagRowDrag::MakeMimeData(1));
  std::unique_ptr<QMimeData> otherTable(TagRowDrag::MakeMimeData(2));
  auto at = [&](int row) { return table->visualRect(table->model()->index(row, 2)).center(); };
  auto over = [&](const QMimeData* data, int row) {
    QDragMoveEvent event(at(row), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    filter.eventFilter(viewport, &event);
  };
  // The line between two rows it shows (the boundary it covers), -1 when
  // none shows.
  auto marker = [&]() -> int {
    const QWidget* line = drag.DropMarker();
    if (!line || !line->isVisible()) return -1;
    if (line->parentWidget() != viewport || line->width() != viewport->width() || line->height() != 2) return -2;
    // Drawn in the text's colour, not in the white of the cells.
    if (!line->autoFillBackground() ||
        line->palette().color(line->backgroundRole()) != table->palette().color(QPalette::Text))
      return -3;
    return line->y() == 0 ? 0 : line->y() + 1;
  };
  auto above = [&](int row) { return table->rowViewportPosition(row); };
  auto below = [&](int row) { return table->rowViewportPosition(row) + table->rowHeight(row); };
  SelectRows(table, {3, 4});
  struct Case {
    int row;
    int line;
  };
  // Upwards the rows land above the target, downwards below it; on the
  // selection itself nothing would move.
  for (const Case& c : {Case{1, above(1)}, Case{3, -1}, Case{4, -1}, Case{6, below(6)}, Case{2, above(2)},
                        Case{5, below(5)}, Case{0, above(0)}, Case{7, below(7)}}) {
    over(own.get(), c.row);
    QCOMPARE(marker(), c.line);
  }
  // Another table's rows show none; leaving and dropping take it away.
  over(otherTable.get(), 1);
  QCOMPARE(marker(), -1);
  over(own.get(), 1);
  QVERIFY(marker() >= 0);
  QDragLeaveEvent leave;
  filter.eventFilter(viewport, &leave);
  QCOMPARE(marker(), -1);
  over(own.get(), 1);
  QDropEvent drop(at(1), Qt::MoveAction, own.get(), Qt::LeftButton, Qt::NoModifier);
  filter.eventFilter(viewport, &drop);
  QCOMPARE(marker(), -1);
  QCOMPARE(Names(w.FileList(0)).mid(0, 4), (QStringList{"00", "03", "04", "01"}));
}

QTEST_MAIN(RowDragTest)
#include "test_row_drag.moc"
