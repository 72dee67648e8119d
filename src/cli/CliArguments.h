#pragma once
// The one argument parser of hozanki-cli's commands. A command describes its
// options; the parser sorts the arguments into options and operands and
// answers usage errors and --help the same way for every command:
//  - "--" ends the options: every argument after it is an operand;
//  - an option's value is the argument after it ("--output FILE");
//  - an option may stand anywhere among the operands and may be repeated;
//  - "--help" (or "-h") prints the command's usage on standard output;
//  - any other argument beginning with "--" is an unknown option, and so is
//    one beginning with "-" when the command says so (a lone "-" is always
//    an operand).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hozanki::cli {

struct CliOption {
  std::string_view name;   // "--dry-run"
  std::string_view alias;  // "-n", or empty
  bool takesValue = false;
};

struct CliSyntax {
  std::string_view command;  // "rename"
  std::string_view usage;    // the usage line(s) after "hozanki-cli "
  std::vector<CliOption> options;
  // "-x" that is no option is an error (otherwise an operand, as "-3,0").
  bool singleDashIsOption = false;
  // Every argument must be valid UTF-8 (the text filters).
  bool utf8 = false;
};

struct CliArguments {
  std::vector<std::string> operands;
  std::vector<std::pair<std::string, std::string>> options;  // name (never the alias), value

  bool Has(std::string_view name) const;
  // The value given last, if the option was given.
  std::optional<std::string> Value(std::string_view name) const;
  // Every value given, in order.
  std::vector<std::string> Values(std::string_view name) const;
};

// Parses `args` (those after the command's name). Without a result the
// command returns `status` at once: kExitUsage after the error and the usage
// went to standard error, kExitOk after --help.
std::optional<CliArguments> ParseArguments(const CliSyntax& syntax, const std::vector<std::string>& args,
                                           int& status);

// Prints "hozanki-cli COMMAND: MESSAGE" and the usage to standard error;
// returns kExitUsage.
int UsageError(const CliSyntax& syntax, std::string_view message);

}  // namespace hozanki::cli
