#include "core/listout/ListOutput.h"

#include <cstdio>

#include "core/common/AtomicFile.h"
#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

void AppendUtf16(std::string& out, char32_t cp) {
  auto unit = [&out](uint16_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  if (cp >= 0x10000) {
    cp -= 0x10000;
    unit(static_cast<uint16_t>(0xD800 + (cp >> 10)));
    unit(static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    unit(static_cast<uint16_t>(cp));
  }
}

}  // namespace

std::vector<std::string> SplitPreviewLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

std::string JoinPreviewLines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}

bool EncodeListOutput(const std::vector<std::string>& lines, ListEncoding encoding, std::string& bytes,
                      std::string* error) {
  bytes.clear();
  switch (encoding) {
    case ListEncoding::ShiftJis:
      for (size_t i = 0; i < lines.size(); ++i) {
        std::optional<std::string> encoded = EncodeCp932(lines[i]);
        if (!encoded) {
          if (error) {
            const std::optional<MisfitCharacter> misfit = FirstMisfitCp932(lines[i]);
            char32_t cp = 0;
            if (misfit) DecodeUtf8Char(misfit->character, 0, cp);
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
            *error = "line " + std::to_string(i + 1) + ": the character \"" +
                     (misfit ? misfit->character : std::string()) + "\" (" + code +
                     ") cannot be written in Shift-JIS; choose UTF-8 or UTF-16 output";
          }
          bytes.clear();
          return false;
        }
        if (i > 0) bytes += "\r\n";
        bytes += *encoded;
      }
      return true;
    case ListEncoding::Utf8:
      bytes = JoinPreviewLines(lines);
      return true;
    case ListEncoding::Utf16:
      bytes = "\xFF\xFE";
      for (const std::string& line : lines) {
        for (size_t pos = 0; pos < line.size();) {
          char32_t cp = 0;
          pos += DecodeUtf8Char(line, pos, cp);
          AppendUtf16(bytes, cp);
        }
        bytes.append("\r\0\n\0", 4);
      }
      return true;
  }
  return false;
}

bool WriteListOutput(const std::filesystem::path& path, const std::vector<std::string>& lines,
                     ListEncoding encoding, std::string* error) {
  std::string bytes;
  if (!EncodeListOutput(lines, encoding, bytes, error)) return false;
  return WriteFileAtomic(path, bytes, error);
}

}  // namespace hozanki
