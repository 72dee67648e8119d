#include "core/tools/CommandLine.h"

namespace hozanki {

std::vector<std::string> SplitShellWords(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
      ++i;
    } else if (c == '\'') {
      inWord = true;
      const size_t end = text.find('\'', i + 1);
      word.append(text.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1));
      i = end == std::string_view::npos ? n : end + 1;
    } else if (c == '"') {
      inWord = true;
      ++i;
      while (i < n && text[i] != '"') {
        if (text[i] == '\\' && i + 1 < n) {
          const char next = text[i + 1];
          if (next == '$' || next == '`' || next == '"' || next == '\\') {
            word += next;
            i += 2;
            continue;
          }
          if (next == '\n') {
            i += 2;
            continue;
          }
        }
        word += text[i++];
      }
      ++i;  // the closing quote (or past the end)
    } else if (c == '\\') {
      inWord = true;
      if (i + 1 < n && text[i + 1] != '\n') word += text[i + 1];
      i += 2;
    } else {
      inWord = true;
      word += c;
      ++i;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

std::pair<std::string, std::string> SplitToolText(std::string_view text) {
  const size_t tab = text.find('\t');
  if (tab == std::string_view::npos) return {std::string(text), {}};
  return {std::string(text.substr(0, tab)), std::string(text.substr(tab + 1))};
}

std::string JoinToolText(std::string_view program, std::string_view parameters) {
  std::string text(program);
  text += '\t';
  text.append(parameters);
  return text;
}

ProgramCall BuildToolCall(std::string_view program, std::string_view parameters, std::string_view folder,
                          const std::vector<std::string>& names) {
  ProgramCall call{std::string(program), SplitShellWords(parameters)};
  std::string prefix(folder);
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  for (const std::string& name : names) call.arguments.push_back(prefix + name);
  return call;
}

}  // namespace hozanki
