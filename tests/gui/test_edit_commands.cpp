// The editing commands of the main window on temporary copies of the
// fixtures: clipboard copy and paste (partial, whole, foreign text), the
// set-all dialog with its pages and keys, clear, undo, and rename mode's
// name editor, keys, colours and renames on save.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/settings/AppSettings.h"
#include "core/settings/IniFile.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/tagedit/FormSetAll.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/TagTableController.h"

using namespace hozanki;
using namespace testsupport;

namespace {

constexpr TagKind V1 = TagKind::MP3ID3v1;
constexpr TagKind V2 = TagKind::MP3ID3v2;

const std::string& ValueAt(const TFormMain& w, TagKind kind, int row, int subItem) {
  const auto& rows = const_cast<TFormMain&>(w).CatalogueData().Entries(FormatOfTagKind(kind));
  return TagOf(rows.at(static_cast<size_t>(row)), kind).cells.at(static_cast<size_t>(subItem)).text;
}

// A double click as the window system delivers it: press, release, double click, release.
void DoubleClick(QWidget* widget, QPoint at) {
  QTest::mousePress(widget, Qt::LeftButton, {}, at);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
  QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

void ShowActive(QWidget& window) {
  window.resize(900, 600);
  window.show();
  QApplication::setActiveWindow(&window);
  QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Answers the next modal set-all dialog with `fill`, then OK.
void AnswerSetAll(const std::function<void(TFormSetAll&)>& fill) {
  QTimer::singleShot(0, [fill] {
    auto* dialog = qobject_cast<TFormSetAll*>(QApplication::activeModalWidget());
    if (!dialog) return;
    fill(*dialog);
    dialog->ButtonOk->click();
  });
}

}  // namespace

class TestEditCommands : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

 private slots:
  void partialCopyAndPasteThroughTheClipboard() {
    MediaFolder folder;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) folder.Copy("mp3/plain.mp3", name);
    TFormMain w;
    LoadInto(w, folder.Path());
    Catalogue& c = w.CatalogueData();
    const int title = SubItemOf(V2, "INAM");
    const int artist = SubItemOf(V2, "IART");
    const int comment = SubItemOf(V2, "ICMT");
    SetCellValue(c, EditTarget::TagColumn(V2, title), 0, "one");
    SetCellValue(c, EditTarget::TagColumn(V2, title), 1, "two\r\nlines");
    SetCellValue(c, EditTarget::TagColumn(V2, title), 2, "three");
    w.findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(1);
    w.Tables().SetEditColumn(1, title + 1);
    SelectRows(w.TagTable(1), {0, 1, 2});
    Action(w, "MenuEditCopy")->trigger();
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("\r\nHozankiコピーデータ（部分）\r\none\r\ntwo\\nlines\r\nthree\r\n"));

    // Into a single-line column the line break is dropped; into the comment it comes back.
    w.Tables().SetEditColumn(1, artist + 1);
    Action(w, "MenuEditPaste")->trigger();
    QCOMPARE(ValueAt(w, V2, 0, artist), std::string("one"));
    QCOMPARE(ValueAt(w, V2, 1, artist), std::string("twolines"));
    w.Tables().SetEditColumn(1, comment + 1);
    SelectRows(w.TagTable(1), {1});
    Action(w, "MenuEditPaste")->trigger();
    QCOMPARE(ValueAt(w, V2, 1, comment), std::string("one"));  // first line into the one selected row
    QVERIFY(ValueAt(w, V2, 0, comment).empty());

    // Foreign clipboard text changes nothing.
    QApplication::clipboard()->setText(QStringLiteral("just text\r\nmore"));
    SelectRows(w.TagTable(1), {0, 1, 2});
    Action(w, "MenuEditPaste")->trigger();
    QCOMPARE(ValueAt(w, V2, 1, comment), std::string("one"));
    QVERIFY(ValueAt(w, V2, 2, comment).empty());

