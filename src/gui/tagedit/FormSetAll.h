#pragma once
// `TFormSetAll` ("一括入力"): one of five pages, chosen by the edit column,
// for a single-line value, a genre, a multi-line value, a running number or
// a number pair n/m. The "SetAll" keys of "NR284.ini" are read when the
// dialog is made and written when it closes.

#include <QDialog>
#include <filesystem>

#include "core/tagedit/SetAll.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;

namespace hozanki {

class TFormSetAll : public QDialog {
  Q_OBJECT
 public:
  // F1: the manual's section on this window.
  static constexpr int kHelpContext = 121;
  // `cell` is the focused row's cell text (pages TS1, TS2, TS3);
  // `settingsFolder` holds "NR284.ini" (empty: the settings are not kept).
  TFormSetAll(const SetAllLayout& layout, const std::string& cell,
              const std::filesystem::path& settingsFolder, QWidget* parent = nullptr);
  ~TFormSetAll() override;

  SetAllPage Page() const { return layout_.page; }
  // "すべて選択".
  bool SelectAll() const;
  // What the user entered, for ApplySetAll.
  SetAllInput Input() const;

  // The controls, named as their objectName.
  QStackedWidget* PageControl = nullptr;
  QLineEdit* EditSetAll = nullptr;
  QComboBox* ComboBoxSetAll = nullptr;
  QPlainTextEdit* MemoSetAll = nullptr;
  QSpinBox* EditSetAllNo = nullptr;
  QSpinBox* EditSetAllNoCount = nullptr;
  QCheckBox* CheckBoxSetAllNo = nullptr;
  QLineEdit* LabeledEditSetAllNo1 = nullptr;
  QLineEdit* LabeledEditSetAllNo2 = nullptr;
  QSpinBox* EditSetAllNo2 = nullptr;
  QSpinBox* EditSetAllNoCount2 = nullptr;
  QCheckBox* CheckBoxSetAllNo2 = nullptr;
  QCheckBox* CheckBoxSetAllTotal = nullptr;
  QLineEdit* EditSetAllTotal = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;
  QCheckBox* CheckBoxAll = nullptr;

 protected:
  void done(int result) override;

 private slots:
  void CheckBoxSetAllTotalClick();

 private:
  QWidget* BuildTextPage(const std::string& cell);
  QWidget* BuildGenrePage(const std::string& cell);
  QWidget* BuildMemoPage(const std::string& cell);
  QWidget* BuildNumberPage();
  QWidget* BuildPairPage();
  void ReadSettings();
  void WriteSettings() const;

  SetAllLayout layout_;
  std::filesystem::path settingsFolder_;
};

}  // namespace hozanki
