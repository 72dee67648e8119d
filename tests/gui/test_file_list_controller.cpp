// FileListController without the window: Shift+click sorting with its key,
// the selection following its rows and the one sort mark of all lists, the
// file-name header switching the mode, Escape, and the selected full paths.

#include <QItemSelectionModel>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/catalogue/ColumnTables.h"
#include "core/catalogue/SortKeys.h"
#include "gui/app/FileListController.h"
#include "gui/catalogue/FileListModel.h"
#include "gui/catalogue/FileListView.h"

using namespace hozanki;
using namespace testsupport;

namespace {

// Eight file lists over one catalogue; the MP3 rows are c.mp3 (smallest),
// a.mp3 (largest) and b.mp3, in that order.
struct Lists {
  Lists() {
    folder.Copy("mp3/apev1.mp3", "c.mp3");
    folder.Copy("mp3/apev2_id3v1.mp3", "a.mp3");
    folder.Copy("mp3/id3v22.mp3", "b.mp3");
    std::vector<MediaFileEntry> rows;
    for (const char* name : {"c.mp3", "a.mp3", "b.mp3"}) rows.push_back(*ReadMediaFile(folder.Path(), name));
    catalogue.Append(MediaFormat::MP3, std::move(rows));
    std::array<FileListView*, kFormatCount> viewPointers{};
    std::array<FileListModel*, kFormatCount> modelPointers{};
    for (int f = 0; f < kFormatCount; ++f) {
      models[static_cast<size_t>(f)] =
          std::make_unique<FileListModel>(&catalogue, static_cast<MediaFormat>(f));
      views[static_cast<size_t>(f)] = std::make_unique<FileListView>();
      views[static_cast<size_t>(f)]->setModel(models[static_cast<size_t>(f)].get());
      viewPointers[static_cast<size_t>(f)] = views[static_cast<size_t>(f)].get();
      modelPointers[static_cast<size_t>(f)] = models[static_cast<size_t>(f)].get();
    }
    FileListHost host;
    host.catalogue = &catalogue;
    host.currentFolder = [this] { return folder.Path() / "sub" / ".."; };
    host.mode = [this] { return mode; };
    host.switchMode = [this](EditMode wanted) { switched.push_back(wanted); };
    host.filePage = [] { return 0; };
    controller = std::make_unique<FileListController>(viewPointers, modelPointers, std::move(host));
  }
  FileListView& View(int page) { return *views[static_cast<size_t>(page)]; }
  FileListModel& Model(int page) { return *models[static_cast<size_t>(page)]; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const MediaFileEntry& e : catalogue.Entries(MediaFormat::MP3))
      names.push_back(e.relativePath.string());
    return names;
  }
  void Select(int row) {
    const QModelIndex index = Model(0).index(row, 0);
    View(0).selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  // The mark a file-list caption carries ('+', '-' or ' ').
  char Mark(int page, int column) {
    const bool right =
        FileListColumns(static_cast<MediaFormat>(page))[static_cast<size_t>(column)].alignment ==
        ColumnAlignment::Right;
    return SortMarkOf(Model(page).Caption(column).toStdString(), right);
  }

  MediaFolder folder;
  Catalogue catalogue;
  // Declared after the catalogue: the views and models go first.
  std::array<std::unique_ptr<FileListModel>, kFormatCount> models;
  std::array<std::unique_ptr<FileListView>, kFormatCount> views;
  EditMode mode = EditMode::Tag;
  std::vector<EditMode> switched;
  std::unique_ptr<FileListController> controller;
};

using Names = std::vector<std::string>;

}  // namespace

class TestFileListController : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

 private slots:
  void ShiftClickSorts_data();
  void ShiftClickSorts();
  void OnlyOneColumnOfAllListsCarriesTheMark();
  void PlainClicksOnTheHeader_data();
  void PlainClicksOnTheHeader();
  void EscapeLeavesRenameModeOrClearsTheSelection();
  void SelectedFullPathsAreInListOrder();
};

void TestFileListController::ShiftClickSorts_data() {
  QTest::addColumn<int>("column");
  QTest::addColumn<int>("clicks");
  QTest::addColumn<Names>("order");
  QTest::addColumn<int>("key");
  QTest::addColumn<char>("mark");
  QTest::newRow("name ascending") << 1 << 1 << Names{"a.mp3", "b.mp3", "c.mp3"} << 0 << '+';
  QTest::newRow("name descending") << 1 << 2 << Names{"c.mp3", "b.mp3", "a.mp3"} << 1 << '-';
  QTest::newRow("name ascending again") << 1 << 3 << Names{"a.mp3", "b.mp3", "c.mp3"} << 0 << '+';
  QTest::newRow("size ascending") << 2 << 1 << Names{"c.mp3", "b.mp3", "a.mp3"} << 2 << '+';
  QTest::newRow("size descending") << 2 << 2 << Names{"a.mp3", "b.mp3", "c.mp3"} << 3 << '-';
}

