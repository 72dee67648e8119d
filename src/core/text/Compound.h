#pragma once
// Compound edits: a named chain of text operations run one after another.
//
// Step kinds (CompoundKind; the number is the one the data file stores),
// their first and second texts:
//  0 Replace               search with wildcards, replacement (case ignored)
//  1 ReplaceCaseSensitive  search, replacement (case-sensitive)
//  2 Case                  one of its conversions' captions, -
//  3 WordCapitals          one of its conversions' captions, separator set (empty: default)
//  4 Width                 one of its conversions' captions, width options (empty: "A9Ko")
//  5 Kana                  one of its conversions' captions, -
//  6 Trim                  one of its conversions' captions, -
//  7 Regexp                s/// or tr/// pattern, -
//  8 Substring             substring spec "START,END", -
// Kinds 2-6 are the groups of the "変換(&T)" menus (ConvertTextKinds.h): the
// kind's name is the group's caption and its choices are the captions of the
// group's conversions. A choice text is compared with each choice in turn;
// anything else is the last one. A step of any other kind passes its text on.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/ConvertTextKinds.h"

namespace hozanki {

enum class CompoundKind {
  Replace = 0,
  ReplaceCaseSensitive = 1,
  Case = 2,
  WordCapitals = 3,
  Width = 4,
  Kana = 5,
  Trim = 6,
  Regexp = 7,
  Substring = 8,
};
inline constexpr int kCompoundKindCount = 9;

struct CompoundKindInfo {
  CompoundKind kind;
  std::string_view name;               // as the step list shows it
  std::optional<ConvertGroup> group;   // the conversions the step chooses from
  bool hasSecondText;                  // stored with the "-" key of the data file
  std::string_view defaultFirst;       // texts a new step gets (a group's: its first caption)
  std::string_view defaultSecond;
};

// Every kind in the order of the step list's choices (entry n is kind n).
std::span<const CompoundKindInfo> CompoundKindTable();
// The kind with stored number `number`, if any.
std::optional<CompoundKind> CompoundKindFromNumber(int number);

struct CompoundStep {
  int kind = 0;  // a CompoundKind's number as stored; another number passes the text on
  std::string first;
  std::string second;
  bool operator==(const CompoundStep&) const = default;
};

struct CompoundEdit {
  std::string title;
  std::vector<CompoundStep> steps;
  bool operator==(const CompoundEdit&) const = default;
};

// The functions taking an int take the stored number.
// The kind's name as the step list shows it ("" for a number that is no kind).
std::string_view CompoundKindName(int kind);
// The choices of a conversion kind (Case ... Trim), empty for the others.
std::vector<std::string_view> CompoundChoices(int kind);
// The texts a step gets when its kind is chosen.
CompoundStep DefaultCompoundStep(int kind);
// Whether the kind stores its second text ("-" keys of the data file).
bool CompoundKindHasSecondText(int kind);

// The conversion a step of a conversion kind (Case ... Trim) runs, from its
// first text; none for the other kinds.
std::optional<ConvertKind> CompoundConvertKind(const CompoundStep& step);

// With `error` given, it is cleared, and set to the reason when a replace or
// regular-expression step could not be matched (PCRE2 gave up): the step's
// text, or the whole chain's, then comes back unchanged.
std::string RunCompoundStep(const CompoundStep& step, std::string_view text, std::string* error = nullptr);
// Applies the steps in order, each to the result of the one before.
std::string RunCompound(const std::vector<CompoundStep>& steps, std::string_view text,
                        std::string* error = nullptr);

}  // namespace hozanki
