#include "core/text/Compound.h"

#include "core/text/ConvertText.h"
#include "core/text/Regexp.h"
#include "core/text/Substring.h"
#include "core/text/WildcardReplace.h"

namespace hozanki {

namespace {

constexpr std::array<std::string_view, kCompoundKindCount> kKindNames = {
    "置換",       "置換(大小文字区別)", "大文字/小文字", "語頭大文字", "全角/半角", "ひらがな/カタカナ",
    "トリミング", "正規表現",           "部分参照"};

// ConvertText kinds of the first choice of kinds 2-6.
constexpr std::array<int, kCompoundKindCount> kFirstConvertKind = {-1, -1, 0, 3, 5, 8, 11, -1, -1};

}  // namespace

std::string_view CompoundKindName(int kind) {
  return kind >= 0 && kind < kCompoundKindCount ? kKindNames[static_cast<size_t>(kind)] : std::string_view();
}

std::vector<std::string_view> CompoundChoices(int kind) {
  switch (kind) {
    case 2:
      return {"大文字 ⇒ 小文字", "小文字 ⇒ 大文字", "大文字 ⇔ 小文字"};
    case 3:
      return {"語頭以外は小文字", "語頭のみ変換"};
    case 4:
      return {"全角 ⇒ 半角", "半角 ⇒ 全角", "全角 ⇔ 半角"};
    case 5:
      return {"ひらがな ⇒ カタカナ", "カタカナ ⇒ ひらがな", "ひらがな ⇔ カタカナ"};
    case 6:
      return {"左空白除去", "右空白除去", "連続空白圧縮"};
    default:
      return {};
  }
}

CompoundStep DefaultCompoundStep(int kind) {
  CompoundStep step;
  step.kind = kind;
  std::vector<std::string_view> choices = CompoundChoices(kind);
  if (!choices.empty()) step.first = choices.front();
  if (kind == 3) step.second = kDefaultSeparators;
  if (kind == 4) step.second = kDefaultWidthOptions;
  if (kind == 7) step.first = "s///";
  if (kind == 8) step.first = "0,0";
  return step;
}

bool CompoundKindHasSecondText(int kind) {
  return kind == 0 || kind == 1 || kind == 3 || kind == 4;
}

int CompoundConvertKind(const CompoundStep& step) {
  if (step.kind < 2 || step.kind > 6) return -1;
  const int base = kFirstConvertKind[static_cast<size_t>(step.kind)];
  const std::vector<std::string_view> choices = CompoundChoices(step.kind);
  if (step.first == choices[0]) return base;
  if (step.kind == 3 || step.first == choices[1]) return base + 1;
  return base + 2;
}

std::string RunCompoundStep(const CompoundStep& step, std::string_view text, std::string* error) {
  if (error) error->clear();
  switch (step.kind) {
    case 0:
    case 1:
      return WildcardReplace(step.first, step.second, step.kind == 0, text, error);
    case 2:
    case 5:
    case 6:
      return ConvertText(CompoundConvertKind(step), text);
    case 3:
      return ConvertText(CompoundConvertKind(step), text, step.second);
    case 4:
      return ConvertText(CompoundConvertKind(step), text, {}, step.second);
    case 7:
      return ApplyRegexp(step.first, text, error);
    case 8:
      return Substring(text, step.first);
    default:
      return std::string(text);
  }
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
