// The compound edit window and the "複合編集(&M)" submenus on temporary
// copies of the fixtures: defining a chain with the step editors, saving it
// to "NR284Cnv.dat", running it on the selected cells in both modes,
// reading it back at the next start, the window's settings and its
// width-option and reordering rules.

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSplitter>
#include <QTimer>
#include <QtTest>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/common/AtomicFile.h"
#include "core/settings/IniFile.h"
#include "core/settings/CompoundFile.h"
#include "gui/tagedit/CellCommands.h"
#include "gui/tagedit/TagTableController.h"
#include "gui/text/CompoundStepList.h"
#include "gui/text/CompoundTree.h"
#include "gui/text/FormMulti.h"
#include "gui/text/WidthOptionList.h"

using namespace hozanki;
using namespace testsupport;

namespace {

constexpr TagKind V2 = TagKind::MP3ID3v2;

QMenu* Submenu(TFormMain& w, const char* name) {
  return w.findChild<QMenu*>(QLatin1String(name));
}

QStringList Captions(QMenu* menu) {
  QStringList captions;
  for (QAction* item : menu->actions())
    captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
  return captions;
}

TFormMulti* OpenWindow(TFormMain& w) {
  Action(w, "MenuOptionMulti")->trigger();
  return w.findChild<TFormMulti*>();
}

// Arms `row` and opens the editor of `column` as a click on the armed row does.
QWidget* OpenEditor(TFormMulti& form, int row, int column) {
  form.ListViewMulti->ArmRow(row);
  if (!form.ListViewMulti->OpenCellEditor(row, column)) return nullptr;
  return form.ListViewMulti->Delegate()->OpenEditor();
}

// Picks entry `index` of the combo box editor of a cell, as the user does.
void Choose(TFormMulti& form, int row, int column, int index) {
  auto* combo = qobject_cast<QComboBox*>(OpenEditor(form, row, column));
  QVERIFY(combo);
  combo->setCurrentIndex(index);
  emit combo->activated(index);
  QVERIFY(!form.ListViewMulti->Delegate()->OpenEditor());
}

void Type(TFormMulti& form, int row, int column, const QString& text) {
  auto* edit = qobject_cast<QLineEdit*>(OpenEditor(form, row, column));
  QVERIFY(edit);
  QCOMPARE(edit->objectName(), QStringLiteral("EditPatern"));
  edit->setText(text);
  QTest::keyClick(edit, Qt::Key_Return);
}

QString StepText(TFormMulti& form, int row, int column) {
  return form.ListViewMulti->topLevelItem(row)->text(column);
}

void SetTitle(Catalogue& c, int row, int subItem, const std::string& text) {
  c.EditRow(MediaFormat::MP3, row,
            [&](MediaFileEntry& e) { e.tags[1].cells[static_cast<size_t>(subItem)].text = text; });
}

const hozanki::Cell& TitleCell(TFormMain& w, int row, int subItem) {
  return TagOf(w.CatalogueData().Entries(MediaFormat::MP3).at(static_cast<size_t>(row)), V2)
      .cells.at(static_cast<size_t>(subItem));
}

const FileRow& FileOf(TFormMain& w, int row) {
  return w.CatalogueData().Entries(MediaFormat::MP3).at(static_cast<size_t>(row)).file;
}

}  // namespace

