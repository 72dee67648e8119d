// The options dialog: its controls, OK and CANCEL, the two desktop entries
// (in a temporary home folder), and the options applied to the open windows
// and kept over a restart.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "GuiTestSupport.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsKeys.h"
#include "core/tools/DesktopEntry.h"
#include "gui/app/FormMain.h"
#include "gui/listout/FormListMain.h"
#include "gui/listout/ListWindowCommands.h"
#include "gui/listout/PickedFileView.h"
#include "gui/options/FormOption.h"
#include "gui/options/OptionCommands.h"
#include "gui/options/PlayerList.h"

using namespace hozanki;

namespace {

namespace option = settings::option;

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

IniFile Ini(const QString& folder) {
  return IniFile::Load(std::filesystem::path(folder.toStdString()) / "NR284.ini");
}

// Dialogs that answer without asking anybody.
OptionDialogs FakeDialogs(QColor color = Qt::red, QString program = {}, QString editor = "/bin/true-editor") {
  OptionDialogs dialogs;
  dialogs.openProgram = [program](QWidget*, const QString&) { return program; };
  dialogs.pickColor = [color](QWidget*, const QColor&) { return color; };
  dialogs.defaultEditor = [editor] { return editor; };
  return dialogs;
}

QString Path(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

}  // namespace

class OptionsDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void ControlsShowTheCurrentSettings();
  void OkWritesTheSectionAndCancelNothing();
  void EditorWithoutFileFallsBackToTheDesktopEditor();
  void PlayerRowsAreEditedInPlaceAndEmptiedByDelete();
  void DesktopEntriesFollowTheBoxes();
  void PagesSetTheHelpContext();
  void FontNameIsKeptUnlessAnotherIsChosen();
  void MainWindowAppliesAtOnceAndKeepsOverRestart();

 private:
  QTemporaryDir home_;
};

void OptionsDialogTest::initTestCase() {
  // Never the real home: the desktop entries go into this folder.
  qputenv("HOME", home_.path().toLocal8Bit());
  qunsetenv("XDG_CONFIG_HOME");
  qunsetenv("XDG_DATA_HOME");
}

void OptionsDialogTest::init() {
  QDir(home_.path()).removeRecursively();
  QDir().mkpath(home_.path());
}

void OptionsDialogTest::ControlsShowTheCurrentSettings() {
  ScopedConfigDir config;
  AppSettings current;
  current.editor = "/usr/bin/ed";
  current.extProtect = true;
  current.player[2] = "/opt/play";
  current.playerPrm[2] = "-q";
  current.memoSize = 120;
  current.unicode = 0;
  current.id3v2Ver = 3;
  current.clmMode = 1;
  current.timeStamp = false;
  TFormOption dialog(current, QStringLiteral("Some Font"), config.path().toStdString(), FakeDialogs());
  QCOMPARE(dialog.windowTitle(), QStringLiteral("動作環境設定"));
  QCOMPARE(dialog.LabeledEditEditor->text(), QStringLiteral("/usr/bin/ed"));
  QVERIFY(dialog.CheckBoxExtProtect->isChecked());
  QVERIFY(!dialog.CheckBoxExtOmit->isChecked());
  QCOMPARE(dialog.ListViewOptionPlayer->rowCount(), 11);
  QCOMPARE(dialog.ListViewOptionPlayer->item(7, 0)->text(), QStringLiteral("MP4"));
  QCOMPARE(dialog.ListViewOptionPlayer->item(8, 0)->text(), QStringLiteral("FLAC"));
  QCOMPARE(dialog.ListViewOptionPlayer->item(10, 0)->text(), QStringLiteral("DSF"));
  QCOMPARE(dialog.ListViewOptionPlayer->Program(2), QStringLiteral("/opt/play"));
  QCOMPARE(dialog.ListViewOptionPlayer->Parameters(2), QStringLiteral("-q"));
  QCOMPARE(dialog.EditMemoSize->value(), 120);
  QCOMPARE(dialog.EditMemoSize->minimum(), 16);
  QCOMPARE(dialog.EditMemoSize->maximum(), 999);
  QCOMPARE(dialog.ComboBoxFontName->currentText(), QStringLiteral("Some Font"));
  QVERIFY(dialog.ComboBoxFontName->count() > 0);
  for (int i = 0; i < dialog.ComboBoxFontName->count(); ++i)
    QVERIFY(!dialog.ComboBoxFontName->itemText(i).startsWith(QLatin1Char('@')));
  QCOMPARE(dialog.ComboBoxUnicode->currentIndex(), 0);
  QCOMPARE(dialog.ComboBoxID3v2Ver->currentIndex(), 3);
  QVERIFY(!dialog.CheckBoxTimeStamp->isChecked());
  QVERIFY(dialog.RadioGroupClmMode[1]->isChecked());
  // The recommendation mark sits on each option's default.
  QVERIFY(dialog.ComboBoxUnicode->itemText(option::kUnicodeDefault).endsWith(QStringLiteral(" （推奨）")));
  QVERIFY(dialog.ComboBoxUnsync->itemText(option::kUnsyncDefault).endsWith(QStringLiteral(" （推奨）")));
  QCOMPARE(dialog.ComboBoxID3v2Ver->itemText(2), QStringLiteral("2.3 （推奨）"));
  QCOMPARE(dialog.ComboBoxUnicode->count(), 3);
  QCOMPARE(dialog.ComboBoxID3v2Ver->count(), 4);
}

