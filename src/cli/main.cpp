// hozanki-cli: the core's commands without a window.

#include <algorithm>
#include <iostream>

#include "CliCommand.h"
#include "core/common/AtomicFile.h"
#include "core/common/SaveJournal.h"
#include "core/settings/SettingsFolder.h"

namespace hozanki::cli {

std::vector<CliCommand>& CliCommands() {
  static std::vector<CliCommand> commands;
  return commands;
}

namespace {

void PrintHelp(std::ostream& out) {
  out << "Usage: hozanki-cli COMMAND [ARGUMENTS...]\n"
         "       hozanki-cli --help | --version\n\n"
         "Tag editing and renaming for media collections, without a window.\n";
  auto commands = CliCommands();
  std::sort(commands.begin(), commands.end(),
            [](const CliCommand& a, const CliCommand& b) { return a.name < b.name; });
  if (!commands.empty()) out << "\nCommands:\n";
  for (const CliCommand& c : commands) out << "  " << c.usage << "\n";
}

}  // namespace
}  // namespace hozanki::cli

int main(int argc, char** argv) {
  using namespace hozanki::cli;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    PrintHelp(std::cout);
    return kExitOk;
  }
  if (args[0] == "--version") {
    std::cout << "hozanki-cli " << HOZANKI_VERSION << "\n";
    return kExitOk;
  }
  // Temporary files of a settings write that died are cleared first.
  hozanki::SweepTemporaryFiles(hozanki::SettingsFolder());
  // Files a save left half written in place (it died) are put back first.
  std::string report;
  hozanki::PlayBackJournals(hozanki::SettingsFolder(), &report);
  if (!report.empty()) std::cerr << "hozanki-cli: " << report;
  for (const CliCommand& c : CliCommands()) {
    if (c.name == args[0]) return c.run(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  std::cerr << "hozanki-cli: unknown command \"" << args[0] << "\" (see --help)\n";
  return kExitUsage;
}
