// FolderPanel with a stand-in host: the folder tree built around the folder
// being opened, what a double click or Enter on a node opens (Shift: with the
// subfolders), the drive box (the current drive opens nothing, kept edits put
// the box back), and path lists dragged in from other programs.

#include <QComboBox>
#include <QDropEvent>
#include <QMimeData>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTreeView>
#include <QUrl>
#include <QtTest>
#include <optional>

#include "core/catalogue/FolderScan.h"
#include "gui/catalogue/DriveBox.h"
#include "gui/catalogue/FileDragOut.h"
#include "gui/catalogue/FolderPanel.h"
#include "gui/catalogue/FolderTree.h"

using namespace hozanki;
namespace fs = std::filesystem;

namespace {

// The panel's widgets and a host that records what it was asked to do.
struct Stand {
  Stand() {
    model = new QStandardItemModel(&tree);
    tree.setModel(model);
    FolderPanelHost host;
    host.busy = [this] { return busy; };
    host.currentFolder = [this] { return current; };
    host.afterStagedEdits = [this](std::function<void()> then) {
      ++asked;
      if (!keepEdits) then();
    };
    host.openFolder = [this](const LoadRequest& request) { opened.push_back(request); };
    host.openPathList = [this](const std::vector<fs::path>& paths) { pathLists.push_back(paths); };
    host.showFolderText = [this](const QString& text) { panelText = text; };
    panel = std::make_unique<FolderPanel>(&tree, model, &drives, std::move(host));
  }

  QModelIndex NodeOf(const fs::path& folder, const QModelIndex& parent = {}) const {
    for (int row = 0; row < model->rowCount(parent); ++row) {
      const QModelIndex index = model->index(row, 0, parent);
      if (FolderOfNode(index) == folder) return index;
      if (QModelIndex below = NodeOf(folder, index); below.isValid()) return below;
    }
    return {};
  }

  QTreeView tree;
  QStandardItemModel* model = nullptr;
  QComboBox drives;
  std::unique_ptr<FolderPanel> panel;
  bool busy = false;
  bool keepEdits = false;
  fs::path current;
  int asked = 0;
  std::vector<LoadRequest> opened;
  std::vector<std::vector<fs::path>> pathLists;
  QString panelText;
};

enum class Input { DoubleClick, RightDoubleClick, Enter };
enum class Drag { Urls, OwnDrag, NoUrls };

QMimeData* MakeMime(Drag kind, const std::vector<fs::path>& paths) {
  if (kind == Drag::OwnDrag) return MakeFileDragMimeData(paths);
  auto* data = new QMimeData;
  if (kind == Drag::NoUrls) {
    data->setText(QStringLiteral("not a file"));
    return data;
  }
  QList<QUrl> urls;
  for (const fs::path& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p.string()));
  data->setUrls(urls);
  return data;
}

}  // namespace

class TestFolderPanel : public QObject {
  Q_OBJECT

 private slots:
  void showFolderBuildsTheTreeAroundIt();
  void openingANode_data();
  void openingANode();
  void driveBox_data();
  void driveBox();
  void droppedPathLists_data();
  void droppedPathLists();
};

void TestFolderPanel::showFolderBuildsTheTreeAroundIt() {
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  fs::create_directory(root / "a");
  fs::create_directory(root / "b");
  Stand s;
  s.panel->ShowFolder(root);
  QCOMPARE(FolderOfNode(s.tree.currentIndex()), root);
  QVERIFY(s.NodeOf(root / "a").isValid());
  QVERIFY(s.NodeOf(root / "b").isValid());
  QVERIFY(s.tree.isExpanded(s.NodeOf(root)));
  QCOMPARE(s.panelText, QString::fromStdString(FolderPanelText(root)));
  // Opening the tree is no load: nothing was asked of the session.
  QVERIFY(s.opened.empty());
  QCOMPARE(s.asked, 0);
}

void TestFolderPanel::openingANode_data() {
  QTest::addColumn<Input>("input");
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<bool>("busy");
  QTest::addColumn<bool>("keepEdits");
  QTest::addColumn<bool>("opens");
  QTest::addColumn<bool>("recursive");
  const int none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
  QTest::newRow("double click") << Input::DoubleClick << none << false << false << true << false;
  QTest::newRow("shift double click") << Input::DoubleClick << shift << false << false << true << true;
  QTest::newRow("right double click") << Input::RightDoubleClick << none << false << false << false << false;
  QTest::newRow("double click while busy") << Input::DoubleClick << none << true << false << false << false;
  QTest::newRow("double click, edits kept") << Input::DoubleClick << none << false << true << false << false;
  QTest::newRow("enter") << Input::Enter << none << false << false << true << false;
  QTest::newRow("shift enter") << Input::Enter << shift << false << false << true << true;
  QTest::newRow("ctrl enter") << Input::Enter << ctrl << false << false << false << false;
  QTest::newRow("enter while busy") << Input::Enter << none << true << false << false << false;
}

