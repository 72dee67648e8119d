// The tag tables over a loaded folder: header clicks (check column, edit
// column, Shift-sorting with parallel lists), check boxes with the MP3
// exclusion rule, keys, the popup, edit-column colours, "除外(&D)",
// "プロパティ(&R)" and the window's selection mirroring.

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "GuiTestSupport.h"
#include "LoadedFolder.h"
#include "core/catalogue/TagFile.h"
#include "core/settings/AppSettings.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/catalogue/CatalogueRoles.h"
#include "gui/catalogue/StoredColor.h"
#include "gui/tagedit/EditColumnDelegate.h"
#include "gui/tagedit/FormProperty.h"

using namespace hozanki;

namespace {

constexpr int kId3v1 = 0, kId3v2 = 1, kRiff = 2, kApe = 3;

void ClickHeader(QTableView* view, int column, Qt::KeyboardModifiers modifiers = {}) {
  QHeaderView* header = view->horizontalHeader();
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers, at);
}

QPoint CheckBoxPoint(QTableView* view, int row) {
  const QRect cell = view->visualRect(view->model()->index(row, 0));
  return QPoint(cell.left() + 8, cell.center().y());
}

void SetCell(TFormMain& w, int kind, int row, int cell, const std::string& text) {
  const auto format = FormatOfTagKind(static_cast<TagKind>(kind));
  w.CatalogueData().EditRow(format, row, [&](MediaFileEntry& e) {
    e.tags[static_cast<size_t>(TagRowIndex(static_cast<TagKind>(kind)))]
        .cells[static_cast<size_t>(cell)]
        .text = text;
  });
}

void SetRow(TFormMain& w, int kind, int row, int state, int image = kNoMark) {
  const auto format = FormatOfTagKind(static_cast<TagKind>(kind));
  w.CatalogueData().EditRow(format, row, [&](MediaFileEntry& e) {
    auto& tag = e.tags[static_cast<size_t>(TagRowIndex(static_cast<TagKind>(kind)))];
    tag.state = state;
    tag.image = image;
  });
}

int State(TFormMain& w, int kind, int row) {
  return w.TagTable(kind)->model()->index(row, 0).data(CheckStateRole).toInt();
}
int Image(TFormMain& w, int kind, int row) {
  return w.TagTable(kind)->model()->index(row, 0).data(RowImageRole).toInt();
}
QString TextAt(QTableView* view, int row, int column) {
  return view->model()->index(row, column).data().toString();
}

void ShowWindow(TFormMain& w) {
  QVERIFY(LoadedFolder::ShowAndLoad(w));
  QVERIFY(w.CatalogueData().TotalCount() > 0);
}

QTabWidget* Pages(TFormMain& w, const char* name) {
  return w.findChild<QTabWidget*>(QLatin1String(name));
}

}  // namespace

class TagTablesTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    config_ = std::make_unique<ScopedConfigDir>();
    AppSettings::Current() = AppSettings();
  }
  void cleanup() { config_.reset(); }
  void CheckColumnHeaderTogglesOpenRows();
  void HeaderClicksChooseAndLeaveTheEditColumn();
  void ShiftSortingMarksOrdersAndKeepsListsParallel();
  void CheckBoxClicksAndSpaceApplyTheExclusionRule();
  void LeftRightAndEscapeOnATable();
  void PopupTWithTheFileNameColumn();
  void EditColumnIsDrawnInTheSettingsColours();
  void EditColumnTextSitsWhereOtherCellsPutIt();
  void ExcludeAsksCentredAndRemovesFromEveryList();
  void PropertyDialogShowsEveryValueAndDetails();
  void SelectionOfTheFileListReachesTheMp3Tables();

 private:
  std::unique_ptr<ScopedConfigDir> config_;
};

