// TagTableController through its host, without the window: what a click on a
// tag table's header does in each mode (edit column chosen, dropped, the mode
// left, sorting with the shared mark), and Ctrl+Left/Right walking the edit
// column.

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QtTest>
#include <memory>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/catalogue/ColumnTables.h"
#include "core/tagedit/TagSort.h"
#include "gui/tagedit/TagTableController.h"
#include "gui/tagedit/TagTableModel.h"

using namespace hozanki;
using namespace testsupport;

namespace {

constexpr int kPage = 1;  // MP3 ID3v2

struct Tables {
  Tables() {
    folder.Copy("mp3/id3v22.mp3", "b.mp3");
    folder.Copy("mp3/plain.mp3", "a.mp3");
    std::vector<MediaFileEntry> rows;
    for (const char* name : {"b.mp3", "a.mp3"}) rows.push_back(*ReadMediaFile(folder.Path(), name));
    catalogue.Append(MediaFormat::MP3, std::move(rows));
    editColumns.fill(-1);
    TagTableHost host;
    host.catalogue = &catalogue;
    for (int k = 0; k < kTagKindCount; ++k) {
      const auto kind = static_cast<TagKind>(k);
      models[static_cast<size_t>(k)] = std::make_unique<TagTableModel>(&catalogue, kind);
      views[static_cast<size_t>(k)] = std::make_unique<QTableView>(&window);
      views[static_cast<size_t>(k)]->setModel(models[static_cast<size_t>(k)].get());
      host.views[static_cast<size_t>(k)] = views[static_cast<size_t>(k)].get();
      host.models[static_cast<size_t>(k)] = models[static_cast<size_t>(k)].get();
    }
    host.window = &window;
    host.editorWidgets = {new QLineEdit(&window), new QLineEdit(&window), new QComboBox(&window),
                          new QPlainTextEdit(&window)};
    host.mode = [this] { return mode; };
    host.switchMode = [this](EditMode wanted) {
      switched.push_back(wanted);
      mode = wanted;
    };
    host.editColumn = [this](int page) { return editColumns[static_cast<size_t>(page)]; };
    host.setEditColumn = [this](int page, int column) { editColumns[static_cast<size_t>(page)] = column; };
    host.moveSortMark = [this](CatalogueTableModel* model, int column, bool descending, int key) {
      model->SetSortMark(column, QLatin1Char(descending ? '-' : '+'));
      sortKeys.push_back(key);
    };
    host.tagPage = [] { return kPage; };
    host.activeFileList = [this] { return views[0].get(); };
    host.activeTagTable = [this] { return views[kPage].get(); };
    controller = std::make_unique<TagTableController>(std::move(host));
  }
  QTableView& View() { return *views[kPage]; }
  int EditColumn() const { return editColumns[kPage]; }

  MediaFolder folder;
  QWidget window;
  Catalogue catalogue;
  // Declared after the catalogue: the views and models go first.
  std::array<std::unique_ptr<TagTableModel>, kTagKindCount> models;
  std::array<std::unique_ptr<QTableView>, kTagKindCount> views;
  std::array<int, kTagKindCount> editColumns{};
  EditMode mode = EditMode::Tag;
  std::vector<EditMode> switched;
  std::vector<int> sortKeys;
  std::unique_ptr<TagTableController> controller;
};

}  // namespace

class TestTagTableController : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

 private slots:
  void HeaderClicks_data();
  void HeaderClicks();
  void ShiftClickSortsThroughTheSharedMark();
  void CtrlArrowsWalkTheEditColumn();
};

void TestTagTableController::HeaderClicks_data() {
  QTest::addColumn<bool>("rename");
  QTest::addColumn<int>("editColumn");  // before
  QTest::addColumn<int>("column");
  QTest::addColumn<int>("expected");  // after
  QTest::addColumn<bool>("leftRename");
  QTest::newRow("another column becomes the edit column") << false << -1 << 3 << 3 << false;
  QTest::newRow("the edit column moves") << false << 3 << 2 << 2 << false;
  QTest::newRow("the edit column again drops it") << false << 3 << 3 << -1 << false;
  QTest::newRow("rename mode: edit column and tag mode") << true << -1 << 2 << 2 << true;
  QTest::newRow("check column keeps it") << false << 2 << 0 << 2 << false;
  QTest::newRow("outside the columns") << false << 2 << 999 << 2 << false;
}

void TestTagTableController::HeaderClicks() {
  QFETCH(bool, rename);
  QFETCH(int, editColumn);
  QFETCH(int, column);
  QFETCH(int, expected);
  QFETCH(bool, leftRename);
  Tables t;
  t.mode = rename ? EditMode::Rename : EditMode::Tag;
  t.editColumns[kPage] = editColumn;
  t.controller->ColumnClick(kPage, column, false);
  QCOMPARE(t.EditColumn(), expected);
  QCOMPARE(t.switched, leftRename ? std::vector<EditMode>{EditMode::Tag} : std::vector<EditMode>{});
  QVERIFY(t.sortKeys.empty());
  // The other pages keep theirs.
  QCOMPARE(t.editColumns[0], -1);
}

void TestTagTableController::ShiftClickSortsThroughTheSharedMark() {
  Tables t;
  // The first sortable value column of the page.
  int column = -1;
  for (int c = 2; c < t.models[kPage]->columnCount() && column < 0; ++c)
    if (SortMarkPosition(TagTableColumns(TagKind::MP3ID3v2)[static_cast<size_t>(c)]) >= 0) column = c;
  QVERIFY(column > 0);
  t.controller->ColumnClick(kPage, column, true);
  t.controller->ColumnClick(kPage, column, true);
  // Ascending, then descending once the column carries "+"; no edit column.
  QCOMPARE(t.sortKeys, (std::vector<int>{TagSortCode(column, false), TagSortCode(column, true)}));
  QCOMPARE(t.EditColumn(), -1);
  // Sorting an empty table does nothing.
  t.controller->ColumnClick(4, column, true);
  QCOMPARE(t.sortKeys.size(), size_t(2));
}

void TestTagTableController::CtrlArrowsWalkTheEditColumn() {
  Tables t;
  const int last = t.models[kPage]->columnCount() - 1;
  QTest::keyClick(&t.View(), Qt::Key_Right, Qt::ControlModifier);
  QCOMPARE(t.EditColumn(), 1);
  QTest::keyClick(&t.View(), Qt::Key_Right, Qt::ControlModifier);
  QCOMPARE(t.EditColumn(), 2);
  QTest::keyClick(&t.View(), Qt::Key_Left, Qt::ControlModifier);
  QTest::keyClick(&t.View(), Qt::Key_Left, Qt::ControlModifier);
  QCOMPARE(t.EditColumn(), 1);  // not below the first value column
  t.editColumns[kPage] = -1;
  QTest::keyClick(&t.View(), Qt::Key_Left, Qt::ControlModifier);
  QCOMPARE(t.EditColumn(), last);
  // In rename mode the tables are read-only: the keys change nothing.
  t.mode = EditMode::Rename;
  QTest::keyClick(&t.View(), Qt::Key_Left, Qt::ControlModifier);
  QCOMPARE(t.EditColumn(), last);
  QVERIFY(t.switched.empty());
}

QTEST_MAIN(TestTagTableController)
#include "test_tag_table_controller.moc"
