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

// A tag field's bytes as found in files (ID3v1 fields, ISO-8859-1 frames of
// ID3v2, RIFF INFO and VQF chunks, APE version 1 items), read as
// ReadLegacyBytes (core/text/EncodingRepair.h) reads them: behind a UTF-8
// byte-order mark, or strictly valid UTF-8 that holds a multi-byte sequence,
// UTF-8 (Linux tools write RIFF INFO so); code page 932 when the bytes are
// valid there and read as Japanese; else ISO-8859-1 ("Motörhead", "Père").
std::string DecodeTagText(std::string_view bytes);

// The code page 932 bytes of `utf8` for a tag field: empty optional when the
// text does not fit code page 932, or when DecodeTagText would not read the
// bytes back as the same text (half-width katakana such as "ﾃｩ" are the
// bytes of UTF-8 "é"; "5×5" in code page 932 reads as ISO-8859-1).
std::optional<std::string> EncodeTagTextCp932(std::string_view utf8);

// The UTF-8 bytes of `utf8` for a tag field, without a byte-order mark:
// DecodeTagText reads them back as the same text. (Only a text that itself
// starts with U+FEFF gets a mark in front, which reading removes again.)
std::string EncodeTagTextUtf8(std::string_view utf8);

// The first character of the text that does not fit code page 932, as UTF-8,
// and its byte offset; empty when the whole text fits.
struct MisfitCharacter {
  std::string character;
  size_t offset = 0;
};
std::optional<MisfitCharacter> FirstMisfitCp932(std::string_view utf8);

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace hozanki
