#include "CliArguments.h"

#include <iostream>

#include "CliCommand.h"
#include "core/text/TextWidth.h"

namespace hozanki::cli {

bool CliArguments::Has(std::string_view name) const {
  for (const auto& option : options)
    if (option.first == name) return true;
  return false;
}

std::optional<std::string> CliArguments::Value(std::string_view name) const {
  std::optional<std::string> value;
  for (const auto& option : options)
    if (option.first == name) value = option.second;
  return value;
}

std::vector<std::string> CliArguments::Values(std::string_view name) const {
  std::vector<std::string> values;
  for (const auto& option : options)
    if (option.first == name) values.push_back(option.second);
  return values;
}

int UsageError(const CliSyntax& syntax, std::string_view message) {
  std::cerr << "hozanki-cli " << syntax.command << ": " << message << "\nUsage: hozanki-cli " << syntax.usage
            << "\n";
  return kExitUsage;
}

std::optional<CliArguments> ParseArguments(const CliSyntax& syntax, const std::vector<std::string>& args,
                                           int& status) {
  status = kExitUsage;
  if (syntax.utf8) {
    for (const std::string& arg : args) {
      if (!IsValidUtf8(arg)) {
        std::cerr << "hozanki-cli " << syntax.command << ": an argument is not valid UTF-8\n";
        return std::nullopt;
      }
    }
  }
  CliArguments parsed;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
      parsed.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      std::cout << "Usage: hozanki-cli " << syntax.usage << "\n";
      status = kExitOk;
      return std::nullopt;
    }
    const CliOption* option = nullptr;
    for (const CliOption& o : syntax.options)
      if (arg == o.name || (!o.alias.empty() && arg == o.alias)) option = &o;
    if (!option) {
      if (!arg.starts_with("--") && !syntax.singleDashIsOption) {
        parsed.operands.push_back(arg);
        continue;
      }
      UsageError(syntax, "unknown option \"" + arg + "\"");
      return std::nullopt;
    }
    std::string value;
    if (option->takesValue) {
      if (i + 1 >= args.size()) {
        UsageError(syntax, std::string(option->name) + " needs a value");
        return std::nullopt;
      }
      value = args[++i];
    }
    parsed.options.emplace_back(std::string(option->name), std::move(value));
  }
  status = kExitOk;
  return parsed;
}

}  // namespace hozanki::cli