void OptionsDialogTest::OkWritesTheSectionAndCancelNothing() {
  ScopedConfigDir config;
  const QString ini = config.path() + QStringLiteral("/NR284.ini");
  {
    TFormOption dialog(AppSettings(), QStringLiteral("F"), config.path().toStdString(), FakeDialogs());
    QTest::mouseClick(dialog.ButtonColor[3], Qt::LeftButton);  // selected background
    dialog.CheckBoxExtProtect->setChecked(true);
    dialog.ButtonCancel->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(ini));
  }
  AppSettings first;
  {
    TFormOption dialog(AppSettings(), QStringLiteral("Noto Sans"), config.path().toStdString(), FakeDialogs());
    QTest::mouseClick(dialog.ButtonColor[3], Qt::LeftButton);
    QCOMPARE(dialog.SampleColor(4), 0x000000FF);
    QCOMPARE(dialog.PanelS->palette().color(QPalette::Window), QColor(Qt::red));
    dialog.CheckBoxExtOmit->setChecked(true);
    dialog.EditMemoSize->setValue(200);
    dialog.ComboBoxUnsync->setCurrentIndex(0);
    dialog.CheckBoxTimeStamp->setChecked(false);
    dialog.RadioGroupClmMode[1]->setChecked(true);
    dialog.ButtonOk->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    first = dialog.Result();
  }
  const IniFile written = Ini(config.path());
  QCOMPARE(written.ReadInteger("Option", "ColorSB", 0), 255);
  QCOMPARE(written.ReadInteger("Option", "ColorSC", 0), option::kColorSCDefault);
  QCOMPARE(written.ReadInteger("Option", "MemoSize", 0), 200);
  QCOMPARE(written.ReadBool("Option", "ExtOmit", false), true);
  QCOMPARE(written.ReadInteger("Option", "Unsync", -1), 0);
  QCOMPARE(written.ReadBool("Option", "TimeStamp", true), false);
  QCOMPARE(written.ReadInteger("Option", "ClmMode", 0), 1);
  // The box showed a stand-in that was not touched: the stored name stays.
  QCOMPARE(written.ReadString("Option", "FontName"), std::string(option::kFontNameDefault));
  QStringList keys;
  for (const std::string& key : written.Keys("Option")) keys << QString::fromStdString(key);
  QCOMPARE(keys.first(), QStringLiteral("Editor"));
  QCOMPARE(keys.last(), QStringLiteral("ClmMode"));
  QCOMPARE(keys.size(), 3 + 2 * kFormatCount + 4 + 7);  // a player and its parameters per format

  // Reopened and OK again without touching anything: red stays.
  TFormOption again(first, QStringLiteral("Noto Sans"), config.path().toStdString(), FakeDialogs(QColor()));
  QTest::mouseClick(again.ButtonColor[3], Qt::LeftButton);  // colour dialog cancelled
  again.ButtonOk->click();
  QCOMPARE(Ini(config.path()).ReadInteger("Option", "ColorSB", 0), 255);
  QCOMPARE(again.Result().colorSB, 255);
}

