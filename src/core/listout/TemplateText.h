#pragma once
// The text form of a template: literal text as itself, value items as
// %-tokens ("%F_FILE%", "%T_TIT[0,4]%", "%T_ART(s/ +$//)%"; escaped for a
// format as "%T_TIT:csv%" and "%T_TIT:html%"), the loop block
// between the lines "%LOOP_START%" and "%LOOP_END%", "%%" for "%", a tab for
// the escape "\t", and the end of a line for a line break.

#include <filesystem>
#include <string>
#include <vector>

#include "core/listout/TemplateRow.h"

namespace hozanki {

// The template's rows as text lines.
std::vector<std::string> ExportTemplate(const std::vector<TemplateRow>& rows);
// Rows from text lines. Unknown tokens, unterminated patterns and stray "%"
// stay literal text; tokens are matched longest first.
std::vector<TemplateRow> ImportTemplate(const std::vector<std::string>& lines);

// Reads the lines of a template file (code page 932, or UTF-8 after a
// byte-order mark). False with `error` when it cannot be read.
bool ReadTemplateFile(const std::filesystem::path& path, std::vector<std::string>& lines,
                      std::string* error = nullptr);
// Writes the lines, each ended by CR LF, in code page 932 (the whole file as
// UTF-8 with a byte-order mark when some text does not fit); atomic.
bool WriteTemplateFile(const std::filesystem::path& path, const std::vector<std::string>& lines,
                       std::string* error = nullptr);

}  // namespace hozanki
