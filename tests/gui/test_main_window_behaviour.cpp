// The main window's modes, page coupling, selection mirroring, menus, help
// and the list models over the catalogue.

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "GuiTestSupport.h"
#include "core/catalogue/GenreList.h"
#include "gui/app/FormAbout.h"
#include "gui/app/FormMain.h"
#include "gui/app/HelpLocator.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/catalogue/CatalogueRoles.h"
#include "gui/catalogue/FileListModel.h"
#include "gui/catalogue/ImageListCheckBox.h"
#include "gui/tagedit/TagTableController.h"
#include "gui/tagedit/TagTableModel.h"

using namespace hozanki;

namespace {

using guitest::Child;

std::vector<MediaFileEntry> Mp3Entries(int count) {
  std::vector<MediaFileEntry> batch;
  for (int i = 0; i < count; ++i) {
    MediaFileEntry e;
    e.file.cells = {{"song" + std::to_string(i) + ".mp3", 0},
                    {"1,234", 0},
                    {"2026/01/02 03:04:05", 0},
                    {"10:00", 600},
                    {"1.1", 0},
                    {"2.3", 0},
                    {"", 0},
                    {"", 0},
                    {"MPEG1 Layer3", 0}};
    e.tags.resize(4);
    for (TagRow& row : e.tags) {
      row.cells.assign(15, Cell{});
      row.cells[0].text = e.file.cells[0].text;
    }
    e.tags[1].cells[1] = {"アーティスト" + std::to_string(i), 1};
    e.tags[1].state = kChecked;
    e.tags[2].state = kUnavailable;
    batch.push_back(std::move(e));
  }
  return batch;
}

// Shows the window and waits until the first idle moment has opened the
// remembered (empty) folder.
void Settle(TFormMain& window) {
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QTRY_VERIFY(window.SyncRequest() != -1 && !window.IsBusy());
}

}  // namespace

class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls << url; }
};

class MainWindowBehaviourTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    config_ = std::make_unique<ScopedConfigDir>();
    // The remembered folder is an empty one, so the first idle loads nothing.
    QVERIFY(QDir().mkpath(config_->path() + "/empty"));
    QFile ini(config_->path() + "/NR284.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Window]\r\nDir=" + config_->path().toLocal8Bit() + "/empty\r\n");
  }
  void cleanup() { config_.reset(); }
  void FirstIdleOnlyUnhooksItself();
  void F5SwitchesModesAndPopups();
  void FilePageAndTagPageAreCoupled();
  void EditorItemFollowsModeAndEditColumn();
  void GenreBoxHas157SortedEntries();
  void MenusCarryCaptionsAndShortcuts();
  void HelpAndAboutOpenTheirPages();
  void ModelsShowTheCatalogueWithRolesAndColumns();
  void SelectionIsMirroredAtIdle();
  void CheckBoxImagesAreSixDistinctPictures();
  void ClosingIsRefusedWhileAWorkerRuns();

 private:
  std::unique_ptr<ScopedConfigDir> config_;
};

void MainWindowBehaviourTest::FirstIdleOnlyUnhooksItself() {
  TFormMain window;
  QCOMPARE(window.SyncRequest(), -1);
  QVERIFY(window.IdleHooked());
  window.show();
  QTRY_VERIFY(!window.IdleHooked());
  QCOMPARE(window.SyncRequest(), 0);
  // The first idle moment opened the remembered folder.
  QCOMPARE(QString::fromStdString(window.CurrentFolder().string()), config_->path() + "/empty");
  QTRY_VERIFY(!window.IsBusy());
  QCOMPARE(window.CatalogueData().TotalCount(), 0);
}

