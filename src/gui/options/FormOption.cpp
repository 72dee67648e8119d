#include "gui/common/ReasonText.h"
#include "gui/options/FormOption.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <memory>
#include <optional>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "core/settings/SettingsKeys.h"
#include "core/tools/DesktopEntry.h"
#include "core/tools/MimeInfoCache.h"
#include "gui/app/HelpLocator.h"
#include "gui/catalogue/StoredColor.h"
#include "gui/options/PlayerList.h"
#include "gui/tools/DefaultEditor.h"
#include "gui/tools/FormTool.h"

namespace hozanki {
namespace {

namespace option = settings::option;

constexpr std::string_view kRecommended = " （推奨）";
constexpr const char* kIconName = "hozanki";

// An editor setting that cannot name a program here: empty, or a Windows
// name ("Notepad.exe", "C:\WINDOWS\Notepad.exe").
bool IsWindowsEditorName(const QString& editor) {
  return editor.trimmed().isEmpty() || editor.contains(QLatin1Char('\\')) ||
         editor.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive);
}

// Items of an ID3v2 save option, the default one carrying "（推奨）".
QStringList MarkedItems(QStringList items, int recommended) {
  if (recommended >= 0 && recommended < items.size())
    items[recommended] += QString::fromUtf8(kRecommended.data(), static_cast<int>(kRecommended.size()));
  return items;
}

QComboBox* ItemBox(const char* name, const QStringList& items) {
  auto* box = new QComboBox;
  box->setObjectName(QLatin1String(name));
  box->addItems(items);
  return box;
}

QCheckBox* Check(const char* name, const char* caption) {
  auto* box = new QCheckBox(QString::fromUtf8(caption));
  box->setObjectName(QLatin1String(name));
  return box;
}

// 0x00BBGGRR, as the settings file stores a colour that is not a system one.
int EncodeColor(const QColor& color) {
  return color.red() | (color.green() << 8) | (color.blue() << 16);
}

void SetShortcut(bool wanted, const std::filesystem::path& path, bool openWith) {
  if (wanted)
    CreateShortcut(path, ShortcutEntryText(QCoreApplication::applicationFilePath().toStdString(), kIconName,
                                           openWith));
  else
    RemoveShortcut(path);
}

// File managers offer an application for a file type only once the media
// type cache of its applications folder lists it: the desktop's own tool
// writes the cache, or, where it is missing or fails, the same text is
// written here.
void RegisterApplications(const std::filesystem::path& folder) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
  if (!tool.isEmpty()) {
    QProcess process;
    process.start(tool, {QString::fromStdString(folder.string())});
    if (process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
      return;
    process.kill();
    process.waitForFinished(1000);
  }
  WriteMimeInfoCache(folder);
}

}  // namespace

OptionDialogs StandardOptionDialogs() {
  OptionDialogs dialogs;
  dialogs.openProgram = OpenProgramDialog;
  dialogs.pickColor = [](QWidget* parent, const QColor& start) {
    return QColorDialog::getColor(start, parent);
  };
  // Asked once: the desktop's answer does not change while the dialog is open.
  dialogs.defaultEditor = [cache = std::make_shared<std::optional<QString>>()] {
    if (!*cache) *cache = DefaultEditorProgram();
    return **cache;
  };
  return dialogs;
}

