// hozanki-cli substr: substring reference as a line filter.

#include "CliCommand.h"
#include "TextFilter.h"
#include "core/text/Substring.h"

namespace hozanki::cli {
namespace {

constexpr const char* kUsage =
    "substr START,END   (positions in code page 932 widths; 0 and negatives count from the right)";

int Run(const std::vector<std::string>& args) {
  if (!ArgumentsAreUtf8("substr", args)) return kExitUsage;
  if (args.size() != 1) return UsageError("substr", "one START,END argument is needed", kUsage);
  const std::string& spec = args[0];
  return RunLineFilter("substr", [&](std::string_view line) { return Substring(line, spec); });
}

const CliCommandRegistration kRegistration({"substr", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
