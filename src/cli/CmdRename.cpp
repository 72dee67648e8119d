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

// One file: prints "FILE -> NEW" and, on failure, the reason. True on success.
bool RenameOne(const std::string& file, const std::string& title, const RenamePatternStore& store,
               bool extProtect, bool dryRun) {
  const fs::path path(file);
  fs::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  std::optional<MediaFileEntry> entry = ReadMediaFile(folder, path.filename());
  if (!entry) {
    std::cout << file << " -> : not a readable media file\n";
    return false;
  }
  const RenamePattern* pattern = FindPattern(store, entry->format, title);
  if (!pattern) {
    std::cout << file << " -> : no pattern \"" << title << "\" for " << FormatName(entry->format) << "\n";
    return false;
  }
  const RenameProposal p = ApplyRenamePattern(entry->format, *pattern, {*entry}, {0}, extProtect).front();
  std::cout << file << " -> " << p.newName;
  if (!p.refusal.empty()) {
    std::cout << ": " << p.refusal << "\n";
    return false;
  }
  const fs::path target = folder / p.newName;
  if (!p.changed || target == folder / path.filename() || dryRun) {
    std::cout << "\n";
    return true;
  }
  std::string error;
  if (!RenameNoReplace(folder / path.filename(), target, &error)) {
    std::cout << ": " << (error.empty() ? "rename failed" : error) << "\n";
    return false;
  }
  std::cout << "\n";
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
  const RenamePatternStore store = LoadRenamePatterns(settings / kRenamePatternFileName);
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
