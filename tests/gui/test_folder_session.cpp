// FolderSession without the window: the busy states a load, a save and a
// reload go through and what may happen meanwhile, cancelling, the path list
// kept while busy, and the unsaved-changes question's three answers.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/app/FolderSession.h"

using namespace hozanki;
using namespace testsupport;

namespace {

using Step = std::pair<BusyState, BusyState>;  // now, before

// A session whose events are written into one log, in order.
struct Recorded {
  explicit Recorded(UnsavedAnswer answer = UnsavedAnswer::Cancel)
      : session(config.path().toStdString(), FolderSessionHost{[this] { ++editorsClosed; },
                                                               [this, answer] {
                                                                 ++asked;
                                                                 return answer;
                                                               }}) {
    QObject::connect(&session, &FolderSession::BusyChanged, &session,
                     [this](BusyState now, BusyState before) {
                       steps.emplace_back(now, before);
                       log << QStringLiteral("busy %1").arg(static_cast<int>(now));
                     });
    QObject::connect(&session, &FolderSession::FolderOpening, &session, [this](const fs::path& folder) {
      log << "opening " + QString::fromStdString(folder.string());
    });
    QObject::connect(&session, &FolderSession::RowsListed, &session,
                     [this] { log << QStringLiteral("listed"); });
    QObject::connect(&session, &FolderSession::WorkFinished, &session,
                     [this] { log << QStringLiteral("finished"); });
  }
  QTemporaryDir config;
  int editorsClosed = 0;
  int asked = 0;
  std::vector<Step> steps;
  QStringList log;
  FolderSession session;
};

// Readers that wait until released: the session stays busy meanwhile.
MediaReaders HeldReaders(std::shared_ptr<std::atomic<bool>> released) {
  auto read = [released](const fs::path& folder, const fs::path& relative) {
    while (!*released) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return ReadMediaFile(folder, relative);
  };
  auto reread = [released](const fs::path& folder, MediaFileEntry& entry) {
    while (!*released) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::optional<MediaFileEntry> fresh = ReadMediaFile(folder, entry.relativePath);
    if (fresh) entry = *fresh;
    return fresh.has_value();
  };
  return MediaReaders{read, reread};
}

void StageTitle(Catalogue& catalogue, const std::string& title) {
  QVERIFY(SetCellValue(
      catalogue, EditTarget::TagColumn(TagKind::MP3ID3v2, SubItemOf(TagKind::MP3ID3v2, "INAM")), 0, title));
}

std::string DiskTitle(const MediaFolder& folder, const std::string& name) {
  const MediaFileEntry entry = folder.Disk(name);
  if (entry.tags.empty()) return "<unreadable>";
  return TagOf(entry, TagKind::MP3ID3v2)
      .cells.at(static_cast<size_t>(SubItemOf(TagKind::MP3ID3v2, "INAM")))
      .text;
}

}  // namespace

class TestFolderSession : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

 private slots:
  void LoadGoesThroughLoadingAndListsEveryFormat();
  void RequestsWhileBusyAreIgnoredOrKept();
  void CancelStopsALoadOnce();
  void SaveWritesThenReReadsTheSavedFiles();
  void UnsavedQuestionAnswers_data();
  void UnsavedQuestionAnswers();
};

