#pragma once
// A list template: its rows and how one row is stored in the template file
// (a four-digit code and the row's text).

#include <string>
#include <string_view>
#include <vector>

namespace hozanki {

// One row of a list template, as the row editor shows it.
struct TemplateRow {
  std::string LoopMark;  // " *" inside the loop block, else empty
  std::string Item;      // an item name of ListItems()
  std::string Text;      // literal text, or the extraction pattern
  std::string Option;    // "↓"/empty for テキスト rows, else an option name

  bool operator==(const TemplateRow&) const = default;
};

// A template of the library: its title ("Play list(m3u)") and rows.
struct ListTemplate {
  std::string title;
  std::vector<TemplateRow> rows;

  bool operator==(const ListTemplate&) const = default;
};

// The template file's version from which item numbers are stored directly.
inline constexpr int kTemplateFileVersion = 101;

// Thousands: 9 marked, 1 unmarked. Hundreds: テキスト rows 1 with a line
// break, else 0; other rows option number + 1 (1-3 the extractions, 4 CSV,
// 5 HTML; files of older versions hold only 1-3), 9 for an empty option, 0
// for any other text. Tens and units: the item number (99 for a name that is not
// in the item list, which reads back as an empty item).
int EncodeRowCode(const TemplateRow& row);

// The row stored as `code` and `text`. Files older than version 101 number the
// items after 15 differently (16-51 are read as +2, 52 and up as +3).
TemplateRow DecodeRowCode(int code, std::string text, int fileVersion = kTemplateFileVersion);

// Title from a registration name and an optional extension: "X" + "(txt)".
std::string MakeTemplateTitle(std::string_view name, std::string_view extension);

// A title split back into name and extension: the extension is the text
// between the last "(" and a final ")"; otherwise the whole title is the name.
struct TemplateTitleParts {
  std::string name;
  std::string extension;
};
TemplateTitleParts SplitTemplateTitle(std::string_view title);

// The loop block: first and last marked row of the first run of marked rows,
// both -1 when no row is marked.
struct LoopBlock {
  int start = -1;
  int end = -1;
};
LoopBlock FindLoopBlock(const std::vector<TemplateRow>& rows);

}  // namespace hozanki
