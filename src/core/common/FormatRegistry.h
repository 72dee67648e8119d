#pragma once
// Every format described once: the file pages (formats) and tag pages (tag
// kinds) in page order, and per format and tag kind its names, extensions,
// columns, default widths, value names and their quirks, rename items and
// list-output fields. Data only: opening a file is the catalogue's
// (core/catalogue/FormatOpeners.h).
//
// The tag kinds of a format are consecutive and in format order, so a tag
// page belongs to exactly one file page (FilePageOf) and a file page shows
// its first tag page (TagPageOf). Adding a format follows the recipe on
// docs/ARCHITECTURE.md; every piece it names is checked when compiling: the
// switches below have no default (-Wswitch is an error in the core), the
// counts follow from them, and a table row missing or out of order fails a
// static_assert.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hozanki {

// File pages of the main window, in order.
enum class MediaFormat { MP3 = 0, WAV, AVI, VQF, WMA, OGG, APE, MP4, FLAC };

// Tag pages, in order: each format's tag kinds, formats in page order.
enum class TagKind { MP3ID3v1 = 0, MP3ID3v2, MP3RIFF, MP3APE, WAV, AVI, VQF, WMA, OGG, APE, MP4, FLAC };

// Type codes of the tag library layer.
enum class FileType { Unknown = 0, MP3 = 1, WAV = 2, AVI = 3, VQF = 4, WMA = 5, OGG = 7, APE = 8, MP4 = 9, FLAC = 10 };

// The type code of a format; Unknown past the last format.
constexpr FileType TypeOfFormat(MediaFormat format) {
  switch (format) {
    case MediaFormat::MP3: return FileType::MP3;
    case MediaFormat::WAV: return FileType::WAV;
    case MediaFormat::AVI: return FileType::AVI;
    case MediaFormat::VQF: return FileType::VQF;
    case MediaFormat::WMA: return FileType::WMA;
    case MediaFormat::OGG: return FileType::OGG;
    case MediaFormat::APE: return FileType::APE;
    case MediaFormat::MP4: return FileType::MP4;
    case MediaFormat::FLAC: return FileType::FLAC;
  }
  return FileType::Unknown;
}

// The page of a tag kind's format; -1 past the last tag kind.
constexpr int FormatIndexOfKind(TagKind kind) {
  switch (kind) {
    case TagKind::MP3ID3v1:
    case TagKind::MP3ID3v2:
    case TagKind::MP3RIFF:
    case TagKind::MP3APE: return static_cast<int>(MediaFormat::MP3);
    case TagKind::WAV: return static_cast<int>(MediaFormat::WAV);
    case TagKind::AVI: return static_cast<int>(MediaFormat::AVI);
    case TagKind::VQF: return static_cast<int>(MediaFormat::VQF);
    case TagKind::WMA: return static_cast<int>(MediaFormat::WMA);
    case TagKind::OGG: return static_cast<int>(MediaFormat::OGG);
    case TagKind::APE: return static_cast<int>(MediaFormat::APE);
    case TagKind::MP4: return static_cast<int>(MediaFormat::MP4);
    case TagKind::FLAC: return static_cast<int>(MediaFormat::FLAC);
  }
  return -1;
}

// The counts follow from the switches: a value appended to an enum without
// its case does not compile, one with its case raises the count.
inline constexpr int kFormatCount = [] {
  int n = 0;
  while (TypeOfFormat(static_cast<MediaFormat>(n)) != FileType::Unknown) ++n;
  return n;
}();
inline constexpr int kTagKindCount = [] {
  int n = 0;
  while (FormatIndexOfKind(static_cast<TagKind>(n)) >= 0) ++n;
  return n;
}();

// Columns of the file lists and tag tables: caption (with the blank that
// holds the sort mark: after the text of a left-aligned caption, before the
// text of a right-aligned one), alignment and editing kind.
enum class ColumnAlignment { Left, Right, Center };

// Editing kind of a column (`Tag`): n > 0 single line of at most n bytes
// (code page 932 width), 0 free single line, or one of these.
inline constexpr int kColumnFreeText = 0;
inline constexpr int kColumnGenre = -1;
inline constexpr int kColumnMemo = -2;
inline constexpr int kColumnNumberPair = -3;

struct ColumnSpec {
  std::string_view caption;
  ColumnAlignment alignment;
  int tag;  // editing kind; 0 for file-list columns
};

// A cell whose value the tag library layer stores under other names.
enum class ValueQuirk {
  Pair,      // "a/b" in the cell, two values `first` and `second` in the file
  Fallback,  // read from `first` when the cell's own value is empty
};
struct ValueNameRule {
  std::string_view cell;  // the cell's value name ("TRACK", "INAM")
  ValueQuirk quirk;
  std::string_view first;   // "TRACK1"; the fallback name "ISBJ"
  std::string_view second;  // "TRACK2"; empty for a fallback
};

// Fields of the list output, in this order: artist, title, album, track,
// year, genre, comment (the grouped values), composer, copyright, URL,
// original, producer, source, software, then the ExtraField values below.
// Each holds the tag-table cell (1..n) that fills it, 0 when the table has none.
inline constexpr size_t kExtraFieldFirst = 14;
inline constexpr int kExtraFieldCount = 7;
inline constexpr int kListFieldCount = static_cast<int>(kExtraFieldFirst) + kExtraFieldCount;
using ListColumns = std::array<int, kListFieldCount>;

