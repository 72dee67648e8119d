#include "core/text/ConvertTextKinds.h"

namespace hozanki {

namespace {

using K = ConvertKind;
using G = ConvertGroup;

constexpr std::array<ConvertGroupInfo, kConvertGroupCount> kGroups = {{
    {G::Case, "大文字/小文字", "UL"},
    {G::WordCapitals, "語頭大文字", "BU"},
    {G::Width, "全角/半角", "ZH"},
    {G::Kana, "ひらがな/カタカナ", "HK"},
    {G::Trim, "トリミング", "Trim"},
}};

constexpr std::array<ConvertKindInfo, kConvertKindCount> kKinds = {{
    {0, K::ToLower, G::Case, "大文字 ⇒ 小文字", "lower", "UL1", "UL1"},
    {1, K::ToUpper, G::Case, "小文字 ⇒ 大文字", "upper", "UL2", "UL2"},
    {2, K::SwapCase, G::Case, "大文字 ⇔ 小文字", "swap-case", "UL3", "UL3"},
    {3, K::CapitalizeWords, G::WordCapitals, "語頭以外は小文字", "capitalize", "BU1", "BU1"},
    {4, K::CapitalizeStarts, G::WordCapitals, "語頭のみ変換", "capitalize-starts", "BU2", "BU2"},
    {5, K::ToHalfWidth, G::Width, "全角 ⇒ 半角", "half-width", "ZH1", "ZH1"},
    {6, K::ToFullWidth, G::Width, "半角 ⇒ 全角", "full-width", "ZH2", "ZH2"},
    {7, K::SwapWidth, G::Width, "全角 ⇔ 半角", "swap-width", "ZH3", "ZH3"},
    {8, K::ToKatakana, G::Kana, "ひらがな ⇒ カタカナ", "katakana", "HK1", "HK1"},
    {9, K::ToHiragana, G::Kana, "カタカナ ⇒ ひらがな", "hiragana", "HK2", "HK2"},
    {10, K::SwapKana, G::Kana, "ひらがな ⇔ カタカナ", "swap-kana", "HK3", "HK3"},
    {11, K::TrimLeft, G::Trim, "左空白除去", "trim-left", "TrimLeft", "TrimL"},
    {12, K::TrimRight, G::Trim, "右空白除去", "trim-right", "TrimRight", "TrimR"},
    {13, K::CompressSpaces, G::Trim, "連続空白圧縮", "compress-spaces", "TrimSpace", "TrimS"},
}};

// The table is in enum order, each group's kinds stand together and no two
// kinds share a number.
constexpr bool TablesAreOrdered() {
  for (size_t i = 0; i < kKinds.size(); ++i) {
    if (static_cast<size_t>(kKinds[i].kind) != i || kKinds[i].number < 0) return false;
    for (size_t j = 0; j < i; ++j)
      if (kKinds[j].number == kKinds[i].number) return false;
    if (i > 0 && kKinds[i].group < kKinds[i - 1].group) return false;
  }
  for (size_t i = 0; i < kGroups.size(); ++i)
    if (static_cast<size_t>(kGroups[i].group) != i) return false;
  return true;
}
static_assert(TablesAreOrdered());

}  // namespace

std::span<const ConvertKindInfo> ConvertKindTable() {
  return kKinds;
}

std::span<const ConvertGroupInfo> ConvertGroupTable() {
  return kGroups;
}

const ConvertGroupInfo& ConvertGroupInfoOf(ConvertGroup group) {
  return kGroups[static_cast<size_t>(group)];
}

std::span<const ConvertKindInfo> ConvertKindsOf(ConvertGroup group) {
  size_t first = 0;
  while (first < kKinds.size() && kKinds[first].group != group) ++first;
  size_t last = first;
  while (last < kKinds.size() && kKinds[last].group == group) ++last;
  return std::span<const ConvertKindInfo>(kKinds).subspan(first, last - first);
}

std::optional<ConvertKind> ConvertKindFromNumber(int number) {
  for (const ConvertKindInfo& info : kKinds)
    if (info.number == number) return info.kind;
  return std::nullopt;
}

std::optional<ConvertKind> ConvertKindFromName(std::string_view text) {
  for (const ConvertKindInfo& info : kKinds)
    if (info.cliName == text) return info.kind;
  return std::nullopt;
}

}  // namespace hozanki