TFormOption::TFormOption(const AppSettings& current, const QString& fontName,
                         const std::filesystem::path& settingsFolder, OptionDialogs dialogs, QWidget* parent)
    : QDialog(parent), result_(current), settingsFolder_(settingsFolder), dialogs_(std::move(dialogs)) {
  setObjectName(QStringLiteral("FormOption"));
  setWindowTitle(QStringLiteral("動作環境設定"));

  PageControlOption = new QTabWidget;
  PageControlOption->setObjectName(QStringLiteral("PageControlOption"));
  PageControlOption->addTab(MakeStartPage(), QStringLiteral("起動"));
  PageControlOption->addTab(MakeEditPage(), QStringLiteral("編集"));
  PageControlOption->addTab(MakePlayerPage(), QStringLiteral("再生"));
  PageControlOption->addTab(MakeViewPage(), QStringLiteral("表示"));
  PageControlOption->addTab(MakeSavePage(), QStringLiteral("保存"));
  PageControlOption->addTab(MakeOtherPage(), QStringLiteral("その他"));
  connect(PageControlOption, &QTabWidget::currentChanged, this, &TFormOption::PageControlOptionChange);

  ButtonOk = new QPushButton(QStringLiteral("OK"));
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setDefault(true);
  ButtonCancel = new QPushButton(QStringLiteral("CANCEL"));
  ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
  connect(ButtonOk, &QPushButton::clicked, this, &TFormOption::ButtonOkClick);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ButtonOk);
  buttons->addWidget(ButtonCancel);
  auto* main = new QVBoxLayout(this);
  main->addWidget(PageControlOption);
  main->addLayout(buttons);

  auto* help = new QAction(this);
  help->setObjectName(QStringLiteral("HelpContext"));
  help->setShortcut(QKeySequence(Qt::Key_F1));
  addAction(help);
  connect(help, &QAction::triggered, this, [this] { OpenHelp(this, helpContext_); });

  FormCreate(current, fontName);
  resize(460, 360);
}

QWidget* TFormOption::MakeStartPage() {
  CheckBoxOpDesktop = Check("CheckBoxOpDesktop", "デスクトップにショートカット作成");
  CheckBoxOpSend = Check("CheckBoxOpSend", "ファイルマネージャーの「アプリケーションで開く」に追加");
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(CheckBoxOpDesktop);
  layout->addWidget(CheckBoxOpSend);
  layout->addStretch(1);
  return page;
}

QWidget* TFormOption::MakeEditPage() {
  EditMemoSize = new QSpinBox;
  EditMemoSize->setObjectName(QStringLiteral("EditMemoSize"));
  EditMemoSize->setRange(16, 999);
  CheckBoxExtOmit = Check("CheckBoxExtOmit", "ファイル名のコピーでは拡張子を除去");
  CheckBoxExtProtect = Check("CheckBoxExtProtect", "ファイル名へのペーストでは拡張子を保護");
  LabeledEditEditor = new QLineEdit;
  LabeledEditEditor->setObjectName(QStringLiteral("LabeledEditEditor"));
  ButtonEditor = new QPushButton(QStringLiteral("参照"));
  ButtonEditor->setObjectName(QStringLiteral("ButtonEditor"));
  connect(ButtonEditor, &QPushButton::clicked, this, &TFormOption::ButtonBrowseClick);
  LabelEditorCommand = new QLabel;
  LabelEditorCommand->setObjectName(QStringLiteral("LabelEditorCommand"));
  LabelEditorCommand->setWordWrap(true);
  LabelEditorCommand->setTextInteractionFlags(Qt::TextSelectableByMouse);
  connect(LabeledEditEditor, &QLineEdit::editingFinished, this, &TFormOption::ShowEditorCommand);

  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* memo = new QHBoxLayout;
  memo->addWidget(new QLabel(QStringLiteral("複数行タグ編集領域の縦サイズ")));
  memo->addWidget(EditMemoSize);
  memo->addWidget(new QLabel(QStringLiteral("（ﾋﾟｸｾﾙ単位）")));
  memo->addStretch(1);
  layout->addLayout(memo);
  layout->addWidget(CheckBoxExtOmit);
  layout->addWidget(CheckBoxExtProtect);
  auto* editorLabel = new QLabel(QStringLiteral("テキストエディタ"));
  editorLabel->setBuddy(LabeledEditEditor);
  layout->addWidget(editorLabel);
  auto* editor = new QHBoxLayout;
  editor->addWidget(LabeledEditEditor, 1);
  editor->addWidget(ButtonEditor);
  layout->addLayout(editor);
  layout->addWidget(LabelEditorCommand);
  layout->addStretch(1);
  return page;
}