// The values that players group and sort by, in the columns after every
// table's own: album artist, disc "n/m", the four readings (sort names) and
// the lyrics. Their value names are the same in every tag kind that has
// them ("AART", "DISC", "SOAR", "SOAA", "SOAL", "SONM", "LYRC"; with "_v2"
// and "_APE" in MP3's tag kinds).
enum class ExtraField { AlbumArtist = 0, Disc, ArtistReading, AlbumArtistReading, AlbumReading, TitleReading, Lyrics };

struct TagKindDescription {
  TagKind kind;
  MediaFormat format;
  std::string_view key;   // settings key part: "MP1", "MP2", "MPR", "MPA", "WAV", ...
  std::string_view name;  // "ID3v1", "ID3v2", "RIFF", "APE" for MP3; the format name otherwise
  std::span<const std::string_view> valueNames;  // cells 1..n (cell 0 is the relative path)
  std::span<const ColumnSpec> columns;           // every column, column 0 included (n + 2)
  std::span<const int> widths;                   // default widths of columns 1..n+1
  std::span<const ValueNameRule> valueRules;
  bool legacyText;  // text stored as code page bytes (RIFF INFO, VQF, ID3v1), else Unicode
  ListColumns listColumns;
};

struct FormatDescription {
  MediaFormat format;
  std::string_view name;  // "MP3", ... (also the settings key parts "CFMP3-1" ...)
  FileType type;
  std::span<const std::string_view> extensions;  // lower case, with the dot
  std::span<const TagKind> kinds;                // consecutive, in page order
  std::span<const ColumnSpec> fileColumns;       // every file-list column, column 0 included
  std::span<const int> fileWidths;               // default widths of columns 1..n
  bool hasVideo;                                 // a video-format column (and rename item)
  std::span<const std::string_view> renameTagItems;  // rename items after "-----"
};

const FormatDescription& Describe(MediaFormat format);
const TagKindDescription& Describe(TagKind kind);
std::span<const FormatDescription> AllFormats();
std::span<const TagKindDescription> AllTagKinds();

std::string_view FormatName(MediaFormat format);
std::string_view TagKindKey(TagKind kind);
std::string_view TagKindName(TagKind kind);

// MP3 for an unknown type.
MediaFormat FormatOfType(FileType type);
constexpr MediaFormat FormatOfTagKind(TagKind kind) { return static_cast<MediaFormat>(FormatIndexOfKind(kind)); }
// The tag kinds of a format: four for MP3, one otherwise.
std::span<const TagKind> TagKindsOf(MediaFormat format);
// Index of a tag kind among its format's kinds (its tag row in an entry).
int TagRowIndex(TagKind kind);
// The type of a file extension (".mp3", ".M4A"; case ignored), Unknown when none has it.
FileType TypeOfExtension(std::string_view extension);

// Page mapping of the main window: a tag page's file page, a file page's
// first tag page.
int FilePageOf(int tagPage);
int TagPageOf(int filePage);
// The tag pages that show the same rows as `tagPage` (itself included).
std::span<const TagKind> SisterTagKinds(int tagPage);

// Value names of a tag table in cell order 1..n. MP4's pairs are one cell
// each, named "TRACK" and "DISC" here; the layer reads and writes them as
// "TRACK1"/"TRACK2" and "DISC1"/"DISC2" (see ValueRuleOf).
std::span<const std::string_view> ValueNamesOf(TagKind kind);
// The quirk of a cell's value name, or null when the layer stores it under that name.
const ValueNameRule* ValueRuleOf(TagKind kind, std::string_view cellName);
// Names the layer holds a cell's value under, in reading order: the cell's
// own name; a pair's two parts; the cell's name then its fallback.
std::vector<std::string_view> StoredNamesOf(TagKind kind, std::string_view cellName);

// A value name as a user gives it, found among a tag kind's cells: `cell`
// 1..n (0 when the kind has no such value), `part` 1 or 2 for one half of a
// pair ("TRACK2"), 0 for the whole cell.
struct ValueNameTarget {
  int cell = 0;
  int part = 0;
};
ValueNameTarget FindValueName(TagKind kind, std::string_view name);

// A pair cell's text from its two values: "a/b", "0/b" when only the second
// is set, "a" when the second is empty.
std::string PairCellText(std::string_view first, std::string_view second);
// The two values of a pair cell's text, split at its first "/".
std::pair<std::string, std::string> SplitPairCell(std::string_view text);
// A pair cell's text with one part (1 or 2) replaced.
std::string WithPairPart(std::string_view text, int part, std::string_view value);

// The tag-table cell (1..n) of a value of ExtraField, 0 when the tag kind
// cannot hold it (ID3v1, RIFF INFO, VQF).
int CellOfExtraField(TagKind kind, ExtraField field);

// Number of cells of a file row (sub-items 0..n): MP3 9, AVI/WMA/MP4 6, others 5.
int FileCellCount(MediaFormat format);

}  // namespace hozanki
