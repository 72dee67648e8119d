#pragma once
// The rename step of a save, for every file of the plan at once, so that
// swaps and cycles among the renamed files work out (core/rename/RenameBatch.h).

#include <atomic>
#include <functional>
#include <vector>

#include "core/tagedit/SaveEngine.h"

namespace hozanki {

// Renames the files of the plan's items that carry a rename. `rows` holds one
// result per item (format, row and paths filled in); each renamed item gets
// its outcome and new path, and `result` its counts. Returns per item whether
// it was reached: false for renames left undone after a cancel.
std::vector<bool> RunSaveRenames(const SavePlan& plan, const std::atomic<bool>& cancel,
                                 std::vector<SaveRowResult>& rows, SaveResult& result,
                                 const std::function<void(const SaveProgress&)>& onProgress);

}  // namespace hozanki
