// hozanki-cli replace: wildcard replace as a line filter.

#include "CliArguments.h"
#include "CliCommand.h"
#include "TextFilter.h"
#include "core/text/WildcardReplace.h"

namespace hozanki::cli {
namespace {

constexpr const char* kUsage =
    "replace [--case-sensitive] [--] SEARCH REPLACEMENT   (wildcards * and ?, \\1-\\9)";

int Run(const std::vector<std::string>& args) {
  const CliSyntax syntax{"replace", kUsage, {{"--case-sensitive", "", false}}, false, true};
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(syntax, args, status);
  if (!parsed) return status;
  const std::vector<std::string>& texts = parsed->operands;
  if (texts.size() != 2) return UsageError(syntax, "SEARCH and REPLACEMENT are needed");
  const ReplacePattern pattern = BuildReplacePattern(texts[0], texts[1], !parsed->Has("--case-sensitive"));
  return RunCheckedLineFilter("replace", [&](std::string_view line, std::string& error) {
    return ApplyReplace(pattern, line, &error);
  });
}

const CliCommandRegistration kRegistration({"replace", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
