#pragma once
// "元に戻す(&U)": no history; staged changes go back to what the files hold.

#include <filesystem>
#include <functional>
#include <optional>
#include <span>

#include "core/catalogue/Catalogue.h"

namespace hozanki {

// The file list (rename mode): each of `rows` gets back the name the file
// has on disk (as loaded or last saved) and loses its changed mark.
// Returns the rows changed.
int UndoFileNames(Catalogue& catalogue, MediaFormat format, std::span<const int> rows);

// A tag table: the files of `rows` are read again through the tag layer
// (below `folder`) and the stored values put back.
// - `editSubItem` <= 0 (no edit column): every cell with the changed flag
//   gets its stored value and loses the flag; the check state becomes what
//   the file holds (MP3: checked when the file list shows the tag kind as
//   present, with the exclusion rule when that changes the state; other
//   formats: checked, as after loading); the row loses its changed mark.
// - `editSubItem` >= 1: only that cell, in rows where it carries the changed
//   flag; the row loses its changed mark unless another cell still has its
//   flag.
// A file that cannot be read leaves its row as it is. A file that is still
// as it was read (StillAsRead) is not read again: the values it held then
// are kept in the entry for the cells changed since. Runs the reads on
// several threads and changes the catalogue afterwards, on the calling
// thread. Returns the rows changed.
int UndoTagRows(Catalogue& catalogue, const std::filesystem::path& folder, TagKind kind,
                std::span<const int> rows, int editSubItem);
// The same with the reader given (ReadMediaFile above); it is called from
// several threads at once.
using StoredReader = std::function<std::optional<MediaFileEntry>(const std::filesystem::path& folder,
                                                                 const std::filesystem::path& relativePath)>;
int UndoTagRows(Catalogue& catalogue, const std::filesystem::path& folder, TagKind kind,
                std::span<const int> rows, int editSubItem, const StoredReader& read);

}  // namespace hozanki
