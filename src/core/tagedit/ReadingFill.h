#pragma once
// "読みを設定": the reading columns of a tag table filled from the columns
// they read (読み (アーティスト) from アーティスト and so on). The readings are
// proposed first, for the preview; what the user accepts is stored with
// SetCellValue like any edit, in the selected rows open to editing only.

#include <span>
#include <string>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/common/FormatRegistry.h"
#include "core/text/KanjiReading.h"

namespace hozanki {

// A reading column of a tag table and the column it reads (tag-table cells,
// 1..n).
struct ReadingColumn {
  ExtraField field;  // ArtistReading, AlbumArtistReading, AlbumReading, TitleReading
  int readingCell = 0;
  int sourceCell = 0;
};

// The reading columns of the tag kind that also have their source column,
// in column order (none for ID3v1, RIFF INFO, VQF).
std::vector<ReadingColumn> ReadingColumnsOf(TagKind kind);

struct ReadingProposal {
  int row = 0;  // index into the format's entries
  int readingCell = 0;
  std::string source;   // the text read
  std::string current;  // the reading cell as it is
  std::string reading;  // the proposed reading (the preview may change it)
  std::vector<std::string> unknown;  // words without a reading, kept as written
};

// The proposals for `columns` (reading cells) of the rows of `selected`
// (sorted, duplicates and rows outside the table dropped) that are open to
// editing; a row whose source cell is empty gets none for that column. No
// selection proposes nothing.
std::vector<ReadingProposal> ProposeReadings(const Catalogue& catalogue, TagKind kind, std::span<const int> selected,
                                             std::span<const int> columns, const KanjiReader& reader,
                                             const ReadingOptions& options, const ReadingDictionary* user);

// Stores each proposal's reading into its cell when it differs (SetCellValue:
// changed flag, changed mark, check); rows closed to editing since are left
// alone. Returns the cells stored.
int StageReadings(Catalogue& catalogue, TagKind kind, std::span<const ReadingProposal> proposals);

}  // namespace hozanki
