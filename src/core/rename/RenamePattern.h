#pragma once
// Fixed-form rename patterns: per format, named lists of items, each literal
// text or a field of the file, taken whole, cut by a substring reference or
// rewritten by a regular expression. Stored in "NR284Ren.dat".

#include <array>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/FormatRegistry.h"

namespace hozanki {

inline constexpr const char* kRenamePatternFileName = "NR284Ren.dat";

// Options of an item; an item of kind テキスト has none.
inline constexpr int kPatternWhole = 0;      // "全体参照"
inline constexpr int kPatternSubstring = 1;  // "部分参照"
inline constexpr int kPatternRegexp = 2;     // "正規表現"
inline constexpr int kPatternNoOption = -1;
inline constexpr int kPatternTextCode = 900;
inline constexpr std::array<std::string_view, 3> kPatternOptionNames = {"全体参照", "部分参照", "正規表現"};

// One item: code = kind + 100 × (option + 1), 900 for テキスト (900 + kind
// for another kind without an option).
struct PatternItem {
  int code = kPatternTextCode;
  std::string text;

  int Kind() const { return code % 100; }
  // 0..2; a quotient above 3 means no option (kPatternNoOption); a quotient
  // of 0 reads as -1 as well and is treated like any unknown option.
  int Option() const { return code / 100 > 3 ? kPatternNoOption : code / 100 - 1; }
  static PatternItem Make(int kind, int option, std::string text);

  bool operator==(const PatternItem&) const = default;
};

struct RenamePattern {
  std::string title;
  std::vector<PatternItem> items;

  bool operator==(const RenamePattern&) const = default;
};

// One ordered pattern list per format, in format order.
using RenamePatternStore = std::array<std::vector<RenamePattern>, kFormatCount>;

// The item names of a format's kind list; the kind of an item is its index.
// "-----" entries are separators.
std::span<const std::string_view> RenameItemNames(MediaFormat format);

// What a kind of a format stands for.
enum class PatternField {
  Text,
  Separator,
  Name,
  Extension,
  Size,
  TimeStamp,
  PlayTime,
  Seconds,
  AudioFormat,
  VideoFormat,
  Tag
};
struct PatternFieldOf {
  PatternField field = PatternField::Separator;
  int tagField = 0;  // for Tag: 1 for the first tag field after the separator
};
PatternFieldOf FieldOfKind(MediaFormat format, int kind);

// Reads "NR284Ren.dat" (after recovering it from its recovery copy). A missing
// file gives empty lists; short or damaged values give code 900 and what is
// left of the text. A file that exists but cannot be read gives empty lists
// too, and its reason in `readError` (cleared otherwise): such a store must
// not be saved over the file.
RenamePatternStore LoadRenamePatterns(const std::filesystem::path& path, std::string* readError = nullptr);
// Erases and rewrites the eight format sections in order; atomic, through
// the recovery copy. Refused when the file exists but cannot be read.
bool SaveRenamePatterns(const std::filesystem::path& path, const RenamePatternStore& store,
                        std::string* error = nullptr);

}  // namespace hozanki
