// The file lists of the main window: Shift + column click sorts with the
// "+"/"-" marks while the tag tables stay parallel, a plain click on the
// file-name header switches modes, double clicks open the copy box or the
// mode, Esc and Enter, the rename-mode colours of the file-name column, and
// the data a drag of files out of a list carries.

#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

#include "GuiTestSupport.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "core/settings/AppSettings.h"
#include "gui/app/FileListController.h"
#include "gui/app/FormMain.h"
#include "gui/catalogue/FileDragOut.h"

using namespace hozanki;
namespace fs = std::filesystem;

namespace {

using guitest::Child;

struct Row {
  const char* name;
  uint64_t size;
  const char* sizeText;
  const char* stamp;
  const char* time;
  int seconds;
};

// Row i carries "artist i" in every MP3 tag table, so a moved row shows
// whether its tag rows moved with it.
const Row kRows[] = {
    {"beta.mp3", 1234, "1,234", "2026/01/02 03:04:05", "10:00", 600},
    {"ABC.mp3", 234, "234", "2025/12/31 23:59:59", "9:59", 599},
    {"abc.mp3", 234, "234", "2026/01/02 03:04:05", "0:05", 5},
    {"abc.mp3!", 99999, "99,999", "2024/05/05 05:05:05", "60:00", 3600},
    {"亜.mp3", 1, "1", "2026/06/01 00:00:00", "9:59", 599},
    {"一.mp3", 0, "0", "2023/01/01 00:00:00", "10:00", 600},
};

std::vector<MediaFileEntry> Entries() {
  std::vector<MediaFileEntry> batch;
  int i = 0;
  for (const Row& r : kRows) {
    MediaFileEntry e;
    e.relativePath = r.name;
    e.size = r.size;
    e.file.cells = {{r.name, 0}, {r.sizeText, 0}, {r.stamp, 0}, {r.time, r.seconds}, {"", 0},
                    {"", 0},     {"", 0},         {"", 0},      {"MPEG1 Layer3", 0}};
    e.tags.resize(4);
    for (TagRow& tag : e.tags) {
      tag.cells.assign(8, Cell{});
      tag.cells[0].text = r.name;
      tag.cells[1].text = "artist " + std::to_string(i);
    }
    batch.push_back(std::move(e));
    ++i;
  }
  return batch;
}

void Settle(TFormMain& window) {
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QTRY_VERIFY(window.SyncRequest() != -1 && !window.IsBusy());
}

QString Caption(TFormMain& window, int column) {
  return window.FileList(0)->model()->headerData(column, Qt::Horizontal).toString();
}

void ClickHeader(TFormMain& window, int column, Qt::KeyboardModifiers modifiers) {
  QHeaderView* header = window.FileList(0)->horizontalHeader();
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers, at);
}

// The original row numbers in the order the file list shows them; fails
// unless every MP3 tag table shows the same files in the same order.
QList<int> Order(TFormMain& window) {
  QList<int> order;
  QAbstractItemModel* files = window.FileList(0)->model();
  for (int row = 0; row < files->rowCount(); ++row) {
    const QString name = files->index(row, 1).data().toString();
    int original = -1;
    for (int i = 0; i < static_cast<int>(std::size(kRows)); ++i)
      if (name == QString::fromUtf8(kRows[i].name)) original = i;
    for (int k = 0; k < 4; ++k) {
      QAbstractItemModel* tags = window.TagTable(k)->model();
      if (tags->index(row, 1).data().toString() != name ||
          tags->index(row, 2).data().toString() != QStringLiteral("artist %1").arg(original))
        return {};
    }
    order << original;
  }
  return order;
}

void SelectRow(QTableView* view, int row) {
  view->selectionModel()->setCurrentIndex(view->model()->index(row, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QPoint CellCentre(QTableView* view, int row, int column) {
  return view->visualRect(view->model()->index(row, column)).center();
}

// Catches the QDrag a list creates for a drag out, and the list's tag then.
class DragWatcher : public QObject {
 public:
  explicit DragWatcher(FileListView* list) : list_(list) { list->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    // The child is still being built: it is told apart later (Drag()).
    if (event->type() == QEvent::ChildAdded)
      children.append({static_cast<QChildEvent*>(event)->child(), list_->Tag()});
    return false;
  }
  QDrag* Drag() {
    for (auto& [child, tag] : children)
      if (auto* d = qobject_cast<QDrag*>(child.data())) {
        tagAtStart = tag;
        return d;
      }
    return nullptr;
  }
  QList<QPair<QPointer<QObject>, int>> children;
  int tagAtStart = 0;

 private:
  FileListView* list_;
};

}  // namespace

class FileListsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    config_ = std::make_unique<ScopedConfigDir>();
    AppSettings::Current().clmMode = 0;
  }
  void cleanup() { config_.reset(); }
  void ShiftClickSortsEachColumnAndKeepsTagTablesParallel();
  void PlainHeaderClicksNeverSortButSwitchModes();
  void DoubleClicksOpenTheCopyBoxOrRenameMode();
  void EscAndEnterKeys();
  void RenameModeDrawsTheFileNameInEditColours();
  void DragOutCarriesTheSelectedFullPaths();

 private:
  std::unique_ptr<ScopedConfigDir> config_;
};