void TestFolderPanel::openingANode() {
  QFETCH(Input, input);
  QFETCH(int, modifiers);
  QFETCH(bool, busy);
  QFETCH(bool, keepEdits);
  QFETCH(bool, opens);
  QFETCH(bool, recursive);
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  fs::create_directory(root / "a");
  fs::create_directory(root / "b");
  Stand s;
  s.tree.resize(300, 400);
  s.tree.show();
  QVERIFY(QTest::qWaitForWindowExposed(&s.tree));
  s.panel->ShowFolder(root);
  s.busy = busy;
  s.keepEdits = keepEdits;
  const QModelIndex target = s.NodeOf(root / "b");
  QVERIFY(target.isValid());
  const auto keys = static_cast<Qt::KeyboardModifiers>(modifiers);

  if (input == Input::Enter) {
    s.tree.setCurrentIndex(target);
    QTest::keyClick(&s.tree, Qt::Key_Return, keys);
  } else {
    const QPoint at = s.tree.visualRect(target).center();
    QTest::mouseDClick(s.tree.viewport(), input == Input::DoubleClick ? Qt::LeftButton : Qt::RightButton, keys,
                       at);
    // A double click with the left button makes the node current, opened or not.
    if (input == Input::DoubleClick) QCOMPARE(FolderOfNode(s.tree.currentIndex()), root / "b");
  }

  QCOMPARE(s.opened.size(), opens ? size_t{1} : size_t{0});
  if (opens) {
    QCOMPARE(s.opened[0].folder, root / "b");
    QCOMPARE(s.opened[0].recursive, recursive);
  }
  // Unsaved edits are asked about only when something would open.
  QCOMPARE(s.asked, (opens || keepEdits) ? 1 : 0);
}

void TestFolderPanel::driveBox_data() {
  QTest::addColumn<int>("chosen");
  QTest::addColumn<bool>("busy");
  QTest::addColumn<bool>("keepEdits");
  QTest::addColumn<bool>("opens");
  QTest::newRow("the current drive") << 0 << false << false << false;
  QTest::newRow("another drive") << 1 << false << false << true;
  QTest::newRow("another drive while busy") << 1 << true << false << false;
  QTest::newRow("another drive, edits kept") << 1 << false << true << false;
}

void TestFolderPanel::driveBox() {
  QFETCH(int, chosen);
  QFETCH(bool, busy);
  QFETCH(bool, keepEdits);
  QFETCH(bool, opens);
  // Two drives: the root file system and one that cannot be mounted here.
  const QByteArray other = "/hozanki-no-such-mount";
  Stand s;
  s.current = "/";
  s.drives.addItem(QStringLiteral("/"), QByteArray("/"));
  s.drives.setItemData(0, QByteArray("/"), kDriveMountPointRole);
  s.drives.addItem(QStringLiteral("other"));
  s.drives.setItemData(1, other, kDriveMountPointRole);
  s.drives.setCurrentIndex(chosen);
  s.busy = busy;
  s.keepEdits = keepEdits;

  emit s.drives.activated(chosen);

  QCOMPARE(s.opened.size(), opens ? size_t{1} : size_t{0});
  if (opens) {
    QCOMPARE(s.opened[0].folder, fs::path(other.toStdString()));
    QVERIFY(!s.opened[0].recursive);
  }
  if (keepEdits) {
    // The box was filled again from the mount table, the current drive shown.
    QCOMPARE(s.drives.findData(other, kDriveMountPointRole), -1);
    QVERIFY(s.drives.currentIndex() >= 0);
    QCOMPARE(s.drives.currentData(kDriveMountPointRole).toByteArray(), QByteArray("/"));
  }
}

void TestFolderPanel::droppedPathLists_data() {
  QTest::addColumn<Drag>("drag");
  QTest::addColumn<bool>("busy");
  QTest::addColumn<bool>("taken");
  QTest::newRow("files from another program") << Drag::Urls << false << true;
  QTest::newRow("files while busy") << Drag::Urls << true << false;
  QTest::newRow("our own drag") << Drag::OwnDrag << false << false;
  QTest::newRow("no paths") << Drag::NoUrls << false << false;
}

void TestFolderPanel::droppedPathLists() {
  QFETCH(Drag, drag);
  QFETCH(bool, busy);
  QFETCH(bool, taken);
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  const std::vector<fs::path> paths{root / "x.mp3", root / "y.flac"};
  Stand s;
  s.busy = busy;
  std::unique_ptr<QMimeData> data(MakeMime(drag, paths));
  const QPoint at(5, 5);

  // Each event starts in the opposite state, so that both outcomes show.
  QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  enter.setAccepted(!taken);
  s.panel->DragEnter(&enter);
  QCOMPARE(enter.isAccepted(), taken);
  QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  move.setAccepted(!taken);
  s.panel->DragMove(&move);
  QCOMPARE(move.isAccepted(), taken);
  QVERIFY(s.pathLists.empty());

  QDropEvent drop(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  drop.setAccepted(!taken);
  s.panel->Drop(&drop);
  QCOMPARE(drop.isAccepted(), taken);
  if (taken) {
    QCOMPARE(s.pathLists.size(), size_t{1});
    QCOMPARE(s.pathLists[0], paths);
  } else {
    QVERIFY(s.pathLists.empty());
  }
}

QTEST_MAIN(TestFolderPanel)
#include "test_folder_panel.moc"
