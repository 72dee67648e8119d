#pragma once
// The 70 entries of the list item box, in order (the number of an item is its
// index in stored templates, so items are only ever appended), the extraction
// options, and what each item prints: its token in exported templates and the
// picked-file column it reads.

#include <array>
#include <string_view>

namespace hozanki {

inline constexpr int kListItemCount = 70;
inline constexpr std::string_view kListSeparator = "-----";
inline constexpr std::string_view kItemText = "テキスト";
inline constexpr std::string_view kLineBreakMark = "↓";
inline constexpr std::string_view kLoopMarkText = " *";

// Extraction options, numbered from 0. "CSV引用" and "HTML変換" take the
// whole value like "全体参照", escaped for the format: a CSV field in double
// quotes (a quote inside doubled), HTML with & < > " ' as character
// references.
inline constexpr std::array<std::string_view, 5> kListOptionNames = {"全体参照", "部分参照", "正規表現",
                                                                     "CSV引用", "HTML変換"};
inline constexpr int kOptionWhole = 0;
inline constexpr int kOptionSubstring = 1;
inline constexpr int kOptionRegexp = 2;
inline constexpr int kOptionCsv = 3;
inline constexpr int kOptionHtml = 4;
// True for the options that use the row's text (the extraction pattern).
constexpr bool OptionTakesText(int option) {
  return option == kOptionSubstring || option == kOptionRegexp;
}

// Where an item's value comes from.
enum class ListItemSource {
  None,          // separators
  Text,          // the row's own text
  Total,         // a status total; `column` 0 count, 1 size, 2 time, 3 seconds
  File,          // file column F`column`
  Seconds,       // the seconds kept with the playing time
  RunningTime1,  // elapsed time at the end of the file
  RunningTime2,  // elapsed time at the start of the file
  RelativePath1,
  RelativePath2,
  Tag,  // tag column T`column`
};

struct ListItem {
  std::string_view name;
  std::string_view token;  // "%F_FILE"; empty for テキスト and separators
  ListItemSource source;
  int column;
};

// Item number -> item.
const std::array<ListItem, kListItemCount>& ListItems();
// The number of the item named exactly `name`, or -1.
int ListItemNumber(std::string_view name);
// The number of the option named exactly `name`, or -1.
int ListOptionNumber(std::string_view name);

}  // namespace hozanki
