// Fixed-form rename in the main window on temporary copies of the fixtures:
// the "定型リネーム(&F)" submenu listing the active format's patterns and
// applying one (selected rows or all, marks, "ExtProtect", refused names),
// and the pattern window: editing, registering, saving to "NR284Ren.dat",
// reopening, the check command, the Edit shortcuts and its settings keys.

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "gui/app/FileListController.h"
#include "core/common/AtomicFile.h"
#include "core/rename/RenamePattern.h"
#include "core/settings/AppSettings.h"
#include "core/settings/IniFile.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/rename/FormRename.h"
#include "gui/rename/PatternItemList.h"
#include "gui/rename/PatternTree.h"
#include "gui/rename/RenamePatternCommands.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/TagTableController.h"

using namespace hozanki;
using namespace testsupport;

namespace {

constexpr TagKind V2 = TagKind::MP3ID3v2;
constexpr int kArtist = 10;  // MP3 kinds
constexpr int kTitle = 11;
constexpr int kExtension = 3;
constexpr int kName = 2;

PatternItem Field(int kind, int option = kPatternWhole, std::string text = {}) {
  return PatternItem::Make(kind, option, std::move(text));
}
PatternItem Text(std::string text) {
  return PatternItem::Make(0, kPatternNoOption, std::move(text));
}

const MediaFileEntry& Row(TFormMain& w, MediaFormat format, int row) {
  return w.CatalogueData().Entries(format).at(static_cast<size_t>(row));
}

// The submenu as it is when the rename popup opens.
QStringList FormItems(TFormMain& w) {
  emit w.findChild<QMenu*>(QStringLiteral("PopupR"))->aboutToShow();
  QStringList captions;
  for (QAction* item : w.findChild<QMenu*>(QStringLiteral("PopupRForm"))->actions()) captions << item->text();
  return captions;
}

QAction* FormItem(TFormMain& w, int index) {
  return w.findChild<QMenu*>(QStringLiteral("PopupRForm"))
      ->findChild<QAction*>(QStringLiteral("PopupRFormItem%1").arg(index));
}

// Sets cell `column` of row `row` of the window's item list through its editor.
void EditCell(PatternItemList* list, int row, int column, const QString& value) {
  list->EditCell(row, column);
  QWidget* editor = list->OpenEditor();
  if (auto* box = qobject_cast<QComboBox*>(editor))
    box->setCurrentIndex(box->findText(value));
  else if (auto* edit = qobject_cast<QLineEdit*>(editor))
    edit->setText(value);
  else
    QFAIL("no editor opened");
  list->CommitEditor();
}

// With $HOZANKI_SCREENSHOT_DIR set, the widget is saved there as a PNG.
void Shot(QWidget* widget, const QString& name) {
  const QString dir = qEnvironmentVariable("HOZANKI_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QApplication::processEvents();
  widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

QStringList RowCells(PatternItemList* list, int row) {
  const QTreeWidgetItem* item = list->topLevelItem(row);
  return item ? QStringList{item->text(0), item->text(1), item->text(2)} : QStringList{};
}

}  // namespace

class TestRenameWindow : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

  std::filesystem::path PatternFile() const {
    return std::filesystem::path(config_.path().toStdString()) / kRenamePatternFileName;
  }
  std::filesystem::path IniPath() const {
    return std::filesystem::path(config_.path().toStdString()) / "NR284.ini";
  }

 private slots:
  void init() {
    std::filesystem::remove(PatternFile());
    std::filesystem::remove(IniPath());
    AppSettings::Current().extProtect = false;
  }

  void submenuAppliesPatternToSelectedRowsOrAll() {
    RenamePatternStore store;
    store[0] = {{"アーティスト - タイトル", {Field(kArtist), Text(" - "), Field(kTitle), Field(kExtension)}},
                {"アーティスト", {Field(kArtist)}},
                {"名前の頭3文字", {Field(kName, kPatternSubstring, "0,3")}},
                {"A&B", {Field(kName)}}};
    store[1] = {{"WAV だけ", {Field(kName)}}};
    QVERIFY(SaveRenamePatterns(PatternFile(), store));

    MediaFolder folder;
    for (const char* name : {"abcdef.mp3", "b.mp3", "c.mp3"}) folder.Copy("mp3/plain.mp3", name);
    folder.Copy("wav/plain.wav", "w.wav");
    TFormMain w;
    LoadInto(w, folder.Path());
    Catalogue& c = w.CatalogueData();
    const int artist = SubItemOf(V2, "IART");
    const int title = SubItemOf(V2, "INAM");
    for (int r = 0; r < 3; ++r) {
      SetCellValue(c, EditTarget::TagColumn(V2, artist), r, "A" + std::to_string(r));
      SetCellValue(c, EditTarget::TagColumn(V2, title), r, "T" + std::to_string(r));
    }
    Action(w, "MenuFileModeR")->trigger();
    QVERIFY(w.IsRenameMode());

    // The submenu: the MP3 patterns in order, then the separator and "設定(&O)".
    QCOMPARE(FormItems(w), (QStringList{QStringLiteral("アーティスト - タイトル"),
                                        QStringLiteral("アーティスト"), QStringLiteral("名前の頭3文字"),
                                        QStringLiteral("A&&B"), QString(), QStringLiteral("設定(&O)")}));

    // One selected row: only it changes and gets the changed mark.
    SelectRows(w.FileList(0), {1});
    FormItem(w, 0)->trigger();
    QCOMPARE(Row(w, MediaFormat::MP3, 1).file.cells[0].text, std::string("A1 - T1.mp3"));
    QCOMPARE(Row(w, MediaFormat::MP3, 1).file.image, kChangedMark);
    QCOMPARE(Row(w, MediaFormat::MP3, 0).file.cells[0].text, std::string("abcdef.mp3"));
    QCOMPARE(Row(w, MediaFormat::MP3, 0).file.image, kNoMark);
    QVERIFY(std::filesystem::exists(folder.Path() / "b.mp3"));  // nothing renamed on disk

    // None selected: every row; with "ExtProtect" the old extension is kept.
    AppSettings::Current().extProtect = true;
    w.FileList(0)->clearSelection();
    FormItem(w, 1)->trigger();
    for (int r = 0; r < 3; ++r) {
      QCOMPARE(Row(w, MediaFormat::MP3, r).file.cells[0].text, "A" + std::to_string(r) + ".mp3");
      QCOMPARE(Row(w, MediaFormat::MP3, r).file.image, kChangedMark);
    }
    QCOMPARE(w.FileList(0)->selectionModel()->selectedRows().size(), 3);

    // Without "ExtProtect" a pattern with no extension item gives none; the
    // file name is the loaded one, not the pending one.
    AppSettings::Current().extProtect = false;
    SelectRows(w.FileList(0), {0});
    FormItem(w, 2)->trigger();
    QCOMPARE(Row(w, MediaFormat::MP3, 0).file.cells[0].text, std::string("abc"));

    // Another page lists its own format's patterns once the selection is mirrored.
    w.findChild<QTabWidget*>(QStringLiteral("PageControlF"))->setCurrentIndex(1);
    QTRY_COMPARE(FormItems(w).value(0), QStringLiteral("WAV だけ"));
    QCOMPARE(FormItems(w).size(), 3);
    // "設定(&O)" opens the pattern window on the active page's format.
    Action(w, "PopupRFormOption")->trigger();
    QPointer<TFormRename> form = w.Renames().FormRenameWindow();
    QVERIFY(form);
    QCOMPARE(form->CurrentTab(), 1);
    QCOMPARE(form->TabAt(1).tree->topLevelItem(0)->text(0), QStringLiteral("WAV だけ"));
    form->close();
    QTRY_VERIFY(!form);
  }

  void refusedNamesAreReportedAndLeftAlone() {
    RenamePatternStore store;
    store[0] = {{"sub/dir", {Text("sub/"), Field(kName)}}, {"empty", {Text("")}}};
    QVERIFY(SaveRenamePatterns(PatternFile(), store));
    MediaFolder folder;
    folder.Copy("mp3/plain.mp3", "a.mp3");
    folder.Copy("mp3/plain.mp3", "b.mp3");
    TFormMain w;
    LoadInto(w, folder.Path());
    Action(w, "MenuFileModeR")->trigger();
    FormItems(w);
    w.FileList(0)->clearSelection();
    FormItem(w, 0)->trigger();
    for (int r = 0; r < 2; ++r) {
      QCOMPARE(Row(w, MediaFormat::MP3, r).file.image, kNoMark);
      QVERIFY(Row(w, MediaFormat::MP3, r).file.cells[0].text.find('/') == std::string::npos);
    }
    auto* box = w.findChild<QMessageBox*>(QStringLiteral("FormRenameRefusals"));
    QVERIFY(box);
    QVERIFY(box->text().contains(QStringLiteral("2 件")));
    Shot(box, QStringLiteral("rename_refusals"));
    QVERIFY(box->text().contains(QStringLiteral("sub/a")));
    QVERIFY(box->text().contains(QStringLiteral("「/」")));
    box->close();
    QTRY_VERIFY(!w.findChild<QMessageBox*>(QStringLiteral("FormRenameRefusals")));
    // An empty result with "ExtProtect" keeps the extension only: allowed.
    AppSettings::Current().extProtect = true;
    SelectRows(w.FileList(0), {1});
    FormItem(w, 1)->trigger();
    QCOMPARE(Row(w, MediaFormat::MP3, 1).file.cells[0].text, std::string(".mp3"));
    QVERIFY(!w.findChild<QMessageBox*>(QStringLiteral("FormRenameRefusals")));
  }

  void windowEditsSavesAndReopensPatterns() {
    MediaFolder folder;
    folder.Copy("mp3/plain.mp3", "song.mp3");
    TFormMain w;
    LoadInto(w, folder.Path());
    SetCellValue(w.CatalogueData(), EditTarget::TagColumn(V2, SubItemOf(V2, "IART")), 0, "Art");
    QAction* copy = Action(w, "MenuEditCopy");
    QCOMPARE(copy->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));

    Action(w, "MenuOptionRename")->trigger();
    QPointer<TFormRename> form = w.Renames().FormRenameWindow();
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QStringLiteral("定型リネーム設定"));
    QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(copy->shortcut().isEmpty());
    QVERIFY(Action(w, "MenuEditPaste")->shortcut().isEmpty());
    QVERIFY(Action(w, "MenuEditUndo")->shortcut().isEmpty());
    QCOMPARE(form->CurrentTab(), 0);
    QVERIFY(!form->MenuSave->isEnabled());
    const TFormRename::Tab& tab = form->TabAt(0);