QWidget* TFormOption::MakePlayerPage() {
  ListViewOptionPlayer = new PlayerList;
  ListViewOptionPlayer->SetProgramDialog([this](const QString& start) {
    return dialogs_.openProgram ? dialogs_.openProgram(this, start) : QString();
  });
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(ListViewOptionPlayer);
  return page;
}

QWidget* TFormOption::MakeViewPage() {
  ComboBoxFontName = new QComboBox;
  ComboBoxFontName->setObjectName(QStringLiteral("ComboBoxFontName"));
  ComboBoxFontName->setEditable(true);
  ComboBoxFontName->setInsertPolicy(QComboBox::NoInsert);
  auto sample = [](const char* name) {
    auto* panel = new QLabel(QStringLiteral("サンプル"));
    panel->setObjectName(QLatin1String(name));
    panel->setAlignment(Qt::AlignCenter);
    panel->setAutoFillBackground(true);
    panel->setMinimumSize(90, 24);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    return panel;
  };
  PanelN = sample("PanelN");
  PanelS = sample("PanelS");
  const char* names[4] = {"ButtonColorNC", "ButtonColorNB", "ButtonColorSC", "ButtonColorSB"};
  const char* captions[4] = {"文字色", "背景色", "文字色", "背景色"};
  for (int i = 0; i < 4; ++i) {
    auto* button = new QPushButton(QString::fromUtf8(captions[i]));
    button->setObjectName(QLatin1String(names[i]));
    connect(button, &QPushButton::clicked, this, [this, i] { ButtonColorClick(i + 1); });
    ButtonColor[static_cast<size_t>(i)] = button;
  }
  auto* colours = new QGroupBox(QStringLiteral("カラム編集モードの配色"));
  auto* grid = new QGridLayout(colours);
  grid->addWidget(new QLabel(QStringLiteral("通常")), 0, 0);
  grid->addWidget(PanelN, 0, 1);
  grid->addWidget(ButtonColor[0], 0, 2);
  grid->addWidget(ButtonColor[1], 0, 3);
  grid->addWidget(new QLabel(QStringLiteral("選択")), 1, 0);
  grid->addWidget(PanelS, 1, 1);
  grid->addWidget(ButtonColor[2], 1, 2);
  grid->addWidget(ButtonColor[3], 1, 3);

  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* font = new QHBoxLayout;
  auto* fontLabel = new QLabel(QStringLiteral("フォント"));
  fontLabel->setBuddy(ComboBoxFontName);
  font->addWidget(fontLabel);
  font->addWidget(ComboBoxFontName, 1);
  layout->addLayout(font);
  layout->addWidget(colours);
  layout->addStretch(1);
  return page;
}

QWidget* TFormOption::MakeSavePage() {
  const QString none = QStringLiteral("変更なし");
  ComboBoxUnicode = ItemBox(
      "ComboBoxUnicode", MarkedItems({none, QStringLiteral("無効"), QStringLiteral("有効")}, option::kUnicodeDefault));
  ComboBoxUnsync = ItemBox(
      "ComboBoxUnsync", MarkedItems({none, QStringLiteral("無効"), QStringLiteral("有効")}, option::kUnsyncDefault));
  ComboBoxID3v2Ver =
      ItemBox("ComboBoxID3v2Ver", MarkedItems({none, QStringLiteral("2.2"), QStringLiteral("2.3"), QStringLiteral("2.4")},
                                              option::kID3v2VerDefault));
  auto* group = new QGroupBox(QStringLiteral("ID3v2の形式"));
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(QStringLiteral("Unicodeで書き込む")), 0, 0);
  grid->addWidget(ComboBoxUnicode, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("非同期化(Unsync)")), 1, 0);
  grid->addWidget(ComboBoxUnsync, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("ID3v2のバージョン")), 2, 0);
  grid->addWidget(ComboBoxID3v2Ver, 2, 1);
  auto* note = new QLabel(QStringLiteral("※変更なし\n元の設定を\n引き継ぐ"));
  note->setObjectName(QStringLiteral("LabelID3v2Note"));
  grid->addWidget(note, 0, 2, 3, 1);
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(group);
  layout->addStretch(1);
  return page;
}

