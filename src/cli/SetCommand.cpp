// hozanki-cli set: sets tag values of one file by value name, through the
// same write operation as saving in the program.

#include <sys/stat.h>

#include <iostream>

#include "CliCommand.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/MediaWriter.h"
#include "core/common/AtomicFile.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"

namespace hozanki::cli {
namespace {

int Refuse(const std::string& text, int status = kExitUsage) {
  std::cerr << "hozanki-cli set: " << text << " (file left untouched)\n";
  return status;
}

void Mark(TagRow& row, int state) {
  row.state = state;
  row.image = kChangedMark;
}

// Finds the row and cell of a value name; MP4's "TRACK1"/"TRACK2" and
// "DISC1"/"DISC2" name a part (1 or 2) of the pair cell.
bool FindValue(const MediaFileEntry& e, const std::string& name, size_t& kindIndex, size_t& cell, int& part) {
  std::span<const TagKind> kinds = TagKindsOf(e.format);
  std::string base = name;
  part = 0;
  if (e.format == MediaFormat::MP4 &&
      (name == "TRACK1" || name == "TRACK2" || name == "DISC1" || name == "DISC2")) {
    base = name.substr(0, name.size() - 1);
    part = name.back() - '0';
  }
  for (size_t k = 0; k < kinds.size(); ++k) {
    std::span<const std::string_view> names = ValueNamesOf(kinds[k]);
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == base) {
        kindIndex = k;
        cell = i + 1;
        return true;
      }
    }
  }
  return false;
}

std::string SetPairPart(const std::string& cell, int part, const std::string& value) {
  size_t slash = cell.find('/');
  std::string first = cell.substr(0, slash);
  std::string second = slash == std::string::npos ? std::string() : cell.substr(slash + 1);
  (part == 1 ? first : second) = value;
  return second.empty() ? first : first + "/" + second;
}

int RunSet(const std::vector<std::string>& args) {
  if (args.empty()) return Refuse("no file given");
  const std::string fileArg = args[0];
  const std::string filePath = PathArgument(fileArg);
  std::vector<std::pair<std::string, std::string>> values;
  std::vector<std::string> removals;
  bool touch = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--touch") {
      touch = true;
    } else if (a == "--remove") {
      if (i + 1 >= args.size()) return Refuse("--remove needs a tag kind");
      removals.push_back(args[++i]);
    } else if (size_t eq = a.find('='); eq != std::string::npos && eq > 0) {
      values.emplace_back(a.substr(0, eq), a.substr(eq + 1));
    } else {
      return Refuse("unexpected argument \"" + a + "\" (expected NAME=TEXT, --remove KIND or --touch)");
    }
  }
  if (values.empty() && removals.empty()) return Refuse("nothing to set");

  struct stat st {};
  if (::stat(filePath.c_str(), &st) != 0) return Refuse(fileArg + ": no such file" + EscapedPathHint(fileArg));
  if (!S_ISREG(st.st_mode)) return Refuse(fileArg + ": not a regular file");
  std::filesystem::path path(filePath);
  std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  // Temporary files of a save that died are cleared before a new one.
  SweepTemporaryFiles(folder);
  std::string error;
  std::optional<MediaFileEntry> entry = ReadMediaFile(folder, path.filename(), &error);
  if (!entry)
    return Refuse(fileArg + ": " + (error.empty() ? "not a supported media file" : error), kExitFailed);

  std::span<const TagKind> kinds = TagKindsOf(entry->format);
  for (const std::string& kind : removals) {
    size_t k = 0;
    while (k < kinds.size() && TagKindName(kinds[k]) != kind) ++k;
    if (k == kinds.size())
      return Refuse("no tag kind \"" + kind + "\" in a " + std::string(FormatName(entry->format)) + " file");
    Mark(entry->tags[k], kUnchecked);
  }
  for (const auto& [name, value] : values) {
    size_t k = 0, cell = 0;
    int part = 0;
    if (!FindValue(*entry, name, k, cell, part))
      return Refuse("unknown value name \"" + name + "\" for a " + std::string(FormatName(entry->format)) +
                    " file");
    TagRow& row = entry->tags[k];
    if (std::find(removals.begin(), removals.end(), TagKindName(kinds[k])) != removals.end())
      return Refuse(name + " belongs to a tag kind that is being removed");
    std::string& text = row.cells[cell].text;
    text = part ? SetPairPart(text, part, value) : value;
    row.cells[cell].value = 1;
    Mark(row, kChecked);
  }
  if (!CanWriteMediaFile(*entry, &error)) {
    if (entry->format == MediaFormat::MP3 && entry->tags[2].state == kChecked)
      error += "; remove the other kind with --remove";
    return Refuse(error);
  }
  WriteSettings settings = WriteSettings::FromIni(IniFile::Load(SettingsFolder() / kSettingsFileName));
  settings.keepTimeStamp = !touch;
  settings.journalFolder = SettingsFolder();
  if (!WriteMediaFile(folder, *entry, settings, &error)) return Refuse(fileArg + ": " + error, kExitFailed);
  return kExitOk;
}

CliCommandRegistration registration(
    {"set", "set FILE NAME=TEXT... [--remove KIND]... [--touch]   set tag values by value name\n"
     "                                    (FILE as a path or as the \"path\" text of list --json)", RunSet});

}  // namespace
}  // namespace hozanki::cli
