// "保存(&S)" in the main window on temporary copies of the fixtures: the
// locked window and its texts, values of every format on disk afterwards,
// renames that never overwrite, cancel after the current file, failures
// left visible, and the re-read that clears the marks.

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QTabWidget>
#include <QtTest>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/settings/AppSettings.h"
#include "core/tagedit/SaveEngine.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/tagedit/FormSaveErrors.h"
#include "gui/tagedit/SaveTagWorker.h"

using namespace hozanki;
using namespace testsupport;

namespace {

// The tag kind whose title each format's test writes.
TagKind TitleKind(MediaFormat format) {
  return format == MediaFormat::MP3 ? TagKind::MP3ID3v2 : TagKindsOf(format)[0];
}

void SetTitle(TFormMain& window, MediaFormat format, int row, const std::string& title) {
  const TagKind kind = TitleKind(format);
  QVERIFY(
      SetCellValue(window.CatalogueData(), EditTarget::TagColumn(kind, SubItemOf(kind, "INAM")), row, title));
}

std::string TitleOf(const MediaFileEntry& entry) {
  const TagKind kind = TitleKind(entry.format);
  if (entry.tags.empty()) return "<unreadable>";
  return TagOf(entry, kind).cells.at(static_cast<size_t>(SubItemOf(kind, "INAM"))).text;
}

}  // namespace

