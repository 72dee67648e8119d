// In-place editing on the tag tables of a loaded folder: arming and opening,
// the four editors and their keys, walking a column, the storing rules, the
// width limit, closing from outside, and the history-combo rule.

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QtTest>

#include "GuiTestSupport.h"
#include "LoadedFolder.h"
#include "core/settings/AppSettings.h"
#include "gui/catalogue/CatalogueRoles.h"
#include "gui/tagedit/HistoryCombo.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/WidthLimitValidator.h"

using namespace hozanki;

namespace {

constexpr int kId3v1 = 0, kId3v2 = 1;

using guitest::Child;

QPoint CellPoint(QTableView* view, int row, int column) {
  return view->visualRect(view->model()->index(row, column)).center();
}

// Types a text key by key (QTest::keyClicks takes Latin-1 only); a
// surrogate pair is one key.
void TypeText(QWidget* widget, const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype n = text.at(i).isHighSurrogate() ? 2 : 1;
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
    i += n - 1;
  }
}

void DoubleClickCell(QTableView* view, int row, int column) {
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, CellPoint(view, row, column));
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, CellPoint(view, row, column));
}

const TagRow& Row(TFormMain& w, int kind, int row) {
  const auto format = FormatOfTagKind(static_cast<TagKind>(kind));
  return w.CatalogueData()
      .Entries(format)[static_cast<size_t>(row)]
      .tags[static_cast<size_t>(TagRowIndex(static_cast<TagKind>(kind)))];
}

void SetRowImage(TFormMain& w, int kind, int row, int state, int image) {
  const auto format = FormatOfTagKind(static_cast<TagKind>(kind));
  w.CatalogueData().EditRow(format, row, [&](MediaFileEntry& e) {
    auto& tag = e.tags[static_cast<size_t>(TagRowIndex(static_cast<TagKind>(kind)))];
    tag.state = state;
    tag.image = image;
  });
}

// A window on the ID3v2 page with `rows` MP3 files, edit column `column`,
// row 0 selected and focused in the table.
struct Fixture {
  explicit Fixture(const QString& configDir, int rows, int page = kId3v2, int column = 3)
      : folder(configDir, Mp3Copies(rows)) {
    if (!LoadedFolder::ShowAndLoad(w) || !QTest::qWaitForWindowActive(&w)) qFatal("window not loaded");
    if (w.CatalogueData().RowCount(MediaFormat::MP3) != rows) qFatal("rows not loaded");
    Child<QTabWidget>(w, "PageControlT")->setCurrentIndex(page);
    table = w.TagTable(page);
    QHeaderView* header = table->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    table->setFocus();
    table->setCurrentIndex(table->model()->index(0, column));
  }
  LoadedFolder folder;
  TFormMain w;
  QTableView* table = nullptr;
};

}  // namespace

class InPlaceEditorsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { config_ = std::make_unique<ScopedConfigDir>(); }
  void cleanup() { config_.reset(); }
  void ClickSelectsDoubleClickOpensAndCloseDisarms();
  void EnterWalkingDownStoresIntoTheRowLeft();
  void UnchangedTextLeavesTheRowUnmarked();
  void WalkingOntoAClosedRowClosesAfterStoring();
  void WidthLimitCountsDoubleByteCharactersTwice();
  void GenreComboRules();
  void MemoNeedsAltForEnterAndWalking();
  void TagPageChangeCommitsAndIsRefusedOnce();
  void EditorOwnsCtrlCWhileOpen();
  void LeavingTheEditorKeepsWhatWasTyped();
  void RenameModeTablesOpenOnlyTheCopyBox();
  void RowsMovingUnderAnEditorNeverStoreIntoAnotherFile();
  void ScrollingTheRowAwayStoresAndCloses();
  void HistoryComboKeepsTwentyMostRecentFirst();
  void LineEditorsWidenWithTheirTextInsideTheWindow();

 private:
  std::unique_ptr<ScopedConfigDir> config_;
};

