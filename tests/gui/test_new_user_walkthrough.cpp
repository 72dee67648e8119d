// A new user's first session, driven with keys and the mouse: open a folder
// of twelve MP3 files, rename one in place, number the tracks 01/12 ... 12/12
// with "一括入力", save, and see the files as re-read. With
// $HOZANKI_SCREENSHOT_DIR set, each step is saved there as a PNG.

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "gui/tagedit/FormSetAll.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/SaveTagWorker.h"
#include "gui/tagedit/TagTableController.h"

using namespace hozanki;
using namespace testsupport;

namespace {

void Shot(QWidget* widget, const QString& name) {
  const QString dir = qEnvironmentVariable("HOZANKI_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QApplication::processEvents();
  widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// Makes the window the active one; without a window manager (a bare X
// server) the platform may never report it active, so Qt is told directly.
void Activate(QWidget& window) {
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  if (!QTest::qWaitForWindowActive(&window, 2000)) QApplication::setActiveWindow(&window);
  QTRY_VERIFY(window.isActiveWindow());
}

void ClickHeader(QTableView* table, int column) {
  QHeaderView* header = table->horizontalHeader();
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class TestNewUserWalkthrough : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

 private slots:
  void renameNumberSaveAndSeeTheResult() {
    MediaFolder folder;
    for (int i = 0; i < 12; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "take %02d.mp3", 12 - i);
      folder.Copy("mp3/plain.mp3", name);
    }
    TFormMain w;
    w.resize(1000, 700);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Activate(w);
    LoadInto(w, folder.Path());
    QCOMPARE(w.CatalogueData().RowCount(MediaFormat::MP3), 12);
    Shot(&w, QStringLiteral("1-loaded"));

    // Rename: F5, double click the first name, type, Enter.
    QTableView* list = w.FileList(0);
    QTest::keyClick(&w, Qt::Key_F5);
    QVERIFY(w.IsRenameMode());
    const QPoint first = list->visualRect(list->model()->index(0, 1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
    InPlaceEditors& editors = w.Tables().Editors();
    auto* editor = qobject_cast<QLineEdit*>(editors.Editor(EditorKind::Edit));
    QTRY_VERIFY(editors.IsOpen());
    const std::string oldName = w.CatalogueData().Entries(MediaFormat::MP3)[0].file.cells[0].text;
    editor->selectAll();
    editor->insert(QStringLiteral("序曲"));  // typed through an input method
    QTest::keyClicks(editor, QStringLiteral(" Opening.mp3"));
    Shot(&w, QStringLiteral("2-renaming"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(w.CatalogueData().Entries(MediaFormat::MP3)[0].file.cells[0].text,
             std::string("序曲 Opening.mp3"));
    QTest::keyClick(list, Qt::Key_F5);
    QVERIFY(!w.IsRenameMode());

    // Number the tracks: the ID3v2 "№" header, then "一括入力" with "/12" after the number.
    auto* pagesT = w.findChild<QTabWidget*>(QStringLiteral("PageControlT"));
    pagesT->setCurrentIndex(1);
    QTableView* table = w.TagTable(1);
    const int track = SubItemOf(TagKind::MP3ID3v2, "TRACK");
    ClickHeader(table, track + 1);
    QCOMPARE(w.EditColumn(1), track + 1);
    table->setFocus();
    QTimer::singleShot(0, [&w] {
      auto* d = qobject_cast<TFormSetAll*>(QApplication::activeModalWidget());
      if (!d) return;
      d->EditSetAllNo->setValue(1);
      d->EditSetAllNoCount->setValue(1);
      d->CheckBoxSetAllNo->setChecked(true);
      d->LabeledEditSetAllNo2->setText(QStringLiteral("/12"));
      d->CheckBoxAll->setChecked(true);  // "すべて選択"
      Shot(d, QStringLiteral("3-set-all"));
      Shot(&w, QStringLiteral("3b-window-with-dialog"));
      d->ButtonOk->click();
    });
    Action(w, "PopupTSetAll")->trigger();
    table->setColumnWidth(track + 1, 60);  // widened by dragging its border
    Shot(&w, QStringLiteral("4-numbered"));
    const int rows = 12;
    for (int r = 0; r < rows; ++r) {
      char expected[8];
      std::snprintf(expected, sizeof expected, "%02d/12", r + 1);
      QCOMPARE(TagOf(w.CatalogueData().Entries(MediaFormat::MP3)[static_cast<size_t>(r)], TagKind::MP3ID3v2)
                   .cells[static_cast<size_t>(track)]
                   .text,
               std::string(expected));
    }

    // Ctrl+S, then the re-read.
    Activate(w);
    QSignalSpy done(&w.Session(), &FolderSession::SaveDone);
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    auto* worker = w.Session().SaveWorker();
    QVERIFY(worker);
    bool shot = false;
    connect(worker, &SaveTag::Progress, &w, [&](const QString& count) {
      if (shot || !count.startsWith(QStringLiteral("6 /"))) return;
      shot = true;
      Shot(&w, QStringLiteral("5-saving"));
    });
    QVERIFY(done.count() > 0 || done.wait(60000));
    list->clearSelection();
    Shot(&w, QStringLiteral("6-after-reread"));
    QVERIFY(!std::filesystem::exists(folder.Path() / oldName));
    const MediaFileEntry renamed = folder.Disk("序曲 Opening.mp3");
    QCOMPARE(TagOf(renamed, TagKind::MP3ID3v2).cells[static_cast<size_t>(track)].text, std::string("01/12"));
    for (int r = 0; r < rows; ++r) {
      const MediaFileEntry& row = w.CatalogueData().Entries(MediaFormat::MP3)[static_cast<size_t>(r)];
      QCOMPARE(row.file.image, kNoMark);
      const MediaFileEntry disk = folder.Disk(row.file.cells[0].text);
      QCOMPARE(TagOf(disk, TagKind::MP3ID3v2).cells[static_cast<size_t>(track)].text,
               TagOf(row, TagKind::MP3ID3v2).cells[static_cast<size_t>(track)].text);
    }
  }
};

QTEST_MAIN(TestNewUserWalkthrough)
#include "test_new_user_walkthrough.moc"
