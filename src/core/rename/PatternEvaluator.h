#pragma once
// Evaluating a fixed-form rename pattern for a listed file, and applying a
// pattern to rows of a file list (the step shared by the window and the
// command line).

#include <string>
#include <vector>

#include "core/catalogue/MediaFileEntry.h"
#include "core/rename/RenamePattern.h"

namespace hozanki {

// The name built by `items` for `entry` (of `format`). Fields a table lacks
// and empty values contribute nothing. For MP3 a tag field is the first
// non-empty value of the APE, ID3v2, RIFF and ID3v1 rows. ファイル名 and
// 拡張子 come from the loaded name, without its relative folder.
std::string EvaluatePattern(MediaFormat format, const std::vector<PatternItem>& items,
                            const MediaFileEntry& entry);

// The result of a pattern for one row.
struct RenameProposal {
  int row = 0;
  std::string newName;   // what the file-name cell is to hold
  bool changed = false;  // false: the result equals the current name; nothing to store
  std::string refusal;   // non-empty: the name cannot be used, and why
};

// Evaluates `pattern` for `rows` (every row when empty) of `entries`, in that
// order. A result that differs from the row's current name (file-row cell 0)
// is to be stored; with `extProtect` the current name's extension is
// appended. A name that is empty, "." or "..", or that holds "/" or a NUL
// character, would move or break the file: it is refused for that row.
std::vector<RenameProposal> ApplyRenamePattern(MediaFormat format, const RenamePattern& pattern,
                                               const std::vector<MediaFileEntry>& entries,
                                               const std::vector<int>& rows, bool extProtect);

// Why a file name cannot be used, or empty when it can.
std::string RefuseFileName(std::string_view name);

}  // namespace hozanki