void InPlaceEditorsTest::ClickSelectsDoubleClickOpensAndCloseDisarms() {
  Fixture f(config_->path(), 3);
  auto* edit = Child<QLineEdit>(f.w, "EditListView");
  QTest::mouseClick(f.table->viewport(), Qt::LeftButton, {}, CellPoint(f.table, 1, 3));
  QVERIFY(f.table->selectionModel()->isRowSelected(1, {}));
  QVERIFY(!edit->isVisible());
  // A double click opens that cell's editor, on any value column.
  DoubleClickCell(f.table, 1, 4);
  QVERIFY(edit->isVisible());
  QVERIFY(edit->hasFocus());
  QCOMPARE(f.w.Tables().Editors().Session().column, 4);
  QCOMPARE(InPlaceEditors::ArmedRow(f.table), 1);
  QTest::keyClick(edit, Qt::Key_Escape);
  QVERIFY(!edit->isVisible());
  QVERIFY(f.table->hasFocus());
  QCOMPARE(InPlaceEditors::ArmedRow(f.table), -1);
  QTest::mouseClick(f.table->viewport(), Qt::LeftButton, {}, CellPoint(f.table, 1, 4));
  QVERIFY(!edit->isVisible());
  // The file-name column opens the read-only copy box.
  DoubleClickCell(f.table, 1, 1);
  auto* copy = Child<QLineEdit>(f.w, "EditListViewCopy");
  QVERIFY(copy->isVisible());
  QVERIFY(copy->isReadOnly());
  QCOMPARE(copy->text(), QStringLiteral("01.mp3"));
  QTest::keyClick(copy, Qt::Key_Return);
  QVERIFY(!copy->isVisible());
  QVERIFY(f.w.FileList(0)->hasFocus());
}

void InPlaceEditorsTest::EnterWalkingDownStoresIntoTheRowLeft() {
  Fixture f(config_->path(), 3);
  auto* edit = Child<QLineEdit>(f.w, "EditListView");
  QTest::keyClick(f.table, Qt::Key_Return);
  QVERIFY(edit->isVisible());
  edit->selectAll();
  TypeText(edit, QStringLiteral("春の歌"));
  QTest::keyClick(edit, Qt::Key_Down);
  // Stored into row 0, the row the editor was on; the editor follows to row 1.
  QCOMPARE(QString::fromStdString(Row(f.w, kId3v2, 0).cells[2].text), QStringLiteral("春の歌"));
  QCOMPARE(Row(f.w, kId3v2, 0).cells[2].value, 1);
  QCOMPARE(Row(f.w, kId3v2, 0).image, kChangedMark);
  QCOMPARE(Row(f.w, kId3v2, 0).state, kChecked);
  QCOMPARE(Row(f.w, kId3v2, 1).image, kNoMark);
  QVERIFY(edit->isVisible());
  QCOMPARE(f.w.Tables().Editors().Session().row, 1);
  QVERIFY(!f.table->selectionModel()->isRowSelected(0, {}));
  QVERIFY(f.table->selectionModel()->isRowSelected(1, {}));
  QCOMPARE(edit->text(), f.table->model()->index(1, 3).data().toString());
  edit->selectAll();
  TypeText(edit, QStringLiteral("夏"));
  QTest::keyClick(edit, Qt::Key_Down);
  QCOMPARE(QString::fromStdString(Row(f.w, kId3v2, 1).cells[2].text), QStringLiteral("夏"));
  // The last row: Down stores nothing and keeps the editor open.
  edit->selectAll();
  TypeText(edit, QStringLiteral("秋"));
  QTest::keyClick(edit, Qt::Key_Down);
  QVERIFY(edit->isVisible());
  QCOMPARE(Row(f.w, kId3v2, 2).image, kNoMark);
  QCOMPARE(f.w.Tables().Editors().Walk(1), 0);
  // Up from row 2 stores into row 2: the offset to the stored row is +1.
  QCOMPARE(f.w.Tables().Editors().Walk(-1), 1);
  QCOMPARE(QString::fromStdString(Row(f.w, kId3v2, 2).cells[2].text), QStringLiteral("秋"));
  QTest::keyClick(edit, Qt::Key_Return);
  QVERIFY(!edit->isVisible());
  // The walk reached the file list through the idle mirroring.
  QTRY_VERIFY(f.w.FileList(0)->selectionModel()->isRowSelected(1, {}));
}

