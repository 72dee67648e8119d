#pragma once
// Code page 932 (Shift-JIS, Microsoft's mapping) at the edges of the program.
// Inside, every text is UTF-8; these functions convert where text leaves or
// enters in a legacy form (settings and data files, ID3v1, RIFF INFO, ...).

#include <optional>
#include <string>
#include <string_view>

namespace hozanki {

// UTF-8 -> code page 932 bytes. Empty optional when the text does not fit:
// a character outside code page 932, or one that does not survive the round
// trip (U+301C, U+2212, U+00A5 ...). Never transliterates, never drops.
std::optional<std::string> EncodeCp932(std::string_view utf8);

// True when EncodeCp932 would succeed.
bool FitsCp932(std::string_view utf8);

// Code page 932 bytes -> UTF-8. A byte sequence that is not valid code page
// 932 is read byte by byte as ISO-8859-1, so nothing is ever dropped.
std::string DecodeCp932(std::string_view bytes);

// Legacy text as found in files: valid UTF-8 after a UTF-8 byte-order mark is
// UTF-8 (the mark removed); anything else is code page 932 as above.
std::string DecodeLegacy(std::string_view bytes);

// The first character of the text that does not fit code page 932, as UTF-8,
// and its byte offset; empty when the whole text fits.
struct MisfitCharacter {
  std::string character;
  size_t offset = 0;
};
std::optional<MisfitCharacter> FirstMisfitCp932(std::string_view utf8);

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace hozanki