void OptionsDialogTest::EditorWithoutFileFallsBackToTheDesktopEditor() {
  ScopedConfigDir config;
  const QString program = QStandardPaths::findExecutable(QStringLiteral("sh"));
  struct Case {
    QString typed;
    QString desktopEditor;
    QString stored;
  };
  const Case cases[] = {
      {QString(), QStringLiteral("/usr/bin/mousepad"), QStringLiteral("/usr/bin/mousepad")},
      {QStringLiteral("C:\\WINDOWS\\Notepad.exe"), QStringLiteral("/usr/bin/gedit"), QStringLiteral("/usr/bin/gedit")},
      {QStringLiteral("/no/such/editor"), QString(), QStringLiteral("Notepad.exe")},
      {program, QStringLiteral("/usr/bin/gedit"), program},  // an existing program is kept
  };
  for (const Case& c : cases) {
    TFormOption dialog(AppSettings(), QStringLiteral("F"), config.path().toStdString(),
                       FakeDialogs(Qt::red, {}, c.desktopEditor));
    dialog.LabeledEditEditor->setText(c.typed);
    dialog.ButtonOk->click();
    QCOMPARE(QString::fromStdString(dialog.Result().editor), c.stored);
    QCOMPARE(QString::fromStdString(Ini(config.path()).ReadString("Option", "Editor")), c.stored);
  }
  // "参照" puts the chosen program into the field.
  TFormOption dialog(AppSettings(), QStringLiteral("F"), config.path().toStdString(),
                     FakeDialogs(Qt::red, QStringLiteral("/opt/ed")));
  dialog.ButtonEditor->click();
  QCOMPARE(dialog.LabeledEditEditor->text(), QStringLiteral("/opt/ed"));
}

void OptionsDialogTest::PlayerRowsAreEditedInPlaceAndEmptiedByDelete() {
  ScopedConfigDir config;
  AppSettings current;
  for (int n = 0; n < kFormatCount; ++n) {
    current.player[static_cast<size_t>(n)] = "/p" + std::to_string(n);
    current.playerPrm[static_cast<size_t>(n)] = "-a" + std::to_string(n);
  }
  TFormOption dialog(current, QStringLiteral("F"), config.path().toStdString(),
                     FakeDialogs(Qt::red, QStringLiteral("/usr/bin/chosen player")));
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  dialog.PageControlOption->setCurrentIndex(2);
  PlayerList* list = dialog.ListViewOptionPlayer;
  auto cellCentre = [list](int row, int column) {
    return list->visualItemRect(list->item(row, column)).center();
  };
  // A press on a row that is not armed does nothing.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellCentre(1, PlayerList::kProgramColumn));
  QCOMPARE(list->Program(1), QStringLiteral("/p1"));
  // Armed by a double click: the program comes from the file dialog.
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cellCentre(1, PlayerList::kProgramColumn));
  QCOMPARE(list->ArmedRow(), 1);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellCentre(1, PlayerList::kProgramColumn));
  QCOMPARE(list->Program(1), QStringLiteral("/usr/bin/chosen player"));
  QCOMPARE(list->ArmedRow(), -1);
  // The parameter editor: Enter stores (at most 30 characters), Escape drops.
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cellCentre(4, PlayerList::kParameterColumn));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellCentre(4, PlayerList::kParameterColumn));
  QVERIFY(list->Editor()->isVisible());
  list->Editor()->clear();
  QTest::keyClicks(list->Editor(), QString(40, QLatin1Char('x')));
  QTest::keyClick(list->Editor(), Qt::Key_Return);
  QVERIFY(!list->Editor()->isVisible());
  QCOMPARE(list->Parameters(4), QString(30, QLatin1Char('x')));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellCentre(4, PlayerList::kParameterColumn));
  QTest::keyClicks(list->Editor(), QStringLiteral("zz"));
  QTest::keyClick(list->Editor(), Qt::Key_Escape);
  QCOMPARE(list->Parameters(4), QString(30, QLatin1Char('x')));
  // Delete empties the selected row; rows stay eleven.
  list->setCurrentCell(2, 0);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Delete);
  QCOMPARE(list->rowCount(), 11);
  dialog.ButtonOk->click();
  const IniFile ini = Ini(config.path());
  QVERIFY(ini.HasKey("Option", "Player3"));
  QCOMPARE(ini.ReadString("Option", "Player3", "x"), std::string());
  QCOMPARE(ini.ReadString("Option", "PlayerPrm3", "x"), std::string());
  QCOMPARE(ini.ReadString("Option", "Player2"), std::string("/usr/bin/chosen player"));
  QCOMPARE(ini.ReadString("Option", "PlayerPrm5"), std::string(30, 'x'));
  QCOMPARE(ini.ReadString("Option", "PlayerPrm4"), std::string("-a3"));
}

