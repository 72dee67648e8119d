#include "core/text/ConvertText.h"

#include <bitset>

#include "core/text/CaseMapping.h"
#include "core/text/ConversionTables.h"
#include "core/text/Regexp.h"
#include "core/text/TextWidth.h"
#include "core/text/WidthConversion.h"

namespace hozanki {

namespace {

enum class CaseOp { Lower, Upper, Swap };

// Latin, Greek and Cyrillic letters beyond ASCII: case-mapped and word-building.
bool HasScriptCase(char32_t cp) {
  return (cp >= 0xC0 && cp <= 0x52F && cp != 0xD7 && cp != 0xF7) || (cp >= 0x1E00 && cp <= 0x1FFF);
}

char32_t MapCase(CaseOp op, char32_t cp) {
  if (cp < 0x80) {
    bool upper = cp >= 'A' && cp <= 'Z';
    bool lower = cp >= 'a' && cp <= 'z';
    if (upper && op != CaseOp::Upper) return cp + 0x20;
    if (lower && op != CaseOp::Lower) return cp - 0x20;
    return cp;
  }
  if (!HasScriptCase(cp)) return cp;
  if (op == CaseOp::Lower) return UnicodeLower(cp);
  if (op == CaseOp::Upper) return UnicodeUpper(cp);
  char32_t lower = UnicodeLower(cp);
  return lower != cp ? lower : UnicodeUpper(cp);
}

// Appends `text` with its letters case-mapped.
void AppendCase(CaseOp op, std::string_view text, std::string& out) {
  size_t pos = 0;
  while (pos < text.size()) {
    auto c = static_cast<unsigned char>(text[pos]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(MapCase(op, c)));
      ++pos;
    } else {
      char32_t cp;
      size_t len = DecodeUtf8Char(text, pos, cp);
      if (HasScriptCase(cp))
        AppendUtf8(out, MapCase(op, cp));
      else
        out.append(text.substr(pos, len));
      pos += len;
    }
  }
}

// The separator set D: the one-wide characters of `separators` (or of the
// default set), space and period.
struct Separators {
  std::bitset<128> ascii;
  std::bitset<63> kana;  // U+FF61-U+FF9F
  explicit Separators(std::string_view separators) {
    if (separators.empty()) separators = kDefaultSeparators;
    size_t pos = 0;
    while (pos < separators.size()) {
      char32_t cp;
      pos += DecodeUtf8Char(separators, pos, cp);
      if (cp < 0x80)
        ascii.set(cp);
      else if (cp >= 0xFF61 && cp <= 0xFF9F)
        kana.set(cp - 0xFF61);
    }
    ascii.set(' ');
    ascii.set('.');
  }
  bool Contains(char32_t cp) const {
    if (cp < 0x80) return ascii.test(cp);
    return cp >= 0xFF61 && cp <= 0xFF9F && kana.test(cp - 0xFF61);
  }
};

bool IsTwoWide(char32_t cp) {
  return CharWidth(cp) == 2 && !HasScriptCase(cp);
}

std::string WordCapitals(std::string_view text, std::string_view separators, bool lowerRest) {
  const Separators d(separators);
  std::string out;
  out.reserve(text.size());
  bool wordStart = true;
  size_t pos = 0;
  while (pos < text.size()) {
    auto c = static_cast<unsigned char>(text[pos]);
    if (c < 0x80) {
      char32_t mapped = wordStart ? MapCase(CaseOp::Upper, c) : lowerRest ? MapCase(CaseOp::Lower, c) : c;
      out.push_back(static_cast<char>(mapped));
      wordStart = d.ascii.test(c);
      ++pos;
      continue;
    }
    char32_t cp;
    size_t len = DecodeUtf8Char(text, pos, cp);
    if (IsTwoWide(cp)) {
      // A run of two-wide characters ends the word it stands in.
      size_t end = pos + len;
      while (end < text.size()) {
        size_t next = DecodeUtf8Char(text, end, cp);
        if (!IsTwoWide(cp)) break;
        end += next;
      }
      out.append(text.substr(pos, end - pos));
      wordStart = true;
      pos = end;
      continue;
    }
    if (HasScriptCase(cp)) {
      AppendUtf8(out, wordStart ? MapCase(CaseOp::Upper, cp) : lowerRest ? MapCase(CaseOp::Lower, cp) : cp);
    } else {
      out.append(text.substr(pos, len));
    }
    wordStart = d.Contains(cp);
    pos += len;
  }
  return out;
}

std::string SwapKana(std::string_view text, bool toKatakana, bool toHiragana) {
  const ConversionTables& t = GetConversionTables();
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    auto c = static_cast<unsigned char>(text[pos]);
    if (c != 0xE3) {  // U+3000-U+3FFF start with 0xE3
      out.push_back(static_cast<char>(c));
      ++pos;
      continue;
    }
    char32_t cp;
    size_t len = DecodeUtf8Char(text, pos, cp);
    char32_t mapped = 0;
    if (cp >= 0x3000 && cp <= 0x30FF) {
      if (toKatakana) mapped = t.hiraganaToKatakana[cp - 0x3000];
      if (!mapped && toHiragana) mapped = t.katakanaToHiragana[cp - 0x3000];
    }
    if (mapped)
      AppendUtf8(out, mapped);
    else
      out.append(text.substr(pos, len));
    pos += len;
  }
  return out;
}

