#include "gui/catalogue/CatalogueTableModel.h"

#include "gui/catalogue/CatalogueRoles.h"

namespace hozanki {

CatalogueTableModel::CatalogueTableModel(Catalogue* catalogue, MediaFormat format,
                                         std::span<const ColumnSpec> columns, QObject* parent)
    : QAbstractTableModel(parent),
      catalogue_(catalogue),
      format_(format),
      columns_(columns.begin(), columns.end()) {
  for (const ColumnSpec& c : columns_)
    captions_ << QString::fromUtf8(c.caption.data(), static_cast<qsizetype>(c.caption.size()));
  catalogue_->AddObserver(this);
}

CatalogueTableModel::~CatalogueTableModel() {
  catalogue_->RemoveObserver(this);
}

int CatalogueTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : catalogue_->RowCount(format_);
}

int CatalogueTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant CatalogueTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  switch (role) {
    case Qt::DisplayRole:
      return captions_[section];
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(AlignmentOf(section));
    case ColumnTagRole:
      return columns_[static_cast<size_t>(section)].tag;
    default:
      return {};
  }
}

bool CatalogueTableModel::SetSortMark(int column, QChar mark) {
  if (column < 0 || column >= columnCount()) return false;
  const int position = SortMarkPosition(columns_[static_cast<size_t>(column)]);
  if (position < 0 || position >= captions_[column].size()) return false;
  captions_[column][position] = mark;
  emit headerDataChanged(Qt::Horizontal, column, column);
  return true;
}

const MediaFileEntry& CatalogueTableModel::Entry(int row) const {
  return catalogue_->Entries(format_)[static_cast<size_t>(row)];
}

Qt::Alignment CatalogueTableModel::AlignmentOf(int column) const {
  switch (columns_[static_cast<size_t>(column)].alignment) {
    case ColumnAlignment::Right:
      return Qt::AlignRight | Qt::AlignVCenter;
    case ColumnAlignment::Center:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

void CatalogueTableModel::RowsAboutToBeInserted(MediaFormat format, int first, int last) {
  if (format == format_) beginInsertRows({}, first, last);
}
void CatalogueTableModel::RowsInserted(MediaFormat format, int, int) {
  if (format == format_) endInsertRows();
}
void CatalogueTableModel::RowsAboutToBeRemoved(MediaFormat format, int first, int last) {
  if (format == format_) beginRemoveRows({}, first, last);
}
void CatalogueTableModel::RowsRemoved(MediaFormat format, int, int) {
  if (format == format_) endRemoveRows();
}
void CatalogueTableModel::RowsAboutToBeReset(MediaFormat format) {
  if (format == format_) beginResetModel();
}
void CatalogueTableModel::RowsReset(MediaFormat format) {
  if (format == format_) endResetModel();
}
void CatalogueTableModel::RowsChanged(MediaFormat format, int first, int last) {
  if (format == format_) emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

}  // namespace hozanki
