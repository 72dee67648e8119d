#include "core/tagedit/ReadingFill.h"

#include <algorithm>

#include "core/tagedit/EditTarget.h"
#include "core/tagedit/SetCellValue.h"

namespace hozanki {
namespace {

// The list fields of the source columns (see ListColumns).
constexpr int kArtistField = 0;
constexpr int kTitleField = 1;
constexpr int kAlbumField = 2;

}  // namespace

std::vector<ReadingColumn> ReadingColumnsOf(TagKind kind) {
  const ListColumns& columns = Describe(kind).listColumns;
  const std::pair<ExtraField, int> sources[] = {
      {ExtraField::ArtistReading, columns[kArtistField]},
      {ExtraField::AlbumArtistReading, CellOfExtraField(kind, ExtraField::AlbumArtist)},
      {ExtraField::AlbumReading, columns[kAlbumField]},
      {ExtraField::TitleReading, columns[kTitleField]},
  };
  std::vector<ReadingColumn> out;
  for (const auto& [field, source] : sources) {
    const int cell = CellOfExtraField(kind, field);
    if (cell > 0 && source > 0) out.push_back({field, cell, source});
  }
  std::sort(out.begin(), out.end(),
            [](const ReadingColumn& a, const ReadingColumn& b) { return a.readingCell < b.readingCell; });
  return out;
}

std::vector<ReadingProposal> ProposeReadings(const Catalogue& catalogue, TagKind kind, std::span<const int> selected,
                                             std::span<const int> columns, const KanjiReader& reader,
                                             const ReadingOptions& options, const ReadingDictionary* user) {
  std::vector<ReadingProposal> out;
  if (selected.empty()) return out;
  const std::vector<ReadingColumn> known = ReadingColumnsOf(kind);
  const EditTarget rowTarget = EditTarget::TagColumn(kind, 1);
  for (const int row : RowsOpenToEditing(catalogue, rowTarget, selected)) {
    for (const ReadingColumn& column : known) {
      if (std::find(columns.begin(), columns.end(), column.readingCell) == columns.end()) continue;
      ReadingProposal proposal;
      proposal.row = row;
      proposal.readingCell = column.readingCell;
      proposal.source = CellText(catalogue, EditTarget::TagColumn(kind, column.sourceCell), row);
      if (proposal.source.empty()) continue;
      proposal.current = CellText(catalogue, EditTarget::TagColumn(kind, column.readingCell), row);
      TextReading reading = reader.Read(proposal.source, options, user);
      proposal.reading = std::move(reading.text);
      proposal.unknown = std::move(reading.unknown);
      out.push_back(std::move(proposal));
    }
  }
  return out;
}

int StageReadings(Catalogue& catalogue, TagKind kind, std::span<const ReadingProposal> proposals) {
  int stored = 0;
  const auto& entries = catalogue.Entries(FormatOfTagKind(kind));
  for (const ReadingProposal& proposal : proposals) {
    const EditTarget target = EditTarget::TagColumn(kind, proposal.readingCell);
    if (proposal.row < 0 || static_cast<size_t>(proposal.row) >= entries.size()) continue;
    if (!IsRowOpenToEditing(entries[static_cast<size_t>(proposal.row)], target)) continue;
    if (CellText(catalogue, target, proposal.row) == proposal.reading) continue;
    if (SetCellValue(catalogue, target, proposal.row, proposal.reading)) ++stored;
  }
  return stored;
}

}  // namespace hozanki