void TagTablesTest::CheckColumnHeaderTogglesOpenRows() {
  LoadedFolder folder(config_->path(), Mp3Copies(4));
  TFormMain w;
  ShowWindow(w);
  QTableView* id3v2 = w.TagTable(kId3v2);
  SetRow(w, kId3v2, 0, kChecked);
  SetRow(w, kId3v2, 1, kUnchecked, kErrorMark);
  SetRow(w, kId3v2, 2, kUnavailable);
  SetRow(w, kId3v2, 3, kUnchecked);
  // One row checked: every open row becomes unchecked.
  ClickHeader(id3v2, 0);
  QCOMPARE(State(w, kId3v2, 0), kUnchecked);
  QCOMPARE(Image(w, kId3v2, 0), kChangedMark);
  QCOMPARE(State(w, kId3v2, 2), kUnavailable);
  QCOMPARE(Image(w, kId3v2, 3), kNoMark);  // unchanged: not marked
  // None checked: all open rows are checked, the others left alone.
  ClickHeader(id3v2, 0);
  QCOMPARE(State(w, kId3v2, 0), kChecked);
  QCOMPARE(State(w, kId3v2, 3), kChecked);
  QCOMPARE(State(w, kId3v2, 1), kUnchecked);  // error mark
  QCOMPARE(Image(w, kId3v2, 1), kErrorMark);
  QCOMPARE(State(w, kId3v2, 2), kUnavailable);
  QCOMPARE(Image(w, kId3v2, 3), kChangedMark);
  QCOMPARE(State(w, kRiff, 3), kUnavailable);  // exclusion rule per row
  QCOMPARE(w.EditColumn(kId3v2), -1);          // the check column is never an edit column
}

void TagTablesTest::HeaderClicksChooseAndLeaveTheEditColumn() {
  LoadedFolder folder(config_->path(), Mp3Copies(2));
  TFormMain w;
  ShowWindow(w);
  QTableView* id3v2 = w.TagTable(kId3v2);
  QMenu* popupT = w.findChild<QMenu*>(QStringLiteral("PopupT"));
  QMenu* popupF = w.findChild<QMenu*>(QStringLiteral("PopupF"));
  ClickHeader(id3v2, 3);
  QCOMPARE(w.EditColumn(kId3v2), 3);
  QCOMPARE(w.PopupOf(id3v2), popupT);
  ClickHeader(id3v2, 5);
  QCOMPARE(w.EditColumn(kId3v2), 5);
  // The same header again, "ClmMode" 0: the edit column is left.
  ClickHeader(id3v2, 5);
  QCOMPARE(w.EditColumn(kId3v2), -1);
  QCOMPARE(w.PopupOf(id3v2), popupF);
  // "ClmMode" 1: PopupT shows under the header instead.
  AppSettings::Current().clmMode = 1;
  ClickHeader(id3v2, 4);
  QTimer::singleShot(50, popupT, [popupT] { popupT->close(); });
  ClickHeader(id3v2, 4);
  QCOMPARE(w.EditColumn(kId3v2), 4);
  QTRY_VERIFY(!popupT->isVisible());
  // In rename mode a header click chooses the column and ends rename mode.
  QTest::keyClick(&w, Qt::Key_F5);
  QVERIFY(w.IsRenameMode());
  ClickHeader(w.TagTable(kApe), 2);
  QVERIFY(!w.IsRenameMode());
  QCOMPARE(w.EditColumn(kApe), 2);
  QCOMPARE(w.PopupOf(w.TagTable(kApe)), popupT);
  // An empty table: nothing.
  Pages(w, "PageControlT")->setCurrentIndex(4);
  ClickHeader(w.TagTable(4), 2);
  QCOMPARE(w.EditColumn(4), -1);
}

