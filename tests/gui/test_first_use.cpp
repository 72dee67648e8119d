// The first hour of a new user: the window comes back usable after a
// maximised close, help always shows something, Qt's own texts are Japanese,
// our windows open centred over the main window, first-start columns are
// wide enough, the whole window works by keyboard, and the in-place editors
// are usable (wide genre list and memo, ID3v1 track 1-255).

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTreeView>
#include <QtTest>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/catalogue/ColumnTables.h"
#include "core/settings/SettingsKeys.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/app/HelpLocator.h"
#include "gui/app/HelpViewer.h"
#include "gui/app/QtJapanese.h"
#include "gui/rename/FormRename.h"
#include "gui/rename/RenamePatternCommands.h"
#include "gui/tagedit/CellCommands.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/TagTableController.h"

using namespace hozanki;
using namespace testsupport;
using guitest::Child;

namespace {

void WriteIni(const QString& folder, const QByteArray& bytes) {
  QFile file(folder + QStringLiteral("/NR284.ini"));
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

QByteArray ReadIni(const QString& folder) {
  QFile file(folder + QStringLiteral("/NR284.ini"));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(widget, key, modifiers);
}

}  // namespace

class TestFirstUse : public QObject {
  Q_OBJECT
  std::unique_ptr<ScopedConfigDir> config_;

 private slots:
  void init() { config_ = std::make_unique<ScopedConfigDir>(); }
  void cleanup() { config_.reset(); }

  void maximisedCloseComesBackMaximisedAndEveryPaneShows() {
    // A splitter moved in a maximised window, stored as the old program did.
    WriteIni(config_->path(), "[Window]\r\nHeight=480\r\nWidth=640\r\nSplit1=1500\r\nSplit2=900\r\n");
    {
      TFormMain window;
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      QVERIFY(!window.isMaximized());
      // Every pane keeps room: the tag table below, the file lists right.
      QVERIFY2(Child<QTabWidget>(window, "PageControlT")->height() >= 100,
               qPrintable(QString::number(Child<QTabWidget>(window, "PageControlT")->height())));
      QVERIFY(Child<QTabWidget>(window, "PageControlF")->width() >= 100);
      QVERIFY(QTest::qWaitFor([&] { return window.SyncRequest() != -1 && !window.IsBusy(); }, 10000));
      window.showMaximized();
      QTRY_VERIFY(window.isMaximized());
      QVERIFY(window.close());
    }
    const QByteArray bytes = ReadIni(config_->path());
    QVERIFY(bytes.contains("Maximized=1\r\n"));
    QVERIFY(bytes.contains("Height=480\r\n"));
    {
      TFormMain window;
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      QTRY_VERIFY(window.isMaximized());
      QVERIFY(Child<QTabWidget>(window, "PageControlT")->height() >= 100);
      window.showNormal();
      QTRY_VERIFY(!window.isMaximized());
      QVERIFY(Child<QTabWidget>(window, "PageControlT")->height() >= 100);
      QVERIFY(QTest::qWaitFor([&] { return window.SyncRequest() != -1 && !window.IsBusy(); }, 10000));
      QVERIFY(window.close());
    }
    QVERIFY(ReadIni(config_->path()).contains("Maximized=0\r\n"));
  }

  void helpWithoutABrowserOpensTheBuiltInViewerAtTheAnchor() {
    if (HelpIndexPath().isEmpty()) QSKIP("the help page is not installed here");
    QWidget parent;
    std::vector<QUrl> asked;
    HelpDesktopOpener() = [&](const QUrl& url) {
      asked.push_back(url);
      return false;  // a desktop without a browser
    };
    OpenHelp(&parent, 101);
    HelpDesktopOpener() = [](const QUrl&) { return false; };
    QCOMPARE(asked.size(), size_t(1));
    auto* viewer = parent.findChild<HelpViewer*>();
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QTextBrowser* browser = viewer->Browser();
    QVERIFY(browser->toPlainText().contains(QStringLiteral("メインウィンドウ")));
    // Scrolled to the context's heading, not left at the top.
    QTRY_VERIFY(browser->verticalScrollBar()->value() > 0);
    // A second request reuses the same viewer.
    OpenHelp(&parent, 0);
    QCOMPARE(parent.findChildren<HelpViewer*>().size(), 1);
    // With a browser, nothing of ours opens.
    QWidget other;
    HelpDesktopOpener() = [](const QUrl&) { return true; };
    OpenHelp(&other, 101);
    QVERIFY(!other.findChild<HelpViewer*>());
  }

