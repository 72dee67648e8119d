#pragma once
// `TFormSetAll` ("一括入力") without the window: which page a column gets, the
// values the pages produce for the rows, and storing them; the "SetAll"
// settings keys; and the ID3v1 genre rule shared with the genre editors.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/tagedit/EditTarget.h"

namespace hozanki {

namespace settings::setall {
inline constexpr std::string_view kSection = "SetAll";
inline constexpr std::string_view kAllNo = "AllNo";  // "桁揃え" of the numbering page
inline constexpr bool kAllNoDefault = true;
inline constexpr std::string_view kAllNo2 = "AllNo2";  // "桁揃え" of the n/m page
inline constexpr bool kAllNo2Default = true;
inline constexpr std::string_view kTotal = "Total";  // "選択数"
inline constexpr bool kTotalDefault = true;
}  // namespace settings::setall

// The five pages: single line, genre, multi-line, running number, n/m.
enum class SetAllPage { TS1, TS2, TS3, TS4, TS5 };

// How the dialog shows for a column.
struct SetAllLayout {
  SetAllPage page = SetAllPage::TS1;
  int height = 130;            // dialog height in pixels
  bool okIsDefault = true;     // false on the memo page (Enter makes a new line)
  bool affixesShown = true;    // TS4: "前文字列" and "後文字列"
  bool zeroPadEnabled = true;  // TS4: "桁揃え"
  size_t maxLength = 0;        // TS1: length limit, 0 none
};

// The page for value column `column` (the edit column, >= 2) of a table:
// memo columns TS3, genre TS2, number pairs TS5, the track number column
// (caption "№") TS4, any other TS1.
SetAllLayout ChooseSetAllPage(TagKind kind, int column);

// The running-number page (TS4) and the n/m page (TS5).
struct SetAllNumbering {
  int start = 1;        // "開始番号", 0..99
  int step = 1;         // "加算値", 0..99
  bool zeroPad = true;  // "桁揃え": "%02d"
  std::string prefix;   // TS4 "前文字列"
  std::string suffix;   // TS4 "後文字列"
};

// TS4: `count` values prefix + number + suffix; after each value the number
// grows by the step, modulo 100 on a column with a length limit (tag != 0).
std::vector<std::string> NumberingValues(const SetAllNumbering& numbering, int columnTag, size_t count);
// TS5: `count` values number + "/" + total (the number alone when `total` is
// empty); the number modulo 100 on every limited or pair column.
std::vector<std::string> PairNumberingValues(const SetAllNumbering& numbering, int columnTag,
                                             std::string_view total, size_t count);

// The genre list as the genre editors hold it: "" and the 156 names.
bool IsGenreListEntry(std::string_view text);
// The ID3v1 genre rule: a text not in the genre list (letter case ignored)
// becomes empty; a text that is, stays as typed.
std::string Id3v1GenreValue(std::string_view text);

// What the user entered.
struct SetAllInput {
  SetAllPage page = SetAllPage::TS1;
  std::string text;  // TS1 edit, TS2 combo box, TS3 memo
  SetAllNumbering numbering;
  // TS5: with `useSelectionCount` ("選択数") the total is the number of rows taken.
  bool useSelectionCount = true;
  std::string total;
};

// Stores the dialog's values into the rows open to editing among the rows
// taken: every row when `selectAll` ("すべて選択") or nothing is selected,
// else `selected`. Only changed cells are stored (SetCellValue). Returns the
// cells stored; on a limited column the running number has no prefix or
// suffix (those fields are hidden there). `totalShown`, when given,
// receives the total text used.
int ApplySetAll(Catalogue& catalogue, const EditTarget& target, std::span<const int> selected, bool selectAll,
                const SetAllInput& input, std::string* totalShown = nullptr);

}  // namespace hozanki
