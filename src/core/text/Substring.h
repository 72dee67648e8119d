#pragma once
// Substring reference: a part of a text picked by two positions, counted in
// code page 932 widths (TextWidth.h).

#include <string>
#include <string_view>

namespace hozanki {

// `spec` is "START,END", both decimal integers (anything else counts as 0).
// START >= 0 takes from width position START + 1; a negative START counts
// from the right (-1 is the last position). END > 0 is the last position
// taken; END <= 0 counts from the right (0 the last position, -1 the one
// before). "0,0" is the whole text; "2,4" on "abcdef" is "cd". A two-byte
// character that either end cuts in half is left out, never split.
std::string Substring(std::string_view text, std::string_view spec);

}  // namespace hozanki