  void qtsOwnButtonsAreJapanese() {
    if (!InstallQtJapanese(*QCoreApplication::instance())) QSKIP("qt6-translations-l10n is not installed");
    QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Close);
    QCOMPARE(buttons.button(QDialogButtonBox::Yes)->text().remove(QLatin1Char('&')).left(2),
             QStringLiteral("はい"));
    QVERIFY(buttons.button(QDialogButtonBox::No)->text().startsWith(QStringLiteral("いいえ")));
    QVERIFY(buttons.button(QDialogButtonBox::Close)->text().startsWith(QStringLiteral("閉じる")));
  }

  void ourWindowsOpenCentredOverTheMainWindow() {
    TFormMain window;
    window.move(300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(QTest::qWaitFor([&] { return window.SyncRequest() != -1 && !window.IsBusy(); }, 10000));
    QWidget* rename = window.Renames().OpenFormRename();
    QVERIFY(rename);
    QTRY_VERIFY(rename->isVisible());
    const QPoint offset = rename->frameGeometry().center() - window.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() < 40, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    rename->close();
    window.Cells().MenuOptionMultiClick();
    QWidget* multi = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->objectName() == QLatin1String("FormMulti") && top->isVisible()) multi = top;
    QVERIFY(multi);
    QVERIFY((multi->frameGeometry().center() - window.frameGeometry().center()).manhattanLength() < 40);
    multi->close();
  }

  void firstStartColumnsShowTheirContentStoredWidthsWin() {
    {
      TFormMain window;
      QTableView* id3v2 = window.TagTable(1);
      const int trackColumn = 1 + 4;  // sub-item 4 "TRACK_v2"
      const int width = id3v2->horizontalHeader()->sectionSize(trackColumn);
      QVERIFY(width >= id3v2->fontMetrics().horizontalAdvance(QStringLiteral("88/88")) + 10);
      QVERIFY(width >= settings::TagColumnDefaults(TagKind::MP3ID3v2)[static_cast<size_t>(trackColumn - 1)]);
    }
    WriteIni(config_->path(), "[Window]\r\nCTMP2-5=20\r\n");
    TFormMain window;
    QCOMPARE(window.TagTable(1)->horizontalHeader()->sectionSize(5), 20);
  }

