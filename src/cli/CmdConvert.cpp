// hozanki-cli convert: the fourteen character conversions as a line filter.

#include "CliCommand.h"
#include "TextFilter.h"
#include "core/settings/IniFile.h"
#include "core/text/ConvertText.h"

namespace hozanki::cli {
namespace {

constexpr const char* kUsage = "convert KIND [--separators TEXT] [--options TEXT]   (KIND 0-13)";

int Run(const std::vector<std::string>& args) {
  if (!ArgumentsAreUtf8("convert", args)) return kExitUsage;
  std::string kindText;
  std::string separators;
  std::string options;
  bool haveKind = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "--separators" || args[i] == "--options") && i + 1 < args.size()) {
      (args[i] == "--separators" ? separators : options) = args[i + 1];
      ++i;
    } else if (!haveKind && !args[i].starts_with("--")) {
      kindText = args[i];
      haveKind = true;
    } else {
      return UsageError("convert", "unexpected argument \"" + args[i] + "\"", kUsage);
    }
  }
  int kind = -1;
  if (!haveKind || !IniFile::ParseInteger(kindText, kind) || kind < 0 || kind >= kConvertKindCount)
    return UsageError("convert", "KIND must be a number from 0 to 13", kUsage);
  return RunLineFilter("convert",
                       [&](std::string_view line) { return ConvertText(kind, line, separators, options); });
}

const CliCommandRegistration kRegistration({"convert", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