void InPlaceEditorsTest::UnchangedTextLeavesTheRowUnmarked() {
  Fixture f(config_->path(), 2);
  auto* edit = Child<QLineEdit>(f.w, "EditListView");
  const std::string before = Row(f.w, kId3v2, 0).cells[2].text;
  QTest::keyClick(f.table, Qt::Key_Return);
  TypeText(edit, QStringLiteral("x"));
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClick(edit, Qt::Key_Return);
  QCOMPARE(Row(f.w, kId3v2, 0).image, kNoMark);
  QCOMPARE(Row(f.w, kId3v2, 0).cells[2].value, 0);
  // Escape drops what was typed.
  QTest::keyClick(f.table, Qt::Key_Return);
  TypeText(edit, QStringLiteral("changed"));
  QTest::keyClick(edit, Qt::Key_Escape);
  QCOMPARE(Row(f.w, kId3v2, 0).cells[2].text, before);
  QCOMPARE(Row(f.w, kId3v2, 0).image, kNoMark);
}

void InPlaceEditorsTest::WalkingOntoAClosedRowClosesAfterStoring() {
  Fixture f(config_->path(), 3);
  SetRowImage(f.w, kId3v2, 1, kUnchecked, kErrorMark);
  SetRowImage(f.w, kId3v2, 2, kUnavailable, kNoMark);
  auto* edit = Child<QLineEdit>(f.w, "EditListView");
  QTest::keyClick(f.table, Qt::Key_Return);
  TypeText(edit, QStringLiteral("1"));
  QTest::keyClick(edit, Qt::Key_Down);
  QVERIFY(!edit->isVisible());
  QCOMPARE(Row(f.w, kId3v2, 0).image, kChangedMark);
  QCOMPARE(Row(f.w, kId3v2, 1).image, kErrorMark);
  QVERIFY(f.table->selectionModel()->isRowSelected(1, {}));
  // No editor opens on a closed row: error mark or unavailable.
  QTest::keyClick(f.table, Qt::Key_Return);
  QVERIFY(!edit->isVisible());
  f.table->selectRow(2);
  QTest::keyClick(f.table, Qt::Key_Return);
  QVERIFY(!edit->isVisible());
  DoubleClickCell(f.table, 2, 3);
  QVERIFY(!edit->isVisible());
}

void InPlaceEditorsTest::WidthLimitCountsDoubleByteCharactersTwice() {
  Fixture f(config_->path(), 1, kId3v1, 3);  // ID3v1 "ﾀｲﾄﾙ": 30
  auto* edit = Child<QLineEdit>(f.w, "EditListView");
  QTest::keyClick(f.table, Qt::Key_Return);
  QVERIFY(edit->isVisible());
  edit->clear();
  TypeText(edit, QString(20, QChar(0x3042)));  // あ x 20
  QCOMPARE(edit->text(), QString(15, QChar(0x3042)));
  edit->clear();
  TypeText(edit, QStringLiteral("ｱｲｳ") + QString(30, QLatin1Char('a')));  // half-width kana count 1
  QCOMPARE(edit->text().size(), 30);
  // A paste is cut to what fits, at a whole character.
  edit->clear();
  TypeText(edit, QString(29, QLatin1Char('b')));
  edit->insert(QStringLiteral("漢字"));
  QCOMPARE(edit->text(), QString(29, QLatin1Char('b')));
  QTest::keyClick(edit, Qt::Key_Return);
  QCOMPARE(Row(f.w, kId3v1, 0).cells[2].text, std::string(29, 'b'));
  // The validator on its own, with a surrogate pair.
  WidthLimitValidator validator;
  validator.SetLimit(4);
  QString text = QStringLiteral("a😀😀");
  int position = static_cast<int>(text.size());
  validator.validate(text, position);
  QCOMPARE(text, QStringLiteral("a😀"));
  QCOMPARE(Cp932Width(QStringLiteral("aｱ漢")), 4);
}

