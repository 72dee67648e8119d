#pragma once
// The tag table of one tag kind (`ListViewTMP3ID3v1` ... `ListViewTMP4`) as a
// view of its format's catalogue rows: row i is the tag row of that kind of
// entry i. Column 0 is the check column, column 1 the relative file name,
// columns 2.. the values.

#include "gui/catalogue/CatalogueTableModel.h"

namespace hozanki {

class TagTableModel : public CatalogueTableModel {
  Q_OBJECT

 public:
  TagTableModel(Catalogue* catalogue, TagKind kind, QObject* parent = nullptr);

  TagKind Kind() const { return kind_; }

  // DisplayRole, TextAlignmentRole; CheckStateRole and RowImageRole (any
  // column); ChangedFlagRole (columns 1..).
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  TagKind kind_;
  size_t tagIndex_;
};

}  // namespace hozanki