void TagTablesTest::ShiftSortingMarksOrdersAndKeepsListsParallel() {
  LoadedFolder folder(config_->path(), Mp3Copies(5));
  TFormMain w;
  ShowWindow(w);
  QTableView* id3v2 = w.TagTable(kId3v2);
  const std::vector<std::string> numbers = {"10", "9", "2", "9", "1"};
  for (int r = 0; r < 5; ++r) {
    SetCell(w, kId3v2, r, 4, numbers[static_cast<size_t>(r)]);  // "№", right-aligned
    SetCell(w, kId3v2, r, 2, numbers[static_cast<size_t>(r)]);  // "ﾀｲﾄﾙ", left-aligned
    SetCell(w, kApe, r, 2, "ape" + std::to_string(r));
  }
  auto names = [](QTableView* view) {
    QStringList out;
    for (int r = 0; r < view->model()->rowCount(); ++r) out << TextAt(view, r, 1);
    return out;
  };
  auto expectParallel = [&] {
    const QStringList order = names(id3v2);
    QCOMPARE(names(w.FileList(0)), order);
    for (int k : {kId3v1, kRiff, kApe}) QCOMPARE(names(w.TagTable(k)), order);
    for (int r = 0; r < 5; ++r)  // a sister's values travel with their file
      QCOMPARE(TextAt(w.TagTable(kApe), r, 3),
               QStringLiteral("ape") + QString::number(order[r].left(2).toInt()));
  };
  ClickHeader(id3v2, 5, Qt::ShiftModifier);
  QCOMPARE(id3v2->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("+№"));
  QCOMPARE(names(id3v2), QStringList({"04.mp3", "02.mp3", "01.mp3", "03.mp3", "00.mp3"}));  // 9 before 10
  expectParallel();
  ClickHeader(id3v2, 5, Qt::ShiftModifier);
  QCOMPARE(id3v2->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("-№"));
  QCOMPARE(names(id3v2), QStringList({"00.mp3", "03.mp3", "01.mp3", "02.mp3", "04.mp3"}));  // ties reversed
  expectParallel();
  ClickHeader(id3v2, 5, Qt::ShiftModifier);
  QCOMPARE(id3v2->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("+№"));
  QCOMPARE(names(id3v2), QStringList({"04.mp3", "02.mp3", "03.mp3", "01.mp3", "00.mp3"}));  // ties kept
  // A left-aligned column: "10" before "9"; the old mark becomes a blank.
  ClickHeader(id3v2, 3, Qt::ShiftModifier);
  QCOMPARE(id3v2->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral(" №"));
  QCOMPARE(id3v2->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("ﾀｲﾄﾙ+"));
  QCOMPARE(names(id3v2).first(), QStringLiteral("04.mp3"));
  QCOMPARE(TextAt(id3v2, 1, 3), QStringLiteral("10"));
  QCOMPARE(TextAt(id3v2, 2, 3), QStringLiteral("2"));
  expectParallel();
  // Another table's header takes the mark over.
  ClickHeader(w.TagTable(kApe), 3, Qt::ShiftModifier);
  QCOMPARE(id3v2->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("ﾀｲﾄﾙ "));
  QCOMPARE(TextAt(w.FileList(0), 0, 1), QStringLiteral("00.mp3"));
  QCOMPARE(w.EditColumn(kId3v2), -1);  // sorting chooses no edit column
}

void TagTablesTest::CheckBoxClicksAndSpaceApplyTheExclusionRule() {
  LoadedFolder folder(config_->path(), Mp3Copies(3));
  TFormMain w;
  ShowWindow(w);
  for (int k : {kId3v2, kRiff, kApe}) SetRow(w, k, 0, kUnchecked);
  auto page = Pages(w, "PageControlT");
  page->setCurrentIndex(kRiff);
  QTableView* riff = w.TagTable(kRiff);
  QTest::mouseClick(riff->viewport(), Qt::LeftButton, {}, CheckBoxPoint(riff, 0));
  QCOMPARE(State(w, kRiff, 0), kChecked);
  QCOMPARE(State(w, kId3v2, 0), kUnavailable);
  QCOMPARE(State(w, kApe, 0), kUnavailable);
  QCOMPARE(Image(w, kRiff, 0), kChangedMark);
  QTest::mouseClick(riff->viewport(), Qt::LeftButton, {}, CheckBoxPoint(riff, 0));
  QCOMPARE(State(w, kRiff, 0), kUnchecked);
  QCOMPARE(State(w, kId3v2, 0), kUnchecked);
  QCOMPARE(State(w, kApe, 0), kUnchecked);
  // Space on ID3v2 while APE is checked: RIFF stays unavailable.
  SetRow(w, kId3v2, 1, kChecked);
  SetRow(w, kApe, 1, kChecked);
  SetRow(w, kRiff, 1, kUnavailable);
  page->setCurrentIndex(kId3v2);
  QTableView* id3v2 = w.TagTable(kId3v2);
  id3v2->setFocus();
  id3v2->selectRow(1);
  QTest::keyClick(id3v2, Qt::Key_Space);
  QCOMPARE(State(w, kId3v2, 1), kUnchecked);
  QCOMPARE(State(w, kRiff, 1), kUnavailable);
  QCOMPARE(Image(w, kId3v2, 1), kChangedMark);
  // An unavailable row and a row with the error mark ignore box clicks.
  QTest::mouseClick(riff->viewport(), Qt::LeftButton, {}, CheckBoxPoint(riff, 1));
  QCOMPARE(State(w, kRiff, 1), kUnavailable);
  SetRow(w, kId3v2, 2, kUnchecked, kErrorMark);
  QTest::mouseClick(id3v2->viewport(), Qt::LeftButton, {}, CheckBoxPoint(id3v2, 2));
  QCOMPARE(State(w, kId3v2, 2), kUnchecked);
  QCOMPARE(Image(w, kId3v2, 2), kErrorMark);
}

