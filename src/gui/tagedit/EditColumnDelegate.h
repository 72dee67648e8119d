#pragma once
// Draws the cells of a list's edit column in the colours of the settings
// ("ColorNC"/"ColorNB" in rows that are not selected, "ColorSC"/"ColorSB" in
// selected ones): the cell filled, the text 6 pixels in from the left edge
// (right-aligned columns: ending 6 pixels before the right edge, never left
// of the left edge + 6), centred in the row's height as other cells are, cut with "..." at
// whole characters to the column width - 12. Other cells are drawn as usual.

#include <QStyledItemDelegate>
#include <functional>

namespace hozanki {

class EditColumnDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  // `isEditColumn(column)` says whether a column is drawn as the edit column now.
  EditColumnDelegate(std::function<bool(int)> isEditColumn, QObject* parent = nullptr);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  // The text as the edit column shows it in `available` pixels.
  static QString CellText(const QFontMetrics& metrics, const QString& text, int available);

 private:
  std::function<bool(int)> isEditColumn_;
};

}  // namespace hozanki