    // A row with the unavailable state neither gives nor takes a line.
    c.EditRow(MediaFormat::MP3, 1, [](MediaFileEntry& e) { e.tags[1].state = kUnavailable; });
    w.Tables().SetEditColumn(1, title + 1);
    Action(w, "PopupTCopy")->trigger();
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("\r\nHozankiコピーデータ（部分）\r\none\r\nthree\r\n"));
    QApplication::clipboard()->setText(QStringLiteral("\r\nHozankiコピーデータ（部分）\r\nX\r\nY\r\nZ\r\n"));
    w.Tables().SetEditColumn(1, artist + 1);
    Action(w, "PopupTPaste")->trigger();
    QCOMPARE(ValueAt(w, V2, 0, artist), std::string("X"));
    QCOMPARE(ValueAt(w, V2, 1, artist), std::string("twolines"));
    QCOMPARE(ValueAt(w, V2, 2, artist), std::string("Y"));
  }

  void wholeCopyLandsInColumnsOfTheSameCaption() {
    MediaFolder folder;
    folder.Copy("mp3/plain.mp3", "a.mp3");
    folder.Copy("wav/plain.wav", "b.wav");
    TFormMain w;
    LoadInto(w, folder.Path());
    Catalogue& c = w.CatalogueData();
    SetCellValue(c, EditTarget::TagColumn(V1, SubItemOf(V1, "IART")), 0, "Artist");
    SetCellValue(c, EditTarget::TagColumn(V1, SubItemOf(V1, "INAM")), 0, "Title");
    SetCellValue(c, EditTarget::TagColumn(V1, SubItemOf(V1, "TRACK")), 0, "7");
    auto* pages = w.findChild<QTabWidget*>(QStringLiteral("PageControlT"));
    pages->setCurrentIndex(0);
    w.TagTable(0)->clearSelection();
    Action(w, "MenuEditCopy")->trigger();
    QVERIFY(
        QApplication::clipboard()->text().startsWith(QStringLiteral("\r\nHozankiコピーデータ（全体）\r\n")));
    pages->setCurrentIndex(4);
    w.TagTable(4)->clearSelection();
    Action(w, "MenuEditPaste")->trigger();
    QCOMPARE(ValueAt(w, TagKind::WAV, 0, SubItemOf(TagKind::WAV, "IART")), std::string("Artist"));
    QCOMPARE(ValueAt(w, TagKind::WAV, 0, SubItemOf(TagKind::WAV, "INAM")), std::string("Title"));
    // No selection means every row, and the table shows them selected.
    QCOMPARE(w.TagTable(4)->selectionModel()->selectedRows().size(), 1);
  }

  void setAllNumbersPairsAndKeepsItsKeys() {
    MediaFolder folder;
    for (int i = 0; i < 12; ++i) folder.Copy("mp4/tagged.m4a", "t" + std::to_string(10 + i) + ".m4a");
    TFormMain w;
    LoadInto(w, folder.Path());
    const auto mp4 = TagKind::MP4;
    int pair = -1;
    for (int s = 1; s <= static_cast<int>(ValueNamesOf(mp4).size()) && pair < 0; ++s)
      if (EditTarget::TagColumn(mp4, s).ColumnTag() == -3) pair = s;
    QVERIFY(pair > 0);
    w.findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(10);
    w.Tables().SetEditColumn(10, pair + 1);
    SelectRows(w.TagTable(10), {0, 1});
    SetAllPage page = SetAllPage::TS1;
    AnswerSetAll([&](TFormSetAll& d) {
      page = d.Page();
      d.EditSetAllNo2->setValue(1);
      d.EditSetAllNoCount2->setValue(1);
      d.CheckBoxSetAllNo2->setChecked(true);
      d.CheckBoxSetAllTotal->setChecked(true);
      d.CheckBoxAll->setChecked(true);  // "すべて選択": all twelve rows
    });
    Action(w, "PopupTSetAll")->trigger();
    QCOMPARE(page, SetAllPage::TS5);
    for (int r = 0; r < 12; ++r) {
      char expected[8];
      std::snprintf(expected, sizeof expected, "%02d/12", r + 1);
      QCOMPARE(ValueAt(w, mp4, r, pair), std::string(expected));
    }
    QCOMPARE(w.TagTable(10)->selectionModel()->selectedRows().size(), 12);
    // Saved and read back from the files.
    QVERIFY(SaveAndWait(w));
    for (int r = 0; r < 12; ++r) {
      const MediaFileEntry disk = folder.Disk("t" + std::to_string(10 + r) + ".m4a");
      QCOMPARE(TagOf(disk, mp4).cells.at(static_cast<size_t>(pair)).text, std::to_string(r + 1) + "/12");
    }

    // "桁揃え" off is remembered in "SetAll" and read by the next dialog.
    AnswerSetAll([](TFormSetAll& d) {
      d.CheckBoxSetAllNo2->setChecked(false);
      d.CheckBoxSetAllTotal->setChecked(false);
      d.EditSetAllTotal->setText(QStringLiteral("20"));
    });
    SelectRows(w.TagTable(10), {0, 1, 2});
    Action(w, "PopupTSetAll")->trigger();
    QCOMPARE(ValueAt(w, mp4, 2, pair), std::string("3/20"));
    QCOMPARE(ValueAt(w, mp4, 3, pair), std::string("4/12"));  // not selected: as saved
    const IniFile ini = IniFile::Load(std::filesystem::path(config_.path().toStdString()) / "NR284.ini");
    QCOMPARE(ini.ReadBool("SetAll", "AllNo2", true), false);
    QCOMPARE(ini.ReadBool("SetAll", "Total", true), false);
    bool readBack = true;
    AnswerSetAll([&](TFormSetAll& d) {
      readBack = d.CheckBoxSetAllNo2->isChecked() || d.CheckBoxSetAllTotal->isChecked() ||
                 !d.EditSetAllTotal->isEnabled();
    });
    Action(w, "PopupTSetAll")->trigger();
    QVERIFY(!readBack);
  }

  void setAllShowsThePageOfTheColumn() {
    MediaFolder folder;
    folder.Copy("mp3/plain.mp3", "a.mp3");
    TFormMain w;
    LoadInto(w, folder.Path());
    Catalogue& c = w.CatalogueData();
    auto* pages = w.findChild<QTabWidget*>(QStringLiteral("PageControlT"));
    struct Case {
      TagKind kind;
      const char* value;
      SetAllPage page;
    };
    const Case cases[] = {
        {V1, "INAM", SetAllPage::TS1}, {V1, "IGNR", SetAllPage::TS2}, {V2, "ICMT", SetAllPage::TS3}};
    for (const Case& k : cases) {
      const int sub = SubItemOf(k.kind, k.value);
      SetCellValue(c, EditTarget::TagColumn(k.kind, sub), 0, k.page == SetAllPage::TS2 ? "Rock" : "abc");
      pages->setCurrentIndex(static_cast<int>(k.kind));
      w.Tables().SetEditColumn(static_cast<int>(k.kind), sub + 1);
      SelectRows(w.TagTable(static_cast<int>(k.kind)), {0});
      w.TagTable(static_cast<int>(k.kind))
          ->setCurrentIndex(w.TagTable(static_cast<int>(k.kind))->model()->index(0, sub + 1));
      bool checked = false;
      QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TFormSetAll*>(QApplication::activeModalWidget());
        if (!d) return;
        checked = d->Page() == k.page;
        if (k.page == SetAllPage::TS1) {
          // The focused cell's text; the ID3v1 title takes 30 bytes at most.
          checked = checked && d->EditSetAll->text() == QStringLiteral("abc") && d->ButtonOk->isDefault();
          d->EditSetAll->clear();
          QTest::keyClicks(d->EditSetAll, QString(40, QLatin1Char('x')));
          checked = checked && d->EditSetAll->text().size() == 30;
        } else if (k.page == SetAllPage::TS2) {
          checked =
              checked && d->ComboBoxSetAll->count() == 157 && d->ComboBoxSetAll->currentText() == "Rock";
        } else {
          // Enter makes a new line in the memo: OK is not the default button.
          checked =
              checked && d->MemoSetAll->toPlainText() == QStringLiteral("abc") && !d->ButtonOk->isDefault();
        }
        d->ButtonCancel->click();
      });
      Action(w, "PopupTSetAll")->trigger();
      QVERIFY2(checked, k.value);
    }
  }

  void setAllRunningNumberWrapsOnTheLimitedColumn() {
    MediaFolder folder;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) folder.Copy("mp3/plain.mp3", name);
    TFormMain w;
    LoadInto(w, folder.Path());
    const int track = SubItemOf(V1, "TRACK");
    w.findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(0);
    w.Tables().SetEditColumn(0, track + 1);
    w.TagTable(0)->clearSelection();
    bool affixes = true;
    AnswerSetAll([&](TFormSetAll& d) {
      affixes = d.LabeledEditSetAllNo1->isVisibleTo(&d);
      QVERIFY(!d.CheckBoxSetAllNo->isEnabled());
      d.EditSetAllNo->setValue(98);
    });
    Action(w, "PopupTSetAll")->trigger();
    QVERIFY(!affixes);
    QCOMPARE(ValueAt(w, V1, 0, track), std::string("98"));
    QCOMPARE(ValueAt(w, V1, 1, track), std::string("99"));
    QCOMPARE(ValueAt(w, V1, 2, track), std::string("00"));
    // Cancel stores nothing.
    QTimer::singleShot(0, [] {
      if (auto* d = qobject_cast<TFormSetAll*>(QApplication::activeModalWidget())) d->ButtonCancel->click();
    });
    Action(w, "PopupTSetAll")->trigger();
    QCOMPARE(ValueAt(w, V1, 0, track), std::string("98"));
  }

  void clearAndUndoWorkOnTheEditColumn() {
    MediaFolder folder;
    folder.Copy("mp3/utf8_id3v24.mp3", "a.mp3");
    TFormMain w;
    LoadInto(w, folder.Path());
    Catalogue& c = w.CatalogueData();
    const int title = SubItemOf(V2, "INAM");
    const int artist = SubItemOf(V2, "IART");
    const std::string storedTitle = ValueAt(w, V2, 0, title);
    const std::string storedArtist = ValueAt(w, V2, 0, artist);
    QVERIFY(!storedTitle.empty());
    const int state = TagOf(c.Entries(MediaFormat::MP3)[0], V2).state;
    ShowActive(w);
    w.findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(1);
    w.Tables().SetEditColumn(1, title + 1);
    QTableView* table = w.TagTable(1);
    SelectRows(table, {0});
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Delete);
    QVERIFY(ValueAt(w, V2, 0, title).empty());
    QCOMPARE(TagOf(c.Entries(MediaFormat::MP3)[0], V2).image, kChangedMark);
    QCOMPARE(TagOf(c.Entries(MediaFormat::MP3)[0], V2).state, state);
    SetCellValue(c, EditTarget::TagColumn(V2, artist), 0, "other");
    // Undo (Ctrl+Z) with the edit column: only that column; the row stays marked.
    QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(ValueAt(w, V2, 0, title), storedTitle);
    QCOMPARE(ValueAt(w, V2, 0, artist), std::string("other"));
    QCOMPARE(TagOf(c.Entries(MediaFormat::MP3)[0], V2).image, kChangedMark);
    // Without an edit column: the whole row.
    w.Tables().ModeOff(1);
    Action(w, "MenuEditUndo")->trigger();
    QCOMPARE(ValueAt(w, V2, 0, artist), storedArtist);
    QCOMPARE(TagOf(c.Entries(MediaFormat::MP3)[0], V2).image, kNoMark);
  }

  void conversionsChangeOnlySelectedRowsAndKeepExtensions() {
    MediaFolder folder;
    for (const char* name : {"song one.MP3", "song two.mp3"}) folder.Copy("mp3/plain.mp3", name);
    TFormMain w;
    LoadInto(w, folder.Path());
    Catalogue& c = w.CatalogueData();
    const int title = SubItemOf(V2, "INAM");
    SetCellValue(c, EditTarget::TagColumn(V2, title), 0, "hello-WORLD foo_bar");
    SetCellValue(c, EditTarget::TagColumn(V2, title), 1, "untouched");
    w.findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(1);
    w.Tables().SetEditColumn(1, title + 1);
    SelectRows(w.TagTable(1), {0});
    Action(w, "PopupTConvertBU1")->trigger();
    QCOMPARE(ValueAt(w, V2, 0, title), std::string("Hello-World Foo_Bar"));
    QCOMPARE(ValueAt(w, V2, 1, title), std::string("untouched"));
    // Rename mode: the name changes, the extension stays as it is.
    Action(w, "MenuFileModeR")->trigger();
    QVERIFY(w.IsRenameMode());
    QTableView* list = w.FileList(0);
    SelectRows(list, {0, 1});
    Action(w, "PopupRConvertUL2")->trigger();
    QCOMPARE(c.Entries(MediaFormat::MP3)[0].file.cells[0].text, std::string("SONG ONE.MP3"));
    QCOMPARE(c.Entries(MediaFormat::MP3)[1].file.cells[0].text, std::string("SONG TWO.mp3"));
    QCOMPARE(c.Entries(MediaFormat::MP3)[1].file.image, kChangedMark);
    // Nothing selected: nothing converted.
    list->clearSelection();
    Action(w, "PopupRConvertUL1")->trigger();
    QCOMPARE(c.Entries(MediaFormat::MP3)[1].file.cells[0].text, std::string("SONG TWO.mp3"));
  }

  void renameModeEditsNamesInPlaceAndRenamesOnSave() {
    MediaFolder folder;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) folder.Copy("mp3/plain.mp3", name);
    TFormMain w;
    LoadInto(w, folder.Path());
    ShowActive(w);
    AppSettings::Current().extProtect = true;
    Catalogue& c = w.CatalogueData();
    QTableView* list = w.FileList(0);
    const QRect nameCell = list->visualRect(list->model()->index(0, 1));
    // In tag edit mode a double click on a name enters rename mode.
    DoubleClick(list->viewport(), nameCell.center());
    QVERIFY(w.IsRenameMode());
    QCOMPARE(Panel(w, 2), QStringLiteral("リネーム"));
    InPlaceEditors& editors = w.Tables().Editors();
    auto* editor = qobject_cast<QLineEdit*>(editors.Editor(EditorKind::Edit));
    QVERIFY(!editors.IsOpen());
    // Now it opens the editor, without a length limit.
    DoubleClick(list->viewport(), nameCell.center());
    QVERIFY(editors.IsOpen());
    QCOMPARE(editor->text(), QStringLiteral("a.mp3"));
    const QString longName = QString(300, QLatin1Char('x'));
    editor->setText(longName);
    QCOMPARE(editor->text(), longName);
    // Typed names are stored as typed (no extension added); Down walks on.
    editor->setText(QStringLiteral("new"));
    QTest::keyClick(editor, Qt::Key_Down);
    QCOMPARE(c.Entries(MediaFormat::MP3)[0].file.cells[0].text, std::string("new"));
    QCOMPARE(c.Entries(MediaFormat::MP3)[0].file.image, kChangedMark);
    QVERIFY(editors.IsOpen());
    QCOMPARE(editors.Session().row, 1);
    editor->setText(QStringLiteral("discarded.mp3"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!editors.IsOpen());
    QCOMPARE(c.Entries(MediaFormat::MP3)[1].file.cells[0].text, std::string("b.mp3"));
    QCOMPARE(c.Entries(MediaFormat::MP3)[1].file.image, kNoMark);
    // Enter on the list opens the focused row; Up stores and walks back.
    list->setFocus();
    list->selectionModel()->setCurrentIndex(list->model()->index(2, 1), QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(editors.IsOpen());
    QCOMPARE(editors.Session().row, 2);
    editor->setText(QStringLiteral("z.mp3"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(c.Entries(MediaFormat::MP3)[2].file.cells[0].text, std::string("z.mp3"));

    // The name column is drawn in the edit colours (unselected: light yellow).
    list->clearSelection();
    const QImage shot = list->viewport()->grab().toImage();
    const QRect cell = list->visualRect(list->model()->index(1, 1));
    QCOMPARE(shot.pixelColor(cell.left() + 2, cell.center().y()), QColor(255, 255, 192));

    // Copy leaves out the extension with "ExtOmit"; paste keeps the old one with "ExtProtect".
    AppSettings::Current().extOmit = true;
    SelectRows(list, {1});
    list->setFocus();
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("\r\nHozankiコピーデータ（部分）\r\nb\r\n"));
    AppSettings::Current().extOmit = false;
    QApplication::clipboard()->setText(QStringLiteral("\r\nHozankiコピーデータ（部分）\r\npasted\r\n"));
    QTest::keyClick(list, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(c.Entries(MediaFormat::MP3)[1].file.cells[0].text, std::string("pasted.mp3"));
    // Undo in the file list brings back the loaded name.
    list->setFocus();
    Action(w, "MenuEditUndo")->trigger();
    QCOMPARE(c.Entries(MediaFormat::MP3)[1].file.cells[0].text, std::string("b.mp3"));
    QCOMPARE(c.Entries(MediaFormat::MP3)[1].file.image, kNoMark);

    // Escape on the list leaves rename mode.
    QTest::keyClick(list, Qt::Key_Escape);
    QVERIFY(!w.IsRenameMode());
    QCOMPARE(Panel(w, 2), QStringLiteral("タグ編集"));
    AppSettings::Current().extProtect = false;

    QVERIFY(SaveAndWait(w));
    QVERIFY(std::filesystem::exists(folder.Path() / "new"));
    QVERIFY(std::filesystem::exists(folder.Path() / "b.mp3"));
    QVERIFY(std::filesystem::exists(folder.Path() / "z.mp3"));
    QVERIFY(!std::filesystem::exists(folder.Path() / "a.mp3"));
    QCOMPARE(c.Entries(MediaFormat::MP3)[2].file.image, kNoMark);
  }
};

QTEST_MAIN(TestEditCommands)
#include "test_edit_commands.moc"
