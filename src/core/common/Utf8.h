#pragma once
// Walking UTF-8 text one character at a time. A malformed sequence counts as
// one byte that stands for U+FFFD, so every byte of any text is walked over.

#include <cstddef>
#include <string>
#include <string_view>

namespace hozanki {

// Decodes the character at byte `pos`; returns its length in bytes (at least
// 1). A malformed sequence is one byte long and decodes to U+FFFD.
size_t DecodeUtf8Char(std::string_view text, size_t pos, char32_t& cp);

// Appends the UTF-8 form of `cp`.
void AppendUtf8(std::string& out, char32_t cp);

bool IsValidUtf8(std::string_view text);

}  // namespace hozanki