    // The checks of 登録.
    form->MenuReg->trigger();
    QCOMPARE(form->PanelText(), QStringLiteral("登録名が入力されていません"));
    tab.name->setText(QStringLiteral("art-ext"));
    form->MenuReg->trigger();
    QCOMPARE(form->PanelText(), QStringLiteral("定型リネーム情報が未入力です"));

    // Items: アーティスト (whole), text « - » with its blanks, 拡張子.
    form->MenuItemAdd->trigger();
    form->MenuItemAdd->trigger();
    form->MenuItemAdd->trigger();
    QCOMPARE(RowCells(tab.items, 0), (QStringList{QStringLiteral("テキスト"), QString(), QString()}));
    EditCell(tab.items, 0, 0, QStringLiteral("アーティスト"));
    QCOMPARE(RowCells(tab.items, 0),
             (QStringList{QStringLiteral("アーティスト"), QString(), QStringLiteral("全体参照")}));
    EditCell(tab.items, 1, 1, QStringLiteral(" - "));
    EditCell(tab.items, 2, 0, QStringLiteral("拡張子"));
    // Option choices set the text; a separator becomes テキスト.
    EditCell(tab.items, 2, 2, QStringLiteral("部分参照"));
    QCOMPARE(RowCells(tab.items, 2).value(1), QStringLiteral("0,0"));
    EditCell(tab.items, 2, 2, QStringLiteral("正規表現"));
    QCOMPARE(RowCells(tab.items, 2).value(1), QStringLiteral("s///"));
    EditCell(tab.items, 2, 2, QStringLiteral("全体参照"));
    QCOMPARE(RowCells(tab.items, 2).value(1), QString());
    tab.items->EditCell(2, 1);  // no text editor for a whole value
    QVERIFY(!tab.items->OpenEditor());
    EditCell(tab.items, 1, 0, QStringLiteral("-----"));  // a separator becomes テキスト
    QCOMPARE(RowCells(tab.items, 1), (QStringList{QStringLiteral("テキスト"), QString(), QString()}));
    EditCell(tab.items, 1, 1, QStringLiteral(" - "));

