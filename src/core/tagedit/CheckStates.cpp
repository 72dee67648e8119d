#include "core/tagedit/CheckStates.h"

#include <algorithm>

namespace hozanki {
namespace {

constexpr size_t kV2 = 1;
constexpr size_t kRiff = 2;
constexpr size_t kApe = 3;

bool Checked(const MediaFileEntry& entry, size_t index) {
  return entry.tags[index].state == kChecked;
}

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
  if (entry.format != MediaFormat::MP3 || entry.tags.size() != 4) return;
  auto& rows = entry.tags;
  switch (changed) {
    case TagKind::MP3ID3v2:
    case TagKind::MP3APE: {
      size_t self = changed == TagKind::MP3ID3v2 ? kV2 : kApe;
      size_t other = changed == TagKind::MP3ID3v2 ? kApe : kV2;
      if (Checked(entry, self))
        rows[kRiff].state = kUnavailable;
      else if (!Checked(entry, other))
        rows[kRiff].state = kUnchecked;
      break;
    }
    case TagKind::MP3RIFF: {
      int state = Checked(entry, kRiff) ? kUnavailable : kUnchecked;
      rows[kV2].state = state;
      rows[kApe].state = state;
      break;
    }
    default:
      break;
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
