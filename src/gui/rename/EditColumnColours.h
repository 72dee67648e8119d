#pragma once
// The edit-column colours ("ColorNC", "ColorNB", "ColorSC", "ColorSB") as Qt
// colours, and the delegate that draws the file-name column of the file lists
// in them while rename mode is on.

#include <QColor>
#include <QPalette>
#include <QStyledItemDelegate>
#include <functional>

namespace hozanki {

// A colour in the stored encoding: top byte 0x80 names a system colour by its
// index (taken from `palette`), anything else is 0x00BBGGRR.
QColor StoredColour(int stored, const QPalette& palette);

class EditColumnDelegate : public QStyledItemDelegate {
 public:
  // `active` says whether the column is the edit column at the moment.
  EditColumnDelegate(std::function<bool()> active, QObject* parent);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  std::function<bool()> active_;
};

}  // namespace hozanki
