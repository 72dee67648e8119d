#pragma once
// Column 1 (file name) of a file list (`cmnListViewFCustomDrawSubItem`): in
// rename mode it is the edit column, drawn in the edit-column colours
// ("ColorSC"/"ColorSB" on selected rows, "ColorNC"/"ColorNB" otherwise) with
// a text too wide for the cell cut at a whole character and "..." appended;
// otherwise the list draws it itself.

#include <QStyledItemDelegate>
#include <functional>

namespace hozanki {

class FileNameColumnDelegate : public QStyledItemDelegate {
 public:
  FileNameColumnDelegate(std::function<bool()> renameMode, QObject* parent = nullptr);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  std::function<bool()> renameMode_;
};

}  // namespace hozanki
