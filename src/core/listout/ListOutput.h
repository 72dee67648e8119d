#pragma once
// Writing a generated list to a file.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace hozanki {

enum class ListEncoding {
  ShiftJis,  // code page 932, lines separated by CR LF
  Utf16,     // UTF-16 LE after FF FE, every line (the last too) ending in CR LF
  Utf8,      // UTF-8 without a byte-order mark, lines separated by CR LF
};

// The lines of a preview text: split at CR LF, LF or CR; a final line break
// does not begin another line, so "" has no lines.
std::vector<std::string> SplitPreviewLines(std::string_view text);
// Lines joined by CR LF, as the preview shows them.
std::string JoinPreviewLines(const std::vector<std::string>& lines);

// The file bytes of `lines` in `encoding`. For Shift-JIS a line with a
// character that code page 932 cannot hold fails: `error` names the
// character and its line (from 1) and suggests UTF-8 or UTF-16 output.
bool EncodeListOutput(const std::vector<std::string>& lines, ListEncoding encoding, std::string& bytes,
                      std::string* error = nullptr);

// Encodes and writes atomically (replacing the file); nothing is written
// when encoding fails.
bool WriteListOutput(const std::filesystem::path& path, const std::vector<std::string>& lines,
                     ListEncoding encoding, std::string* error = nullptr);

}  // namespace hozanki
