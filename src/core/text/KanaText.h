#pragma once
// Kana as readings use them: hiragana and katakana turned into each other,
// and katakana written in Hepburn romaji.

#include <string>
#include <string_view>

namespace hozanki {

// Hiragana become katakana (ぁ..ゖ, ゝゞ); everything else stays.
std::string HiraganaToKatakana(std::string_view text);
// Katakana become hiragana (ァ..ヶ, ヽヾ); ヷヸヹヺ and everything else stay.
std::string KatakanaToHiragana(std::string_view text);

// Whether the character needs a dictionary to be read: a kanji (the CJK
// ideograph blocks, 々 and 〆).
bool IsKanjiChar(char32_t cp);
bool HasKanji(std::string_view text);
// Whether every character is hiragana, katakana or the prolonged sound mark
// (and there is at least one).
bool IsKanaOnly(std::string_view text);

// How long vowels are written: "Tōkyō", "Tokyo" or "Toukyou" (letter by
// letter, ー repeating the vowel).
enum class LongVowels { Macron, Plain, Kana };

// One word of katakana in lower-case Hepburn: shi, chi, tsu, fu, ji; ン is
// "n", "n'" before a vowel or y; ッ doubles the next consonant ("tch" before
// ch). With `contract` (not for a verb's own "u": 思う stays "omou") the long
// vowels おう, おお, うう, ああ, ええ and ー follow `longVowels`; else only ー
// does. Characters that are not katakana stay as they are.
std::string KatakanaToRomaji(std::string_view katakana, LongVowels longVowels, bool contract = true);

}  // namespace hozanki
