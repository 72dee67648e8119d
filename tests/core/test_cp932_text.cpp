#include <gtest/gtest.h>

#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

TEST(Cp932, RoundTripsJapaneseAndRefusesMisfits) {
  auto bytes = EncodeCp932("日本語ｶﾅ");
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, "\x93\xfa\x96\x7b\x8c\xea\xb6\xc5");
  EXPECT_EQ(DecodeCp932(*bytes), "日本語ｶﾅ");
  // One-way mappings and characters outside the code page do not fit.
  EXPECT_FALSE(FitsCp932("波〜"));   // U+301C
  EXPECT_FALSE(FitsCp932("−"));      // U+2212
  EXPECT_FALSE(FitsCp932("¥"));      // U+00A5
  EXPECT_FALSE(FitsCp932("café"));
  EXPECT_FALSE(FitsCp932("한"));
  EXPECT_TRUE(FitsCp932("～－￥"));  // the code page's own forms
  auto misfit = FirstMisfitCp932("abc한d");
  ASSERT_TRUE(misfit.has_value());
  EXPECT_EQ(misfit->character, "한");
  EXPECT_EQ(misfit->offset, 3u);
}

TEST(Cp932, InvalidBytesAreReadAsLatin1NeverDropped) {
  // A lone lead byte at the end, 0x80 and 0xA0 are not code page 932.
  EXPECT_EQ(DecodeCp932("a\x80" "b"), "a\xC2\x80" "b");
  EXPECT_EQ(DecodeCp932("\x93\xfa\x81"), "日\xC2\x81");
  EXPECT_EQ(DecodeCp932("\xA0"), "\xC2\xA0");
}

TEST(Cp932, LegacyTextWithBomIsUtf8) {
  EXPECT_EQ(DecodeLegacy("\xEF\xBB\xBF한국"), "한국");
  // A BOM followed by bytes that are not UTF-8 is code page 932 after all.
  EXPECT_EQ(DecodeLegacy("\xEF\xBB\xBF\x93\xfa"), DecodeCp932("\xEF\xBB\xBF\x93\xfa"));
}

TEST(TextWidth, CountsCodePage932Widths) {
  EXPECT_EQ(TextWidth("abc"), 3u);
  EXPECT_EQ(TextWidth("ｱｲｳ"), 3u);    // half-width katakana
  EXPECT_EQ(TextWidth("アイウ"), 6u);
  EXPECT_EQ(TextWidth("é한😀"), 6u);  // outside the code page: 2 each
}

TEST(TextWidth, CutNeverSplitsADoubleWidthCharacter) {
  EXPECT_EQ(CutToWidth("あいう", 3), "あ");
  EXPECT_EQ(CutToWidth("あいう", 4), "あい");
  EXPECT_EQ(CutToWidth("aあ", 2), "a");
  EXPECT_EQ(CutToWidth("abc", 10), "abc");
  EXPECT_EQ(ByteOffsetOfWidth("aあb", 2), 4u);  // rounded up past the straddling あ
  EXPECT_EQ(ByteOffsetOfWidth("aあb", 3), 4u);
}

TEST(TextWidth, MalformedUtf8IsWalkedByteByByte) {
  EXPECT_FALSE(IsValidUtf8("\xE3\x81"));
  EXPECT_TRUE(IsValidUtf8("日本"));
  EXPECT_EQ(TextWidth("\xE3\x81"), 4u);
  EXPECT_EQ(ExtensionPos("a.b.mp3"), 3u);
  EXPECT_EQ(ExtensionPos("noext"), std::string_view::npos);
}

}  // namespace
}  // namespace hozanki
