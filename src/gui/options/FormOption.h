#pragma once
// `TFormOption` "動作環境設定": the options dialog, made, shown modally and
// destroyed by each "動作環境(&E)". It edits a copy of the settings of
// section "Option"; "OK" (`ButtonOkClick`) fixes the editor path, creates or
// removes the two desktop entries and writes the section atomically, then
// accepts (the main window applies Result() to its windows); "CANCEL"
// changes nothing. Each page's help context becomes the dialog's on F1.

#include <QDialog>
#include <array>
#include <filesystem>
#include <functional>

#include "core/settings/AppSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace hozanki {

class PlayerList;

// What the dialog asks of the desktop; tests put their own in.
struct OptionDialogs {
  // A program file: start path in, chosen path out (empty: cancelled).
  std::function<QString(QWidget* parent, const QString& start)> openProgram;
  // A colour; an invalid colour means cancelled.
  std::function<QColor(QWidget* parent, const QColor& start)> pickColor;
  // The desktop's default text editor program (empty when there is none).
  std::function<QString()> defaultEditor;
};
OptionDialogs StandardOptionDialogs();

class TFormOption : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 211;
  // Help contexts of the pages 起動, 編集, 再生, 表示, 保存, その他.
  static constexpr std::array<int, 6> kPageHelpContexts = {211, 212, 213, 214, 215, 216};

  // `fontName` is the font the main window's drive box uses (the stored
  // "FontName" of `current`, or the font that stands in for it).
  TFormOption(const AppSettings& current, const QString& fontName, const std::filesystem::path& settingsFolder,
              OptionDialogs dialogs = StandardOptionDialogs(), QWidget* parent = nullptr);

  // The settings as the controls hold them (valid after OK).
  const AppSettings& Result() const { return result_; }
  int HelpContext() const { return helpContext_; }

  // Controls, named as their objectName.
  QTabWidget* PageControlOption = nullptr;
  QCheckBox* CheckBoxOpDesktop = nullptr;
  QCheckBox* CheckBoxOpSend = nullptr;
  QSpinBox* EditMemoSize = nullptr;
  QCheckBox* CheckBoxExtOmit = nullptr;
  QCheckBox* CheckBoxExtProtect = nullptr;
  QLineEdit* LabeledEditEditor = nullptr;
  QPushButton* ButtonEditor = nullptr;
  // The command line the editor field really runs (in the terminal emulator
  // for a terminal editor; the desktop's editor for a name that is none).
  QLabel* LabelEditorCommand = nullptr;
  PlayerList* ListViewOptionPlayer = nullptr;
  QComboBox* ComboBoxFontName = nullptr;
  QLabel* PanelN = nullptr;
  QLabel* PanelS = nullptr;
  std::array<QPushButton*, 4> ButtonColor{};  // NC, NB, SC, SB (Tag 1-4)
  QComboBox* ComboBoxUnicode = nullptr;
  QComboBox* ComboBoxUnsync = nullptr;
  QComboBox* ComboBoxID3v2Ver = nullptr;
  QCheckBox* CheckBoxTimeStamp = nullptr;
  std::array<QRadioButton*, 2> RadioGroupClmMode{};
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;

  // The four colours in the stored encoding, as the samples show them.
  int SampleColor(int tag) const { return colors_[static_cast<size_t>(tag - 1)]; }

 public slots:
  void ButtonOkClick();

 private:
  QWidget* MakeStartPage();
  QWidget* MakeEditPage();
  QWidget* MakePlayerPage();
  QWidget* MakeViewPage();
  QWidget* MakeSavePage();
  QWidget* MakeOtherPage();
  void FormCreate(const AppSettings& current, const QString& fontName);
  void PageControlOptionChange(int page);
  void ButtonBrowseClick();
  void ShowEditorCommand();
  void ButtonColorClick(int tag);
  void PaintSamples();

  AppSettings result_;
  std::filesystem::path settingsFolder_;
  OptionDialogs dialogs_;
  std::array<int, 4> colors_{};
  QString shownFontName_;  // what the font box showed on opening
  int helpContext_ = kHelpContext;
};

}  // namespace hozanki