void OptionsDialogTest::DesktopEntriesFollowTheBoxes() {
  ScopedConfigDir config;
  const QString desktop = Path(DesktopShortcutPath());
  const QString openWith = Path(OpenWithEntryPath());
  QVERIFY(desktop.startsWith(home_.path()));
  QVERIFY(openWith.startsWith(home_.path() + QStringLiteral("/.local/share/applications/")));
  {
    TFormOption dialog(AppSettings(), QStringLiteral("F"), config.path().toStdString(), FakeDialogs());
    QVERIFY(!dialog.CheckBoxOpDesktop->isChecked());
    QVERIFY(!dialog.CheckBoxOpSend->isChecked());
    QCOMPARE(dialog.CheckBoxOpSend->text(), QStringLiteral("ファイルマネージャーの「アプリケーションで開く」に追加"));
    dialog.CheckBoxOpDesktop->setChecked(true);
    dialog.CheckBoxOpSend->setChecked(true);
    dialog.ButtonOk->click();
  }
  const QByteArray entry = ReadFile(desktop);
  QVERIFY(entry.contains("\nName=Hozanki\n"));
  QVERIFY(entry.contains(QCoreApplication::applicationFilePath().toUtf8()));
  QVERIFY(ReadFile(openWith).contains("MimeType=audio/mpeg;"));
  QVERIFY(ReadFile(openWith).contains("\nComment[ja]=音楽・動画ファイルのタグ編集とリネーム\n"));
  // Registered: the folder's media type cache names the entry.
  const QString cache = QFileInfo(openWith).path() + QStringLiteral("/mimeinfo.cache");
  QVERIFY2(ReadFile(cache).contains("\naudio/mpeg=hozanki-open-with.desktop;\n"), ReadFile(cache).constData());
  QVERIFY(ReadFile(cache).contains("\nvideo/mp4=hozanki-open-with.desktop;\n"));
  const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
  if (!validate.isEmpty()) {
    for (const QString& file : {desktop, openWith}) {
      QProcess check;
      check.start(validate, {file});
      QVERIFY(check.waitForFinished(10000));
      QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
    }
  }
  // Ticked on opening; OK with the box ticked writes the entry again.
  QFile damaged(desktop);
  QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
  damaged.write("old");
  damaged.close();
  {
    TFormOption dialog(AppSettings(), QStringLiteral("F"), config.path().toStdString(), FakeDialogs());
    QVERIFY(dialog.CheckBoxOpDesktop->isChecked());
    QVERIFY(dialog.CheckBoxOpSend->isChecked());
    dialog.ButtonOk->click();
  }
  QCOMPARE(ReadFile(desktop), entry);
  // CANCEL leaves them; unticked and OK removes them.
  {
    TFormOption dialog(AppSettings(), QStringLiteral("F"), config.path().toStdString(), FakeDialogs());
    dialog.CheckBoxOpDesktop->setChecked(false);
    dialog.ButtonCancel->click();
  }
  QVERIFY(QFile::exists(desktop));
  {
    TFormOption dialog(AppSettings(), QStringLiteral("F"), config.path().toStdString(), FakeDialogs());
    dialog.CheckBoxOpDesktop->setChecked(false);
    dialog.CheckBoxOpSend->setChecked(false);
    dialog.ButtonOk->click();
  }
  QVERIFY(!QFile::exists(desktop));
  QVERIFY(!QFile::exists(openWith));
  QVERIFY(!ReadFile(cache).contains("hozanki-open-with.desktop"));
  QVERIFY(ReadFile(cache).startsWith("[MIME Cache]\n"));
  // Without the desktop's tool the cache is written all the same.
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", home_.path().toLocal8Bit());
  {
    TFormOption dialog(AppSettings(), QStringLiteral("F"), config.path().toStdString(), FakeDialogs());
    dialog.CheckBoxOpSend->setChecked(true);
    dialog.ButtonOk->click();
  }
  qputenv("PATH", path);
  QVERIFY(ReadFile(cache).contains("\naudio/mpeg=hozanki-open-with.desktop;\n"));
}