void TestFileListController::ShiftClickSorts() {
  QFETCH(int, column);
  QFETCH(int, clicks);
  QFETCH(Names, order);
  QFETCH(int, key);
  QFETCH(char, mark);
  Lists lists;
  QCOMPARE(lists.controller->SortKey(), -1);
  lists.Select(1);  // a.mp3
  for (int i = 0; i < clicks; ++i) lists.controller->ColumnClick(0, column, true);
  QCOMPARE(lists.Names(), order);
  QCOMPARE(lists.controller->SortKey(), key);
  QCOMPARE(lists.Mark(0, column), mark);
  // The same file stays selected and current at its new place.
  const QModelIndexList selected = lists.View(0).selectionModel()->selectedRows();
  QCOMPARE(selected.size(), 1);
  QCOMPARE(lists.Names()[static_cast<size_t>(selected[0].row())], std::string("a.mp3"));
  QCOMPARE(lists.View(0).currentIndex().row(), selected[0].row());
  // No mode change comes of a Shift+click.
  QVERIFY(lists.switched.empty());
}

void TestFileListController::OnlyOneColumnOfAllListsCarriesTheMark() {
  Lists lists;
  lists.controller->ColumnClick(0, 1, true);
  QCOMPARE(lists.Mark(0, 1), '+');
  lists.controller->ColumnClick(0, 2, true);
  QCOMPARE(lists.Mark(0, 1), ' ');
  QCOMPARE(lists.Mark(0, 2), '+');
  // Another format's list (with no rows) takes the mark over.
  lists.controller->ColumnClick(1, 3, true);
  QCOMPARE(lists.Mark(0, 2), ' ');
  QCOMPARE(lists.Mark(1, 3), '+');
  // A tag table's sort moves it too; afterwards no file list carries it.
  lists.controller->MoveSortMark(&lists.Model(2), 1, true, 9);
  QCOMPARE(lists.Mark(1, 3), ' ');
  QCOMPARE(lists.controller->SortKey(), 9);
  // A new folder: the mark is forgotten, so the next sort clears nothing.
  lists.controller->ForgetSortMark();
  QCOMPARE(lists.controller->SortKey(), -1);
  lists.controller->ColumnClick(0, 4, true);
  QCOMPARE(lists.Mark(2, 1), '-');
}

void TestFileListController::PlainClicksOnTheHeader_data() {
  QTest::addColumn<bool>("rename");
  QTest::addColumn<int>("column");
  QTest::addColumn<int>("switchedTo");  // -1 none
  QTest::newRow("file name in tag mode") << false << 1 << int(EditMode::Rename);
  QTest::newRow("file name in rename mode") << true << 1 << int(EditMode::Tag);
  QTest::newRow("size in tag mode") << false << 2 << -1;
  QTest::newRow("size in rename mode") << true << 2 << -1;
  QTest::newRow("mark column") << false << 0 << -1;
}

void TestFileListController::PlainClicksOnTheHeader() {
  QFETCH(bool, rename);
  QFETCH(int, column);
  QFETCH(int, switchedTo);
  Lists lists;
  lists.mode = rename ? EditMode::Rename : EditMode::Tag;
  const Names before = lists.Names();
  lists.controller->ColumnClick(0, column, false);
  if (switchedTo < 0)
    QVERIFY(lists.switched.empty());
  else
    QCOMPARE(lists.switched, std::vector<EditMode>{static_cast<EditMode>(switchedTo)});
  // Without Shift nothing is sorted.
  QCOMPARE(lists.Names(), before);
  QCOMPARE(lists.controller->SortKey(), -1);
}

void TestFileListController::EscapeLeavesRenameModeOrClearsTheSelection() {
  Lists lists;
  lists.Select(2);
  lists.mode = EditMode::Rename;
  emit lists.View(0).EscapePressed();
  QCOMPARE(lists.switched, std::vector<EditMode>{EditMode::Tag});
  QVERIFY(lists.View(0).selectionModel()->hasSelection());
  lists.mode = EditMode::Tag;
  emit lists.View(0).EscapePressed();
  QCOMPARE(lists.switched.size(), size_t(1));
  QVERIFY(!lists.View(0).selectionModel()->hasSelection());
}

void TestFileListController::SelectedFullPathsAreInListOrder() {
  Lists lists;
  QVERIFY(lists.controller->SelectedFullPaths(0).empty());
  // Selected bottom first: the paths still come in list order, normalised.
  lists.View(0).selectionModel()->select(lists.Model(0).index(2, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
  lists.View(0).selectionModel()->select(lists.Model(0).index(0, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
  QCOMPARE(lists.controller->SelectedFullPaths(0),
           (std::vector<fs::path>{lists.folder.Path() / "c.mp3", lists.folder.Path() / "b.mp3"}));
  // A drag out of the list carries the same files.
  std::unique_ptr<QMimeData> data(lists.View(0).SelectedFilesMimeData());
  QCOMPARE(data->urls().size(), 2);
}

QTEST_MAIN(TestFileListController)
#include "test_file_list_controller.moc"
