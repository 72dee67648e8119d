#include "core/text/EncodingRepair.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <vector>
#include <cerrno>
#include <cmath>

#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

// A strict iconv conversion (one descriptor per thread and direction).
class StrictConverter {
 public:
  StrictConverter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~StrictConverter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  StrictConverter(const StrictConverter&) = delete;
  StrictConverter& operator=(const StrictConverter&) = delete;

  std::optional<std::string> Convert(std::string_view in) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out(in.size() * 3 + 8, '\0');
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
      if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
        if (errno != E2BIG) return std::nullopt;
        size_t used = static_cast<size_t>(outPtr - out.data());
        out.resize(out.size() * 2);
        outPtr = out.data() + used;
        outLeft = out.size() - used;
      }
    }
    // A sequence cut short at the end is an error too.
    if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) return std::nullopt;
    out.resize(static_cast<size_t>(outPtr - out.data()));
    return out;
  }

 private:
  iconv_t cd_;
};

std::optional<std::string> FromEucJp(std::string_view bytes) {
  thread_local StrictConverter c("UTF-8", "EUC-JP");
  return c.Convert(bytes);
}
std::optional<std::string> FromCp932Strict(std::string_view bytes) {
  thread_local StrictConverter c("UTF-8", "CP932");
  return c.Convert(bytes);
}

// The characters Windows-1252 gives bytes 0x80-0x9F (from iconv; a byte the
// code page leaves undefined reads as the C1 control of the same value, as
// Windows itself does).
const std::array<char32_t, 32>& Cp1252High() {
  static const std::array<char32_t, 32> table = [] {
    std::array<char32_t, 32> t{};
    StrictConverter c("UTF-8", "CP1252");
    for (unsigned b = 0x80; b < 0xA0; ++b) {
      t[b - 0x80] = b;
      std::string in(1, static_cast<char>(b));
      if (std::optional<std::string> out = c.Convert(in); out && !out->empty()) {
        char32_t cp = 0;
        DecodeUtf8Char(*out, 0, cp);
        t[b - 0x80] = cp;
      }
    }
    return t;
  }();
  return table;
}

// The byte a character came from when bytes were read as ISO-8859-1 or
// Windows-1252; -1 when it cannot have come from one byte.
int SingleByteOf(char32_t cp) {
  if (cp <= 0xFF) return static_cast<int>(cp);
  const auto& high = Cp1252High();
  for (size_t i = 0; i < high.size(); ++i)
    if (high[i] == cp) return static_cast<int>(0x80 + i);
  return -1;
}

bool IsAscii(std::string_view s) {
  for (unsigned char ch : s)
    if (ch >= 0x80) return false;
  return true;
}

// The bytes behind a text read as ISO-8859-1 / Windows-1252.
std::optional<std::string> SingleByteForm(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp = 0;
    pos += DecodeUtf8Char(text, pos, cp);
    int b = SingleByteOf(cp);
    if (b < 0) return std::nullopt;
    out.push_back(static_cast<char>(b));
  }
  return out;
}

// Characters that code page 932 has twice, as NEC-selected IBM extensions
// (0xED40-0xEEFC) and as IBM extensions (0xFA40-0xFC4B): converting to code
// page 932 gives the IBM code, so the NEC code is kept here (from iconv).
const std::vector<std::pair<std::string, std::string>>& NecSelectedCodes() {
  static const std::vector<std::pair<std::string, std::string>> table = [] {
    std::vector<std::pair<std::string, std::string>> t;
    for (unsigned lead = 0xED; lead <= 0xEE; ++lead)
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        std::string code{char(lead), char(trail)};
        if (std::optional<std::string> u = FromCp932Strict(code)) t.emplace_back(*u, code);
      }
    std::sort(t.begin(), t.end());
    return t;
  }();
  return table;
}

// Whether some character of `utf8` satisfies `pred`.
template <class Pred>
bool AnyCodePoint(std::string_view utf8, Pred pred) {
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp = 0;
    pos += DecodeUtf8Char(utf8, pos, cp);
    if (pred(cp)) return true;
  }
  return false;
}

bool HasAbove(std::string_view utf8, char32_t limit) {
  return AnyCodePoint(utf8, [limit](char32_t cp) { return cp > limit; });
}

