#include "core/text/ConversionTables.h"

#include <utility>

#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

namespace hozanki {

namespace {

using FullClass = ConversionTables::FullClass;

// The symbols of the width conversion: full-width code, half-width code.
constexpr std::pair<uint16_t, uint8_t> kSymbols[] = {
    {0x8140, 0x20}, {0x8149, '!'},  {0x8168, '"'},  {0x8194, '#'}, {0x8190, '$'}, {0x8193, '%'},
    {0x8195, '&'},  {0x8166, '\''}, {0x8169, '('},  {0x816A, ')'}, {0x8196, '*'}, {0x817B, '+'},
    {0x8143, ','},  {0x817C, '-'},  {0x8144, '.'},  {0x815E, '/'}, {0x8146, ':'}, {0x8175, 0xA2},
    {0x8141, 0xA4}, {0x8147, ';'},  {0x8183, '<'},  {0x8181, '='}, {0x8184, '>'}, {0x8148, '?'},
    {0x8197, '@'},  {0x816D, '['},  {0x818F, 0x5C}, {0x816E, ']'}, {0x814F, '^'}, {0x8151, '_'},
    {0x814D, '`'},  {0x816F, '{'},  {0x8162, '|'},  {0x8170, '}'}, {0x8150, '~'}, {0x8142, 0xA1},
    {0x8176, 0xA3}, {0x8145, 0xA5},
};

// The full-width partners of the half-width bytes 0xA1-0xDF in JIS X 0201
// order (ｰ ﾞ ﾟ with ー 0x815B, ゛ 0x814A and ゜ 0x814B, the spacing marks).
constexpr std::string_view kKanaPartners =
    "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
    "ハヒフヘホマミムメモヤユヨラリルレロワン゛゜";

constexpr uint8_t kVoicingMark = 0xDE;
constexpr uint8_t kSemiVoicingMark = 0xDF;

char32_t OneCharacter(const std::string& utf8) {
  if (utf8.empty()) return 0;
  char32_t cp;
  size_t len = DecodeUtf8Char(utf8, 0, cp);
  return len == utf8.size() ? cp : 0;
}

ConversionTables::FullEntry* Slot(ConversionTables& t, char32_t cp) {
  if (cp >= 0x3000 && cp <= 0x30FF) return &t.block30[cp - 0x3000];
  if (cp >= 0xFF00 && cp <= 0xFFFF) return &t.blockFF[cp - 0xFF00];
  if (cp >= 0x2010 && cp <= 0x201F) return &t.quotes[cp - 0x2010];
  return nullptr;
}

void SetFull(ConversionTables& t, uint16_t code, FullClass cls, std::string half) {
  ConversionTables::FullEntry* e = Slot(t, Cp932Character(code));
  if (e) *e = {cls, std::move(half)};
}

std::string HalfText(uint8_t byte) {
  std::string s;
  if (char32_t cp = Cp932Character(byte)) AppendUtf8(s, cp);
  return s;
}

void BuildWidth(ConversionTables& t) {
  for (int i = 0; i < 26; ++i) {
    SetFull(t, static_cast<uint16_t>(0x8260 + i), FullClass::Letter,
            std::string(1, static_cast<char>('A' + i)));
    SetFull(t, static_cast<uint16_t>(0x8281 + i), FullClass::Letter,
            std::string(1, static_cast<char>('a' + i)));
    t.ascii['A' + i].full = Cp932Character(static_cast<uint16_t>(0x8260 + i));
    t.ascii['a' + i].full = Cp932Character(static_cast<uint16_t>(0x8281 + i));
  }
  for (int i = 0; i < 10; ++i) {
    SetFull(t, static_cast<uint16_t>(0x824F + i), FullClass::Digit,
            std::string(1, static_cast<char>('0' + i)));
    t.ascii['0' + i].full = Cp932Character(static_cast<uint16_t>(0x824F + i));
  }
  for (const auto& [full, half] : kSymbols) {
    SetFull(t, full, full == 0x8140 ? FullClass::Space : FullClass::Symbol, HalfText(half));
  }
  // Half to full for ASCII symbols: the space becomes U+3000, the others
  // their U+FF01-U+FF5E forms as code page 932 holds them.
  t.ascii[' '].full = Cp932Character(0x8140);
  for (char32_t b = 0x21; b < 0x7F; ++b) {
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) continue;
    std::string full;
    AppendUtf8(full, 0xFF01 + (b - 0x21));
    if (FitsCp932(full)) t.ascii[b].full = 0xFF01 + (b - 0x21);
  }
}

void BuildKana(ConversionTables& t) {
  size_t pos = 0;
  for (uint8_t b = 0xA1; b <= 0xDF; ++b) {
    char32_t full;
    pos += DecodeUtf8Char(kKanaPartners, pos, full);
    char32_t half = Cp932Character(b);
    if (half < 0xFF61 || half > 0xFF9F) continue;
    ConversionTables::HalfEntry& entry = t.kana[half - 0xFF61];
    entry.full = full;
    if (b <= 0xA5) continue;  // 。「」、・ go back as symbols
    std::string halfText = HalfText(b);
    if (ConversionTables::FullEntry* e = Slot(t, full)) *e = {FullClass::Kana, halfText};
    // Voiced forms follow their base kana in code page 932: ガ = カ + 1,
    // バ = ハ + 1, パ = ハ + 2.
    const auto fullCode = EncodeCp932(std::string(kKanaPartners.substr(pos - 3, 3)));
    if (!fullCode || fullCode->size() != 2) continue;
    const auto base = static_cast<uint16_t>((static_cast<uint8_t>((*fullCode)[0]) << 8) |
                                            static_cast<uint8_t>((*fullCode)[1]));
    const bool voicable = (b >= 0xB6 && b <= 0xC4) || (b >= 0xCA && b <= 0xCE);
    if (voicable) {
      entry.voiced = Cp932Character(static_cast<uint16_t>(base + 1));
      SetFull(t, static_cast<uint16_t>(base + 1), FullClass::Kana, halfText + HalfText(kVoicingMark));
    }
    if (b >= 0xCA && b <= 0xCE) {
      entry.semiVoiced = Cp932Character(static_cast<uint16_t>(base + 2));
      SetFull(t, static_cast<uint16_t>(base + 2), FullClass::Kana, halfText + HalfText(kSemiVoicingMark));
    }
  }
  // ヴ (0x8394) goes to ｳﾞ; ｳﾞ is never combined back.
  SetFull(t, 0x8394, FullClass::Kana, HalfText(0xB3) + HalfText(kVoicingMark));

  for (uint16_t h = 0x829F; h <= 0x82F1; ++h) {
    uint16_t k = static_cast<uint16_t>(0x8340 + (h - 0x829F));
    if (k >= 0x837F) ++k;
    char32_t hira = Cp932Character(h);
    char32_t kata = Cp932Character(k);
    if (hira < 0x3000 || hira > 0x30FF || kata < 0x3000 || kata > 0x30FF) continue;
    t.hiraganaToKatakana[hira - 0x3000] = kata;
    t.katakanaToHiragana[kata - 0x3000] = hira;
  }
}

}  // namespace

char32_t Cp932Character(uint16_t code) {
  std::string bytes;
  if (code > 0xFF) bytes.push_back(static_cast<char>(code >> 8));
  bytes.push_back(static_cast<char>(code & 0xFF));
  const auto encoded = EncodeCp932(DecodeCp932(bytes));  // a code that is no character fails here
  if (!encoded || *encoded != bytes) return 0;
  return OneCharacter(DecodeCp932(bytes));
}

const ConversionTables::FullEntry* ConversionTables::FindFull(char32_t cp) const {
  const FullEntry* e = nullptr;
  if (cp >= 0x3000 && cp <= 0x30FF)
    e = &block30[cp - 0x3000];
  else if (cp >= 0xFF00)
    e = cp <= 0xFFFF ? &blockFF[cp - 0xFF00] : nullptr;
  else if (cp >= 0x2010 && cp <= 0x201F)
    e = &quotes[cp - 0x2010];
  return e && e->cls != FullClass::None ? e : nullptr;
}

const ConversionTables& GetConversionTables() {
  static const ConversionTables tables = [] {
    ConversionTables t;
    BuildWidth(t);
    BuildKana(t);
    return t;
  }();
  return tables;
}

}  // namespace hozanki
