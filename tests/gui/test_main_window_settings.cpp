// The main window's start-up reading and closing write of "NR284.ini", and
// the recovery of the data files.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

#include "GuiTestSupport.h"
#include "core/rename/RenameBatch.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsKeys.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/tagedit/FormSaveErrors.h"

using namespace hozanki;

namespace {

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

using guitest::Child;

void ShowAndSettle(QWidget& window) {
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QCoreApplication::processEvents();
}

// Keys of the "Window" section in the order the window writes them.
QStringList ExpectedWindowKeys() {
  QStringList keys{"Top", "Left", "Height", "Width", "Split1"};
  for (int f = 0; f < kFormatCount; ++f) {
    const auto format = static_cast<MediaFormat>(f);
    for (size_t n = 1; n <= settings::FileColumnDefaults(format).size(); ++n)
      keys << QStringLiteral("CF%1-%2").arg(QString::fromStdString(std::string(FormatName(format)))).arg(n);
  }
  keys << "Split2";
  for (int k = 0; k < kTagKindCount; ++k) {
    const auto kind = static_cast<TagKind>(k);
    for (size_t n = 1; n <= settings::TagColumnDefaults(kind).size(); ++n)
      keys << QStringLiteral("CT%1-%2").arg(QString::fromStdString(std::string(TagKindKey(kind)))).arg(n);
  }
  keys << "Page"
       << "Maximized"
       << "Dir";
  return keys;
}

}  // namespace

class MainWindowSettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void DefaultsWithoutSettingsFileAndTheWrittenWindowSection();
  void BoundsSplittersAndEveryListComesBack();
  void GarbageSettingsGiveDefaults();
  void OlderFileWithoutTheLaterColumnsGivesThemDefaults();
  void OptionsToolsAndFolderAreApplied();
  void RecoveryCopiesOfTheDataFiles();
  void MaximisedWindowKeepsItsPanesOverRestarts();
  void RecoveriesThatFailAreListed();
};

void MainWindowSettingsTest::DefaultsWithoutSettingsFileAndTheWrittenWindowSection() {
  ScopedConfigDir config;
  {
    TFormMain window;
    ShowAndSettle(window);
    QCOMPARE(window.windowTitle(), QStringLiteral(" - Hozanki -"));
    QCOMPARE(window.pos(), QPoint(100, 50));
    QCOMPARE(window.size(), QSize(640, 480));
    QCOMPARE(window.minimumSize(), QSize(540, 360));
    QCOMPARE(Child<QWidget>(window, "PanelUL")->width(), 200);
    QCOMPARE(Child<QWidget>(window, "PanelU")->height(), 200);
    auto* tagPages = Child<QTabWidget>(window, "PageControlT");
    QCOMPARE(tagPages->currentIndex(), 1);
    QCOMPARE(tagPages->tabText(1), QStringLiteral("MP3 ID3v2"));
    QCOMPARE(tagPages->tabPosition(), QTabWidget::South);
    QCOMPARE(Child<QTabWidget>(window, "PageControlF")->currentIndex(), 0);
    // Default widths, column 0 fixed.
    auto* mp3 = Child<QTableView>(window, "ListViewFMP3");
    QCOMPARE(mp3->horizontalHeader()->sectionSize(0), 19);
    QCOMPARE(mp3->horizontalHeader()->sectionSize(9), 200);
    auto* mp4 = Child<QTableView>(window, "ListViewTMP4");
    QCOMPARE(mp4->horizontalHeader()->sectionSize(0), 35);
    QCOMPARE(mp4->horizontalHeader()->sectionSize(14), 38);
    // Status bar: panel 0 follows the bar's width.
    auto* bar = Child<StatusBarPanels>(window, "StatusBar");
    QCOMPARE(bar->Panel(0)->width(), bar->width() - 195);
    QCOMPARE(bar->Panel(1)->width(), 100);
    QCOMPARE(bar->Panel(2)->width(), 80);
    QCOMPARE(bar->PanelText(2), QStringLiteral("タグ編集"));
    window.resize(900, 500);
    QCoreApplication::processEvents();
    QCOMPARE(bar->Panel(0)->width(), bar->width() - 195);
    window.resize(640, 480);
    QCoreApplication::processEvents();
    QVERIFY(window.close());
  }
  const QByteArray bytes = ReadFile(config.path() + "/NR284.ini");
  QVERIFY(!bytes.isEmpty());
  QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
  QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
  const QList<QByteArray> lines = bytes.split('\n');
  QCOMPARE(lines.first(), QByteArray("[Window]\r"));
  QStringList keys;
  for (const QByteArray& line : lines.mid(1)) {
    if (line.isEmpty()) continue;
    QVERIFY2(!line.startsWith('['), line.constData());  // one section only
    keys << QString::fromLatin1(line.left(line.indexOf('=')));
  }
  QCOMPARE(keys, ExpectedWindowKeys());
  QVERIFY(bytes.contains("Top=50\r\nLeft=100\r\nHeight=480\r\nWidth=640\r\nSplit1=200\r\n"));
  QVERIFY(bytes.contains("Split2=200\r\n"));
  QVERIFY(bytes.contains("Page=1\r\n"));
  QVERIFY(bytes.contains("CFMP3-9=200\r\n"));
  QVERIFY(bytes.contains("CTMP1-1=110\r\n"));
}

