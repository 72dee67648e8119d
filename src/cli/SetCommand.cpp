// hozanki-cli set: sets tag values of one file by value name as the window
// does: the file becomes a one-row catalogue, each value is stored with
// SetCellValue, a tag kind is removed as a click on its checked box removes
// it, and the save engine writes the file.

#include <sys/stat.h>

#include <algorithm>
#include <iostream>

#include "CliArguments.h"
#include "CliCommand.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/MediaWriter.h"
#include "core/common/AtomicFile.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "core/tagedit/CheckStates.h"
#include "core/tagedit/EditTarget.h"
#include "core/tagedit/SaveEngine.h"
#include "core/tagedit/SetCellValue.h"

namespace hozanki::cli {
namespace {

constexpr const char* kUsage =
    "set FILE NAME=TEXT... [--remove KIND]... [--touch]   set tag values by value name\n"
    "                                    (FILE as a path or as the \"path\" text of list --json;\n"
    "                                    NAME as list shows it; MP4: TRACK=n/m or TRACK1/TRACK2)";

const CliSyntax kSyntax{"set", kUsage, {{"--remove", "", true}, {"--touch", "", false}}};

int Refuse(const std::string& text, int status = kExitUsage) {
  std::cerr << "hozanki-cli set: " << Reason(text) << " (file left untouched)\n";
  return status;
}

// The tag kind of the format named `name`.
std::optional<TagKind> KindNamed(MediaFormat format, std::string_view name) {
  for (TagKind kind : TagKindsOf(format))
    if (TagKindName(kind) == name) return kind;
  return std::nullopt;
}

// The column of the value named `name` (as list shows it, or one half of a
// pair such as MP4's "TRACK2"), with the half: 1 or 2, 0 for the whole cell.
std::optional<std::pair<EditTarget, int>> ValueColumn(MediaFormat format, std::string_view name) {
  for (TagKind kind : TagKindsOf(format)) {
    const ValueNameTarget found = FindValueName(kind, name);
    if (found.cell > 0) return std::pair{EditTarget::TagColumn(kind, found.cell), found.part};
  }
  return std::nullopt;
}

int RunSet(const std::vector<std::string>& args) {
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(kSyntax, args, status);
  if (!parsed) return status;
  if (parsed->operands.empty()) return UsageError(kSyntax, "no file given");
  const std::string& fileArg = parsed->operands[0];
  std::vector<std::pair<std::string, std::string>> values;
  for (size_t i = 1; i < parsed->operands.size(); ++i) {
    const std::string& a = parsed->operands[i];
    const size_t eq = a.find('=');
    if (eq == std::string::npos || eq == 0)
      return UsageError(kSyntax,
                        "unexpected argument \"" + a + "\" (expected NAME=TEXT, --remove KIND or --touch)");
    values.emplace_back(a.substr(0, eq), a.substr(eq + 1));
  }
  const std::vector<std::string> removals = parsed->Values("--remove");
  if (values.empty() && removals.empty()) return UsageError(kSyntax, "nothing to set");

  const std::string filePath = PathArgument(fileArg);
  struct stat st {};
  if (::stat(filePath.c_str(), &st) != 0)
    return Refuse(fileArg + ": no such file" + EscapedPathHint(fileArg));
  if (!S_ISREG(st.st_mode)) return Refuse(fileArg + ": not a regular file");
  const std::filesystem::path path(filePath);
  const std::filesystem::path folder =
      path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  // Temporary files of a save that died are cleared before a new one.
  SweepTemporaryFiles(folder);
  std::string error;
  std::optional<MediaFileEntry> read = ReadMediaFile(folder, path.filename(), &error);
  if (!read)
    return Refuse(fileArg + ": " + (error.empty() ? "not a supported media file" : error), kExitFailed);
  const MediaFormat format = read->format;
  const std::string formatName(FormatName(format));
  Catalogue catalogue;
  catalogue.Append(format, {std::move(*read)});
  const MediaFileEntry& entry = catalogue.Entries(format).front();

  // The whole request is checked before anything changes.
  std::vector<TagKind> removed;
  for (const std::string& name : removals) {
    const std::optional<TagKind> kind = KindNamed(format, name);
    if (!kind) return Refuse("no tag kind \"" + name + "\" in a " + formatName + " file");
    removed.push_back(*kind);
  }
  std::vector<EditTarget> targets;
  std::vector<int> parts;
  for (const auto& [name, value] : values) {
    const std::optional<std::pair<EditTarget, int>> column = ValueColumn(format, name);
    const std::optional<EditTarget> target = column ? std::optional(column->first) : std::nullopt;
    if (!target) {
      std::string known;
      for (TagKind kind : TagKindsOf(format))
        for (std::string_view n : ValueNamesOf(kind)) known.append(" ").append(n);
      return Refuse("unknown value name \"" + name + "\" for a " + formatName + " file (its names:" + known +
                    ")");
    }
    if (std::find(removed.begin(), removed.end(), *target->kind) != removed.end())
      return Refuse(name + " belongs to a tag kind that is being removed");
    targets.push_back(*target);
    parts.push_back(column->second);
  }

  // A removal is a click on the kind's checked box (an absent kind stays absent).
  for (TagKind kind : removed)
    if (entry.tags[static_cast<size_t>(TagRowIndex(kind))].state == kChecked)
      ToggleCheckState(catalogue, kind, 0);
  for (size_t i = 0; i < targets.size(); ++i) {
    const EditTarget& target = targets[i];
    // A kind the file's other tags exclude (RIFF beside ID3v2 or APE) is
    // closed to editing until they are removed.
    if (!IsRowOpenToEditing(entry, target))
      return Refuse(values[i].first + ": " + std::string(TagKindName(*target.kind)) +
                    " cannot be written beside the file's other tags; remove them with --remove");
    const std::string old = CellText(catalogue, target, 0);
    const std::string text = parts[i] == 0 ? values[i].second : WithPairPart(old, parts[i], values[i].second);
    if (old != text) SetCellValue(catalogue, target, 0, text, ValueSource::Other, false);
  }
  if (!HasStagedChanges(catalogue)) {
    std::cerr << "hozanki-cli set: " << fileArg << ": nothing changed\n";
    return kExitOk;
  }
  if (!CanWriteMediaFile(entry, &error)) return Refuse(error);

  WriteSettings settings = WriteSettings::FromIni(IniFile::Load(SettingsFolder() / kSettingsFileName));
  settings.keepTimeStamp = !parsed->Has("--touch");
  SaveEngine engine(CollectSavePlan(catalogue, folder, settings, SettingsFolder()));
  const SaveResult result = engine.Run();
  for (const SaveRowResult& row : result.rows) {
    if (!row.Failed()) continue;
    std::cerr << "hozanki-cli set: " << fileArg << ": " << Reason(row.error) << "\n";
    status = kExitFailed;
  }
  return status;
}

CliCommandRegistration registration({"set", kUsage, RunSet});

}  // namespace
}  // namespace hozanki::cli
