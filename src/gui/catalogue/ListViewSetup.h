#pragma once
// The common look of the nineteen lists: grid lines, whole-row and multiple
// selection, no label editing, selection kept visible without focus, fixed
// row height, column 0 of fixed width drawn by MarkColumnDelegate.

class QTableView;

namespace hozanki {

void SetUpListView(QTableView* view, int markColumnWidth);
// Row height used by the lists for a font: text height plus a small margin,
// never smaller than a mark picture.
int RowHeightFor(const QTableView* view);

}  // namespace hozanki
