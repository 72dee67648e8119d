#pragma once
// The row editor's rules over a template's rows: the loop mark of the "*"
// column, what choosing an item or an option does to a row, and moving
// rows (picked files and template rows are moved by the same rule).

#include <string_view>
#include <vector>

#include "core/listout/TemplateRow.h"

namespace hozanki {

// A click on the "*" column of row `row`. A marked row loses its mark only at
// an end of the block (first or last row of the editor, or an unmarked row
// above or below); an unmarked row is marked when no row is marked yet or
// when a neighbour is marked. True when the row changed.
bool ToggleLoopMark(std::vector<TemplateRow>& rows, int row);

// Choosing `item` in the item box: a separator becomes "テキスト";
// "テキスト" empties Text and Option; another item sets an empty Option to
// "全体参照" (a "↓" stays) and empties Text under "全体参照". Nothing
// happens when the choice equals the row's item. True when the row changed.
bool ChooseItem(TemplateRow& row, std::string_view item);

// Choosing `option` in the option box: "全体参照" empties Text, "部分参照"
// sets "0,0", "正規表現" sets "s///". True when the row changed.
bool ChooseOption(TemplateRow& row, std::string_view option);

// A click on the "改行 / 抽出" cell of a テキスト row: "↓" on or off.
void ToggleLineBreak(TemplateRow& row);

// The new order (order[newRow] = oldRow) after dragging the rows `selected`
// (ascending) onto row `dropRow`: upward (the drag started below the drop
// row) they go, in their order, before it; downward after it. Empty when
// nothing moves: the drop row is selected or out of range, or, downward, the
// last selected row is not above it.
std::vector<int> MoveOrder(int count, const std::vector<int>& selected, int dropRow, bool upward);

// After row `row` was moved: without a marked neighbour it loses its mark;
// unmarked between two marked rows it is marked.
void AdjustMovedMark(std::vector<TemplateRow>& rows, int row);

}  // namespace hozanki
