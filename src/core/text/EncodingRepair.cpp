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
    } else if (cp <= 0xFF) {
      // The reader's fallback (also for "×÷±" and the others code page 932
      // has as well: its text came from the fallback when the bytes were
      // not valid code page 932).
      out.push_back(static_cast<char>(cp));
    } else if (std::optional<std::string> b = EncodeCp932(ch)) {
      if (necCodes && uint8_t((*b)[0]) >= 0xFA) {
        const auto& nec = NecSelectedCodes();
        auto it = std::lower_bound(nec.begin(), nec.end(), std::make_pair(std::string(ch), std::string()));
        if (it != nec.end() && it->first == ch) b = it->second;
      }
      out += *b;
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
  if (cp <= 0xFF || IsCp1252Special(cp)) return Kind::kLatin;
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
bool PlausibleUnicode(std::string_view utf8) {
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp = 0;
    pos += DecodeUtf8Char(utf8, pos, cp);
    if ((cp < 0x20 && cp != '\t') || (cp >= 0x7F && cp < 0xA0) || (cp >= 0xE000 && cp <= 0xF8FF) ||
        cp == 0xFFFD || cp >= 0xF0000)
      return false;
  }
  return true;
}

bool HasAbove(std::string_view utf8, char32_t limit) {
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp = 0;
    pos += DecodeUtf8Char(utf8, pos, cp);
    if (cp > limit) return true;
  }
  return false;
}

int MultiByteSequences(std::string_view utf8) {
  int n = 0;
  for (unsigned char ch : utf8)
    if (ch >= 0xC0) ++n;
  return n;
}

// How well a candidate reads as Japanese: 0 when it does not at all, else
// the share of everyday characters among its non-ASCII ones, lowered for
// short evidence.
double JapaneseConfidence(const JapaneseProfile& p, bool pairedHighBytes) {
  if (p.implausible > 0 || p.latin > 0) return 0;
  int japanese = p.everyday + p.rare + p.halfWidth;
  // A text of nothing but kanji: second-level ones count too ("仂").
  if (p.everyday == 0 && p.rare > 0 && p.halfWidth == 0 && p.ascii == 0) return 0.6;
  if (p.everyday == 0 || japanese == 0) return 0;
  // One everyday character beside Latin letters is too little evidence
  // ("‘Tis" decodes to a kanji followed by "is") unless its bytes were two
  // characters above ASCII in a row, which Western text hardly has.
  if (p.everyday == 1 && p.asciiLetters > 0 && !pairedHighBytes) return 0;
  // Half-width katakana next to Latin letters is what accented capitals
  // ("Émile") turn into.
  if (p.halfWidth > 0 && p.asciiLetters > 0 && p.halfWidth * 2 > p.everyday) return 0;
  double share = double(p.everyday) / japanese;
  if (share < 0.5) return 0;
  double evidence = p.everyday >= 3 ? 1.0 : p.everyday == 2 ? 0.9 : 0.75;
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
  double c = JapaneseConfidence(ProfileText(*text), pairedHighBytes);
  if (c <= 0) return;
  // Readings about as sure as each other: the likelier one as Japanese.
  double likelihood = LogLikelihood(*text);
  if (c > best.confidence + 0.05 || (c > best.confidence - 0.05 && likelihood > best.likelihood))
    best = Candidate{std::move(*text), source, c, likelihood};
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

TextDiagnosis DiagnoseText(std::string_view text, StoredForm form) {
  TextDiagnosis d;
  if (IsAscii(text) || !IsValidUtf8(text)) return d;

  // Text read from one byte per character: UTF-8, code page 932 or EUC-JP
  // bytes behind it.
  if (std::optional<std::string> bytes = SingleByteForm(text)) {
    Candidate best;
    bool paired = HasPairedHighBytes(*bytes);
    Consider(best, FromCp932Strict(*bytes), SourceEncoding::kShiftJis, paired);
    Consider(best, FromEucJp(*bytes), SourceEncoding::kEucJp, paired);
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

  // A byte field read as code page 932 that holds EUC-JP: the reader saw
  // half-width katakana and stray Latin-1 letters.
  if (form != StoredForm::kUnicode) {
    JapaneseProfile now = ProfileText(text);
    if (now.latin + now.implausible + now.halfWidth > 0) {
      Candidate best;
      for (bool nec : {false, true})
        if (std::optional<std::string> bytes = LegacyByteForm(text, nec))
          Consider(best, FromEucJp(*bytes), SourceEncoding::kEucJp, HasPairedHighBytes(*bytes));
      if (best.confidence > 0 && ProfileText(best.text).everyday > now.everyday) {
        d.verdict = TextVerdict::kGarbled;
        d.source = best.source;
        d.confidence = best.confidence;
        d.proposed = std::move(best.text);
        return d;
      }
    }
  }

  // Readable here, but other programs read an ISO-8859-1 frame as such.
  if (form == StoredForm::kLatin1Frame && HasAbove(text, 0xFF) && PlausibleUnicode(text)) {
    d.verdict = TextVerdict::kLegacy;
    d.source = EncodeTagTextCp932(text) ? SourceEncoding::kShiftJis : SourceEncoding::kUtf8;
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
      case SourceEncoding::kShiftJis: return FromCp932Strict(bytes);
      case SourceEncoding::kEucJp: return FromEucJp(bytes);
      case SourceEncoding::kKeep: break;
    }
    return std::nullopt;
  };
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
    case SourceEncoding::kKeep: break;
  }
  return "keep";
}

std::optional<SourceEncoding> SourceEncodingFromName(std::string_view name) {
  for (SourceEncoding s :
       {SourceEncoding::kKeep, SourceEncoding::kShiftJis, SourceEncoding::kUtf8, SourceEncoding::kEucJp})
    if (SourceEncodingName(s) == name) return s;
  return std::nullopt;
}

std::string_view TextVerdictName(TextVerdict verdict) {
  switch (verdict) {
    case TextVerdict::kLegacy: return "legacy";
    case TextVerdict::kGarbled: return "garbled";
    case TextVerdict::kFine: break;
  }
  return "fine";
}

}  // namespace hozanki
