#pragma once
// The names of the fourteen character conversions and of their five groups:
// one table from which the "変換(&T)" popups, the compound-edit choices and
// `hozanki-cli convert` are all built. A kind's number is part of its row:
// `hozanki-cli convert N`, the menus' item data and the manual page take it.
// A new kind gets the next free number wherever its row stands; a number is
// never moved or given to another kind.

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace hozanki {

enum class ConvertKind {
  ToLower,           // upper to lower case
  ToUpper,           // lower to upper case
  SwapCase,          // upper and lower case swapped
  CapitalizeWords,   // word-initial capitals, rest of each word lower case
  CapitalizeStarts,  // word-initial capitals, rest unchanged
  ToHalfWidth,       // full width to half width
  ToFullWidth,       // half width to full width
  SwapWidth,         // full and half width swapped
  ToKatakana,        // hiragana to katakana
  ToHiragana,        // katakana to hiragana
  SwapKana,          // hiragana and katakana swapped
  TrimLeft,          // leading white space removed
  TrimRight,         // trailing white space removed
  CompressSpaces,    // runs of white space (full-width spaces included) to one space
};
inline constexpr int kConvertKindCount = 14;

// The submenus of "変換(&T)", in menu order.
enum class ConvertGroup { Case, WordCapitals, Width, Kana, Trim };
inline constexpr int kConvertGroupCount = 5;

struct ConvertGroupInfo {
  ConvertGroup group;
  std::string_view caption;   // the submenu's caption, also the compound step kind's name
  std::string_view itemName;  // the submenu's object name after "PopupTConvert"/"PopupRConvert"
};

struct ConvertKindInfo {
  int number;  // the kind's stable number
  ConvertKind kind;
  ConvertGroup group;
  std::string_view caption;  // the menu item's caption, also the compound step's choice
  std::string_view cliName;  // `hozanki-cli convert NAME`
  // The menu item's object name after "PopupTConvert" (tag popup) and
  // "PopupRConvert" (rename popup).
  std::string_view tagItemName;
  std::string_view renameItemName;
};

// Every kind in menu order (ConvertKindTable()[n].kind is kind n).
std::span<const ConvertKindInfo> ConvertKindTable();
std::span<const ConvertGroupInfo> ConvertGroupTable();

const ConvertGroupInfo& ConvertGroupInfoOf(ConvertGroup group);
// The kinds of a group, in menu order.
std::span<const ConvertKindInfo> ConvertKindsOf(ConvertGroup group);

// The kind a command-line name ("lower", "swap-kana") names.
std::optional<ConvertKind> ConvertKindFromName(std::string_view text);
// The kind whose row has `number`, if any.
std::optional<ConvertKind> ConvertKindFromNumber(int number);

}  // namespace hozanki
