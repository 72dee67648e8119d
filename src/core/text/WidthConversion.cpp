#include "core/text/WidthConversion.h"

#include "core/text/ConversionTables.h"
#include "core/text/ConvertText.h"
#include "core/text/TextWidth.h"

namespace hozanki {

namespace {

using FullClass = ConversionTables::FullClass;

// DecodeUtf8Char with the one- and three-byte forms (ASCII, kana, kanji and
// the full-width block) decoded in line.
inline size_t Decode(std::string_view text, size_t pos, char32_t& cp) {
  const auto c0 = static_cast<unsigned char>(text[pos]);
  if (c0 < 0x80) {
    cp = c0;
    return 1;
  }
  if ((c0 & 0xF0) == 0xE0 && pos + 2 < text.size()) {
    const auto c1 = static_cast<unsigned char>(text[pos + 1]);
    const auto c2 = static_cast<unsigned char>(text[pos + 2]);
    if ((c1 & 0xC0) == 0x80 && (c2 & 0xC0) == 0x80) {
      cp = (static_cast<char32_t>(c0 & 0x0F) << 12) | (static_cast<char32_t>(c1 & 0x3F) << 6) | (c2 & 0x3F);
      if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) return 3;
    }
  }
  return DecodeUtf8Char(text, pos, cp);
}

struct WidthOptions {
  bool letters = false;
  bool digits = false;
  bool kana = false;
  bool combine = false;
  bool symbols = false;
  bool space = false;
};

WidthOptions ReadOptions(std::string_view options) {
  if (options.empty()) options = kDefaultWidthOptions;
  char32_t at[4] = {'-', '-', '-', '-'};
  size_t pos = 0;
  for (int i = 0; i < 4 && pos < options.size(); ++i) pos += DecodeUtf8Char(options, pos, at[i]);
  WidthOptions o;
  o.letters = at[0] == 'A';
  o.digits = at[1] == '9';
  o.kana = at[2] != '-';
  o.combine = at[2] == 'K';
  o.symbols = at[3] == 'o' || at[3] == 'O';
  o.space = at[3] == 'O';
  return o;
}

// Full to half for one two-wide character; false when it stays.
bool ToHalf(const ConversionTables& t, const WidthOptions& o, char32_t cp, std::string& out) {
  const ConversionTables::FullEntry* e = t.FindFull(cp);
  if (!e) return false;
  bool convert = false;
  switch (e->cls) {
    case FullClass::Letter:
      convert = o.letters;
      break;
    case FullClass::Digit:
      convert = o.digits;
      break;
    case FullClass::Symbol:
      convert = o.symbols;
      break;
    case FullClass::Space:
      convert = o.space;
      break;
    case FullClass::Kana:
      convert = o.kana;
      break;
    case FullClass::None:
      break;
  }
  if (convert) out.append(e->half);
  return convert;
}

bool IsLetterOrDigit(char32_t b) {
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

// Half to full for the one-wide character at `pos`; returns the bytes used
// (0 when it stays).
size_t ToFull(const ConversionTables& t, const WidthOptions& o, std::string_view text, size_t pos,
              char32_t cp, size_t len, std::string& out) {
  const ConversionTables::HalfEntry& e = t.Half(cp);
  if (cp < 0x80) {
    bool convert;
    if (IsLetterOrDigit(cp)) {
      convert = (cp <= '9') ? o.digits : o.letters;
    } else {
      convert = (cp == ' ') ? o.space : (cp > 0x20 && cp < 0x7F && o.symbols);
    }
    if (!convert || !e.full) return 0;
    AppendUtf8(out, e.full);
    return len;
  }
  if (!o.kana || !e.full) return 0;
  if (o.combine && (e.voiced || e.semiVoiced) && pos + len < text.size()) {
    char32_t mark;
    size_t markLen = Decode(text, pos + len, mark);
    char32_t combined = mark == 0xFF9E ? e.voiced : mark == 0xFF9F ? e.semiVoiced : 0;
    if (combined) {
      AppendUtf8(out, combined);
      return len + markLen;
    }
  }
  AppendUtf8(out, e.full);
  return len;
}

}  // namespace

std::string ConvertWidth(WidthDirection direction, std::string_view text, std::string_view options) {
  const ConversionTables& t = GetConversionTables();
  const WidthOptions o = ReadOptions(options);
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp;
    size_t len = Decode(text, pos, cp);
    if (CharWidth(cp) == 2) {
      if (direction == WidthDirection::ToFull || !ToHalf(t, o, cp, out)) out.append(text.substr(pos, len));
      pos += len;
    } else {
      size_t used = direction == WidthDirection::ToHalf ? 0 : ToFull(t, o, text, pos, cp, len, out);
      if (used == 0) {
        out.append(text.substr(pos, len));
        used = len;
      }
      pos += used;
    }
  }
  return out;
}

}  // namespace hozanki
