#pragma once
// The external editor's exchange file "~NR284~.txt": the cells of the rows
// open to editing, one per line, go out to a text editor and the edited
// lines come back into the same rows by position. The file is UTF-8 (what
// Linux editors read and write) with CR LF line ends; a line break inside a
// cell is written as backslash + "n" and read back as a line break in a
// multi-line column, exactly as copy and paste carry it.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/tagedit/EditTarget.h"
#include "core/tools/CommandLine.h"

namespace hozanki {

inline constexpr std::string_view kExchangeFileName = "~NR284~.txt";

// The file's text for these cells.
std::string ExchangeText(std::span<const std::string> cells);
// The lines of an edited file (CR LF, LF and CR end lines; a last line
// without an end counts; a UTF-8 byte-order mark is dropped).
std::vector<std::string> ExchangeLines(std::string_view bytes);

// The rows the editor works on and their cells, in row order.
struct ExchangeRows {
  std::vector<int> rows;
  std::vector<std::string> cells;
};
ExchangeRows CollectExchangeRows(const Catalogue& catalogue, const EditTarget& target,
                                 std::span<const int> selected);
// Gives the i-th row the i-th line: a row whose value differs from its cell
// is stored with SetCellValue. Rows beyond the last line are left alone and
// extra lines ignored. Returns the cells stored.
int ApplyExchangeLines(Catalogue& catalogue, const EditTarget& target, std::span<const int> rows,
                       std::span<const std::string> lines);

// How an editor program is started on the file so that this program can wait
// for it: editors known to hand their files to an already running instance
// get the option that makes them stay until the file is closed.
ProgramCall EditorCall(std::vector<std::string> command, const std::string& file);

}  // namespace hozanki
