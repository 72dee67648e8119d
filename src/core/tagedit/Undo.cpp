#include "core/tagedit/Undo.h"

#include <algorithm>
#include <optional>
#include <thread>
#include <vector>

#include "core/catalogue/MediaReader.h"
#include "core/common/ParallelFor.h"
#include "core/common/IoDepth.h"
#include "core/common/Mp3TagRule.h"
#include "core/tagedit/CheckStates.h"
#include "core/tagedit/EditTarget.h"

namespace hozanki {
namespace {

// File-list cell that shows whether an MP3 file carries a tag kind.
constexpr size_t kPresenceCell = 4;

bool AnyFlag(const TagRow& row) {
  return std::any_of(row.cells.begin() + 1, row.cells.end(), [](const Cell& c) { return c.value != 0; });
}

// The state an MP3 row takes back: checked when the file list shows the kind
// as present, unchecked otherwise; unavailable while a conflicting kind of
// the same file is checked (RIFF against ID3v2 and APE).
int RestoredMp3State(const MediaFileEntry& entry, TagKind kind) {
  const size_t index = static_cast<size_t>(TagRowIndex(kind));
  auto checked = [&](TagKind k) { return entry.tags[static_cast<size_t>(TagRowIndex(k))].state == kChecked; };
  if (Mp3TagExcludedBy(kind, checked)) return kUnavailable;
  const size_t cell = kPresenceCell + index;
  return cell < entry.file.cells.size() && !entry.file.cells[cell].text.empty() ? kChecked : kUnchecked;
}

}  // namespace

int UndoFileNames(Catalogue& catalogue, MediaFormat format, std::span<const int> rows) {
  const Catalogue::ChangeBatch batch(catalogue);
  if (rows.empty()) return 0;
  int count = 0;
  for (int row : SelectedOrAllRows(catalogue, format, rows)) {
    catalogue.EditRow(format, row, [&](MediaFileEntry& entry) {
      entry.file.cells[0].text = DisplayPath(entry.relativePath.filename());
      if (entry.file.image == kChangedMark) entry.file.image = kNoMark;
      ++count;
    });
  }
  return count;
}

int UndoTagRows(Catalogue& catalogue, const std::filesystem::path& folder, TagKind kind,
                std::span<const int> rows, int editSubItem) {
  return UndoTagRows(catalogue, folder, kind, rows, editSubItem,
                     [](const std::filesystem::path& f, const std::filesystem::path& relative) {
                       return ReadMediaFile(f, relative);
                     });
}

int UndoTagRows(Catalogue& catalogue, const std::filesystem::path& folder, TagKind kind,
                std::span<const int> rows, int editSubItem, const StoredReader& read) {
  const Catalogue::ChangeBatch batch(catalogue);
  if (rows.empty()) return 0;
  const MediaFormat format = FormatOfTagKind(kind);
  const size_t index = static_cast<size_t>(TagRowIndex(kind));
  const size_t valueCount = ValueNamesOf(kind).size();
  if (editSubItem > static_cast<int>(valueCount)) return 0;
  const size_t edit = editSubItem > 0 ? static_cast<size_t>(editSubItem) : 0;

  std::vector<int> taken;
  for (int row : SelectedOrAllRows(catalogue, format, rows)) {
    const MediaFileEntry& entry = catalogue.Entries(format)[static_cast<size_t>(row)];
    if (edit > 0 && entry.tags[index].cells[edit].value == 0) continue;
    taken.push_back(row);
  }
  // The cells to take back: the edit column, or every changed cell.
  auto restored = [&](const TagRow& row, size_t k) {
    return edit > 0 ? k == edit : row.cells[k].value != 0;
  };
  // Each file's stored values: those kept in the entry when the file is
  // still as it was read (no parsing), else the file read again.
  std::vector<char> held(taken.size(), 0);
  std::vector<std::optional<MediaFileEntry>> stored(taken.size());
  const std::vector<MediaFileEntry>& entries = catalogue.Entries(format);
  ParallelFor(taken.size(), IoDepthFor(folder, std::max(1u, std::thread::hardware_concurrency())), [&](size_t i) {
    const MediaFileEntry& entry = entries[static_cast<size_t>(taken[i])];
    const TagRow& row = entry.tags[index];
    bool kept = true;
    for (size_t k = 1; k < row.cells.size() && kept; ++k)
      kept = !restored(row, k) || StoredValueOf(entry, index, k) != nullptr;
    if (kept && StillAsRead(folder, entry)) {
      held[i] = 1;
      return;
    }
    std::optional<MediaFileEntry> again = read(folder, entry.relativePath);
    if (again && again->format == format) stored[i] = std::move(again);
  });

  int count = 0;
  for (size_t i = 0; i < taken.size(); ++i) {
    if (!held[i] && !stored[i]) continue;
    catalogue.EditRow(format, taken[i], [&](MediaFileEntry& entry) {
      TagRow& row = entry.tags[index];
      // The stored value of cell k, as kept or as read again.
      auto value = [&](size_t k) -> const std::string& {
        return held[i] ? *StoredValueOf(entry, index, k) : stored[i]->tags[index].cells[k].text;
      };
      const size_t sourceCells = held[i] ? row.cells.size() : stored[i]->tags[index].cells.size();
      for (size_t k = 1; k < row.cells.size() && k < sourceCells; ++k)
        if (restored(row, k)) row.cells[k] = Cell{value(k), 0};
      // Cells without a change keep no value.
      std::erase_if(entry.storedCells,
                    [&](const StoredCell& s) { return s.tag == index && row.cells[s.cell].value == 0; });
      if (edit > 0) {
        if (row.image == kChangedMark && !AnyFlag(row)) row.image = kNoMark;
      } else {
        int state = format == MediaFormat::MP3 ? RestoredMp3State(entry, kind) : kChecked;
        if (row.state != state) {
          row.state = state;
          if (state != kUnavailable) ApplyExclusionRule(entry, kind);
        }
        if (row.image == kChangedMark) row.image = kNoMark;
      }
      // A file that no longer has a change to write is not written in
      // Unicode forms for the encoding repair either.
      if (std::none_of(entry.tags.begin(), entry.tags.end(),
                       [](const TagRow& t) { return t.image == kChangedMark; }))
        entry.forceUnicode = false;
      ++count;
    });
  }
  return count;
}

}  // namespace hozanki