void TestFolderSession::LoadGoesThroughLoadingAndListsEveryFormat() {
  MediaFolder folder;
  folder.Copy("mp3/plain.mp3", "a.mp3");
  folder.Copy("mp3/id3v22.mp3", "b.mp3");
  folder.Copy("mp4/tagged.m4a", "c.m4a");
  Recorded r;
  QCOMPARE(r.session.Busy(), BusyState::None);
  // A trailing separator is dropped from the folder the rows are relative to.
  r.session.OpenFolder(LoadRequest{folder.Path() / "", false, std::nullopt});
  QCOMPARE(r.session.Busy(), BusyState::Loading);
  QVERIFY(r.editorsClosed > 0);
  QTRY_VERIFY_WITH_TIMEOUT(!r.session.IsBusy(), 30000);
  QCOMPARE(r.session.CurrentFolder(), folder.Path());
  QCOMPARE(r.steps,
           (std::vector<Step>{{BusyState::Loading, BusyState::None}, {BusyState::None, BusyState::Loading}}));
  // The window marks its tabs while still locked, and hears of the end last.
  QCOMPARE(r.log,
           (QStringList{QStringLiteral("busy 2"), "opening " + QString::fromStdString(folder.Path().string()),
                        QStringLiteral("listed"), QStringLiteral("busy 0"), QStringLiteral("finished")}));
  QCOMPARE(r.session.Data().RowCount(MediaFormat::MP3), 2);
  QCOMPARE(r.session.Data().RowCount(MediaFormat::MP4), 1);
  QVERIFY(!r.session.HasStagedEdits());

  // A second load clears the rows first.
  MediaFolder other;
  other.Copy("mp3/plain.mp3", "only.mp3");
  r.session.OpenFolder(LoadRequest{other.Path(), false, std::nullopt});
  QTRY_VERIFY_WITH_TIMEOUT(!r.session.IsBusy(), 30000);
  QCOMPARE(r.session.Data().RowCount(MediaFormat::MP3), 1);
  QCOMPARE(r.session.Data().RowCount(MediaFormat::MP4), 0);
}

void TestFolderSession::RequestsWhileBusyAreIgnoredOrKept() {
  MediaFolder first;
  first.Copy("mp3/plain.mp3", "a.mp3");
  MediaFolder second;
  second.Copy("mp3/plain.mp3", "x.mp3");
  second.Copy("mp3/plain.mp3", "y.mp3");
  Recorded r;
  auto released = std::make_shared<std::atomic<bool>>(false);
  r.session.SetMediaReaders(HeldReaders(released));
  r.session.OpenFolder(LoadRequest{first.Path(), false, std::nullopt});
  QVERIFY(r.session.IsBusy());
  // Another load, a reload and a save do not start; a path list waits.
  r.session.OpenFolder(LoadRequest{second.Path(), false, std::nullopt});
  r.session.StartReload(false);
  r.session.Save();
  QCOMPARE(r.session.Busy(), BusyState::Loading);
  QCOMPARE(r.session.CurrentFolder(), first.Path());
  r.session.OpenPathList({second.Path() / "y.mp3"});
  QVERIFY(r.session.HasPendingPathList());
  *released = true;
  // The kept list opens once idle: exactly its one file.
  QTRY_COMPARE_WITH_TIMEOUT(r.session.CurrentFolder(), second.Path(), 30000);
  QTRY_VERIFY_WITH_TIMEOUT(!r.session.IsBusy(), 30000);
  QVERIFY(!r.session.HasPendingPathList());
  QCOMPARE(r.session.Data().RowCount(MediaFormat::MP3), 1);
  QCOMPARE(r.session.Data().Entries(MediaFormat::MP3)[0].relativePath, fs::path("y.mp3"));
  QCOMPARE(r.steps.size(), size_t(4));
}

void TestFolderSession::CancelStopsALoadOnce() {
  MediaFolder folder;
  for (int i = 0; i < 5; ++i) folder.Copy("mp3/plain.mp3", std::to_string(i) + ".mp3");
  Recorded r;
  auto released = std::make_shared<std::atomic<bool>>(false);
  r.session.SetMediaReaders(HeldReaders(released));
  QSignalSpy finished(&r.session, &FolderSession::WorkFinished);
  r.session.Cancel();  // nothing runs: nothing to remember
  QVERIFY(!r.session.CancelRequested());
  r.session.OpenFolder(LoadRequest{folder.Path(), false, std::nullopt});
  r.session.Cancel();
  QVERIFY(r.session.CancelRequested());
  r.session.Cancel();
  *released = true;
  QVERIFY(finished.wait(30000));
  QCOMPARE(r.session.Busy(), BusyState::None);
  // At most the file being read when the cancel came is listed.
  QVERIFY(r.session.Data().RowCount(MediaFormat::MP3) < 5);
  QCOMPARE(finished.count(), 1);
  // The next work starts without the old request.
  r.session.StartReload(false);
  QVERIFY(!r.session.CancelRequested());
  QTRY_VERIFY_WITH_TIMEOUT(!r.session.IsBusy(), 30000);
}

