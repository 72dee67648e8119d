// FileLoad / FileReload on their own threads: batches reach the GUI thread in
// listing order, Finished comes last (also after a cancel), and a cancel
// takes effect while the GUI thread stays free.

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

#include "GuiTestSupport.h"
#include "core/catalogue/DriveList.h"
#include "gui/catalogue/DriveBox.h"
#include "gui/catalogue/FileLoadWorker.h"
#include "gui/catalogue/FolderTree.h"

using namespace hozanki;
namespace fs = std::filesystem;

namespace {

// Files named NNN.mp3 hold their reading delay in milliseconds.
MediaReaders SlowReaders() {
  auto read = [](const fs::path& folder, const fs::path& relative) -> std::optional<MediaFileEntry> {
    int delay = 0;
    std::ifstream(folder / relative) >> delay;
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    MediaFileEntry e;
    e.relativePath = relative;
    e.file.cells = {{relative.native()}};
    e.tags.resize(4);
    return e;
  };
  auto reread = [read](const fs::path& folder, MediaFileEntry& entry) {
    std::optional<MediaFileEntry> fresh = read(folder, entry.relativePath);
    if (fresh) entry = *fresh;
    return fresh.has_value();
  };
  return MediaReaders{read, reread};
}

fs::path MakeFolder(const QTemporaryDir& dir, int files, int delay) {
  fs::path root = dir.path().toStdString();
  for (int i = 0; i < files; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%03d.mp3", i);
    std::ofstream(root / name) << (i == 0 ? delay * 5 : delay);
  }
  return root;
}

}  // namespace

class TestLoadWorkers : public QObject {
  Q_OBJECT
 private slots:
  void batchesArriveOnTheGuiThreadInOrderAndFinishedComesLast() {
    QTemporaryDir dir;
    fs::path root = MakeFolder(dir, 30, 2);
    FileLoadWorker worker(LoadRequest{root, false, std::nullopt}, SlowReaders());
    worker.Engine().SetBatchLimits(4, std::chrono::milliseconds(5));
    std::vector<std::string> rows;
    QStringList events;
    qulonglong lastCount = 0;
    connect(&worker, &FileLoadWorker::BatchReady, this, [&](LoadBatchPtr batch) {
      QCOMPARE(QThread::currentThread(), qApp->thread());
      for (const MediaFileEntry& e : batch->entries) rows.push_back(e.relativePath.native());
      events << QStringLiteral("batch");
    });
    connect(&worker, &FileLoadWorker::CountChanged, this, [&](qulonglong count) {
      QVERIFY(count >= lastCount);
      lastCount = count;
    });
    QSignalSpy finished(&worker, &FileLoadWorker::Finished);
    connect(&worker, &FileLoadWorker::Finished, this, [&] { events << QStringLiteral("finished"); });
    worker.Start();
    QVERIFY(finished.wait(10000));
    QCOMPARE(rows.size(), size_t(30));
    for (size_t i = 0; i < rows.size(); ++i)
      QCOMPARE(rows[i], QStringLiteral("%1.mp3").arg(i, 3, 10, QLatin1Char('0')).toStdString());
    QVERIFY(events.size() > 2);
    QCOMPARE(events.last(), QStringLiteral("finished"));
    QCOMPARE(finished.first().at(0).toBool(), false);
    QCOMPARE(finished.first().at(1).toULongLong(), 30ull);
    QCOMPARE(lastCount, 30ull);
  }

  void cancelTakesEffectBetweenFilesWhileTheGuiThreadRuns() {
    QTemporaryDir dir;
    fs::path root = MakeFolder(dir, 400, 10);
    FileLoadWorker worker(LoadRequest{root, false, std::nullopt}, SlowReaders());
    QSignalSpy finished(&worker, &FileLoadWorker::Finished);
    QSignalSpy batches(&worker, &FileLoadWorker::BatchReady);
    worker.Start();
    QVERIFY(worker.IsRunning());
    QTest::qWait(150);  // the event loop keeps running meanwhile
    QElapsedTimer timer;
    timer.start();
    worker.Cancel();
    QVERIFY(finished.wait(5000));
    qInfo("cancel took effect after %lld ms", static_cast<long long>(timer.elapsed()));
    QCOMPARE(finished.first().at(0).toBool(), true);
    const qulonglong count = finished.first().at(1).toULongLong();
    QVERIFY(count > 0 && count < 400);
    size_t delivered = 0;
    for (const QList<QVariant>& args : batches) delivered += args.at(0).value<LoadBatchPtr>()->entries.size();
    QCOMPARE(delivered, size_t(count));
  }

