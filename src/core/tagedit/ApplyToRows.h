#pragma once
// `ApplyToRows`: the loop shared by every command that turns the text of the
// target cell of some rows into new text (conversions, replace, regular
// expression, substring, compound edits). Which rows it takes is named by a
// `RowPolicy`; the rest is the same for all of them:
// - a row whose computation reports an error keeps its cell and is listed;
// - a cell whose new text equals its text is left alone (no changed mark);
// - a new text is stored with SetCellValue, so the marks follow as for any
//   edit.

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/tagedit/EditTarget.h"

namespace hozanki {

// Which rows a command takes when none is selected.
enum class WhenNoneSelected {
  Nothing,  // only selected rows; no selection, nothing to do
  AllRows,  // no selection means every row of the table
};

// Whether rows closed to editing (error mark, unavailable check state) are
// taken.
enum class ClosedRows {
  Skip,     // only rows open to editing
  Include,  // every taken row, closed or not
};

struct RowPolicy {
  WhenNoneSelected whenNone = WhenNoneSelected::Nothing;
  ClosedRows closed = ClosedRows::Skip;
};

// The conversions of "変換(&T)": the selected rows open to editing.
inline constexpr RowPolicy kConversionRows{WhenNoneSelected::Nothing, ClosedRows::Skip};
// Replace, regular expression and substring: the selected rows (all when none
// is selected) open to editing.
inline constexpr RowPolicy kTextCommandRows{WhenNoneSelected::AllRows, ClosedRows::Skip};
// Compound edits: every selected row, open to editing or not.
inline constexpr RowPolicy kCompoundRows{WhenNoneSelected::Nothing, ClosedRows::Include};

// The new text of a cell; setting `error` (it comes in empty) refuses it.
using CellComputation = std::function<std::string(const std::string& text, std::string& error)>;

struct RowFailure {
  int row = 0;  // index into the target's entries
  std::string reason;
  bool operator==(const RowFailure&) const = default;
};

struct ApplyResult {
  int changed = 0;                   // cells stored
  std::vector<RowFailure> failures;  // in row order
};

// Runs `compute` on the target cell of each row `policy` takes from
// `selected` (sorted, duplicates and rows outside the table dropped) and
// stores what differs. A target that does not exist changes nothing.
ApplyResult ApplyToRows(Catalogue& catalogue, const EditTarget& target, std::span<const int> selected,
                        RowPolicy policy, const CellComputation& compute);

}  // namespace hozanki
