// Staged edits are never dropped without a question: closing the window,
// opening another folder, reloading and switching drives ask; 保存 saves and
// goes on only after a full success. Also: a folder handed to the window
// opens that folder, and a save's failure count leaves panel 0 with the next
// save, load or reload.

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/catalogue/FolderScan.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/app/UnsavedChangesQuestion.h"
#include "gui/tagedit/SaveTagWorker.h"

using namespace hozanki;
using namespace testsupport;

namespace {

// Answers the next unsaved-changes question with the button `name`
// ("ButtonSave", "ButtonDiscard", "ButtonCancel") and counts the questions.
class Answerer : public QObject {
 public:
  explicit Answerer(const char* name) : name_(name) {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || box->objectName() != QLatin1String("UnsavedChangesQuestion")) return;
      text_ = box->text();
      buttons_.clear();
      for (QAbstractButton* b : box->buttons()) buttons_ << b->text();
      ++asked_;
      timer_.stop();
      box->findChild<QPushButton*>(QLatin1String(name_))->click();
    });
    timer_.start();
  }
  int Asked() const { return asked_; }
  QString Text() const { return text_; }
  QStringList Buttons() const { return buttons_; }

 private:
  const char* name_;
  QTimer timer_;
  int asked_ = 0;
  QString text_;
  QStringList buttons_;
};

void SetTitle(TFormMain& window, int row, const std::string& title) {
  QVERIFY(SetCellValue(window.CatalogueData(),
                       EditTarget::TagColumn(TagKind::MP3ID3v2, SubItemOf(TagKind::MP3ID3v2, "INAM")), row, title));
}

std::string TitleOnDisk(const MediaFolder& folder, const std::string& name) {
  MediaFileEntry e = folder.Disk(name);
  if (e.tags.empty()) return "<unreadable>";
  return TagOf(e, TagKind::MP3ID3v2).cells.at(static_cast<size_t>(SubItemOf(TagKind::MP3ID3v2, "INAM"))).text;
}

bool WaitIdle(TFormMain& window) {
  return QTest::qWaitFor([&] { return window.SyncRequest() != -1 && !window.IsBusy(); }, 30000);
}

}  // namespace

