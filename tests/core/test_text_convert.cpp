#include <gtest/gtest.h>

#include <set>

#include "core/text/ConversionTables.h"
#include "core/text/ConvertText.h"
#include "core/text/Cp932.h"
#include "core/text/Regexp.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

std::string Sjis(std::string_view bytes) {
  return DecodeCp932(bytes);
}

TEST(ConvertText, EmptyTextAndUnknownKinds) {
  for (int kind = 0; kind < kConvertKindCount; ++kind) EXPECT_EQ(ConvertText(kind, ""), "") << kind;
  EXPECT_EQ(ConvertText(14, "abc"), "abc");
  EXPECT_EQ(ConvertText(-1, "abc"), "abc");
}

TEST(ConvertText, CaseChangesAsciiAndKeepsFullWidthLetters) {
  EXPECT_EQ(ConvertText(1, "ＡＢＣ abc ａｂｃ"), "ＡＢＣ ABC ａｂｃ");
  EXPECT_EQ(ConvertText(0, "Hello ÀÉ ΩЖ Ｘ"), "hello àé ωж Ｘ");
  EXPECT_EQ(ConvertText(1, "straße été"), "STRAßE ÉTÉ");
  EXPECT_EQ(ConvertText(2, "aBc日本Ｄ1"), "AbC日本Ｄ1");
  EXPECT_EQ(ConvertText(1, "ｱｲｳ × ÷"), "ｱｲｳ × ÷");
}

TEST(ConvertText, WordCapitals) {
  EXPECT_EQ(ConvertText(3, "hello-WORLD foo_bar"), "Hello-World Foo_Bar");
  EXPECT_EQ(ConvertText(4, "hello-WORLD foo_bar"), "Hello-WORLD Foo_Bar");
  EXPECT_EQ(ConvertText(3, "it's"), "It's");
  EXPECT_EQ(ConvertText(3, "a.b"), "A.B");
  EXPECT_EQ(ConvertText(4, "mcDONALD's"), "McDONALD's");
  EXPECT_EQ(ConvertText(3, "mcDONALD's"), "Mcdonald's");
  EXPECT_EQ(ConvertText(3, "日本abc def"), "日本Abc Def");
  EXPECT_EQ(ConvertText(3, "abc日本def"), "Abc日本Def");
  EXPECT_EQ(ConvertText(3, "a･b"), "A･B");               // the half-width middle dot is a default separator
  EXPECT_EQ(ConvertText(3, "a'b c:d", "'"), "A'B C:d");  // a set of its own replaces the default one
  EXPECT_EQ(ConvertText(3, "a-b", "x"), "A-b");
  EXPECT_EQ(ConvertText(3, "a・b", "・"), "A・B");  // a run of two-wide characters ends a word
  EXPECT_EQ(ConvertText(3, "élan ÉTÉ"), "Élan Été");
}

TEST(ConvertText, FullToHalf) {
  const std::string fullSpace = Sjis("\x81\x40");
  EXPECT_EQ(ConvertText(5, "ガ１！" + fullSpace, "", "A9Ko"), "ｶﾞ1!" + fullSpace);
  EXPECT_EQ(ConvertText(5, "ガ１！" + fullSpace, "", "A9KO"), "ｶﾞ1! ");
  EXPECT_EQ(ConvertText(5, "ＡＢＣａｂｃ０９", "", "----"), "ＡＢＣａｂｃ０９");
  EXPECT_EQ(ConvertText(5, "Ａ０ア！", "", "A---"), "A０ア！");
  EXPECT_EQ(ConvertText(5, "ひらがな漢字ヮヵヶ", "", ""), "ひらがな漢字ヮヵヶ");
  EXPECT_EQ(ConvertText(5, "ヴパー゛゜", "", "A9ko"), "ｳﾞﾊﾟｰﾞﾟ");
  EXPECT_EQ(ConvertText(5, "。「」、・", "", "A9K-"), "。「」、・");  // these are symbols here
  EXPECT_EQ(ConvertText(5, "。「」、・", "", "---o"), "｡｢｣､･");
  // Microsoft's mapping: 0x817C, 0x818F, 0x8150 are the full-width forms.
  EXPECT_EQ(ConvertText(5, Sjis("\x81\x7C\x81\x8F\x81\x50\x81\x68\x81\x66")), "-\\~\"'");
}

