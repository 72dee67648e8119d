// Opening folders in the main window: the lists after a plain, recursive and
// path-list load, the folder tree and drive box, the busy state and cancel,
// reloading, path lists handed over by a later start or dropped on the
// window. Works on temporary copies of the fixtures.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>
#include <chrono>
#include <fstream>
#include <thread>

#include "GuiTestSupport.h"
#include "core/catalogue/MediaReader.h"
#include "gui/app/FileListController.h"
#include "gui/app/FormMain.h"
#include "gui/app/StartUp.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/catalogue/FileDragOut.h"
#include "gui/catalogue/FolderTree.h"
#include "gui/catalogue/SingleInstance.h"

using namespace hozanki;
namespace fs = std::filesystem;

namespace {

using guitest::Child;

void Copy(const char* fixture, const fs::path& to) {
  fs::create_directories(to.parent_path());
  fs::copy_file(fs::path(HOZANKI_TEST_DATA) / fixture, to, fs::copy_options::overwrite_existing);
}

QString Text(const fs::path& path) {
  return QString::fromStdString(path.string());
}

// The core readers, slowed down so that a load lasts while the test looks.
MediaReaders SlowReaders(int ms) {
  MediaReaders readers = DefaultMediaReaders();
  auto read = readers.read;
  auto reread = readers.reread;
  readers.read = [read, ms](const fs::path& folder, const fs::path& relative) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return read(folder, relative);
  };
  readers.reread = [reread, ms](const fs::path& folder, MediaFileEntry& entry) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return reread(folder, entry);
  };
  return readers;
}

void WaitIdle(TFormMain& window) {
  QTRY_VERIFY_WITH_TIMEOUT(window.SyncRequest() != -1 && !window.IsBusy(), 20000);
}

QStringList Column(QAbstractItemModel* model, int column) {
  QStringList texts;
  for (int row = 0; row < model->rowCount(); ++row) texts << model->index(row, column).data().toString();
  return texts;
}

bool MenusEnabled(TFormMain& window) {
  for (const char* name : {"MenuFile", "MenuEdit", "MenuOption", "MenuHelp"})
    if (!Child<QMenu>(window, name)->menuAction()->isEnabled()) return false;
  return true;
}

}  // namespace

class FolderLoadingTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup() { config_.reset(); }
  void PlainLoadListsEachFormatOnItsPage();
  void OnlyWavFilesMarkAndActivateTheWavPage();
  void TreeDoubleClickOpensAFolderAndShiftLoadsSubfolders();
  void DriveBoxOpensAnotherRootButNotTheCurrentOne();
  void BusyStateRefusesCloseAndCancelKeepsTheRowsRead();
  void ReloadShowsNewTimeStampsAndKeepsRowsOfMissingFiles();
  void ReloadOfChangedRowsOnly();
  void PathListLoadsExactlyItsFilesEvenOutsideTheFolder();
  void CommandLinePathsAreOpenedAtTheFirstIdleMoment();
  void HandOverWhileBusyRunsWhenIdle();
  void DropsOpenAsPathListsButNotOurOwnDrags();

 private:
  fs::path Root() const { return fs::path(temp_->path().toStdString()); }
  std::unique_ptr<ScopedConfigDir> config_;
  std::unique_ptr<QTemporaryDir> temp_;
};

void FolderLoadingTest::init() {
  config_ = std::make_unique<ScopedConfigDir>();
  temp_ = std::make_unique<QTemporaryDir>();
  // The remembered folder is empty: the first idle moment loads nothing.
  QVERIFY(QDir().mkpath(temp_->path() + "/empty"));
  QFile ini(config_->path() + "/NR284.ini");
  QVERIFY(ini.open(QIODevice::WriteOnly));
  ini.write("[Window]\r\nDir=" + temp_->path().toLocal8Bit() + "/empty\r\n");
}