void InPlaceEditorsTest::GenreComboRules() {
  Fixture f(config_->path(), 3, kId3v1, 7);
  auto* combo = Child<QComboBox>(f.w, "ComboBoxListView");
  QTest::keyClick(f.table, Qt::Key_Return);
  QVERIFY(combo->isVisible());
  // ID3v1: a genre outside the list becomes empty; a known one stays as typed.
  combo->setEditText(QStringLiteral("No Such Genre"));
  QTest::keyClick(combo, Qt::Key_Down);
  QCOMPARE(Row(f.w, kId3v1, 0).cells[6].text, std::string());
  combo->setEditText(QStringLiteral("rOCK"));
  QTest::keyClick(combo, Qt::Key_Return);
  QCOMPARE(Row(f.w, kId3v1, 1).cells[6].text, std::string("rOCK"));
  QCOMPARE(Row(f.w, kId3v1, 1).image, kChangedMark);
  // ID3v2: free text, but "- User -" on Down stores an empty genre.
  auto* pages = Child<QTabWidget>(f.w, "PageControlT");
  pages->setCurrentIndex(kId3v2);
  QTableView* id3v2 = f.w.TagTable(kId3v2);
  QHeaderView* header = id3v2->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(7) + 5, 5));
  f.w.CatalogueData().EditRow(MediaFormat::MP3, 0,
                              [](MediaFileEntry& e) { e.tags[1].cells[6].text = "Pop"; });
  id3v2->setFocus();
  id3v2->selectRow(0);
  QTest::keyClick(id3v2, Qt::Key_Return);
  QVERIFY(combo->isVisible());
  combo->setEditText(QStringLiteral("- User -"));
  QTest::keyClick(combo, Qt::Key_Down);
  QCOMPARE(Row(f.w, kId3v2, 0).cells[6].text, std::string());
  QCOMPARE(Row(f.w, kId3v2, 0).cells[6].value, 1);
  combo->setEditText(QStringLiteral("My Genre"));
  QTest::keyClick(combo, Qt::Key_Return);
  QCOMPARE(Row(f.w, kId3v2, 1).cells[6].text, std::string("My Genre"));
  QCOMPARE(combo->count(), 157);  // the list itself never changes
}

void InPlaceEditorsTest::MemoNeedsAltForEnterAndWalking() {
  Fixture f(config_->path(), 2, kId3v2, 8);  // "ｺﾒﾝﾄ": multi-line
  auto* memo = Child<QPlainTextEdit>(f.w, "MemoListView");
  QTest::keyClick(f.table, Qt::Key_Return);
  QVERIFY(memo->isVisible());
  QCOMPARE(memo->height(), AppSettings::Current().memoSize);
  memo->clear();
  TypeText(memo, QStringLiteral("一行目"));
  QTest::keyClick(memo, Qt::Key_Return);
  TypeText(memo, QStringLiteral("二行目"));
  QTest::keyClick(memo, Qt::Key_Up);  // the caret moves, the memo stays
  QVERIFY(memo->isVisible());
  QCOMPARE(Row(f.w, kId3v2, 0).image, kNoMark);
  QTest::keyClick(memo, Qt::Key_Down, Qt::AltModifier);
  QCOMPARE(QString::fromStdString(Row(f.w, kId3v2, 0).cells[7].text), QStringLiteral("一行目\r\n二行目"));
  QVERIFY(memo->isVisible());
  TypeText(memo, QStringLiteral("x"));
  QTest::keyClick(memo, Qt::Key_Return, Qt::AltModifier);
  QVERIFY(!memo->isVisible());
  QCOMPARE(Row(f.w, kId3v2, 1).image, kChangedMark);
  // Reopened, a stored line break shows as one and an unchanged text stores nothing.
  f.table->selectRow(0);
  QTest::keyClick(f.table, Qt::Key_Return);
  QCOMPARE(memo->toPlainText(), QStringLiteral("一行目\n二行目"));
  f.w.CatalogueData().EditRow(MediaFormat::MP3, 0, [](MediaFileEntry& e) { e.tags[1].image = kNoMark; });
  QTest::keyClick(memo, Qt::Key_Return, Qt::AltModifier);
  QCOMPARE(Row(f.w, kId3v2, 0).image, kNoMark);
}

