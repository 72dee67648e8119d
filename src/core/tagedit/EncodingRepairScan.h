#pragma once
// The encoding repair over files: every value of a file's tag rows that is
// not fine (see core/text/EncodingRepair.h), and storing the repairs the
// user keeps.

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue/MediaFileEntry.h"
#include "core/text/EncodingRepair.h"

namespace hozanki {

class Catalogue;
class TagFile;

struct RepairFinding {
  size_t tagIndex = 0;     // index into entry.tags
  TagKind kind = TagKind::MP3ID3v1;
  int subItem = 1;         // cell of the value in its row
  std::string field;       // value name ("INAM" ...)
  std::string current;     // the cell's text
  StoredForm form = StoredForm::kUnicode;
  TextDiagnosis diagnosis;
};

// The findings of one entry's checked tag rows, in row and cell order.
// `file`, the entry's file as loaded, tells how each value is stored (an
// ISO-8859-1 frame of ID3v2, an APE version 1 item ...); without it each
// value counts as stored in its tag kind's usual form.
std::vector<RepairFinding> FindRepairs(const MediaFileEntry& entry, const TagFile* file);

// A finding with the catalogue row it stands in.
struct RowRepairFinding {
  int row = 0;
  RepairFinding finding;
};

// The findings of `rows` of a format (empty: every row), in row order. Each
// row's file under `folder` is opened to tell how its values are stored; a
// file that cannot be opened counts as storing each value in its tag kind's
// usual form. The window's repair and `hozanki-cli repair` both scan here.
std::vector<RowRepairFinding> ScanForRepairs(const Catalogue& catalogue, MediaFormat format,
                                             std::span<const int> rows, const std::filesystem::path& folder);

// The text of a finding for a source encoding the user picked: the proposed
// text for the detected source, the value re-read otherwise (empty optional
// when it cannot be re-read so).
std::optional<std::string> RepairedText(const RepairFinding& finding, SourceEncoding source);

// Stores a repaired value in the entry as SetCellValue does (cell changed
// flag, changed mark, row checked) and marks the entry to be written in
// Unicode forms. For a value held by the catalogue, go through SetCellValue
// and set `forceUnicode` instead.
void ApplyRepair(MediaFileEntry& entry, const RepairFinding& finding, std::string_view text);

}  // namespace hozanki
