// hozanki-cli: the core's commands without a window.

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "CliCommand.h"
#include "core/settings/SettingsFolder.h"
#include "core/tagedit/SaveRecovery.h"

namespace hozanki::cli {

std::vector<CliCommand>& CliCommands() {
  static std::vector<CliCommand> commands;
  return commands;
}

std::string EscapedPathHint(const std::string& argument) {
  if (!IsEscapedPathText(argument)) return {};
  std::error_code ec;
  if (std::filesystem::exists(DecodePathText(argument), ec) || !std::filesystem::exists(argument, ec)) return {};
  const std::string literal = EncodePathText(argument);
  return " (read as an escaped name; the file named \"" + argument + "\" itself is written \"" + literal +
         "\")";
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
  out << "\nErrors and the reason each file could not be handled go to standard error.\n"
         "Exit status: 0 done; 1 a file or data file could not be handled (it could not be\n"
         "read or written, its content refused the change, a new name collided); 2 a usage\n"
         "error or a request the rules refuse (an unknown value name or tag kind, a tag kind\n"
         "the file's format excludes), nothing touched. COMMAND --help shows one command.\n"
         "\nNames that are not UTF-8: list --json gives each file a \"path\" that names exactly\n"
         "that file. In a path that is not valid UTF-8 every byte outside valid UTF-8 is\n"
         "written %XX (upper-case hexadecimal) and every % as %25; a valid UTF-8 path\n"
         "keeps its text, unless it is itself exactly such an escape form (its % then\n"
         "becomes %25). \"display\" beside it is the path as the window shows it (read\n"
         "as Shift-JIS). set and list accept the \"path\" text as a file argument.\n";
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
  // Saves a crash cut short are finished or undone first, as at the
  // window's start; what could not be is reported.
  const hozanki::RecoveryReport recovery = hozanki::RecoverInterruptedSaves(hozanki::SettingsFolder());
  for (const hozanki::SaveFailure& f : recovery.failures)
    std::cerr << "hozanki-cli: " << f.path << ": " << hozanki::cli::Reason(f.reason) << "\n";
  for (const CliCommand& c : CliCommands()) {
    if (c.name == args[0]) return c.run(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  std::cerr << "hozanki-cli: unknown command \"" << args[0] << "\" (see --help)\n";
  return kExitUsage;
}
