// hozanki-cli convert: the fourteen character conversions as a line filter.

#include <iostream>

#include "CliArguments.h"
#include "CliCommand.h"
#include "TextFilter.h"
#include "core/common/IntegerText.h"
#include "core/text/ConvertText.h"

namespace hozanki::cli {
namespace {

// "convert KIND ..." followed by the kinds, group by group, as the menus
// hold them: "  lower (0)  大文字 ⇒ 小文字".
std::string Usage() {
  std::string usage = "convert KIND [--separators TEXT] [--options TEXT]   convert each line; KIND is";
  for (const ConvertGroupInfo& group : ConvertGroupTable()) {
    usage += "\n      " + std::string(group.caption) + ":";
    for (const ConvertKindInfo& kind : ConvertKindsOf(group.group))
      usage += "  " + std::string(kind.cliName) + " (" + std::to_string(kind.number) + ") " +
               std::string(kind.caption);
  }
  return usage;
}

// A name, or a kind's number as before the kinds had names.
std::optional<ConvertKind> KindOf(const std::string& text) {
  if (std::optional<ConvertKind> named = ConvertKindFromName(text)) return named;
  int number = -1;
  if (!ParseInteger(text, number)) return std::nullopt;
  return ConvertKindFromNumber(number);
}

int Run(const std::vector<std::string>& args) {
  static const std::string usage = Usage();
  const CliSyntax syntax{
      "convert", usage, {{"--separators", "", true}, {"--options", "", true}}, false, true};
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(syntax, args, status);
  if (!parsed) return status;
  if (parsed->operands.size() > 1)
    return UsageError(syntax, "unexpected argument \"" + parsed->operands[1] + "\"");
  const std::optional<ConvertKind> kind =
      parsed->operands.empty() ? std::nullopt : KindOf(parsed->operands[0]);
  if (!kind)
    return UsageError(syntax, "KIND must be one of the names below or a number from 0 to " +
                                  std::to_string(kConvertKindCount - 1));
  const std::string separators = parsed->Value("--separators").value_or("");
  const std::string options = parsed->Value("--options").value_or("");
  return RunLineFilter("convert",
                       [&](std::string_view line) { return ConvertText(*kind, line, separators, options); });
}

const CliCommandRegistration kRegistration({"convert", Usage(), Run});

}  // namespace
}  // namespace hozanki::cli
