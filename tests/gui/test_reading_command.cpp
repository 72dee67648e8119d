// "読みを設定" through the cell commands: the preview lists the selected
// open rows of the reading columns it offers (the edit column's alone when
// it is one), marks unknown words; OK stores the readings as corrected,
// changes no other cell, and learns the correction so that the next preview
// proposes it.

#include <QCheckBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "../core/TagEditTestSupport.h"
#include "GuiTestSupport.h"
#include "core/settings/ReadingDictionaryFile.h"
#include "core/tagedit/ReadingFill.h"
#include "gui/tagedit/CellCommands.h"
#include "gui/tagedit/FormReading.h"

using namespace hozanki;

class ReadingCommandTest : public QObject {
  Q_OBJECT

 private slots:
  void PreviewStoresCorrectedReadingsOfSelectedCellsAndLearns();
};

namespace {

struct Fixture {
  Fixture(int rows, const std::filesystem::path& settings) {
    test::FillCatalogue(catalogue, MediaFormat::FLAC, rows);
    model.setRowCount(rows);
    model.setColumnCount(2);
    view.setParent(&window);
    view.setModel(&model);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    CellCommandHost host;
    host.window = &window;
    host.settingsFolder = settings;
    host.catalogue = [this]() -> Catalogue& { return catalogue; };
    host.currentFolder = [] { return std::filesystem::path("/music"); };
    host.renameMode = [] { return false; };
    host.busy = [] { return false; };
    host.activeView = [this](bool) { return &view; };
    host.target = [this](bool) { return EditTarget::TagColumn(TagKind::FLAC, editCell); };
    cells = new CellCommands(std::move(host), &window);
  }
  void Select(const std::vector<int>& rows) {
    view.clearSelection();
    for (int r : rows)
      view.selectionModel()->select(model.index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  const std::string& Cell(int row, int cell) const {
    return test::Tag(catalogue, TagKind::FLAC, row).cells[static_cast<size_t>(cell)].text;
  }

  QWidget window;
  Catalogue catalogue;
  QStandardItemModel model;
  QTableView view;
  int editCell = 0;
  CellCommands* cells = nullptr;
};

// Answers the next reading preview with `answer` (which clicks OK or not).
void AnswerPreview(const std::function<void(TFormReading&)>& answer) {
  QTimer::singleShot(0, [answer] {
    auto* form = qobject_cast<TFormReading*>(QApplication::activeModalWidget());
    QVERIFY(form);
    answer(*form);
  });
}

}  // namespace

void ReadingCommandTest::PreviewStoresCorrectedReadingsOfSelectedCellsAndLearns() {
  ScopedConfigDir dir;
  const std::filesystem::path settings = dir.path().toStdString();
  Fixture f(5, settings);
  const std::vector<ReadingColumn> columns = ReadingColumnsOf(TagKind::FLAC);
  const int artist = columns[0].sourceCell, artistReading = columns[0].readingCell;
  const int title = columns[3].sourceCell, titleReading = columns[3].readingCell;
  const char* const artists[] = {"米津玄師", "椎名林檎", "一青窈", "東京事変", "米津玄師"};
  for (int r = 0; r < 5; ++r) {
    test::SetText(f.catalogue, TagKind::FLAC, r, artist, artists[r]);
    test::SetText(f.catalogue, TagKind::FLAC, r, title, "群青");
  }
  test::SetMarks(f.catalogue, TagKind::FLAC, 3, kUnavailable);
  f.editCell = artistReading;  // only the edit column's readings are offered checked
  f.Select({0, 2, 3});

  AnswerPreview([&](TFormReading& form) {
    QCOMPARE(form.ColumnChecks.size(), size_t{4});
    QVERIFY(form.ColumnChecks[0]->isChecked());
    QVERIFY(!form.ColumnChecks[3]->isChecked());
    QCOMPARE(form.Grid->rowCount(), 2);  // rows 0 and 2; row 3 is closed
    QCOMPARE(form.Grid->item(1, 4)->text(), QStringLiteral("窈"));
    QVERIFY(form.Grid->item(1, TFormReading::kReadingColumn)->background() != QBrush());
    QCOMPARE(form.Grid->item(0, TFormReading::kReadingColumn)->text(), QStringLiteral("ヨネツゲンシ"));
    form.Grid->item(0, TFormReading::kReadingColumn)->setText(QStringLiteral("よねづけんし"));
    form.ButtonOk->click();
  });
  f.cells->PopupReadingClick();

  QCOMPARE(f.Cell(0, artistReading), std::string("よねづけんし"));
  QCOMPARE(f.Cell(2, artistReading), std::string("ヒトト窈"));  // unknown kanji kept
  for (int r : {1, 3, 4}) QCOMPARE(f.Cell(r, artistReading), std::string());
  for (int r = 0; r < 5; ++r) QCOMPARE(f.Cell(r, titleReading), std::string());
  ReadingDictionary learned;
  QVERIFY(ReadReadingDictionary(settings / kReadingDictionaryFileName, learned));
  QVERIFY(learned.Find("米津玄師"));
  QCOMPARE(*learned.Find("米津玄師"), std::string("ヨネヅケンシ"));

  // The learned reading comes first for another row; cancel stores nothing.
  f.Select({4});
  AnswerPreview([](TFormReading& form) {
    QCOMPARE(form.Grid->rowCount(), 1);
    QCOMPARE(form.Grid->item(0, TFormReading::kReadingColumn)->text(), QStringLiteral("ヨネヅケンシ"));
    form.ButtonCancel->click();
  });
  f.cells->PopupReadingClick();
  QCOMPARE(f.Cell(4, artistReading), std::string());
}

QTEST_MAIN(ReadingCommandTest)
#include "test_reading_command.moc"