void MainWindowBehaviourTest::F5SwitchesModesAndPopups() {
  TFormMain window;
  Settle(window);
  QVERIFY(QTest::qWaitForWindowActive(&window));
  auto* modeT = Child<QAction>(window, "MenuFileModeT");
  auto* modeR = Child<QAction>(window, "MenuFileModeR");
  auto* bar = Child<StatusBarPanels>(window, "StatusBar");
  auto* popupF = Child<QMenu>(window, "PopupF");
  auto* popupR = Child<QMenu>(window, "PopupR");
  QVERIFY(modeT->isChecked());
  QCOMPARE(modeR->shortcut(), QKeySequence(Qt::Key_F5));
  QVERIFY(modeT->shortcut().isEmpty());
  modeT->trigger();  // the ticked item does nothing
  QVERIFY(modeT->isChecked());
  QCOMPARE(bar->PanelText(2), QStringLiteral("タグ編集"));

  QTest::keyClick(&window, Qt::Key_F5);
  QVERIFY(window.IsRenameMode());
  QVERIFY(modeR->isChecked());
  QCOMPARE(bar->PanelText(2), QStringLiteral("リネーム"));
  QCOMPARE(modeT->shortcut(), QKeySequence(Qt::Key_F5));
  QVERIFY(modeR->shortcut().isEmpty());
  for (int f = 0; f < kFormatCount; ++f) QCOMPARE(window.PopupOf(window.FileList(f)), popupR);
  for (int k = 0; k < kTagKindCount; ++k) QCOMPARE(window.PopupOf(window.TagTable(k)), popupF);

  QTest::keyClick(&window, Qt::Key_F5);
  QVERIFY(!window.IsRenameMode());
  QCOMPARE(bar->PanelText(2), QStringLiteral("タグ編集"));
  QCOMPARE(modeR->shortcut(), QKeySequence(Qt::Key_F5));
  for (int f = 0; f < kFormatCount; ++f) QCOMPARE(window.PopupOf(window.FileList(f)), popupF);

  // "モード解除(&X)" of PopupR leaves rename mode.
  modeR->trigger();
  QVERIFY(window.IsRenameMode());
  Child<QAction>(window, "PopupRMode")->trigger();
  QVERIFY(!window.IsRenameMode());
}

void MainWindowBehaviourTest::FilePageAndTagPageAreCoupled() {
  TFormMain window;
  Settle(window);
  QTRY_VERIFY(!window.IdleHooked());
  auto* filePages = Child<QTabWidget>(window, "PageControlF");
  auto* tagPages = Child<QTabWidget>(window, "PageControlT");
  QCOMPARE(filePages->count(), 11);
  QCOMPARE(tagPages->count(), 14);
  QCOMPARE(filePages->tabText(8), QStringLiteral("FLAC"));
  QCOMPARE(filePages->tabText(9), QStringLiteral("AIFF"));
  QCOMPARE(filePages->tabText(10), QStringLiteral("DSF"));
  // First time back on MP3: MP3 ID3v2.
  filePages->setCurrentIndex(1);
  QCOMPARE(tagPages->currentIndex(), 4);
  filePages->setCurrentIndex(0);
  QCOMPARE(tagPages->currentIndex(), 1);
  // The MP3 tag page in use when MP3 was left comes back.
  tagPages->setCurrentIndex(3);
  QCOMPARE(filePages->currentIndex(), 0);
  filePages->setCurrentIndex(7);
  QCOMPARE(tagPages->currentIndex(), 10);
  QCOMPARE(window.LastMp3TagPage(), 3);
  filePages->setCurrentIndex(2);
  QCOMPARE(tagPages->currentIndex(), 5);
  filePages->setCurrentIndex(0);
  QCOMPARE(tagPages->currentIndex(), 3);
  // Tag pages pick their file page.
  tagPages->setCurrentIndex(7);
  QCOMPARE(filePages->currentIndex(), 4);
  tagPages->setCurrentIndex(0);
  QCOMPARE(filePages->currentIndex(), 0);
  // A page change asks for selection mirroring at idle.
  QVERIFY(window.IdleHooked());
  QTRY_VERIFY(!window.IdleHooked());
  QCOMPARE(window.SyncRequest(), 0);
}

void MainWindowBehaviourTest::EditorItemFollowsModeAndEditColumn() {
  TFormMain window;
  Settle(window);
  auto* editor = Child<QAction>(window, "MenuEditEditor");
  auto* tagPages = Child<QTabWidget>(window, "PageControlT");
  auto* filePages = Child<QTabWidget>(window, "PageControlF");
  struct Step {
    const char* what;
    std::function<void()> run;
    bool enabled;
  };
  const Step steps[] = {
      {"start", [] {}, false},
      {"file-name column", [&] { window.Tables().SetEditColumn(1, 1); }, false},
      {"value column", [&] { window.Tables().SetEditColumn(1, 3); }, true},
      {"another tag page", [&] { tagPages->setCurrentIndex(2); }, false},
      {"back", [&] { tagPages->setCurrentIndex(1); }, true},
      {"file page without edit column", [&] { filePages->setCurrentIndex(4); }, false},
      {"rename mode", [&] { Child<QAction>(window, "MenuFileModeR")->trigger(); }, true},
      {"tag edit mode", [&] { Child<QAction>(window, "MenuFileModeT")->trigger(); }, false},
      {"MP3 again", [&] { filePages->setCurrentIndex(0); }, true},
      {"edit column left", [&] { window.Tables().ModeOff(1); }, false},
  };
  for (const Step& step : steps) {
    step.run();
    QVERIFY2(editor->isEnabled() == step.enabled, step.what);
    // The Edit menu checks again as it drops down.
    editor->setEnabled(!step.enabled);
    emit Child<QMenu>(window, "MenuEdit")->aboutToShow();
    QVERIFY2(editor->isEnabled() == step.enabled, step.what);
  }
}

