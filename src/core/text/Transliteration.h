#pragma once
// Perl's tr/SEARCH/REPLACE/cds on UTF-8 text, character by character.
// Lists hold characters, ranges "a-z" and escapes (\\ \- \n \t \r \f
// \xHH \x{HHHH}, a backslash before any other character for that character).
// A replacement list shorter than the search list repeats its last character,
// an empty one is the search list itself; `c` complements the search list,
// `d` deletes matched characters that have no replacement, `s` squeezes runs
// of characters translated to the same character.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hozanki {

class Transliteration {
 public:
  // False when a list is malformed (a reversed range, a bad escape).
  bool Parse(std::string_view search, std::string_view replace, bool complement, bool deleteUnmatched,
             bool squeeze);
  // Writes the transliterated text to `out`; returns the number of matched
  // characters.
  int Apply(std::string_view text, std::string& out) const;

 private:
  struct Range {
    char32_t low;
    char32_t high;
  };
  static bool ParseList(std::string_view list, std::vector<Range>& ranges);
  // Position of `cp` in the search list (complement aware); -1 when it is not
  // matched.
  long long SearchIndex(char32_t cp) const;
  char32_t ReplacementAt(long long index) const;

  std::vector<Range> search_;
  std::vector<Range> merged_;  // sorted, disjoint search set (complement)
  std::vector<Range> replace_;
  long long replaceSize_ = 0;
  bool complement_ = false;
  bool delete_ = false;
  bool squeeze_ = false;
  // For ASCII: the mapped character, kUnmatched or kDelete.
  static constexpr int32_t kUnmatched = -1;
  static constexpr int32_t kDelete = -2;
  int32_t ascii_[128] = {};
  int32_t Map(char32_t cp) const;
};

}  // namespace hozanki