void FolderLoadingTest::PlainLoadListsEachFormatOnItsPage() {
  const fs::path music = Root() / "Music";
  Copy("mp3/sjis_id3v2.mp3", music / "b_sjis.mp3");
  Copy("mp3/utf8_id3v24.mp3", music / "A_utf8.mp3");
  Copy("mp3/not_mpeg.mp3", music / "c_not_mpeg.mp3");
  Copy("wav/cp932_info.wav", music / "voice.wav");
  Copy("avi/tagged.avi", music / "clip.avi");
  Copy("vqf/tagged.vqf", music / "t.vqf");
  Copy("wma/tagged.wma", music / "t.wma");
  Copy("ogg/tagged.ogg", music / "t.ogg");
  Copy("ape/tagged.ape", music / "t.ape");
  Copy("ogg/tagged.opus", music / "t.opus");
  Copy("ape/tagged.tak", music / "t.tak");
  Copy("mp4/tagged.m4a", music / "t.m4a");
  Copy("mp3/plain.mp3", music / "Zsub/inner.mp3");
  Copy("mp3/plain.mp3", music / "asub/inner.mp3");
  std::ofstream(music / "notes.txt") << "not media";

  TFormMain window;
  window.show();
  WaitIdle(window);
  window.Session().OpenFolder(LoadRequest{music, false, std::nullopt});
  WaitIdle(window);

  // What the core reader makes of each file is what the lists show, each
  // format on its own page, in listing order (letter case ignored).
  std::array<QStringList, kFormatCount> expected;
  for (const char* name : {"A_utf8.mp3", "b_sjis.mp3", "c_not_mpeg.mp3", "clip.avi", "notes.txt", "t.ape",
                           "t.m4a", "t.ogg", "t.opus", "t.tak", "t.vqf", "t.wma", "voice.wav"}) {
    std::optional<MediaFileEntry> entry = ReadMediaFile(music, name);
    if (!entry) continue;
    const int f = static_cast<int>(entry->format);
    expected[static_cast<size_t>(f)] << QString::fromLatin1(name);
    QAbstractItemModel* files = window.FileList(f)->model();
    const int row = static_cast<int>(expected[static_cast<size_t>(f)].size()) - 1;
    for (size_t c = 0; c < entry->file.cells.size(); ++c)
      QCOMPARE(files->index(row, static_cast<int>(c) + 1).data().toString(),
               QString::fromStdString(entry->file.cells[c].text));
    const std::span<const TagKind> kinds = TagKindsOf(entry->format);
    for (size_t k = 0; k < kinds.size(); ++k) {
      QAbstractItemModel* tags = window.TagTable(static_cast<int>(kinds[k]))->model();
      for (size_t c = 0; c < entry->tags[k].cells.size(); ++c)
        QCOMPARE(tags->index(row, static_cast<int>(c) + 1).data().toString(),
                 QString::fromStdString(entry->tags[k].cells[c].text));
    }
  }
  QVERIFY(!expected[0].contains("c_not_mpeg.mp3"));
  QCOMPARE(expected[0], QStringList({"A_utf8.mp3", "b_sjis.mp3"}));
  auto* pages = Child<QTabWidget>(window, "PageControlF");
  for (int f = 0; f < kFormatCount; ++f) {
    QCOMPARE(Column(window.FileList(f)->model(), 1), expected[static_cast<size_t>(f)]);
    const QString caption = QString::fromStdString(std::string(FormatName(static_cast<MediaFormat>(f))));
    QCOMPARE(pages->tabText(f), expected[static_cast<size_t>(f)].isEmpty() ? caption : caption + " *");
  }
  QCOMPARE(pages->currentIndex(), 0);
  // A Japanese ID3v2 title came through.
  bool japanese = false;
  for (const QString& text : Column(window.TagTable(1)->model(), 3))
    for (QChar c : text) japanese |= c.unicode() >= 0x3040;
  QVERIFY(japanese);

  auto* bar = Child<StatusBarPanels>(window, "StatusBar");
  QCOMPARE(bar->PanelText(0), Text(music));
  QCOMPARE(bar->PanelText(1), QStringLiteral("0 / 2"));
  QCOMPARE(bar->PanelText(2), QStringLiteral("タグ編集"));

  // The tree: "/", one chain node per component, the subfolders sorted.
  auto* tree = Child<QTreeView>(window, "DirectoryTreeView");
  QVERIFY(!tree->itemsExpandable());
  const QModelIndex current = tree->currentIndex();
  QCOMPARE(current.data().toString(), QStringLiteral("Music"));
  QCOMPARE(FolderOfNode(current), music);
  QCOMPARE(tree->model()->rowCount(current), 2);
  QCOMPARE(tree->model()->index(0, 0, current).data().toString(), QStringLiteral("asub"));
  QCOMPARE(tree->model()->index(1, 0, current).data().toString(), QStringLiteral("Zsub"));
  QModelIndex up = current;
  QStringList chain;
  while (up.isValid()) {
    QVERIFY(tree->isExpanded(up));
    QCOMPARE(tree->model()->rowCount(up.parent()), 1);
    chain.prepend(up.data().toString());
    up = up.parent();
  }
  QCOMPARE(chain.first(), QStringLiteral("/"));
  QCOMPARE(chain.join('/').mid(1), Text(music));
  QVERIFY(Child<QComboBox>(window, "DriveComboBox")->currentIndex() >= 0);
}