// The bytes behind a text of a legacy byte field as DecodeTagText read it:
// code page 932 where the character has a form there, else its ISO-8859-1
// byte (what the reader falls back to). `necCodes` picks the NEC-selected
// code of characters code page 932 has twice.
std::optional<std::string> LegacyByteForm(std::string_view text, bool necCodes) {
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp = 0;
    size_t len = DecodeUtf8Char(text, pos, cp);
    std::string_view ch = text.substr(pos, len);
    pos += len;
    if (cp < 0x80) {
      out += ch;
    } else if (cp <= 0xFF && !HasAbove(text, 0xFF)) {
      // The reader's fallback: a text read as ISO-8859-1 is all of it so.
      out.push_back(static_cast<char>(cp));
    } else if (std::optional<std::string> b = EncodeCp932(ch)) {
      if (necCodes && uint8_t((*b)[0]) >= 0xFA) {
        const auto& nec = NecSelectedCodes();
        auto it = std::lower_bound(nec.begin(), nec.end(), std::make_pair(std::string(ch), std::string()));
        if (it != nec.end() && it->first == ch) b = it->second;
      }
      out += *b;
    } else if (cp <= 0xFF) {
      out.push_back(static_cast<char>(cp));
    } else {
      return std::nullopt;
    }
  }
  return out;
}

bool IsCp1252Special(char32_t cp) {
  if (cp <= 0xFF) return false;
  for (char32_t c : Cp1252High())
    if (c == cp) return true;
  return false;
}

enum class Kind { kAscii, kEveryday, kRare, kHalfWidth, kLatin, kImplausible };

Kind KindOf(char32_t cp, std::string_view utf8) {
  if (cp >= 0x20 && cp < 0x7F) return Kind::kAscii;
  if (cp < 0xA0) return Kind::kImplausible;  // controls, C1 controls
  if (cp <= 0xFF) return Kind::kLatin;
  // Windows-1252 punctuation that code page 932 has as well ("…", "“")
  // counts as the Japanese punctuation it also is.
  if (IsCp1252Special(cp) && !EncodeCp932(utf8)) return Kind::kLatin;
  if (cp >= 0xFF61 && cp <= 0xFF9F) return Kind::kHalfWidth;
  if ((cp >= 0x3041 && cp <= 0x3096) || (cp >= 0x309B && cp <= 0x309E) || (cp >= 0x30A1 && cp <= 0x30FE) ||
      (cp >= 0x3000 && cp <= 0x3005) || (cp >= 0x3008 && cp <= 0x3011) || cp == 0x301C ||
      (cp >= 0xFF10 && cp <= 0xFF19) || (cp >= 0xFF21 && cp <= 0xFF3A) || (cp >= 0xFF41 && cp <= 0xFF5A))
    return Kind::kEveryday;
  if (cp >= 0xE000 && cp <= 0xF8FF) return Kind::kImplausible;  // private use (user-defined codes)
  std::optional<std::string> bytes = EncodeCp932(utf8);
  if (!bytes || bytes->size() != 2) return Kind::kImplausible;
  unsigned code = (unsigned(uint8_t((*bytes)[0])) << 8) | uint8_t((*bytes)[1]);
  if (code >= 0x889F && code <= 0x9872) return Kind::kEveryday;  // first-level kanji
  if (code >= 0x989F && code <= 0xEAA4) return Kind::kRare;      // second-level kanji
  unsigned lead = code >> 8;
  if (lead == 0x81 || lead == 0x82 || lead == 0x87) return Kind::kRare;  // symbols, full-width forms, circled numbers
  if (lead == 0x83 && code <= 0x8396) return Kind::kEveryday;            // katakana (already counted above)
  return Kind::kImplausible;  // Greek, Cyrillic, box drawing, vendor extensions
}