void MainWindowSettingsTest::BoundsSplittersAndEveryListComesBack() {
  ScopedConfigDir config;
  const QString music = config.path() + QStringLiteral("/音楽");
  QVERIFY(QDir().mkpath(music));
  WriteFile(config.path() + "/NR284.ini",
            QByteArray("[Option]\r\nMemoSize=90\r\n[Window]\r\nDir=") + config.path().toLocal8Bit() +
                "/\x89\xb9\x8a\x79\r\n");  // 音楽 in code page 932
  auto widthOf = [](int list, int column) { return 20 + list * 3 + column * 5; };
  {
    TFormMain window;
    ShowAndSettle(window);
    QCOMPARE(Child<StatusBarPanels>(window, "StatusBar")->PanelText(0), music);
    window.move(130, 70);
    window.resize(700, 530);
    auto* splitFile = Child<QSplitter>(window, "SplitterFile");
    splitFile->setSizes({260, splitFile->width() - 260});
    auto* splitUD = Child<QSplitter>(window, "SplitterUD");
    splitUD->setSizes({230, splitUD->height() - 230});
    for (int list = 0; list < kFormatCount + kTagKindCount; ++list) {
      QTableView* view = list < kFormatCount ? window.FileList(list) : window.TagTable(list - kFormatCount);
      for (int c = 0; c < view->model()->columnCount(); ++c)
        view->horizontalHeader()->resizeSection(c, widthOf(list, c));
    }
    Child<QTabWidget>(window, "PageControlT")->setCurrentIndex(9);
    QCoreApplication::processEvents();
    QVERIFY(window.close());
  }
  const QByteArray bytes = ReadFile(config.path() + "/NR284.ini");
  QVERIFY(bytes.contains("[Option]\r\nMemoSize=90\r\n"));        // other sections are kept
  QVERIFY(bytes.contains(QByteArray("/\x89\xb9\x8a\x79\r\n")));  // 音楽 in code page 932
  {
    TFormMain window;
    ShowAndSettle(window);
    QCOMPARE(window.pos(), QPoint(130, 70));
    QCOMPARE(window.size(), QSize(700, 530));
    QCOMPARE(Child<QWidget>(window, "PanelUL")->width(), 260);
    QCOMPARE(Child<QWidget>(window, "PanelU")->height(), 230);
    QCOMPARE(Child<QTabWidget>(window, "PageControlT")->currentIndex(), 9);
    QCOMPARE(Child<QTabWidget>(window, "PageControlF")->currentIndex(), 6);
    for (int list = 0; list < kFormatCount + kTagKindCount; ++list) {
      QTableView* view = list < kFormatCount ? window.FileList(list) : window.TagTable(list - kFormatCount);
      QCOMPARE(view->horizontalHeader()->sectionSize(0), list < kFormatCount ? 19 : 35);
      for (int c = 1; c < view->model()->columnCount(); ++c)
        QCOMPARE(view->horizontalHeader()->sectionSize(c), widthOf(list, c));
    }
    QCOMPARE(Child<StatusBarPanels>(window, "StatusBar")->PanelText(0), music);
  }
}