void TagTablesTest::LeftRightAndEscapeOnATable() {
  LoadedFolder folder(config_->path(), Mp3Copies(3));
  TFormMain w;
  ShowWindow(w);
  QTableView* id3v1 = w.TagTable(kId3v1);
  Pages(w, "PageControlT")->setCurrentIndex(kId3v1);
  id3v1->setFocus();
  id3v1->selectRow(0);
  // No edit column: Left/Right are the table's own.
  QTest::keyClick(id3v1, Qt::Key_Right);
  QCOMPARE(w.EditColumn(kId3v1), -1);
  ClickHeader(id3v1, 2);
  QTest::keyClick(id3v1, Qt::Key_Left);
  QCOMPARE(w.EditColumn(kId3v1), 1);
  QTest::keyClick(id3v1, Qt::Key_Left);
  QCOMPARE(w.EditColumn(kId3v1), 1);  // never column 0
  ClickHeader(id3v1, 7);
  QTest::keyClick(id3v1, Qt::Key_Right);
  QCOMPARE(w.EditColumn(kId3v1), 8);
  QTest::keyClick(id3v1, Qt::Key_Right);
  QCOMPARE(w.EditColumn(kId3v1), 8);  // never past the last column
  QTest::keyClick(id3v1, Qt::Key_Escape);
  QCOMPARE(w.EditColumn(kId3v1), -1);
  QCOMPARE(w.PopupOf(id3v1), w.findChild<QMenu*>(QStringLiteral("PopupF")));
  // Escape without an edit column clears the selection of file list and tables.
  QTRY_COMPARE(w.SyncRequest(), 0);
  w.FileList(0)->selectAll();
  QTRY_COMPARE(id3v1->selectionModel()->selectedRows().size(), 3);
  id3v1->setFocus();
  QTest::keyClick(id3v1, Qt::Key_Escape);
  QVERIFY(w.FileList(0)->selectionModel()->selectedRows().isEmpty());
  QTRY_VERIFY(id3v1->selectionModel()->selectedRows().isEmpty());
}

void TagTablesTest::PopupTWithTheFileNameColumn() {
  LoadedFolder folder(config_->path(), Mp3Copies(2));
  TFormMain w;
  ShowWindow(w);
  QMenu* popupT = w.findChild<QMenu*>(QStringLiteral("PopupT"));
  auto visible = [&](const char* name) { return w.findChild<QAction*>(QLatin1String(name))->isVisible(); };
  ClickHeader(w.TagTable(kId3v2), 1);
  emit popupT->aboutToShow();
  for (const char* name : {"PopupTCopy", "PopupTSelectAll", "PopupTDelete", "PopupTMode"})
    QVERIFY(visible(name));
  for (const char* name :
       {"PopupTPaste", "PopupTUndo", "PopupTSetAll", "PopupTEditor", "PopupTReplace", "PopupTConvertItem",
        "PopupTRegexp", "PopupTSubstr", "PopupTMultiItem", "PopupTClear"})
    QVERIFY2(!visible(name), name);
  ClickHeader(w.TagTable(kId3v2), 2);
  emit popupT->aboutToShow();
  QVERIFY(visible("PopupTPaste"));
  QVERIFY(visible("PopupTClear"));
  QAction* modeOff = w.findChild<QAction*>(QStringLiteral("PopupTMode"));
  QVERIFY(modeOff->isEnabled());
  modeOff->trigger();
  QCOMPARE(w.EditColumn(kId3v2), -1);
}

