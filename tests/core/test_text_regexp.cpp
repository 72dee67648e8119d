#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/text/Regexp.h"

namespace hozanki {
namespace {

TEST(Regexp, SubstitutionFormsAndFlags) {
  EXPECT_EQ(ApplyRegexp("s/a/b/", "aaa"), "baa");
  EXPECT_EQ(ApplyRegexp("s/a/b/g", "aaa"), "bbb");
  EXPECT_EQ(ApplyRegexp("s/A/b/gi", "aAa"), "bbb");
  EXPECT_EQ(ApplyRegexp("s/a/b/gk", "aaa"), "bbb");
  EXPECT_EQ(ApplyRegexp("s#/#-#g", "a/b/c"), "a-b-c");
  EXPECT_EQ(ApplyRegexp("s/a\\/b/X/", "xa/b"), "xX");
  EXPECT_EQ(ApplyRegexp("s/x/a\\/b/", "x"), "a/b");
  EXPECT_EQ(ApplyRegexp("s/^b/X/mg", "a\nb\nb"), "a\nX\nX");
  EXPECT_EQ(ApplyRegexp("s/a.b/X/s", "a\nb"), "X");
  EXPECT_EQ(ApplyRegexp("s/a.b/X/", "a\nb"), "a\nb");
  EXPECT_EQ(ApplyRegexp("s/a b/X/x", "ab"), "X");
  EXPECT_EQ(ApplyRegexp("s|日本|にほん|", "日本語"), "にほん語");
  EXPECT_EQ(ApplyRegexp("s/ａ/x/gi", "ＡａＡ"), "xxx");  // caseless covers full width
}

TEST(Regexp, EmptyMatchesAdvanceLikePerl) {
  EXPECT_EQ(ApplyRegexp("s/x*/-/g", "abc"), "-a-b-c-");
  EXPECT_EQ(ApplyRegexp("s/a*/-/g", "baaac"), "-b--c-");
  EXPECT_EQ(ApplyRegexp("s/x*/-/g", "日本"), "-日-本-");
  EXPECT_EQ(ApplyRegexp("s/$/!/", "abc"), "abc!");
}

TEST(Regexp, ReplacementGroupsAndEscapes) {
  EXPECT_EQ(ApplyRegexp("s/(\\w+) (\\w+)/$2 $1/", "hello world"), "world hello");
  EXPECT_EQ(ApplyRegexp("s/(\\w+) (\\w+)/\\2 \\1/", "hello world"), "world hello");
  EXPECT_EQ(ApplyRegexp("s/(a)/${1}1/", "a"), "a1");
  EXPECT_EQ(ApplyRegexp("s/b+/[$&]/", "abbc"), "a[bb]c");
  EXPECT_EQ(ApplyRegexp("s/ /\\t\\n\\r/", "a b"), "a\t\n\rb");
  EXPECT_EQ(ApplyRegexp("s/x/\\\\\\$1/", "x"), "\\$1");
  EXPECT_EQ(ApplyRegexp("s/x/5\\$/", "x"), "5$");
  EXPECT_EQ(ApplyRegexp("s/(a)|(b)/[$2]/g", "ab"), "[][b]");  // a group that did not take part is empty
  EXPECT_EQ(ApplyRegexp("s/(a)/[$7]/", "a"), "[]");
}

TEST(Regexp, CaseEscapesInReplacement) {
  EXPECT_EQ(ApplyRegexp("s/(\\w+) (\\w+)/\\U$1\\E $2/", "ab cd"), "AB cd");
  EXPECT_EQ(ApplyRegexp("s/(\\w+)/\\u$1/g", "ab cd"), "Ab Cd");
  EXPECT_EQ(ApplyRegexp("s/(\\w+)/\\L\\u$1/", "HELLO"), "Hello");
  EXPECT_EQ(ApplyRegexp("s/(.+)/\\U$1/", "été"), "ÉTÉ");
  EXPECT_EQ(ApplyRegexp("s/(.+)/\\l$1/", "ABC"), "aBC");
}

TEST(Regexp, TransliterationLikePerl) {
  EXPECT_EQ(ApplyRegexp("tr/a-z/A-Z/", "hello, World"), "HELLO, WORLD");
  EXPECT_EQ(ApplyRegexp("tr/abc/x/", "aabbcd"), "xxxxxd");  // short list repeats its last character
  EXPECT_EQ(ApplyRegexp("tr/abc/x/d", "aabbcd"), "xxd");    // d deletes what has no partner
  EXPECT_EQ(ApplyRegexp("tr/a-z//s", "aabbccd  e"), "abcd  e");
  EXPECT_EQ(ApplyRegexp("tr/a-zA-Z/ /cs", "ab12--cd"), "ab cd");
  EXPECT_EQ(ApplyRegexp("tr/a-z//cd", "a1b2c3"), "abc");
  EXPECT_EQ(ApplyRegexp("tr/\\-\\//_./", "a-b/c"), "a_b.c");
  EXPECT_EQ(ApplyRegexp("tr/a-/xy/", "a-b"), "xyb");  // a trailing '-' is literal
  EXPECT_EQ(ApplyRegexp("tr/　/ /k", "a　b　"), "a b ");
  EXPECT_EQ(ApplyRegexp("tr/ぁ-ん/ァ-ン/", "ひらがな"), "ヒラガナ");
  EXPECT_EQ(ApplyRegexp("tr/\\x{3000}\\t/__/", "a\tb　"), "a_b_");
  EXPECT_EQ(ApplyRegexp("y/ab/ba/", "abc"), "bac");
  EXPECT_EQ(ApplyRegexp("tr/aa/xy/", "a"), "x");  // the first occurrence wins
}

TEST(Regexp, MalformedPatternsKeepTheText) {
  const std::string text = "keep me";
  for (const char* pattern : {"s/(/x/", "s/a/b", "s/a/b/q", "s/a/b/c/", "tr/z-a/x/", "tr/a/b/g", "m/e/", "",
                              "x", "s", "tr/a", "s/a/${}/", "s/e/x/g\n", "sxaxbx"}) {
    EXPECT_EQ(ApplyRegexp(pattern, text), text) << pattern;
  }
  EXPECT_FALSE(IsRegexpPatternValid("s/(/x/"));
  EXPECT_TRUE(IsRegexpPatternValid("s/a/b/gimsxk"));
  EXPECT_TRUE(IsRegexpPatternValid("tr/a-z/A-Z/cdsk"));
  EXPECT_TRUE(IsRegexpPatternValid("m#a#"));
}

TEST(Regexp, InvalidUtf8TargetIsAFailureNotACrash) {
  const std::string bad =
      "a\xff"
      "a";
  RegexpResult r;
  EXPECT_LT(BSubst("s/a/b/g", bad, r), 0);
  EXPECT_EQ(r.output, bad);
  EXPECT_EQ(ApplyRegexp("s/a/b/", bad), bad);
}

TEST(Regexp, MatchRecordsGroupsAndTellsAbsentFromEmpty) {
  RegexpResult r;
  ASSERT_EQ(BMatch("/(a)(x?)(b)?c/", "zac", r), 1);
  EXPECT_EQ(r.groupCount, 3);
  EXPECT_EQ(r.spans[0].start, 1u);
  EXPECT_EQ(r.spans[0].end, 3u);
  EXPECT_EQ(r.spans[1].start, 1u);
  EXPECT_TRUE(r.spans[2].Present());
  EXPECT_EQ(r.spans[2].start, r.spans[2].end);
  EXPECT_FALSE(r.spans[3].Present());
  EXPECT_FALSE(r.spans[4].Present());
  // The same record serves the next call, with nothing left over.
  ASSERT_EQ(BMatch("m#b#i", "aB", r), 1);
  EXPECT_EQ(r.groupCount, 0);
  EXPECT_FALSE(r.spans[1].Present());
  EXPECT_EQ(BMatch("/q/", "aB", r), 0);
  EXPECT_FALSE(r.spans[0].Present());
  EXPECT_LT(BMatch("s/a/b/", "a", r), 0);  // a substitution is no match pattern
  BRegfree(r);
  EXPECT_EQ(r.groupCount, 0);
}

TEST(Regexp, CountsAndSubstitutionResults) {
  RegexpResult r;
  EXPECT_EQ(BSubst("s/a/b/g", "banana", r), 3);
  EXPECT_EQ(r.output, "bbnbnb");
  EXPECT_EQ(BSubst("s/q/b/g", "banana", r), 0);
  EXPECT_EQ(r.output, "banana");
  EXPECT_EQ(BTrans("tr/an/AN/", "banana", r), 5);
  EXPECT_EQ(r.output, "bANANA");
  EXPECT_EQ(SubstituteOrKeep("s/^(.*?)\\t.*?$/\\1/", "name\tpath"), "name");
  EXPECT_EQ(SubstituteOrKeep("s/^.*?\\t(.*?)$/\\1/", "name\tpath"), "path");
}

TEST(Regexp, ConcurrentCallersGetTheirOwnResults) {
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &failures] {
      const std::string text = "item" + std::to_string(t) + " value";
      const std::string expected = "value item" + std::to_string(t);
      for (int i = 0; i < 2000; ++i) {
        if (ApplyRegexp("s/(\\w+) (\\w+)/$2 $1/", text) != expected) ++failures[static_cast<size_t>(t)];
        if (ApplyRegexp("tr/a-z/A-Z/", "x") != "X") ++failures[static_cast<size_t>(t)];
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int f : failures) EXPECT_EQ(f, 0);
}

}  // namespace
}  // namespace hozanki