  void reloadDeliversRowsReadAgain() {
    QTemporaryDir dir;
    fs::path root = MakeFolder(dir, 3, 1);
    std::vector<ReloadItem> items;
    for (size_t row = 0; row < 3; ++row) {
      MediaFileEntry e;
      e.relativePath = QStringLiteral("%1.mp3").arg(row, 3, 10, QLatin1Char('0')).toStdString();
      e.file.cells = {{"old"}};
      items.push_back(ReloadItem{MediaFormat::MP3, row, e});
    }
    fs::remove(root / "001.mp3");
    FileReloadWorker worker(root, items, SlowReaders());
    std::vector<size_t> rows;
    connect(&worker, &FileReloadWorker::BatchReady, this, [&](ReloadBatchPtr batch) {
      for (const ReloadItem& item : batch->items) {
        rows.push_back(item.row);
        QCOMPARE(item.entry.file.cells[0].text, item.entry.relativePath.native());
      }
    });
    QSignalSpy finished(&worker, &FileReloadWorker::Finished);
    worker.Start();
    QVERIFY(finished.wait(5000));
    QCOMPARE(rows, (std::vector<size_t>{0, 2}));
    QCOMPARE(finished.first().at(1).toULongLong(), 2ull);
  }

  void destroyingARunningWorkerCancelsAndWaits() {
    QTemporaryDir dir;
    fs::path root = MakeFolder(dir, 200, 10);
    // Every read counted: once the worker is gone, none runs any more.
    auto reads = std::make_shared<std::atomic<int>>(0);
    MediaReaders readers = SlowReaders();
    readers.read = [reads, read = readers.read](const fs::path& folder, const fs::path& relative) {
      ++*reads;
      return read(folder, relative);
    };
    auto worker = std::make_unique<FileLoadWorker>(LoadRequest{root, false, std::nullopt}, readers);
    worker->Start();
    QTest::qWait(30);
    worker.reset();
    const int readsAtEnd = reads->load();
    QVERIFY(readsAtEnd < 200);  // cancelled, not read to the end
    QTest::qWait(100);
    QCOMPARE(reads->load(), readsAtEnd);
  }

  void folderTreeHasRootChainAndSortedSubfolders() {
    QTemporaryDir dir;
    fs::path root = dir.path().toStdString();
    for (const char* name : {"beta", "Alpha", "gamma/inner"}) fs::create_directories(root / "cur" / name);
    QStandardItemModel model;
    QModelIndex current = BuildFolderTree(model, root / "cur");
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("/"));
    QCOMPARE(FolderOfNode(current), root / "cur");
    QCOMPARE(current.data(kFolderImageRole).toInt(), 0);
    QStringList children;
    for (int i = 0; i < model.rowCount(current); ++i) {
      QModelIndex child = model.index(i, 0, current);
      children << child.data().toString();
      QCOMPARE(child.data(kFolderImageRole).toInt(), 1);
      QCOMPARE(model.rowCount(child), 0);  // only one level below the current node
    }
    QCOMPARE(children, (QStringList{"Alpha", "beta", "gamma"}));
    QCOMPARE(FolderOfNode(model.index(0, 0, current)), root / "cur" / "Alpha");
    // Each chain node is the only child of the one before.
    int depth = 0;
    for (QModelIndex i = current; i.isValid(); i = i.parent()) {
      if (i.parent().isValid()) QCOMPARE(model.rowCount(i.parent()), 1);
      ++depth;
    }
    const fs::path folder = root / "cur";
    QCOMPARE(depth, static_cast<int>(std::distance(folder.begin(), folder.end())));
    // The root itself as the folder: its subfolders hang under "/".
    QModelIndex top = BuildFolderTree(model, "/");
    QCOMPARE(top, model.index(0, 0));
    QVERIFY(model.rowCount(top) > 0);
    QVERIFY(DirectoryTreeViewCompare(1, "abc", 1, "ABD") < 0);
    QVERIFY(DirectoryTreeViewCompare(0, "zzz", 1, "aaa") < 0);
  }

  void driveBoxSelectsTheCurrentDriveAndIgnoresChoosingIt() {
    QComboBox box;
    QSignalSpy changed(&box, &QComboBox::currentIndexChanged);
    FillDriveBox(box, "/usr/share");
    QCOMPARE(changed.count(), 0);  // filling never starts a load
    QVERIFY(box.count() >= 1);
    QVERIFY(box.currentIndex() >= 0);
    QVERIFY(!DriveToOpen(box, box.currentIndex(), "/usr/share").has_value());
    for (int i = 0; i < box.count(); ++i) {
      if (i == box.currentIndex()) continue;
      std::optional<fs::path> open = DriveToOpen(box, i, "/usr/share");
      QVERIFY(open.has_value());
      QVERIFY(open->is_absolute());
    }
  }
};

int main(int argc, char** argv) {
  ScopedConfigDir config;
  QApplication app(argc, argv);
  TestLoadWorkers test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_load_workers.moc"