void TagTablesTest::EditColumnIsDrawnInTheSettingsColours() {
  LoadedFolder folder(config_->path(), Mp3Copies(3));
  TFormMain w;
  AppSettings::Current().colorNB = 0x000000FF;  // red, stored as 0x00BBGGRR
  AppSettings::Current().colorSB = 0x0000FF00;  // green
  ShowWindow(w);
  QTableView* id3v2 = w.TagTable(kId3v2);
  ClickHeader(id3v2, 3);
  id3v2->selectRow(1);
  QTest::qWait(20);
  auto pixel = [&](int row, int column) {
    const QRect cell = id3v2->visualRect(id3v2->model()->index(row, column));
    return id3v2->viewport()->grab().toImage().pixelColor(cell.right() - 3, cell.center().y());
  };
  QCOMPARE(pixel(0, 3), QColor(255, 0, 0));
  QCOMPARE(pixel(1, 3), QColor(0, 255, 0));
  QVERIFY(pixel(0, 4) != QColor(255, 0, 0));
  // Rename mode draws no edit column in the tables.
  QTest::keyClick(&w, Qt::Key_F5);
  QVERIFY(pixel(0, 3) != QColor(255, 0, 0));
  // System colours come from the palette.
  // The default selected text colour is a system colour: highlight text.
  QCOMPARE(StoredColor(AppSettings().colorSC, id3v2->palette()),
           id3v2->palette().color(QPalette::HighlightedText));
  // "..." cuts whole characters only, also surrogate pairs.
  const QFontMetrics metrics(id3v2->font());
  const QString text = QStringLiteral("日本語のとても長いタイトル😀😀😀");
  for (int width = 0; width < metrics.horizontalAdvance(text); width += 7) {
    const QString cut = EditColumnDelegate::CellText(metrics, text, width);
    QVERIFY(cut.endsWith(QStringLiteral("...")));
    const QString kept = cut.chopped(3);
    QVERIFY(!kept.isEmpty());
    QVERIFY(text.startsWith(kept));
    QVERIFY(!kept.back().isHighSurrogate());
  }
  QCOMPARE(EditColumnDelegate::CellText(metrics, QStringLiteral("a\r\nb"), 500), QStringLiteral("a b"));
}

void TagTablesTest::EditColumnTextSitsWhereOtherCellsPutIt() {
  LoadedFolder folder(config_->path(), Mp3Copies(2));
  TFormMain w;
  ShowWindow(w);
  QTableView* id3v2 = w.TagTable(kId3v2);
  const QString text = QStringLiteral("Ag|日本語");
  for (int cell = 0; cell < 4; ++cell) SetCell(w, kId3v2, 0, cell, text.toStdString());
  // Two columns that show it: the second becomes the edit column.
  QList<int> columns;
  for (int c = 2; c < id3v2->model()->columnCount() && columns.size() < 2; ++c)
    if (TextAt(id3v2, 0, c) == text && id3v2->columnWidth(c) > 40) columns << c;
  QCOMPARE(columns.size(), 2);
  ClickHeader(id3v2, columns[1]);
  id3v2->clearSelection();
  id3v2->setCurrentIndex(id3v2->model()->index(1, 0));
  QTest::qWait(20);
  const QImage image = id3v2->viewport()->grab().toImage();
  // The first and last pixel rows of the cell that hold text.
  auto inkRows = [&](int column) {
    const QRect cell = id3v2->visualRect(id3v2->model()->index(0, column));
    const QColor background = image.pixelColor(cell.right() - 3, cell.center().y());
    int first = -1, last = -1;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
      for (int x = cell.left() + 2; x < cell.left() + cell.width() / 2; ++x) {
        const QColor c = image.pixelColor(x, y);
        if (std::abs(c.red() - background.red()) + std::abs(c.green() - background.green()) +
                std::abs(c.blue() - background.blue()) > 150) {
          if (first < 0) first = y - cell.top();
          last = y - cell.top();
          break;
        }
      }
    return QPair<int, int>(first, last);
  };
  const auto plain = inkRows(columns[0]);
  const auto edit = inkRows(columns[1]);
  QVERIFY(plain.first >= 0 && edit.first >= 0);
  QCOMPARE(edit, plain);
}

void TagTablesTest::ExcludeAsksCentredAndRemovesFromEveryList() {
  LoadedFolder folder(config_->path(), Mp3Copies(4));
  TFormMain w;
  ShowWindow(w);
  QTableView* files = w.FileList(0);
  auto selectRows = [&] {
    files->selectionModel()->clearSelection();
    for (int r : {1, 3})
      files->selectionModel()->select(files->model()->index(r, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  };
  QAction* exclude = w.findChild<QAction*>(QStringLiteral("PopupFDelete"));
  QVERIFY(exclude->isEnabled());
  // No: nothing changes.
  selectRows();
  QPoint boxAt;
  QTimer::singleShot(100, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("編集対象から除外しますか？"));
    boxAt = box->pos();
    box->button(QMessageBox::No)->click();
  });
  exclude->trigger();
  QCOMPARE(w.CatalogueData().RowCount(MediaFormat::MP3), 4);
  const QPoint centre = w.frameGeometry().center();
  QCOMPARE(boxAt, QPoint(centre.x() - 120, centre.y() - 60));
  // Yes (through Shift+Del): the selected files leave the file list and all four tables.
  selectRows();
  QTimer::singleShot(100, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY(box);
    box->button(QMessageBox::Yes)->click();
  });
  files->setFocus();
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  QTest::keyClick(files, Qt::Key_Delete, Qt::ShiftModifier);
  QCOMPARE(files->model()->rowCount(), 2);
  for (int k : {kId3v1, kId3v2, kRiff, kApe}) {
    QCOMPARE(w.TagTable(k)->model()->rowCount(), 2);
    QCOMPARE(TextAt(w.TagTable(k), 1, 1), QStringLiteral("02.mp3"));
  }
  QVERIFY(std::filesystem::exists(folder.Folder() / "01.mp3"));  // files untouched
  QVERIFY(std::filesystem::exists(folder.Folder() / "03.mp3"));
}

