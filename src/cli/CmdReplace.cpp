// hozanki-cli replace: wildcard replace as a line filter.

#include "CliCommand.h"
#include "TextFilter.h"
#include "core/text/WildcardReplace.h"

namespace hozanki::cli {
namespace {

constexpr const char* kUsage =
    "replace [--case-sensitive] [--] SEARCH REPLACEMENT   (wildcards * and ?, \\1-\\9)";

int Run(const std::vector<std::string>& args) {
  if (!ArgumentsAreUtf8("replace", args)) return kExitUsage;
  bool caseSensitive = false;
  std::vector<std::string> texts;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && arg == "--case-sensitive")
      caseSensitive = true;
    else if (!optionsEnded && arg == "--")
      optionsEnded = true;
    else
      texts.push_back(arg);
  }
  if (texts.size() != 2) return UsageError("replace", "SEARCH and REPLACEMENT are needed", kUsage);
  const ReplacePattern pattern = BuildReplacePattern(texts[0], texts[1], !caseSensitive);
  return RunCheckedLineFilter("replace", [&](std::string_view line, std::string& error) {
    return ApplyReplace(pattern, line, &error);
  });
}

const CliCommandRegistration kRegistration({"replace", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
