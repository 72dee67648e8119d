#include "core/text/Transliteration.h"

#include <algorithm>

#include "core/text/TextWidth.h"

namespace hozanki {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads one list element at `pos`; false on a malformed escape.
bool ReadElement(std::string_view list, size_t& pos, char32_t& cp) {
  if (list[pos] != '\\' || pos + 1 >= list.size()) {
    pos += DecodeUtf8Char(list, pos, cp);
    return true;
  }
  char c = list[pos + 1];
  pos += 2;
  switch (c) {
    case 'n':
      cp = '\n';
      return true;
    case 't':
      cp = '\t';
      return true;
    case 'r':
      cp = '\r';
      return true;
    case 'f':
      cp = '\f';
      return true;
    case 'e':
      cp = 0x1B;
      return true;
    case 'x': {
      char32_t value = 0;
      if (pos < list.size() && list[pos] == '{') {
        size_t close = list.find('}', pos);
        if (close == std::string_view::npos || close == pos + 1 || close - pos > 7) return false;
        for (size_t i = pos + 1; i < close; ++i) {
          int h = HexValue(list[i]);
          if (h < 0) return false;
          value = value * 16 + static_cast<char32_t>(h);
        }
        pos = close + 1;
      } else {
        for (int n = 0; n < 2 && pos < list.size() && HexValue(list[pos]) >= 0; ++n, ++pos)
          value = value * 16 + static_cast<char32_t>(HexValue(list[pos]));
      }
      if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
      cp = value;
      return true;
    }
    default:
      --pos;  // the escaped character itself, which may be multi-byte
      pos += DecodeUtf8Char(list, pos, cp);
      return true;
  }
}

}  // namespace

bool Transliteration::ParseList(std::string_view list, std::vector<Range>& ranges) {
  ranges.clear();
  size_t pos = 0;
  while (pos < list.size()) {
    char32_t low;
    if (!ReadElement(list, pos, low)) return false;
    if (pos + 1 < list.size() && list[pos] == '-') {
      size_t next = pos + 1;
      char32_t high;
      if (!ReadElement(list, next, high)) return false;
      if (high < low) return false;
      ranges.push_back({low, high});
      pos = next;
    } else {
      ranges.push_back({low, low});
    }
  }
  return true;
}

bool Transliteration::Parse(std::string_view search, std::string_view replace, bool complement,
                            bool deleteUnmatched, bool squeeze) {
  if (!ParseList(search, search_) || !ParseList(replace, replace_)) return false;
  complement_ = complement;
  delete_ = deleteUnmatched;
  squeeze_ = squeeze;
  replaceSize_ = 0;
  for (const Range& r : replace_) replaceSize_ += static_cast<long long>(r.high - r.low) + 1;
  merged_ = search_;
  std::sort(merged_.begin(), merged_.end(), [](const Range& a, const Range& b) { return a.low < b.low; });
  std::vector<Range> disjoint;
  for (const Range& r : merged_) {
    if (!disjoint.empty() && r.low <= disjoint.back().high + 1)
      disjoint.back().high = std::max(disjoint.back().high, r.high);
    else
      disjoint.push_back(r);
  }
  merged_ = std::move(disjoint);
  for (char32_t c = 0; c < 128; ++c) ascii_[c] = Map(c);
  return true;
}

long long Transliteration::SearchIndex(char32_t cp) const {
  if (!complement_) {
    long long base = 0;
    for (const Range& r : search_) {
      if (cp >= r.low && cp <= r.high) return base + (cp - r.low);
      base += static_cast<long long>(r.high - r.low) + 1;
    }
    return -1;
  }
  long long below = 0;  // members of the search set below cp
  for (const Range& r : merged_) {
    if (cp >= r.low && cp <= r.high) return -1;
    if (r.high < cp) below += static_cast<long long>(r.high - r.low) + 1;
  }
  return static_cast<long long>(cp) - below;
}

char32_t Transliteration::ReplacementAt(long long index) const {
  for (const Range& r : replace_) {
    long long size = static_cast<long long>(r.high - r.low) + 1;
    if (index < size) return r.low + static_cast<char32_t>(index);
    index -= size;
  }
  return replace_.back().high;
}

int32_t Transliteration::Map(char32_t cp) const {
  long long index = SearchIndex(cp);
  if (index < 0) return kUnmatched;
  if (index < replaceSize_) return static_cast<int32_t>(ReplacementAt(index));
  if (delete_) return kDelete;
  if (replaceSize_ == 0) return static_cast<int32_t>(cp);
  return static_cast<int32_t>(replace_.back().high);
}

int Transliteration::Apply(std::string_view text, std::string& out) const {
  out.clear();
  out.reserve(text.size());
  int count = 0;
  int32_t lastTranslated = kUnmatched;
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp;
    size_t len = DecodeUtf8Char(text, pos, cp);
    int32_t mapped = cp < 128 ? ascii_[cp] : Map(cp);
    if (mapped == kUnmatched) {
      out.append(text.substr(pos, len));
      lastTranslated = kUnmatched;
    } else {
      ++count;
      if (mapped != kDelete && !(squeeze_ && mapped == lastTranslated)) {
        AppendUtf8(out, static_cast<char32_t>(mapped));
      }
      if (mapped != kDelete) lastTranslated = mapped;
    }
    pos += len;
  }
  return count;
}

}  // namespace hozanki
