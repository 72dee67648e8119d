#include <gtest/gtest.h>

#include "core/listout/TemplateRowEdit.h"

namespace hozanki {
namespace {

std::vector<TemplateRow> Marks(const std::string& pattern) {
  std::vector<TemplateRow> rows;
  for (char c : pattern) rows.push_back({c == '*' ? " *" : "", "テキスト", "", ""});
  return rows;
}

std::string MarksOf(const std::vector<TemplateRow>& rows) {
  std::string out;
  for (const TemplateRow& r : rows) out += r.LoopMark.empty() ? '.' : '*';
  return out;
}

TEST(LoopMarkClick, KeepsTheBlockContiguous) {
  struct Case {
    const char* before;
    int row;
    const char* after;
  };
  const Case cases[] = {
      {"...", 1, ".*."},                     // the first mark anywhere
      {".*.", 0, "**."},                     // extends upward
      {".*.", 2, ".**"},                     // extends downward
      {"*..", 2, "*.."},                     // not next to the block
      {"***", 1, "***"},                     // the middle of a block keeps its mark
      {"***", 2, "**."},                     // the last row of the block loses it
      {".***", 1, "..**"},                   // so does the first
      {"**", 0, ".*"},                       // the first row of the editor is an end
      {"*", 0, "."},       {"..", 5, ".."},  // outside the editor
  };
  for (const Case& c : cases) {
    std::vector<TemplateRow> rows = Marks(c.before);
    ToggleLoopMark(rows, c.row);
    EXPECT_EQ(MarksOf(rows), c.after) << c.before << " click " << c.row;
  }
}

TEST(ItemChoice, FollowsTheOptionRules) {
  struct Case {
    TemplateRow before;
    const char* item;
    TemplateRow after;
    bool changed;
  };
  const Case cases[] = {
      {{"", "ファイル名", "0,3", "部分参照"}, "-----", {"", "テキスト", "", ""}, true},
      {{" *", "タイトル", "s/a/b/", "正規表現"}, "テキスト", {" *", "テキスト", "", ""}, true},
      {{"", "テキスト", "abc", ""}, "ファイル名", {"", "ファイル名", "", "全体参照"}, true},
      // An existing "↓" stays, and the text with it.
      {{"", "テキスト", "abc", "↓"}, "通番", {"", "通番", "abc", "↓"}, true},
      {{"", "タイトル", "0,4", "部分参照"}, "アルバム", {"", "アルバム", "0,4", "部分参照"}, true},
      {{"", "タイトル", "x", "部分参照"}, "タイトル", {"", "タイトル", "x", "部分参照"}, false},
  };
  for (const Case& c : cases) {
    TemplateRow row = c.before;
    EXPECT_EQ(ChooseItem(row, c.item), c.changed) << c.item;
    EXPECT_EQ(row, c.after) << c.item;
  }
}

TEST(OptionChoice, SetsTheDefaultPattern) {
  TemplateRow row{"", "タイトル", "", "全体参照"};
  EXPECT_TRUE(ChooseOption(row, "部分参照"));
  EXPECT_EQ(row.Text, "0,0");
  EXPECT_TRUE(ChooseOption(row, "正規表現"));
  EXPECT_EQ(row.Text, "s///");
  row.Text = "s/ /_/g";
  EXPECT_FALSE(ChooseOption(row, "正規表現"));
  EXPECT_EQ(row.Text, "s/ /_/g");
  EXPECT_TRUE(ChooseOption(row, "全体参照"));
  EXPECT_EQ(row.Text, "");
  EXPECT_FALSE(ChooseOption(row, "↓"));
  EXPECT_EQ(row.Option, "全体参照");
  TemplateRow text{"", "テキスト", "x", ""};
  ToggleLineBreak(text);
  EXPECT_EQ(text.Option, "↓");
  ToggleLineBreak(text);
  EXPECT_EQ(text.Option, "");
}

TEST(MoveOrder, UpwardBeforeDownwardAfter) {
  using V = std::vector<int>;
  EXPECT_EQ(MoveOrder(5, {3, 4}, 1, true), (V{0, 3, 4, 1, 2}));
  EXPECT_EQ(MoveOrder(5, {0, 1}, 3, false), (V{2, 3, 0, 1, 4}));
  // Scattered rows gather in their order.
  EXPECT_EQ(MoveOrder(6, {1, 4}, 2, true), (V{0, 1, 4, 2, 3, 5}));
  EXPECT_EQ(MoveOrder(5, {0, 2}, 4, false), (V{1, 3, 4, 0, 2}));
  // Nothing: onto a selected row, downward with a selected row below the
  // drop row, outside the list.
  EXPECT_TRUE(MoveOrder(5, {1, 2}, 2, true).empty());
  EXPECT_TRUE(MoveOrder(5, {1, 4}, 3, false).empty());
  EXPECT_TRUE(MoveOrder(5, {1}, 5, false).empty());
  EXPECT_TRUE(MoveOrder(5, {}, 2, true).empty());
}

TEST(MovedRowMark, FollowsItsNewNeighbours) {
  std::vector<TemplateRow> rows = Marks("*.**");
  AdjustMovedMark(rows, 0);  // a marked row alone loses its mark
  EXPECT_EQ(MarksOf(rows), "..**");
  rows = Marks("*.*");
  AdjustMovedMark(rows, 1);  // between two marked rows it is marked
  EXPECT_EQ(MarksOf(rows), "***");
  rows = Marks("**.");
  AdjustMovedMark(rows, 1);  // next to the block: kept
  EXPECT_EQ(MarksOf(rows), "**.");
}

}  // namespace
}  // namespace hozanki