void MainWindowSettingsTest::GarbageSettingsGiveDefaults() {
  const QList<QByteArray> garbage = {
      QByteArray("\x00\xff\xfe\x01[Window\x00Top=\x80\x81", 14),
      QByteArray(
          "[Window]\r\nTop=abc\r\nLeft=\r\nHeight=99999999999\r\nWidth=-5\r\nSplit1=x\r\nSplit2=1e3\r\n"
          "Page=42\r\nCFMP3-1=-7\r\nCTMP2-1=wide\r\n"),
      QByteArray("[Window]\r\nTop=5"),  // cut off in the middle of a line
  };
  for (const QByteArray& bytes : garbage) {
    ScopedConfigDir config;
    WriteFile(config.path() + "/NR284.ini", bytes);
    TFormMain window;
    ShowAndSettle(window);
    if (!bytes.endsWith("Top=5")) QCOMPARE(window.pos(), QPoint(100, 50));
    QCOMPARE(window.size(), QSize(640, 480));
    QCOMPARE(Child<QWidget>(window, "PanelUL")->width(), 200);
    QCOMPARE(Child<QWidget>(window, "PanelU")->height(), 200);
    QCOMPARE(Child<QTabWidget>(window, "PageControlT")->currentIndex(), 1);
    QCOMPARE(window.FileList(0)->horizontalHeader()->sectionSize(1), 110);
    QCOMPARE(window.TagTable(1)->horizontalHeader()->sectionSize(1), 110);
    QCOMPARE(Child<StatusBarPanels>(window, "StatusBar")->PanelText(0),
             QString::fromLocal8Bit(qgetenv("HOME")));
  }
}

// A settings file written before the album artist, disc, reading and lyrics
// columns: its widths stay, the later columns get their defaults, and the
// next write stores them too.
void MainWindowSettingsTest::OlderFileWithoutTheLaterColumnsGivesThemDefaults() {
  struct Older {
    TagKind kind;
    int columns;  // what a file of that time holds
  };
  const Older older[] = {{TagKind::MP3ID3v2, 14}, {TagKind::MP3APE, 8}, {TagKind::WMA, 11},
                         {TagKind::OGG, 8},       {TagKind::MP4, 14},   {TagKind::FLAC, 8}};
  ScopedConfigDir config;
  QByteArray bytes("[Window]\r\n");
  for (const Older& o : older)
    for (int n = 1; n <= o.columns; ++n)
      bytes += QStringLiteral("CT%1-%2=%3\r\n")
                   .arg(QString::fromStdString(std::string(TagKindKey(o.kind))))
                   .arg(n)
                   .arg(40 + n)
                   .toLatin1();
  WriteFile(config.path() + "/NR284.ini", bytes);
  {
    TFormMain window;
    ShowAndSettle(window);
    for (const Older& o : older) {
      const auto defaults = settings::TagColumnDefaults(o.kind);
      QVERIFY(static_cast<int>(defaults.size()) > o.columns);
      QHeaderView* header = window.TagTable(static_cast<int>(o.kind))->horizontalHeader();
      for (int n = 1; n <= static_cast<int>(defaults.size()); ++n)
        QCOMPARE(header->sectionSize(n), n <= o.columns ? 40 + n : defaults[static_cast<size_t>(n - 1)]);
    }
    QVERIFY(window.close());
  }
  const QByteArray written = ReadFile(config.path() + "/NR284.ini");
  QVERIFY(written.contains("CTMP2-14=54\r\nCTMP2-15=90\r\nCTMP2-16=38\r\n"));
  QVERIFY(written.contains("CTMP4-14=54\r\nCTMP4-15=90\r\n"));
}