void InPlaceEditorsTest::TagPageChangeCommitsAndIsRefusedOnce() {
  Fixture f(config_->path(), 2);
  auto* edit = Child<QLineEdit>(f.w, "EditListView");
  auto* pages = Child<QTabWidget>(f.w, "PageControlT");
  QTest::keyClick(f.table, Qt::Key_Return);
  TypeText(edit, QStringLiteral("!"));
  QTabBar* tabs = pages->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(kId3v1).center());
  QCOMPARE(pages->currentIndex(), kId3v2);
  QVERIFY(!edit->isVisible());
  QCOMPARE(Row(f.w, kId3v2, 0).image, kChangedMark);
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(kId3v1).center());
  QCOMPARE(pages->currentIndex(), kId3v1);
  // A header click and an opening menu close the editor the same way.
  pages->setCurrentIndex(kId3v2);
  f.table->setFocus();
  f.table->selectRow(1);
  QTest::keyClick(f.table, Qt::Key_Return);
  TypeText(edit, QStringLiteral("?"));
  emit Child<QMenu>(f.w, "MenuEdit")->aboutToShow();
  QVERIFY(!edit->isVisible());
  QCOMPARE(Row(f.w, kId3v2, 1).image, kChangedMark);
  f.table->selectRow(0);
  QTest::keyClick(f.table, Qt::Key_Return);
  TypeText(edit, QStringLiteral("#"));
  QHeaderView* header = f.table->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(5) + 5, 5));
  QVERIFY(!edit->isVisible());
  QVERIFY(QString::fromStdString(Row(f.w, kId3v2, 0).cells[2].text).endsWith(QLatin1Char('#')));
  QCOMPARE(f.w.EditColumn(kId3v2), 5);
}

