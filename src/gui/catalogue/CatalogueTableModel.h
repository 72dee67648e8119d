#pragma once
// The part that a file-list model and a tag-table model share: a table model
// over the rows of one format of a Catalogue, told of changes as an observer,
// with the column captions (including the sort-mark blank), alignments and
// editing kinds of its column table.

#include <QAbstractTableModel>
#include <QStringList>
#include <span>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/ColumnTables.h"

namespace hozanki {

class CatalogueTableModel : public QAbstractTableModel, public CatalogueObserver {
  Q_OBJECT

 public:
  CatalogueTableModel(Catalogue* catalogue, MediaFormat format, std::span<const ColumnSpec> columns,
                      QObject* parent = nullptr);
  ~CatalogueTableModel() override;

  MediaFormat Format() const { return format_; }
  const Catalogue& CatalogueData() const { return *catalogue_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  // DisplayRole: caption; TextAlignmentRole; ColumnTagRole: editing kind.
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Puts `mark` ('+', '-' or ' ') into the sort-mark slot of a column's
  // caption; false for a column without a slot.
  bool SetSortMark(int column, QChar mark);
  QString Caption(int column) const { return captions_.value(column); }

 protected:
  const MediaFileEntry& Entry(int row) const;
  Qt::Alignment AlignmentOf(int column) const;

  // CatalogueObserver: rows of other formats are ignored.
  void RowsAboutToBeInserted(MediaFormat format, int first, int last) override;
  void RowsInserted(MediaFormat format, int first, int last) override;
  void RowsAboutToBeRemoved(MediaFormat format, int first, int last) override;
  void RowsRemoved(MediaFormat format, int first, int last) override;
  void RowsAboutToBeReset(MediaFormat format) override;
  void RowsReset(MediaFormat format) override;
  void RowsChanged(MediaFormat format, int first, int last) override;

 private:
  Catalogue* catalogue_;
  MediaFormat format_;
  std::vector<ColumnSpec> columns_;
  QStringList captions_;
};

}  // namespace hozanki
