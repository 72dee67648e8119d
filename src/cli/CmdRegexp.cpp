// hozanki-cli regexp: a Perl-style s/// or tr/// as a line filter.

#include "CliArguments.h"
#include "CliCommand.h"
#include "TextFilter.h"
#include "core/text/Regexp.h"

namespace hozanki::cli {
namespace {

constexpr const char* kUsage = "regexp PATTERN   (s/pattern/replacement/flags or tr/list/list/flags)";

int Run(const std::vector<std::string>& args) {
  const CliSyntax syntax{"regexp", kUsage, {}, false, true};
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(syntax, args, status);
  if (!parsed) return status;
  if (parsed->operands.size() != 1) return UsageError(syntax, "one PATTERN is needed");
  const std::string& pattern = parsed->operands[0];
  return RunCheckedLineFilter("regexp", [&](std::string_view line, std::string& error) {
    return ApplyRegexp(pattern, line, &error);
  });
}

const CliCommandRegistration kRegistration({"regexp", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
