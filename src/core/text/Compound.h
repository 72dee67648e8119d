#pragma once
// Compound edits: a named chain of text operations run one after another.
//
// Step kinds, their first and second texts:
//  0 "置換"               search with wildcards, replacement (case ignored)
//  1 "置換(大小文字区別)" search, replacement (case-sensitive)
//  2 "大文字/小文字"      one of three choices, -
//  3 "語頭大文字"         one of two choices, separator set (empty: default)
//  4 "全角/半角"          one of three choices, width options (empty: "A9Ko")
//  5 "ひらがな/カタカナ"  one of three choices, -
//  6 "トリミング"         one of three choices, -
//  7 "正規表現"           s/// or tr/// pattern, -
//  8 "部分参照"           substring spec "START,END", -
// A choice text is compared with the first choice, then the second; anything
// else is the last one. A step of any other kind passes its text on.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace hozanki {

inline constexpr int kCompoundKindCount = 9;

struct CompoundStep {
  int kind = 0;
  std::string first;
  std::string second;
  bool operator==(const CompoundStep&) const = default;
};

struct CompoundEdit {
  std::string title;
  std::vector<CompoundStep> steps;
  bool operator==(const CompoundEdit&) const = default;
};

// The kind's name as the step list shows it ("" outside 0-8).
std::string_view CompoundKindName(int kind);
// The choices of kinds 2-6 (two for kind 3), empty for the others.
std::vector<std::string_view> CompoundChoices(int kind);
// The texts a step gets when its kind is chosen.
CompoundStep DefaultCompoundStep(int kind);
// Whether the kind stores its second text ("-" keys of the data file).
bool CompoundKindHasSecondText(int kind);

// The ConvertText kind of a step of kind 2-6, from its first text.
int CompoundConvertKind(const CompoundStep& step);

// With `error` given, it is cleared, and set to the reason when a replace or
// regular-expression step could not be matched (PCRE2 gave up): the step's
// text, or the whole chain's, then comes back unchanged.
std::string RunCompoundStep(const CompoundStep& step, std::string_view text, std::string* error = nullptr);
// Applies the steps in order, each to the result of the one before.
std::string RunCompound(const std::vector<CompoundStep>& steps, std::string_view text,
                        std::string* error = nullptr);

}  // namespace hozanki
