#pragma once
// Subcommands of hozanki-cli. Each command lives in its own source file and
// registers itself with a static CliCommandRegistration.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace hozanki::cli {

// Exit statuses shared by the commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

struct CliCommand {
  std::string name;     // "list", "convert", ...
  std::string usage;    // one or more lines shown by --help
  std::function<int(const std::vector<std::string>& args)> run;  // args after the name
};

std::vector<CliCommand>& CliCommands();

struct CliCommandRegistration {
  explicit CliCommandRegistration(CliCommand command) { CliCommands().push_back(std::move(command)); }
};

}  // namespace hozanki::cli
