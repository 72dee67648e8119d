#include "core/text/WildcardReplace.h"

#include <array>

#include "core/text/Regexp.h"
#include "core/text/TextWidth.h"

namespace hozanki {

namespace {

constexpr std::string_view kEscaped = "|/^.$()[]{}+";

// Replaces every `from` in `text`, left to right, each search going on after
// the text put in; the result is built in one pass, in `scratch`.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to, std::string& scratch) {
  size_t pos = text.find(from);
  if (pos == std::string::npos) return;
  scratch.clear();
  size_t copied = 0;
  do {
    scratch.append(text, copied, pos - copied);
    scratch.append(to);
    copied = pos + from.size();
  } while ((pos = text.find(from, copied)) != std::string::npos);
  scratch.append(text, copied);
  text.swap(scratch);
}

}  // namespace

ReplacePattern BuildReplacePattern(std::string_view search, std::string_view replacement, bool ignoreCase) {
  ReplacePattern result;
  result.replacement.assign(replacement);
  if (search.empty()) return result;
  std::string body;
  body.reserve(search.size() * 2);
  for (size_t i = 0; i < search.size(); ++i) {
    char c = search[i];
    if (c == '\\' && i + 1 < search.size() && (search[i + 1] == '*' || search[i + 1] == '?')) {
      body.push_back('\\');
      body.push_back(search[++i]);
    } else if (c == '?') {
      body.append("(.?)");
    } else if (c == '*') {
      body.append("(.*?)");
    } else {
      if (kEscaped.find(c) != std::string_view::npos) body.push_back('\\');
      body.push_back(c);
    }
  }
  result.matchPattern = "/" + body + (ignoreCase ? "/ki" : "/k");
  return result;
}

std::string ApplyReplace(const ReplacePattern& pattern, std::string_view text, std::string* error) {
  if (error) error->clear();
  if (pattern.matchPattern.empty()) return std::string(text);
  std::string result;
  RegexpResult match;
  std::array<std::string_view, 10> slots;
  std::string replaced;
  std::string scratch;
  size_t position = 0;
  while (position < text.size()) {
    // Each search starts afresh at the remainder ("^" and "\b" see its start),
    // which is checked as UTF-8 with the whole text by the first search.
    std::string_view rest = text.substr(position);
    const int found = BMatchPiece(pattern.matchPattern, rest, position > 0, match);
    if (found == kRegexpMatchFailed) {
      if (error) *error = std::move(match.error);
      return std::string(text);
    }
    if (found <= 0) break;
    size_t matchStart = match.spans[0].start;
    size_t matchEnd = match.spans[0].end;
    result.append(rest.substr(0, matchStart));

    const int groups = match.groupCount < 9 ? match.groupCount : 9;
    int dropped = 0;
    slots.fill({});
    for (int g = 1; g <= 9; ++g) {
      std::string_view& slot = slots[static_cast<size_t>(g - dropped)];
      if (g > groups) {
        slot = {};
        continue;
      }
      const RegexpSpan& span = match.spans[static_cast<size_t>(g)];
      if (!span.Present()) {
        slot = {};
        ++dropped;
      } else if (span.start == span.end) {
        if (g == groups && span.end == matchEnd) {
          // A trailing wildcard takes the rest of the text.
          slot = rest.substr(span.start);
          matchEnd = rest.size();
        } else {
          // Matched nothing: the next group takes this slot (also for a last
          // group that the match goes on after).
          slot = {};
          ++dropped;
        }
      } else {
        slot = rest.substr(span.start, span.end - span.start);
      }
    }
    for (int k = 0; k < dropped; ++k) slots[static_cast<size_t>(9 - k)] = {};

    if (pattern.replacement.find('\\') == std::string::npos) {
      result.append(pattern.replacement);
    } else {
      replaced.assign(pattern.replacement);
      char name[2] = {'\\', '0'};
      for (int g = 1; g <= 9 && replaced.find('\\') != std::string::npos; ++g) {
        name[1] = static_cast<char>('0' + g);
        ReplaceAll(replaced, std::string_view(name, 2), slots[static_cast<size_t>(g)], scratch);
      }
      result.append(replaced);
    }

    if (matchEnd == 0) {
      // An empty match at the position (a search such as "\b"): keep one
      // character and go on, so that the loop always ends.
      char32_t cp;
      size_t len = DecodeUtf8Char(rest, 0, cp);
      result.append(rest.substr(0, len));
      matchEnd = len;
    }
    position += matchEnd;
  }
  result.append(text.substr(position < text.size() ? position : text.size()));
  return result;
}

std::string WildcardReplace(std::string_view search, std::string_view replacement, bool ignoreCase,
                            std::string_view text, std::string* error) {
  return ApplyReplace(BuildReplacePattern(search, replacement, ignoreCase), text, error);
}

}  // namespace hozanki