class TestSaving : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

 private slots:
  void savesEveryFormatInTheBackgroundAndRereadsTheRows() {
    MediaFolder folder;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"mp3/plain.mp3", "a.mp3"},  {"wav/tagged.wav", "b.wav"}, {"avi/tagged.avi", "c.avi"},
        {"vqf/tagged.vqf", "d.vqf"}, {"wma/tagged.wma", "e.wma"}, {"ogg/tagged.ogg", "f.ogg"},
        {"ape/tagged.ape", "g.ape"}, {"mp4/tagged.m4a", "h.m4a"}, {"flac/tagged.flac", "i.flac"},
        {"aiff/tagged.aiff", "j.aiff"}, {"dsf/tagged.dsf", "k.dsf"}};
    for (const auto& [fixture, name] : files) folder.Copy(fixture, name);
    TFormMain window;
    LoadInto(window, folder.Path());
    for (int f = 0; f < kFormatCount; ++f) {
      QCOMPARE(window.CatalogueData().RowCount(static_cast<MediaFormat>(f)), 1);
      SetTitle(window, static_cast<MediaFormat>(f), 0, "曲 " + std::to_string(f) + " é");
    }
    window.FileList(0)->setFocus();

    QSignalSpy done(&window.Session(), &FolderSession::SaveDone);
    Action(window, "MenuFileSave")->trigger();
    QStringList progress;
    connect(window.Session().SaveWorker(), &SaveTag::Progress, this,
            [&](const QString& count, const QString& message) {
              progress << count + QLatin1Char('|') + message + QLatin1Char('|') + Panel(window, 0);
            });
    // Locked while the worker runs.
    QAction* cancel = Action(window, "MenuCancel");
    QVERIFY(cancel->isVisible());
    QCOMPARE(cancel->data().toInt(), 1);
    QCOMPARE(Panel(window, 2), QStringLiteral("セーブ"));
    QVERIFY(!window.menuBar()->findChild<QMenu*>(QStringLiteral("MenuFile"))->menuAction()->isEnabled());
    QVERIFY(!window.TagTable(3)->isEnabled());
    QVERIFY(!window.FileList(0)->isEnabled());
    QVERIFY(window.IsBusy());
    QVERIFY(done.wait(60000));
    // Progress "count / total" and the path being saved reached the window.
    QVERIFY(!progress.isEmpty());
    QVERIFY(progress.last().startsWith(QStringLiteral("11 / 11|")));
    // The path being written, also in status-bar panel 0.
    const QStringList last = progress.last().split(QLatin1Char('|'));
    QVERIFY(last[1].endsWith(QStringLiteral("/k.dsf 保存中...")));
    QCOMPARE(last[2], last[1]);

    QVERIFY(!cancel->isVisible());
    QVERIFY(window.menuBar()->findChild<QMenu*>(QStringLiteral("MenuFile"))->menuAction()->isEnabled());
    QCOMPARE(Panel(window, 2), QStringLiteral("タグ編集"));
    QCOMPARE(Panel(window, 0), QString::fromStdString(folder.Path().string()));
    for (int f = 0; f < kFormatCount; ++f) {
      const auto format = static_cast<MediaFormat>(f);
      const std::string expected = "曲 " + std::to_string(f) + " é";
      QCOMPARE(TitleOf(folder.Disk(files[static_cast<size_t>(f)].second)), expected);
      // The re-read cleared the marks and shows what the file holds.
      const MediaFileEntry& row = window.CatalogueData().Entries(format)[0];
      QCOMPARE(TitleOf(row), expected);
      QCOMPARE(TagOf(row, TitleKind(format)).image, kNoMark);
      QCOMPARE(TagOf(row, TitleKind(format))
                   .cells[static_cast<size_t>(SubItemOf(TitleKind(format), "INAM"))]
                   .value,
               0);
    }
  }

  void renameComesFirstAndNeverOverwrites() {
    MediaFolder folder;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) folder.Copy("mp3/plain.mp3", name);
    folder.Copy("wav/plain.wav", "w.wav");
    const std::string beforeA = folder.Bytes("a.mp3");
    const std::string beforeB = folder.Bytes("b.mp3");
    TFormMain window;
    LoadInto(window, folder.Path());
    Catalogue& c = window.CatalogueData();
    // a.mp3 onto the existing b.mp3, with a tag change that must not be written.
    QVERIFY(SetCellValue(c, EditTarget::FileNames(MediaFormat::MP3), 0, "b.mp3"));
    SetTitle(window, MediaFormat::MP3, 0, "never");
    // c.mp3 to a free name, its tags written under the new name.
    QVERIFY(SetCellValue(c, EditTarget::FileNames(MediaFormat::MP3), 2, "新しい名前.mp3"));
    SetTitle(window, MediaFormat::MP3, 2, "renamed");
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControlF"));
    pages->setCurrentIndex(1);

    QVERIFY(SaveAndWait(window));
    QCOMPARE(folder.Bytes("a.mp3"), beforeA);
    QCOMPARE(folder.Bytes("b.mp3"), beforeB);
    QVERIFY(!std::filesystem::exists(folder.Path() / "c.mp3"));
    QCOMPARE(TitleOf(folder.Disk("新しい名前.mp3")), std::string("renamed"));
    // The failure stays visible: error mark, its page shown, the count in the status bar.
    QCOMPARE(c.Entries(MediaFormat::MP3)[0].file.image, kErrorMark);
    QCOMPARE(TitleOf(c.Entries(MediaFormat::MP3)[0]), std::string("never"));
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(Panel(window, 0), QStringLiteral("1 個のファイルを保存できませんでした"));
    // The renamed row now shows and holds its new name.
    QCOMPARE(c.Entries(MediaFormat::MP3)[2].file.cells[0].text, std::string("新しい名前.mp3"));
    QCOMPARE(c.Entries(MediaFormat::MP3)[2].file.image, kNoMark);
    // A row with the error mark is closed to editing until the folder is read again.
    QVERIFY(!IsRowOpenToEditing(c.Entries(MediaFormat::MP3)[0], EditTarget::FileNames(MediaFormat::MP3)));
  }

  void aFileThatCannotBeWrittenIsCountedAndStaysStaged() {
    MediaFolder folder;
    folder.Copy("mp3/plain.mp3", "gone.mp3");
    folder.Copy("ogg/tagged.ogg", "kept.ogg");
    TFormMain window;
    LoadInto(window, folder.Path());
    SetTitle(window, MediaFormat::MP3, 0, "lost?");
    SetTitle(window, MediaFormat::OGG, 0, "written");
    std::filesystem::remove(folder.Path() / "gone.mp3");
    QVERIFY(SaveAndWait(window));
    QCOMPARE(Panel(window, 0), QStringLiteral("1 個のファイルを保存できませんでした"));
    const MediaFileEntry& failed = window.CatalogueData().Entries(MediaFormat::MP3)[0];
    QCOMPARE(TagOf(failed, TagKind::MP3ID3v2).image, kChangedMark);
    QCOMPARE(TitleOf(failed), std::string("lost?"));
    QCOMPARE(TitleOf(folder.Disk("kept.ogg")), std::string("written"));
    QCOMPARE(TagOf(window.CatalogueData().Entries(MediaFormat::OGG)[0], TagKind::OGG).image, kNoMark);
  }

  void theFailedFilesAreListedWithTheirReasons() {
    MediaFolder folder;
    for (const char* name : {"b.mp3", "c.mp3", "gone.mp3"}) folder.Copy("mp3/plain.mp3", name);
    folder.Copy("ogg/tagged.ogg", "kept.ogg");
    TFormMain window;
    LoadInto(window, folder.Path());
    Catalogue& c = window.CatalogueData();
    QVERIFY(SetCellValue(c, EditTarget::FileNames(MediaFormat::MP3), 0, "c.mp3"));  // taken
    SetTitle(window, MediaFormat::MP3, 2, "lost?");
    SetTitle(window, MediaFormat::OGG, 0, "written");
    std::filesystem::remove(folder.Path() / "gone.mp3");
    QVERIFY(!window.findChild<TFormSaveErrors*>());
    QVERIFY(SaveAndWait(window));

    // The count stays in the status bar, and the files are listed with their reasons.
    const QString summary = QStringLiteral("2 個のファイルを保存できませんでした");
    QCOMPARE(Panel(window, 0), summary);
    QPointer<TFormSaveErrors> form = window.findChild<TFormSaveErrors*>();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QVERIFY(!form->isModal());
    QCOMPARE(form->windowTitle(), QStringLiteral("保存できなかったファイル"));
    QCOMPARE(form->LabelSummary->text(), summary);
    QCOMPARE(form->ListFailures->headerItem()->text(0), QStringLiteral("ファイル"));
    QCOMPARE(form->ListFailures->headerItem()->text(1), QStringLiteral("理由"));
    QCOMPARE(form->ListFailures->topLevelItemCount(), 2);
    const QString base = QString::fromStdString(folder.Path().string()) + QLatin1Char('/');
    const QTreeWidgetItem* renamed = form->ListFailures->topLevelItem(0);
    QCOMPARE(renamed->text(0), base + QStringLiteral("b.mp3"));
    // The collision is found before renaming and names the other file.
    QCOMPARE(renamed->text(1), QStringLiteral("名前の変更: 「c.mp3」と同じ名前になります"));
    const QTreeWidgetItem* gone = form->ListFailures->topLevelItem(1);
    QCOMPARE(gone->text(0), base + QStringLiteral("gone.mp3"));
    QVERIFY2(!gone->text(1).isEmpty() && gone->text(1) != QStringLiteral("原因不明のエラー"),
             qPrintable(gone->text(1)));
    if (const QString shots = qEnvironmentVariable("HOZANKI_SCREENSHOT_DIR"); !shots.isEmpty()) {
      QApplication::processEvents();
      form->grab().save(shots + QStringLiteral("/save_errors.png"));
    }
    form->ButtonCopy->click();
    QCOMPARE(QApplication::clipboard()->text(), renamed->text(0) + QLatin1Char('\t') + renamed->text(1) +
                                                    QLatin1Char('\n') + gone->text(0) + QLatin1Char('\t') +
                                                    gone->text(1) + QLatin1Char('\n'));

    // The next save's failures replace the list; a save without failures adds none.
    QVERIFY(SaveAndWait(window));
    QCOMPARE(window.findChildren<TFormSaveErrors*>().size(), 1);
    QCOMPARE(form->ListFailures->topLevelItemCount(), 1);  // the rename failure closed the row
    form->ButtonClose->click();
    QTRY_VERIFY(form.isNull());
    folder.Copy("mp3/plain.mp3", "gone.mp3");
    SetTitle(window, MediaFormat::OGG, 0, "again");
    QVERIFY(SaveAndWait(window));
    QCOMPARE(TitleOf(folder.Disk("gone.mp3")), std::string("lost?"));
    QVERIFY(!window.findChild<TFormSaveErrors*>());
  }

  void cancelStopsAfterTheCurrentFileAndKeepsTheRestStaged() {
    MediaFolder folder;
    const int count = 300;
    for (int i = 0; i < count; ++i) folder.Copy("mp3/plain.mp3", "f" + std::to_string(100 + i) + ".mp3");
    TFormMain window;
    LoadInto(window, folder.Path());
    for (int i = 0; i < count; ++i) SetTitle(window, MediaFormat::MP3, i, "saved");
    QSignalSpy done(&window.Session(), &FolderSession::SaveDone);
    QAction* cancel = Action(window, "MenuCancel");
    Action(window, "MenuFileSave")->trigger();
    // Cancel as soon as the worker reports its third step.
    auto* worker = window.Session().SaveWorker();
    QVERIFY(worker);
    QString cancelText;
    connect(worker, &SaveTag::Progress, this, [&](const QString& count) {
      if (!cancel->isEnabled() || !count.startsWith(QStringLiteral("3 /"))) return;
      cancel->trigger();
      cancelText = Panel(window, 0);
    });
    QVERIFY(done.wait(60000));
    QCOMPARE(cancelText, QString::fromStdString(std::string(kSaveCancelText)));
    const Catalogue& c = window.CatalogueData();
    int written = 0;
    for (int i = 0; i < count; ++i) {
      const MediaFileEntry& row = c.Entries(MediaFormat::MP3)[static_cast<size_t>(i)];
      const bool onDisk = TitleOf(folder.Disk(row.file.cells[0].text)) == "saved";
      written += onDisk ? 1 : 0;
      // What was written is re-read and unmarked; the rest keeps its staged value.
      QCOMPARE(TagOf(row, TagKind::MP3ID3v2).image, onDisk ? kNoMark : kChangedMark);
      QCOMPARE(TitleOf(row), std::string("saved"));
    }
    QVERIFY(written >= 3);
    QVERIFY(written < count);
  }

  void closingIsRefusedWhileSavingAndDestroyingWaitsForTheWorker() {
    MediaFolder folder;
    for (int i = 0; i < 40; ++i) folder.Copy("mp3/plain.mp3", "g" + std::to_string(i) + ".mp3");
    {
      TFormMain window;
      LoadInto(window, folder.Path());
      for (int i = 0; i < 40; ++i) SetTitle(window, MediaFormat::MP3, i, "x");
      window.show();
      Action(window, "MenuFileSave")->trigger();
      QVERIFY(!window.close());
      QVERIFY(window.isVisible());
    }
    // Every file is still whole: readable as MP3.
    for (int i = 0; i < 40; ++i) QVERIFY(!folder.Disk("g" + std::to_string(i) + ".mp3").tags.empty());
  }

  void timeStampOptionDecidesTheModificationTime() {
    MediaFolder folder;
    folder.Copy("mp3/plain.mp3", "keep.mp3");
    folder.Copy("mp3/plain.mp3", "touch.mp3");
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    for (const char* name : {"keep.mp3", "touch.mp3"})
      std::filesystem::last_write_time(folder.Path() / name, old);
    TFormMain window;
    LoadInto(window, folder.Path());
    AppSettings& settings = AppSettings::Current();
    const bool saved = settings.timeStamp;
    settings.timeStamp = true;
    SetTitle(window, MediaFormat::MP3, 0, "t");
    QVERIFY(SaveAndWait(window));
    settings.timeStamp = false;
    SetTitle(window, MediaFormat::MP3, 1, "t");
    QVERIFY(SaveAndWait(window));
    settings.timeStamp = saved;
    const auto near = std::chrono::hours(1);
    QVERIFY(std::filesystem::last_write_time(folder.Path() / "keep.mp3") < old + near);
    QVERIFY(std::filesystem::last_write_time(folder.Path() / "touch.mp3") >
            std::filesystem::file_time_type::clock::now() - near);
    QCOMPARE(TitleOf(folder.Disk("keep.mp3")), std::string("t"));
  }
};

QTEST_MAIN(TestSaving)
#include "test_saving.moc"