void TagTablesTest::PropertyDialogShowsEveryValueAndDetails() {
  LoadedFolder folder(config_->path(), {{"mp3/plain.mp3", "a.mp3"}, {"mp3/sjis_id3v2.mp3", "b.mp3"}});
  TFormMain w;
  ShowWindow(w);
  const QString artist = TextAt(w.TagTable(kId3v2), 1, 2);
  QVERIFY(!artist.isEmpty());
  w.FileList(0)->setCurrentIndex(w.FileList(0)->model()->index(1, 1));
  bool seen = false;
  QTimer::singleShot(100, [&] {
    auto* dialog = qobject_cast<FormProperty*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    seen = true;
    QCOMPARE(dialog->Pages()->count(), 5);  // four MP3 tag kinds and the details
    QCOMPARE(dialog->Pages()->currentIndex(), kId3v2);
    QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("IART_v2"))->text(), artist);
    QVERIFY(dialog->findChild<QLineEdit*>(QStringLiteral("ICMT_rmp")));
    QVERIFY(!dialog->findChild<QLineEdit*>(QStringLiteral("AFMT"))->text().isEmpty());
    QVERIFY(dialog->findChild<QLineEdit*>(QStringLiteral("Tags"))->text().contains(QStringLiteral("ID3v2")));
    // Every field reads as text, not as an input box: read-only, frameless,
    // on the dialog's background.
    int fields = 0;
    for (QLineEdit* field : dialog->findChildren<QLineEdit*>()) {
      QVERIFY(field->isReadOnly());
      QVERIFY(!field->hasFrame());
      QCOMPARE(field->palette().color(QPalette::Base), field->palette().color(QPalette::Window));
      ++fields;
    }
    for (QPlainTextEdit* field : dialog->findChildren<QPlainTextEdit*>()) {
      QVERIFY(field->isReadOnly());
      QCOMPARE(field->frameShape(), QFrame::NoFrame);
      QCOMPARE(field->palette().color(QPalette::Base), field->palette().color(QPalette::Window));
    }
    QVERIFY(fields > 10);
    dialog->reject();
  });
  w.findChild<QAction*>(QStringLiteral("PopupFProperty"))->trigger();
  QVERIFY(seen);
  // A file gone from disk: the dialog says so instead of failing.
  std::filesystem::remove(folder.Folder() / "b.mp3");
  QTimer::singleShot(100, [&] {
    auto* dialog = qobject_cast<FormProperty*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    QVERIFY(dialog->findChild<QLineEdit*>(QStringLiteral("Error")));
    dialog->reject();
  });
  w.findChild<QAction*>(QStringLiteral("PopupFProperty"))->trigger();
}

void TagTablesTest::SelectionOfTheFileListReachesTheMp3Tables() {
  LoadedFolder folder(config_->path(), Mp3Copies(6));
  TFormMain w;
  ShowWindow(w);
  QTableView* files = w.FileList(0);
  // A burst of changes is mirrored once, at idle.
  for (int r : {2, 5})
    files->selectionModel()->select(files->model()->index(r, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  QCOMPARE(w.SyncRequest(), 1);
  QTRY_COMPARE(w.SyncRequest(), 0);
  for (int k : {kId3v1, kId3v2, kRiff, kApe}) {
    const QModelIndexList rows = w.TagTable(k)->selectionModel()->selectedRows();
    QCOMPARE(rows.size(), 2);
  }
  auto* status = w.findChild<StatusBarPanels*>();
  QCOMPARE(status->PanelText(1), QStringLiteral("2 / 6"));
  // Select-all (Ctrl+A) selects the whole active file list, and through it the tables.
  QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
  QTRY_COMPARE(status->PanelText(1), QStringLiteral("6 / 6"));
  QCOMPARE(w.TagTable(kApe)->selectionModel()->selectedRows().size(), 6);
}

QTEST_MAIN(TagTablesTest)
#include "test_tag_tables.moc"