void FileListsTest::ShiftClickSortsEachColumnAndKeepsTagTablesParallel() {
  TFormMain window;
  Settle(window);
  struct Case {
    int column;
    QList<int> ascending;
  };
  // Names: letter case ignored, equal names keep their order, "abc.mp3"
  // before "abc.mp3!", kanji in JIS order (亜 before 一); sizes as numbers;
  // playing time 9:59 before 10:00.
  const Case cases[] = {
      {1, {1, 2, 3, 0, 4, 5}}, {2, {5, 4, 1, 2, 0, 3}}, {3, {5, 3, 1, 0, 2, 4}}, {4, {2, 1, 4, 0, 5, 3}}};
  int previous = -1;
  for (const Case& c : cases) {
    window.CatalogueData().ClearAll();
    window.CatalogueData().Append(MediaFormat::MP3, Entries());
    QCOMPARE(Order(window), QList<int>({0, 1, 2, 3, 4, 5}));
    // The file with the original row 0 is selected and stays so.
    SelectRow(window.FileList(0), 0);
    ClickHeader(window, c.column, Qt::ShiftModifier);
    QCOMPARE(Order(window), c.ascending);
    const QString caption = Caption(window, c.column);
    QCOMPARE(c.column == 2 || c.column == 4 ? caption.front() : caption.back(), QChar('+'));
    if (previous > 0) {
      const QString old = Caption(window, previous);
      QCOMPARE(previous == 2 || previous == 4 ? old.front() : old.back(), QChar(' '));
    }
    const QModelIndexList selected = window.FileList(0)->selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), static_cast<int>(c.ascending.indexOf(0)));
    QCOMPARE(window.FileLists().SortKey(), c.column * 2 - 2);
    // Again: descending, the exact reverse (ties too).
    ClickHeader(window, c.column, Qt::ShiftModifier);
    QList<int> descending(c.ascending.rbegin(), c.ascending.rend());
    QCOMPARE(Order(window), descending);
    QCOMPARE(window.FileLists().SortKey(), c.column * 2 - 1);
    const QString marked = Caption(window, c.column);
    QCOMPARE(c.column == 2 || c.column == 4 ? marked.front() : marked.back(), QChar('-'));
    previous = c.column;
  }
  QCOMPARE(Caption(window, 2), QStringLiteral(" ｻｲｽﾞ"));
  QCOMPARE(Caption(window, 4), QStringLiteral("-時間"));
  // Shift on column 0 or above 4 does nothing.
  const QList<int> before = Order(window);
  ClickHeader(window, 5, Qt::ShiftModifier);
  window.FileLists().ColumnClick(0, 0, true);
  QCOMPARE(Order(window), before);
  QCOMPARE(Caption(window, 5), QStringLiteral("ID3v1"));
  // A new load forgets the sorted column and clears every mark.
  window.Session().OpenFolder(LoadRequest{fs::path(config_->path().toStdString()), false, std::nullopt});
  QCOMPARE(Caption(window, 4), QStringLiteral(" 時間"));
  QCOMPARE(window.FileLists().SortKey(), -1);
  QTRY_VERIFY(!window.IsBusy());
}

