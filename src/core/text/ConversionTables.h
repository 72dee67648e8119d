#pragma once
// The width and kana tables of the character conversions. Their Unicode side
// is derived once, at first use, by converting code page 932 codes with iconv,
// so that the Microsoft mapping (0x817C is U+FF0D, 0x8160 U+FF5E, 0x818F
// U+FFE5) holds everywhere.

#include <array>
#include <cstdint>
#include <string>

namespace hozanki {

// The Unicode character of a one- or two-byte code page 932 code (0 when the
// code is not a character).
char32_t Cp932Character(uint16_t code);

struct ConversionTables {
  // Full width to half width, for the characters that have a half-width form.
  enum class FullClass : uint8_t { None, Letter, Digit, Symbol, Space, Kana };
  struct FullEntry {
    FullClass cls = FullClass::None;
    std::string half;  // one character, or a kana and its voicing mark
  };
  // Half width to full width, for ASCII and the half-width katakana.
  struct HalfEntry {
    char32_t full = 0;        // letter, digit, symbol or kana form (0: none)
    char32_t voiced = 0;      // with a following voicing mark ﾞ
    char32_t semiVoiced = 0;  // with a following semi-voicing mark ﾟ
  };

  // Entries for U+3000-U+30FF, U+FF00-U+FFFF and the few others.
  const FullEntry* FindFull(char32_t cp) const;
  // Entry for an ASCII character or a half-width katakana U+FF61-U+FF9F.
  const HalfEntry& Half(char32_t cp) const { return cp < 0x80 ? ascii[cp] : kana[cp - 0xFF61]; }

  std::array<FullEntry, 256> block30{};  // U+3000-U+30FF
  std::array<FullEntry, 256> blockFF{};  // U+FF00-U+FFFF
  std::array<FullEntry, 16> quotes{};    // U+2010-U+201F (’ ”)
  std::array<HalfEntry, 128> ascii{};
  std::array<HalfEntry, 63> kana{};  // U+FF61-U+FF9F

  // Hiragana and katakana of code page 932 (0x829F-0x82F1 and 0x8340-0x8393
  // without 0x837F), indexed by cp - 0x3000; 0 where there is no partner.
  std::array<char32_t, 256> hiraganaToKatakana{};
  std::array<char32_t, 256> katakanaToHiragana{};
};

// The tables, built on first use (thread-safe).
const ConversionTables& GetConversionTables();

}  // namespace hozanki