void FolderLoadingTest::OnlyWavFilesMarkAndActivateTheWavPage() {
  const fs::path folder = Root() / "Wav";
  Copy("wav/tagged.wav", folder / "one.wav");
  Copy("wav/plain.wav", folder / "two.wav");
  TFormMain window;
  window.show();
  WaitIdle(window);
  auto* filePages = Child<QTabWidget>(window, "PageControlF");
  auto* tagPages = Child<QTabWidget>(window, "PageControlT");
  filePages->setCurrentIndex(0);
  window.Session().OpenFolder(LoadRequest{folder, false, std::nullopt});
  WaitIdle(window);
  QCOMPARE(filePages->tabText(1), QStringLiteral("WAV *"));
  QCOMPARE(filePages->tabText(0), QStringLiteral("MP3"));
  QCOMPARE(filePages->currentIndex(), 1);
  QCOMPARE(tagPages->currentIndex(), 4);  // PageControlFChange ran
  QCOMPARE(Child<StatusBarPanels>(window, "StatusBar")->PanelText(1), QStringLiteral("0 / 2"));
  // The next load starts from empty lists and unmarked tabs.
  window.Session().OpenFolder(LoadRequest{Root() / "empty", false, std::nullopt});
  QCOMPARE(filePages->tabText(1), QStringLiteral("WAV"));
  QCOMPARE(window.CatalogueData().TotalCount(), 0);
  WaitIdle(window);
}

void FolderLoadingTest::TreeDoubleClickOpensAFolderAndShiftLoadsSubfolders() {
  const fs::path top = Root() / "Top";
  Copy("mp3/plain.mp3", top / "top.mp3");
  Copy("mp3/utf8_id3v24.mp3", top / "A" / "B" / "deep.mp3");
  Copy("mp3/sjis_id3v2.mp3", top / "A" / "mid.mp3");
  Copy("wav/tagged.wav", top / "C" / "c.wav");
  TFormMain window;
  window.show();
  WaitIdle(window);
  window.Session().OpenFolder(LoadRequest{top, false, std::nullopt});
  WaitIdle(window);
  QCOMPARE(window.CatalogueData().TotalCount(), 1);

  auto* tree = Child<QTreeView>(window, "DirectoryTreeView");
  auto click = [&](const QModelIndex& index, Qt::KeyboardModifiers modifiers) {
    tree->scrollTo(index);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, modifiers, tree->visualRect(index).center());
  };
  // Shift + double click on the current node: its files, then each subfolder's.
  click(tree->currentIndex(), Qt::ShiftModifier);
  WaitIdle(window);
  QCOMPARE(Column(window.FileList(0)->model(), 1), QStringList({"top.mp3", "mid.mp3", "deep.mp3"}));
  QCOMPARE(Column(window.TagTable(1)->model(), 1), QStringList({"top.mp3", "A/mid.mp3", "A/B/deep.mp3"}));
  QCOMPARE(Column(window.TagTable(4)->model(), 1), QStringList({"C/c.wav"}));

  // A double click on a subfolder opens it alone and rebuilds the tree.
  QModelIndex a;
  for (int row = 0; row < tree->model()->rowCount(tree->currentIndex()); ++row)
    if (tree->model()->index(row, 0, tree->currentIndex()).data().toString() == "A")
      a = tree->model()->index(row, 0, tree->currentIndex());
  QVERIFY(a.isValid());
  click(a, Qt::NoModifier);
  WaitIdle(window);
  QCOMPARE(window.CurrentFolder(), top / "A");
  QCOMPARE(Column(window.TagTable(1)->model(), 1), QStringList({"mid.mp3"}));
  QCOMPARE(tree->currentIndex().data().toString(), QStringLiteral("A"));
  QCOMPARE(tree->currentIndex().parent().data().toString(), QStringLiteral("Top"));
  QCOMPARE(tree->model()->rowCount(tree->currentIndex()), 1);
  // Reading the selected rows' full paths back (what a drag out carries).
  window.FileList(0)->selectAll();
  QCOMPARE(window.FileLists().SelectedFullPaths(0), std::vector<fs::path>({top / "A" / "mid.mp3"}));
}

