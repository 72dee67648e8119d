#include "core/tagedit/CopyData.h"

#include "core/catalogue/ColumnTables.h"
#include "core/tagedit/SetCellValue.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  size_t pos = 0;
  while (true) {
    size_t hit = text.find(from, pos);
    out.append(text.substr(pos, hit == std::string_view::npos ? std::string_view::npos : hit - pos));
    if (hit == std::string_view::npos) return out;
    out.append(to);
    pos = hit + from.size();
  }
}

std::vector<std::string> SplitAtTabs(std::string_view line) {
  std::vector<std::string> fields;
  size_t pos = 0;
  while (true) {
    size_t tab = line.find('\t', pos);
    fields.emplace_back(line.substr(pos, tab == std::string_view::npos ? std::string_view::npos : tab - pos));
    if (tab == std::string_view::npos) return fields;
    pos = tab + 1;
  }
}

// Stores `value` when it differs from the cell; true when stored.
bool StoreIfChanged(Catalogue& catalogue, const EditTarget& target, int row, const std::string& value,
                    bool extProtect) {
  if (CellText(catalogue, target, row) == value) return false;
  return SetCellValue(catalogue, target, row, value, ValueSource::Paste, extProtect);
}

}  // namespace

std::string EscapeLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string EncodePartialCopy(std::span<const std::string> values) {
  std::string text(kLineEnd);
  text.append(kPartialCopyHeader).append(kLineEnd);
  for (const std::string& value : values) text.append(EscapeLineBreaks(value)).append(kLineEnd);
  return text;
}

std::string EncodeWholeCopy(std::span<const std::string> captions,
                            std::span<const std::vector<std::string>> rows) {
  std::string text(kLineEnd);
  text.append(kWholeCopyHeader).append(kLineEnd);
  for (const std::string& caption : captions) text.append(CopyCaption(caption)).append("\t");
  text.append(kLineEnd);
  for (const auto& row : rows) {
    for (const std::string& value : row) text.append(EscapeLineBreaks(value)).append("\t");
    text.append(kLineEnd);
  }
  return text;
}

std::optional<std::vector<std::string>> DecodeCopyData(std::string_view text, std::string_view header) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(pos));
      break;
    }
    lines.emplace_back(text.substr(pos, end - pos));
    pos = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  if (lines.size() < 2 || !lines[0].empty() || lines[1] != header) return std::nullopt;
  lines.erase(lines.begin(), lines.begin() + 2);
  return lines;
}

std::string PastedValue(std::string_view line, int columnTag) {
  std::string value = ReplaceAll(line, "\t", kLineEnd);
  value = ReplaceAll(value, "\\n", columnTag == kColumnMemo ? kLineEnd : std::string_view());
  if (columnTag > 0) value = std::string(CutToWidth(value, static_cast<size_t>(columnTag)));
  return value;
}

std::string CopyCaption(std::string_view caption) {
  std::string out(caption);
  for (char& c : out)
    if (c == '+' || c == '-') c = ' ';
  return out;
}

std::string PartialCopyText(const Catalogue& catalogue, const EditTarget& target,
                            std::span<const int> selected, bool extOmit) {
  std::vector<std::string> values;
  for (int row : RowsOpenToEditing(catalogue, target, selected)) {
    std::string value = CellText(catalogue, target, row);
    if (target.subItem == 0 && extOmit) {
      size_t dot = ExtensionPos(value);
      size_t slash = value.rfind('/');
      if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) value.erase(dot);
    }
    values.push_back(std::move(value));
  }
  return EncodePartialCopy(values);
}

std::string WholeCopyText(const Catalogue& catalogue, TagKind kind, std::span<const int> selected) {
  std::span<const ColumnSpec> columns = TagTableColumns(kind);
  std::vector<std::string> captions;
  for (size_t c = 2; c < columns.size(); ++c) captions.emplace_back(columns[c].caption);
  const MediaFormat format = FormatOfTagKind(kind);
  const size_t index = static_cast<size_t>(TagRowIndex(kind));
  std::vector<std::vector<std::string>> rows;
  for (int row : SelectedOrAllRows(catalogue, format, selected)) {
    const TagRow& tag = catalogue.Entries(format)[static_cast<size_t>(row)].tags[index];
    std::vector<std::string> values;
    for (size_t k = 1; k + 1 < columns.size(); ++k)
      values.push_back(k < tag.cells.size() ? tag.cells[k].text : "");
    rows.push_back(std::move(values));
  }
  return EncodeWholeCopy(captions, rows);
}

int PartialPaste(Catalogue& catalogue, const EditTarget& target, std::span<const int> selected,
                 std::string_view clipboard, bool extProtect) {
  const Catalogue::ChangeBatch batch(catalogue);
  if (!target.IsValid() || !(target.IsFileList() || target.IsValueColumn())) return -1;
  std::optional<std::vector<std::string>> lines = DecodeCopyData(clipboard, kPartialCopyHeader);
  if (!lines) return -1;
  const int tag = target.ColumnTag();
  int stored = 0;
  size_t k = 0;
  for (int row : RowsOpenToEditing(catalogue, target, selected)) {
    if (k >= lines->size()) break;
    stored += StoreIfChanged(catalogue, target, row, PastedValue((*lines)[k++], tag), extProtect);
  }
  return stored;
}

int WholePaste(Catalogue& catalogue, TagKind kind, std::span<const int> selected,
               std::string_view clipboard) {
  const Catalogue::ChangeBatch batch(catalogue);
  std::optional<std::vector<std::string>> lines = DecodeCopyData(clipboard, kWholeCopyHeader);
  if (!lines) return -1;
  if (lines->empty()) return 0;
  std::vector<std::string> names = SplitAtTabs((*lines)[0]);
  names.pop_back();  // text after the last tab
  std::span<const ColumnSpec> columns = TagTableColumns(kind);
  std::vector<std::vector<std::string>> data;
  for (size_t k = 1; k < lines->size(); ++k) data.push_back(SplitAtTabs((*lines)[k]));

  int stored = 0;
  for (size_t j = 0; j < names.size(); ++j) {
    size_t column = 0;
    for (size_t c = 2; c < columns.size() && column == 0; ++c)
      if (CopyCaption(columns[c].caption) == names[j]) column = c;
    if (column == 0) continue;
    EditTarget target = EditTarget::TagColumn(kind, static_cast<int>(column) - 1);
    size_t k = 0;
    for (int row : RowsOpenToEditing(catalogue, target, selected)) {
      if (k >= data.size()) break;
      const std::vector<std::string>& fields = data[k++];
      if (j >= fields.size()) continue;
      stored += StoreIfChanged(catalogue, target, row, PastedValue(fields[j], columns[column].tag), false);
    }
  }
  return stored;
}

}  // namespace hozanki
