#include "core/rename/PatternEvaluator.h"

#include "core/rename/NameConflicts.h"

#include <array>

#include "core/text/Regexp.h"
#include "core/text/Substring.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

std::string_view CellText(const std::vector<Cell>& cells, int index) {
  return index >= 0 && index < static_cast<int>(cells.size()) ? std::string_view(cells[index].text)
                                                              : std::string_view();
}

// MP3 tag field n (from 1) -> column in the APE, ID3v2, RIFF and ID3v1 rows
// (0: the row has no such column).
constexpr std::array<std::array<int, 4>, 21> kMp3Columns = {{
    {1, 1, 1, 1},    // アーティスト
    {2, 2, 2, 2},    // タイトル
    {3, 3, 3, 3},    // アルバム
    {4, 4, 0, 4},    // トラック№
    {5, 5, 4, 5},    // リリース年
    {6, 6, 5, 6},    // ジャンル
    {7, 7, 6, 7},    // コメント
    {0, 8, 0, 0},    // 作曲者
    {0, 9, 7, 0},    // 著作権
    {0, 10, 0, 0},   // URL
    {0, 11, 0, 0},   // オリジナル
    {0, 12, 8, 0},   // 製作者
    {0, 0, 9, 0},    // ソース
    {0, 13, 10, 0},  // ソフトウェア
    {8, 14, 0, 0},   // アルバムアーティスト
    {9, 15, 0, 0},   // ディスク№
    {10, 16, 0, 0},  // 読み（アーティスト）
    {11, 17, 0, 0},  // 読み（アルバムアーティスト）
    {12, 18, 0, 0},  // 読み（アルバム）
    {13, 19, 0, 0},  // 読み（タイトル）
    {14, 20, 0, 0},  // 歌詞
}};
// Tag rows of an MP3 entry in lookup order: APE, ID3v2, RIFF, ID3v1.
constexpr std::array<int, 4> kMp3LookupRows = {3, 1, 2, 0};

std::string_view TagValue(MediaFormat format, const MediaFileEntry& entry, int field) {
  if (format != MediaFormat::MP3)
    return entry.tags.empty() ? std::string_view() : CellText(entry.tags[0].cells, field);
  if (field < 1 || field > static_cast<int>(kMp3Columns.size())) return {};
  for (int t = 0; t < 4; ++t) {
    const int column = kMp3Columns[field - 1][t];
    const int row = kMp3LookupRows[t];
    if (column == 0 || row >= static_cast<int>(entry.tags.size())) continue;
    std::string_view value = CellText(entry.tags[row].cells, column);
    if (!value.empty()) return value;
  }
  return {};
}

// The loaded name without its relative folder.
std::string_view LoadedName(MediaFormat format, const MediaFileEntry& entry) {
  std::string_view name;
  if (!entry.tags.empty()) {
    const TagRow& row = format == MediaFormat::MP3 ? entry.tags.back() : entry.tags.front();
    name = CellText(row.cells, 0);
  }
  if (name.empty()) name = CellText(entry.file.cells, 0);
  const size_t slash = name.rfind('/');
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

std::string FieldValue(MediaFormat format, const MediaFileEntry& entry, PatternFieldOf field) {
  const auto& cells = entry.file.cells;
  switch (field.field) {
    case PatternField::Name:
    case PatternField::Extension: {
      const std::string_view name = LoadedName(format, entry);
      const size_t dot = ExtensionPos(name);
      if (field.field == PatternField::Name) return std::string(name.substr(0, dot));
      return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
    }
    case PatternField::Size:
      return std::string(CellText(cells, 1));
    case PatternField::TimeStamp:
      return std::string(CellText(cells, 2));
    case PatternField::PlayTime:
      return std::string(CellText(cells, 3));
    case PatternField::Seconds:
      return cells.size() > 3 ? std::to_string(cells[3].value) : std::string("0");
    case PatternField::AudioFormat:
      return std::string(CellText(cells, format == MediaFormat::MP3 ? 8 : 4));
    case PatternField::VideoFormat:
      return std::string(CellText(cells, 5));
    case PatternField::Tag:
      return std::string(TagValue(format, entry, field.tagField));
    case PatternField::Text:
    case PatternField::Separator:
      break;
  }
  return {};
}

}  // namespace

std::string EvaluatePattern(MediaFormat format, const std::vector<PatternItem>& items,
                            const MediaFileEntry& entry) {
  std::string result;
  for (const PatternItem& item : items) {
    const int kind = item.Kind();
    if (kind == 0) {
      result += item.text;
      continue;
    }
    std::string value = FieldValue(format, entry, FieldOfKind(format, kind));
    switch (item.Option()) {
      case kPatternWhole:
        result += value;
        break;
      case kPatternSubstring:
        result += Substring(value, item.text);
        break;
      default:
        result += ApplyRegexp(item.text, value);
        break;
    }
  }
  return result;
}

std::string RefuseFileName(std::string_view name) {
  if (name.empty()) return "the new name is empty";
  if (name == "." || name == "..") {
    std::string reason = "\"";
    reason += name;
    reason += "\" is not a file name";
    return reason;
  }
  if (name.find('/') != std::string_view::npos) return "the new name contains \"/\"";
  if (name.find('\0') != std::string_view::npos) return "the new name contains a NUL character";
  if (IsBadFileName(name)) return "the new name is one of this program's temporary names";
  return {};
}

std::vector<RenameProposal> ApplyRenamePattern(MediaFormat format, const RenamePattern& pattern,
                                               const std::vector<MediaFileEntry>& entries,
                                               const std::vector<int>& rows, bool extProtect) {
  std::vector<int> order = rows;
  if (order.empty())
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) order.push_back(i);
  std::vector<RenameProposal> proposals;
  for (int row : order) {
    if (row < 0 || row >= static_cast<int>(entries.size())) continue;
    const MediaFileEntry& entry = entries[row];
    const std::string_view current = CellText(entry.file.cells, 0);
    RenameProposal p;
    p.row = row;
    p.newName = EvaluatePattern(format, pattern.items, entry);
    p.changed = p.newName != current;
    if (!p.changed) {
      proposals.push_back(std::move(p));
      continue;
    }
    if (extProtect) {
      std::string_view base =
          current.substr(current.rfind('/') == std::string_view::npos ? 0 : current.rfind('/') + 1);
      const size_t dot = ExtensionPos(base);
      if (dot != std::string_view::npos) p.newName += base.substr(dot);
    }
    p.refusal = RefuseFileName(p.newName);
    proposals.push_back(std::move(p));
  }
  return proposals;
}

}  // namespace hozanki