TEST(ConvertText, HalfToFull) {
  EXPECT_EQ(ConvertText(6, "ｶﾞ", "", "A9Ko"), "ガ");
  EXPECT_EQ(ConvertText(6, "ｶﾞ", "", "A9ko"), "カ゛");
  EXPECT_EQ(ConvertText(6, "ｳﾞ", "", "A9Ko"), "ウ゛");
  EXPECT_EQ(ConvertText(6, "ﾊﾟﾎﾟﾊﾞﾏﾞ", "", "A9Ko"), "パポバマ゛");
  EXPECT_EQ(ConvertText(6, "ｶ", "", "A9Ko"), "カ");  // a lone kana at the end
  EXPECT_EQ(ConvertText(6, "a b", "", "A9Ko"), "ａ ｂ");
  EXPECT_EQ(ConvertText(6, "a b", "", "A9KO"), "ａ" + Sjis("\x81\x40") + "ｂ");
  EXPECT_EQ(ConvertText(6, "\x7f\t\x01", "", "A9KO"), "\x7f\t\x01");
  EXPECT_EQ(ConvertText(6, "ｦｧｱﾝｰ｡｢｣､･", "", "--k-"), "ヲァアンー。「」、・");
  EXPECT_EQ(ConvertText(6, "ｱ1a!", "", "----"), "ｱ1a!");
  EXPECT_EQ(ConvertText(6, "#$%&*+,-./:;<=>?@[]^_`{|}", "", "---o"),
            "＃＄％＆＊＋，－．／：；＜＝＞？＠［］＾＿｀｛｜｝");
  // The four whose full-width form is the U+FF01 block's, as code page 932 holds it.
  for (std::string_view c : {"\"", "'", "\\", "~"}) {
    std::string full = ConvertText(6, c, "", "---o");
    EXPECT_NE(full, c);
    EXPECT_TRUE(FitsCp932(full)) << full;
    EXPECT_EQ(ConvertText(6, "x", "", "---o"), "x");
  }
  EXPECT_EQ(ConvertText(6, "日本ア", "", "A9KO"), "日本ア");
}

TEST(ConvertText, SwapWidth) {
  EXPECT_EQ(ConvertText(7, "Ａb１2ｶﾞガ", "", "A9Ko"), "Aｂ1２ガｶﾞ");
  EXPECT_EQ(ConvertText(7, "Ａb", "", "----"), "Ａb");
}

TEST(ConvertText, HiraganaAndKatakana) {
  EXPECT_EQ(ConvertText(8, "ひらがな ABC"), "ヒラガナ ABC");
  EXPECT_EQ(ConvertText(9, "カタカナ ｶﾀｶﾅ"), "かたかな ｶﾀｶﾅ");
  EXPECT_EQ(ConvertText(10, "ひらカタ"), "ヒラかた");
  EXPECT_EQ(ConvertText(8, "みむぁん"), "ミムァン");
  EXPECT_EQ(ConvertText(9, "ミムヴヵヶ"), "みむヴヵヶ");
  EXPECT_EQ(ConvertText(9, "ー・ゝヽ"), "ー・ゝヽ");
}

TEST(ConvertText, Trimming) {
  const std::string fullSpace = Sjis("\x81\x40");
  EXPECT_EQ(ConvertText(11, fullSpace + " \t a b "), "a b ");
  EXPECT_EQ(ConvertText(12, " a b \r\n" + fullSpace), " a b");
  EXPECT_EQ(ConvertText(13, fullSpace + "a \t b" + fullSpace), " a b ");
  EXPECT_EQ(ConvertText(13, "abc"), "abc");
  EXPECT_EQ(ConvertText(11, "abc"), "abc");
  EXPECT_EQ(ConvertText(12, "   "), "");
}

