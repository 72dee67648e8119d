#pragma once
// Dragging the selected rows of a tag table onto another row. Contiguous
// selected rows land as a block just before the target when they move up and
// just after it when they move down; the rows of a selection with gaps keep
// their distances to one another. Dropping on the first selected row, or
// (moving down) on a row at or above the last selected one, moves nothing.

#include <optional>
#include <span>
#include <vector>

namespace hozanki {

// The new order (order[newRow] = oldRow, as Catalogue::Reorder takes it) of
// `count` rows after dropping the `selected` rows (any order) on row
// `target`; nullopt when nothing moves or the input names rows that do not
// exist.
std::optional<std::vector<int>> DraggedRowOrder(int count, std::span<const int> selected, int target);

}  // namespace hozanki
