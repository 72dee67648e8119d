#pragma once
// RIFF INFO lists (WAV, AVI) and other legacy text chunks (VQF): code page 932
// bytes in files, UTF-8 inside.
//
// Writing: code page 932 when the text fits; otherwise UTF-8 behind a UTF-8
// byte-order mark, which this layer reads back as the same text (other
// programs show it as UTF-8 too, or at worst as visible bytes). Nothing is
// dropped or replaced by '?'.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hozanki {

// UTF-8 text -> legacy bytes (code page 932, else BOM + UTF-8).
std::string EncodeLegacyText(std::string_view utf8);
// Legacy bytes -> UTF-8; the text ends at the first NUL.
std::string DecodeLegacyText(std::string_view bytes);

// Installs the process-wide TagLib RIFF INFO string handler that does the two
// conversions above. Safe to call from several threads; installs once.
void InstallRiffInfoStringHandler();

// True for a FourCC of four characters A-Z, a-z, 0-9 or blank (e.g. "IART").
bool IsInfoFieldName(std::string_view name);

// Fields of an INFO list in file order (FourCC, UTF-8 text). `data` is the
// LIST body after "INFO"; broken or truncated fields end the list.
using InfoFields = std::vector<std::pair<std::string, std::string>>;
InfoFields ParseInfoList(std::string_view data);
// A whole "LIST" "INFO" chunk with the non-empty fields (NUL-terminated,
// padded to even sizes); empty when there are no fields.
std::string RenderInfoList(const InfoFields& fields);

}  // namespace hozanki
