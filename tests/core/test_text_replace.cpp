#include <gtest/gtest.h>

#include "core/text/WildcardReplace.h"

namespace hozanki {
namespace {

std::string Replace(std::string_view search, std::string_view replacement, std::string_view text,
                    bool ignoreCase = true) {
  return ApplyReplace(BuildReplacePattern(search, replacement, ignoreCase), text);
}

TEST(WildcardReplace, BuildsAPatternWithNumberedGroups) {
  EXPECT_EQ(BuildReplacePattern("a*b?", "x", true).matchPattern, "/a(.*?)b(.?)/ki");
  EXPECT_EQ(BuildReplacePattern("1.5", "x", false).matchPattern, "/1\\.5/k");
  EXPECT_EQ(BuildReplacePattern("\\*\\?", "", false).matchPattern, "/\\*\\?/k");
  EXPECT_EQ(BuildReplacePattern("|/^.$()[]{}+", "", false).matchPattern,
            "/\\|\\/\\^\\.\\$\\(\\)\\[\\]\\{\\}\\+/k");
  EXPECT_EQ(BuildReplacePattern("", "x", true).matchPattern, "");
}

TEST(WildcardReplace, TrailingWildcardTakesTheRest) {
  EXPECT_EQ(Replace("a*", "[\\1]", "abc"), "[bc]");
  EXPECT_EQ(Replace("*", "X", "abc"), "X");
  EXPECT_EQ(Replace("*", "X", ""), "");
  EXPECT_EQ(Replace("*.mp3", "\\1", "my song.mp3"), "my song");
  EXPECT_EQ(Replace("b?", "-", "abcb"), "a--");
}

TEST(WildcardReplace, DroppedGroupsShiftTheSlots) {
  EXPECT_EQ(Replace("*-*", "\\2/\\1", "-abc"), "/abc");
  EXPECT_EQ(Replace("*-*", "\\2/\\1", "ab-cd"), "cd/ab");
  EXPECT_EQ(Replace("?*-?", "<\\1|\\2|\\3>", "a-b"), "<a|b|>");
  // A last wildcard that matched nothing with text after it is empty.
  EXPECT_EQ(Replace("a*b", "[\\1]", "abxab"), "[]x[]");
  EXPECT_EQ(Replace("(*)", "\\1", "x(yz)w"), "xyzw");
}

TEST(WildcardReplace, LiteralsEscapesAndCase) {
  EXPECT_EQ(Replace("1.5", "X", "1x5 1.5"), "1x5 X");
  EXPECT_EQ(Replace("\\*", "x", "a*b"), "axb");
  EXPECT_EQ(Replace("\\?", "!", "why?"), "why!");
  EXPECT_EQ(Replace("ソ", "so", "ソ\\ソ"), "so\\so");
  EXPECT_EQ(Replace("abc", "x", "ABC abc"), "x x");
  EXPECT_EQ(Replace("abc", "x", "ABC abc", false), "ABC x");
  EXPECT_EQ(Replace("\\d", "#", "a1b22"), "a#b##");
  EXPECT_EQ(Replace("[x]", "y", "a[x]b"), "ayb");
  EXPECT_EQ(Replace("x", "\\10", "axb"), "a0b");  // \10 is slot 1 and a 0
  EXPECT_EQ(Replace("(?)", "\\1\\1", "(a)"), "aa");
}

TEST(WildcardReplace, SlotTextIsReplacedInTurn) {
  // A slot value holding "\2" is itself replaced by slot 2 in the next step.
  EXPECT_EQ(Replace("*=*", "\\1", "\\2=v"), "v");
}

TEST(WildcardReplace, BadSearchesLeaveTheTextAlone) {
  EXPECT_EQ(Replace("", "x", "abc"), "abc");
  EXPECT_EQ(Replace("a\\", "x", "a\\b"), "a\\b");  // a trailing backslash is no pattern
  EXPECT_EQ(Replace("\\(", "x", "a(b"), "a(b");    // "\(" escapes to an unbalanced group
  // An empty match never stalls the loop (each search starts afresh at the
  // remainder, so a word boundary is found before every word character).
  EXPECT_EQ(Replace("\\b", "|", "ab cd"), "|a|b ||c|d");
}

}  // namespace
}  // namespace hozanki
