// hozanki-cli repair: finds tag values read in the wrong code page (or held
// as Shift-JIS in ISO-8859-1 frames) and, without --dry-run, writes them
// back as proper text through the same write operation as saving in the
// program (ID3v2 tags as Unicode).

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <nlohmann/json.hpp>

#include "CliArguments.h"
#include "CliCommand.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/MediaWriter.h"
#include "core/catalogue/TagFile.h"
#include "core/common/AtomicFile.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "core/tagedit/EncodingRepairScan.h"
#include "core/tagedit/SaveEngine.h"

namespace hozanki::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "repair [--dry-run] [--json] PATH...   find garbled Japanese tags (Shift-JIS, UTF-8 or EUC-JP read as\n"
    "        Latin-1) and Shift-JIS or UTF-8 in ISO-8859-1 frames; write them back as Unicode (folders: every\n"
    "        file below); values that read about as well in two code pages are listed as ambiguous, not changed";

// The files named: files as given, folders walked (sorted, media types only).
// False with `error` set for a name that is neither a file nor a folder.
bool CollectFiles(const std::string& arg, std::vector<fs::path>& out, std::string* error) {
  fs::path path(arg);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    const int code = errno;
    return FailWith(error, PathFailure(code == ENOENT ? FailureKind::kNoSuchFile : FailureKind::kSystem, arg, code));
  }
  if (S_ISREG(st.st_mode)) {
    out.push_back(path);
    return true;
  }
  if (!S_ISDIR(st.st_mode)) return FailWith(error, PathFailure(FailureKind::kNotRegularFile, arg));
  std::error_code ec;
  std::vector<fs::path> found;
  for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec) && TypeFromExtension(it->path()) != FileType::Unknown) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  out.insert(out.end(), found.begin(), found.end());
  return true;
}

int Run(const std::vector<std::string>& args) {
  const CliSyntax syntax{"repair", kUsage, {{"--dry-run", "", false}, {"--json", "", false}}, true, true};
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(syntax, args, status);
  if (!parsed) return status;
  const std::vector<std::string>& paths = parsed->operands;
  const bool dryRun = parsed->Has("--dry-run");
  const bool json = parsed->Has("--json");
  if (paths.empty()) return UsageError(syntax, "no file or folder given");

  bool failed = false;
  std::vector<fs::path> files;
  for (const std::string& p : paths) {
    std::string error;
    if (!CollectFiles(p, files, &error)) {
      std::cerr << "hozanki-cli repair: " << p << ": " << Reason(error) << "\n";
      failed = true;
    }
  }
  WriteSettings settings = WriteSettings::FromIni(IniFile::Load(SettingsFolder() / kSettingsFileName));
  nlohmann::json report = nlohmann::json::array();
  size_t repairedFiles = 0, values = 0, ambiguous = 0;
  std::vector<fs::path> swept;
  for (const fs::path& path : files) {
    fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (!dryRun && std::find(swept.begin(), swept.end(), folder) == swept.end()) {
      SweepTemporaryFiles(folder);  // leftovers of a save that died
      swept.push_back(folder);
    }
    std::string error;
    std::optional<MediaFileEntry> entry = ReadMediaFile(folder, path.filename(), &error);
    if (!entry) {
      std::cerr << "hozanki-cli repair: " << path.string() << ": "
                << (error.empty() ? "not a supported media file" : error) << " (skipped)\n";
      failed = true;
      continue;
    }
    Catalogue catalogue;
    const MediaFormat format = entry->format;
    catalogue.Append(format, {std::move(*entry)});
    size_t toWrite = 0;
    for (const RowRepairFinding& found : ScanForRepairs(catalogue, format, {}, folder)) {
      const RepairFinding& f = found.finding;
      std::string_view kind = TagKindName(f.kind);
      if (json) {
        report.push_back({{"file", path.string()},
                          {"tag", kind},
                          {"field", f.field},
                          {"verdict", TextVerdictName(f.diagnosis.verdict)},
                          {"source", SourceEncodingName(f.diagnosis.source)},
                          {"confidence", f.diagnosis.confidence},
                          {"current", f.current},
                          {"proposed", f.diagnosis.proposed}});
      } else {
        std::cout << path.string() << "\t" << kind << "\t" << f.field << "\t" << TextVerdictName(f.diagnosis.verdict)
                  << "\t" << SourceEncodingName(f.diagnosis.source) << "\t" << f.current << "\t"
                  << f.diagnosis.proposed << "\n";
      }
      // A value that reads about as well in another code page is listed
      // with that reading, never changed here.
      if (f.diagnosis.verdict == TextVerdict::kAmbiguous) {
        ++ambiguous;
        continue;
      }
      catalogue.EditRow(format, 0, [&f](MediaFileEntry& e) { ApplyRepair(e, f, f.diagnosis.proposed); });
      ++toWrite;
    }
    values += toWrite;
    if (dryRun || toWrite == 0) continue;
    if (!CanWriteMediaFile(catalogue.Entries(format).front(), &error)) {
      std::cerr << "hozanki-cli repair: " << path.string() << ": " << Reason(error)
                << " (file left untouched)\n";
      failed = true;
      continue;
    }
    // Saved as the window saves: journalled in place when the tag fits.
    const SaveResult result = SaveEngine(CollectSavePlan(catalogue, folder, settings, SettingsFolder())).Run();
    if (result.FailedFiles() > 0) {
      for (const SaveRowResult& row : result.rows)
        if (row.Failed())
          std::cerr << "hozanki-cli repair: " << path.string() << ": " << Reason(row.error)
                    << " (file left untouched)\n";
      failed = true;
      continue;
    }
    ++repairedFiles;
  }
  if (json) std::cout << report.dump(2) << "\n";
  if (ambiguous > 0)
    std::cerr << "hozanki-cli repair: " << ambiguous
              << " value(s) read about as well in another code page (ambiguous): listed, not changed\n";
  if (dryRun)
    std::cerr << "hozanki-cli repair: " << values << " value(s) to repair in " << files.size()
              << " file(s); nothing written (--dry-run)\n";
  else
    std::cerr << "hozanki-cli repair: " << values << " value(s) repaired in " << repairedFiles << " file(s)\n";
  return failed ? kExitFailed : kExitOk;
}

const CliCommandRegistration kRegistration({"repair", kUsage, Run});

}  // namespace
}  // namespace hozanki::cli
