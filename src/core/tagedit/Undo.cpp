#include "core/tagedit/Undo.h"

#include <algorithm>
#include <optional>
#include <thread>
#include <vector>

#include "core/catalogue/MediaReader.h"
#include "core/catalogue/ParallelReader.h"
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
  const Catalogue::ChangeBatch batch(catalogue);
  if (rows.empty()) return 0;
  const MediaFormat format = FormatOfTagKind(kind);
  const size_t index = static_cast<size_t>(TagRowIndex(kind));
  const size_t valueCount = ValueNamesOf(kind).size();
  if (editSubItem > static_cast<int>(valueCount)) return 0;
  const size_t edit = editSubItem > 0 ? static_cast<size_t>(editSubItem) : 0;

  std::vector<int> taken;
  std::vector<std::filesystem::path> paths;
  for (int row : SelectedOrAllRows(catalogue, format, rows)) {
    const MediaFileEntry& entry = catalogue.Entries(format)[static_cast<size_t>(row)];
    if (edit > 0 && entry.tags[index].cells[edit].value == 0) continue;
    taken.push_back(row);
    paths.push_back(entry.relativePath);
  }
  std::vector<std::optional<MediaFileEntry>> stored(paths.size());
  ReadMediaFiles(folder, paths, IoDepthFor(folder, std::max(1u, std::thread::hardware_concurrency())),
                 [&](size_t i, std::optional<MediaFileEntry>&& entry, const std::string&) {
                   if (entry && entry->format == format) stored[i] = std::move(entry);
                 });

  int count = 0;
  for (size_t i = 0; i < taken.size(); ++i) {
    if (!stored[i]) continue;
    const TagRow& source = stored[i]->tags[index];
    catalogue.EditRow(format, taken[i], [&](MediaFileEntry& entry) {
      if (entry.relativePath != paths[i]) return;
      TagRow& row = entry.tags[index];
      if (edit > 0) {
        row.cells[edit] = Cell{source.cells[edit].text, 0};
        if (row.image == kChangedMark && !AnyFlag(row)) row.image = kNoMark;
      } else {
        for (size_t k = 1; k < row.cells.size() && k < source.cells.size(); ++k)
          if (row.cells[k].value != 0) row.cells[k] = Cell{source.cells[k].text, 0};
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
