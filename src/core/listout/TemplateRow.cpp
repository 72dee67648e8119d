#include "core/listout/TemplateRow.h"

#include "core/listout/ListItems.h"

namespace hozanki {

int EncodeRowCode(const TemplateRow& row) {
  const int thousands = row.LoopMark.empty() ? 1 : 9;
  int hundreds = 0;
  if (row.Item == kItemText) {
    hundreds = row.Option == kLineBreakMark ? 1 : 0;
  } else if (row.Option.empty()) {
    hundreds = 9;
  } else {
    const int option = ListOptionNumber(row.Option);
    hundreds = option >= 0 ? option + 1 : 0;
  }
  int item = ListItemNumber(row.Item);
  if (item < 0) item = 99;
  return thousands * 1000 + hundreds * 100 + item;
}

TemplateRow DecodeRowCode(int code, std::string text, int fileVersion) {
  if (code < 0 || code > 9999) code = 1900;
  TemplateRow row;
  row.LoopMark = code / 1000 == 1 ? "" : std::string(kLoopMarkText);
  int item = code % 100;
  if (fileVersion < kTemplateFileVersion) {
    if (item >= 52)
      item += 3;
    else if (item >= 16)
      item += 2;
  }
  if (item < kListItemCount) row.Item = ListItems()[item].name;
  const int option = (code / 100) % 10 - 1;
  if (option >= 0 && option < static_cast<int>(kListOptionNames.size()))
    row.Option = row.Item == kItemText ? std::string(kLineBreakMark) : std::string(kListOptionNames[option]);
  row.Text = std::move(text);
  return row;
}

std::string MakeTemplateTitle(std::string_view name, std::string_view extension) {
  std::string title(name);
  if (!extension.empty()) {
    title += '(';
    title += extension;
    title += ')';
  }
  return title;
}

TemplateTitleParts SplitTemplateTitle(std::string_view title) {
  if (!title.empty() && title.back() == ')') {
    const size_t open = title.rfind('(');
    if (open != std::string_view::npos)
      return {std::string(title.substr(0, open)),
              std::string(title.substr(open + 1, title.size() - open - 2))};
  }
  return {std::string(title), {}};
}

LoopBlock FindLoopBlock(const std::vector<TemplateRow>& rows) {
  LoopBlock block;
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    if (block.start < 0) {
      if (!rows[i].LoopMark.empty()) block.start = block.end = i;
    } else if (rows[i].LoopMark.empty()) {
      break;
    } else {
      block.end = i;
    }
  }
  return block;
}

}  // namespace hozanki
