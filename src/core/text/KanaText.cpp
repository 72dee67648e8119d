#include "core/text/KanaText.h"

#include <array>
#include <vector>

#include "core/common/Utf8.h"

namespace hozanki {
namespace {

constexpr char32_t kSmallA = 0x30A1;       // ァ
constexpr char32_t kLastKatakana = 0x30FA;  // ヺ
constexpr char32_t kSokuon = 0x30C3;        // ッ
constexpr char32_t kN = 0x30F3;             // ン
constexpr char32_t kProlonged = 0x30FC;     // ー

// Hepburn of ァ (U+30A1) to ヺ (U+30FA); ッ is handled apart.
constexpr std::array<const char*, kLastKatakana - kSmallA + 1> kRomaji = {
    "a",  "a",  "i",   "i",  "u",  "u",  "e",  "e",   "o",  "o",                      // ァ..オ
    "ka", "ga", "ki",  "gi", "ku", "gu", "ke", "ge",  "ko", "go",                     // カ..ゴ
    "sa", "za", "shi", "ji", "su", "zu", "se", "ze",  "so", "zo",                     // サ..ゾ
    "ta", "da", "chi", "ji", "",   "tsu", "zu", "te", "de", "to", "do",               // タ..ド
    "na", "ni", "nu",  "ne", "no",                                                    // ナ..ノ
    "ha", "ba", "pa",  "hi", "bi", "pi", "fu", "bu",  "pu", "he", "be", "pe", "ho", "bo", "po",  // ハ..ポ
    "ma", "mi", "mu",  "me", "mo",                                                    // マ..モ
    "ya", "ya", "yu",  "yu", "yo", "yo",                                              // ャ..ヨ
    "ra", "ri", "ru",  "re", "ro",                                                    // ラ..ロ
    "wa", "wa", "i",   "e",  "o",  "n",  "vu", "ka",  "ke",                           // ヮ..ヶ
    "va", "vi", "ve",  "vo",                                                          // ヷ..ヺ
};

bool IsSmallVowel(char32_t cp) {
  return cp == 0x30A1 || cp == 0x30A3 || cp == 0x30A5 || cp == 0x30A7 || cp == 0x30A9;
}
bool IsSmallY(char32_t cp) {
  return cp == 0x30E3 || cp == 0x30E5 || cp == 0x30E7;
}
bool IsPlainVowel(char32_t cp) {
  return cp == 0x30A2 || cp == 0x30A4 || cp == 0x30A6 || cp == 0x30A8 || cp == 0x30AA;
}
bool IsVowelLetter(char c) {
  return c == 'a' || c == 'i' || c == 'u' || c == 'e' || c == 'o';
}

struct Syllable {
  std::string text;  // lower-case romaji, or a character that is not katakana
  bool plainVowel = false;  // a full-size ア, イ, ウ, エ or オ
  bool kana = true;
};

std::string Macron(char vowel) {
  switch (vowel) {
    case 'a': return "\xC4\x81";  // ā
    case 'i': return "\xC4\xAB";  // ī
    case 'u': return "\xC5\xAB";  // ū
    case 'e': return "\xC4\x93";  // ē
    default: return "\xC5\x8D";   // ō
  }
}

// The previous syllable with a long vowel.
void Lengthen(Syllable& s, LongVowels style) {
  if (s.text.empty() || !IsVowelLetter(s.text.back())) return;
  const char vowel = s.text.back();
  if (style == LongVowels::Macron) {
    s.text.pop_back();
    s.text += Macron(vowel);
  } else if (style == LongVowels::Kana) {
    s.text += vowel;
  }
  s.plainVowel = false;
}

bool LongPair(char first, char second) {
  return (first == 'o' && (second == 'u' || second == 'o')) || (first == second && first != 'i');
}


// `text` with the kana of [first, last] and the two iteration marks moved
// by `shift` code points (between the hiragana and katakana blocks).
std::string ShiftKana(std::string_view text, char32_t first, char32_t last, char32_t mark1, char32_t mark2,
                      int shift) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const size_t n = DecodeUtf8Char(text, i, cp);
    if ((cp >= first && cp <= last) || cp == mark1 || cp == mark2)
      AppendUtf8(out, static_cast<char32_t>(static_cast<int>(cp) + shift));
    else
      out.append(text.substr(i, n));
    i += n;
  }
  return out;
}

}  // namespace

std::string HiraganaToKatakana(std::string_view text) { return ShiftKana(text, 0x3041, 0x3096, 0x309D, 0x309E, 0x60); }

