#include "core/listout/TemplateText.h"

#include <algorithm>

#include "core/common/AtomicFile.h"
#include "core/listout/ListEngine.h"
#include "core/listout/ListItems.h"
#include "core/listout/ListOutput.h"
#include "core/text/Cp932.h"

namespace hozanki {
namespace {

constexpr std::string_view kLoopStart = "%LOOP_START%";
constexpr std::string_view kLoopEnd = "%LOOP_END%";
// The escaping options as token modifiers: "%T_TIT:csv%", "%T_TIT:html%".
constexpr std::string_view kCsvModifier = ":csv%";
constexpr std::string_view kHtmlModifier = ":html%";

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  size_t start = 0;
  for (size_t pos; (pos = text.find(from, start)) != std::string_view::npos; start = pos + from.size()) {
    out += text.substr(start, pos - start);
    out += to;
  }
  out += text.substr(start);
  return out;
}

std::string TabsToEscapes(std::string_view text) {
  return ReplaceAll(text, "\t", "\\t");
}

// Item numbers of the tokens, longest token first.
const std::vector<int>& TokensLongestFirst() {
  static const std::vector<int> order = [] {
    std::vector<int> numbers;
    for (int i = 0; i < kListItemCount; ++i)
      if (!ListItems()[i].token.empty()) numbers.push_back(i);
    std::stable_sort(numbers.begin(), numbers.end(),
                     [](int a, int b) { return ListItems()[a].token.size() > ListItems()[b].token.size(); });
    return numbers;
  }();
  return order;
}

}  // namespace

std::vector<std::string> ExportTemplate(const std::vector<TemplateRow>& rows) {
  std::vector<std::string> lines;
  std::string accumulator;
  bool inBlock = false;
  auto flush = [&] {
    if (!accumulator.empty()) lines.push_back(std::move(accumulator));
    accumulator.clear();
  };
  for (const TemplateRow& row : rows) {
    if (!inBlock && !row.LoopMark.empty()) {
      flush();
      lines.emplace_back(kLoopStart);
      inBlock = true;
    } else if (inBlock && row.LoopMark.empty()) {
      flush();
      lines.emplace_back(kLoopEnd);
      inBlock = false;
    }
    if (row.Item == kItemText) {
      accumulator += ExpandTextEscapes(ReplaceAll(row.Text, "%", "%%"));
      if (!row.Option.empty()) {
        lines.push_back(std::move(accumulator));
        accumulator.clear();
      }
      continue;
    }
    const int number = ListItemNumber(row.Item);
    if (number < 0 || ListItems()[number].token.empty()) continue;  // produces nothing in a list
    accumulator += ListItems()[number].token;
    if (row.Option == kListOptionNames[kOptionSubstring])
      accumulator += "[" + row.Text + "]";
    else if (row.Option == kListOptionNames[kOptionRegexp])
      accumulator += "(" + row.Text + ")";
    else if (row.Option == kListOptionNames[kOptionCsv])
      accumulator += kCsvModifier.substr(0, kCsvModifier.size() - 1);
    else if (row.Option == kListOptionNames[kOptionHtml])
      accumulator += kHtmlModifier.substr(0, kHtmlModifier.size() - 1);
    accumulator += "%";
  }
  flush();
  if (inBlock) lines.emplace_back(kLoopEnd);
  return lines;
}

std::vector<TemplateRow> ImportTemplate(const std::vector<std::string>& lines) {
  std::vector<TemplateRow> rows;
  std::string mark;
  const std::string text(kItemText);
  const std::string lineBreak(kLineBreakMark);
  for (const std::string& line : lines) {
    if (line == kLoopStart) {
      mark = kLoopMarkText;
      continue;
    }
    if (line == kLoopEnd) {
      mark.clear();
      continue;
    }
    std::string buffer;
    size_t pos = 0;
    while (pos < line.size()) {
      const size_t percent = line.find('%', pos);
      if (percent == std::string::npos) {
        buffer += line.substr(pos);
        break;
      }
      buffer += line.substr(pos, percent - pos);
      const std::string_view rest = std::string_view(line).substr(percent);
      int number = -1;
      for (int candidate : TokensLongestFirst())
        if (rest.starts_with(ListItems()[candidate].token)) {
          number = candidate;
          break;
        }
      if (number < 0) {
        buffer += '%';
        pos = percent + (rest.starts_with("%%") ? 2 : 1);
        continue;
      }
      const std::string_view token = ListItems()[number].token;
      const size_t after = percent + token.size();
      const char next = after < line.size() ? line[after] : '\0';
      TemplateRow item{mark, std::string(ListItems()[number].name), "", ""};
      bool recognised = false;
      const std::string_view afterToken = std::string_view(line).substr(after);
      if (next == '%') {
        item.Option = kListOptionNames[kOptionWhole];
        pos = after + 1;
        recognised = true;
      } else if (afterToken.starts_with(kCsvModifier) || afterToken.starts_with(kHtmlModifier)) {
        const bool csv = afterToken.starts_with(kCsvModifier);
        item.Option = kListOptionNames[csv ? kOptionCsv : kOptionHtml];
        pos = after + (csv ? kCsvModifier : kHtmlModifier).size();
        recognised = true;
      } else if (next == '[' || next == '(') {
        const size_t close = line.find(next == '[' ? "]%" : ")%", after + 1);
        if (close != std::string::npos) {
          item.Option = kListOptionNames[next == '[' ? kOptionSubstring : kOptionRegexp];
          item.Text = line.substr(after + 1, close - after - 1);
          pos = close + 2;
          recognised = true;
        }
      }
      if (!recognised) {
        const size_t literal = token.size() + (next == '[' || next == '(' ? 1 : 0);
        buffer += line.substr(percent, literal);
        pos = percent + literal;
        continue;
      }
      if (!buffer.empty()) {
        rows.push_back({mark, text, TabsToEscapes(buffer), ""});
        buffer.clear();
      }
      rows.push_back(std::move(item));
    }
    rows.push_back({mark, text, TabsToEscapes(buffer), lineBreak});
  }
  return rows;
}

bool ReadTemplateFile(const std::filesystem::path& path, std::vector<std::string>& lines,
                      std::string* error) {
  std::string bytes;
  std::string reason;
  if (!ReadWholeFile(path, bytes, &reason)) {
    if (error) *error = "cannot read " + path.string() + ": " + reason;
    return false;
  }
  lines = SplitPreviewLines(DecodeLegacy(bytes));
  return true;
}

bool WriteTemplateFile(const std::filesystem::path& path, const std::vector<std::string>& lines,
                       std::string* error) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  std::optional<std::string> bytes = EncodeCp932(text);
  return WriteFileAtomic(path, bytes ? *bytes : std::string(kUtf8Bom) + text, error);
}

}  // namespace hozanki
