#pragma once
// `SetCellValue`: the one step by which every bulk command (paste, set-all,
// conversions, replace, regular expression, substring, fixed-form rename,
// compound edit, external editor) stores a value; and clearing ("消去").
// Callers call it only when the new text differs from the cell's text.

#include <span>
#include <string_view>

#include "core/catalogue/Catalogue.h"
#include "core/tagedit/EditTarget.h"

namespace hozanki {

// Where a stored text comes from: "ExtProtect" keeps the old extension only
// for pastes and fixed-form rename results.
enum class ValueSource { Other, Paste, FixedForm };

// The text SetCellValue stores into the target cell of `entry`: for a file
// name from a paste or a fixed-form rename with `extProtect`, the text
// followed by the old name's extension (from its last period; nothing when
// it has none); otherwise the text unchanged.
std::string StoredText(const MediaFileEntry& entry, const EditTarget& target, std::string_view text,
                       ValueSource source, bool extProtect);

// Stores the text into row `row` of the target and marks it:
// - file name (rename mode): the row gets the changed mark;
// - tag value (subItem >= 1): the cell's changed flag becomes 1, the row gets
//   the changed mark and an unchecked row becomes checked, with the MP3
//   exclusion rule (so a pasted RIFF value never leaves ID3v2 or APE
//   checked beside it). An unavailable row keeps its state.
// Nothing is recorded for undo: undo reads the file again. False when the
// row or the target does not exist (the relative name, subItem 0 of a tag
// table, is never stored).
bool SetCellValue(Catalogue& catalogue, const EditTarget& target, int row, std::string_view text,
                  ValueSource source, bool extProtect);
// As above for a text that is neither a paste nor a fixed-form rename result
// (ValueSource::Other): stored as it is, so "ExtProtect" plays no part.
bool SetCellValue(Catalogue& catalogue, const EditTarget& target, int row, std::string_view text);

// Storing the text of an in-place editor when it closes or walks to another
// row: nothing happens when the text equals the cell (exact comparison).
// A file name (rename mode) is stored as typed and gets the changed mark; a
// tag value sets the cell's changed flag, checks the row (an unavailable row
// is left as it is), applies the MP3 exclusion rule and sets the changed
// mark. Returns whether the cell changed.
bool CommitCellEdit(Catalogue& catalogue, const EditTarget& target, int row, std::string_view text);

// "消去(&B)" on a value column: every row open to editing among `selected`
// (all rows when empty) whose cell is not empty gets the empty text, the
// cell's changed flag 1 and the changed mark; its check state stays.
// Returns the cells emptied (0 when the target is not a value column).
int ClearCells(Catalogue& catalogue, const EditTarget& target, std::span<const int> selected);

}  // namespace hozanki