  void theWholeWindowByKeyboard() {
    MediaFolder folder;
    folder.Copy("mp3/sjis_id3v2.mp3", "a.mp3");
    folder.Copy("mp3/plain.mp3", "b.mp3");
    std::filesystem::create_directory(folder.Path() / "sub");
    folder.Copy("mp3/plain.mp3", "sub/c.mp3");
    TFormMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    LoadInto(window, folder.Path());
    QCOMPARE(window.CatalogueData().RowCount(MediaFormat::MP3), 2);

    // Tab: tree → file list → tag table; the focused row is selected.
    auto* tree = Child<QTreeView>(window, "DirectoryTreeView");
    tree->setFocus();
    QTRY_VERIFY(tree->hasFocus());
    Key(tree, Qt::Key_Tab);
    QTRY_VERIFY(window.FileList(0)->hasFocus());
    QCOMPARE(window.FileList(0)->selectionModel()->selectedRows().size(), qsizetype(1));
    Key(window.FileList(0), Qt::Key_Tab);
    QTRY_VERIFY(window.TagTable(1)->hasFocus());
    QVERIFY(!window.TagTable(1)->selectionModel()->selectedRows().isEmpty());

    // Ctrl+Tab / Ctrl+PgUp switch the tag pages, Alt+PgDn the file pages.
    auto* tagPages = Child<QTabWidget>(window, "PageControlT");
    auto* filePages = Child<QTabWidget>(window, "PageControlF");
    Key(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(tagPages->currentIndex(), 2);
    Key(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(tagPages->currentIndex(), 1);
    Key(QApplication::focusWidget(), Qt::Key_PageDown, Qt::AltModifier);
    QCOMPARE(filePages->currentIndex(), 1);
    Key(QApplication::focusWidget(), Qt::Key_PageUp, Qt::AltModifier);
    QCOMPARE(filePages->currentIndex(), 0);

    // Ctrl+Right / Ctrl+Left choose the edit column; Escape leaves the mode.
    QTableView* table = window.TagTable(1);
    table->setFocus();
    QTRY_VERIFY(table->hasFocus());
    Key(table, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(window.EditColumn(1), 1);
    Key(table, Qt::Key_Right, Qt::ControlModifier);
    Key(table, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(window.EditColumn(1), 3);
    Key(table, Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(window.EditColumn(1), 2);
    // Ctrl+Z with the file-name column as edit column keeps staged values.
    const TagKind v2 = TagKind::MP3ID3v2;
    QVERIFY(SetCellValue(window.CatalogueData(), EditTarget::TagColumn(v2, SubItemOf(v2, "INAM")),
                         table->currentIndex().row(), "ステージ"));
    window.Tables().SetEditColumn(1, 1);
    Key(table, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(window.Session().HasStagedEdits());
    Key(table, Qt::Key_Escape);
    QCOMPARE(window.EditColumn(1), -1);

    // Enter on a folder opens it; Shift+Enter recursively.
    tree->setFocus();
    QModelIndex sub;
    for (int row = 0; row < tree->model()->rowCount() && !sub.isValid(); ++row) {
      std::function<QModelIndex(const QModelIndex&)> find = [&](const QModelIndex& parent) -> QModelIndex {
        for (int r = 0; r < tree->model()->rowCount(parent); ++r) {
          const QModelIndex i = tree->model()->index(r, 0, parent);
          if (i.data().toString() == QLatin1String("sub")) return i;
          if (QModelIndex found = find(i); found.isValid()) return found;
        }
        return {};
      };
      sub = find({});
    }
    QVERIFY(sub.isValid());
    tree->setCurrentIndex(sub);
    QSignalSpy loaded(&window.Session(), &FolderSession::WorkFinished);
    // The staged title is asked about first.
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&answer] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        answer.stop();
        box->findChild<QPushButton*>(QStringLiteral("ButtonDiscard"))->click();
      }
    });
    answer.start(10);
    Key(tree, Qt::Key_Return);
    QVERIFY(loaded.count() > 0 || loaded.wait(30000));
    QCOMPARE(window.CurrentFolder(), folder.Path() / "sub");
    QCOMPARE(window.CatalogueData().RowCount(MediaFormat::MP3), 1);
  }

  void editorsAreWideEnoughAndTheId3v1TrackTakesOnly1To255() {
    MediaFolder folder;
    folder.Copy("mp3/sjis_id3v1.mp3", "a.mp3");
    TFormMain window;
    window.resize(640, 480);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    LoadInto(window, folder.Path());
    InPlaceEditors& editors = window.Tables().Editors();
    auto open = [&](int page, const char* valuePrefix) {
      const int column = SubItemOf(static_cast<TagKind>(page), valuePrefix) + 1;
      QTableView* table = window.TagTable(page);
      Child<QTabWidget>(window, "PageControlT")->setCurrentIndex(page);
      table->selectRow(0);
      window.Tables().SetEditColumn(page, column);
      InPlaceEditors::SetArmedRow(table, 0);
      return window.Tables().OpenCellEditor(page, 0, column);
    };
    // ID3v1 track: "3/" is refused, 255 taken, 256 not.
    QVERIFY(open(0, "TRACK"));
    auto* edit = Child<QLineEdit>(window, "EditListView");
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("3/"));
    QCOMPARE(edit->text(), QStringLiteral("3"));
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("256"));
    QCOMPARE(edit->text(), QStringLiteral("25"));
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("255"));
    QCOMPARE(edit->text(), QStringLiteral("255"));
    editors.Cancel();
    // Genre drop-down as wide as its longest entry.
    QVERIFY(open(0, "IGNR"));
    auto* combo = Child<QComboBox>(window, "ComboBoxListView");
    const int longest = combo->view()->fontMetrics().horizontalAdvance(QStringLiteral("Contemporary Christian"));
    QVERIFY(combo->view()->minimumWidth() >= longest);
    editors.Cancel();
    // Memo: at least 300 px, inside the window.
    QVERIFY(open(1, "ICMT"));
    auto* memo = Child<QPlainTextEdit>(window, "MemoListView");
    QVERIFY(memo->width() >= kMemoMinimumWidth);
    QVERIFY(memo->geometry().right() < window.width());
    QVERIFY(memo->geometry().left() >= 0);
    editors.Cancel();
  }
};

QTEST_MAIN(TestFirstUse)
#include "test_first_use.moc"
