#pragma once
// Unicode simple case mapping of one character (the C.UTF-8 locale's tables).

namespace hozanki {

char32_t UnicodeUpper(char32_t cp);
char32_t UnicodeLower(char32_t cp);

}  // namespace hozanki
