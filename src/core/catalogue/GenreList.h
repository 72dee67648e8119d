#pragma once
// The program's genre table: ID3v1 genre codes 0..155 and their names.

#include <span>
#include <string_view>
#include <vector>

namespace hozanki {

inline constexpr int kGenreCount = 156;

// Names of codes 0..155, in code order.
std::span<const std::string_view> GenreNames();
// The names as the genre boxes list them: alphabetical, ASCII case ignored
// (names equal but for case keep their code order).
std::vector<std::string_view> GenreNamesAlphabetical();
// Name of a code; empty for 255 and any code outside the table.
std::string_view GenreName(int code);
// Code of a name (exact spelling, ASCII case ignored), or -1.
int GenreCode(std::string_view name);

}  // namespace hozanki
