// hozanki-cli substr: substring reference as a line filter.

#include "CliArguments.h"
#include "CliCommand.h"
#include "TextFilter.h"
#include "core/text/Substring.h"

namespace hozanki::cli {
namespace {

constexpr const char* kUsage =
    "substr START,END   (positions in code page 932 widths; 0 and negatives count from the right)";

int Run(const std::vector<std::string>& args) {
  const CliSyntax syntax{"substr", kUsage, {}, false, true};
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(syntax, args, status);
  if (!parsed) return status;
  if (parsed->operands.size() != 1) return UsageError(syntax, "one START,END argument is needed");
  const std::string& spec = parsed->operands[0];
  return RunLineFilter("substr", [&](std::string_view line) { return Substring(line, spec); });
}

const CliCommandRegistration kRegistration({"substr", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