QWidget* TFormOption::MakeOtherPage() {
  CheckBoxTimeStamp = Check("CheckBoxTimeStamp", "ファイルのタイムスタンプを更新しない");
  auto* group = new QGroupBox(QStringLiteral("カラムボタン2重クリック時の動作"));
  group->setObjectName(QStringLiteral("RadioGroupClmMode"));
  auto* groupLayout = new QVBoxLayout(group);
  auto* buttons = new QButtonGroup(group);
  const char* captions[2] = {"モード解除", "メニュー表示"};
  for (int i = 0; i < 2; ++i) {
    auto* radio = new QRadioButton(QString::fromUtf8(captions[i]));
    radio->setObjectName(QStringLiteral("RadioClmMode%1").arg(i));
    buttons->addButton(radio, i);
    groupLayout->addWidget(radio);
    RadioGroupClmMode[static_cast<size_t>(i)] = radio;
  }
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(CheckBoxTimeStamp);
  layout->addWidget(group);
  layout->addStretch(1);
  return page;
}

void TFormOption::FormCreate(const AppSettings& current, const QString& fontName) {
  std::error_code ec;
  CheckBoxOpDesktop->setChecked(std::filesystem::exists(DesktopShortcutPath(), ec));
  CheckBoxOpSend->setChecked(std::filesystem::exists(OpenWithEntryPath(), ec));
  // A Windows name shows the editor that really runs instead.
  const QString storedEditor = QString::fromStdString(current.editor);
  LabeledEditEditor->setText(IsWindowsEditorName(storedEditor) && dialogs_.defaultEditor ? dialogs_.defaultEditor()
                                                                                         : storedEditor);
  ShowEditorCommand();
  CheckBoxExtOmit->setChecked(current.extOmit);
  CheckBoxExtProtect->setChecked(current.extProtect);
  for (int n = 0; n < kFormatCount; ++n)
    ListViewOptionPlayer->SetRow(n, QString::fromStdString(current.player[static_cast<size_t>(n)]),
                                 QString::fromStdString(current.playerPrm[static_cast<size_t>(n)]));
  EditMemoSize->setValue(current.memoSize);
  QStringList families;
  for (const QString& family : QFontDatabase::families())
    if (!family.startsWith(QLatin1Char('@'))) families << family;
  ComboBoxFontName->addItems(families);
  ComboBoxFontName->setEditText(fontName);
  shownFontName_ = fontName;
  colors_ = {current.colorNC, current.colorNB, current.colorSC, current.colorSB};
  PaintSamples();
  auto index = [](int value, int count, int fallback) { return value >= 0 && value < count ? value : fallback; };
  ComboBoxUnicode->setCurrentIndex(index(current.unicode, 3, option::kUnicodeDefault));
  ComboBoxUnsync->setCurrentIndex(index(current.unsync, 3, option::kUnsyncDefault));
  ComboBoxID3v2Ver->setCurrentIndex(index(current.id3v2Ver, 4, option::kID3v2VerDefault));
  CheckBoxTimeStamp->setChecked(current.timeStamp);
  RadioGroupClmMode[current.clmMode == 1 ? 1 : 0]->setChecked(true);
}

void TFormOption::PageControlOptionChange(int page) {
  if (page >= 0 && page < static_cast<int>(kPageHelpContexts.size()))
    helpContext_ = kPageHelpContexts[static_cast<size_t>(page)];
}

void TFormOption::ButtonBrowseClick() {
  if (!dialogs_.openProgram) return;
  const QString chosen = dialogs_.openProgram(this, LabeledEditEditor->text());
  if (!chosen.isEmpty()) LabeledEditEditor->setText(chosen);
  ShowEditorCommand();
}

