#pragma once
// The file list of one format (`ListViewFMP3` ... `ListViewFMP4`) as a view of
// the format's catalogue rows. Column 0 is the mark column (RowImageRole),
// columns 1.. show the file row's cells 0...

#include "gui/catalogue/CatalogueTableModel.h"

namespace hozanki {

class NameConflictWatch;

class FileListModel : public CatalogueTableModel {
  Q_OBJECT

 public:
  FileListModel(Catalogue* catalogue, MediaFormat format, QObject* parent = nullptr);

  // Rows whose new name collides show the collision mark in place of the
  // changed mark, and name the other file in their tooltip.
  void SetConflictWatch(const NameConflictWatch* watch);

  // DisplayRole, TextAlignmentRole; RowImageRole (any column); SecondsRole
  // (playing-time column 4); ToolTipRole (a collision).
  QVariant data(const QModelIndex& index, int role) const override;
  // Rows can be dragged out (as files, by FileListView).
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  const std::string* ConflictOf(int row) const;

  const NameConflictWatch* conflicts_ = nullptr;
};

}  // namespace hozanki
