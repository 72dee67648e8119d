#pragma once
// A generated corpus for the encoding repair: clean values (Japanese,
// English, Western text with accents) and Japanese values damaged the ways
// collections are (code page 932, UTF-8 or EUC-JP bytes read as ISO-8859-1
// or Windows-1252 and saved as Unicode; EUC-JP bytes in a legacy byte field).
// Shared by the core tests and the benchmark; deterministic for a seed.

#include <iconv.h>

#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/Cp932.h"
#include "core/text/EncodingRepair.h"
#include "core/text/TextWidth.h"

namespace hozanki::corpus {

struct Sample {
  std::string stored;    // the value as the program shows it
  StoredForm form = StoredForm::kUnicode;
  std::string expected;  // the right text (equal to `stored` for a clean value)
  std::string damage;    // "" for a clean value, else how it was damaged
};

// Converts with iconv; nullopt on any failure.
inline std::optional<std::string> Iconv(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(in.size() * 4 + 16, '\0');
  char* ip = const_cast<char*>(in.data());
  size_t il = in.size();
  char* op = out.data();
  size_t ol = out.size();
  size_t r = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || il != 0) return std::nullopt;
  out.resize(static_cast<size_t>(op - out.data()));
  return out;
}

// Bytes read one per character: ISO-8859-1, or Windows-1252 (a byte that
// code page leaves undefined becomes the C1 control of the same value).
inline std::string ReadAsSingleByte(std::string_view bytes, bool windows1252) {
  std::string out;
  for (unsigned char b : bytes) {
    std::optional<std::string> ch;
    if (windows1252 && b >= 0x80 && b < 0xA0) ch = Iconv("UTF-8", "CP1252", std::string(1, char(b)));
    if (ch && !ch->empty())
      out += *ch;
    else
      AppendUtf8(out, b);
  }
  return out;
}

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {
    for (char32_t c = 0x3041; c <= 0x3093; ++c) Append(hiragana_, c);
    for (char32_t c = 0x30A1; c <= 0x30F3; ++c) Append(katakana_, c);
    // First- and second-level kanji from their code page 932 codes.
    for (unsigned lead = 0x88; lead <= 0x9F; ++lead)
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        unsigned code = (lead << 8) | trail;
        if (code < 0x889F) continue;
        std::string b{char(lead), char(trail)};
        std::optional<std::string> u = Iconv("UTF-8", "CP932", b);
        if (!u) continue;
        (code <= 0x9872 ? level1_ : level2_).push_back(*u);
      }
  }

  // A Japanese value (at least one character above ASCII).
  std::string Japanese() {
    for (;;) {
      std::string out = JapaneseOnce();
      for (unsigned char ch : out)
        if (ch >= 0x80) return out;
    }
  }

  std::string JapaneseOnce() {
    std::string out;
    int words = Pick(1, 4);
    for (int w = 0; w < words; ++w) {
      if (w > 0) {
        int sep = Pick(0, 9);
        out += sep < 5 ? "" : sep < 7 ? " " : sep < 8 ? "・" : "　";
      }
      int kind = Pick(0, 19);
      if (kind < 8) {
        for (int i = Pick(1, 3); i > 0; --i) out += Pick(0, 19) == 0 ? From(level2_) : From(level1_);
      } else if (kind < 14) {
        for (int i = Pick(1, 5); i > 0; --i) out += From(hiragana_);
      } else if (kind < 17) {
        for (int i = Pick(2, 5); i > 0; --i) out += From(katakana_);
        if (Pick(0, 2) == 0) out += "ー";
      } else if (kind < 18) {
        out += "「" + From(level1_) + From(hiragana_) + "」";
      } else if (kind < 19) {
        out += English(1) + " ";
      } else {
        out += std::to_string(Pick(1, 12)) + "曲目";
      }
    }
    return out;
  }

  std::string English(int words = 0) {
    static const char* kOnsets[] = {"b", "c", "d", "f", "g", "h", "l", "m", "n", "p", "r", "s", "t", "v",
                                    "w", "st", "tr", "br", "ch", "sh", "th", "gr", "pl", ""};
    static const char* kVowels[] = {"a", "e", "i", "o", "u", "ea", "ou", "ai", "y", "oo"};
    if (words == 0) words = Pick(1, 5);
    std::string out;
    for (int w = 0; w < words; ++w) {
      if (w > 0) out += Pick(0, 12) == 0 ? " - " : " ";
      std::string word;
      for (int s = Pick(1, 3); s > 0; --s) word += From(kOnsets) + From(kVowels);
      if (Pick(0, 1)) word += From(kOnsets);
      if (Pick(0, 2) != 0) word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
      out += word;
    }
    if (Pick(0, 9) == 0) out += " (" + std::to_string(Pick(1, 2024)) + ")";
    return out;
  }

  std::string Western() {
    static const char* kNames[] = {"Café", "Beyoncé", "Motörhead", "Sigur Rós", "Björk", "Mötley Crüe", "Hélène",
                                   "Amélie", "Pokémon", "Noël", "Straße", "Émile", "Ça va", "Über alles",
                                   "Niño", "Señor", "Zoë", "Dvořák", "Café del Mar – Volumen Cinco",
                                   "‘Tis the Season", "“Hello” World", "Rock ’n’ Roll", "Déjà vu",
                                   "Für Elise", "Ólafur Arnalds", "Håkan Hellström", "Mañana", "Røyksopp",
                                   "Sinéad O’Connor", "Les Misérables", "Æon Flux", "Œuvres", "Žižek",
                                   "100°C", "½ Moon", "Aérea — Live", "Olé Olé", "Naïve", "Crème Brûlée",
                                   "Él Mató a un Policía Motorizado", "São Paulo", "Ännchen", "Östen",
                                   "Kjærlighet", "Dánde", "Ñu", "Ça"};
    if (Pick(0, 2) == 0) return From(kNames);
    static const char* kAccents[] = {"é", "è", "ê", "ë", "á", "à", "â", "ä", "ó", "ò", "ô", "ö", "ú", "ù",
                                     "û", "ü", "í", "ï", "ñ", "ç", "ø", "å", "æ", "ß", "œ", "ã", "õ"};
    static const char* kCapitals[] = {"É", "Ö", "Å", "Ü", "Ä", "Ø", "Á", "Ó", "Ç", "Í"};
    std::string out;
    int words = Pick(1, 4);
    for (int w = 0; w < words; ++w) {
      if (w > 0) out += " ";
      std::string word = English(1);
      int how = Pick(0, 5);
      if (how <= 2 && word.size() > 2) {
        size_t at = static_cast<size_t>(Pick(1, static_cast<int>(word.size()) - 1));
        word = word.substr(0, at) + From(kAccents) + word.substr(at + 1);
      } else if (how == 3) {
        word = From(kCapitals) + word.substr(1);
      }
      out += word;
    }
    return out;
  }

  // `count` samples: half clean (Japanese, English and Western text in equal
  // parts, each in a Unicode field and some in legacy forms), half damaged.
  std::vector<Sample> Make(size_t count) {
    std::vector<Sample> out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      if (i % 2 == 0) {
        Sample s;
        int which = static_cast<int>((i / 2) % 3);
        s.stored = which == 0 ? Japanese() : which == 1 ? English() : Western();
        int where = Pick(0, 3);
        s.form = where == 0 ? StoredForm::kLatin1Frame : where == 1 ? StoredForm::kLegacyBytes : StoredForm::kUnicode;
        // A legacy field holds what it can store: text outside code page
        // 932 comes from UTF-8 bytes there, read back the same.
        s.expected = s.stored;
        out.push_back(std::move(s));
        continue;
      }
      std::string text = Japanese();
      Sample s;
      s.expected = text;
      switch ((i / 2) % 5) {
        case 0:
          s.stored = ReadAsSingleByte(*EncodeCp932(text), true);
          s.damage = "Shift-JIS read as Windows-1252";
          break;
        case 1:
          s.stored = ReadAsSingleByte(*EncodeCp932(text), false);
          s.damage = "Shift-JIS read as ISO-8859-1";
          break;
        case 2:
          s.stored = ReadAsSingleByte(text, true);
          s.damage = "UTF-8 read as Windows-1252";
          break;
        case 3:
          s.stored = ReadAsSingleByte(*Iconv("EUC-JP", "UTF-8", text), false);
          s.damage = "EUC-JP read as ISO-8859-1";
          break;
        default:
          s.stored = DecodeTagText(*Iconv("EUC-JP", "UTF-8", text));
          s.form = StoredForm::kLegacyBytes;
          s.damage = "EUC-JP bytes in a legacy field";
          break;
      }
      out.push_back(std::move(s));
    }
    return out;
  }

 private:
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  template <typename T>
  std::string From(const T& pool) {
    return std::string(pool[static_cast<size_t>(Pick(0, static_cast<int>(std::size(pool)) - 1))]);
  }
  static void Append(std::vector<std::string>& pool, char32_t c) {
    std::string s;
    AppendUtf8(s, c);
    pool.push_back(s);
  }

  std::mt19937 rng_;
  std::vector<std::string> hiragana_, katakana_, level1_, level2_;
};

// What the detector made of a corpus.
struct Score {
  size_t damaged = 0, repaired = 0;  // damaged values, and those repaired to the right text
  // Damaged values listed as ambiguous with the right text offered: EUC-JP
  // bytes in a legacy field that read as well-formed half-width katakana,
  // which real half-width katakana is as well.
  size_t listed = 0;
  size_t clean = 0, cleanChanged = 0;
  std::vector<const Sample*> misses, falseRepairs;
};

inline Score Evaluate(const std::vector<Sample>& samples) {
  Score score;
  for (const Sample& s : samples) {
    TextDiagnosis d = DiagnoseText(s.stored, s.form);
    if (s.damage.empty()) {
      ++score.clean;
      if (d.verdict == TextVerdict::kGarbled && d.proposed != s.stored) {
        ++score.cleanChanged;
        score.falseRepairs.push_back(&s);
      }
    } else {
      ++score.damaged;
      if (d.verdict == TextVerdict::kGarbled && d.proposed == s.expected)
        ++score.repaired;
      else if (d.verdict == TextVerdict::kAmbiguous && d.proposed == s.expected)
        ++score.listed;
      else
        score.misses.push_back(&s);
    }
  }
  return score;
}

}  // namespace hozanki::corpus