class TestUnsavedChanges : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

 private slots:
  void closingAsksAndOnlySaveOrDiscardCloses() {
    MediaFolder folder;
    folder.Copy("mp3/plain.mp3", "a.mp3");
    const std::string before = folder.Bytes("a.mp3");
    {
      TFormMain window;
      window.show();
      LoadInto(window, folder.Path());
      // Nothing staged: closes without a question.
      Answerer none("ButtonCancel");
      QVERIFY(window.close());
      QCOMPARE(none.Asked(), 0);
    }
    TFormMain window;
    window.show();
    LoadInto(window, folder.Path());
    SetTitle(window, 0, "夜に駆ける");
    {
      Answerer cancel("ButtonCancel");
      QVERIFY(!window.close());
      QCOMPARE(cancel.Asked(), 1);
      QCOMPARE(cancel.Text(), QStringLiteral("変更が保存されていません。保存しますか？"));
      QStringList buttons = cancel.Buttons();
      buttons.sort();
      QStringList wanted{QStringLiteral("保存"), QStringLiteral("破棄"), QStringLiteral("キャンセル")};
      wanted.sort();
      QCOMPARE(buttons, wanted);
      QVERIFY(window.isVisible());
      QVERIFY(window.Session().HasStagedEdits());
    }
    {
      Answerer save("ButtonSave");
      QSignalSpy saved(&window.Session(), &FolderSession::SaveDone);
      QVERIFY(!window.close());  // the save runs first
      QCOMPARE(save.Asked(), 1);
      QVERIFY(saved.count() > 0 || saved.wait(30000));
      QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 10000);
    }
    QCOMPARE(TitleOnDisk(folder, "a.mp3"), std::string("夜に駆ける"));
    QVERIFY(folder.Bytes("a.mp3") != before);

    TFormMain again;
    again.show();
    LoadInto(again, folder.Path());
    SetTitle(again, 0, "捨てる題名");
    const std::string saved = folder.Bytes("a.mp3");
    Answerer discard("ButtonDiscard");
    QVERIFY(again.close());
    QCOMPARE(discard.Asked(), 1);
    QCOMPARE(folder.Bytes("a.mp3"), saved);
  }

  void aFailedSaveKeepsTheWindowOpen() {
    MediaFolder folder;
    folder.Copy("mp3/plain.mp3", "a.mp3");
    TFormMain window;
    window.show();
    LoadInto(window, folder.Path());
    SetTitle(window, 0, "題名");
    QFile broken(QString::fromStdString((folder.Path() / "a.mp3").string()));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("no longer an mp3 file");
    broken.close();
    Answerer save("ButtonSave");
    QSignalSpy saved(&window.Session(), &FolderSession::SaveDone);
    window.close();
    QVERIFY(saved.count() > 0 || saved.wait(30000));
    QTest::qWait(100);  // the queued continuation has run
    QVERIFY(window.isVisible());
    QVERIFY(window.Session().HasStagedEdits());
    // The failure count stays in panel 0 until the next reload.
    QVERIFY(Panel(window, 0).contains(QStringLiteral("保存できませんでした")));
    folder.Copy("mp3/plain.mp3", "a.mp3");
    Answerer discard("ButtonDiscard");
    QSignalSpy reloaded(&window.Session(), &FolderSession::WorkFinished);
    Action(window, "MenuFileReload")->trigger();
    QVERIFY(reloaded.count() > 0 || reloaded.wait(30000));
    QCOMPARE(discard.Asked(), 1);
    QCOMPARE(Panel(window, 0), QString::fromStdString(FolderPanelText(folder.Path())));
    QVERIFY(!window.Session().HasStagedEdits());
    QVERIFY(window.close());
  }

  void openingReloadingAndDrivesAsk() {
    MediaFolder first, second;
    first.Copy("mp3/plain.mp3", "a.mp3");
    second.Copy("mp3/plain.mp3", "b.mp3");
    second.Copy("mp3/plain.mp3", "c.mp3");
    TFormMain window;
    window.show();
    LoadInto(window, first.Path());
    SetTitle(window, 0, "残す");

    {  // Reload, cancelled: nothing is read, the edit stays.
      Answerer cancel("ButtonCancel");
      QVERIFY(Action(window, "MenuFileReload")->isEnabled());
      QVERIFY(window.Session().HasStagedEdits());
      Action(window, "MenuFileReload")->trigger();
      QCOMPARE(cancel.Asked(), 1);
      QVERIFY(!window.IsBusy());
      QVERIFY(window.Session().HasStagedEdits());
    }
    {  // A drive switch, cancelled: the box shows the current drive again.
      auto* drives = guitest::Child<QComboBox>(window, "DriveComboBox");
      const int current = drives->currentIndex();
      int other = -1;
      for (int i = 0; i < drives->count() && other < 0; ++i)
        if (i != current) other = i;
      if (other >= 0) {
        Answerer cancel("ButtonCancel");
        drives->setCurrentIndex(other);
        emit drives->activated(other);  // as a choice in the drop-down list
        QCOMPARE(cancel.Asked(), 1);
        QCOMPARE(drives->currentIndex(), current);
        QVERIFY(!window.IsBusy());
        QCOMPARE(window.CurrentFolder(), first.Path());
      }
    }
    {  // A folder handed over, discarded: that folder opens itself.
      Answerer discard("ButtonDiscard");
      QSignalSpy loaded(&window.Session(), &FolderSession::WorkFinished);
      window.Session().OpenPathList({second.Path()});
      QCOMPARE(discard.Asked(), 1);
      QVERIFY(loaded.count() > 0 || loaded.wait(30000));
      QCOMPARE(window.CurrentFolder(), second.Path());
      QCOMPARE(window.CatalogueData().RowCount(MediaFormat::MP3), 2);
      QVERIFY(!window.Session().HasStagedEdits());
    }
    {  // Nothing staged: a handed-over file opens without a question.
      Answerer none("ButtonCancel");
      QSignalSpy loaded(&window.Session(), &FolderSession::WorkFinished);
      window.Session().OpenPathList({first.Path() / "a.mp3"});
      QVERIFY(loaded.count() > 0 || loaded.wait(30000));
      QCOMPARE(none.Asked(), 0);
      QCOMPARE(window.CurrentFolder(), first.Path());
      QCOMPARE(window.CatalogueData().RowCount(MediaFormat::MP3), 1);
    }
    QCOMPARE(TitleOnDisk(first, "a.mp3"), std::string());
  }

  void aFolderOnTheCommandLineIsListed() {
    MediaFolder folder;
    folder.Copy("mp3/plain.mp3", "a.mp3");
    folder.Copy("wav/tagged.wav", "b.wav");
    TFormMain window({folder.Path()});
    window.show();
    QVERIFY(WaitIdle(window));
    QCOMPARE(window.CurrentFolder(), folder.Path());
    QCOMPARE(window.CatalogueData().RowCount(MediaFormat::MP3), 1);
    QCOMPARE(window.CatalogueData().RowCount(MediaFormat::WAV), 1);
    QCOMPARE(Panel(window, 0), QString::fromStdString(FolderPanelText(folder.Path())));
  }

  void aLaterSaveClearsTheFailureCount() {
    MediaFolder folder;
    folder.Copy("mp3/plain.mp3", "a.mp3");
    folder.Copy("mp3/plain.mp3", "b.mp3");
    TFormMain window;
    window.show();
    LoadInto(window, folder.Path());
    SetTitle(window, 0, "一");
    SetTitle(window, 1, "二");
    QFile broken(QString::fromStdString((folder.Path() / "a.mp3").string()));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("no longer an mp3 file");
    broken.close();
    QVERIFY(SaveAndWait(window));
    QVERIFY(Panel(window, 0).contains(QStringLiteral("保存できませんでした")));
    folder.Copy("mp3/plain.mp3", "a.mp3");
    QVERIFY(SaveAndWait(window));
    QCOMPARE(Panel(window, 0), QString::fromStdString(FolderPanelText(folder.Path())));
    QCOMPARE(TitleOnDisk(folder, "a.mp3"), std::string("一"));
    QVERIFY(!window.Session().HasStagedEdits());
  }

  void eachFormatPageGivesPanel0BackToTheFolder() {
    MediaFolder folder;
    folder.Copy("mp3/plain.mp3", "a.mp3");
    folder.Copy("wav/tagged.wav", "b.wav");
    TFormMain window;
    window.show();
    LoadInto(window, folder.Path());
    SetTitle(window, 0, "曲");
    QVERIFY(SetCellValue(window.CatalogueData(), EditTarget::FileNames(MediaFormat::WAV), 0, "c.wav"));
    QSignalSpy done(&window.Session(), &FolderSession::SaveDone);
    QStringList panels;
    // Connected before the worker starts, so that no early step is missed.
    connect(&window.Session(), &FolderSession::SaveStarting, this, [&](SaveTag* worker) {
      connect(worker, &SaveTag::Progress, this, [&](const QString&, const QString& message) {
        if (message.isEmpty()) panels << Panel(window, 0);  // the WAV page's rename step
      });
    });
    Action(window, "MenuFileSave")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(done.count() > 0, 30000);
    QCOMPARE(panels, QStringList{QString::fromStdString(FolderPanelText(folder.Path()))});
    QVERIFY(std::filesystem::exists(folder.Path() / "c.wav"));
  }
};

QTEST_MAIN(TestUnsavedChanges)
#include "test_unsaved_changes.moc"
