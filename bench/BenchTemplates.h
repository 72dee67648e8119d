#pragma once
// The eight-row list template the list benchmarks generate through: a
// header line, then a loop block with whole, partial and regular-expression
// items.

#include <vector>

#include "core/listout/TemplateRow.h"

namespace hozanki::bench {

inline const std::vector<TemplateRow>& EightRowTemplate() {
  static const std::vector<TemplateRow> rows = {
      {"", "テキスト", "#EXTM3U", "↓"},
      {" *", "ファイルパス", "", "全体参照"},
      {" *", "ファイル名", "", "全体参照"},
      {" *", "テキスト", "\\t", ""},
      {" *", "タイトル", "0,10", "部分参照"},
      {" *", "テキスト", " - ", ""},
      {" *", "アーティスト", "s/ +/_/g", "正規表現"},
      {" *", "テキスト", "", "↓"},
  };
  return rows;
}

}  // namespace hozanki::bench
