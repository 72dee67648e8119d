#include "core/text/CaseMapping.h"

#include <locale.h>
#include <wctype.h>

namespace hozanki {

namespace {

locale_t Utf8Locale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

char32_t UnicodeUpper(char32_t cp) {
  if (cp < 0x80) return (cp >= 'a' && cp <= 'z') ? cp - 0x20 : cp;
  locale_t locale = Utf8Locale();
  if (!locale) return cp;
  return static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), locale));
}

char32_t UnicodeLower(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 0x20 : cp;
  locale_t locale = Utf8Locale();
  if (!locale) return cp;
  return static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), locale));
}

}  // namespace hozanki