bool IsAsciiLetter(char32_t cp) {
  return (cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z');
}

// A text decoded as UTF-8 is plausible when it holds no controls, private
// use characters or replacement characters.
// Line breaks are text: comments and lyrics hold several lines.
bool PlausibleUnicode(std::string_view utf8) {
  return !AnyCodePoint(utf8, [](char32_t cp) {
    return (cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\r') || (cp >= 0x7F && cp < 0xA0) || (cp >= 0xE000 && cp <= 0xF8FF) ||
           cp == 0xFFFD || cp >= 0xF0000;
  });
}

int MultiByteSequences(std::string_view utf8) {
  int n = 0;
  for (unsigned char ch : utf8)
    if (ch >= 0xC0) ++n;
  return n;
}

bool IsAsciiLetterByte(uint8_t b) {
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

// Whether the byte before `pos` or the byte at `end` is an ASCII letter.
bool TouchesLetter(std::string_view bytes, size_t pos, size_t end) {
  return (pos > 0 && IsAsciiLetterByte(uint8_t(bytes[pos - 1]))) ||
         (end < bytes.size() && IsAsciiLetterByte(uint8_t(bytes[end])));
}

bool IsHalfWidth(char32_t cp) {
  return cp >= 0xFF61 && cp <= 0xFF9F;
}

// Spots where half-width katakana does not read as Japanese: a sound mark
// after a character that takes none; a small kana after a kana it never
// follows (ｬｭｮ after the i-row, ｧｨｩｪｫ after ｳｸｽﾂﾃﾄﾌｼﾁｲ); ｯ not before a
// kana; ｰ, ﾝ or ｦ after no kana; half-width punctuation in a row, ｡､｣
// opening a text or word, ｢ closing one; and runs made up of the half-width
// punctuation ､｢｣･ by a third or more (what EUC-JP kana bytes turn into:
// every lead byte is ､ or ･).
int HalfWidthFaults(std::string_view utf8) {
  std::u32string cps;
  for (size_t pos = 0; pos < utf8.size();) {
    char32_t cp = 0;
    pos += DecodeUtf8Char(utf8, pos, cp);
    cps.push_back(cp);
  }
  auto in = [](char32_t cp, std::u32string_view set) { return set.find(cp) != std::u32string_view::npos; };
  int faults = 0, count = 0, punctuation = 0;
  for (size_t i = 0; i < cps.size(); ++i) {
    const char32_t cp = cps[i];
    if (!IsHalfWidth(cp)) continue;
    const char32_t prev = i > 0 ? cps[i - 1] : 0;
    const char32_t next = i + 1 < cps.size() ? cps[i + 1] : 0;
    const bool afterKana = (IsHalfWidth(prev) && prev >= 0xFF66) || (prev >= 0x30A1 && prev <= 0x30FC) ||
                           (prev >= 0x3041 && prev <= 0x3093);
    ++count;
    if (cp <= 0xFF65) ++punctuation;
    bool fault = false;
    if (cp == 0xFF9E)  // ﾞ after ｳ, ｶ-ﾄ, ﾊ-ﾎ
      fault = !(prev == 0xFF73 || (prev >= 0xFF76 && prev <= 0xFF84) || (prev >= 0xFF8A && prev <= 0xFF8E));
    else if (cp == 0xFF9F)  // ﾟ after ﾊ-ﾎ
      fault = !(prev >= 0xFF8A && prev <= 0xFF8E);
    else if (cp >= 0xFF6C && cp <= 0xFF6E)  // ｬｭｮ
      fault = !in(prev, U"\uFF77\uFF7C\uFF81\uFF86\uFF8B\uFF90\uFF98\uFF9E\uFF9F");
    else if (cp >= 0xFF67 && cp <= 0xFF6B)  // ｧｨｩｪｫ
      fault = !in(prev, U"\uFF72\uFF73\uFF78\uFF7C\uFF7D\uFF81\uFF82\uFF83\uFF84\uFF8C\uFF9E");
    else if (cp == 0xFF6F)  // ｯ
      fault = !(next >= 0xFF71 && next <= 0xFF9C);
    else if (cp == 0xFF70)  // ｰ
      fault = !afterKana;
    else if (cp == 0xFF9D)  // ﾝ
      fault = !afterKana;
    else if (cp == 0xFF66)  // ｦ
      fault = !afterKana;
    else if (cp == 0xFF61 || cp == 0xFF64 || cp == 0xFF63)  // ｡ ､ ｣ end something
      fault = prev == 0 || prev == ' ' || prev == 0x3000 || (prev >= 0xFF61 && prev <= 0xFF65);
    else if (cp == 0xFF62)  // ｢ opens something
      fault = next == 0 || next == ' ' || next == 0x3000 || (next >= 0xFF61 && next <= 0xFF65);
    else if (cp == 0xFF65)  // ･ between words
      fault = !afterKana || !(next >= 0xFF66 && next <= 0xFF9D);
    faults += fault ? 1 : 0;
  }
  if (count >= 2 && punctuation * 3 >= count) ++faults;
  return faults;
}

// Bytes whose runs above ASCII are pairs of an EUC-JP lead byte (0xA1 up to
// `lastLead`: 0xCF ends the kana and first-level kanji, 0xF4 the second
// level) and a trail byte: what EUC-JP text read as half-width katakana
// looks like.
bool PairsLikeEucJp(std::string_view bytes, uint8_t lastLead) {
  size_t run = 0;
  for (size_t i = 0; i <= bytes.size(); ++i) {
    uint8_t b = i < bytes.size() ? uint8_t(bytes[i]) : 0;
    if (b < 0x80) {
      if (run % 2) return false;
      run = 0;
      continue;
    }
    if (run % 2 == 0 && (b < 0xA1 || b > lastLead)) return false;
    ++run;
  }
  return true;
}

// Half-width katakana with the marks real katakana words are full of: ﾝ,
// the sound marks, the prolonged mark and small kana.
bool HasKatakanaMarks(std::string_view utf8) {
  return AnyCodePoint(
      utf8, [](char32_t cp) { return (cp >= 0xFF67 && cp <= 0xFF70) || (cp >= 0xFF9D && cp <= 0xFF9F); });
}

// Half-width katakana in `utf8` that reads as such: no faults, no
// character against a Latin letter ("Émile" read as code page 932 is
// "ﾉmile"), and either four characters or more, or the marks of real
// katakana words (a few accented capitals, "ÆØÅ", also read as katakana).
bool ReadsAsHalfWidthKatakana(std::string_view utf8, const JapaneseProfile& p) {
  if (p.halfWidth < 2 || HalfWidthFaults(utf8) > 0) return false;
  if (p.halfWidth < 4 && !HasKatakanaMarks(utf8)) return false;
  char32_t prev = 0;
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp = 0;
    pos += DecodeUtf8Char(utf8, pos, cp);
    if ((IsHalfWidth(cp) && IsAsciiLetter(prev)) || (IsHalfWidth(prev) && IsAsciiLetter(cp))) return false;
    prev = cp;
  }
  return true;
}

// How well a candidate reads as Japanese: 0 when it does not at all, else
// the share of everyday characters among its non-ASCII ones, lowered for
// short evidence. Half-width katakana that reads as such counts as everyday.
double JapaneseConfidence(std::string_view text, const JapaneseProfile& p, bool pairedHighBytes) {
  if (p.implausible > 0 || p.latin > 0) return 0;
  const bool katakana = ReadsAsHalfWidthKatakana(text, p);
  const int everyday = p.everyday + (katakana ? p.halfWidth : 0);
  int japanese = p.everyday + p.rare + p.halfWidth;
  // A text of nothing but kanji: second-level ones count too ("仂").
  if (everyday == 0 && p.rare > 0 && p.halfWidth == 0 && p.ascii == 0) return 0.6;
  if (everyday == 0 || japanese == 0) return 0;
  // One everyday character beside Latin letters is too little evidence
  // ("‘Tis" decodes to a kanji followed by "is") unless its bytes were two
  // characters above ASCII in a row, which Western text hardly has.
  if (everyday == 1 && p.asciiLetters > 0 && !pairedHighBytes) return 0;
  // Half-width katakana next to Latin letters is what accented capitals
  // ("Émile") turn into.
  if (!katakana && p.halfWidth > 0 && p.asciiLetters > 0 && p.halfWidth * 2 > p.everyday) return 0;
  double share = double(everyday) / japanese;
  if (share < 0.5) return 0;
  double evidence = everyday >= 3 ? 1.0 : everyday == 2 ? 0.9 : 0.75;
  return share * evidence;
}

// The log-likelihood of a text under the share of each kind of character in
// Japanese writing (hiragana ~40%, kanji ~35% almost all first-level,
// katakana ~12%, punctuation, full-width forms ...), spread over the
// characters of the kind. Compares readings of the same bytes.
double LogLikelihood(std::string_view utf8) {
  double sum = 0;
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp = 0;
    size_t len = DecodeUtf8Char(utf8, pos, cp);
    double p = 1e-9;
    switch (KindOf(cp, utf8.substr(pos, len))) {
      case Kind::kAscii: p = 0.05 / 95; break;
      case Kind::kEveryday:
        if (cp >= 0x3041 && cp <= 0x309E)
          p = 0.40 / 83;
        else if (cp >= 0x30A1 && cp <= 0x30FE)
          p = 0.12 / 90;
        else if (cp >= 0x4E00)
          p = cp >= 0xFF00 ? 0.02 / 62 : 0.33 / 2965;
        else
          p = 0.05 / 30;
        break;
      case Kind::kRare: p = cp >= 0x4E00 && cp < 0xF900 ? 0.01 / 3390 : 0.01 / 300; break;
      case Kind::kHalfWidth: p = 0.005 / 63; break;
      case Kind::kLatin:
      case Kind::kImplausible: break;
    }
    sum += std::log(p);
    pos += len;
  }
  return sum;
}

struct Candidate {
  std::string text;
  SourceEncoding source = SourceEncoding::kKeep;
  double confidence = 0;
  double likelihood = 0;
};

bool HasPairedHighBytes(std::string_view bytes) {
  for (size_t i = 0; i + 1 < bytes.size(); ++i)
    if (uint8_t(bytes[i]) >= 0x80 && uint8_t(bytes[i + 1]) >= 0x80) return true;
  return false;
}

void Consider(Candidate& best, std::optional<std::string> text, SourceEncoding source, bool pairedHighBytes) {
  if (!text) return;
  double c = JapaneseConfidence(*text, ProfileText(*text), pairedHighBytes);
  if (c <= 0) return;
  // Readings about as sure as each other: the likelier one as Japanese.
  double likelihood = LogLikelihood(*text);
  if (c > best.confidence + 0.05 || (c > best.confidence - 0.05 && likelihood > best.likelihood))
    best = Candidate{std::move(*text), source, c, likelihood};
}

// How well bytes read as Japanese in code page 932 (`text` their strict
// reading): everyday characters count most; half-width katakana and rare
// characters count too, unless they sit against Latin letters the way
// ISO-8859-1 accented letters turn into them ("Père" -> "P鑽e", "Édith" ->
// "ﾉdith"), where they count against.
double JapaneseReadingScore(std::string_view bytes, std::string_view text) {
  double score = 0;
  int nonAscii = 0, halfWidth = 0;
  size_t at = 0, pos = 0;
  while (pos < text.size()) {
    char32_t cp = 0;
    size_t len = DecodeUtf8Char(text, pos, cp);
    std::string_view ch = text.substr(pos, len);
    pos += len;
    size_t width = cp < 0x80 || IsHalfWidth(cp) ? 1 : 2;
    size_t start = at;
    at += width;
    if (cp < 0x80) continue;
    ++nonAscii;
    bool touches = TouchesLetter(bytes, start, at) || (width == 2 && IsAsciiLetterByte(uint8_t(bytes[start + 1])));
    if (IsHalfWidth(cp)) {
      ++halfWidth;
      score += touches ? -2 : 1;
      continue;
    }
    // The code tells the kanji levels without a conversion.
    const unsigned code = (unsigned(uint8_t(bytes[start])) << 8) | uint8_t(bytes[start + 1]);
    const Kind kind = code >= 0x889F && code <= 0x9872   ? Kind::kEveryday
                      : code >= 0x989F && code <= 0xEAA4 ? Kind::kRare
                                                         : KindOf(cp, ch);
    if (kind == Kind::kEveryday)
      score += 2;
    else if (uint8_t(bytes[start]) >= 0xE0 && touches)
      score -= 2;
    else
      score += kind == Kind::kRare ? 1 : 0.5;
  }
  if (nonAscii == 1 && halfWidth == 1) score = std::min(score, 0.0);  // one sign alone tells nothing
  return score - HalfWidthFaults(text);
}

// How well bytes read as ISO-8859-1 Western text: accented letters against
// Latin letters count most; C1 controls (0x80-0x9F) and runs of three or
// more characters above ASCII count against.
double WesternReadingScore(std::string_view bytes, bool* controls) {
  double score = 0;
  size_t run = 0;
  *controls = false;
  for (size_t i = 0; i <= bytes.size(); ++i) {
    uint8_t b = i < bytes.size() ? uint8_t(bytes[i]) : 0;
    if (b >= 0x80) {
      ++run;
    } else {
      if (run >= 3) score -= 1.5 * double(run - 2);
      run = 0;
      continue;
    }
    if (b < 0xA0) {
      *controls = true;
      score -= 3;
    } else if (b >= 0xC0 && b != 0xD7 && b != 0xF7) {
      score += TouchesLetter(bytes, i, i + 1) ? 2 : 0.5;
    } else {
      score += 0.5;
    }
  }
  return score;
}

std::string Latin1Text(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) AppendUtf8(out, b);
  return out;
}