void FolderLoadingTest::DriveBoxOpensAnotherRootButNotTheCurrentOne() {
  const fs::path folder = Root() / "Drive";
  Copy("mp3/plain.mp3", folder / "x.mp3");
  TFormMain window;
  window.show();
  WaitIdle(window);
  window.Session().OpenFolder(LoadRequest{folder, false, std::nullopt});
  WaitIdle(window);
  auto* box = Child<QComboBox>(window, "DriveComboBox");
  const int current = box->currentIndex();
  QVERIFY(current >= 0);
  emit box->activated(current);
  QVERIFY(!window.IsBusy());
  QCOMPARE(window.CurrentFolder(), folder);
  QCOMPARE(window.CatalogueData().TotalCount(), 1);
  if (box->count() < 2) QSKIP("only one mounted file system");
  const int other = current == 0 ? 1 : 0;
  emit box->activated(other);
  QVERIFY(window.IsBusy());
  WaitIdle(window);
  QCOMPARE(Text(window.CurrentFolder()) + (window.CurrentFolder() == "/" ? "" : "/"),
           QString::fromUtf8(box->itemData(other, Qt::UserRole + 1).toByteArray()) +
               (box->itemData(other, Qt::UserRole + 1).toByteArray().endsWith('/') ? "" : "/"));
  QCOMPARE(box->currentIndex(), other);
}

void FolderLoadingTest::BusyStateRefusesCloseAndCancelKeepsTheRowsRead() {
  const fs::path folder = Root() / "Many";
  for (int i = 0; i < 40; ++i)
    Copy("mp3/plain.mp3", folder / QString("s%1.mp3").arg(i, 2, 10, QChar('0')).toStdString());
  TFormMain window;
  window.show();
  WaitIdle(window);
  auto* fileSave = Child<QAction>(window, "MenuFileSave");
  const bool saveEnabled = fileSave->isEnabled();
  window.Session().SetMediaReaders(SlowReaders(60));
  window.Session().OpenFolder(LoadRequest{folder, false, std::nullopt});

  auto* cancel = Child<QAction>(window, "MenuCancel");
  auto* bar = Child<StatusBarPanels>(window, "StatusBar");
  QVERIFY(window.IsBusy());
  QVERIFY(cancel->isVisible() && cancel->isEnabled());
  QCOMPARE(cancel->data().toInt(), 2);
  QVERIFY(!MenusEnabled(window));
  QVERIFY(!Child<QAction>(window, "MenuFileModeR")->isEnabled());  // F5 does nothing now
  QVERIFY(!Child<QWidget>(window, "PanelU")->isEnabled());
  QVERIFY(!Child<QWidget>(window, "PageControlT")->isEnabled());
  QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
  QCOMPARE(bar->PanelText(2), QStringLiteral("ロード"));
  QVERIFY(!window.close());
  // One worker at a time: neither a reload nor another load starts.
  window.Session().StartReload(false);
  window.Session().OpenFolder(LoadRequest{Root() / "empty", false, std::nullopt});
  QCOMPARE(cancel->data().toInt(), 2);
  QCOMPARE(window.CurrentFolder(), folder);
  // The running count moves and rows arrive while the GUI thread is free.
  QTRY_VERIFY(window.CatalogueData().RowCount(MediaFormat::MP3) >= 2);
  QVERIFY(bar->PanelText(1).toInt() >= 2);

  cancel->trigger();
  QVERIFY(!cancel->isEnabled());
  WaitIdle(window);
  const int kept = window.CatalogueData().RowCount(MediaFormat::MP3);
  QVERIFY2(kept >= 2 && kept < 40, qPrintable(QString::number(kept)));
  // The rows read before the cancel are the first ones in listing order.
  QCOMPARE(Column(window.FileList(0)->model(), 1).first(), QStringLiteral("s00.mp3"));
  QCOMPARE(Column(window.FileList(0)->model(), 1).last(),
           QStringLiteral("s%1.mp3").arg(kept - 1, 2, 10, QChar('0')));
  QVERIFY(MenusEnabled(window));
  QCOMPARE(fileSave->isEnabled(), saveEnabled);
  QVERIFY(Child<QAction>(window, "MenuFileModeR")->isEnabled());
  QVERIFY(!cancel->isVisible());
  QVERIFY(Child<QWidget>(window, "PanelU")->isEnabled());
  QVERIFY(Child<QWidget>(window, "PageControlT")->isEnabled());
  QVERIFY(!QApplication::overrideCursor());
  QCOMPARE(bar->PanelText(1), QStringLiteral("0 / %1").arg(kept));
  QCOMPARE(bar->PanelText(2), QStringLiteral("タグ編集"));
  QVERIFY(window.close());
}

