// The list window: picking files from the main window (twice, from the
// popup, numbered and totalled), omitting, the selection mirrored between
// the two lists, moving picked files, the row editor's marks, editors and
// keys, the library commands and "NR284Lst.dat", import and export,
// preview and output in each encoding, the base path, the menu per page,
// the Ctrl+C/V/Z hand-over and the window's settings.

#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QtTest>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/listout/TemplateText.h"
#include "core/settings/IniFile.h"
#include "gui/common/DragEdgeScroll.h"
#include "gui/listout/FormListMain.h"
#include "gui/listout/ListWindowCommands.h"
#include "gui/listout/PickedFileModel.h"
#include "gui/listout/PickedFileView.h"
#include "gui/listout/TemplateLibraryTree.h"
#include "gui/listout/TemplateRowEditor.h"

using namespace hozanki;
using namespace testsupport;

namespace {

namespace fs = std::filesystem;

const std::vector<TemplateRow> kM3u = {{"", "テキスト", "#EXTM3U", "↓"},
                                       {" *", "ファイルパス", "", "全体参照"},
                                       {" *", "ファイル名", "", "全体参照"},
                                       {" *", "テキスト", "", "↓"}};

PickedFile File(const std::string& folder, const std::string& name, const std::string& size, int64_t seconds,
                const std::string& artist = {}) {
  PickedFile f;
  f.file[1] = folder;
  f.file[2] = name;
  f.file[3] = size;
  f.file[5] =
      std::to_string(seconds / 60) + ":" + (seconds % 60 < 10 ? "0" : "") + std::to_string(seconds % 60);
  f.seconds = seconds;
  f.tag[0] = artist;
  return f;
}

QString TextAt(QAbstractItemModel* model, int row, int column) {
  return model->index(row, column).data().toString();
}

QStringList Column(QAbstractItemModel* model, int column) {
  QStringList texts;
  for (int r = 0; r < model->rowCount(); ++r) texts << TextAt(model, r, column);
  return texts;
}

std::vector<int> Selected(PickedFileView* view) {
  return view->SelectedRows();
}

void SelectRows(QAbstractItemView* view, std::initializer_list<int> rows) {
  view->clearSelection();
  for (int r : rows)
    view->selectionModel()->select(view->model()->index(r, 1),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QString Marks(TemplateRowEditor* editor) {
  QString out;
  for (const TemplateRow& r : editor->Rows()) out += r.LoopMark.empty() ? QLatin1Char('.') : QLatin1Char('*');
  return out;
}

// The one message box the window shows; its text, closed afterwards.
QString TakeMessage(QWidget& form) {
  auto* box = form.findChild<QMessageBox*>(QStringLiteral("ListMessage"));
  if (!box) return {};
  const QString text = box->text();
  box->setObjectName(QString());
  box->close();
  return text;
}

std::string Bytes(const fs::path& path) {
  std::string bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

}  // namespace

class TestListWindow : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;
  QTemporaryDir out_;
  std::vector<PickedFile> nextPick_;
  int drops_ = 0;
  int restores_ = 0;
  QString savePath_;
  QString saveTitle_;
  QString saveFilter_;

  fs::path ConfigPath() const { return fs::path(config_.path().toStdString()); }
  fs::path OutPath(const std::string& name) const { return fs::path(out_.path().toStdString()) / name; }

  std::unique_ptr<TFormListMain> MakeWindow() {
    ListWindowHost host;
    host.settingsFolder = ConfigPath();
    host.selectedFiles = [this] { return nextPick_; };
    host.currentFolder = [] { return std::string("/music/pop"); };
    host.dropShortcuts = [this] { ++drops_; };
    host.restoreShortcuts = [this] { ++restores_; };
    auto form = std::make_unique<TFormListMain>(std::move(host));
    ListWindowDialogs dialogs;
    dialogs.saveFile = [this](QWidget*, const QString& title, const QString&, const QString& filter,
                              const QString&) {
      saveTitle_ = title;
      saveFilter_ = filter;
      return savePath_;
    };
    dialogs.openFile = [this](QWidget*, const QString&, const QString&, const QString&, const QString&) {
      return savePath_;
    };
    dialogs.folder = [](QWidget*, const QString&, const QString&) { return QStringLiteral("/chosen"); };
    form->SetDialogs(dialogs);
    return form;
  }

  // Picks `files` as "ファイル選択" does.
  void Pick(TFormListMain& form, std::vector<PickedFile> files) {
    nextPick_ = std::move(files);
    form.MenuListSelectClick();
  }

  std::vector<PickedFile> ThreeFiles() const {
    return {File("/music/pop/", "a.mp3", "1,000", 61, "A"),
            File("/music/pop/live/", "b.mp3", "2,000", 62, "B"),
            File("/music/rock/", "c.mp3", "3,000", 3600, "C")};
  }

 private slots:
  void init() {
    fs::remove(ConfigPath() / "NR284.ini");
    // An empty library unless a test says otherwise.
    WriteFileAtomic(ConfigPath() / kTemplateFileName, "[Total]\r\nVersion=101\r\nCount=0\r\n");
    drops_ = restores_ = 0;
    savePath_.clear();
  }

  void pickingTwiceNumbersAndTotalsEveryFile() {
    auto form = MakeWindow();
    Pick(*form, ThreeFiles());
    Pick(*form, ThreeFiles());
    QCOMPARE(Column(form->ListViewF->model(), 1), QStringList({"1", "2", "3", "4", "5", "6"}));
    QCOMPARE(form->ListViewT->model()->rowCount(), 6);
    QCOMPARE(TextAt(form->ListViewT->model(), 4, 1), QStringLiteral("B"));
    QCOMPARE(form->StatusPanelText(2), QStringLiteral("6"));
    QCOMPARE(form->StatusPanelText(4), QStringLiteral("12,000"));
    QCOMPARE(form->StatusPanelText(6), QStringLiteral("2:04:06"));
    QCOMPARE(form->StatusPanelText(7), QStringLiteral("7446"));

    // Omit removes the selected rows of both lists and renumbers.
    SelectRows(form->ListViewF, {0, 2, 3});
    form->MenuListOmitClick();
    QCOMPARE(Column(form->ListViewF->model(), 3), QStringList({"b.mp3", "b.mp3", "c.mp3"}));
    QCOMPARE(Column(form->ListViewT->model(), 1), QStringList({"B", "B", "C"}));
    QCOMPARE(Column(form->ListViewF->model(), 1), QStringList({"1", "2", "3"}));
    QCOMPARE(form->StatusPanelText(2), QStringLiteral("3"));

    // Clear empties both lists; the panels keep their values.
    form->ShowPage(TFormListMain::kListupPage);
    form->MenuListClearClick();
    QCOMPARE(form->ListViewF->model()->rowCount(), 0);
    QCOMPARE(form->ListViewT->model()->rowCount(), 0);
    QCOMPARE(form->StatusPanelText(2), QStringLiteral("3"));
  }

  // "除外" keeps every other file whole, above and below the removed ones.
  void omittingKeepsEveryOtherFile() {
    auto form = MakeWindow();
    const std::vector<std::vector<int>> omits = {{6}, {13}, {0, 13}, {3, 4, 9}};
    for (const std::vector<int>& omit : omits) {
      form->MenuListClearClick();
      std::vector<PickedFile> files;
      for (int i = 0; i < 14; ++i) files.push_back(File("/m/", "f" + std::to_string(i) + ".mp3", "1,000", 1));
      Pick(*form, files);
      form->ListViewF->clearSelection();
      for (int r : omit)
        form->ListViewF->selectionModel()->select(form->ListViewF->model()->index(r, 1),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
      form->MenuListOmitClick();
      QStringList names;
      for (int i = 0; i < 14; ++i)
        if (std::find(omit.begin(), omit.end(), i) == omit.end()) names << QStringLiteral("f%1.mp3").arg(i);
      QCOMPARE(Column(form->ListViewF->model(), 3), names);
      QCOMPARE(Column(form->ListViewF->model(), 2), QStringList(names.size(), QStringLiteral("/m/")));
      QCOMPARE(form->StatusPanelText(4), QString::fromStdString(GroupDigits(1000 * names.size())));
    }
  }

  // While a drag hovers within a row of an edge, the list scrolls one row
  // per 100 ms tick, and Qt's own auto-scroll is off.
  void pickedListsScrollOneRowPerTick() {
    auto form = MakeWindow();
    form->resize(640, 480);
    std::vector<PickedFile> files;
    for (int i = 0; i < 100; ++i) files.push_back(File("/m/", "f.mp3", "1", 1));
    Pick(*form, files);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    PickedFileView* view = form->ListViewF;
    QVERIFY(!view->hasAutoScroll());
    DragEdgeScroll& scroll = view->EdgeScroll();
    QCOMPARE(scroll.Timer().interval(), 100);
    QScrollBar* bar = view->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const int middle = bar->value();
    const int rowHeight = view->rowHeight(0);
    const int oneRow = view->verticalScrollMode() == QAbstractItemView::ScrollPerItem ? 1 : rowHeight;
    struct Case {
      int y, direction;
    };
    const int bottom = view->viewport()->height();
    for (const Case c : {Case{2, -1}, Case{bottom - 2, 1}, Case{bottom / 2, 0}, Case{rowHeight + 1, 0}}) {
      bar->setValue(middle);
      scroll.Track(c.y);
      QCOMPARE(scroll.Direction(), c.direction);
      QCOMPARE(scroll.Timer().isActive(), c.direction != 0);
      for (int tick = 0; tick < 3; ++tick) scroll.Tick();
      QCOMPARE(bar->value(), middle + 3 * c.direction * oneRow);
    }
    scroll.Track(2);
    scroll.Stop();
    QVERIFY(!scroll.Timer().isActive());
  }

  void selectionIsMirroredOnceAtIdle() {
    auto form = MakeWindow();
    Pick(*form, ThreeFiles());
    Pick(*form, ThreeFiles());
    SelectRows(form->ListViewT, {1, 4});
    form->ListViewT->selectionModel()->setCurrentIndex(form->ListViewT->model()->index(4, 1),
                                                       QItemSelectionModel::NoUpdate);
    SelectRows(form->ListViewT, {1, 4, 5});  // a burst: one synchronisation
    QVERIFY(form->SyncPending());
    QTRY_VERIFY(!form->SyncPending());
    QCOMPARE(Selected(form->ListViewF), (std::vector<int>{1, 4, 5}));
    QCOMPARE(form->ListViewF->currentIndex().row(), 4);
    // And back from the file list.
    SelectRows(form->ListViewF, {0});
    QTRY_VERIFY(!form->SyncPending());
    QCOMPARE(Selected(form->ListViewT), (std::vector<int>{0}));
  }

  void draggingMovesBothListsAndRenumbers() {
    auto form = MakeWindow();
    std::vector<PickedFile> files = ThreeFiles();
    files.push_back(File("/x/", "d.mp3", "1", 1, "D"));
    files.push_back(File("/x/", "e.mp3", "1", 1, "E"));
    Pick(*form, files);
    // Upward: c and e go before b, in their order.
    SelectRows(form->ListViewF, {2, 4});
    form->MovePicked(form->ListViewF, 1, 4);
    QCOMPARE(Column(form->ListViewF->model(), 3), QStringList({"a.mp3", "c.mp3", "e.mp3", "b.mp3", "d.mp3"}));
    QCOMPARE(Column(form->ListViewT->model(), 1), QStringList({"A", "C", "E", "B", "D"}));
    QCOMPARE(Column(form->ListViewF->model(), 1), QStringList({"1", "2", "3", "4", "5"}));
    QCOMPARE(Selected(form->ListViewF), (std::vector<int>{1, 2}));
    QCOMPARE(Selected(form->ListViewT), (std::vector<int>{1, 2}));
    // Downward from the tag list: after the drop row.
    SelectRows(form->ListViewT, {0});
    form->MovePicked(form->ListViewT, 3, 0);
    QCOMPARE(Column(form->ListViewT->model(), 1), QStringList({"C", "E", "B", "A", "D"}));
    QCOMPARE(Column(form->ListViewF->model(), 3), QStringList({"c.mp3", "e.mp3", "b.mp3", "a.mp3", "d.mp3"}));
    QCOMPARE(Selected(form->ListViewF), (std::vector<int>{3}));
    // Onto a selected row, or downward past a selected row: nothing.
    SelectRows(form->ListViewF, {1, 4});
    form->MovePicked(form->ListViewF, 1, 4);
    form->MovePicked(form->ListViewF, 3, 1);
    QCOMPARE(Column(form->ListViewF->model(), 3), QStringList({"c.mp3", "e.mp3", "b.mp3", "a.mp3", "d.mp3"}));
  }

  void rowEditorMarksEditorsAndKeys() {
    auto form = MakeWindow();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    form->ShowPage(TFormListMain::kListFormPage);
    TemplateRowEditor* editor = form->ListView;
    editor->SetRows({{" *", "テキスト", "", ""},
                     {" *", "テキスト", "", ""},
                     {" *", "テキスト", "", ""},
                     {"", "ファイル名", "", "全体参照"}});
    auto clickMark = [&](int row) {
      const QRect r = editor->visualItemRect(editor->topLevelItem(row));
      QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, QPoint(10, r.center().y()));
    };
    clickMark(1);  // inside the block: kept
    QCOMPARE(Marks(editor), QStringLiteral("***."));
    clickMark(2);  // its last row: removed
    QCOMPARE(Marks(editor), QStringLiteral("**.."));
    clickMark(3);  // not next to the block: nothing
    QCOMPARE(Marks(editor), QStringLiteral("**.."));

    // A double click on the item cell opens the item box; "-----" makes an
    // empty テキスト row.
    auto cellPoint = [&](int row, int column) {
      return editor->visualRect(editor->model()->index(row, column)).center();
    };
    QTest::mouseDClick(editor->viewport(), Qt::LeftButton, {}, cellPoint(3, 1));
    QCOMPARE(editor->Tag(), 3);
    QVERIFY(editor->ComboBoxItem->isVisible());
    QCOMPARE(editor->ComboBoxItem->count(), 70);
    QCOMPARE(editor->ComboBoxItem->maxVisibleItems(), 24);
    QCOMPARE(editor->ComboBoxItem->currentText(), QStringLiteral("ファイル名"));
    editor->ComboBoxItem->setCurrentIndex(1);
    QTest::keyClick(editor->ComboBoxItem, Qt::Key_Return);
    QVERIFY(!editor->ComboBoxItem->isVisible());
    QCOMPARE(editor->Tag(), -1);
    QCOMPARE(editor->RowAt(3), (TemplateRow{"", "テキスト", "", ""}));

    // Escape leaves the text as it was; Enter stores it.
    editor->Arm(3);
    QVERIFY(editor->OpenCellEditor(3, 2));
    editor->EditPatern->setText(QStringLiteral("typed"));
    QTest::keyClick(editor->EditPatern, Qt::Key_Escape);
    QCOMPARE(editor->RowAt(3).Text, std::string());
    editor->Arm(3);
    QVERIFY(editor->OpenCellEditor(3, 2));
    editor->EditPatern->setText(QStringLiteral("a\\tb"));
    QTest::keyClick(editor->EditPatern, Qt::Key_Return);
    QCOMPARE(editor->RowAt(3).Text, std::string("a\\tb"));
    // A テキスト row's option cell toggles the line break.
    editor->Arm(3);
    QVERIFY(!editor->OpenCellEditor(3, 3));
    QCOMPARE(editor->RowAt(3).Option, std::string("↓"));

    // The option box of a value row sets the option's default pattern; under
    // 全体参照 the text cell has no editor.
    editor->SetRows({{"", "タイトル", "", "全体参照"}});
    editor->Arm(0);
    QVERIFY(!editor->OpenCellEditor(0, 2));  // no text under 全体参照
    editor->Arm(0);
    QVERIFY(editor->OpenCellEditor(0, 3));
    QVERIFY(editor->ComboBoxOption->isVisible());
    editor->ComboBoxOption->setCurrentIndex(2);
    editor->CommitEditor();
    QCOMPARE(editor->RowAt(0), (TemplateRow{"", "タイトル", "s///", "正規表現"}));

    // Insert duplicates above, Delete deletes, a double click on empty space adds.
    editor->setCurrentItem(editor->topLevelItem(0));
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_Insert);
    QCOMPARE(editor->topLevelItemCount(), 2);
    QCOMPARE(editor->RowAt(0), editor->RowAt(1));
    QTest::keyClick(editor, Qt::Key_Delete);
    QCOMPARE(editor->topLevelItemCount(), 1);
    QTest::mouseDClick(editor->viewport(), Qt::LeftButton, {}, QPoint(60, editor->viewport()->height() - 5));
    QCOMPARE(editor->topLevelItemCount(), 2);
    QCOMPARE(editor->RowAt(1), (TemplateRow{"", "テキスト", "", ""}));

    // A menu command commits an open editor first.
    editor->Arm(1);
    QVERIFY(editor->OpenCellEditor(1, 2));
    editor->EditPatern->setText(QStringLiteral("kept"));
    form->MenuListItemAddClick();
    QCOMPARE(editor->RowAt(1).Text, std::string("kept"));
    QCOMPARE(editor->topLevelItemCount(), 3);
  }

  void movingARowAdjustsItsMark() {
    TemplateRowEditor editor;
    editor.SetRows({{" *", "テキスト", "a", ""},
                    {" *", "テキスト", "b", ""},
                    {"", "テキスト", "c", ""},
                    {"", "テキスト", "d", ""}});
    editor.MoveRow(0, 3);  // downward, after d: alone, loses its mark
    QCOMPARE(editor.RowAt(3), (TemplateRow{"", "テキスト", "a", ""}));
    editor.SetRows({{" *", "テキスト", "a", ""},
                    {" *", "テキスト", "b", ""},
                    {"", "テキスト", "c", ""},
                    {" *", "テキスト", "d", ""}});
    editor.MoveRow(2, 1);  // upward, before b: between two marked rows
    QCOMPARE(Marks(&editor), QStringLiteral("****"));
    QCOMPARE(editor.RowAt(1).Text, std::string("c"));
  }

  void libraryCommandsAndTemplateFile() {
    auto form = MakeWindow();
    form->show();
    form->ShowPage(TFormListMain::kListFormPage);
    QVERIFY(!form->MenuListSave->isEnabled());
    form->MenuListRegClick();
    QCOMPARE(TakeMessage(*form), QStringLiteral("登録名が入力されていません"));
    form->LabeledEdit->setText(QStringLiteral("X"));
    form->MenuListRegClick();
    QCOMPARE(TakeMessage(*form), QStringLiteral("リスト情報が未入力です"));
    form->EditExt->setText(QStringLiteral("txt"));
    form->ListView->SetRows(kM3u);
    form->TreeView->clearSelection();
    form->MenuListUpdClick();
    QCOMPARE(TakeMessage(*form), QStringLiteral("更新する登録名を選択してください"));
    QCOMPARE(form->TreeView->topLevelItemCount(), 0);

    form->MenuListRegClick();
    QCOMPARE(form->TreeView->topLevelItem(0)->text(0), QStringLiteral("X(txt)"));
    QVERIFY(form->MenuListSave->isEnabled());
    form->LabeledEdit->setText(QStringLiteral("A(b)c"));
    form->EditExt->clear();
    form->ListView->SetRows({{"", "テキスト", "trailing  ", "↓"}});
    form->MenuListRegClick();
    form->LabeledEdit->setText(QStringLiteral("third"));
    form->MenuListRegClick();
    // Dragging the third onto the first puts it before.
    emit form->TreeView->MoveRequested(2, 0);
    QCOMPARE(form->TreeView->topLevelItem(0)->text(0), QStringLiteral("third"));
    QCOMPARE(form->TreeView->SelectedIndex(), 0);
    form->MenuListDelClick();
    form->MenuListSaveClick();
    QVERIFY(!form->MenuListSave->isEnabled());
    QCOMPARE(IniFile::Load(ConfigPath() / kTemplateFileName).ReadString("Total", "Count"), std::string("2"));

    // A new window reads the file; opening splits the title back.
    form.reset();
    auto again = MakeWindow();
    QCOMPARE(again->TreeView->topLevelItemCount(), 2);
    again->TreeViewDblClick(0);
    QCOMPARE(again->LabeledEdit->text(), QStringLiteral("X"));
    QCOMPARE(again->EditExt->text(), QStringLiteral("txt"));
    QCOMPARE(again->ListView->Rows(), kM3u);
    again->TreeViewDblClick(1);
    QCOMPARE(again->LabeledEdit->text(), QStringLiteral("A(b)c"));
    QCOMPARE(again->EditExt->text(), QString());
    QCOMPARE(again->ListView->RowAt(0).Text, std::string("trailing  "));
    // Update replaces the selected entry in place.
    again->TreeView->SelectIndex(0);
    again->LabeledEdit->setText(QStringLiteral("Y"));
    again->EditExt->setText(QStringLiteral("m3u"));
    again->MenuListUpdClick();
    QCOMPARE(again->TreeView->topLevelItem(0)->text(0), QStringLiteral("Y(m3u)"));
    QCOMPARE(again->Library().Templates()[0].rows.size(), size_t{1});
  }

  void aFirstUseOffersStarterTemplates() {
    fs::remove(ConfigPath() / kTemplateFileName);
    auto form = MakeWindow();
    form->ShowPage(TFormListMain::kListFormPage);
    QCOMPARE(form->TreeView->topLevelItem(0)->text(0), QStringLiteral("M3U(m3u)"));
    // Offered, not changed: nothing to save, and closing writes nothing.
    QVERIFY(!form->MenuListSave->isEnabled());
    form.reset();
    QVERIFY(!fs::exists(ConfigPath() / kTemplateFileName));
    form = MakeWindow();
    form->ShowPage(TFormListMain::kListFormPage);
    QVERIFY(!form->MenuListSave->isEnabled());
    form->TreeViewDblClick(0);
    QCOMPARE(form->ListView->Rows(), kM3u);
    QCOMPARE(form->EditExt->text(), QStringLiteral("m3u"));
    // Once a file exists, even an empty one, it is the library.
    form->TreeView->SelectIndex(0);
    while (form->TreeView->topLevelItemCount() > 0) {
      form->TreeView->SelectIndex(0);
      form->MenuListDelClick();
    }
    form->MenuListSaveClick();
    form.reset();
    QCOMPARE(MakeWindow()->TreeView->topLevelItemCount(), 0);
  }

  void aLibraryThatCouldNotBeReadIsNeverSavedOver() {
    // Unreadable when the window opens (a FIFO in its place: read without
    // blocking), readable by the time of the save: its templates were never
    // shown, so they are not replaced and no starters are offered.
    const fs::path library = ConfigPath() / kTemplateFileName;
    fs::remove(library);
    QVERIFY(::mkfifo(library.c_str(), 0644) == 0);
    auto form = MakeWindow();
    form->ShowPage(TFormListMain::kListFormPage);
    QCOMPARE(form->TreeView->topLevelItemCount(), 0);
    fs::remove(library);
    const std::string before = "[Total]\r\nVersion=101\r\nCount=1\r\n[Lst0]\r\nTitle=kept\r\nCount=0\r\n";
    QVERIFY(WriteFileAtomic(library, before));
    form->LabeledEdit->setText(QStringLiteral("new"));
    form->ListView->SetRows(kM3u);
    form->MenuListRegClick();
    form->MenuListSaveClick();
    const QString shown = TakeMessage(*form);
    QVERIFY2(shown.contains(QStringLiteral("NR284Lst.dat")) && shown.contains(QStringLiteral("読み込めない")),
             qPrintable(shown));
    QCOMPARE(Bytes(library), before);
    QVERIFY(form->MenuListSave->isEnabled());  // the changes are still there to save
  }

  void importAndExportThroughTheTextForm() {
    auto form = MakeWindow();
    form->ListView->SetRows(kM3u);
    savePath_ = QString::fromStdString(OutPath("m3u.txt").string());
    form->MenuListFileExportClick();
    QCOMPARE(saveTitle_, QStringLiteral("定型リストエクスポート"));
    QCOMPARE(Bytes(OutPath("m3u.txt")),
             std::string("#EXTM3U\r\n%LOOP_START%\r\n%F_FULL%%F_FILE%\r\n%LOOP_END%\r\n"));
    form->ListView->SetRows({});
    form->MenuListFileImportClick();
    QCOMPARE(form->ListView->Rows(), kM3u);

    // An unreadable file is reported and the rows stay.
    savePath_ = QString::fromStdString(OutPath("missing.txt").string());
    form->MenuListFileImportClick();
    QVERIFY(TakeMessage(*form).contains(QStringLiteral("読み込めません")));
    QCOMPARE(form->ListView->Rows(), kM3u);
  }

  void previewAndOutputInEachEncoding() {
    auto form = MakeWindow();
    // From リストアップ with no template: the 定型リスト page, nothing made.
    form->ShowPage(TFormListMain::kListupPage);
    form->MenuListPreviewClick();
    QCOMPARE(form->PageControl->currentIndex(), int(TFormListMain::kListFormPage));
    QVERIFY(form->RichEditPreview->toPlainText().isEmpty());

    Pick(*form, ThreeFiles());
    form->ListView->SetRows(kM3u);
    form->EditExt->setText(QStringLiteral("m3u"));
    form->MenuListPreviewClick();
    QCOMPARE(form->PageControl->currentIndex(), int(TFormListMain::kPreviewPage));
    QCOMPARE(form->ComboBoxExt->currentText(), QStringLiteral("m3u"));
    QCOMPARE(form->RichEditPreview->toPlainText(),
             QStringLiteral("#EXTM3U\n/music/pop/a.mp3\n/music/pop/live/b.mp3\n/music/rock/c.mp3"));

    // What the preview holds is written, edits included.
    form->RichEditPreview->setPlainText(QStringLiteral("#EXTM3U\n/music/pop/曲.mp3"));
    savePath_ = QString::fromStdString(OutPath("list.m3u").string());
    form->MenuListOutClick();
    QCOMPARE(saveTitle_, QStringLiteral("リスト出力"));
    QCOMPARE(saveFilter_, QStringLiteral("m3u (*.m3u)"));
    QCOMPARE(form->ComboBoxExt->itemText(0), QStringLiteral("m3u"));
    QCOMPARE(Bytes(OutPath("list.m3u")), std::string("#EXTM3U\r\n/music/pop/\x8b\xc8.mp3\r\n"));

    form->CheckBoxUnicode->setChecked(true);
    form->MenuListOutClick();
    const std::string utf16 = Bytes(OutPath("list.m3u"));
    QCOMPARE(utf16.substr(0, 4), std::string("\xFF\xFE#\0", 4));
    QCOMPARE(utf16.substr(utf16.size() - 4), std::string("\r\0\n\0", 4));
    // .m3u8 is UTF-8 without a byte-order mark, whatever "Unicode" says.
    form->ComboBoxExt->setEditText(QStringLiteral("m3u8"));
    savePath_ = QString::fromStdString(OutPath("list.m3u8").string());
    form->MenuListOutClick();
    QCOMPARE(Bytes(OutPath("list.m3u8")), std::string("#EXTM3U\r\n/music/pop/曲.mp3\r\n"));
    // An empty preview in UTF-16 is the byte-order mark alone.
    form->ComboBoxExt->setEditText(QString());
    form->RichEditPreview->clear();
    savePath_ = QString::fromStdString(OutPath("empty.txt").string());
    form->MenuListOutClick();
    QCOMPARE(saveFilter_, QStringLiteral("*.* (*)"));
    QCOMPARE(Bytes(OutPath("empty.txt")), std::string("\xFF\xFE"));

    // Shift-JIS refuses a character it cannot hold, naming it and its line.
    form->CheckBoxUnicode->setChecked(false);
    form->RichEditPreview->setPlainText(QStringLiteral("ok\nSong 🎵"));
    savePath_ = QString::fromStdString(OutPath("refused.txt").string());
    form->MenuListOutClick();
    const QString message = TakeMessage(*form);
    QVERIFY2(message.contains(QStringLiteral("2 行目")) && message.contains(QStringLiteral("🎵")) &&
                 message.contains(QStringLiteral("U+1F3B5")),
             qPrintable(message));
    QVERIFY(!fs::exists(OutPath("refused.txt")));
    // Cancel writes nothing.
    savePath_.clear();
    form->MenuListOutClick();
    QVERIFY(!fs::exists(OutPath("refused.txt")));
  }

  // Every output may be UTF-8 (or UTF-16), whatever its extension; the
  // Shift-JIS refusal names the choices as they are labelled.
  void unicodeFormsForEveryOutput() {
    auto form = MakeWindow();
    form->ShowPage(TFormListMain::kPreviewPage);
    QCOMPARE(form->ComboBoxUnicode->count(), 2);
    QVERIFY(!form->ComboBoxUnicode->isEnabled());
    form->RichEditPreview->setPlainText(QStringLiteral("名前,曲\n🎵"));
    savePath_ = QString::fromStdString(OutPath("refused.csv").string());
    form->MenuListOutClick();
    const QString message = TakeMessage(*form);
    for (int i = 0; i < form->ComboBoxUnicode->count(); ++i)
      QVERIFY2(message.contains(QStringLiteral("「%1」").arg(form->ComboBoxUnicode->itemText(i))),
               qPrintable(message));
    QVERIFY(message.contains(QStringLiteral("「%1」").arg(form->CheckBoxUnicode->text())));
    QVERIFY(!fs::exists(OutPath("refused.csv")));

    form->CheckBoxUnicode->setChecked(true);
    QVERIFY(form->ComboBoxUnicode->isEnabled());
    form->ComboBoxUnicode->setCurrentText(QStringLiteral("UTF-8"));
    for (const char* name : {"list.csv", "list.html", "list.txt", "list.m3u"}) {
      savePath_ = QString::fromStdString(OutPath(name).string());
      form->MenuListOutClick();
      QCOMPARE(Bytes(OutPath(name)), std::string("名前,曲\r\n🎵\r\n"));
    }
    form->ComboBoxUnicode->setCurrentText(QStringLiteral("UTF-16"));
    savePath_ = QString::fromStdString(OutPath("list16.csv").string());
    form->MenuListOutClick();
    QCOMPARE(Bytes(OutPath("list16.csv")).substr(0, 4), std::string("\xFF\xFE\x0D\x54", 4));
    // The form is kept.
    form->ComboBoxUnicode->setCurrentText(QStringLiteral("UTF-8"));
    form.reset();
    QCOMPARE(IniFile::Load(ConfigPath() / "NR284.ini").ReadString("List", "UnicodeForm"),
             std::string("UTF-8"));
    QCOMPARE(MakeWindow()->ComboBoxUnicode->currentText(), QStringLiteral("UTF-8"));
  }

  // Without a stored position the window opens beside the main window when
  // the screen has room for it, never above it for good.
  void opensBesideTheMainWindow() {
    const QRect room(0, 0, 1920, 1080);
    struct Case {
      QRect main;
      QSize size;
      std::optional<QPoint> at;
    };
    const Case cases[] = {
        {QRect(100, 100, 800, 600), QSize(640, 480), QPoint(900, 100)},   // right
        {QRect(1000, 100, 900, 600), QSize(640, 480), QPoint(360, 100)},  // left
        {QRect(100, 900, 800, 150), QSize(640, 480), QPoint(900, 600)},   // top kept on the screen
        {QRect(0, 0, 1920, 1040), QSize(640, 480), std::nullopt},         // maximised: no room
        {QRect(600, 100, 800, 600), QSize(640, 480), std::nullopt},       // neither side
        {QRect(0, 0, 100, 100), QSize(2000, 480), std::nullopt},          // larger than the screen
    };
    for (const Case& c : cases) QVERIFY(PositionBeside(c.main, c.size, room) == c.at);

    QWidget main;
    main.setGeometry(0, 0, 100, 100);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    ListWindowHost host;
    host.settingsFolder = ConfigPath();
    auto* form = new TFormListMain(std::move(host), &main);
    QVERIFY(!(form->windowFlags() & Qt::WindowStaysOnTopHint));
    const QRect screen = main.screen()->availableGeometry();
    QVERIFY(main.frameGeometry().right() + form->width() <= screen.right());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QVERIFY(!form->frameGeometry().intersects(main.frameGeometry()));
    QCOMPARE(form->frameGeometry().left(), main.frameGeometry().right() + 1);
    // A position of the user's is kept.
    form->move(30, 40);
    delete form;
    host = {};
    host.settingsFolder = ConfigPath();
    form = new TFormListMain(std::move(host), &main);
    form->show();
    QCOMPARE(form->pos(), QPoint(30, 40));
    delete form;
  }

  void basePathAndRelativePaths() {
    auto form = MakeWindow();
    Pick(*form, ThreeFiles());
    form->ListView->SetRows({{" *", "相対パス1", "", "全体参照"}, {" *", "テキスト", "", "↓"}});
    form->MenuListPreviewClick();
    QCOMPARE(form->RichEditPreview->toPlainText(),
             QStringLiteral("/music/pop/\n/music/pop/live/\n/music/rock/"));
    QVERIFY(!form->EditPath->isEnabled());
    form->CheckBoxPath->click();
    QVERIFY(form->EditPath->isEnabled() && form->ButtonPath->isEnabled());
    QCOMPARE(form->EditPath->text(), QStringLiteral("/music/pop"));
    form->MenuListPreviewClick();
    QCOMPARE(form->RichEditPreview->toPlainText(), QStringLiteral("\nlive/\n../rock/"));
    form->ButtonPath->click();
    QCOMPARE(form->EditPath->text(), QStringLiteral("/chosen"));
    form->CheckBoxPath->click();
    QVERIFY(!form->EditPath->isEnabled());
  }

  void menuEntriesFollowThePage() {
    auto form = MakeWindow();
    auto visible = [&] {
      QStringList names;
      for (QAction* a : form->menuBar()->actions())
        if (a->isVisible()) names << a->text();
      return names.join(QLatin1Char(' '));
    };
    form->ShowPage(TFormListMain::kListupPage);
    QCOMPARE(visible(), QStringLiteral("ファイル選択 除外 プレビュー クリア"));
    form->ShowPage(TFormListMain::kListFormPage);
    QCOMPARE(visible(),
             QStringLiteral("ファイル 保存 登録 更新 消去 [追加] [複製] [削除] プレビュー クリア"));
    form->ShowPage(TFormListMain::kPreviewPage);
    QCOMPARE(visible(), QStringLiteral("プレビュー リスト出力 クリア"));
    form->RichEditPreview->setPlainText(QStringLiteral("x"));
    form->MenuListClearClick();
    QVERIFY(form->RichEditPreview->toPlainText().isEmpty());
  }

  void settingsAreWrittenOnDestructionAndRead() {
    {
      auto form = MakeWindow();
      QCOMPARE(form->ComboBoxExt->count(), 8);
      QCOMPARE(form->ComboBoxExt->itemText(2), QStringLiteral("mpcpl"));
      QCOMPARE(form->ListViewF->horizontalHeader()->sectionSize(5), 127);
      QCOMPARE(form->ListViewT->horizontalHeader()->sectionSize(2), 0);
      QCOMPARE(form->ListViewT->horizontalHeader()->sectionSize(36), 90);  // アルバムアーティスト
      QCOMPARE(form->ListViewT->model()->headerData(37, Qt::Horizontal).toString(), QStringLiteral("ﾃﾞｨｽｸ"));
      QCOMPARE(form->pos(), QPoint(100, 50));
      form->resize(700, 500);
      form->move(150, 60);
      form->ListViewF->horizontalHeader()->resizeSection(2, 111);
      form->ListViewT->horizontalHeader()->resizeSection(35, 77);
      form->ListView->header()->resizeSection(2, 222);
      form->CheckBoxUnicode->setChecked(true);
      form->CheckBoxPath->click();
      form->ComboBoxExt->setEditText(QStringLiteral("xspf"));
      form->MenuListOutClick();  // cancelled, but the extension joins the history
    }
    const IniFile ini = IniFile::Load(ConfigPath() / "NR284.ini");
    QCOMPARE(ini.ReadInteger("List", "Width", 0), 700);
    QCOMPARE(ini.ReadInteger("List", "Left", 0), 150);
    QCOMPARE(ini.ReadInteger("List", "Top", 0), 60);
    QCOMPARE(ini.ReadInteger("List", "CF-2", 0), 111);
    QCOMPARE(ini.ReadInteger("List", "CT-35", 0), 77);
    QCOMPARE(ini.ReadInteger("List", "CT-42", 0), 90);
    QCOMPARE(ini.ReadInteger("List", "Clm-2", 0), 222);
    QCOMPARE(ini.ReadInteger("List", "Split1", 0), 200);
    QCOMPARE(ini.ReadString("List", "Ext"),
             std::string("xspf\\nm3u\\npls\\nmpcpl\\nasx\\ncsv\\nhtml\\nhtm\\ntxt"));
    QCOMPARE(ini.ReadString("List", "PathText"), std::string("/music/pop"));
    QVERIFY(ini.ReadBool("List", "Path", false));
    QVERIFY(ini.ReadBool("List", "Unicode", false));
    auto again = MakeWindow();
    QCOMPARE(again->width(), 700);
    QCOMPARE(again->pos(), QPoint(150, 60));
    QCOMPARE(again->ListViewF->horizontalHeader()->sectionSize(2), 111);
    QCOMPARE(again->ComboBoxExt->itemText(0), QStringLiteral("xspf"));
    QCOMPARE(again->ComboBoxExt->currentText(), QStringLiteral("xspf"));
    QVERIFY(again->CheckBoxUnicode->isChecked());
    QVERIFY(again->EditPath->isEnabled());
  }

  void shortcutsAreHandedOverWhileShown() {
    auto form = MakeWindow();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QCOMPARE(drops_, 1);
    form->close();  // only hidden
    QCOMPARE(restores_, 1);
    form->show();
    form->show();
    QCOMPARE(drops_, 2);
  }

  // The main window: both ways in, three MP3 files picked twice, the
  // window kept when closed, the Edit shortcuts off while it is shown.
  void mainWindowPicksItsSelectedFiles() {
    MediaFolder folder;
    folder.Copy("mp3/apev2_id3v1.mp3", "a.mp3");
    folder.Copy("mp3/sjis_id3v2.mp3", "b.mp3");
    folder.Copy("mp3/plain.mp3", "c.mp3");
    TFormMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    LoadInto(w, folder.Path());
    QTableView* list = w.FileList(0);
    QCOMPARE(list->model()->rowCount(), 3);
    QVERIFY(Action(w, "MenuFileListOut")->isEnabled());
    QVERIFY(Action(w, "PopupFListOut")->isEnabled());
    list->selectAll();
    Action(w, "PopupFListOut")->trigger();
    TFormListMain* form = w.ListWindow().FormListMainWindow();
    QVERIFY(form && form->isVisible());
    QCOMPARE(form->PageControl->currentIndex(), int(TFormListMain::kListupPage));
    QVERIFY(Action(w, "MenuEditCopy")->shortcut().isEmpty());
    form->MenuListSelectClick();
    QCOMPARE(Column(form->ListViewF->model(), 1), QStringList({"1", "2", "3", "4", "5", "6"}));
    const QString folderText = QString::fromStdString(folder.Path().string()) + QLatin1Char('/');
    QCOMPARE(TextAt(form->ListViewF->model(), 0, 2), folderText);
    QCOMPARE(TextAt(form->ListViewF->model(), 0, 7), QStringLiteral("MP3"));
    const PickedFile expected =
        MakePickedFile(w.CatalogueData().Entries(MediaFormat::MP3)[0], folder.Path().string());
    QCOMPARE(TextAt(form->ListViewT->model(), 0, 1), QString::fromStdString(expected.tag[0]));
    QVERIFY(!expected.tag[0].empty());

    form->close();
    QCOMPARE(Action(w, "MenuEditCopy")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    Action(w, "MenuFileListOut")->trigger();
    QCOMPARE(w.ListWindow().FormListMainWindow(), form);
    QCOMPARE(form->Picked().Count(), 6);
    QVERIFY(Action(w, "MenuEditPaste")->shortcut().isEmpty());
  }
};

QTEST_MAIN(TestListWindow)
#include "test_list_window.moc"
