#include "gui/catalogue/FileListModel.h"

#include "gui/catalogue/CatalogueRoles.h"

namespace hozanki {

FileListModel::FileListModel(Catalogue* catalogue, MediaFormat format, QObject* parent)
    : CatalogueTableModel(catalogue, format, FileListColumns(format), parent) {}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const FileRow& row = Entry(index.row()).file;
  const int column = index.column();
  const size_t cell = static_cast<size_t>(column - 1);
  switch (role) {
    case Qt::DisplayRole:
      if (column == 0 || cell >= row.cells.size()) return QString();
      return QString::fromStdString(row.cells[cell].text);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(AlignmentOf(column));
    case RowImageRole:
      return row.image;
    case SecondsRole:
      if (column != 4 || cell >= row.cells.size()) return {};
      return row.cells[cell].value;
    default:
      return {};
  }
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = CatalogueTableModel::flags(index);
  if (index.isValid()) flags |= Qt::ItemIsDragEnabled;
  return flags;
}

}  // namespace hozanki