void FolderLoadingTest::ReloadShowsNewTimeStampsAndKeepsRowsOfMissingFiles() {
  const fs::path folder = Root() / "Reload";
  Copy("mp3/plain.mp3", folder / "a.mp3");
  Copy("mp3/utf8_id3v24.mp3", folder / "b.mp3");
  Copy("wav/tagged.wav", folder / "c.wav");
  TFormMain window;
  window.show();
  WaitIdle(window);
  window.Session().OpenFolder(LoadRequest{folder, false, std::nullopt});
  WaitIdle(window);
  QAbstractItemModel* mp3 = window.FileList(0)->model();
  QAbstractItemModel* wav = window.FileList(1)->model();
  const QString wavTitle = window.TagTable(4)->model()->index(0, 2).data().toString();
  const QString oldB = mp3->index(1, 3).data().toString();

  // a.mp3 gets another time stamp, b.mp3 goes away, c.wav now holds MP3 bytes.
  const auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  fs::last_write_time(folder / "a.mp3", stamp);
  fs::remove(folder / "b.mp3");
  Copy("mp3/plain.mp3", folder / "c.wav");
  QVERIFY(mp3->index(0, 3).data().toString() !=
          QString::fromStdString(TimeStampText(std::chrono::duration_cast<std::chrono::seconds>(
                                                   std::chrono::file_clock::to_sys(stamp).time_since_epoch())
                                                   .count())));

  window.Session().SetMediaReaders(SlowReaders(30));
  Child<QAction>(window, "MenuFileReload")->trigger();
  QVERIFY(window.IsBusy());
  QCOMPARE(Child<QAction>(window, "MenuCancel")->data().toInt(), 3);
  QCOMPARE(Child<StatusBarPanels>(window, "StatusBar")->PanelText(2), QStringLiteral("リロード"));
  WaitIdle(window);
  const int64_t seconds = std::chrono::duration_cast<std::chrono::seconds>(
                              std::chrono::file_clock::to_sys(stamp).time_since_epoch())
                              .count();
  QCOMPARE(mp3->index(0, 3).data().toString(), QString::fromStdString(TimeStampText(seconds)));
  QCOMPARE(mp3->rowCount(), 2);  // the missing file keeps its row as it was
  QCOMPARE(mp3->index(1, 1).data().toString(), QStringLiteral("b.mp3"));
  QCOMPARE(mp3->index(1, 3).data().toString(), oldB);
  QCOMPARE(wav->rowCount(), 1);  // now another format: the row is left alone
  QCOMPARE(window.TagTable(4)->model()->index(0, 2).data().toString(), wavTitle);
  QCOMPARE(Child<StatusBarPanels>(window, "StatusBar")->PanelText(1), QStringLiteral("0 / 2"));
  QCOMPARE(Child<StatusBarPanels>(window, "StatusBar")->PanelText(2), QStringLiteral("タグ編集"));
}

