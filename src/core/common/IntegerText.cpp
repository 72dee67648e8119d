#include "core/common/IntegerText.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace hozanki {

bool ParseInteger(std::string_view text, int& value) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  long long v = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
  if (ec != std::errc() || ptr != text.data() + text.size()) return false;
  if (negative) v = -v;
  // Hexadecimal texts name 32-bit patterns (colours such as $80000008).
  if (base == 16 && v > std::numeric_limits<int>::max() && v <= 0xFFFFFFFFLL)
    v = static_cast<long long>(static_cast<int32_t>(static_cast<uint32_t>(v)));
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace hozanki
