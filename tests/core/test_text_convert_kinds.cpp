// The one table of conversion kinds and the compound step kinds built on it.

#include <gtest/gtest.h>

#include <set>

#include "core/text/Compound.h"
#include "core/text/ConvertText.h"
#include "core/text/ConvertTextKinds.h"

namespace hozanki {
namespace {

TEST(ConvertKinds, NamesAreUniqueAndNameTheirKind) {
  std::set<std::string_view> cliNames, tagItems, renameItems;
  for (const ConvertKindInfo& info : ConvertKindTable()) {
    EXPECT_TRUE(cliNames.insert(info.cliName).second) << info.cliName;
    EXPECT_TRUE(tagItems.insert(info.tagItemName).second) << info.tagItemName;
    EXPECT_TRUE(renameItems.insert(info.renameItemName).second) << info.renameItemName;
    EXPECT_EQ(ConvertKindFromName(info.cliName), info.kind) << info.cliName;
    EXPECT_FALSE(info.cliName.empty() || info.caption.empty());
  }
  EXPECT_EQ(cliNames.size(), static_cast<size_t>(kConvertKindCount));
  EXPECT_EQ(ConvertKindFromName("Lower"), std::nullopt);
  EXPECT_EQ(ConvertKindFromName("0"), std::nullopt);  // numbers are the caller's
  EXPECT_EQ(ConvertKindFromNumber(kConvertKindCount), std::nullopt);
  EXPECT_EQ(ConvertKindFromNumber(-1), std::nullopt);
  size_t grouped = 0;
  for (const ConvertGroupInfo& group : ConvertGroupTable()) grouped += ConvertKindsOf(group.group).size();
  EXPECT_EQ(grouped, static_cast<size_t>(kConvertKindCount));
}

// `hozanki-cli convert N` and scripts built on it keep their meaning: each
// number shipped once names the same kind, wherever new rows are added.
TEST(ConvertKinds, ShippedNumbersKeepTheirKinds) {
  const std::vector<std::pair<int, std::string_view>> shipped = {
      {0, "lower"},      {1, "upper"},     {2, "swap-case"},  {3, "capitalize"},  {4, "capitalize-starts"},
      {5, "half-width"}, {6, "full-width"}, {7, "swap-width"}, {8, "katakana"},    {9, "hiragana"},
      {10, "swap-kana"}, {11, "trim-left"}, {12, "trim-right"}, {13, "compress-spaces"}};
  for (const auto& [number, name] : shipped) EXPECT_EQ(ConvertKindFromNumber(number), ConvertKindFromName(name)) << name;
  std::set<int> numbers;
  for (const ConvertKindInfo& info : ConvertKindTable()) {
    EXPECT_TRUE(numbers.insert(info.number).second) << info.cliName;
    EXPECT_EQ(ConvertKindFromNumber(info.number), info.kind) << info.cliName;
  }
}

// Stored compound edits name their step kinds by number: each number keeps
// its kind, and a conversion step runs the conversion its caption names.
TEST(ConvertKinds, CompoundStepsKeepTheirNumbersAndRunTheNamedConversion) {
  const std::vector<std::string_view> stored = {"置換",       "置換(大小文字区別)", "大文字/小文字",
                                                "語頭大文字", "全角/半角",          "ひらがな/カタカナ",
                                                "トリミング", "正規表現",           "部分参照"};
  ASSERT_EQ(stored.size(), static_cast<size_t>(kCompoundKindCount));
  for (int kind = 0; kind < kCompoundKindCount; ++kind) EXPECT_EQ(CompoundKindName(kind), stored[kind]);

  const std::string sample = "  aB cD-e ｶﾞか カＸ１  ";
  int conversions = 0;
  for (const CompoundKindInfo& info : CompoundKindTable()) {
    const int number = static_cast<int>(info.kind);
    if (!info.group) {
      EXPECT_TRUE(CompoundChoices(number).empty()) << number;
      continue;
    }
    EXPECT_EQ(CompoundKindName(number), ConvertGroupInfoOf(*info.group).caption);
    const std::vector<std::string_view> choices = CompoundChoices(number);
    EXPECT_EQ(DefaultCompoundStep(number).first, choices.front());
    for (const ConvertKindInfo& conversion : ConvertKindsOf(*info.group)) {
      ++conversions;
      const CompoundStep step{number, std::string(conversion.caption), {}};
      EXPECT_EQ(RunCompoundStep(step, sample), ConvertText(conversion.kind, sample)) << conversion.cliName;
    }
  }
  EXPECT_EQ(conversions, kConvertKindCount);
}

}  // namespace
}  // namespace hozanki
