#pragma once
// Draws column 0 of a file list or tag table: the check box of the row's check
// state (tag tables only) followed by its row image, from ImageListCheckBox.

#include <QStyledItemDelegate>

namespace hozanki {

class MarkColumnDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace hozanki
