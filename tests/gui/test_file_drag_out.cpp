// Files dragged out of a file list and files dropped on the window.

#include <QApplication>
#include <QMimeData>
#include <QtTest>
#include <memory>

#include "GuiTestSupport.h"
#include "gui/catalogue/FileDragOut.h"

using namespace hozanki;
namespace fs = std::filesystem;

class TestFileDragOut : public QObject {
  Q_OBJECT
 private slots:
  void dragCarriesEveryFileAsAUriListInOrder() {
    std::unique_ptr<QMimeData> data(
        MakeFileDragMimeData({"/music/b song.mp3", "/music/アニメ/a.mp3", "/music/100%.wav"}));
    QVERIFY(data->hasFormat(QStringLiteral("text/uri-list")));
    const QByteArray list = data->data(QStringLiteral("text/uri-list"));
    QCOMPARE(list.split('\n').first().trimmed(), QByteArray("file:///music/b%20song.mp3"));
    QList<QUrl> urls = data->urls();
    QCOMPARE(urls.size(), 3);
    QCOMPARE(urls[1].toLocalFile(), QStringLiteral("/music/アニメ/a.mp3"));
    QCOMPARE(urls[2].toLocalFile(), QStringLiteral("/music/100%.wav"));
  }

  void namesThatAreNotUtf8KeepTheirBytes() {
    const fs::path sjis = "/music/\x83\x65\x83\x58\x83\x67.mp3";
    std::unique_ptr<QMimeData> data(MakeFileDragMimeData({sjis}));
    QVERIFY(data->data(QStringLiteral("text/uri-list")).startsWith("file:///music/%83e%83X%83g.mp3"));
    QCOMPARE(PathOfFileUrl(data->urls().first()).native(), sjis.native());
    // A drop of the same data from another program gives the raw path back.
    QMimeData foreign;
    foreign.setData(QStringLiteral("text/uri-list"), data->data(QStringLiteral("text/uri-list")));
    std::vector<fs::path> dropped = DroppedPaths(&foreign);
    QCOMPARE(dropped.size(), size_t(1));
    QCOMPARE(dropped[0].native(), sjis.native());
  }

  void ownDragIsNeverTakenAsADrop() {
    std::unique_ptr<QMimeData> own(MakeFileDragMimeData({"/music/a.mp3"}));
    QVERIFY(IsOwnFileDrag(own.get()));
    QVERIFY(DroppedPaths(own.get()).empty());
    QMimeData foreign;
    foreign.setUrls(
        {QUrl::fromLocalFile(QStringLiteral("/music/a.mp3")), QUrl(QStringLiteral("https://x/y.mp3"))});
    QVERIFY(!IsOwnFileDrag(&foreign));
    std::vector<fs::path> dropped = DroppedPaths(&foreign);
    QCOMPARE(dropped.size(), size_t(1));  // only local files
    QCOMPARE(QString::fromStdString(dropped[0]), QStringLiteral("/music/a.mp3"));
    QVERIFY(DroppedPaths(nullptr).empty());
  }
};

int main(int argc, char** argv) {
  ScopedConfigDir config;
  QApplication app(argc, argv);
  TestFileDragOut test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_file_drag_out.moc"
