// hozanki-cli regexp: a Perl-style s/// or tr/// as a line filter.

#include "CliCommand.h"
#include "TextFilter.h"
#include "core/text/Regexp.h"

namespace hozanki::cli {
namespace {

constexpr const char* kUsage = "regexp PATTERN   (s/pattern/replacement/flags or tr/list/list/flags)";

int Run(const std::vector<std::string>& args) {
  if (!ArgumentsAreUtf8("regexp", args)) return kExitUsage;
  if (args.size() != 1) return UsageError("regexp", "one PATTERN is needed", kUsage);
  const std::string& pattern = args[0];
  return RunCheckedLineFilter("regexp", [&](std::string_view line, std::string& error) {
    return ApplyRegexp(pattern, line, &error);
  });
}

const CliCommandRegistration kRegistration({"regexp", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
