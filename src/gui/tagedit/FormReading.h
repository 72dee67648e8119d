#pragma once
// `TFormReading` ("読みを設定"): the preview of the readings the command
// would write. Which reading columns to fill, the script (katakana,
// hiragana, romaji with its word spacing, capitals and long vowels), and a
// table "元の文字列 → 読み" whose readings can be corrected; a word the
// dictionaries do not know is kept as written and marked. OK hands the
// readings (as corrected) back; the corrections are what the user typed over
// a proposed reading.

#include <QDialog>
#include <functional>
#include <vector>

#include "core/settings/ReadingDictionaryFile.h"
#include "core/tagedit/ReadingFill.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace hozanki {

class TFormReading : public QDialog {
  Q_OBJECT
 public:
  struct ColumnChoice {
    int readingCell = 0;
    QString caption;
    bool checked = true;
  };
  // The proposals for the checked reading cells with the given options.
  using Propose = std::function<std::vector<ReadingProposal>(const std::vector<int>& cells, const ReadingOptions&)>;

  TFormReading(const std::vector<ColumnChoice>& columns, Propose propose, const ReadingOptions& options,
               QWidget* parent = nullptr);
  ~TFormReading() override;

  ReadingOptions Options() const;
  // The proposals with the readings as the table shows them now.
  std::vector<ReadingProposal> Proposals() const;
  // The rows whose reading the user changed: the text read and the reading.
  std::vector<ReadingCorrection> Corrections() const;

  QComboBox* ComboScript = nullptr;
  QCheckBox* CheckSpaces = nullptr;
  QComboBox* ComboCase = nullptr;
  QComboBox* ComboLongVowels = nullptr;
  std::vector<QCheckBox*> ColumnChecks;
  QTableWidget* Grid = nullptr;  // 行, 列, 元の文字列, 読み (editable), 読めない語
  QLabel* LabelSummary = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;

  static constexpr int kReadingColumn = 3;

 private:
  // Proposes again for the options and columns now chosen (corrections made
  // so far are dropped).
  void Refresh();

  std::vector<ColumnChoice> columns_;
  Propose propose_;
  std::vector<ReadingProposal> proposals_;
};

}  // namespace hozanki