std::string KatakanaToHiragana(std::string_view text) { return ShiftKana(text, 0x30A1, 0x30F6, 0x30FD, 0x30FE, -0x60); }

bool IsKanjiChar(char32_t cp) {
  return (cp >= 0x3400 && cp <= 0x4DBF) || (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
         (cp >= 0x20000 && cp <= 0x3FFFF) || cp == 0x3005 || cp == 0x3006;
}

bool HasKanji(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    i += DecodeUtf8Char(text, i, cp);
    if (IsKanjiChar(cp)) return true;
  }
  return false;
}

bool IsKanaOnly(std::string_view text) {
  if (text.empty()) return false;
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    i += DecodeUtf8Char(text, i, cp);
    const bool kana = (cp >= 0x3041 && cp <= 0x309F) || (cp >= 0x30A1 && cp <= 0x30FE);
    if (!kana) return false;
  }
  return true;
}

std::string KatakanaToRomaji(std::string_view katakana, LongVowels longVowels, bool contract) {
  std::vector<Syllable> syllables;
  bool geminate = false;
  auto add = [&](Syllable s) {
    if (geminate && s.kana && !s.text.empty() && !IsVowelLetter(s.text[0]) && s.text[0] != 'n') {
      const char doubled = s.text.starts_with("ch") ? 't' : s.text[0];
      s.text = std::string(1, doubled) + s.text;
    }
    geminate = false;
    syllables.push_back(std::move(s));
  };
  for (size_t i = 0; i < katakana.size();) {
    char32_t cp = 0;
    const size_t n = DecodeUtf8Char(katakana, i, cp);
    const std::string_view raw = katakana.substr(i, n);
    i += n;
    Syllable* previous = syllables.empty() || !syllables.back().kana ? nullptr : &syllables.back();
    if (cp == kSokuon) {
      geminate = true;
      continue;
    }
    if (cp == kProlonged) {
      if (previous) Lengthen(*previous, longVowels);
      continue;
    }
    if (cp < kSmallA || cp > kLastKatakana) {
      geminate = false;
      add({std::string(raw), false, false});
      continue;
    }
    std::string text = kRomaji[cp - kSmallA];
    if (previous && IsSmallY(cp) && previous->text.size() > 1 && previous->text.back() == 'i') {
      std::string stem = previous->text.substr(0, previous->text.size() - 1);
      const bool palatal = stem.ends_with("sh") || stem.ends_with("ch") || stem.ends_with("j");
      if (palatal) text.erase(0, 1);
      previous->text = stem + text;
      continue;
    }
    if (previous && IsSmallVowel(cp) && !previous->text.empty() && IsVowelLetter(previous->text.back())) {
      std::string stem = previous->text.substr(0, previous->text.size() - 1);
      if (stem.empty() && previous->text == "u") stem.push_back('w');
      if (stem.empty() && previous->text == "i") stem.push_back('y');
      previous->text = stem + text;
      previous->plainVowel = false;
      continue;
    }
    if (cp == 0x30EE && previous && (previous->text == "ku" || previous->text == "gu")) {  // クヮ
      previous->text = previous->text.substr(0, 1) + "wa";
      continue;
    }
    add({text, IsPlainVowel(cp), true});
  }

  std::string out;
  for (size_t k = 0; k < syllables.size(); ++k) {
    Syllable& s = syllables[k];
    if (s.text == "n" && s.kana && k + 1 < syllables.size() && syllables[k + 1].kana) {
      const char next = syllables[k + 1].text.empty() ? '\0' : syllables[k + 1].text[0];
      if (IsVowelLetter(next) || next == 'y') s.text = "n'";
    }
    // A plain vowel after the same sound makes it long: こう, とお, ゆう.
    // じょおう is jo-ō: the plain vowel pairs with the one after it first.
    const bool nextPairs = k + 2 < syllables.size() && syllables[k + 1].plainVowel &&
                           syllables[k + 2].plainVowel &&
                           LongPair(syllables[k + 1].text[0], syllables[k + 2].text[0]);
    if (contract && s.kana && k + 1 < syllables.size() && syllables[k + 1].plainVowel && !s.text.empty() &&
        IsVowelLetter(s.text.back()) && LongPair(s.text.back(), syllables[k + 1].text[0]) && !nextPairs &&
        longVowels != LongVowels::Kana) {
      Lengthen(s, longVowels == LongVowels::Macron ? LongVowels::Macron : LongVowels::Plain);
      out += s.text;
      ++k;  // the vowel that made it long is written with it
      continue;
    }
    out += s.text;
  }
  return out;
}

}  // namespace hozanki