    // [チェック] against the focused row of the MP3 file list; with none it
    // says what is missing.
    w.FileList(0)->selectionModel()->clearCurrentIndex();
    form->MenuChk->trigger();
    QCOMPARE(form->PanelText(),
             QStringLiteral("確かめるファイルがありません。メインウィンドウの MP3 のファイル一覧で行を選んでください"));
    w.FileList(0)->setCurrentIndex(w.FileList(0)->model()->index(0, 1));
    form->MenuChk->trigger();
    QCOMPARE(form->PanelText(), QStringLiteral("Art - .mp3"));
    QCOMPARE(form->PanelCheck->toolTip(), QStringLiteral("Art - .mp3"));

    form->MenuReg->trigger();
    Shot(form, QStringLiteral("rename_window_registered"));
    QVERIFY(form->MenuSave->isEnabled());
    QCOMPARE(tab.tree->topLevelItemCount(), 1);
    QCOMPARE(tab.tree->topLevelItem(0)->childCount(), 3);
    // 更新 with nothing selected, then with the pattern selected.
    tab.tree->setCurrentItem(nullptr);
    form->MenuUpd->trigger();
    QCOMPARE(form->PanelText(), QStringLiteral("更新する登録名を選択してください"));
    form->TabAt(1).name->setText(QStringLiteral("wav"));
    form->PageControl->setCurrentIndex(1);
    form->MenuItemAdd->trigger();
    form->MenuReg->trigger();
    form->PageControl->setCurrentIndex(0);
    tab.tree->setCurrentItem(tab.tree->topLevelItem(0));
    tab.name->setText(QStringLiteral("アーティスト - 拡張子"));
    form->MenuUpd->trigger();
    QCOMPARE(tab.tree->topLevelItem(0)->text(0), QStringLiteral("アーティスト - 拡張子"));

