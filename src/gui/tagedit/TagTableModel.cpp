#include "gui/tagedit/TagTableModel.h"

#include "gui/catalogue/CatalogueRoles.h"

namespace hozanki {

TagTableModel::TagTableModel(Catalogue* catalogue, TagKind kind, QObject* parent)
    : CatalogueTableModel(catalogue, FormatOfTagKind(kind), TagTableColumns(kind), parent),
      kind_(kind),
      tagIndex_(static_cast<size_t>(TagRowIndex(kind))) {}

QVariant TagTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const MediaFileEntry& entry = Entry(index.row());
  if (tagIndex_ >= entry.tags.size()) return {};
  const TagRow& row = entry.tags[tagIndex_];
  const int column = index.column();
  const size_t cell = static_cast<size_t>(column - 1);
  const bool hasCell = column > 0 && cell < row.cells.size();
  switch (role) {
    case Qt::DisplayRole:
      return hasCell ? QString::fromStdString(row.cells[cell].text) : QString();
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(AlignmentOf(column));
    case CheckStateRole:
      return row.state;
    case RowImageRole:
      return row.image;
    case ChangedFlagRole:
      if (column == 0) return {};
      return hasCell ? row.cells[cell].value : 0;
    default:
      return {};
  }
}

}  // namespace hozanki
