// The single-instance hand-off: a second start sends its paths to the first
// and ends with status 1; the first receives them as absolute raw paths.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QUuid>
#include <QtTest>
#include <filesystem>
#include <thread>

#include "GuiTestSupport.h"
#include "gui/catalogue/SingleInstance.h"

using hozanki::SingleInstance;
namespace fs = std::filesystem;

namespace {

QString UniqueName() {
  return QStringLiteral("hozanki-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

QList<QByteArray> Bytes(std::initializer_list<const char*> items) {
  QList<QByteArray> out;
  for (const char* i : items) out.append(QByteArray(i));
  return out;
}

// Run as a second start: hand the arguments over and return what the program
// entry would return.
int RunAsSecondStart(const QString& name, int argc, char** argv) {
  SingleInstance instance(name);
  std::vector<fs::path> paths = SingleInstance::ArgumentPaths(argc, argv, fs::current_path());
  return instance.HandOffOrListen(paths) ? 1 : 0;
}

}  // namespace

class TestSingleInstance : public QObject {
  Q_OBJECT
 private slots:
  void messageKeepsRawBytesAndSkipsUnsendablePaths() {
    std::vector<fs::path> paths = {"/music/\x83\x65.mp3", "/a\nb.mp3", "/music/曲.mp3"};
    QByteArray message = SingleInstance::EncodePathList(paths);
    QCOMPARE(message, QByteArray("/music/\x83\x65.mp3\n/music/\xE6\x9B\xB2.mp3\n\n"));
    std::vector<fs::path> back = SingleInstance::DecodePathList(message);
    QCOMPARE(back.size(), size_t(2));
    QCOMPARE(QByteArray::fromStdString(back[0].native()), QByteArray("/music/\x83\x65.mp3"));
    QCOMPARE(SingleInstance::EncodePathList({}), QByteArray("\n"));
  }

  void argumentsBecomeAbsoluteWithLinksKept() {
    char a0[] = "hozanki", a1[] = "song.mp3", a2[] = "../x/./y.mp3", a3[] = "/abs/z.mp3", a4[] = "";
    char* argv[] = {a0, a1, a2, a3, a4};
    std::vector<fs::path> paths = SingleInstance::ArgumentPaths(5, argv, "/home/u/link");
    QCOMPARE(paths.size(), size_t(3));
    QCOMPARE(QString::fromStdString(paths[0]), QStringLiteral("/home/u/link/song.mp3"));
    QCOMPARE(QString::fromStdString(paths[1]), QStringLiteral("/home/u/x/y.mp3"));
    QCOMPARE(QString::fromStdString(paths[2]), QStringLiteral("/abs/z.mp3"));
  }

  void firstStartListensAndReceivesPathsFromASecondInTheSameProcess() {
    const QString name = UniqueName();
    SingleInstance first(name);
    QVERIFY(!first.HandOffOrListen({"/ignored.mp3"}));
    QVERIFY(first.IsListening());
    QSignalSpy spy(&first, &SingleInstance::PathListReceived);
    bool sent = false;
    std::thread second([&] { sent = SingleInstance::SendPathList(name, {"/m/a.mp3", "/m/\x83\x65.mp3"}); });
    QVERIFY(spy.wait(5000));
    second.join();
    QVERIFY(sent);
    QCOMPARE(spy.first().first().value<QList<QByteArray>>(), Bytes({"/m/a.mp3", "/m/\x83\x65.mp3"}));

    // A start without arguments only raises the window: an empty list.
    std::thread third([&] { sent = SingleInstance::SendPathList(name, {}); });
    QVERIFY(spy.wait(5000));
    third.join();
    QVERIFY(sent);
    QVERIFY(spy.at(1).first().value<QList<QByteArray>>().isEmpty());
  }

  void secondProcessHandsOverAndExitsWithOne() {
    const QString name = UniqueName();
    SingleInstance first(name);
    QVERIFY(!first.HandOffOrListen({}));
    QSignalSpy spy(&first, &SingleInstance::PathListReceived);
    QTemporaryDir cwd;
    QProcess second;
    second.setWorkingDirectory(cwd.path());
    second.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--second-start"), name, QStringLiteral("a.mp3"), QStringLiteral("/x/b.wav")});
    QVERIFY(spy.wait(10000));
    // The list is signalled after the answer: the second start may be over by now.
    QVERIFY(second.state() == QProcess::NotRunning || second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 1);
    const QByteArray dir = QFile::encodeName(QDir(cwd.path()).canonicalPath());
    QList<QByteArray> got = spy.first().first().value<QList<QByteArray>>();
    QCOMPARE(got.size(), 2);
    // The relative argument is resolved against the second start's own folder.
    QCOMPARE(got[0], dir + "/a.mp3");
    QCOMPARE(got[1], QByteArray("/x/b.wav"));
  }

  void staleSocketFileIsReplaced() {
    const QString name = UniqueName();
    const QString socketPath = QDir::tempPath() + QLatin1Char('/') + name;
    {
      QFile stale(socketPath);
      QVERIFY(stale.open(QIODevice::WriteOnly));
    }
    SingleInstance first(name);
    QVERIFY(!first.HandOffOrListen({}, 500));
    QVERIFY(first.IsListening());
  }

  void aLiveInstanceThatDoesNotAnswerIsNeverReplaced() {
    const QString name = UniqueName();
    QLocalServer busy;  // accepts connections but never answers
    QVERIFY(busy.listen(name));
    SingleInstance second(name);
    QVERIFY(second.HandOffOrListen({"/a.mp3"}, 300));  // still a second start: exits with 1
    QVERIFY(!second.IsListening());
    QVERIFY(QFile::exists(busy.fullServerName()));
  }

  void noListenerMeansNoHandOff() { QVERIFY(!SingleInstance::SendPathList(UniqueName(), {"/a.mp3"}, 500)); }

  // One window per user, display and settings folder: each of the three
  // apart gives another name.
  void nameDependsOnUserDisplayAndSettingsFolder() {
    const QString base = SingleInstance::ServerName(1000, "DISPLAY=:0", "/home/u/.config/hozanki");
    QVERIFY(QRegularExpression(QStringLiteral("^NR284_Mutex[0-9a-f]{12}$")).match(base).hasMatch());
    QCOMPARE(SingleInstance::ServerName(1000, "DISPLAY=:0", "/home/u/.config/hozanki"), base);
    struct Case {
      unsigned user;
      QByteArray display;
      fs::path folder;
    };
    const Case others[] = {
        {1001, "DISPLAY=:0", "/home/u/.config/hozanki"},
        {1000, "DISPLAY=:1", "/home/u/.config/hozanki"},
        {1000, "WAYLAND_DISPLAY=wayland-0", "/home/u/.config/hozanki"},
        {1000, "DISPLAY=:0", "/home/u/portable"},
        {1000, "", "/home/u/.config/hozanki"},
    };
    for (const Case& c : others) QVERIFY(SingleInstance::ServerName(c.user, c.display, c.folder) != base);
  }

  void startsWithAnotherSettingsFolderOrDisplayListenOnTheirOwn() {
    QTemporaryDir one, two;
    const fs::path first = one.path().toStdString();
    const fs::path second = two.path().toStdString();
    // The same folder written another way is the same instance.
    QCOMPARE(SingleInstance::DefaultServerName(first / "." / ""), SingleInstance::DefaultServerName(first));
    SingleInstance a(SingleInstance::DefaultServerName(first));
    QVERIFY(!a.HandOffOrListen({}));
    SingleInstance b(SingleInstance::DefaultServerName(second));
    QVERIFY(!b.HandOffOrListen({"/x.mp3"}, 500));  // no hand-over: a window of its own
    QVERIFY(b.IsListening());
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("DISPLAY", ":hozanki-test-other");
    const QString otherDisplay = SingleInstance::DefaultServerName(first);
    display.isNull() ? qunsetenv("DISPLAY") : qputenv("DISPLAY", display);
    if (!wayland.isNull()) qputenv("WAYLAND_DISPLAY", wayland);
    QVERIFY(otherDisplay != SingleInstance::DefaultServerName(first));
    SingleInstance c(otherDisplay);
    QVERIFY(!c.HandOffOrListen({}, 500));
    // A start with the first folder on the first display hands over.
    QSignalSpy spy(&a, &SingleInstance::PathListReceived);
    bool sent = false;
    std::thread later([&] { sent = SingleInstance::SendPathList(SingleInstance::DefaultServerName(first), {"/m/a.mp3"}); });
    QVERIFY(spy.wait(5000));
    later.join();
    QVERIFY(sent);
  }
};

int main(int argc, char** argv) {
  if (argc >= 3 && QByteArray(argv[1]) == "--second-start") {
    QCoreApplication app(argc, argv);
    const QString name = QString::fromLocal8Bit(argv[2]);
    char* rest[64] = {argv[0]};
    int count = 1;
    for (int i = 3; i < argc && count < 64; ++i) rest[count++] = argv[i];
    return RunAsSecondStart(name, count, rest);
  }
  ScopedConfigDir config;
  QCoreApplication app(argc, argv);
  TestSingleInstance test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_single_instance.moc"
