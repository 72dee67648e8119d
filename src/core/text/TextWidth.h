#pragma once
// Walking UTF-8 text with code page 932 widths. A character is 1 wide when
// code page 932 stores it in one byte (U+0000-U+007F and the half-width
// katakana U+FF61-U+FF9F) and 2 wide otherwise, also when code page 932 cannot
// hold it. Every length limit, substring position and "never split a
// double-byte character" rule of the program counts with these widths. The
// UTF-8 walking itself is in core/common/Utf8.h.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/common/Utf8.h"

namespace hozanki {

constexpr int CharWidth(char32_t cp) {
  return (cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F)) ? 1 : 2;
}

// Sum of the character widths of the text.
size_t TextWidth(std::string_view text);

// The longest prefix whose width is at most `width`; a character that would
// cross the limit is left out whole.
std::string_view CutToWidth(std::string_view text, size_t width);

// Byte offset of the character that starts at width position `width`, or of
// the first character after it when a two-byte character straddles it
// (rounded up). Returns text.size() when the text is not that wide.
size_t ByteOffsetOfWidth(std::string_view text, size_t width);

// Byte offset of the last period of a file name, or npos when it has none.
// The name part is text.substr(0, pos), the extension (with its period)
// text.substr(pos).
size_t ExtensionPos(std::string_view name);

}  // namespace hozanki