std::string CaseText(CaseOp op, std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendCase(op, text, out);
  return out;
}

constexpr std::string_view kFullWidthSpace = "\xE3\x80\x80";  // U+3000

bool IsAsciiSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// The trimmings run through the regular-expression layer; a text that the
// pattern cannot change (checked first, cheaply) is passed on as it is.
std::string TrimLeft(std::string_view text) {
  if (text.empty() || !(IsAsciiSpace(text.front()) || text.starts_with(kFullWidthSpace)))
    return std::string(text);
  return SubstituteOrKeep("s/^[\\s　]+//k", text);
}

std::string TrimRight(std::string_view text) {
  if (text.empty() || !(IsAsciiSpace(text.back()) || text.ends_with(kFullWidthSpace)))
    return std::string(text);
  return SubstituteOrKeep("s/[\\s　]+$//k", text);
}

std::string CompressSpace(std::string_view text) {
  std::string spaced = text.find(kFullWidthSpace) == std::string_view::npos
                           ? std::string(text)
                           : TransliterateOrKeep("tr/　/ /k", text);
  // Only white space other than a single blank can change.
  bool changes = false;
  for (size_t i = 0; i < spaced.size() && !changes; ++i) {
    char c = spaced[i];
    changes =
        (c != ' ' && IsAsciiSpace(c)) || (c == ' ' && i + 1 < spaced.size() && IsAsciiSpace(spaced[i + 1]));
  }
  if (!changes) return spaced;
  return SubstituteOrKeep("s/\\s+/ /kg", spaced);
}

}  // namespace

std::string ConvertText(ConvertKind kind, std::string_view text, std::string_view separators,
                        std::string_view options) {
  switch (kind) {
    case ConvertKind::ToLower:
      return CaseText(CaseOp::Lower, text);
    case ConvertKind::ToUpper:
      return CaseText(CaseOp::Upper, text);
    case ConvertKind::SwapCase:
      return CaseText(CaseOp::Swap, text);
    case ConvertKind::CapitalizeWords:
      return WordCapitals(text, separators, true);
    case ConvertKind::CapitalizeStarts:
      return WordCapitals(text, separators, false);
    case ConvertKind::ToHalfWidth:
      return ConvertWidth(WidthDirection::ToHalf, text, options);
    case ConvertKind::ToFullWidth:
      return ConvertWidth(WidthDirection::ToFull, text, options);
    case ConvertKind::SwapWidth:
      return ConvertWidth(WidthDirection::Swap, text, options);
    case ConvertKind::ToKatakana:
      return SwapKana(text, true, false);
    case ConvertKind::ToHiragana:
      return SwapKana(text, false, true);
    case ConvertKind::SwapKana:
      return SwapKana(text, true, true);
    case ConvertKind::TrimLeft:
      return TrimLeft(text);
    case ConvertKind::TrimRight:
      return TrimRight(text);
    case ConvertKind::CompressSpaces:
      return CompressSpace(text);
  }
  return std::string(text);
}

std::string ConvertText(int kind, std::string_view text, std::string_view separators,
                        std::string_view options) {
  const std::optional<ConvertKind> named = ConvertKindFromNumber(kind);
  return named ? ConvertText(*named, text, separators, options) : std::string(text);
}

}  // namespace hozanki
