// hozanki-cli rename: applies a fixed-form rename pattern to files. Names
// that would collide are reported (and, with --dry-run, make the exit status
// non-zero); the other files are renamed in an order that lets swaps and
// cycles among them work out.

#include <iostream>
#include <map>

#include "CliArguments.h"
#include "CliCommand.h"
#include "core/catalogue/MediaReader.h"
#include "core/common/AtomicFile.h"
#include "core/rename/NameConflicts.h"
#include "core/rename/PatternEvaluator.h"
#include "core/catalogue/Catalogue.h"
#include "core/rename/RenamePattern.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "core/settings/SettingsKeys.h"
#include "core/tagedit/SaveEngine.h"

namespace hozanki::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "rename TITLE [--dry-run] FILE...  rename files by the fixed-form pattern TITLE of their format";

const CliSyntax kSyntax{"rename", kUsage, {{"--dry-run", "", false}}};

const RenamePattern* FindPattern(const RenamePatternStore& store, MediaFormat format,
                                 const std::string& title) {
  for (const RenamePattern& p : store[static_cast<int>(format)])
    if (p.title == title) return &p;
  return nullptr;
}

// One file named on the command line and the name its pattern gives it.
struct Planned {
  std::string file;     // as given
  fs::path folder;      // absolute
  fs::path oldName;
  std::string newName;
  std::string problem;  // why it cannot be renamed
  bool rename = false;  // the name changes
  std::optional<MediaFileEntry> entry;  // as read
};

Planned PlanOne(const std::string& file, const std::string& title, const RenamePatternStore& store,
                bool extProtect) {
  Planned p{file, {}, {}, {}, {}, false, std::nullopt};
  const fs::path path(file);
  std::error_code ec;
  p.folder = fs::absolute(path.parent_path().empty() ? fs::path(".") : path.parent_path(), ec).lexically_normal();
  if (p.folder.has_relative_path() && p.folder.filename().empty()) p.folder = p.folder.parent_path();
  p.oldName = path.filename();
  std::string readError;
  std::optional<MediaFileEntry> entry = ReadMediaFile(p.folder, p.oldName, &readError);
  if (!entry) {
    p.problem = readError.empty() ? "not a readable media file" : readError;
    return p;
  }
  const RenamePattern* pattern = FindPattern(store, entry->format, title);
  if (!pattern) {
    p.problem = "no pattern \"" + title + "\" for " + std::string(FormatName(entry->format));
    return p;
  }
  const RenameProposal proposal = ApplyRenamePattern(entry->format, *pattern, {*entry}, {0}, extProtect).front();
  p.newName = proposal.newName;
  p.problem = proposal.refusal;
  p.rename = p.problem.empty() && proposal.changed && fs::path(p.newName) != p.oldName;
  p.entry = std::move(entry);
  return p;
}

// Prints "FILE -> NEW" on standard output for each file that is (or with
// `dryRun` would be) renamed or keeps its name, and "FILE -> NEW: reason" (or
// "FILE: reason" before there is a new name) on standard error for each that
// is not, collisions included; renames the others unless `dryRun`. True when
// no file failed.
bool RenameAll(std::vector<Planned>& planned, bool dryRun) {
  std::vector<NameRow> rows;
  for (const Planned& p : planned)
    rows.push_back(NameRow{p.folder, p.oldName.native(), p.rename ? p.newName : std::string(), p.rename});
  NameConflictIndex conflicts;
  conflicts.Reset(std::move(rows));
  std::vector<std::string> why(planned.size());
  for (size_t i = 0; i < planned.size(); ++i) {
    why[i] = planned[i].problem;
    if (why[i].empty() && conflicts.HasConflict(i)) why[i] = ConflictText(conflicts.OtherName(i));
  }
  if (!dryRun) {
    // Renamed as the window renames: staged names saved through the save
    // engine, which keeps the rename log.
    Catalogue catalogue;
    std::map<std::pair<MediaFormat, int>, size_t> fileOf;
    const fs::path root = "/";
    for (size_t i = 0; i < planned.size(); ++i) {
      if (!planned[i].rename || !why[i].empty() || !planned[i].entry) continue;
      MediaFileEntry entry = std::move(*planned[i].entry);
      entry.relativePath = (planned[i].folder / planned[i].oldName).relative_path();
      entry.file.cells[0].text = planned[i].newName;
      entry.file.image = kChangedMark;
      fileOf[{entry.format, catalogue.RowCount(entry.format)}] = i;
      const MediaFormat format = entry.format;
      catalogue.Append(format, {std::move(entry)});
    }
    SaveEngine engine(CollectSavePlan(catalogue, root, WriteSettings{}, SettingsFolder()));
    for (const SaveRowResult& row : engine.Run().rows)
      if (row.Failed())
        why[fileOf[{row.format, row.row}]] = row.error.empty() ? "rename failed" : row.error;
  }
  bool allDone = true;
  for (size_t i = 0; i < planned.size(); ++i) {
    const std::string shown = planned[i].file + (planned[i].newName.empty() ? "" : " -> " + planned[i].newName);
    if (why[i].empty()) {
      std::cout << shown << "\n";
    } else {
      std::cerr << "hozanki-cli rename: " << shown << ": " << Reason(why[i]) << "\n";
      allDone = false;
    }
  }
  return allDone;
}

int Run(const std::vector<std::string>& args) {
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(kSyntax, args, status);
  if (!parsed) return status;
  if (parsed->operands.empty() || parsed->operands[0].empty()) return UsageError(kSyntax, "no pattern title");
  const std::string& title = parsed->operands[0];
  const std::vector<std::string> files(parsed->operands.begin() + 1, parsed->operands.end());
  const bool dryRun = parsed->Has("--dry-run");
  if (files.empty()) return UsageError(kSyntax, "no files");

  const fs::path settings = SettingsFolder();
  std::string readError;
  const RenamePatternStore store = LoadRenamePatterns(settings / kRenamePatternFileName, &readError);
  if (!readError.empty()) {
    std::cerr << "hozanki-cli rename: cannot read the rename patterns: " << readError << "\n";
    return kExitFailed;
  }
  bool known = false;
  for (int f = 0; f < kFormatCount && !known; ++f)
    known = FindPattern(store, static_cast<MediaFormat>(f), title) != nullptr;
  if (!known) {
    std::cerr << "hozanki-cli rename: no pattern titled \"" << title << "\"\nPatterns:\n";
    for (int f = 0; f < kFormatCount; ++f)
      for (const RenamePattern& p : store[f])
        std::cerr << "  " << FormatName(static_cast<MediaFormat>(f)) << ": " << p.title << "\n";
    return kExitUsage;
  }
  const bool extProtect = IniFile::Load(settings / kSettingsFileName)
                              .ReadBool(settings::option::kSection, settings::option::kExtProtect,
                                        settings::option::kExtProtectDefault);
  std::vector<Planned> planned;
  for (const std::string& file : files) planned.push_back(PlanOne(file, title, store, extProtect));
  return RenameAll(planned, dryRun) ? kExitOk : kExitFailed;
}

const CliCommandRegistration kRegistration({"rename", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