class TestCompoundWindow : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

  std::filesystem::path DataFile() const {
    return std::filesystem::path(config_.path().toStdString()) / kCompoundFileName;
  }
  IniFile Settings() const {
    return IniFile::Load(std::filesystem::path(config_.path().toStdString()) / "NR284.ini");
  }

 private slots:
  void windowSizeAndColumnsComeFromTheMultiSection() {
    TFormMain w;
    // No data file: the submenus hold only the separator and 設定(&O).
    QCOMPARE(Captions(Submenu(w, "PopupTMulti")), QStringList({"-", "設定(&O)"}));
    QCOMPARE(Captions(Submenu(w, "PopupRMulti")), QStringList({"-", "設定(&O)"}));
    TFormMulti* form = OpenWindow(w);
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QStringLiteral("複合編集設定"));
    QCOMPARE(form->size(), QSize(430, 321));
    QCOMPARE(form->SplitterMulti->sizes().front(), 36);
    QCOMPARE(form->ListViewMulti->header()->sectionSize(0), 120);
    QCOMPARE(form->ListViewMulti->header()->sectionSize(2), 148);
    // The main window's Ctrl+C/V/Z are the window's while it is open.
    QVERIFY(Action(w, "MenuEditCopy")->shortcut().isEmpty());
    QVERIFY(Action(w, "PopupTPaste")->shortcut().isEmpty());
    QVERIFY(Action(w, "PopupRUndo")->shortcut().isEmpty());
    QCOMPARE(Action(w, "MenuFileSave")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    // 設定(&O) of a popup raises the open window instead of making a second.
    Action(w, "PopupTMultiOption")->trigger();
    QCOMPARE(w.findChildren<TFormMulti*>().size(), 1);

    form->show();
    form->resize(520, 410);
    form->SplitterMulti->setSizes({90, 280});
    form->ListViewMulti->header()->resizeSection(1, 77);
    QTest::qWait(10);
    const int tree = form->TreeViewMulti->height();
    QVERIFY(form->close());
    QTRY_VERIFY(!w.findChild<TFormMulti*>());
    QCOMPARE(Action(w, "MenuEditCopy")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    QCOMPARE(Action(w, "PopupRUndo")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    const IniFile ini = Settings();
    QCOMPARE(ini.ReadInteger("Multi", "Width", 0), 520);
    QCOMPARE(ini.ReadInteger("Multi", "Height", 0), 410);
    QCOMPARE(ini.ReadInteger("Multi", "Split", 0), tree);
    QCOMPARE(ini.ReadInteger("Multi", "Clm-1", 0), 77);
    QCOMPARE(ini.ReadInteger("Multi", "Clm-0", 0), 120);

    form = OpenWindow(w);
    QCOMPARE(form->size(), QSize(520, 410));
    QCOMPARE(form->ListViewMulti->header()->sectionSize(1), 77);
    form->close();
    QTRY_VERIFY(!w.findChild<TFormMulti*>());
  }

  void registrationChecksAndTheWidthOptionEditor() {
    TFormMain w;
    TFormMulti* form = OpenWindow(w);
    QVERIFY(form);
    form->MenuRegClick();
    QCOMPARE(form->PanelCheck->text(), QStringLiteral("登録名が入力されていません"));
    form->LabeledEditMulti->setText(QStringLiteral("x"));
    form->MenuRegClick();
    QCOMPARE(form->PanelCheck->text(), QStringLiteral("定型リネーム情報が未入力です"));
    form->MenuItemAddClick();
    form->MenuUpdClick();
    QCOMPARE(form->PanelCheck->text(), QStringLiteral("更新する登録名を選択してください"));
    QVERIFY(!form->MenuSave->isEnabled());
    QCOMPARE(form->TreeViewMulti->topLevelItemCount(), 0);

    // 全角/半角 starts with "全角 ⇒ 半角" and "A9Ko"; K checked grays k.
    Choose(*form, 0, 0, 4);
    QCOMPARE(StepText(*form, 0, 1), QStringLiteral("全角 ⇒ 半角"));
    QCOMPARE(StepText(*form, 0, 2), QStringLiteral("A9Ko"));
    auto* options = qobject_cast<WidthOptionList*>(OpenEditor(*form, 0, 2));
    QVERIFY(options);
    QCOMPARE(options->item(2)->checkState(), Qt::PartiallyChecked);
    QCOMPARE(options->item(3)->checkState(), Qt::Checked);
    options->ClickItem(2);  // grayed: nothing changes
    QCOMPARE(options->Options(), std::string("A9Ko"));
    options->ClickItem(3);  // K off leaves k checked
    options->ClickItem(0);
    options->ClickItem(4);  // o was plainly on
    QCOMPARE(options->item(2)->checkState(), Qt::Checked);
    QCOMPARE(options->item(4)->checkState(), Qt::Unchecked);
    QTest::keyClick(options, Qt::Key_Escape);  // Escape keeps the options too
    QCOMPARE(StepText(*form, 0, 2), QStringLiteral("-9k-"));
    WidthOptionState state("A9k-");
    state.Click(WidthOptionState::kOtherSpace);
    QCOMPARE(state.Options(), std::string("A9kO"));
    QVERIFY(state.State(WidthOptionState::kOther) == WidthOptionState::Check::Grayed);
    state.Click(WidthOptionState::kKana);
    state.Click(WidthOptionState::kOtherSpace);
    QCOMPARE(state.Options(), std::string("A9-o"));
    QCOMPARE(WidthOptionState("").Options(), std::string("----"));

    // Choosing 語頭大文字 sets its texts; the conversion is a two-choice box.
    Choose(*form, 0, 0, 3);
    QCOMPARE(StepText(*form, 0, 1), QStringLiteral("語頭以外は小文字"));
    QCOMPARE(StepText(*form, 0, 2), QStringLiteral("!\"#$%&()=-~^@{}[]+;,･_/\\"));
    auto* conv = qobject_cast<QComboBox*>(OpenEditor(*form, 0, 1));
    QVERIFY(conv);
    QCOMPARE(conv->count(), 2);
    form->ListViewMulti->CommitEditor();
    // A kind without a second text has no editor there.
    Choose(*form, 0, 0, 5);
    QVERIFY(!OpenEditor(*form, 0, 2));
    // An unarmed row opens nothing.
    form->ListViewMulti->AddStep();
    QVERIFY(!form->ListViewMulti->OpenCellEditor(1, 0));

    // Insert copies the selected step above it, Delete deletes it.
    form->ListViewMulti->setCurrentItem(form->ListViewMulti->topLevelItem(0));
    QTest::keyClick(form->ListViewMulti, Qt::Key_Insert);
    QCOMPARE(form->ListViewMulti->topLevelItemCount(), 3);
    QCOMPARE(StepText(*form, 1, 0), QStringLiteral("ひらがな/カタカナ"));
    form->ListViewMulti->setCurrentItem(form->ListViewMulti->topLevelItem(2));
    QTest::keyClick(form->ListViewMulti, Qt::Key_Delete);
    QCOMPARE(form->ListViewMulti->topLevelItemCount(), 2);

    // Dragged steps land at the drop row in their order.
    form->ListViewMulti->SetSteps({{0, "a", ""}, {0, "b", ""}, {0, "c", ""}, {0, "d", ""}});
    auto firsts = [form] {
      QString texts;
      for (const CompoundStep& step : form->ListViewMulti->Steps())
        texts += QString::fromStdString(step.first);
      return texts;
    };
    form->ListViewMulti->topLevelItem(0)->setSelected(true);
    form->ListViewMulti->topLevelItem(1)->setSelected(true);
    form->ListViewMulti->MoveSelectedTo(2);
    QCOMPARE(firsts(), QStringLiteral("cdab"));
    form->ListViewMulti->MoveSelectedTo(0);
    QCOMPARE(firsts(), QStringLiteral("abcd"));
    form->ListViewMulti->clearSelection();
    form->ListViewMulti->topLevelItem(1)->setSelected(true);
    form->ListViewMulti->MoveSelectedTo(-1);
    QCOMPARE(firsts(), QStringLiteral("acdb"));

    // Dragging a compound edit: before the target from below, after it from above.
    for (const char* name : {"A", "B", "C"}) form->TreeViewMulti->Append({name, {}});
    form->TreeViewMulti->MoveRoot(2, 0);
    form->TreeViewMulti->MoveRoot(1, 2);
    QStringList order;
    for (const CompoundEdit& edit : form->TreeViewMulti->Edits()) order << QString::fromStdString(edit.title);
    QCOMPARE(order, QStringList({"C", "B", "A"}));
    QVERIFY(form->MenuSave->isEnabled());
    form->close();
    // Closed without saving: nothing stored.
    QVERIFY(w.Cells().CompoundStore().empty());
    QVERIFY(!std::filesystem::exists(DataFile()));
  }

  void aFailedSaveKeepsTheWindowAndTheStore() {
    // A folder in the data file's place: the file cannot be written.
    std::filesystem::create_directory(DataFile());
    TFormMain w;
    TFormMulti* form = OpenWindow(w);
    form->LabeledEditMulti->setText(QStringLiteral("kept"));
    form->MenuItemAddClick();
    form->MenuRegClick();
    QString shown;
    QTimer::singleShot(0, [&shown] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown = box->text();
        box->accept();
      }
    });
    form->MenuSaveClick();
    QVERIFY(shown.contains(QStringLiteral("NR284Cnv.dat")));
    QCOMPARE(w.findChild<TFormMulti*>(), form);
    QCOMPARE(form->TreeViewMulti->topLevelItemCount(), 1);
    QVERIFY(w.Cells().CompoundStore().empty());
    QCOMPARE(Captions(Submenu(w, "PopupTMulti")), QStringList({"-", "設定(&O)"}));
    form->close();
    std::filesystem::remove_all(DataFile());
  }

  void aStoreThatCouldNotBeReadAtStartIsNeverSavedOver() {
    // Unreadable at start (a folder in its place), readable by the time of
    // the save: the edits in it were never shown, so they are not replaced.
    std::filesystem::create_directory(DataFile());
    TFormMain w;
    std::filesystem::remove(DataFile());
    QVERIFY(WriteCompoundFile(DataFile(), {{"kept", {{1, "a", "b"}}}}, 0));
    std::string before;
    QVERIFY(ReadWholeFile(DataFile(), before));
    TFormMulti* form = OpenWindow(w);
    form->LabeledEditMulti->setText(QStringLiteral("new"));
    form->MenuItemAddClick();
    form->MenuRegClick();
    QString shown;
    QTimer::singleShot(0, [&shown] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown = box->text();
        box->accept();
      }
    });
    form->MenuSaveClick();
    QVERIFY2(shown.contains(QStringLiteral("NR284Cnv.dat")) && shown.contains(QStringLiteral("読み込めない")),
             qPrintable(shown));
    std::string after;
    QVERIFY(ReadWholeFile(DataFile(), after));
    QCOMPARE(after, before);
    QCOMPARE(w.findChild<TFormMulti*>(), form);
    form->close();
    std::filesystem::remove(DataFile());
  }

  void aStepPcre2GivesUpOnLeavesTheCellAndIsReported() {
    // Upper case, then a search that backtracks past PCRE2's match limit on
    // forty letters without a digit: the first step's change is dropped too.
    const std::string tooHard(40, 'a');
    QVERIFY(WriteCompoundFile(
        DataFile(), {{"hard", {{2, "小文字 ⇒ 大文字", ""}, {1, std::string(30, '?') + "\\d", "x"}}}}, 0));
    MediaFolder folder;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) folder.Copy("mp3/plain.mp3", name);
    TFormMain w;
    std::filesystem::remove(DataFile());  // read at the start; the next test begins without it
    LoadInto(w, folder.Path());
    QCOMPARE(w.Cells().CompoundStore().size(), size_t{1});
    const int title = SubItemOf(V2, "INAM");
    Catalogue& c = w.CatalogueData();
    SetTitle(c, 0, title, tooHard);
    SetTitle(c, 1, title, "b1");
    SetTitle(c, 2, title, tooHard);
    w.findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(1);
    w.Tables().SetEditColumn(1, title + 1);
    SelectRows(w.TagTable(1), {0, 1});
    Submenu(w, "PopupTMulti")->actions().front()->trigger();
    QCOMPARE(TitleCell(w, 0, title).text, tooHard);
    QCOMPARE(TitleCell(w, 0, title).value, 0);
    QCOMPARE(TagOf(w.CatalogueData().Entries(MediaFormat::MP3)[0], V2).image, kNoMark);
    QCOMPARE(TitleCell(w, 1, title).text, std::string("x"));
    QCOMPARE(TitleCell(w, 2, title).text, tooHard);  // not selected
    auto* box = w.findChild<QMessageBox*>(QStringLiteral("TextCommandFailures"));
    QVERIFY(box);
    QVERIFY2(box->text().contains(QStringLiteral("1 行目 a.mp3")), qPrintable(box->text()));
    QVERIFY(!box->text().contains(QStringLiteral("2 行目")));
    QVERIFY2(box->text().contains(QStringLiteral("手間がかかりすぎる")), qPrintable(box->text()));
    box->close();

    // The window's check shows the reason, not the cell unchanged.
    TFormMulti* form = OpenWindow(w);
    QVERIFY(form);
    emit form->TreeViewMulti->itemDoubleClicked(form->TreeViewMulti->topLevelItem(0)->child(1), 0);
    QCOMPARE(form->ListViewMulti->Steps().size(), size_t{2});
    w.TagTable(1)->setCurrentIndex(w.TagTable(1)->model()->index(2, 0));
    form->MenuChkClick();
    QVERIFY2(form->PanelCheck->text().contains(QStringLiteral("手間がかかりすぎる")),
             qPrintable(form->PanelCheck->text()));
    SetTitle(c, 1, title, "b1");
    w.TagTable(1)->setCurrentIndex(w.TagTable(1)->model()->index(1, 0));
    form->MenuChkClick();
    QCOMPARE(form->PanelCheck->text(), QStringLiteral("x"));
    form->close();
  }

  void definedChainIsSavedOfferedAndRunOnSelectedCells() {
    MediaFolder folder;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) folder.Copy("mp3/plain.mp3", name);
    std::vector<CompoundEdit> saved;
    {
      TFormMain w;
      LoadInto(w, folder.Path());
      TFormMulti* form = OpenWindow(w);
      QVERIFY(form);
      form->LabeledEditMulti->setText(QStringLiteral("Squeeze & Upper"));
      // トリミング 連続空白圧縮, then 大文字/小文字 小文字 ⇒ 大文字, then a
      // replacement that does not match and whose text ends in spaces.
      form->MenuItemAddClick();
      Choose(*form, 0, 0, 6);
      QCOMPARE(StepText(*form, 0, 1), QStringLiteral("左空白除去"));
      Choose(*form, 0, 1, 2);
      form->MenuItemAddClick();
      Choose(*form, 1, 0, 2);
      Choose(*form, 1, 1, 1);
      QTest::mouseDClick(form->ListViewMulti->viewport(), Qt::LeftButton, {},
                         QPoint(5, form->ListViewMulti->viewport()->height() - 3));
      QCOMPARE(form->ListViewMulti->topLevelItemCount(), 3);
      Type(*form, 2, 1, QStringLiteral("zzz"));
      Type(*form, 2, 2, QStringLiteral("q  "));
      QCOMPARE(StepText(*form, 2, 2), QStringLiteral("q  "));
      form->MenuRegClick();
      QCOMPARE(form->TreeViewMulti->topLevelItemCount(), 1);
      QVERIFY(form->MenuSave->isEnabled());
      // [チェック] runs the list on the focused cell of the edit column.
      const int title = SubItemOf(V2, "INAM");
      Catalogue& c = w.CatalogueData();
      SetTitle(c, 0, title, "a  b");
      SetTitle(c, 1, title, "c  d");
      SetTitle(c, 2, title, "e  f");
      w.findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(1);
      w.Tables().SetEditColumn(1, title + 1);
      w.TagTable(1)->setCurrentIndex(w.TagTable(1)->model()->index(1, 0));
      form->MenuChkClick();
      QCOMPARE(form->PanelCheck->text(), QStringLiteral("C D"));
      form->MenuSaveClick();
      QTRY_VERIFY(!w.findChild<TFormMulti*>());

      saved = w.Cells().CompoundStore();
      QCOMPARE(saved.size(), size_t{1});
      QCOMPARE(saved[0].steps.size(), size_t{3});
      QCOMPARE(saved[0].steps[2].second, std::string("q  "));
      QVERIFY(std::filesystem::exists(DataFile()));
      QCOMPARE(ReadCompoundFile(DataFile()), saved);
      const QStringList menu({"Squeeze && Upper", "-", "設定(&O)"});
      QCOMPARE(Captions(Submenu(w, "PopupTMulti")), menu);
      QCOMPARE(Captions(Submenu(w, "PopupRMulti")), menu);

      // Tag edit mode: exactly the selected cells change and get marked.
      SelectRows(w.TagTable(1), {0, 2});
      Submenu(w, "PopupTMulti")->actions().front()->trigger();
      QCOMPARE(TitleCell(w, 0, title).text, std::string("A B"));
      QCOMPARE(TitleCell(w, 2, title).text, std::string("E F"));
      QCOMPARE(TitleCell(w, 1, title).text, std::string("c  d"));
      QCOMPARE(TitleCell(w, 0, title).value, 1);
      QCOMPARE(TitleCell(w, 1, title).value, 0);
      const auto& entries = w.CatalogueData().Entries(MediaFormat::MP3);
      QCOMPARE(TagOf(entries[0], V2).image, kChangedMark);
      QCOMPARE(TagOf(entries[1], V2).image, kNoMark);
      // No selection: nothing happens, nothing gets selected.
      w.TagTable(1)->clearSelection();
      SetTitle(c, 1, title, "c  d");
      Submenu(w, "PopupTMulti")->actions().front()->trigger();
      QCOMPARE(TitleCell(w, 1, title).text, std::string("c  d"));
      QVERIFY(w.TagTable(1)->selectionModel()->selectedRows().isEmpty());

      // Rename mode: the whole name, extension included, of the selected rows.
      Action(w, "MenuFileModeR")->trigger();
      QVERIFY(w.IsRenameMode());
      SelectRows(w.FileList(0), {0, 1});
      Submenu(w, "PopupRMulti")->actions().front()->trigger();
      QCOMPARE(FileOf(w, 0).cells[0].text, std::string("A.MP3"));
      QCOMPARE(FileOf(w, 1).cells[0].text, std::string("B.MP3"));
      QCOMPARE(FileOf(w, 2).cells[0].text, std::string("c.mp3"));
      QCOMPARE(FileOf(w, 0).image, kChangedMark);
      QCOMPARE(FileOf(w, 2).image, kNoMark);
    }

    // The next start reads the file back into the store and both submenus.
    TFormMain again;
    QCOMPARE(again.Cells().CompoundStore(), saved);
    QCOMPARE(Submenu(again, "PopupRMulti")->actions().front()->text(), QStringLiteral("Squeeze && Upper"));
    TFormMulti* form = OpenWindow(again);
    QCOMPARE(form->TreeViewMulti->Edits(), saved);
    // A double click on a compound edit loads it; 更新 renames it and replaces its steps.
    QTreeWidgetItem* root = form->TreeViewMulti->topLevelItem(0);
    emit form->TreeViewMulti->itemDoubleClicked(root->child(1), 0);
    QCOMPARE(form->LabeledEditMulti->text(), QStringLiteral("Squeeze & Upper"));
    QCOMPARE(form->ListViewMulti->Steps(), saved[0].steps);
    form->LabeledEditMulti->setText(QStringLiteral("Renamed"));
    form->ListViewMulti->setCurrentItem(form->ListViewMulti->topLevelItem(2));
    form->MenuItemDelClick();
    form->TreeViewMulti->setCurrentItem(root);
    form->MenuUpdClick();
    QCOMPARE(CompoundTree::EditOf(root).title, std::string("Renamed"));
    QCOMPARE(CompoundTree::EditOf(root).steps.size(), size_t{2});
    QVERIFY(form->MenuSave->isEnabled());
    // Saving fewer compound edits leaves no stale section.
    form->TreeViewMulti->setCurrentItem(form->TreeViewMulti->topLevelItem(0));
    form->MenuDelClick();
    form->MenuSaveClick();
    QTRY_VERIFY(!again.findChild<TFormMulti*>());
    QVERIFY(again.Cells().CompoundStore().empty());
    QCOMPARE(Captions(Submenu(again, "PopupTMulti")), QStringList({"-", "設定(&O)"}));
    QVERIFY(!IniFile::Load(DataFile()).HasSection("Cnv0"));
  }
};

QTEST_MAIN(TestCompoundWindow)
#include "test_compound_window.moc"