void FolderLoadingTest::ReloadOfChangedRowsOnly() {
  const fs::path folder = Root() / "Changed";
  Copy("mp3/utf8_id3v24.mp3", folder / "a.mp3");
  Copy("mp3/utf8_id3v24.mp3", folder / "b.mp3");
  TFormMain window;
  window.show();
  WaitIdle(window);
  window.Session().OpenFolder(LoadRequest{folder, false, std::nullopt});
  WaitIdle(window);
  Catalogue& catalogue = window.CatalogueData();
  catalogue.EditRow(MediaFormat::MP3, 1, [](MediaFileEntry& e) {
    e.tags[1].image = kChangedMark;
    e.tags[1].cells[2] = {"staged title", 1};
  });
  catalogue.EditRow(MediaFormat::MP3, 0, [](MediaFileEntry& e) {
    e.tags[1].cells[2] = {"unmarked edit", 1};
  });
  window.Session().StartReload(true);
  WaitIdle(window);
  // Only the marked row is read again and loses its marks.
  QCOMPARE(catalogue.Entries(MediaFormat::MP3)[1].tags[1].image, kNoMark);
  QCOMPARE(catalogue.Entries(MediaFormat::MP3)[1].tags[1].cells[2].text,
           ReadMediaFile(folder, "b.mp3")->tags[1].cells[2].text);
  QCOMPARE(catalogue.Entries(MediaFormat::MP3)[1].tags[1].cells[2].value, 0);
  QCOMPARE(catalogue.Entries(MediaFormat::MP3)[0].tags[1].cells[2].text, std::string("unmarked edit"));
  // Given rows (the re-read after a save) are read again whatever their marks.
  window.Session().StartReload(std::vector<ReloadItem>{{MediaFormat::MP3, 0, catalogue.Entries(MediaFormat::MP3)[0]}});
  QCOMPARE(Child<QAction>(window, "MenuCancel")->data().toInt(), 3);
  WaitIdle(window);
  QCOMPARE(catalogue.Entries(MediaFormat::MP3)[0].tags[1].cells[2].text,
           ReadMediaFile(folder, "a.mp3")->tags[1].cells[2].text);
}

void FolderLoadingTest::PathListLoadsExactlyItsFilesEvenOutsideTheFolder() {
  const fs::path folder = Root() / "List";
  Copy("mp3/plain.mp3", folder / "one.mp3");
  Copy("mp3/utf8_id3v24.mp3", folder / "two.mp3");
  Copy("mp3/sjis_id3v2.mp3", folder / "not_listed.mp3");
  Copy("wav/tagged.wav", Root() / "Other" / "x.wav");
  fs::create_directories(folder / "Sub");
  TFormMain window;
  window.show();
  WaitIdle(window);
  window.Session().OpenPathList({folder / "two.mp3", folder / "Sub", folder / "missing.mp3", Root() / "Other" / "x.wav",
                       folder / "one.mp3", folder / "two.mp3"});
  WaitIdle(window);
  QCOMPARE(window.CurrentFolder(), folder);
  QCOMPARE(Column(window.FileList(0)->model(), 1), QStringList({"two.mp3", "one.mp3"}));
  // Outside the folder: addressed relative to it.
  QCOMPARE(Column(window.TagTable(4)->model(), 1), QStringList({"../Other/x.wav"}));
  window.FileList(1)->selectAll();
  QCOMPARE(window.FileLists().SelectedFullPaths(1), std::vector<fs::path>({Root() / "Other" / "x.wav"}));
  // A list whose first folder does not exist changes nothing.
  window.Session().OpenPathList({Root() / "gone" / "a.mp3", folder / "one.mp3"});
  QVERIFY(!window.IsBusy());
  QCOMPARE(window.CurrentFolder(), folder);
  // A folder first opens that folder itself, listed as a double click would.
  Copy("mp3/plain.mp3", folder / "Sub" / "s.mp3");
  window.Session().OpenPathList({folder / "Sub", folder / "one.mp3"});
  WaitIdle(window);
  QCOMPARE(window.CurrentFolder(), folder / "Sub");
  QCOMPARE(Column(window.FileList(0)->model(), 1), QStringList({"s.mp3"}));
}