bool HasPrivateUse(std::string_view utf8) {
  return AnyCodePoint(utf8, [](char32_t cp) { return cp >= 0xE000 && cp <= 0xF8FF; });
}

}  // namespace

JapaneseProfile ProfileText(std::string_view utf8) {
  JapaneseProfile p;
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp = 0;
    size_t len = DecodeUtf8Char(utf8, pos, cp);
    switch (KindOf(cp, utf8.substr(pos, len))) {
      case Kind::kAscii:
        ++p.ascii;
        if (IsAsciiLetter(cp)) ++p.asciiLetters;
        break;
      case Kind::kEveryday: ++p.everyday; break;
      case Kind::kRare: ++p.rare; break;
      case Kind::kHalfWidth: ++p.halfWidth; break;
      case Kind::kLatin: ++p.latin; break;
      case Kind::kImplausible: ++p.implausible; break;
    }
    pos += len;
  }
  return p;
}

LegacyReading ReadLegacyBytes(std::string_view bytes) {
  LegacyReading r;
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom && IsValidUtf8(bytes.substr(kUtf8Bom.size()))) {
    r.text = std::string(bytes.substr(kUtf8Bom.size()));
    r.source = SourceEncoding::kUtf8;
    return r;
  }
  if (IsAscii(bytes)) {
    r.text = std::string(bytes);
    return r;
  }
  if (IsValidUtf8(bytes)) {
    r.text = std::string(bytes);
    r.source = SourceEncoding::kUtf8;
    return r;
  }
  r.text = Latin1Text(bytes);
  r.source = SourceEncoding::kLatin1;
  std::optional<std::string> japanese = FromCp932Strict(bytes);
  if (!japanese || HasPrivateUse(*japanese)) return r;
  bool controls = false;
  const double western = WesternReadingScore(bytes, &controls);
  const double jp = JapaneseReadingScore(bytes, *japanese);
  // The loser is offered when it reads plausibly too and not much worse.
  constexpr double kClose = 2.5;
  if (jp > western) {
    if (!controls && western > 0 && jp - western < kClose) {
      r.alternative = std::move(r.text);
      r.alternativeSource = SourceEncoding::kLatin1;
    }
    r.text = std::move(*japanese);
    r.source = SourceEncoding::kShiftJis;
  } else if (jp > 0 && western - jp < kClose) {
    r.alternative = std::move(*japanese);
    r.alternativeSource = SourceEncoding::kShiftJis;
  }
  return r;
}