void MainWindowSettingsTest::OptionsToolsAndFolderAreApplied() {
  ScopedConfigDir config;
  WriteFile(
      config.path() + "/NR284.ini",
      QByteArray("[Option]\r\nMemoSize=120\r\nFontName=\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e\r\n"
                 "[Tool]\r\nCount=2\r\nName0=Echo\r\nExec0=/bin/"
                 "echo\r\nParm0=$F\r\nName1=\x83\x63\x81\x5b\x83\x8b\r\n"
                 "[Window]\r\nDir=/no/such/folder/anywhere\r\n"));
  TFormMain window;
  ShowAndSettle(window);
  QCOMPARE(Child<QPlainTextEdit>(window, "MemoListView")->height(), 120);
  if (QFontDatabase::hasFamily(QStringLiteral("Noto Sans Mono CJK JP"))) {
    for (const char* name :
         {"DriveComboBox", "DirectoryTreeView", "ListViewFWAV", "ListViewTMP3ID3v1", "ListViewTMP4"})
      QCOMPARE(Child<QWidget>(window, name)->font().family(), QStringLiteral("Noto Sans Mono CJK JP"));
  }
  QCOMPARE(window.TagTable(0)->font().pixelSize(), 12);
  auto* tools = Child<QMenu>(window, "PopupFTool");
  const QList<QAction*> items = tools->actions();
  QCOMPARE(items.size(), 4);
  QCOMPARE(items[0]->text(), QStringLiteral("Echo"));
  QCOMPARE(items[0]->statusTip(), QStringLiteral("/bin/echo\t$F"));
  QCOMPARE(items[1]->text(), QStringLiteral("ツール"));
  QVERIFY(items[2]->isSeparator());
  QCOMPARE(items[3]->text(), QStringLiteral("設定(&O)"));
  // A folder that is gone: the home folder.
  QCOMPARE(Child<StatusBarPanels>(window, "StatusBar")->PanelText(0),
           QString::fromLocal8Bit(qgetenv("HOME")));
}

void MainWindowSettingsTest::RecoveryCopiesOfTheDataFiles() {
  ScopedConfigDir config;
  const QString ren = config.path() + "/NR284Ren.dat";
  const QString cnv = config.path() + "/NR284Cnv.dat";
  WriteFile(ren + ".___", "[MP3]\r\nCount=0\r\n");  // data file missing: the copy takes its place
  WriteFile(cnv, "[Multi]\r\nCount=1\r\n");         // both present: the copy goes
  WriteFile(cnv + ".___", "stale");
  {
    TFormMain window;
    QVERIFY(QFile::exists(ren));
    QVERIFY(!QFile::exists(ren + ".___"));
    QCOMPARE(ReadFile(ren), QByteArray("[MP3]\r\nCount=0\r\n"));
    QCOMPARE(ReadFile(cnv), QByteArray("[Multi]\r\nCount=1\r\n"));
    QVERIFY(!QFile::exists(cnv + ".___"));
  }
}