void MainWindowBehaviourTest::GenreBoxHas157SortedEntries() {
  TFormMain window;
  auto* genres = Child<QComboBox>(window, "ComboBoxListView");
  QCOMPARE(genres->count(), 157);
  QCOMPARE(genres->itemText(0), QString());
  QCOMPARE(genres->maxVisibleItems(), 16);
  QStringList names;
  for (int i = 1; i < genres->count(); ++i) {
    names << genres->itemText(i);
    QVERIFY2(QString::compare(genres->itemText(i - 1), genres->itemText(i), Qt::CaseInsensitive) <= 0,
             qPrintable(genres->itemText(i)));
  }
  for (std::string_view name : GenreNames())
    QVERIFY(names.contains(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))));
  QVERIFY(names.contains(QStringLiteral("Tecno Ambient(J)")));
  QVERIFY(names.contains(QStringLiteral("Phythmic Soul")));
}

void MainWindowBehaviourTest::MenusCarryCaptionsAndShortcuts() {
  TFormMain window;
  struct Expected {
    const char* name;
    const char* caption;
    QKeySequence shortcut;
    bool enabled;
  };
  const Expected items[] = {
      {"MenuFileSave", "保存(&S)", QKeySequence(Qt::CTRL | Qt::Key_S), true},
      {"MenuFileListOut", "リスト出力(&L)", QKeySequence(Qt::CTRL | Qt::Key_L), true},
      {"MenuFileReload", "再読込み(&R)", QKeySequence(Qt::CTRL | Qt::Key_R), true},
      {"MenuFileExit", "終了(&X)", {}, true},
      {"MenuEditCopy", "コピー(&C)", QKeySequence(Qt::CTRL | Qt::Key_C), true},
      {"MenuEditPaste", "貼り付け(&P)", QKeySequence(Qt::CTRL | Qt::Key_V), true},
      {"MenuEditUndo", "元に戻す(&U)", QKeySequence(Qt::CTRL | Qt::Key_Z), true},
      {"MenuEditEditor", "エディタ(&E)", QKeySequence(Qt::CTRL | Qt::Key_E), false},  // no edit column yet
      {"MenuEditSelectAll", "すべて選択(&A)", QKeySequence(Qt::CTRL | Qt::Key_A), true},
      {"MenuEditReading", "読みを設定", {}, true},
      {"PopupTReading", "読みを設定", {}, true},
      {"MenuOptionGeneral", "動作環境(&E)", {}, true},
      {"MenuOptionRename", "定型リネーム(&F)", {}, true},
      {"MenuOptionMulti", "複合編集(&M)", {}, true},
      {"MenuOptionTool", "ツール(&T)", {}, true},
      {"MenuHelpTopic", "トピック(&H)", {}, true},
      {"MenuHelpAbout", "バージョン情報(&A)", {}, true},
      {"PopupFDelete", "除外(&D)", QKeySequence(Qt::SHIFT | Qt::Key_Delete), true},
      {"PopupFProperty", "プロパティ(&R)", {}, true},
      {"PopupTClear", "消去(&B)", QKeySequence(Qt::Key_Delete), true},
      {"PopupTConvertUL1", "大文字 ⇒ 小文字", {}, true},
      {"PopupRConvertTrimS", "連続空白圧縮", {}, true},
      {"PopupRReplace", "置換(&R)", {}, true},
      {"PopupRRegexp", "正規表現(&G)", {}, true},
      {"PopupRSubstr", "部分参照(&S)", {}, true},
      {"PopupREditor", "エディタ(&E)", QKeySequence(Qt::CTRL | Qt::Key_E), true},
      {"PopupTEditor", "エディタ(&E)", QKeySequence(Qt::CTRL | Qt::Key_E), true},
      {"PopupFPlay", "再生(&P)", {}, true},
      {"PopupFToolSetup", "設定(&O)", {}, true},
      {"PopupRMode", "モード解除(&X)", QKeySequence(Qt::Key_Escape), true},
  };
  for (const Expected& e : items) {
    auto* action = Child<QAction>(window, e.name);
    QCOMPARE(action->text(), QString::fromUtf8(e.caption));
    QCOMPARE(action->shortcut(), e.shortcut);
    QCOMPARE(action->isEnabled(), e.enabled);
  }
  QStringList menus;
  for (QAction* a : window.menuBar()->actions()) menus << a->text();
  QCOMPARE(menus, QStringList({"ファイル(&F)", "編集(&E)", "設定(&O)", "ヘルプ(&H)", "キャンセル(&C)"}));
  QVERIFY(!Child<QAction>(window, "MenuCancel")->isVisible());
  // The fourteen conversions, numbered as their kinds, in both popups.
  for (const char* prefix : {"PopupTConvert", "PopupRConvert"}) {
    QList<int> kinds;
    for (QAction* a : Child<QMenu>(window, prefix)->findChildren<QAction*>())
      if (a->data().isValid()) kinds << a->data().toInt();
    std::sort(kinds.begin(), kinds.end());
    QCOMPARE(kinds.size(), 14);
    QCOMPARE(kinds.front(), 0);
    QCOMPARE(kinds.back(), 13);
  }
}