void FolderLoadingTest::CommandLinePathsAreOpenedAtTheFirstIdleMoment() {
  const fs::path folder = Root() / "Args";
  Copy("mp3/plain.mp3", folder / "a.mp3");
  Copy("mp3/utf8_id3v24.mp3", folder / "b.mp3");
  Copy("mp3/sjis_id3v2.mp3", folder / "c.mp3");
  TFormMain window({folder / "c.mp3", folder / "a.mp3"});
  QCOMPARE(window.CatalogueData().TotalCount(), 0);  // not before the first idle moment
  window.show();
  WaitIdle(window);
  QCOMPARE(window.CurrentFolder(), folder);
  QCOMPARE(Column(window.FileList(0)->model(), 1), QStringList({"c.mp3", "a.mp3"}));
  QCOMPARE(Child<StatusBarPanels>(window, "StatusBar")->PanelText(0), Text(folder));
}

void FolderLoadingTest::HandOverWhileBusyRunsWhenIdle() {
  const fs::path slow = Root() / "Slow";
  for (int i = 0; i < 12; ++i) Copy("mp3/plain.mp3", slow / ("s" + std::to_string(i) + ".mp3"));
  const fs::path handed = Root() / "Handed";
  Copy("mp3/utf8_id3v24.mp3", handed / "h1.mp3");
  Copy("mp3/plain.mp3", handed / "h2.mp3");
  TFormMain window;
  window.show();
  WaitIdle(window);
  SingleInstance instance(QStringLiteral("hozanki-test-%1").arg(QCoreApplication::applicationPid()));
  QVERIFY(!instance.HandOffOrListen({}));
  AcceptHandOvers(instance, window);

  window.Session().SetMediaReaders(SlowReaders(80));
  window.Session().OpenFolder(LoadRequest{slow, false, std::nullopt});
  QVERIFY(window.IsBusy());
  // A later start hands its paths over while the load runs (it waits for the
  // answer, so it runs on a thread of its own here).
  bool delivered = false;
  std::thread second([&] {
    delivered = SingleInstance::SendPathList(
        QStringLiteral("hozanki-test-%1").arg(QCoreApplication::applicationPid()),
        {handed / "h2.mp3", handed / "h1.mp3"});
  });
  QTRY_VERIFY(window.Session().HasPendingPathList());
  second.join();
  QVERIFY(delivered);
  QCOMPARE(window.CurrentFolder(), slow);  // no second loader
  QTRY_VERIFY_WITH_TIMEOUT(window.CurrentFolder() == handed, 20000);
  WaitIdle(window);
  QVERIFY(!window.Session().HasPendingPathList());
  QCOMPARE(Column(window.FileList(0)->model(), 1), QStringList({"h2.mp3", "h1.mp3"}));
}

void FolderLoadingTest::DropsOpenAsPathListsButNotOurOwnDrags() {
  const fs::path folder = Root() / "Drop";
  Copy("mp3/plain.mp3", folder / "d1.mp3");
  Copy("ogg/tagged.ogg", folder / "d2.ogg");
  TFormMain window;
  window.show();
  WaitIdle(window);

  auto dragEnter = [&](QMimeData& data) {
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    return enter.isAccepted();
  };
  // A drag out of our own lists is refused by the own window.
  std::unique_ptr<QMimeData> own(MakeFileDragMimeData({folder / "d1.mp3"}));
  QVERIFY(!dragEnter(*own));

  QMimeData foreign;
  foreign.setUrls(
      {QUrl::fromLocalFile(Text(folder / "d2.ogg")), QUrl::fromLocalFile(Text(folder / "d1.mp3"))});
  QVERIFY(dragEnter(foreign));
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &foreign, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &drop);
  QVERIFY(drop.isAccepted());
  QVERIFY(window.IsBusy());
  // While a load runs, drops are refused.
  QVERIFY(!dragEnter(foreign));
  WaitIdle(window);
  QCOMPARE(window.CurrentFolder(), folder);
  QCOMPARE(Column(window.FileList(0)->model(), 1), QStringList({"d1.mp3"}));
  QCOMPARE(Column(window.FileList(5)->model(), 1), QStringList({"d2.ogg"}));
  QCOMPARE(Child<QTabWidget>(window, "PageControlF")->currentIndex(), 0);
}

QTEST_MAIN(FolderLoadingTest)
#include "test_folder_loading.moc"
