#include "core/tagedit/CheckStates.h"

#include <algorithm>

#include "core/common/Mp3TagRule.h"

namespace hozanki {
namespace {

// Sets the state of an open row to `state`; true when it changed.
bool SetStateWithRule(MediaFileEntry& entry, TagKind kind, int state) {
  TagRow& row = entry.tags[static_cast<size_t>(TagRowIndex(kind))];
  if (row.state == kUnavailable || row.image == kErrorMark || row.state == state) return false;
  row.state = state;
  ApplyExclusionRule(entry, kind);
  row.image = kChangedMark;
  return true;
}

}  // namespace

void ApplyExclusionRule(MediaFileEntry& entry, TagKind changed) {
  if (entry.format != MediaFormat::MP3 || entry.tags.size() != kMp3TagKinds.size()) return;
  auto row = [&](TagKind k) -> TagRow& { return entry.tags[static_cast<size_t>(TagRowIndex(k))]; };
  auto checked = [&](TagKind k) { return row(k).state == kChecked; };
  for (TagKind other : kMp3TagKinds) {
    if (!Mp3TagsExclude(changed, other)) continue;
    if (checked(changed))
      row(other).state = kUnavailable;
    else if (!Mp3TagExcludedBy(other, checked))
      row(other).state = kUnchecked;
  }
}

bool ToggleCheckState(Catalogue& catalogue, TagKind kind, int row) {
  bool changed = false;
  catalogue.EditRow(FormatOfTagKind(kind), row, [&](MediaFileEntry& entry) {
    const TagRow& tag = entry.tags[static_cast<size_t>(TagRowIndex(kind))];
    if (tag.state == kChecked || tag.state == kUnchecked)
      changed = SetStateWithRule(entry, kind, tag.state == kChecked ? kUnchecked : kChecked);
  });
  return changed;
}

int ToggleAllCheckStates(Catalogue& catalogue, TagKind kind) {
  const Catalogue::ChangeBatch batch(catalogue);
  const MediaFormat format = FormatOfTagKind(kind);
  const size_t index = static_cast<size_t>(TagRowIndex(kind));
  const auto& entries = catalogue.Entries(format);
  bool anyChecked = std::any_of(entries.begin(), entries.end(),
                                [index](const MediaFileEntry& e) { return e.tags[index].state == kChecked; });
  const int state = anyChecked ? kUnchecked : kChecked;
  int count = 0;
  for (int row = 0; row < catalogue.RowCount(format); ++row) {
    const TagRow& tag = catalogue.Entries(format)[static_cast<size_t>(row)].tags[index];
    if (tag.state == kUnavailable || tag.image == kErrorMark || tag.state == state) continue;
    catalogue.EditRow(format, row,
                      [&](MediaFileEntry& entry) { count += SetStateWithRule(entry, kind, state); });
  }
  return count;
}

}  // namespace hozanki