void MainWindowSettingsTest::MaximisedWindowKeepsItsPanesOverRestarts() {
  ScopedConfigDir config;
  const QString path = config.path() + "/NR284.ini";
  WriteFile(path, "[Window]\r\nTop=60\r\nLeft=80\r\nHeight=480\r\nWidth=640\r\nSplit1=180\r\nSplit2=245\r\n"
                  "Maximized=1\r\n");
  auto stored = [&](const char* key) { return IniFile::Load(path.toStdString()).ReadInteger("Window", key, -1); };
  auto panes = [](TFormMain& window) {
    return QPoint(Child<QWidget>(window, "PanelUL")->width(), Child<QWidget>(window, "PanelU")->height());
  };
  // One start of the program: maximised as it closed, `move` then moves the
  // splitters (or not), and it closes maximised.
  QPoint shown;
  auto start = [&](const std::function<void(TFormMain&)>& move) {
    shown = QPoint(-1, -1);
    TFormMain window;
    ShowAndSettle(window);
    QTRY_VERIFY(window.isMaximized());
    QVERIFY(window.width() > 640 && window.height() > 480);  // really larger than the normal window
    QVERIFY(QTest::qWaitFor([&] { return window.SyncRequest() != -1 && !window.IsBusy(); }, 10000));
    shown = panes(window);
    if (move) move(window);
    QCoreApplication::processEvents();
    QVERIFY(window.close());
  };
  // Restart after restart the maximised window shows and stores the same.
  for (int restart = 0; restart < 4; ++restart) {
    start(nullptr);
    QCOMPARE(shown, QPoint(180, 245));
    for (const auto& [key, value] : {std::pair{"Split1", 180}, {"Split2", 245}, {"Width", 640}, {"Height", 480},
                                      {"Left", 80}, {"Top", 60}, {"Maximized", 1}})
      QCOMPARE(stored(key), value);
  }
  // Panes moved in the maximised window are stored as the normal window
  // shows them: as they are when they fit it, else as large as it allows;
  // from there on they stay.
  struct Case {
    QPoint moved;
    QPoint stored;
  };
  for (const Case& c : {Case{{300, 250}, {300, 250}}, Case{{620, 400}, {640 - 150, 480 - 200}}}) {
    start([&](TFormMain& window) {
      auto* files = Child<QSplitter>(window, "SplitterFile");
      files->setSizes({c.moved.x(), files->width() - c.moved.x()});
      auto* upDown = Child<QSplitter>(window, "SplitterUD");
      upDown->setSizes({c.moved.y(), upDown->height() - c.moved.y()});
      QCoreApplication::processEvents();
      QCOMPARE(panes(window), c.moved);
    });
    QCOMPARE(QPoint(stored("Split1"), stored("Split2")), c.stored);
    start(nullptr);
    QCOMPARE(shown, c.stored);
    QCOMPARE(QPoint(stored("Split1"), stored("Split2")), c.stored);
  }
  // Restored to its normal geometry, the window shows the stored panes.
  TFormMain window;
  ShowAndSettle(window);
  QTRY_VERIFY(window.isMaximized());
  window.showNormal();
  QTRY_COMPARE(window.size(), QSize(640, 480));
  QCoreApplication::processEvents();
  QCOMPARE(panes(window), QPoint(640 - 150, 480 - 200));
}

// A rename a crash cut short whose old and new names are both taken since
// cannot be finished: the window lists it in its failure list instead of
// passing over it.
void MainWindowSettingsTest::RecoveriesThatFailAreListed() {
  ScopedConfigDir config;
  QTemporaryDir music;
  const QString temporary = music.path() + "/.hozanki-AbCd1234.ren";
  WriteFile(temporary, "content");
  WriteFile(music.path() + "/a.mp3", "a");
  WriteFile(music.path() + "/b.mp3", "b");
  WriteFile(config.path() + "/" + kRenameLogFileName,
            "hozanki rename log 1\n" + (temporary + "\t" + music.path() + "/a.mp3\t" + music.path() + "/b.mp3\n").toUtf8());
  TFormMain window;
  ShowAndSettle(window);
  TFormSaveErrors* list = nullptr;
  QTRY_VERIFY((list = window.findChild<TFormSaveErrors*>()) != nullptr && list->isVisible());
  QCOMPARE(list->windowTitle(), QString::fromUtf8(kSaveErrorsTitle));
  QCOMPARE(list->ListFailures->topLevelItemCount(), 1);
  QCOMPARE(list->ListFailures->topLevelItem(0)->text(0), temporary);
  QVERIFY(!list->LabelSummary->text().isEmpty());
  QVERIFY(QFile::exists(temporary));  // left alone
}

QTEST_MAIN(MainWindowSettingsTest)
#include "test_main_window_settings.moc"