void InPlaceEditorsTest::EditorOwnsCtrlCWhileOpen() {
  Fixture f(config_->path(), 2);
  auto* edit = Child<QLineEdit>(f.w, "EditListView");
  auto* copy = Child<QAction>(f.w, "MenuEditCopy");
  QCOMPARE(copy->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
  QTest::keyClick(f.table, Qt::Key_Return);
  QVERIFY(copy->shortcut().isEmpty());
  QVERIFY(Child<QAction>(f.w, "MenuEditPaste")->shortcut().isEmpty());
  QVERIFY(Child<QAction>(f.w, "MenuEditUndo")->shortcut().isEmpty());
  edit->setText(QStringLiteral("abc 日本"));
  edit->setSelection(4, 2);
  QApplication::clipboard()->clear();
  QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("日本"));
  QTest::keyClick(edit, Qt::Key_Escape);
  QCOMPARE(copy->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
  QCOMPARE(Child<QAction>(f.w, "MenuEditUndo")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
}

void InPlaceEditorsTest::LeavingTheEditorKeepsWhatWasTyped() {
  Fixture f(config_->path(), 2);
  auto* edit = Child<QLineEdit>(f.w, "EditListView");
  QTest::keyClick(f.table, Qt::Key_Return);
  edit->selectAll();
  TypeText(edit, QStringLiteral("フォーカス"));
  auto* tree = Child<QTreeView>(f.w, "DirectoryTreeView");
  tree->setFocus(Qt::MouseFocusReason);
  QVERIFY(!edit->isVisible());
  QVERIFY(tree->hasFocus());  // the focus stays where the user put it
  QCOMPARE(QString::fromStdString(Row(f.w, kId3v2, 0).cells[2].text), QStringLiteral("フォーカス"));
  QVERIFY(!Child<QAction>(f.w, "MenuEditCopy")->shortcut().isEmpty());
  // F5 while editing commits before the mode changes.
  f.table->setFocus();
  QTest::keyClick(f.table, Qt::Key_Return);
  edit->selectAll();
  TypeText(edit, QStringLiteral("F5"));
  QTest::keyClick(edit, Qt::Key_F5);
  QVERIFY(f.w.IsRenameMode());
  QVERIFY(!edit->isVisible());
  QCOMPARE(Row(f.w, kId3v2, 0).cells[2].text, std::string("F5"));
}

void InPlaceEditorsTest::RenameModeTablesOpenOnlyTheCopyBox() {
  Fixture f(config_->path(), 2);
  QTest::keyClick(&f.w, Qt::Key_F5);
  QVERIFY(f.w.IsRenameMode());
  auto* copy = Child<QLineEdit>(f.w, "EditListViewCopy");
  DoubleClickCell(f.table, 0, 3);
  QVERIFY(copy->isVisible());
  QVERIFY(!Child<QLineEdit>(f.w, "EditListView")->isVisible());
  TypeText(copy, QStringLiteral("zzz"));  // read-only
  QTest::keyClick(copy, Qt::Key_Escape);
  QVERIFY(!copy->isVisible());
  QCOMPARE(Row(f.w, kId3v2, 0).image, kNoMark);
  QCOMPARE(InPlaceEditors::ArmedRow(f.table), -1);
}

void InPlaceEditorsTest::RowsMovingUnderAnEditorNeverStoreIntoAnotherFile() {
  Fixture f(config_->path(), 3);
  auto* edit = Child<QLineEdit>(f.w, "EditListView");
  auto valueOf = [&](const char* name) {
    for (const MediaFileEntry& e : f.w.CatalogueData().Entries(MediaFormat::MP3))
      if (e.relativePath == name) return e.tags[1].cells[2].text;
    return std::string("?");
  };
  // A Shift-click on the file list's name header: the edit is stored first, then the rows move.
  QTest::keyClick(f.table, Qt::Key_Return);
  edit->selectAll();
  TypeText(edit, QStringLiteral("並べ替え"));
  QHeaderView* header = f.w.FileList(0)->horizontalHeader();
  const QPoint name(header->sectionViewportPosition(1) + 5, 5);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::ShiftModifier, name);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::ShiftModifier, name);
  QVERIFY(!edit->isVisible());
  QCOMPARE(QString::fromStdString(valueOf("00.mp3")), QStringLiteral("並べ替え"));
  QCOMPARE(f.table->model()->index(2, 1).data().toString(), QStringLiteral("00.mp3"));
  QVERIFY(valueOf("01.mp3") != valueOf("00.mp3"));
  // Rows removed by other means while an editor is open: it closes storing nothing.
  QTRY_COMPARE(f.w.SyncRequest(), 0);
  f.table->setFocus();
  f.table->selectionModel()->setCurrentIndex(f.table->model()->index(0, 3),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  QTest::keyClick(f.table, Qt::Key_Return);
  QVERIFY(edit->isVisible());
  const std::string before = valueOf("01.mp3");
  TypeText(edit, QStringLiteral("lost"));
  f.w.CatalogueData().Remove(MediaFormat::MP3, {0});
  QVERIFY(!edit->isVisible());
  QCOMPARE(valueOf("01.mp3"), before);
  for (const MediaFileEntry& e : f.w.CatalogueData().Entries(MediaFormat::MP3))
    QVERIFY(!QString::fromStdString(e.tags[1].cells[2].text).endsWith(QStringLiteral("lost")));
}

void InPlaceEditorsTest::ScrollingTheRowAwayStoresAndCloses() {
  Fixture f(config_->path(), 40);
  auto* edit = Child<QLineEdit>(f.w, "EditListView");
  QTest::keyClick(f.table, Qt::Key_Return);
  QVERIFY(edit->isVisible());
  const QPoint before = edit->pos();
  // Following the list: a small scroll moves the editor with its cell.
  f.table->horizontalHeader()->resizeSection(2, f.table->horizontalHeader()->sectionSize(2) + 30);
  QCOMPARE(edit->x(), before.x() + 30);
  edit->setText(QStringLiteral("scrolled"));
  QVERIFY(f.table->verticalScrollBar()->maximum() > 0);
  f.table->verticalScrollBar()->setValue(f.table->verticalScrollBar()->maximum());
  QTRY_VERIFY(!edit->isVisible());
  QCOMPARE(f.table->model()->index(0, 3).data().toString(), QStringLiteral("scrolled"));
}

void InPlaceEditorsTest::HistoryComboKeepsTwentyMostRecentFirst() {
  QComboBox box;
  box.setEditable(true);
  AddToHistory(&box, QString());
  QCOMPARE(box.count(), 0);
  for (int i = 0; i < 25; ++i) AddToHistory(&box, QStringLiteral("text%1").arg(i));
  QCOMPARE(box.count(), kHistoryMaxEntries);
  QCOMPARE(box.itemText(0), QStringLiteral("text24"));
  QCOMPARE(box.itemText(19), QStringLiteral("text5"));
  // Found again (letter case ignored): moves to the top as typed now.
  AddToHistory(&box, QStringLiteral("TEXT10"));
  QCOMPARE(box.count(), kHistoryMaxEntries);
  QCOMPARE(box.itemText(0), QStringLiteral("TEXT10"));
  QCOMPARE(box.itemText(1), QStringLiteral("text24"));
  QCOMPARE(box.findText(QStringLiteral("text10")), -1);
  QCOMPARE(box.currentIndex(), 0);
}

void InPlaceEditorsTest::LineEditorsWidenWithTheirTextInsideTheWindow() {
  QWidget window;
  window.resize(500, 200);
  auto* view = new QTableView(&window);
  view->setGeometry(0, 0, 500, 200);
  QStandardItemModel model(3, 4);
  model.setItem(0, 1, new QStandardItem(QStringLiteral("short")));
  model.setItem(1, 1, new QStandardItem(QStringLiteral("長いタイトルの曲で列の幅には収まらない")));
  view->setModel(&model);
  for (int c = 0; c < 4; ++c) view->horizontalHeader()->resizeSection(c, 80);
  auto* edit = new QLineEdit(&window);
  auto* copy = new QLineEdit(&window);
  InPlaceEditors editors({edit, copy, nullptr, nullptr}, &window, {});
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  const QRect cell = view->visualRect(model.index(0, 1));
  const int cellLeft = view->viewport()->mapTo(&window, cell.topLeft()).x();
  // The text fits inside the editor, with its margins and the cursor's room.
  auto fits = [](QLineEdit* line) {
    const QMargins m = line->textMargins();
    return line->width() >= line->fontMetrics().horizontalAdvance(line->text()) + m.left() + m.right() + 2;
  };
  struct Case {
    EditorKind kind;
    QLineEdit* line;
    int row;
    QString typed;  // replaces the editor's text; empty: as opened
    enum { Column, RightOfCell, WholeWindow } place;
  };
  const Case cases[] = {
      {EditorKind::Edit, edit, 0, {}, Case::Column},
      {EditorKind::Edit, edit, 0, QStringLiteral("a title that is wider than its column"), Case::RightOfCell},
      {EditorKind::Edit, edit, 0, QString(120, QLatin1Char('W')), Case::WholeWindow},
      {EditorKind::Edit, edit, 0, QStringLiteral("x"), Case::Column},  // shrinks back
      {EditorKind::Copy, copy, 1, {}, Case::RightOfCell},
  };
  for (const Case& c : cases) {
    if (!editors.IsOpen() || editors.OpenKind() != c.kind || editors.Session().row != c.row) {
      EditSession session;
      session.view = view;
      session.row = c.row;
      session.column = 1;
      session.store = [](int, const QString&) { return true; };
      editors.Open(c.kind, session);
    }
    if (!c.typed.isEmpty()) {
      c.line->selectAll();
      TypeText(c.line, c.typed);
    }
    const QRect at = c.line->geometry();
    QVERIFY2(at.left() >= 0 && at.right() < window.width(), qPrintable(c.typed));
    switch (c.place) {
      case Case::Column:
        QCOMPARE(at.left(), cellLeft);
        QCOMPARE(at.width(), cell.width() + 1);
        break;
      case Case::RightOfCell:
        QCOMPARE(at.left(), cellLeft);
        QVERIFY(at.width() > cell.width() + 1);
        QVERIFY(fits(c.line));
        break;
      case Case::WholeWindow:
        QCOMPARE(at.left(), 0);
        QCOMPARE(at.width(), window.width());
        break;
    }
  }
  editors.Cancel();
}

QTEST_MAIN(InPlaceEditorsTest)
#include "test_in_place_editors.moc"
