#include "core/listout/ListEngine.h"

#include <cstdio>

#include "core/listout/ListItems.h"
#include "core/text/Regexp.h"
#include "core/text/Substring.h"

namespace hozanki {
namespace {

std::string BaseWithSlash(const BasePath& base) {
  std::string b = base.path;
  if (b.back() != '/') b += '/';
  return b;
}

}  // namespace

std::string FormatPlayTime(int64_t seconds) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>((seconds / 60) % 60), static_cast<long long>(seconds % 60));
  return buffer;
}

std::string MakeRelativePath1(std::string_view folder, const BasePath& base) {
  if (!base.enabled || base.path.empty()) return std::string(folder);
  std::string b = BaseWithSlash(base);
  std::string prefix;
  while (!folder.starts_with(b)) {
    b.pop_back();
    const size_t slash = b.rfind('/');
    if (slash == std::string::npos) return std::string(folder);
    b.erase(slash + 1);
    prefix += "../";
  }
  return prefix + std::string(folder.substr(b.size()));
}

std::string MakeRelativePath2(std::string_view folder, const BasePath& base) {
  if (!base.enabled || base.path.empty()) return std::string(folder);
  const std::string b = BaseWithSlash(base);
  if (folder.starts_with(b)) return std::string(folder.substr(b.size()));
  return std::string(folder);
}

std::string QuoteCsvField(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
        break;
    }
  }
  return out;
}

std::string ExpandTextEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  // "\\" first becomes a placeholder byte, so "\\t" stays a backslash and a t.
  std::string marked;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
      marked += '\x01';
      ++i;
    } else {
      marked += text[i];
    }
  }
  for (size_t i = 0; i < marked.size(); ++i) {
    if (marked[i] == '\\' && i + 1 < marked.size() && marked[i + 1] == 't') {
      out += '\t';
      ++i;
    } else {
      out += marked[i] == '\x01' ? '\\' : marked[i];
    }
  }
  return out;
}

ListEngine::ListEngine(const std::vector<PickedFile>& files, ListTotals totals, BasePath base)
    : files_(files), totals_(std::move(totals)), base_(std::move(base)) {}

ListEngine::CompiledRow ListEngine::Compile(std::string_view item, std::string_view text,
                                            std::string_view option) {
  CompiledRow row;
  row.item = ListItemNumber(item);
  if (row.item == 0) {
    row.text = ExpandTextEscapes(text);
    row.lineBreak = !option.empty();
  } else {
    row.text = text;
    row.option = ListOptionNumber(option);
  }
  return row;
}

void ListEngine::ExpandTemplateRow(std::string_view item, std::string_view text, int fileIndex,
                                   std::string_view option) {
  Expand(Compile(item, text, option), fileIndex);
}

void ListEngine::Value(const CompiledRow& row, int fileIndex, std::string& value) {
  const ListItem& item = ListItems()[row.item];
  if (item.source == ListItemSource::Total) {
    const std::string* totals[] = {&totals_.count, &totals_.size, &totals_.time, &totals_.seconds};
    value = *totals[item.column];
    return;
  }
  const PickedFile& file = files_[fileIndex];
  switch (item.source) {
    case ListItemSource::File:
      value = file.file[item.column];
      break;
    case ListItemSource::Tag:
      value = file.tag[item.column];
      break;
    case ListItemSource::Seconds:
      value = std::to_string(file.seconds);
      break;
    case ListItemSource::RunningTime1:
      runningTime1_ += file.seconds;
      value = FormatPlayTime(runningTime1_);
      break;
    case ListItemSource::RunningTime2:
      value = FormatPlayTime(runningTime2_);
      runningTime2_ += file.seconds;
      break;
    case ListItemSource::RelativePath1:
      value = MakeRelativePath1(file.file[1], base_);
      break;
    case ListItemSource::RelativePath2:
      value = MakeRelativePath2(file.file[1], base_);
      break;
    default:
      value.clear();
      break;
  }
}

void ListEngine::Expand(const CompiledRow& row, int fileIndex) {
  if (row.item < 0) return;
  const ListItem& item = ListItems()[row.item];
  if (item.source == ListItemSource::None) return;
  if (item.source == ListItemSource::Text) {
    accumulator_ += row.text;
    if (row.lineBreak) {
      lines_.push_back(std::move(accumulator_));
      accumulator_.clear();
    }
    return;
  }
  if (item.source != ListItemSource::Total && (fileIndex < 0 || fileIndex >= static_cast<int>(files_.size())))
    return;
  std::string value;
  Value(row, fileIndex, value);
  switch (row.option) {
    case kOptionSubstring:
      accumulator_ += Substring(value, row.text);
      break;
    case kOptionRegexp:
      accumulator_ += ApplyRegexp(row.text, value);
      break;
    case kOptionCsv:
      accumulator_ += QuoteCsvField(value);
      break;
    case kOptionHtml:
      accumulator_ += EscapeHtml(value);
      break;
    default:
      accumulator_ += value;
      break;
  }
}

std::vector<std::string> ListEngine::Generate(const std::vector<TemplateRow>& rows, int currentFile) {
  accumulator_.clear();
  lines_.clear();
  runningTime1_ = runningTime2_ = 0;
  const int fileCount = static_cast<int>(files_.size());
  if (fileCount == 0)
    currentFile = -1;
  else if (currentFile < 0 || currentFile >= fileCount)
    currentFile = 0;

  std::vector<CompiledRow> compiled;
  compiled.reserve(rows.size());
  for (const TemplateRow& r : rows) compiled.push_back(Compile(r.Item, r.Text, r.Option));
  const LoopBlock loop = FindLoopBlock(rows);
  const int rowCount = static_cast<int>(rows.size());

  for (int r = 0; r < loop.start; ++r) Expand(compiled[r], currentFile);
  if (loop.start >= 0)
    for (int j = 0; j < fileCount; ++j)
      for (int r = loop.start; r <= loop.end; ++r) Expand(compiled[r], j);
  for (int r = loop.start >= 0 ? loop.end + 1 : 0; r < rowCount; ++r) Expand(compiled[r], currentFile);

  if (!accumulator_.empty()) {
    lines_.push_back(std::move(accumulator_));
    accumulator_.clear();
  }
  return lines_;
}

}  // namespace hozanki
