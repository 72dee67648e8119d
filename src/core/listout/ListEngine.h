#pragma once
// The list engine: turns a template and the picked files into output lines.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/listout/PickedFile.h"
#include "core/listout/TemplateRow.h"

namespace hozanki {

// "%d:%02d:%02d" of hours, minutes and seconds; hours are not limited.
std::string FormatPlayTime(int64_t seconds);

// The base path of relative paths, used only while enabled.
struct BasePath {
  bool enabled = false;
  std::string path;
};

// The folder relative to the base, climbing with "../" as far as needed:
// with base /Music/Pop, /Music/Pop/Live/ gives Live/, /Music/Rock/ gives
// ../Rock/, /Music/Pop/ gives "". Unchanged when the base is off or empty.
std::string MakeRelativePath1(std::string_view folder, const BasePath& base);
// The folder with the base removed from its front when the base is a prefix
// of it; otherwise the folder unchanged.
std::string MakeRelativePath2(std::string_view folder, const BasePath& base);

// A CSV field: the text in double quotes, each quote inside doubled
// (`Don't "Stop"` -> `"Don't ""Stop"""`).
std::string QuoteCsvField(std::string_view text);
// Text for HTML: & < > " ' as &amp; &lt; &gt; &quot; &#39;.
std::string EscapeHtml(std::string_view text);

// A template's text after its escapes: "\\" -> "\", "\t" -> tab; nothing else.
std::string ExpandTextEscapes(std::string_view text);

// One generation: the accumulator, the finished lines and the two running
// times, over one set of picked files and their totals.
class ListEngine {
 public:
  ListEngine(const std::vector<PickedFile>& files, ListTotals totals, BasePath base);

  // Evaluates one row for file `fileIndex` (-1: no picked files) and appends
  // the value to the accumulator; a テキスト row with a line break moves the
  // accumulator into the lines.
  void ExpandTemplateRow(std::string_view item, std::string_view text, int fileIndex,
                         std::string_view option);

  // The whole list: rows before the loop block and after it once for
  // `currentFile` (-1 without files; out of range means the first file), the
  // loop block once per file in order; a non-empty last accumulator is the
  // last line. Resets the state first.
  std::vector<std::string> Generate(const std::vector<TemplateRow>& rows, int currentFile);

  const std::vector<std::string>& OutputLines() const { return lines_; }
  const std::string& Accumulator() const { return accumulator_; }

 private:
  struct CompiledRow {
    int item = -1;
    int option = -1;         // option number; -1 for none/other
    bool lineBreak = false;  // テキスト rows
    std::string text;        // escapes applied for テキスト rows
  };
  static CompiledRow Compile(std::string_view item, std::string_view text, std::string_view option);
  void Expand(const CompiledRow& row, int fileIndex);
  void Value(const CompiledRow& row, int fileIndex, std::string& value);

  const std::vector<PickedFile>& files_;
  ListTotals totals_;
  BasePath base_;
  std::string accumulator_;
  std::vector<std::string> lines_;
  int64_t runningTime1_ = 0;
  int64_t runningTime2_ = 0;
};

}  // namespace hozanki
