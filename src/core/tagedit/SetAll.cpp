#include "core/tagedit/SetAll.h"

#include <cstdio>

#include "core/catalogue/ColumnTables.h"
#include "core/catalogue/GenreList.h"
#include "core/tagedit/SetCellValue.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

constexpr std::string_view kTrackCaption = "№";

std::string Number(int n, bool zeroPad) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, zeroPad ? "%02d" : "%d", n);
  return buffer;
}

std::string Trimmed(std::string_view caption) {
  while (!caption.empty() && caption.front() == ' ') caption.remove_prefix(1);
  while (!caption.empty() && caption.back() == ' ') caption.remove_suffix(1);
  return std::string(caption);
}

}  // namespace

SetAllLayout ChooseSetAllPage(TagKind kind, int column) {
  SetAllLayout layout;
  std::span<const ColumnSpec> columns = TagTableColumns(kind);
  if (column < 2 || column >= static_cast<int>(columns.size())) return layout;
  const ColumnSpec& col = columns[static_cast<size_t>(column)];
  if (col.tag == kColumnMemo) {
    layout.page = SetAllPage::TS3;
    layout.okIsDefault = false;
  } else if (col.tag == kColumnGenre) {
    layout.page = SetAllPage::TS2;
  } else if (col.tag == kColumnNumberPair) {
    layout.page = SetAllPage::TS5;
    layout.height = 165;
  } else if (Trimmed(col.caption) == kTrackCaption) {
    layout.page = SetAllPage::TS4;
    if (col.tag != 0) {
      layout.affixesShown = false;
      layout.zeroPadEnabled = false;
    } else {
      layout.height = 165;
    }
  } else if (col.tag > 0) {
    layout.maxLength = static_cast<size_t>(col.tag);
  }
  return layout;
}

std::vector<std::string> NumberingValues(const SetAllNumbering& numbering, int columnTag, size_t count) {
  std::vector<std::string> values;
  values.reserve(count);
  int n = numbering.start;
  for (size_t i = 0; i < count; ++i) {
    values.push_back(numbering.prefix + Number(n, numbering.zeroPad) + numbering.suffix);
    n += numbering.step;
    if (columnTag != 0) n %= 100;
  }
  return values;
}

std::vector<std::string> PairNumberingValues(const SetAllNumbering& numbering, int columnTag,
                                             std::string_view total, size_t count) {
  std::vector<std::string> values;
  values.reserve(count);
  int n = numbering.start;
  for (size_t i = 0; i < count; ++i) {
    std::string value = Number(n, numbering.zeroPad);
    if (!total.empty()) value.append("/").append(total);
    values.push_back(std::move(value));
    n += numbering.step;
    if (columnTag != 0) n %= 100;
  }
  return values;
}

bool IsGenreListEntry(std::string_view text) {
  return text.empty() || GenreCode(text) >= 0;
}

std::string Id3v1GenreValue(std::string_view text) {
  return IsGenreListEntry(text) ? std::string(text) : std::string();
}

int ApplySetAll(Catalogue& catalogue, const EditTarget& target, std::span<const int> selected, bool selectAll,
                const SetAllInput& input, std::string* totalShown) {
  const Catalogue::ChangeBatch batch(catalogue);
  if (!target.IsValueColumn()) return 0;
  std::span<const int> taken = selectAll ? std::span<const int>() : selected;
  const size_t selectedCount = SelectedOrAllRows(catalogue, target.format, taken).size();
  const std::vector<int> rows = RowsOpenToEditing(catalogue, target, taken);
  const int tag = target.ColumnTag();

  std::vector<std::string> values;
  switch (input.page) {
    case SetAllPage::TS4: {
      SetAllNumbering numbering = input.numbering;
      if (tag != 0) numbering.prefix.clear(), numbering.suffix.clear();  // hidden on limited columns
      values = NumberingValues(numbering, tag, rows.size());
      break;
    }
    case SetAllPage::TS5: {
      std::string total = input.useSelectionCount ? std::to_string(selectedCount) : input.total;
      if (totalShown) *totalShown = total;
      values = PairNumberingValues(input.numbering, tag, total, rows.size());
      break;
    }
    default: {
      std::string text = input.text;
      if (input.page == SetAllPage::TS2 && target.kind == TagKind::MP3ID3v1) text = Id3v1GenreValue(text);
      if (tag > 0) text = std::string(CutToWidth(text, static_cast<size_t>(tag)));
      values.assign(rows.size(), text);
      break;
    }
  }
  int stored = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (CellText(catalogue, target, rows[i]) == values[i]) continue;
    stored += SetCellValue(catalogue, target, rows[i], values[i]);
  }
  return stored;
}

}  // namespace hozanki