void TestFolderSession::SaveWritesThenReReadsTheSavedFiles() {
  MediaFolder folder;
  folder.Copy("mp3/plain.mp3", "a.mp3");
  Recorded r;
  r.session.Save();  // no folder yet
  QVERIFY(r.steps.empty());
  r.session.OpenFolder(LoadRequest{folder.Path(), false, std::nullopt});
  QTRY_VERIFY_WITH_TIMEOUT(!r.session.IsBusy(), 30000);
  r.steps.clear();
  StageTitle(r.session.Data(), "保存した題名");
  QVERIFY(r.session.HasStagedEdits());
  QSignalSpy done(&r.session, &FolderSession::SaveDone);
  QSignalSpy failed(&r.session, &FolderSession::SaveFailed);
  r.session.Save();
  QCOMPARE(r.session.Busy(), BusyState::Saving);
  QVERIFY(r.session.SaveWorker() != nullptr);
  QVERIFY(done.wait(30000));
  QCOMPARE(failed.count(), 0);
  QCOMPARE(r.steps, (std::vector<Step>{{BusyState::Saving, BusyState::None},
                                       {BusyState::None, BusyState::Saving},
                                       {BusyState::Reloading, BusyState::None},
                                       {BusyState::None, BusyState::Reloading}}));
  QVERIFY(!r.session.HasStagedEdits());
  QCOMPARE(DiskTitle(folder, "a.mp3"), std::string("保存した題名"));
}

void TestFolderSession::UnsavedQuestionAnswers_data() {
  QTest::addColumn<bool>("staged");
  QTest::addColumn<int>("answer");
  QTest::addColumn<int>("asked");
  QTest::addColumn<bool>("ran");
  QTest::addColumn<QString>("onDisk");
  QTest::newRow("nothing staged") << false << int(UnsavedAnswer::Cancel) << 0 << true << QString();
  QTest::newRow("discard") << true << int(UnsavedAnswer::Discard) << 1 << true << QString();
  QTest::newRow("cancel") << true << int(UnsavedAnswer::Cancel) << 1 << false << QString();
  QTest::newRow("save") << true << int(UnsavedAnswer::Save) << 1 << true << QStringLiteral("staged");
}

void TestFolderSession::UnsavedQuestionAnswers() {
  QFETCH(bool, staged);
  QFETCH(int, answer);
  QFETCH(int, asked);
  QFETCH(bool, ran);
  QFETCH(QString, onDisk);
  MediaFolder folder;
  folder.Copy("mp3/plain.mp3", "a.mp3");
  const std::string before = DiskTitle(folder, "a.mp3");
  Recorded r(static_cast<UnsavedAnswer>(answer));
  r.session.OpenFolder(LoadRequest{folder.Path(), false, std::nullopt});
  QTRY_VERIFY_WITH_TIMEOUT(!r.session.IsBusy(), 30000);
  if (staged) StageTitle(r.session.Data(), "staged");
  bool didRun = false;
  r.session.AfterStagedEdits([&didRun] { didRun = true; });
  // 保存 goes on only once the save and its re-read are over.
  if (answer == int(UnsavedAnswer::Save)) {
    QVERIFY(!didRun);
    QVERIFY(r.session.IsBusy());
  }
  QTRY_COMPARE_WITH_TIMEOUT(didRun, ran, 30000);
  QTRY_VERIFY_WITH_TIMEOUT(!r.session.IsBusy(), 30000);
  QTest::qWait(20);
  QCOMPARE(didRun, ran);
  QCOMPARE(r.asked, asked);
  QCOMPARE(DiskTitle(folder, "a.mp3"), onDisk.isEmpty() ? before : onDisk.toStdString());
}

QTEST_MAIN(TestFolderSession)
#include "test_folder_session.moc"
