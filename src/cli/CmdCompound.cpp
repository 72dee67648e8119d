// hozanki-cli compound: a stored compound edit as a line filter.

#include <filesystem>
#include <iostream>

#include "CliArguments.h"
#include "CliCommand.h"
#include "TextFilter.h"
#include "core/common/AtomicFile.h"
#include "core/settings/DataFileRecovery.h"
#include "core/settings/SettingsFolder.h"
#include "core/settings/CompoundFile.h"

namespace hozanki::cli {
namespace {

constexpr const char* kUsage = "compound TITLE   (the first compound edit of that title in NR284Cnv.dat)";

int Run(const std::vector<std::string>& args) {
  const CliSyntax syntax{"compound", kUsage, {}, false, true};
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(syntax, args, status);
  if (!parsed) return status;
  if (parsed->operands.size() != 1) return UsageError(syntax, "one TITLE is needed");
  const std::string& title = parsed->operands[0];
  std::filesystem::path file = SettingsFolder() / kCompoundFileName;
  // Read the recovery copy when an interrupted save left only that.
  if (IsMissingFile(file) && !IsMissingFile(RecoveryCopyOf(file))) file = RecoveryCopyOf(file);
  std::string readError;
  const std::vector<CompoundEdit> edits = ReadCompoundFile(file, &readError);
  if (!readError.empty()) {
    std::cerr << "hozanki-cli compound: cannot read the compound edits: " << readError << "\n";
    return kExitFailed;
  }
  for (const CompoundEdit& edit : edits) {
    if (edit.title != title) continue;
    return RunCheckedLineFilter("compound", [&](std::string_view line, std::string& error) {
      return RunCompound(edit.steps, line, &error);
    });
  }
  std::cerr << "hozanki-cli compound: no compound edit is titled \"" << title << "\".";
  if (edits.empty()) {
    std::cerr << " There are none in " << file.string() << ".\n";
  } else {
    std::cerr << " Titles:\n";
    for (const CompoundEdit& edit : edits) std::cerr << "  " << edit.title << "\n";
  }
  return kExitUsage;
}

const CliCommandRegistration kRegistration({"compound", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
