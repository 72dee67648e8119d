#pragma once
// Subcommands of hozanki-cli. Each command lives in its own source file and
// registers itself with a static CliCommandRegistration.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/Failure.h"
#include "core/common/PathText.h"

namespace hozanki::cli {

// Exit statuses shared by the commands:
// 0 done;
// 1 a file (or data file, or the output) could not be handled: it could not
//   be read or written, its content refused the request, a new name
//   collided;
// 2 a usage error, or a request the rules refuse before any file is touched
//   (an unknown value name or tag kind, a tag kind the format excludes, a
//   value the tag cannot hold, a title that names nothing, a file argument
//   that names nothing).
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// The status of a run over several results: the gravest of them.
inline int WorseStatus(int a, int b) {
  return a > b ? a : b;
}

// Messages (errors, warnings, counts, confirmations) go to standard error;
// standard output carries only the command's results.
struct CliCommand {
  std::string name;     // "list", "convert", ...
  std::string usage;    // one or more lines shown by --help
  std::function<int(const std::vector<std::string>& args)> run;  // args after the name
};

std::vector<CliCommand>& CliCommands();

// A file argument as bytes: the escape form of list --json's "path" decoded
// (see PathText.h), any other text as it is.
inline std::string PathArgument(const std::string& argument) {
  return DecodePathText(argument);
}

// A hint for a file argument that was read as the escape form and names
// nothing, while its literal text names a file ("" otherwise).
std::string EscapedPathHint(const std::string& argument);

// A reason from the core as the command line words it: each failure record
// as its Japanese sentence with the English detail after it for scripts.
inline std::string Reason(std::string_view text) {
  return WordReasons(text, true);
}

struct CliCommandRegistration {
  explicit CliCommandRegistration(CliCommand command) { CliCommands().push_back(std::move(command)); }
};

}  // namespace hozanki::cli
