#pragma once
// The clipboard's copy data: the text form of one column (partial) or of all
// value columns of a table (whole), and copying and pasting it on the
// catalogue. The GUI only moves the text to and from the clipboard.
//
// Partial: "", "Hozankiコピーデータ（部分）", then one line per row.
// Whole:   "", "Hozankiコピーデータ（全体）", the column line (each caption
//          followed by a tab), then one line per row (each cell followed by a tab).
// Lines are separated and ended by CR LF; a line break inside a cell is
// written as backslash + "n".

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/tagedit/EditTarget.h"

namespace hozanki {

inline constexpr std::string_view kPartialCopyHeader = "Hozankiコピーデータ（部分）";
inline constexpr std::string_view kWholeCopyHeader = "Hozankiコピーデータ（全体）";

// Every line break of a cell (CR LF, and a lone LF or CR) as backslash + "n".
std::string EscapeLineBreaks(std::string_view text);

std::string EncodePartialCopy(std::span<const std::string> values);
// `captions` and each row hold one text per value column.
std::string EncodeWholeCopy(std::span<const std::string> captions,
                            std::span<const std::vector<std::string>> rows);

// The lines after the two header lines when `text` is copy data with this
// header (a final line break ends the last line; CR LF, LF and CR all break
// lines); nullopt for any other text, an empty one included.
std::optional<std::vector<std::string>> DecodeCopyData(std::string_view text, std::string_view header);

// A pasted line as a cell of a column of editing kind `columnTag`: each tab
// becomes CR LF; backslash + "n" becomes CR LF in a multi-line column and is
// removed elsewhere; the text is cut to a positive limit (code page 932
// width) without splitting a double-byte character.
std::string PastedValue(std::string_view line, int columnTag);

// A caption as the column line carries it: "+" and "-" (sort marks) as blanks.
std::string CopyCaption(std::string_view caption);

// Partial copy of the target column: rows open to editing among `selected`
// (all rows when empty), in order. File names lose their extension with
// `extOmit`.
std::string PartialCopyText(const Catalogue& catalogue, const EditTarget& target,
                            std::span<const int> selected, bool extOmit);
// Whole copy of a tag table: every value column of `selected` (all rows when
// empty), rows closed to editing included.
std::string WholeCopyText(const Catalogue& catalogue, TagKind kind, std::span<const int> selected);

// Pastes partial copy data into the target: the k-th row open to editing
// takes line k while there are lines; a cell is stored (SetCellValue, source
// Paste) only when it changes. Returns the cells stored, or -1 when the text
// is not partial copy data or the target is neither a file-name column nor a
// value column (nothing happens then).
int PartialPaste(Catalogue& catalogue, const EditTarget& target, std::span<const int> selected,
                 std::string_view clipboard, bool extProtect);
// Pastes whole copy data into the table's columns of the same captions; names
// without a column are skipped, as are fields a short line lacks. Returns the
// cells stored, or -1 when the text is not whole copy data.
int WholePaste(Catalogue& catalogue, TagKind kind, std::span<const int> selected, std::string_view clipboard);

}  // namespace hozanki