void MainWindowBehaviourTest::HelpAndAboutOpenTheirPages() {
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "Open");
  // The catcher is the desktop's browser here (this machine may have none).
  HelpDesktopOpener() = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  {
    TFormMain window;
    Settle(window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    Child<QAction>(window, "MenuHelpTopic")->trigger();
    QTest::keyClick(&window, Qt::Key_F1);
    QCOMPARE(catcher.urls.size(), 2);
    QVERIFY(catcher.urls[0].isLocalFile());
    QVERIFY(catcher.urls[0].fragment().isEmpty());
    QCOMPARE(catcher.urls[1].fragment(), QStringLiteral("context-101"));
    QFile page(catcher.urls[1].toLocalFile());
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QByteArray html = page.readAll();
    QVERIFY(html.contains("id=\"context-101\""));
    QVERIFY(html.contains("lang=\"ja\""));
  }
  TFormAbout about;
  QVERIFY(Child<QLabel>(about, "LabelName")->text().contains(QStringLiteral("Hozanki")));
  QVERIFY(Child<QLabel>(about, "LabelVersion")->text().contains(QStringLiteral(HOZANKI_VERSION)));
  emit Child<QLabel>(about, "LabelWebPage")->linkActivated(QString::fromLatin1(TFormAbout::kWebPage));
  QCOMPARE(catcher.urls.size(), 3);
  QCOMPARE(catcher.urls[2], QUrl(QString::fromLatin1(TFormAbout::kWebPage)));
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void MainWindowBehaviourTest::ModelsShowTheCatalogueWithRolesAndColumns() {
  TFormMain window;
  Settle(window);
  window.CatalogueData().Append(MediaFormat::MP3, Mp3Entries(3));
  QAbstractItemModel* files = window.FileList(0)->model();
  QAbstractItemModel* id3v2 = window.TagTable(1)->model();
  QAbstractItemModel* riff = window.TagTable(2)->model();
  QCOMPARE(files->rowCount(), 3);
  QCOMPARE(id3v2->rowCount(), 3);
  QCOMPARE(window.TagTable(4)->model()->rowCount(), 0);  // WAV has none
  QCOMPARE(files->columnCount(), 10);
  QCOMPARE(id3v2->columnCount(), 22);
  QCOMPARE(files->headerData(1, Qt::Horizontal).toString(), QStringLiteral("ﾌｧｲﾙ名 "));
  QCOMPARE(files->headerData(2, Qt::Horizontal).toString(), QStringLiteral(" ｻｲｽﾞ"));
  QCOMPARE(files->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
               Qt::AlignHorizontal_Mask,
           Qt::AlignRight);
  QCOMPARE(files->index(1, 1).data().toString(), QStringLiteral("song1.mp3"));
  QCOMPARE(files->index(1, 4).data(SecondsRole).toInt(), 600);
  QCOMPARE(files->index(1, 0).data(RowImageRole).toInt(), kNoMark);
  QCOMPARE(id3v2->index(2, 2).data().toString(), QStringLiteral("アーティスト2"));
  QCOMPARE(id3v2->index(2, 2).data(ChangedFlagRole).toInt(), 1);
  QCOMPARE(id3v2->index(2, 3).data(ChangedFlagRole).toInt(), 0);
  QCOMPARE(id3v2->index(0, 0).data(CheckStateRole).toInt(), kChecked);
  QCOMPARE(riff->index(0, 0).data(CheckStateRole).toInt(), kUnavailable);
  QCOMPARE(id3v2->headerData(7, Qt::Horizontal, ColumnTagRole).toInt(), -1);  // genre
  QCOMPARE(id3v2->headerData(8, Qt::Horizontal, ColumnTagRole).toInt(), -2);  // comment, multi-line
  QCOMPARE(window.TagTable(0)->model()->headerData(2, Qt::Horizontal, ColumnTagRole).toInt(), 30);

  // A change of an entry reaches every view of the format.
  QSignalSpy changedFiles(files, &QAbstractItemModel::dataChanged);
  QSignalSpy changedTags(riff, &QAbstractItemModel::dataChanged);
  window.CatalogueData().EditRow(MediaFormat::MP3, 1,
                                 [](MediaFileEntry& e) { e.tags[2].image = kErrorMark; });
  QCOMPARE(changedFiles.count(), 1);
  QCOMPARE(changedTags.count(), 1);
  QCOMPARE(riff->index(1, 0).data(RowImageRole).toInt(), kErrorMark);
  window.CatalogueData().Remove(MediaFormat::MP3, {0, 2});
  QCOMPARE(files->rowCount(), 1);
  QCOMPARE(id3v2->index(0, 1).data().toString(), QStringLiteral("song1.mp3"));

  // The sort-mark slot of a caption.
  auto* fileModel = qobject_cast<FileListModel*>(files);
  QVERIFY(fileModel->SetSortMark(2, QLatin1Char('+')));
  QCOMPARE(files->headerData(2, Qt::Horizontal).toString(), QStringLiteral("+ｻｲｽﾞ"));
  QVERIFY(fileModel->SetSortMark(1, QLatin1Char('-')));
  QCOMPARE(files->headerData(1, Qt::Horizontal).toString(), QStringLiteral("ﾌｧｲﾙ名-"));
  QVERIFY(!fileModel->SetSortMark(5, QLatin1Char('+')));  // "ID3v1" has no slot

  // Row geometry measured at start matches the rows as the view lays them out.
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  Child<QTabWidget>(window, "PageControlT")->setCurrentIndex(0);
  QTableView* id3v1 = window.TagTable(0);
  QTRY_VERIFY(id3v1->isVisible());
  QCOMPARE(id3v1->rowViewportPosition(0), 0);
  QCOMPARE(id3v1->viewport()->geometry().top(), window.FirstRowOffset());
  window.CatalogueData().Append(MediaFormat::MP3, Mp3Entries(2));
  QCOMPARE(id3v1->rowViewportPosition(1) - id3v1->rowViewportPosition(0), window.RowPitch());
  QVERIFY(window.RowPitch() >= 16);
}

void MainWindowBehaviourTest::SelectionIsMirroredAtIdle() {
  TFormMain window;
  Settle(window);
  QTRY_VERIFY(!window.IdleHooked());
  window.CatalogueData().Append(MediaFormat::MP3, Mp3Entries(7));
  QTableView* files = window.FileList(0);
  QItemSelection selection;
  for (int row : {2, 5}) selection.select(files->model()->index(row, 0), files->model()->index(row, 0));
  files->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  QCOMPARE(window.SyncRequest(), 1);
  QTRY_COMPARE(window.SyncRequest(), 0);
  for (int k = 0; k < 4; ++k) {
    QList<int> rows;
    for (const QModelIndex& index : window.TagTable(k)->selectionModel()->selectedRows()) rows << index.row();
    std::sort(rows.begin(), rows.end());
    QCOMPARE(rows, QList<int>({2, 5}));
  }
  QCOMPARE(Child<StatusBarPanels>(window, "StatusBar")->PanelText(1), QStringLiteral("2 / 7"));
  // And back: a selection in a tag table reaches the file list and its sisters.
  Child<QTabWidget>(window, "PageControlT")->setCurrentIndex(3);
  QTRY_COMPARE(window.SyncRequest(), 0);
  QTableView* ape = window.TagTable(3);
  ape->selectionModel()->select(ape->model()->index(6, 0),
                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  QCOMPARE(window.SyncRequest(), 2);
  QTRY_COMPARE(window.SyncRequest(), 0);
  QCOMPARE(files->selectionModel()->selectedRows().size(), 1);
  QCOMPARE(files->selectionModel()->selectedRows().first().row(), 6);
  QCOMPARE(window.TagTable(0)->selectionModel()->selectedRows().size(), 1);
  QCOMPARE(Child<StatusBarPanels>(window, "StatusBar")->PanelText(1), QStringLiteral("1 / 7"));
  // Select all through the menu.
  Child<QAction>(window, "MenuEditSelectAll")->trigger();
  QTRY_COMPARE(Child<StatusBarPanels>(window, "StatusBar")->PanelText(1), QStringLiteral("7 / 7"));
}

void MainWindowBehaviourTest::CheckBoxImagesAreSixDistinctPictures() {
  QList<QImage> images;
  for (int i = 0; i < ImageListCheckBox::kCount; ++i) {
    const QPixmap& pixmap = ImageListCheckBox::Image(i);
    QCOMPARE(pixmap.deviceIndependentSize().toSize(), QSize(16, 16));
    images << pixmap.toImage();
  }
  for (int i = 0; i < images.size(); ++i)
    for (int j = i + 1; j < images.size(); ++j)
      QVERIFY2(images[i] != images[j], qPrintable(QString("%1 %2").arg(i).arg(j)));
  QVERIFY(ImageListCheckBox::Image(-1).isNull());
  QVERIFY(ImageListCheckBox::Image(ImageListCheckBox::kCount).isNull());

  // Column 0 of a tag table shows the check box and the row image.
  TFormMain window;
  Settle(window);
  auto entries = Mp3Entries(2);
  entries[0].tags[0].state = kUnchecked;
  entries[1].tags[0].state = kChecked;
  entries[1].tags[0].image = kErrorMark;
  window.CatalogueData().Append(MediaFormat::MP3, std::move(entries));
  Child<QTabWidget>(window, "PageControlT")->setCurrentIndex(0);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QTableView* table = window.TagTable(0);
  const QImage shot = table->viewport()->grab().toImage();
  const int pitch = table->rowHeight(0);
  auto cellImage = [&](int row, int x) {
    return shot.copy(QRect(x, table->rowViewportPosition(row) + (pitch - 16) / 2, 16, 16));
  };
  QVERIFY(cellImage(0, 1) != cellImage(1, 1));    // unchecked vs checked box
  QVERIFY(cellImage(1, 18) != cellImage(0, 18));  // error mark vs none
}

void MainWindowBehaviourTest::ClosingIsRefusedWhileAWorkerRuns() {
  TFormMain window;
  Settle(window);
  QFile ini(QString::fromStdString((window.SettingsFolderPath() / "NR284.ini").string()));
  auto written = [&ini] {
    if (!ini.open(QIODevice::ReadOnly)) return false;
    const bool has = ini.readAll().contains("Width=");
    ini.close();
    return has;
  };
  // A load whose reader waits until it is released keeps the window busy.
  QTemporaryDir media;
  QFile(media.filePath(QStringLiteral("a.mp3"))).open(QIODevice::WriteOnly);
  auto released = std::make_shared<std::atomic<bool>>(false);
  auto read = [released](const std::filesystem::path&, const std::filesystem::path&) {
    while (!*released) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return std::optional<MediaFileEntry>();
  };
  auto reread = [](const std::filesystem::path&, MediaFileEntry&) { return false; };
  window.Session().SetMediaReaders(MediaReaders{read, reread});
  window.Session().OpenFolder(LoadRequest{media.path().toStdString(), false, std::nullopt});
  QVERIFY(!window.close());
  QVERIFY(!written());
  *released = true;
  QTRY_VERIFY_WITH_TIMEOUT(!window.IsBusy(), 30000);
  QVERIFY(window.close());
  QVERIFY(written());
}

QTEST_MAIN(MainWindowBehaviourTest)
#include "test_main_window_behaviour.moc"