void FileListsTest::PlainHeaderClicksNeverSortButSwitchModes() {
  TFormMain window;
  Settle(window);
  window.CatalogueData().Append(MediaFormat::MP3, Entries());
  ClickHeader(window, 2, Qt::NoModifier);
  ClickHeader(window, 3, Qt::NoModifier);
  QCOMPARE(Order(window), QList<int>({0, 1, 2, 3, 4, 5}));
  QCOMPARE(Caption(window, 2), QStringLiteral(" ｻｲｽﾞ"));
  QVERIFY(!window.IsRenameMode());
  // The file-name header: into rename mode, and with "ClmMode" 0 out again.
  ClickHeader(window, 1, Qt::NoModifier);
  QVERIFY(window.IsRenameMode());
  QCOMPARE(Order(window), QList<int>({0, 1, 2, 3, 4, 5}));
  ClickHeader(window, 1, Qt::NoModifier);
  QVERIFY(!window.IsRenameMode());
  // With "ClmMode" 1 the click in rename mode shows PopupR instead.
  AppSettings::Current().clmMode = 1;
  ClickHeader(window, 1, Qt::NoModifier);
  QVERIFY(window.IsRenameMode());
  auto* popup = Child<QMenu>(window, "PopupR");
  QVERIFY(!popup->isVisible());
  ClickHeader(window, 1, Qt::NoModifier);
  QTRY_VERIFY(popup->isVisible());
  QVERIFY(window.IsRenameMode());
  popup->hide();
}

void FileListsTest::DoubleClicksOpenTheCopyBoxOrRenameMode() {
  TFormMain window;
  Settle(window);
  window.CatalogueData().Append(MediaFormat::MP3, Entries());
  FileListView* list = window.FileList(0);
  auto* box = Child<QLineEdit>(window, "EditListViewCopy");
  auto* copy = Child<QAction>(window, "MenuEditCopy");
  QSignalSpy editRequests(&window.FileLists(), &FileListController::FileNameEditRequested);

  // A value column: the read-only copy box over the cell, text not selected,
  // the edit shortcuts handed to it.
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(list, 1, 3));
  QVERIFY(box->isVisible());
  QVERIFY(box->isReadOnly());
  QCOMPARE(box->text(), QString::fromUtf8(kRows[1].stamp));
  QVERIFY(box->selectedText().isEmpty());
  const QRect cell = list->visualRect(list->model()->index(1, 3));
  QCOMPARE(box->geometry().topLeft(), list->viewport()->mapTo(&window, cell.topLeft()) - QPoint(0, 1));
  // As wide as the column, or as its text where that is wider.
  QCOMPARE(box->width(), std::max(cell.width() + 1, box->fontMetrics().horizontalAdvance(box->text()) +
                                                         box->textMargins().left() + kLineEditorTextRoom));
  QVERIFY(copy->shortcut().isEmpty());
  QCOMPARE(list->Tag(), 1);  // armed until the button goes up
  QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(list, 1, 3));
  QCOMPARE(list->Tag(), FileListView::kIdle);
  // Enter (or Esc) leaves it: the list has the focus, the shortcuts are back.
  QTest::keyClick(box, Qt::Key_Return);
  QTRY_VERIFY(!box->isVisible());
  QCOMPARE(copy->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));

  // The file name in tag edit mode: rename mode, no editor.
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(list, 2, 1));
  QVERIFY(window.IsRenameMode());
  QVERIFY(!box->isVisible());
  QCOMPARE(editRequests.count(), 0);
  // In rename mode: the file-name editor is asked for on that row.
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(list, 2, 1));
  QCOMPARE(editRequests.count(), 1);
  QCOMPARE(editRequests.first().at(0).toInt(), 0);
  QCOMPARE(editRequests.first().at(1).toInt(), 2);
  // A double click below the last row arms nothing.
  QTest::mouseDClick(
      list->viewport(), Qt::LeftButton, Qt::NoModifier,
      QPoint(CellCentre(list, 0, 3).x(), list->rowViewportPosition(5) + 3 * list->rowHeight(5)));
  QVERIFY(!box->isVisible());
  QCOMPARE(editRequests.count(), 1);
}

void FileListsTest::EscAndEnterKeys() {
  TFormMain window;
  Settle(window);
  window.CatalogueData().Append(MediaFormat::MP3, Entries());
  FileListView* list = window.FileList(0);
  QSignalSpy editRequests(&window.FileLists(), &FileListController::FileNameEditRequested);
  list->setFocus();
  SelectRow(list, 3);
  QTest::keyClick(list, Qt::Key_Return);  // tag edit mode: nothing opens
  QCOMPARE(editRequests.count(), 0);
  QTest::keyClick(list, Qt::Key_Escape);
  QVERIFY(!list->selectionModel()->hasSelection());
  // Rename mode: Enter asks for the file-name editor on the focused row; Esc
  // leaves the mode and keeps the selection.
  Child<QAction>(window, "MenuFileModeR")->trigger();
  list->setFocus();
  SelectRow(list, 4);
  QTest::keyClick(list, Qt::Key_Return);
  QCOMPARE(editRequests.count(), 1);
  QCOMPARE(editRequests.first().at(1).toInt(), 4);
  // The file-name editor opens there with the name; Escape closes it
  // unchanged and disarms the row.
  auto* edit = Child<QLineEdit>(window, "EditListView");
  QVERIFY(edit->isVisible());
  QCOMPARE(edit->text(), QString::fromUtf8(window.CatalogueData().Entries(MediaFormat::MP3)[4].file.cells[0].text));
  QTest::keyClick(edit, Qt::Key_Escape);
  QVERIFY(!edit->isVisible());
  QCOMPARE(list->Tag(), FileListView::kIdle);
  // A press on a row that is not armed only selects it.
  auto* box = Child<QLineEdit>(window, "EditListViewCopy");
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(list, 2, 3));
  QVERIFY(!box->isVisible());
  QCOMPARE(list->Tag(), FileListView::kIdle);
  list->setFocus();
  SelectRow(list, 4);
  QTest::keyClick(list, Qt::Key_Escape);
  QVERIFY(!window.IsRenameMode());
  QVERIFY(list->selectionModel()->hasSelection());
}

