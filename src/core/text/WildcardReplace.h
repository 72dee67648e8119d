#pragma once
// Replace with wildcards: `*` is a lazy run of characters, `?` one optional
// character, each a numbered group that the replacement names as \1 ... \9.
// "\*" and "\?" are a literal star and question mark; the characters
// | / ^ . $ ( ) [ ] { } + are literal; any other backslash sequence is a
// pattern escape ("\d" is a digit).

#include <string>
#include <string_view>

namespace hozanki {

// A built search: the match pattern for BMatch and the replacement text.
struct ReplacePattern {
  std::string matchPattern;  // "/.../k" or "/.../ki"; empty when the search is empty
  std::string replacement;
};

ReplacePattern BuildReplacePattern(std::string_view search, std::string_view replacement, bool ignoreCase);

// Replaces every match of the pattern in the text, left to right. An empty
// search or a pattern that the regular-expression layer rejects gives the
// text back unchanged. A last wildcard that ends the match takes the rest of
// the text; a wildcard that matched nothing gives its number to the next one.
// Time is linear in the text's length for searches that PCRE2 runs in linear
// time. With `error` given, it is cleared, and set to the reason when PCRE2
// gives up matching (its match limit, a text that is not UTF-8): the text
// then comes back unchanged as a whole.
std::string ApplyReplace(const ReplacePattern& pattern, std::string_view text, std::string* error = nullptr);

// BuildReplacePattern and ApplyReplace in one call.
std::string WildcardReplace(std::string_view search, std::string_view replacement, bool ignoreCase,
                            std::string_view text, std::string* error = nullptr);

}  // namespace hozanki
