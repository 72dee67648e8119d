// hozanki-cli rename: applies a fixed-form rename pattern to files.

#include <iostream>
#include <map>

#include "CliCommand.h"
#include "core/catalogue/MediaReader.h"
#include "core/common/AtomicFile.h"
#include "core/rename/PatternEvaluator.h"
#include "core/rename/RenamePattern.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "core/settings/SettingsKeys.h"

namespace hozanki::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "rename TITLE [--dry-run] FILE...  rename files by the fixed-form pattern TITLE of their format";

int Usage(const std::string& message) {
  std::cerr << "hozanki-cli rename: " << message << "\nUsage: hozanki-cli " << kUsage << "\n";
  return kExitUsage;
}

const RenamePattern* FindPattern(const RenamePatternStore& store, MediaFormat format,
                                 const std::string& title) {
  for (const RenamePattern& p : store[static_cast<int>(format)])
    if (p.title == title) return &p;
  return nullptr;
}

// A file that could not be renamed: "FILE -> NEW: reason" (or "FILE: reason"
// before there is a new name) on standard error.
bool Failed(const std::string& file, const std::string& newName, const std::string& reason) {
  std::cerr << "hozanki-cli rename: " << file << (newName.empty() ? "" : " -> " + newName) << ": " << reason
            << "\n";
  return false;
}

// One file: prints "FILE -> NEW" on standard output, or the reason it failed
// on standard error. True on success.
bool RenameOne(const std::string& file, const std::string& title, const RenamePatternStore& store,
               bool extProtect, bool dryRun) {
  const fs::path path(file);
  fs::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  std::string readError;
  std::optional<MediaFileEntry> entry = ReadMediaFile(folder, path.filename(), &readError);
  if (!entry) return Failed(file, "", readError.empty() ? "not a readable media file" : readError);
  const RenamePattern* pattern = FindPattern(store, entry->format, title);
  if (!pattern)
    return Failed(file, "", "no pattern \"" + title + "\" for " + std::string(FormatName(entry->format)));
  const RenameProposal p = ApplyRenamePattern(entry->format, *pattern, {*entry}, {0}, extProtect).front();
  if (!p.refusal.empty()) return Failed(file, p.newName, p.refusal);
  const fs::path target = folder / p.newName;
  if (p.changed && target != folder / path.filename() && !dryRun) {
    std::string error;
    if (!RenameNoReplace(folder / path.filename(), target, &error))
      return Failed(file, p.newName, error.empty() ? "rename failed" : error);
  }
  std::cout << file << " -> " << p.newName << "\n";
  return true;
}

int Run(const std::vector<std::string>& args) {
  std::string title;
  bool dryRun = false;
  std::vector<std::string> files;
  bool options = true;
  for (const std::string& a : args) {
    if (options && a == "--")
      options = false;
    else if (options && a == "--dry-run")
      dryRun = true;
    else if (options && a.starts_with("--"))
      return Usage("unknown option " + a);
    else if (title.empty() && options)
      title = a;
    else
      files.push_back(a);
  }
  if (title.empty()) return Usage("no pattern title");
  if (files.empty()) return Usage("no files");

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
  bool allDone = true;
  for (const std::string& file : files)
    allDone = RenameOne(file, title, store, extProtect, dryRun) && allDone;
  return allDone ? kExitOk : kExitFailed;
}

const CliCommandRegistration kRegistration({"rename", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