    form->MenuSave->trigger();
    QTRY_VERIFY(!form);
    QCOMPARE(copy->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    QCOMPARE(Action(w, "MenuEditUndo")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));

    // The data file: a section per format, the item lines as stored.
    const IniFile dat = IniFile::Load(PatternFile());
    QCOMPARE(dat.Sections().size(), size_t(11));
    QCOMPARE(dat.ReadString("MP3", "Title0"), std::string("アーティスト - 拡張子"));
    QCOMPARE(dat.ReadString("MP3", "Item0-0"), std::string("110,/"));
    QCOMPARE(dat.ReadString("MP3", "Item0-1"), std::string("900, - /"));
    QCOMPARE(dat.ReadString("MP3", "Item0-2"), std::string("103,/"));
    QCOMPARE(dat.ReadString("WAV", "Count"), std::string("1"));
    QCOMPARE(w.Renames().Patterns()[0].size(), size_t(1));
    QCOMPARE(w.Renames().Patterns()[0][0].items.at(1).text, std::string(" - "));

    // The submenu shows the saved pattern.
    Action(w, "MenuFileModeR")->trigger();
    QCOMPARE(FormItems(w).value(0), QStringLiteral("アーティスト - 拡張子"));

    // Reopened: the tree holds it; a double click loads it for editing.
    Action(w, "MenuOptionRename")->trigger();
    form = w.Renames().FormRenameWindow();
    QVERIFY(form);
    const TFormRename::Tab& again = form->TabAt(0);
    QCOMPARE(again.tree->topLevelItemCount(), 1);
    emit again.tree->itemDoubleClicked(again.tree->topLevelItem(0), 0);
    QCOMPARE(again.name->text(), QStringLiteral("アーティスト - 拡張子"));
    QCOMPARE(again.items->topLevelItemCount(), 3);
    QCOMPARE(RowCells(again.items, 1),
             (QStringList{QStringLiteral("テキスト"), QStringLiteral(" - "), QString()}));

