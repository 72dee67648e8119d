#include "core/tools/EditorExchange.h"

#include <algorithm>
#include <filesystem>

#include "core/tagedit/CopyData.h"
#include "core/tagedit/SetCellValue.h"

namespace hozanki {

std::string ExchangeText(std::span<const std::string> cells) {
  std::string text;
  for (const std::string& cell : cells) text.append(EscapeLineBreaks(cell)).append("\r\n");
  return text;
}

std::vector<std::string> ExchangeLines(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' || bytes[i] == '\n') {
      if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line += bytes[i];
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

ExchangeRows CollectExchangeRows(const Catalogue& catalogue, const EditTarget& target,
                                 std::span<const int> selected) {
  ExchangeRows out;
  out.rows = RowsOpenToEditing(catalogue, target, selected);
  for (int row : out.rows) out.cells.push_back(CellText(catalogue, target, row));
  return out;
}

int ApplyExchangeLines(Catalogue& catalogue, const EditTarget& target, std::span<const int> rows,
                       std::span<const std::string> lines) {
  const Catalogue::ChangeBatch batch(catalogue);
  const int columnTag = target.ColumnTag();
  int stored = 0;
  for (size_t i = 0; i < rows.size() && i < lines.size(); ++i) {
    const std::string& cell = CellText(catalogue, target, rows[i]);
    // An untouched line leaves its cell alone, line breaks and all.
    if (lines[i] == EscapeLineBreaks(cell)) continue;
    const std::string value = PastedValue(lines[i], columnTag);
    if (value == cell) continue;
    stored += SetCellValue(catalogue, target, rows[i], value) ? 1 : 0;
  }
  return stored;
}

ProgramCall EditorCall(std::vector<std::string> command, const std::string& file) {
  ProgramCall call;
  if (command.empty()) return call;
  call.program = command.front();
  call.arguments.assign(command.begin() + 1, command.end());
  const std::string name = std::filesystem::path(call.program).filename().string();
  auto add = [&call](const char* option) {
    if (std::find(call.arguments.begin(), call.arguments.end(), option) == call.arguments.end())
      call.arguments.push_back(option);
  };
  if (name == "gedit" || name == "code" || name == "codium" || name == "subl")
    add("--wait");
  else if (name == "kate" || name == "kwrite")
    add("--block");
  else if (name == "gnome-text-editor")
    add("--standalone");
  else if (name == "featherpad")
    add("--standalone");
  call.arguments.push_back(file);
  return call;
}

}  // namespace hozanki