namespace {

// The reading of the bytes a legacy field's text was read from: its
// ISO-8859-1 bytes when ReadLegacyBytes reads them back as the text, else
// its code page 932 bytes when so; nullopt for a text read from UTF-8.
std::optional<std::pair<std::string, LegacyReading>> StoredReading(std::string_view text) {
  if (std::optional<std::string> bytes = SingleByteForm(text); bytes && !HasAbove(text, 0xFF)) {
    LegacyReading r = ReadLegacyBytes(*bytes);
    if (r.text == text) return std::make_pair(std::move(*bytes), std::move(r));
  }
  if (std::optional<std::string> bytes = EncodeCp932(text)) {
    LegacyReading r = ReadLegacyBytes(*bytes);
    if (r.text == text) return std::make_pair(std::move(*bytes), std::move(r));
  }
  return std::nullopt;
}

bool ReadsLegacyBytes(StoredForm form) {
  return form == StoredForm::kLatin1Frame || form == StoredForm::kLegacyBytes;
}

}  // namespace

TextDiagnosis DiagnoseText(std::string_view text, StoredForm form) {
  TextDiagnosis d;
  if (IsAscii(text) || !IsValidUtf8(text)) return d;

  // In a legacy field: the bytes as stored, and what the reader made of
  // them. Their code page 932 reading was already weighed against their
  // ISO-8859-1 one when the field was read; only a close call is offered.
  std::optional<std::pair<std::string, LegacyReading>> stored;
  if (ReadsLegacyBytes(form)) stored = StoredReading(text);
  const bool readAsLatin1 = stored && stored->second.source == SourceEncoding::kLatin1;
  const bool readAsCp932 = stored && stored->second.source == SourceEncoding::kShiftJis;

  // Text read from one byte per character: UTF-8, code page 932 or EUC-JP
  // bytes behind it.
  if (std::optional<std::string> bytes = SingleByteForm(text)) {
    Candidate best;
    bool paired = HasPairedHighBytes(*bytes);
    if (!readAsLatin1) Consider(best, FromCp932Strict(*bytes), SourceEncoding::kShiftJis, paired);
    // Half-width katakana that reads as such goes before an EUC-JP reading
    // of the same bytes, unless the bytes pair up as EUC-JP kanji do and the
    // katakana has none of the marks real katakana words are full of.
    const JapaneseProfile sjis = ProfileText(best.text);
    const bool katakana = best.confidence > 0 && sjis.halfWidth > 0 && sjis.halfWidth >= sjis.everyday &&
                          (HasKatakanaMarks(best.text) || !PairsLikeEucJp(*bytes, 0xF4));
    if (!katakana) {
      Candidate euc;
      Consider(euc, FromEucJp(*bytes), SourceEncoding::kEucJp, paired);
      if (euc.confidence > 0 && best.confidence > 0 && sjis.everyday == 0 && ProfileText(euc.text).rare == 0)
        best = std::move(euc);  // katakana without its marks, in bytes that pair up as EUC-JP
      else
        Consider(best, FromEucJp(*bytes), SourceEncoding::kEucJp, paired);
    }
    // Valid UTF-8 with multi-byte sequences is UTF-8 (Western text as well:
    // "CafÃ©"), unless it reads as scattered letters of other scripts where
    // a Japanese reading exists (EUC-JP "Å«ÄºÏ»" is also valid UTF-8).
    if (MultiByteSequences(*bytes) > 0 && IsValidUtf8(*bytes) && PlausibleUnicode(*bytes) &&
        (best.confidence <= 0 || ProfileText(*bytes).everyday > 0 || !HasAbove(*bytes, 0xFF))) {
      d.verdict = TextVerdict::kGarbled;
      d.source = SourceEncoding::kUtf8;
      d.confidence = MultiByteSequences(*bytes) >= 2 ? 0.99 : 0.9;
      d.proposed = std::move(*bytes);
      return d;
    }
    if (best.confidence > 0) {
      d.verdict = TextVerdict::kGarbled;
      d.source = best.source;
      d.confidence = best.confidence;
      d.proposed = std::move(best.text);
      return d;
    }
  }

  // A byte field that holds EUC-JP read as code page 932: the reader saw
  // half-width katakana that does not read as Japanese (EUC-JP kana bytes
  // give ､ or ･ every other character). Well-formed half-width katakana, as
  // old tools wrote to fit ID3v1, stays.
  if (form != StoredForm::kUnicode && !readAsLatin1) {
    JapaneseProfile now = ProfileText(text);
    const bool wellFormed = readAsCp932 && HalfWidthFaults(text) == 0;
    if (now.latin + now.implausible + now.halfWidth > 0 && (!wellFormed || PairsLikeEucJp(stored->first, 0xCF))) {
      Candidate best;
      for (bool nec : {false, true})
        if (std::optional<std::string> bytes = LegacyByteForm(text, nec))
          Consider(best, FromEucJp(*bytes), SourceEncoding::kEucJp, HasPairedHighBytes(*bytes));
      if (best.confidence > 0 && ProfileText(best.text).everyday > now.everyday) {
        // Half-width katakana that reads as such ("ｻｻﾞﾝ", with its sound
        // marks, ﾝ and ｰ) is only offered the other reading.
        const bool katakana = wellFormed;
        d.verdict = katakana ? TextVerdict::kAmbiguous : TextVerdict::kGarbled;
        d.source = best.source;
        d.confidence = katakana ? 0.3 : best.confidence;
        d.proposed = std::move(best.text);
        return d;
      }
    }
  }

  // Bytes that read about as well in the other code page: listed, with the
  // other reading, for the user to decide.
  if (stored && stored->second.alternative) {
    d.verdict = TextVerdict::kAmbiguous;
    d.source = stored->second.alternativeSource;
    d.confidence = 0.3;
    d.proposed = *stored->second.alternative;
    return d;
  }

  // Readable here, but other programs read an ISO-8859-1 frame as such.
  if ((form == StoredForm::kLatin1Frame || form == StoredForm::kUtf8InLatin1Frame) && HasAbove(text, 0xFF) &&
      PlausibleUnicode(text)) {
    d.verdict = TextVerdict::kLegacy;
    d.source = form == StoredForm::kUtf8InLatin1Frame || !readAsCp932 ? SourceEncoding::kUtf8
                                                                       : SourceEncoding::kShiftJis;
    d.confidence = 1;
    d.proposed = std::string(text);
  }
  return d;
}

