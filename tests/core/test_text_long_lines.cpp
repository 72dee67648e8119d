// The text engine on long lines and on searches PCRE2 gives up on: results
// that do not depend on the line's length, and a match limit that is told
// apart from "no match" at every layer.

#include <gtest/gtest.h>

#include <string>

#include "core/text/Compound.h"
#include "core/text/Regexp.h"
#include "core/text/WildcardReplace.h"

namespace hozanki {
namespace {

std::string Repeat(std::string_view unit, size_t times) {
  std::string out;
  out.reserve(unit.size() * times);
  for (size_t i = 0; i < times; ++i) out.append(unit);
  return out;
}

constexpr size_t kTimes = 200000;  // lines of one to three megabytes

// Units that no match crosses: the long line's result is the unit's result
// repeated, so offsets that slip after the first match show up.
TEST(TextLongLines, ReplaceGivesTheUnitsResultRepeated) {
  struct Case {
    const char* search;
    const char* replacement;
    bool ignoreCase;
    const char* unit;
  } cases[] = {
      {"の?", "<\\1>", true, "ab の c"},  // a slot after a multi-byte literal
      {"?b", "\\1", false, "xab日本b "},  // a slot before the literal, multi-byte too
      {"ａ", "A", true, "ＡａＡ日"},      // caseless full width
      {"x*y", "[\\1]", true, "xa日yz "},  // a lazy run
      {"b", "", true, "abc"},             // no slot at all
  };
  for (const Case& c : cases) {
    const ReplacePattern pattern = BuildReplacePattern(c.search, c.replacement, c.ignoreCase);
    const std::string unitResult = ApplyReplace(pattern, c.unit);
    ASSERT_NE(unitResult, c.unit) << c.search;
    std::string error = "stale";
    EXPECT_EQ(ApplyReplace(pattern, Repeat(c.unit, kTimes), &error), Repeat(unitResult, kTimes)) << c.search;
    EXPECT_EQ(error, "");
  }
}

TEST(TextLongLines, TrailingWildcardTakesTheRestOfALongLine) {
  const std::string head = Repeat("ab", kTimes);
  const std::string tail = Repeat("日本 ", kTimes);
  EXPECT_EQ(WildcardReplace("*の*", "\\2 - \\1", true, head + "の" + tail), tail + " - " + head);
}

TEST(TextLongLines, SubstitutionGivesTheUnitsResultRepeated) {
  for (const auto& [pattern, unit] :
       {std::pair{"s/(\\w+)/<$1>/g", "ab 日本 cd "}, std::pair{"s/日/x/g", "日本語 "},
        std::pair{"s/(.)(本)/$2$1/g", "日本語"}, std::pair{"tr/a-z/A-Z/", "ab日c"}}) {
    const std::string unitResult = ApplyRegexp(pattern, unit);
    ASSERT_NE(unitResult, unit) << pattern;
    EXPECT_EQ(ApplyRegexp(pattern, Repeat(unit, kTimes)), Repeat(unitResult, kTimes)) << pattern;
  }
  // Empty matches between all characters, multi-byte ones included.
  EXPECT_EQ(ApplyRegexp("s/x*/-/g", Repeat("日b", kTimes)), "-" + Repeat("日-b-", kTimes));
  EXPECT_EQ(ApplyRegexp("s/b*/-/g", Repeat("日bb", kTimes)), "-" + Repeat("日--", kTimes));
}

TEST(TextLongLines, RepeatedGroupOverALongRun) {
  // PCRE2's own 32 KiB JIT stack gives up on this after a few thousand characters.
  std::string error;
  EXPECT_EQ(ApplyRegexp("s/(a|b)+/x/", Repeat("ab", 50000), &error), "x");
  EXPECT_EQ(error, "");
}

// Searches that need more backtracking than PCRE2's match limit allows.
const std::string kManyA(40, 'a');
const std::string kBacktrackingSearch = std::string(30, '?') + "\\d";  // thirty optional characters, a digit
const std::string kBacktrackingSubst = "s/(a+)+$/x/";
const std::string kBacktrackingTarget = std::string(30, 'a') + "b";

bool NamesTheMatchLimit(const std::string& error) {
  return error.find("match limit") != std::string::npos;
}

TEST(TextMatchFailure, RegexpLayerReportsTheLimit) {
  RegexpResult r;
  EXPECT_EQ(BSubst(kBacktrackingSubst, kBacktrackingTarget, r), kRegexpMatchFailed);
  EXPECT_TRUE(NamesTheMatchLimit(r.error)) << r.error;
  EXPECT_EQ(r.output, kBacktrackingTarget);
  EXPECT_EQ(BMatch("/(a+)+$/", kBacktrackingTarget, r), kRegexpMatchFailed);
  EXPECT_TRUE(NamesTheMatchLimit(r.error)) << r.error;
  // The record's next use starts clean; a malformed pattern and no match are no errors.
  EXPECT_EQ(BSubst("s/b$/c/", kBacktrackingTarget, r), 1);
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(BSubst("s/(/x/", "a", r), kRegexpBadPattern);
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(BMatch("/q/", "a", r), 0);
  EXPECT_EQ(r.error, "");
  // A target that is not UTF-8 is a failure with its own reason.
  EXPECT_EQ(BSubst("s/a/b/", "a\xff", r), kRegexpMatchFailed);
  EXPECT_NE(r.error.find("UTF-8"), std::string::npos) << r.error;
}

TEST(TextMatchFailure, TextFunctionsKeepTheTextAndSayWhy) {
  std::string error;
  EXPECT_EQ(ApplyRegexp(kBacktrackingSubst, kBacktrackingTarget, &error), kBacktrackingTarget);
  EXPECT_TRUE(NamesTheMatchLimit(error)) << error;
  EXPECT_EQ(ApplyRegexp("s/(/x/", "keep", &error), "keep");
  EXPECT_EQ(error, "");
  EXPECT_EQ(ApplyRegexp(kBacktrackingSubst, kBacktrackingTarget),
            kBacktrackingTarget);  // callers without a report

  EXPECT_EQ(WildcardReplace(kBacktrackingSearch, "x", true, kManyA, &error), kManyA);
  EXPECT_TRUE(NamesTheMatchLimit(error)) << error;
  // A failure after a first replacement leaves the whole text as it was.
  const std::string text = std::string(30, 'a') + "1" + kManyA;
  ASSERT_EQ(WildcardReplace(kBacktrackingSearch, "x", true, std::string(30, 'a') + "1", &error), "x");
  EXPECT_EQ(WildcardReplace(kBacktrackingSearch, "x", true, text, &error), text);
  EXPECT_TRUE(NamesTheMatchLimit(error)) << error;
  EXPECT_EQ(WildcardReplace("a", "b", true, "a", &error), "b");
  EXPECT_EQ(error, "");
}

TEST(TextMatchFailure, CompoundKeepsTheTextWhenAStepFails) {
  // The first step changes the text; the second gives up on it.
  const std::vector<CompoundStep> steps = {
      {2, "小文字 ⇒ 大文字", ""}, {1, kBacktrackingSearch, "x"}, {7, "s/A/b/g", ""}};
  std::string error;
  EXPECT_EQ(RunCompound(steps, kManyA, &error), kManyA);
  EXPECT_TRUE(NamesTheMatchLimit(error)) << error;
  EXPECT_EQ(RunCompound({steps[0], {7, "s/(A+)+$/x/", ""}}, kBacktrackingTarget, &error),
            kBacktrackingTarget);
  EXPECT_TRUE(NamesTheMatchLimit(error)) << error;
  EXPECT_EQ(RunCompound(steps, "a1", &error), "x");
  EXPECT_EQ(error, "");
  EXPECT_EQ(RunCompoundStep(steps[1], kManyA, &error), kManyA);
  EXPECT_TRUE(NamesTheMatchLimit(error)) << error;
}

}  // namespace
}  // namespace hozanki
