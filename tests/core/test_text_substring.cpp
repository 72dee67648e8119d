#include <gtest/gtest.h>

#include "core/text/Substring.h"

namespace hozanki {
namespace {

TEST(Substring, PositionsFromEitherEnd) {
  const std::string text = "abcdef";
  EXPECT_EQ(Substring(text, "0,0"), "abcdef");
  EXPECT_EQ(Substring(text, "2,0"), "cdef");
  EXPECT_EQ(Substring(text, "0,3"), "abc");
  EXPECT_EQ(Substring(text, "2,4"), "cd");
  EXPECT_EQ(Substring(text, "-2,0"), "ef");
  EXPECT_EQ(Substring(text, "-1,0"), "f");
  EXPECT_EQ(Substring(text, "0,-1"), "abcde");
  EXPECT_EQ(Substring(text, "-3,-1"), "de");
}

TEST(Substring, EmptyAndOutOfRange) {
  EXPECT_EQ(Substring("abcdef", "6,0"), "");
  EXPECT_EQ(Substring("abcdef", "10,12"), "");
  EXPECT_EQ(Substring("abcdef", "4,2"), "");
  EXPECT_EQ(Substring("abcdef", "0,-6"), "");
  EXPECT_EQ(Substring("abcdef", "2,100"), "cdef");
  EXPECT_EQ(Substring("", "0,0"), "");
  // A start left of the text keeps the count computed from it.
  EXPECT_EQ(Substring("abcdef", "-10,0"), "abcdef");
  EXPECT_EQ(Substring("abcdef", "-8,2"), "abcd");
}

TEST(Substring, NumbersThatAreNotIntegersCountAsZero) {
  EXPECT_EQ(Substring("abcdef", "x,y"), "abcdef");
  EXPECT_EQ(Substring("abcdef", "2"), "cdef");
  EXPECT_EQ(Substring("abcdef", ",3"), "abc");
  EXPECT_EQ(Substring("abcdef", " 1 , 2 "), "b");
  EXPECT_EQ(Substring("abcdef", "1.5,3"), "abc");
}

TEST(Substring, CountsDoubleWidthAndNeverSplitsACharacter) {
  // "日本" is 4 wide, "ab" 2, "ｶ" (half-width) 1.
  const std::string text = "日本abｶ";
  EXPECT_EQ(Substring(text, "0,4"), "日本");
  EXPECT_EQ(Substring(text, "0,3"), "日");     // 本 is cut at its first byte
  EXPECT_EQ(Substring(text, "1,0"), "本abｶ");  // 日 is cut at its second byte
  EXPECT_EQ(Substring(text, "1,3"), "");
  EXPECT_EQ(Substring(text, "-1,0"), "ｶ");
  EXPECT_EQ(Substring(text, "-5,-1"), "本ab");
  EXPECT_EQ(Substring(text, "-4,-1"), "ab");
  EXPECT_EQ(Substring("é!", "1,0"), "!");  // characters outside code page 932 are 2 wide
}

}  // namespace
}  // namespace hozanki