    // Closing without 保存 drops the changes.
    again.tree->setCurrentItem(again.tree->topLevelItem(0));
    form->MenuDel->trigger();
    QCOMPARE(again.tree->topLevelItemCount(), 0);
    form->close();
    QTRY_VERIFY(!form);
    QCOMPARE(w.Renames().Patterns()[0].size(), size_t(1));
    QCOMPARE(IniFile::Load(PatternFile()).ReadString("MP3", "Count"), std::string("1"));

    // A new main window reads the file at start.
    TFormMain second;
    QCOMPARE(second.Renames().Patterns(), w.Renames().Patterns());
  }

  void patternsThatCouldNotBeReadAtStartAreNeverSavedOver() {
    // Unreadable at start (a folder in its place), readable by the time of
    // the save: the patterns in it were never shown, so they are not replaced.
    std::filesystem::create_directory(PatternFile());
    TFormMain w;
    std::filesystem::remove(PatternFile());
    RenamePatternStore store;
    store[0].push_back({"kept", {PatternItem::Make(0, -1, "x")}});
    QVERIFY(SaveRenamePatterns(PatternFile(), store));
    std::string before;
    QVERIFY(ReadWholeFile(PatternFile(), before));
    Action(w, "MenuOptionRename")->trigger();
    QPointer<TFormRename> form = w.Renames().FormRenameWindow();
    QVERIFY(form);
    form->TabAt(0).name->setText(QStringLiteral("new"));
    form->MenuItemAdd->trigger();
    form->MenuReg->trigger();
    QString shown;
    QTimer::singleShot(0, [&shown] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown = box->text();
        box->accept();
      }
    });
    form->MenuSave->trigger();
    QVERIFY2(shown.contains(QStringLiteral("NR284Ren.dat")) && shown.contains(QStringLiteral("読み込めない")),
             qPrintable(shown));
    std::string after;
    QVERIFY(ReadWholeFile(PatternFile(), after));
    QCOMPARE(after, before);
    QVERIFY(form);  // still open with its changes
    form->close();
    QTRY_VERIFY(!form);
  }

  void editShortcutsStayOffWhileTheWindowIsOpen() {
    MediaFolder folder;
    folder.Copy("mp3/plain.mp3", "a.mp3");
    auto w = std::make_unique<TFormMain>();
    w->resize(900, 600);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    LoadInto(*w, folder.Path());
    Action(*w, "MenuFileModeR")->trigger();
    QAction* paste = Action(*w, "MenuEditPaste");
    Action(*w, "MenuOptionRename")->trigger();
    QPointer<TFormRename> form = w->Renames().FormRenameWindow();
    QVERIFY(form && paste->shortcut().isEmpty());
    // An in-place editor opened and closed meanwhile gives back nothing.
    emit w->FileLists().FileNameEditRequested(0, 0);
    QVERIFY(w->Tables().Editors().IsOpen());
    w->Tables().Editors().CloseOpen();
    QVERIFY(paste->shortcut().isEmpty());
    // One still open when the window closes is closed first; then all come back.
    emit w->FileLists().FileNameEditRequested(0, 0);
    form->close();
    QTRY_VERIFY(!form);
    QVERIFY(!w->Tables().Editors().IsOpen());
    QCOMPARE(paste->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
    QCOMPARE(Action(*w, "MenuEditCopy")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));

    // The main window going first takes the open pattern window with it,
    // which still writes its settings.
    Action(*w, "MenuOptionRename")->trigger();
    form = w->Renames().FormRenameWindow();
    form->resize(444, 333);
    w.reset();
    QVERIFY(!form);
    QCOMPARE(IniFile::Load(IniPath()).ReadInteger("Rename", "Width", 0), 444);
  }

  void patternTreeMovesRootsByDrop() {
    TFormMain w;
    PatternTree tree(MediaFormat::MP3);
    tree.SetPatterns({{"a", {}}, {"b", {}}, {"c", {}}, {"d", {}}});
    auto titles = [&] {
      QStringList t;
      for (int i = 0; i < tree.topLevelItemCount(); ++i) t << tree.topLevelItem(i)->text(0);
      return t.join(QString());
    };
    tree.MoveRoot(3, 1);  // from below: before the target
    QCOMPARE(titles(), QStringLiteral("adbc"));
    tree.MoveRoot(0, 2);  // from above: after the target
    QCOMPARE(titles(), QStringLiteral("dbac"));
    tree.MoveRoot(1, 3);  // onto the last
    QCOMPARE(titles(), QStringLiteral("dacb"));
  }

  void windowGeometryIsKeptInRenameSection() {
    MediaFolder folder;
    TFormMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    LoadInto(w, folder.Path());
    Action(w, "MenuOptionRename")->trigger();
    QPointer<TFormRename> form = w.Renames().FormRenameWindow();
    QVERIFY(form);
    QVERIFY(QTest::qWaitForWindowExposed(form));
    // Defaults on first opening.
    QCOMPARE(form->size(), QSize(TFormRename::kDefaultWidth, TFormRename::kDefaultHeight));
    QCOMPARE(form->TabAt(0).items->header()->sectionSize(1), 180);
    QCOMPARE(form->TabAt(0).split->sizes().value(0), 36);

    form->resize(520, 430);
    form->TabAt(0).split->setSizes({90, 300});
    form->TabAt(3).items->header()->resizeSection(1, 222);
    form->close();
    QTRY_VERIFY(!form);
    const IniFile ini = IniFile::Load(IniPath());
    QCOMPARE(ini.ReadInteger("Rename", "Width", 0), 520);
    QCOMPARE(ini.ReadInteger("Rename", "Height", 0), 430);
    QCOMPARE(ini.ReadInteger("Rename", "Split0", 0), 90);
    QCOMPARE(ini.ReadInteger("Rename", "Split5", 0), 36);
    QCOMPARE(ini.ReadInteger("Rename", "Clm3-1", 0), 222);
    QCOMPARE(ini.ReadInteger("Rename", "Clm7-2", 0), 80);

    Action(w, "MenuOptionRename")->trigger();
    form = w.Renames().FormRenameWindow();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QCOMPARE(form->size(), QSize(520, 430));
    QCOMPARE(form->TabAt(0).split->sizes().value(0), 90);
    QCOMPARE(form->TabAt(3).items->header()->sectionSize(1), 222);
    // A second request raises the open window instead of making another.
    Action(w, "MenuOptionRename")->trigger();
    QCOMPARE(w.Renames().FormRenameWindow(), form.data());
    QCOMPARE(w.findChildren<TFormRename*>().size(), 1);
    form->close();
    QTRY_VERIFY(!form);
  }
};

QTEST_MAIN(TestRenameWindow)
#include "test_rename_window.moc"