void FileListsTest::RenameModeDrawsTheFileNameInEditColours() {
  TFormMain window;
  Settle(window);
  window.CatalogueData().Append(MediaFormat::MP3, Entries());
  FileListView* list = window.FileList(0);
  SelectRow(list, 1);
  auto pixel = [&](int row, int column) {
    const QRect cell = list->visualRect(list->model()->index(row, column));
    return list->viewport()->grab().toImage().pixelColor(cell.right() - 2, cell.bottom() - 2);
  };
  const QColor normalBack(255, 255, 192);  // "ColorNB" default
  const QColor selectedBack(0, 0, 255);    // "ColorSB" default
  QVERIFY(pixel(0, 1) != normalBack);
  Child<QAction>(window, "MenuFileModeR")->trigger();
  QCOMPARE(pixel(0, 1), normalBack);
  QCOMPARE(pixel(1, 1), selectedBack);
  QVERIFY(pixel(0, 2) != normalBack);  // only the file-name column
  Child<QAction>(window, "MenuFileModeT")->trigger();
  QVERIFY(pixel(0, 1) != normalBack);
}

void FileListsTest::DragOutCarriesTheSelectedFullPaths() {
  TFormMain window;
  Settle(window);
  const fs::path folder = fs::path(config_->path().toStdString());
  window.Session().OpenFolder(LoadRequest{folder, false, std::nullopt});
  QTRY_VERIFY(!window.IsBusy());
  std::vector<MediaFileEntry> entries = Entries();
  entries[4].relativePath = "../Other/亜.mp3";
  window.CatalogueData().Append(MediaFormat::MP3, std::move(entries));
  FileListView* list = window.FileList(0);
  QVERIFY(list->dragEnabled());
  QVERIFY(list->model()->flags(list->model()->index(0, 1)) & Qt::ItemIsDragEnabled);
  QItemSelection selection;
  for (int row : {4, 0}) selection.select(list->model()->index(row, 0), list->model()->index(row, 0));
  list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  std::unique_ptr<QMimeData> data(list->SelectedFilesMimeData());
  QVERIFY(data->hasFormat(QStringLiteral("text/uri-list")));
  QCOMPARE(data->urls(), QList<QUrl>({QUrl::fromLocalFile(config_->path() + "/beta.mp3"),
                                      QUrl::fromLocalFile(QString::fromStdString(
                                          (folder.parent_path() / "Other" / "亜.mp3").string()))}));
  QVERIFY(IsOwnFileDrag(data.get()));
  QVERIFY(DroppedPaths(data.get()).empty());  // the own window takes nothing back

  // Pressing a selected row and moving starts a drag of those files (the
  // list's tag is -16 for several files while it runs, -1 afterwards).
  DragWatcher watcher(list);
  const QPoint start = CellCentre(list, 0, 2);
  QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, start);
  for (const QPoint& step : {QPoint(2, 0), QPoint(QApplication::startDragDistance() + 10, 5)}) {
    const QPointF at = start + step;
    QMouseEvent move(QEvent::MouseMove, at, list->viewport()->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &move);
  }
  QDrag* drag = watcher.Drag();
  QVERIFY(drag);
  QCOMPARE(watcher.tagAtStart, FileListView::kDragMany);
  QCOMPARE(drag->mimeData()->urls(), data->urls());
  QVERIFY(IsOwnFileDrag(drag->mimeData()));
  QCOMPARE(list->Tag(), FileListView::kIdle);
  QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, start);
}

QTEST_MAIN(FileListsTest)
#include "test_file_lists.moc"
