#include "core/listout/PickedFile.h"

#include <charconv>

#include "core/catalogue/FolderScan.h"
#include "core/listout/ListEngine.h"

namespace hozanki {
namespace {

std::string_view CellText(const std::vector<Cell>& cells, int index) {
  return index >= 0 && index < static_cast<int>(cells.size()) ? std::string_view(cells[index].text)
                                                              : std::string_view();
}

std::string_view TagCell(const MediaFileEntry& entry, size_t row, int column) {
  return row < entry.tags.size() ? CellText(entry.tags[row].cells, column) : std::string_view();
}

// Tag columns of the seven grouped values and the seven single values, per
// tag table (0: the table has none).
enum Field {
  kArtist,
  kTitle,
  kAlbum,
  kTrack,
  kYear,
  kGenre,
  kComment,
  kComposer,
  kCopyright,
  kUrl,
  kOriginal,
  kProducer,
  kSource,
  kSoftware,
  kFieldCount
};
static_assert(kFieldCount == static_cast<int>(kExtraFieldFirst), "the registry's extra fields follow these");
static_assert(kFieldCount + kExtraFieldCount == kListFieldCount, "the list fields are the format registry's ListColumns");
constexpr size_t kFirstExtraColumn = 35;
static_assert(kFirstExtraColumn + kExtraFieldCount == kPickedTagColumns);
using Columns = ListColumns;

const Columns& ColumnsOf(TagKind kind) { return Describe(kind).listColumns; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

void FillMp3Tags(const MediaFileEntry& entry, bool riff, PickedFile& picked) {
  const size_t v2Row = riff ? 2 : 1;
  const Columns& v2 = ColumnsOf(riff ? TagKind::MP3RIFF : TagKind::MP3ID3v2);
  for (int g = 0; g <= kComment; ++g) {
    const std::string_view v1 = TagCell(entry, 0, g + 1);
    const std::string_view v2Value = v2[g] ? TagCell(entry, v2Row, v2[g]) : std::string_view();
    const std::string_view ape = TagCell(entry, 3, g + 1);
    picked.tag[4 * g] = !ape.empty() ? ape : !v2Value.empty() ? v2Value : v1;
    picked.tag[4 * g + 1] = v1;
    picked.tag[4 * g + 2] = v2Value;
    picked.tag[4 * g + 3] = ape;
  }
  for (int f = kComposer; f < kFieldCount; ++f)
    if (v2[f]) picked.tag[28 + f - kComposer] = TagCell(entry, v2Row, v2[f]);
  const Columns& ape = ColumnsOf(TagKind::MP3APE);
  for (size_t e = 0; e < static_cast<size_t>(kExtraFieldCount); ++e) {
    const int v2Cell = v2[kExtraFieldFirst + e], apeCell = ape[kExtraFieldFirst + e];
    const std::string_view apeValue = apeCell ? TagCell(entry, 3, apeCell) : std::string_view();
    const std::string_view v2Value = v2Cell ? TagCell(entry, v2Row, v2Cell) : std::string_view();
    picked.tag[kFirstExtraColumn + e] = !apeValue.empty() ? apeValue : v2Value;
  }
}

}  // namespace

PickedFile MakePickedFile(const MediaFileEntry& entry, std::string_view folder) {
  PickedFile picked;
  const auto& cells = entry.file.cells;
  // The file as it is on disk: the name cells show a new name while a rename
  // is pending (or after it failed), which no list may name.
  const std::string relative = DisplayName(entry.relativePath.generic_string());
  std::string name = relative;
  std::string path(folder);
  if (path.empty() || path.back() != '/') path += '/';
  if (size_t slash = relative.rfind('/'); slash != std::string::npos) {
    path += relative.substr(0, slash + 1);
    name.erase(0, slash + 1);
  }

  picked.file[1] = std::move(path);
  picked.file[2] = std::move(name);
  picked.file[3] = CellText(cells, 1);
  picked.file[4] = CellText(cells, 2);
  picked.file[5] = CellText(cells, 3);
  picked.seconds = cells.size() > 3 ? cells[3].value : 0;
  picked.file[6] = FormatName(entry.format);
  const bool mp3 = entry.format == MediaFormat::MP3;
  if (mp3)
    for (int k = 0; k < 4; ++k) picked.file[7 + k] = CellText(cells, 4 + k);
  picked.file[11] = CellText(cells, mp3 ? 8 : 4);
  if (Describe(entry.format).hasVideo) picked.file[12] = CellText(cells, 5);

  if (mp3) {
    FillMp3Tags(entry, !picked.file[9].empty(), picked);
    return picked;
  }
  const Columns& columns = ColumnsOf(TagKindsOf(entry.format).front());
  for (int g = 0; g <= kComment; ++g)
    if (columns[g]) picked.tag[4 * g] = TagCell(entry, 0, columns[g]);
  for (int f = kComposer; f < kFieldCount; ++f)
    if (columns[f]) picked.tag[28 + f - kComposer] = TagCell(entry, 0, columns[f]);
  for (size_t e = 0; e < static_cast<size_t>(kExtraFieldCount); ++e)
    if (const int cell = columns[kExtraFieldFirst + e]) picked.tag[kFirstExtraColumn + e] = TagCell(entry, 0, cell);
  if (entry.format == MediaFormat::WMA) {
    const std::string joined = std::string(TagCell(entry, 0, 9)) + " " + std::string(TagCell(entry, 0, 10));
    picked.tag[28 + kUrl - kComposer] = TrimBlanks(joined);
  }
  return picked;
}

std::string GroupDigits(int64_t value) {
  const bool negative = value < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return negative ? "-" + out : out;
}

ListTotals UpdateListTotals(std::vector<PickedFile>& files) {
  int64_t size = 0;
  int64_t seconds = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    PickedFile& f = files[i];
    f.file[0] = std::to_string(i + 1);
    std::string digits;
    for (char c : f.file[3])
      if (c != ',') digits += c;
    int64_t value = 0;
    auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc() && ptr == digits.data() + digits.size()) size += value;
    seconds += f.seconds;
  }
  ListTotals totals;
  totals.count = std::to_string(files.size());
  totals.size = GroupDigits(size);
  totals.time = FormatPlayTime(seconds);
  totals.seconds = std::to_string(seconds);
  return totals;
}

}  // namespace hozanki