void TFormOption::ShowEditorCommand() {
  const QString typed = LabeledEditEditor->text();
  QString program = typed;
  if (!IsProgramFile(typed)) program = dialogs_.defaultEditor ? dialogs_.defaultEditor() : QString();
  const QString line = program.isEmpty() ? QString() : EditorCommandLine(program.toStdString());
  if (!line.isEmpty())
    LabelEditorCommand->setText(QStringLiteral("実行: ") + line);
  else if (!program.isEmpty())
    LabelEditorCommand->setText(QStringLiteral("実行: （%1 は端末で動くエディタですが、端末エミュレータが見つかりません）")
                                    .arg(QFileInfo(program).fileName()));
  else
    LabelEditorCommand->setText(QStringLiteral("実行: （テキストエディタが見つかりません）"));
}

void TFormOption::ButtonColorClick(int tag) {
  if (!dialogs_.pickColor) return;
  int& encoded = colors_[static_cast<size_t>(tag - 1)];
  const QColor chosen = dialogs_.pickColor(this, StoredColor(encoded, palette()));
  if (!chosen.isValid()) return;
  encoded = EncodeColor(chosen);
  PaintSamples();
}

void TFormOption::PaintSamples() {
  const QPalette base = palette();
  auto paint = [&base](QLabel* panel, int text, int background) {
    QPalette p = panel->palette();
    p.setColor(QPalette::WindowText, StoredColor(text, base));
    p.setColor(QPalette::Window, StoredColor(background, base));
    panel->setPalette(p);
  };
  paint(PanelN, colors_[0], colors_[1]);
  paint(PanelS, colors_[2], colors_[3]);
}

void TFormOption::ButtonOkClick() {
  AppSettings& r = result_;
  r.editor = LabeledEditEditor->text().toStdString();
  r.extOmit = CheckBoxExtOmit->isChecked();
  r.extProtect = CheckBoxExtProtect->isChecked();
  for (int n = 0; n < kFormatCount; ++n) {
    r.player[static_cast<size_t>(n)] = ListViewOptionPlayer->Program(n).toStdString();
    r.playerPrm[static_cast<size_t>(n)] = ListViewOptionPlayer->Parameters(n).toStdString();
  }
  // An editor path naming no program falls back to the desktop's editor.
  if (!IsProgramFile(LabeledEditEditor->text())) {
    const QString fallback = dialogs_.defaultEditor ? dialogs_.defaultEditor() : QString();
    r.editor = fallback.isEmpty() ? std::string(option::kEditorDefault) : fallback.toStdString();
  }
  r.colorNC = colors_[0];
  r.colorNB = colors_[1];
  r.colorSC = colors_[2];
  r.colorSB = colors_[3];
  r.memoSize = EditMemoSize->value();
  // The box shows the font the window uses, which may stand in for the
  // stored one ("ＭＳ ゴシック"): the stored name stays unless another was chosen.
  if (ComboBoxFontName->currentText() != shownFontName_) r.fontName = ComboBoxFontName->currentText().toStdString();
  r.unicode = ComboBoxUnicode->currentIndex();
  r.unsync = ComboBoxUnsync->currentIndex();
  r.id3v2Ver = ComboBoxID3v2Ver->currentIndex();
  r.timeStamp = CheckBoxTimeStamp->isChecked();
  r.clmMode = RadioGroupClmMode[1]->isChecked() ? 1 : 0;

  // Shortcut failures are skipped without a message.
  SetShortcut(CheckBoxOpDesktop->isChecked(), DesktopShortcutPath(), false);
  std::error_code ec;
  const bool hadOpenWith = std::filesystem::exists(OpenWithEntryPath(), ec);
  SetShortcut(CheckBoxOpSend->isChecked(), OpenWithEntryPath(), true);
  if (CheckBoxOpSend->isChecked() || hadOpenWith) RegisterApplications(UserApplicationsFolder());

  const std::filesystem::path path = settingsFolder_ / kSettingsFileName;
  IniFile ini = IniFile::Load(path);
  r.WriteOptions(ini);
  std::string error;
  if (!ini.Save(path, &error))
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("設定ファイルに書き込めません。\n%1\n%2")
                             .arg(QString::fromStdString(path.string()), ReasonText(error)));
  accept();
}

}  // namespace hozanki