std::optional<std::string> ReinterpretText(std::string_view text, StoredForm form, SourceEncoding source) {
  if (source == SourceEncoding::kKeep) return std::string(text);
  auto decode = [source](const std::string& bytes) -> std::optional<std::string> {
    switch (source) {
      case SourceEncoding::kUtf8:
        return IsValidUtf8(bytes) ? std::optional<std::string>(bytes) : std::nullopt;
      case SourceEncoding::kShiftJis: {
        std::optional<std::string> out = FromCp932Strict(bytes);
        if (out && HasPrivateUse(*out)) return std::nullopt;
        return out;
      }
      case SourceEncoding::kEucJp: return FromEucJp(bytes);
      case SourceEncoding::kLatin1: return Latin1Text(bytes);
      case SourceEncoding::kKeep: break;
    }
    return std::nullopt;
  };
  // A legacy field: the bytes as stored.
  if (form == StoredForm::kUtf8InLatin1Frame) return decode(std::string(text));
  if (ReadsLegacyBytes(form))
    if (std::optional<std::pair<std::string, LegacyReading>> stored = StoredReading(text))
      return decode(stored->first);
  if (source == SourceEncoding::kLatin1) return std::nullopt;
  if (std::optional<std::string> bytes = SingleByteForm(text))
    if (std::optional<std::string> out = decode(*bytes)) return out;
  if (form != StoredForm::kUnicode)
    for (bool nec : {false, true})
      if (std::optional<std::string> bytes = LegacyByteForm(text, nec))
        if (std::optional<std::string> out = decode(*bytes)) return out;
  return std::nullopt;
}

std::string_view SourceEncodingName(SourceEncoding source) {
  switch (source) {
    case SourceEncoding::kShiftJis: return "Shift-JIS";
    case SourceEncoding::kUtf8: return "UTF-8";
    case SourceEncoding::kEucJp: return "EUC-JP";
    case SourceEncoding::kLatin1: return "ISO-8859-1";
    case SourceEncoding::kKeep: break;
  }
  return "keep";
}

std::optional<SourceEncoding> SourceEncodingFromName(std::string_view name) {
  for (SourceEncoding s : {SourceEncoding::kKeep, SourceEncoding::kShiftJis, SourceEncoding::kUtf8,
                           SourceEncoding::kEucJp, SourceEncoding::kLatin1})
    if (SourceEncodingName(s) == name) return s;
  return std::nullopt;
}

std::string_view TextVerdictName(TextVerdict verdict) {
  switch (verdict) {
    case TextVerdict::kLegacy: return "legacy";
    case TextVerdict::kGarbled: return "garbled";
    case TextVerdict::kAmbiguous: return "ambiguous";
    case TextVerdict::kFine: break;
  }
  return "fine";
}

}  // namespace hozanki
