#include "gui/catalogue/FileListModel.h"

#include "gui/catalogue/CatalogueRoles.h"
#include "gui/catalogue/ImageListCheckBox.h"
#include "gui/catalogue/NameConflictWatch.h"

namespace hozanki {

FileListModel::FileListModel(Catalogue* catalogue, MediaFormat format, QObject* parent)
    : CatalogueTableModel(catalogue, format, FileListColumns(format), parent) {}

void FileListModel::SetConflictWatch(const NameConflictWatch* watch) {
  if (conflicts_) disconnect(conflicts_, nullptr, this, nullptr);
  conflicts_ = watch;
  if (!watch) return;
  connect(watch, &NameConflictWatch::ConflictsChanged, this, [this](MediaFormat format, int first, int last) {
    if (format != Format() || first >= rowCount()) return;
    last = std::min(last, rowCount() - 1);
    emit dataChanged(index(first, 0), index(last, columnCount() - 1), {RowImageRole, Qt::ToolTipRole});
  });
}

const std::string* FileListModel::ConflictOf(int row) const {
  return conflicts_ ? conflicts_->ConflictOf(Format(), row) : nullptr;
}

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
      if (row.image == kChangedMark && ConflictOf(index.row())) return ImageListCheckBox::kConflictImage;
      return row.image;
    case Qt::ToolTipRole:
      if (const std::string* other = ConflictOf(index.row())) return QString::fromStdString(ConflictText(*other));
      return {};
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
