#pragma once
// The picked files of the list window: one vector of PickedFile records and
// two table models over it, `ListViewF` (file data) and `ListViewT` (tag
// data), so that row i of both lists is always the same file. Column 0 of
// both is the hidden empty column; column k + 1 shows sub-item k.

#include <QAbstractTableModel>
#include <vector>

#include "core/listout/PickedFile.h"

namespace hozanki {

class PickedFiles;

class PickedFileModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum class Side { Files, Tags };
  // The playing time in seconds, on the "時間" column of the file side.
  static constexpr int kSecondsRole = Qt::UserRole + 1;

  PickedFileModel(const PickedFiles& store, Side side, QObject* parent = nullptr);

  Side ListSide() const { return side_; }
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  friend class PickedFiles;
  const PickedFiles& store_;
  Side side_;
};

class PickedFiles : public QObject {
  Q_OBJECT

 public:
  explicit PickedFiles(QObject* parent = nullptr);

  const std::vector<PickedFile>& Files() const { return files_; }
  int Count() const { return static_cast<int>(files_.size()); }
  PickedFileModel* FileModel() const { return fileModel_; }
  PickedFileModel* TagModel() const { return tagModel_; }
  // The totals of the last UpdateListTotals.
  const ListTotals& Totals() const { return totals_; }

  // Appends files at the end of both lists (no duplicate check).
  void Append(std::vector<PickedFile> files);
  // Removes the given rows (ascending) from both lists.
  void Remove(const std::vector<int>& rows);
  // Empties both lists; the totals stay until the next UpdateListTotals.
  void Clear();
  // Reorders both lists: order[newRow] = oldRow (a permutation).
  void Reorder(const std::vector<int>& order);
  // `UpdateListTotals`: numbers the files and recomputes the totals.
  void UpdateListTotals();

 signals:
  void TotalsChanged();

 private:
  std::vector<PickedFile> files_;
  ListTotals totals_;
  PickedFileModel* fileModel_;
  PickedFileModel* tagModel_;
};

}  // namespace hozanki