void OptionsDialogTest::FontNameIsKeptUnlessAnotherIsChosen() {
  const QString noto = QStringLiteral("Noto Sans Mono CJK JP");
  struct Case {
    const char* stored;
    QString shown;             // what the window uses
    QStringList typed;         // texts put into the box one after another
    const char* expected;
  };
  const Case cases[] = {
      {"ＭＳ ゴシック", noto, {}, "ＭＳ ゴシック"},
      {"ＭＳ ゴシック", noto, {"DejaVu Sans"}, "DejaVu Sans"},
      {"ＭＳ ゴシック", noto, {"DejaVu Sans", noto}, "ＭＳ ゴシック"},  // back to what it showed
      {"Noto Sans Mono CJK JP", noto, {}, "Noto Sans Mono CJK JP"},
      {"Noto Sans Mono CJK JP", noto, {"ＭＳ ゴシック"}, "ＭＳ ゴシック"},
  };
  for (const Case& c : cases) {
    ScopedConfigDir config;
    AppSettings current;
    current.fontName = c.stored;
    TFormOption dialog(current, c.shown, config.path().toStdString(), FakeDialogs());
    QCOMPARE(dialog.ComboBoxFontName->currentText(), c.shown);
    for (const QString& text : c.typed) dialog.ComboBoxFontName->setEditText(text);
    dialog.ButtonOk->click();
    QCOMPARE(QString::fromStdString(dialog.Result().fontName), QString::fromUtf8(c.expected));
    QCOMPARE(QString::fromStdString(Ini(config.path()).ReadString("Option", "FontName")),
             QString::fromUtf8(c.expected));
  }
}

void OptionsDialogTest::PagesSetTheHelpContext() {
  ScopedConfigDir config;
  TFormOption dialog(AppSettings(), QStringLiteral("F"), config.path().toStdString(), FakeDialogs());
  QCOMPARE(dialog.HelpContext(), 211);
  const QStringList pages{"起動", "編集", "再生", "表示", "保存", "その他"};
  QCOMPARE(dialog.PageControlOption->count(), pages.size());
  for (int page : {4, 1, 5, 2, 3, 0}) {
    dialog.PageControlOption->setCurrentIndex(page);
    QCOMPARE(dialog.PageControlOption->tabText(page), pages[page]);
    QCOMPARE(dialog.HelpContext(), 211 + page);
  }
}

void OptionsDialogTest::MainWindowAppliesAtOnceAndKeepsOverRestart() {
  ScopedConfigDir config;
  QString family;
  {
    TFormMain window;
    // Any installed family other than the one in use.
    for (const QString& name : QFontDatabase::families())
      if (name != window.TagTable(1)->font().family() && !name.startsWith(QLatin1Char('@'))) {
        family = name;
        break;
      }
    QVERIFY2(!family.isEmpty(), "the test needs a second font");
    window.Options().SetOptionDialogs(FakeDialogs(QColor(0, 128, 0)));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.SyncRequest() != -1 && !window.IsBusy());
    TFormListMain* list = window.ListWindow().FormListMainWindow(true);
    QAction* item = window.findChild<QAction*>(QStringLiteral("MenuOptionGeneral"));
    QVERIFY(item->isEnabled());
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<TFormOption*>(QApplication::activeModalWidget());
      if (!dialog) return;
      seen = true;
      QTest::mouseClick(dialog->ButtonColor[3], Qt::LeftButton);
      dialog->ComboBoxFontName->setEditText(family);
      dialog->EditMemoSize->setValue(150);
      dialog->CheckBoxExtProtect->setChecked(false);
      dialog->ButtonOk->click();
    });
    item->trigger();
    QVERIFY(seen);
    QCOMPARE(AppSettings::Current().colorSB, 0x008000);
    QVERIFY(!AppSettings::Current().extProtect);
    QCOMPARE(window.findChild<QPlainTextEdit*>(QStringLiteral("MemoListView"))->height(), 150);
    QCOMPARE(window.TagTable(1)->font().family(), family);
    QCOMPARE(window.FileList(0)->font().family(), family);
    QCOMPARE(window.findChild<QComboBox*>(QStringLiteral("DriveComboBox"))->font().family(), family);
    QCOMPARE(list->ListViewF->font().family(), family);
    QCOMPARE(list->StatusBar->font().family(), family);

    // CANCEL changes nothing.
    QTimer::singleShot(0, [&] {
      if (auto* dialog = qobject_cast<TFormOption*>(QApplication::activeModalWidget())) {
        dialog->EditMemoSize->setValue(300);
        dialog->ButtonCancel->click();
      }
    });
    item->trigger();
    QCOMPARE(AppSettings::Current().memoSize, 150);
    window.close();
  }
  AppSettings::Current() = AppSettings();
  TFormMain restarted;
  QCOMPARE(AppSettings::Current().colorSB, 0x008000);
  QVERIFY(!AppSettings::Current().extProtect);
  QCOMPARE(restarted.TagTable(4)->font().family(), family);
  QCOMPARE(restarted.findChild<QPlainTextEdit*>(QStringLiteral("MemoListView"))->height(), 150);
}

QTEST_MAIN(OptionsDialogTest)
#include "test_options_dialog.moc"
