#pragma once
// Integer text as the settings and the data files store it: decimal with an
// optional sign, or hexadecimal after "$" or "0x" (a 32-bit pattern, so
// "$80000008" is negative); blanks and tabs around it are ignored.

#include <string_view>

namespace hozanki {

// False, `value` untouched, for anything else or a value out of 32-bit range.
bool ParseInteger(std::string_view text, int& value);

}  // namespace hozanki
