#pragma once
// "文字コード修復…": the values of the chosen files that are garbled (text
// read in the wrong code page) or held in a legacy form, one row each: file,
// tag kind, field, the text shown now, the proposed text and the source
// encoding, which the user may change per row (Shift-JIS, UTF-8, EUC-JP,
// ISO-8859-1, keep as is); rows can be unticked, and a value that reads about
// as well in two code pages starts unticked. The caller stores the ticked rows.

#include <QAbstractTableModel>
#include <QDialog>
#include <QStyledItemDelegate>
#include <vector>

#include "core/tagedit/EncodingRepairScan.h"

class QLabel;
class QPushButton;
class QTableView;

namespace hozanki {

// One value of the dialog.
struct RepairRow {
  MediaFormat format = MediaFormat::MP3;
  int row = 0;           // catalogue row of the file
  std::string fileName;  // as the file list shows it
  RepairFinding finding;
  SourceEncoding chosen = SourceEncoding::kKeep;
  bool ticked = true;

  // The text the value gets for the chosen source; empty optional when the
  // value cannot be read so.
  std::optional<std::string> Result() const { return RepairedText(finding, chosen); }
  // Ticked, and the result changes the value or moves it out of a legacy form.
  bool Applies() const;
};

// The rows as a table: 0 tick box and file name, 1 tag kind, 2 field,
// 3 shown now, 4 proposed, 5 source encoding (editable).
class RepairModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { kFile, kTag, kField, kNow, kProposed, kSource, kColumnCount };

  explicit RepairModel(std::vector<RepairRow> rows, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  const std::vector<RepairRow>& Rows() const { return rows_; }
  int TickedCount() const;

  // The captions of the source encodings in the order of SourceEncoding.
  static QStringList SourceCaptions();

 signals:
  void TicksChanged();

 private:
  std::vector<RepairRow> rows_;
};

// A drop-down list of the source encodings for column kSource.
class SourceEncodingDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
};

class TFormRepair : public QDialog {
  Q_OBJECT
 public:
  // F1: the manual's section on this window.
  static constexpr int kHelpContext = 122;
  TFormRepair(std::vector<RepairRow> rows, QWidget* parent = nullptr);

  RepairModel* Model() const { return model_; }
  // The rows to store: ticked, with a result.
  std::vector<RepairRow> Accepted() const;

  QTableView* Table = nullptr;
  QLabel* Summary = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;

 private:
  void UpdateSummary();
  RepairModel* model_ = nullptr;
};

}  // namespace hozanki
