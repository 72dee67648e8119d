#include "core/catalogue/SortKeys.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <numeric>

#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

// Code page 932 code of every BMP character that code page 932 holds (0 when
// none), built once from iconv's own mapping: each double-byte code is decoded
// and kept where encoding its character gives that code back.
class Cp932Table {
 public:
  Cp932Table() : codes_(std::make_unique<std::array<uint16_t, 0x10000>>()) {
    codes_->fill(0);
    for (char32_t cp = 0xFF61; cp <= 0xFF9F; ++cp) (*codes_)[cp] = static_cast<uint16_t>(cp - 0xFF61 + 0xA1);
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (lead > 0x9F && lead < 0xE0) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        std::string_view code(bytes, 2);
        std::string text = DecodeCp932(code);
        char32_t cp = 0;
        if (text.empty() || DecodeUtf8Char(text, 0, cp) != text.size() || cp > 0xFFFF || cp < 0x80) continue;
        if ((*codes_)[cp] != 0) continue;
        std::optional<std::string> back = EncodeCp932(text);
        if (back && *back == code) (*codes_)[cp] = static_cast<uint16_t>(lead << 8 | trail);
      }
    }
  }
  uint16_t Code(char32_t cp) const { return cp <= 0xFFFF ? (*codes_)[cp] : 0; }

 private:
  std::unique_ptr<std::array<uint16_t, 0x10000>> codes_;
};

const Cp932Table& Table() {
  static const Cp932Table table;
  return table;
}

void RemoveTrailingBlanks(std::string& key) {
  while (!key.empty() && key.back() == ' ') key.pop_back();
}

const std::string& CellText(const MediaFileEntry& entry, size_t index) {
  static const std::string empty;
  return index < entry.file.cells.size() ? entry.file.cells[index].text : empty;
}

}  // namespace

std::string TextSortKey(std::string_view utf8) {
  const Cp932Table& table = Table();
  std::string key;
  key.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    i += DecodeUtf8Char(utf8, i, cp);
    if (cp < 0x80) {
      key.push_back(static_cast<char>(cp >= U'a' && cp <= U'z' ? cp - 0x20 : cp));
    } else if (uint16_t code = table.Code(cp); code != 0) {
      if (code > 0xFF) key.push_back(static_cast<char>(code >> 8));
      key.push_back(static_cast<char>(code & 0xFF));
    } else {
      // After every code page 932 code (lead bytes end at 0xFC); never a blank.
      key.push_back(static_cast<char>(0xFF));
      key.push_back(static_cast<char>(0x80 | ((cp >> 14) & 0x7F)));
      key.push_back(static_cast<char>(0x80 | ((cp >> 7) & 0x7F)));
      key.push_back(static_cast<char>(0x80 | (cp & 0x7F)));
    }
  }
  RemoveTrailingBlanks(key);
  return key;
}

std::string RowSortKey(const MediaFileEntry& entry, SortColumn column) {
  switch (column) {
    case SortColumn::Name:
      return TextSortKey(CellText(entry, 0));
    case SortColumn::Size: {
      std::string digits = std::to_string(entry.size);
      std::string key(20 - std::min<size_t>(20, digits.size()), '0');
      key.append(digits);
      return key;
    }
    case SortColumn::TimeStamp:
      return TextSortKey(CellText(entry, 2));
    case SortColumn::PlayingTime: {
      const std::string& cell = CellText(entry, 3);
      size_t digits = cell.size() - static_cast<size_t>(std::count(cell.begin(), cell.end(), ':'));
      std::string text(digits < 10 ? 10 - digits : 0, '0');
      for (char c : cell)
        if (c != ':') text.push_back(c);
      return TextSortKey(text);
    }
  }
  return std::string();
}

int CompareSortKeys(std::string_view a, std::string_view b) {
  size_t common = std::min(a.size(), b.size());
  if (common > 0) {
    int c = std::memcmp(a.data(), b.data(), common);
    if (c != 0) return c < 0 ? -1 : 1;
  }
  // The shorter key is filled up with blanks.
  std::string_view rest = a.size() > b.size() ? a.substr(common) : b.substr(common);
  int sign = a.size() > b.size() ? 1 : -1;
  for (unsigned char ch : rest) {
    if (ch != ' ') return ch > ' ' ? sign : -sign;
  }
  return 0;
}

std::vector<int> SortOrderByKeys(const std::vector<std::string>& keys, bool descending) {
  std::vector<int> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&keys](int x, int y) {
    return CompareSortKeys(keys[static_cast<size_t>(x)], keys[static_cast<size_t>(y)]) < 0;
  });
  if (descending) std::reverse(order.begin(), order.end());
  return order;
}

std::vector<int> SortOrder(const std::vector<MediaFileEntry>& entries, SortColumn column, bool descending) {
  const size_t n = entries.size();
  std::vector<std::string> keys(n);
  for (size_t i = 0; i < n; ++i) keys[i] = RowSortKey(entries[i], column);
  return SortOrderByKeys(keys, descending);
}

void SortEntries(std::vector<MediaFileEntry>& entries, SortColumn column, bool descending) {
  if (entries.size() < 2) return;
  std::vector<int> order = SortOrder(entries, column, descending);
  std::vector<MediaFileEntry> sorted;
  sorted.reserve(entries.size());
  for (int i : order) sorted.push_back(std::move(entries[static_cast<size_t>(i)]));
  entries = std::move(sorted);
}

std::string WithSortMark(std::string_view caption, bool rightAligned, char mark) {
  if (caption.empty()) return std::string(1, mark);
  if (rightAligned) {
    char32_t cp = 0;
    size_t first = DecodeUtf8Char(caption, 0, cp);
    std::string out(1, mark);
    out.append(caption.substr(first));
    return out;
  }
  size_t last = caption.size() - 1;
  while (last > 0 && (static_cast<unsigned char>(caption[last]) & 0xC0) == 0x80) --last;
  std::string out(caption.substr(0, last));
  out.push_back(mark);
  return out;
}

char SortMarkOf(std::string_view caption, bool rightAligned) {
  if (caption.empty()) return ' ';
  char c = rightAligned ? caption.front() : caption.back();
  return (c == '+' || c == '-') ? c : ' ';
}

}  // namespace hozanki
