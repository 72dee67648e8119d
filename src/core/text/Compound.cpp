#include "core/text/Compound.h"

#include "core/text/ConvertText.h"
#include "core/text/Regexp.h"
#include "core/text/Substring.h"
#include "core/text/WildcardReplace.h"

namespace hozanki {

namespace {

using CK = CompoundKind;

// The conversion kinds take their name and first text from their group
// (filled in by Kinds()).
constexpr std::array<CompoundKindInfo, kCompoundKindCount> kKinds = {{
    {CK::Replace, "置換", std::nullopt, true, "", ""},
    {CK::ReplaceCaseSensitive, "置換(大小文字区別)", std::nullopt, true, "", ""},
    {CK::Case, "", ConvertGroup::Case, false, "", ""},
    {CK::WordCapitals, "", ConvertGroup::WordCapitals, true, "", kDefaultSeparators},
    {CK::Width, "", ConvertGroup::Width, true, "", kDefaultWidthOptions},
    {CK::Kana, "", ConvertGroup::Kana, false, "", ""},
    {CK::Trim, "", ConvertGroup::Trim, false, "", ""},
    {CK::Regexp, "正規表現", std::nullopt, false, "s///", ""},
    {CK::Substring, "部分参照", std::nullopt, false, "0,0", ""},
}};

constexpr bool InNumberOrder() {
  for (size_t i = 0; i < kKinds.size(); ++i)
    if (static_cast<size_t>(kKinds[i].kind) != i) return false;
  return true;
}
static_assert(InNumberOrder());

const std::array<CompoundKindInfo, kCompoundKindCount>& Kinds() {
  static const std::array<CompoundKindInfo, kCompoundKindCount> kinds = [] {
    std::array<CompoundKindInfo, kCompoundKindCount> k = kKinds;
    for (CompoundKindInfo& info : k) {
      if (!info.group) continue;
      info.name = ConvertGroupInfoOf(*info.group).caption;
      info.defaultFirst = ConvertKindsOf(*info.group).front().caption;
    }
    return k;
  }();
  return kinds;
}

const CompoundKindInfo* InfoOf(int kind) {
  const std::optional<CompoundKind> named = CompoundKindFromNumber(kind);
  return named ? &Kinds()[static_cast<size_t>(*named)] : nullptr;
}

}  // namespace

std::span<const CompoundKindInfo> CompoundKindTable() {
  return Kinds();
}

std::optional<CompoundKind> CompoundKindFromNumber(int number) {
  if (number < 0 || number >= kCompoundKindCount) return std::nullopt;
  return static_cast<CompoundKind>(number);
}

std::string_view CompoundKindName(int kind) {
  const CompoundKindInfo* info = InfoOf(kind);
  return info ? info->name : std::string_view();
}

std::vector<std::string_view> CompoundChoices(int kind) {
  const CompoundKindInfo* info = InfoOf(kind);
  std::vector<std::string_view> choices;
  if (info && info->group)
    for (const ConvertKindInfo& conversion : ConvertKindsOf(*info->group))
      choices.push_back(conversion.caption);
  return choices;
}

CompoundStep DefaultCompoundStep(int kind) {
  CompoundStep step;
  step.kind = kind;
  if (const CompoundKindInfo* info = InfoOf(kind)) {
    step.first = info->defaultFirst;
    step.second = info->defaultSecond;
  }
  return step;
}

bool CompoundKindHasSecondText(int kind) {
  const CompoundKindInfo* info = InfoOf(kind);
  return info && info->hasSecondText;
}

std::optional<ConvertKind> CompoundConvertKind(const CompoundStep& step) {
  const CompoundKindInfo* info = InfoOf(step.kind);
  if (!info || !info->group) return std::nullopt;
  const std::span<const ConvertKindInfo> conversions = ConvertKindsOf(*info->group);
  for (const ConvertKindInfo& conversion : conversions)
    if (step.first == conversion.caption) return conversion.kind;
  return conversions.back().kind;
}

std::string RunCompoundStep(const CompoundStep& step, std::string_view text, std::string* error) {
  if (error) error->clear();
  const std::optional<CompoundKind> kind = CompoundKindFromNumber(step.kind);
  if (!kind) return std::string(text);
  switch (*kind) {
    case CK::Replace:
    case CK::ReplaceCaseSensitive:
      return WildcardReplace(step.first, step.second, *kind == CK::Replace, text, error);
    case CK::Case:
    case CK::Kana:
    case CK::Trim:
      return ConvertText(*CompoundConvertKind(step), text);
    case CK::WordCapitals:
      return ConvertText(*CompoundConvertKind(step), text, step.second);
    case CK::Width:
      return ConvertText(*CompoundConvertKind(step), text, {}, step.second);
    case CK::Regexp:
      return ApplyRegexp(step.first, text, error);
    case CK::Substring:
      return Substring(text, step.first);
  }
  return std::string(text);
}

std::string RunCompound(const std::vector<CompoundStep>& steps, std::string_view text, std::string* error) {
  if (error) error->clear();
  std::string result(text);
  std::string stepError;
  for (const CompoundStep& step : steps) {
    result = RunCompoundStep(step, result, &stepError);
    if (!stepError.empty()) {
      if (error) *error = std::move(stepError);
      return std::string(text);
    }
  }
  return result;
}

}  // namespace hozanki
