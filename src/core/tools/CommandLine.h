#pragma once
// Command lines of user tools and players as a program and an argument list:
// nothing is ever handed to a shell. A tool's menu entry carries its program
// path and its parameter text joined by one tab; the parameter text is split
// into words the way a POSIX shell splits them (blanks separate words; single
// quotes keep everything literally; double quotes keep blanks and let a
// backslash escape only $ ` " \ and a line break; outside quotes a backslash
// escapes the next character). No expansion of any kind is done: "$HOME" and
// "*" stay as typed. An unterminated quote runs to the end of the text.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hozanki {

struct ProgramCall {
  std::string program;
  std::vector<std::string> arguments;

  bool operator==(const ProgramCall&) const = default;
};

// The words of a parameter text.
std::vector<std::string> SplitShellWords(std::string_view text);

// A tool entry's text split at its first tab: program path and parameters.
// Text without a tab is a program path with no parameters.
std::pair<std::string, std::string> SplitToolText(std::string_view text);
// The reverse: program, tab, parameters.
std::string JoinToolText(std::string_view program, std::string_view parameters);

// The call of a tool or player on files: the program, the words of the
// parameters, then each file as `folder` (a "/" added when it lacks one)
// followed by its name relative to that folder, one argument per file.
ProgramCall BuildToolCall(std::string_view program, std::string_view parameters, std::string_view folder,
                          const std::vector<std::string>& names);

}  // namespace hozanki
