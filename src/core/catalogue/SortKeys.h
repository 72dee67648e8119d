#pragma once
// Sorting the file rows of a format by one of the file-list columns 1-4 (name,
// size, time stamp, playing time). Each row's key is built once: the column's
// text turned into code page 932 bytes (kanji in JIS order; characters that
// code page 932 cannot hold sort after all others, by code point) with ASCII
// letters upper-cased, compared as if filled up with blanks. Equal keys keep
// their current order when ascending; descending is the exact reverse of
// ascending, so equal keys then come in reverse current order.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue/MediaFileEntry.h"

namespace hozanki {

// The sortable file-list columns.
enum class SortColumn { Name = 1, Size = 2, TimeStamp = 3, PlayingTime = 4 };

// The main window's 32-bit sort key: column × 2 − 2, plus 1 for descending
// (0/1 name, 2/3 size, 4/5 time stamp, 6/7 playing time).
constexpr int SortKeyCode(SortColumn column, bool descending) {
  return static_cast<int>(column) * 2 - 2 + (descending ? 1 : 0);
}

// A UTF-8 text as comparison bytes: code page 932 bytes with ASCII letters
// upper-cased; a character outside code page 932 becomes 0xFF and its code
// point in three bytes. Trailing blanks are dropped (they compare equal to the
// implicit fill).
std::string TextSortKey(std::string_view utf8);

// The key of one row for a column: name and time stamp text as above; size as
// 20 decimal digits; playing time text without ":" and left-filled with "0"
// to 10 characters ("9:59" < "10:00").
std::string RowSortKey(const MediaFileEntry& entry, SortColumn column);

// Compares two keys, the shorter one filled up with blanks. Negative, 0 or positive.
int CompareSortKeys(std::string_view a, std::string_view b);

// The new order of a format's rows sorted by a column: order[newRow] =
// oldRow (what Catalogue::Reorder takes).
std::vector<int> SortOrder(const std::vector<MediaFileEntry>& entries, SortColumn column, bool descending);

// The order that sorts rows by precomputed keys (compared as
// CompareSortKeys does): stable when ascending, its exact reverse when
// descending. order[newRow] = oldRow.
std::vector<int> SortOrderByKeys(const std::vector<std::string>& keys, bool descending);

// Reorders the entries of one format by a column. Every list of the format is
// a view over this vector, so the file list and its tag tables stay parallel.
void SortEntries(std::vector<MediaFileEntry>& entries, SortColumn column, bool descending);

// The sort mark of a column caption: a left-aligned caption ("ﾌｧｲﾙ名 ")
// carries it in its last character, a right-aligned one (" ｻｲｽﾞ") in its
// first. `mark` is '+', '-' or ' '. Returns the caption with the mark put in.
std::string WithSortMark(std::string_view caption, bool rightAligned, char mark);

// The mark a caption carries now ('+', '-' or ' ').
char SortMarkOf(std::string_view caption, bool rightAligned);

}  // namespace hozanki