TEST(ConvertText, TrimmingEqualsItsPatternsOnEveryText) {
  // The trimmings skip the pattern when it cannot change the text; compare
  // with the plain patterns over all short texts of a white-space alphabet.
  const std::vector<std::string> alphabet = {"a", " ", "\t", "\n", "\v", "\r", "\f", Sjis("\x81\x40"), "あ"};
  std::vector<std::string> texts = {""};
  std::vector<std::string> level = {""};
  for (int length = 1; length <= 4; ++length) {  // every text of up to four characters
    std::vector<std::string> next;
    for (const std::string& t : level)
      for (const std::string& a : alphabet) next.push_back(t + a);
    texts.insert(texts.end(), next.begin(), next.end());
    level = std::move(next);
  }
  ASSERT_EQ(texts.size(), 1u + 9 + 81 + 729 + 6561);
  for (const std::string& t : texts) {
    ASSERT_EQ(ConvertText(11, t), SubstituteOrKeep("s/^[\\s　]+//k", t)) << t;
    ASSERT_EQ(ConvertText(12, t), SubstituteOrKeep("s/[\\s　]+$//k", t)) << t;
    ASSERT_EQ(ConvertText(13, t), SubstituteOrKeep("s/\\s+/ /kg", TransliterateOrKeep("tr/　/ /k", t))) << t;
  }
}

TEST(ConvertText, MalformedUtf8NeverCrashes) {
  const std::string bad = "a\xff\xe3\x81";
  for (int kind = 0; kind < kConvertKindCount; ++kind) {
    std::string out = ConvertText(kind, bad);
    EXPECT_FALSE(out.empty()) << kind;
  }
}

TEST(ConversionTables, DerivedFromCodePage932) {
  const ConversionTables& t = GetConversionTables();
  // Every half-width katakana has a distinct full-width partner that code page
  // 932 holds in the katakana block, or ー ゛ ゜.
  std::set<char32_t> partners;
  for (char32_t cp = 0xFF66; cp <= 0xFF9F; ++cp) {
    char32_t full = t.Half(cp).full;
    ASSERT_NE(full, 0u) << std::hex << static_cast<uint32_t>(cp);
    EXPECT_TRUE(partners.insert(full).second);
    std::string utf8;
    AppendUtf8(utf8, full);
    auto code = EncodeCp932(utf8);
    ASSERT_TRUE(code && code->size() == 2);
    int value = (static_cast<unsigned char>((*code)[0]) << 8) | static_cast<unsigned char>((*code)[1]);
    bool katakana = value >= 0x8340 && value <= 0x8396 && value != 0x837F;
    EXPECT_TRUE(katakana || value == 0x815B || value == 0x814A || value == 0x814B) << std::hex << value;
  }
  EXPECT_EQ(t.Half(0xFF70).full, Cp932Character(0x815B));  // ｰ
  EXPECT_EQ(t.Half(0xFF9E).full, Cp932Character(0x814A));  // ﾞ, the spacing mark
  EXPECT_EQ(t.Half(0xFF9F).full, Cp932Character(0x814B));
  // Twenty-six voiced characters go to two half-width characters.
  int voiced = 0;
  for (char32_t cp = 0x30A0; cp <= 0x30FF; ++cp) {
    const auto* e = t.FindFull(cp);
    if (e && TextWidth(e->half) == 2) ++voiced;
  }
  EXPECT_EQ(voiced, 26);
  EXPECT_EQ(Cp932Character(0x817C), U'\uFF0D');
  EXPECT_EQ(Cp932Character(0x8160), U'\uFF5E');
  EXPECT_EQ(Cp932Character(0x837F), 0u);
}

}  // namespace
}  // namespace hozanki
