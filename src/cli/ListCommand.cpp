// hozanki-cli list: the files of folders or single files, read as the
// catalogue reads them, as a table or as JSON.

#include <malloc.h>
#include <sys/stat.h>

#include <iostream>
#include <nlohmann/json.hpp>
#include <ctime>
#include <thread>

#include "CliArguments.h"
#include "CliCommand.h"
#include "core/catalogue/FolderScan.h"
#include "core/catalogue/MediaReader.h"
#include "core/common/IoDepth.h"
#include "core/catalogue/ParallelReader.h"
#include "core/catalogue/TagFile.h"
#include "core/common/FileIdentity.h"

namespace hozanki::cli {
namespace {

constexpr const char* kUsage = "list [--recursive] [--json] PATH...   list media files with their tags";

// How far the readers may run ahead of the printing: files per request in
// flight, and at least this many.
constexpr size_t kWindowPerRequest = 16;
constexpr size_t kMinWindow = 64;

// `path` is the file's path as bytes; `shown` is that path as the window
// shows it.
nlohmann::ordered_json EntryJson(const std::string& path, const std::string& shown, const MediaFileEntry& e,
                                 const std::optional<FileIdentity>& identity) {
  nlohmann::ordered_json j;
  const auto& cells = e.file.cells;
  j["path"] = EncodePathText(path);
  j["display"] = shown;
  j["format"] = FormatName(e.format);
  j["name"] = cells[0].text;
  j["size"] = e.size;
  j["size_text"] = cells[1].text;
  j["timestamp"] = cells[2].text;
  // What `apply` checks to find a change by another program since.
  if (identity) j["identity"] = identity->Text();
  j["time"] = cells[3].text;
  j["seconds"] = cells[3].value;
  bool mp3 = e.format == MediaFormat::MP3;
  j["audio"] = mp3 ? cells[8].text : cells[4].text;
  j["video"] = cells.size() == 6 ? cells[5].text : std::string();
  if (mp3) {
    j["ID3v1_version"] = cells[4].text;
    j["ID3v2_version"] = cells[5].text;
    j["RIFF_mark"] = cells[6].text;
    j["APE_version"] = cells[7].text;
  }
  nlohmann::ordered_json tags = nlohmann::ordered_json::object();
  std::span<const TagKind> kinds = TagKindsOf(e.format);
  for (size_t k = 0; k < kinds.size(); ++k) {
    nlohmann::ordered_json t;
    t["state"] = e.tags[k].state;
    std::span<const std::string_view> names = ValueNamesOf(kinds[k]);
    for (size_t i = 0; i < names.size(); ++i) t[std::string(names[i])] = e.tags[k].cells[i + 1].text;
    tags[std::string(TagKindName(kinds[k]))] = std::move(t);
  }
  j["tags"] = std::move(tags);
  return j;
}

std::string EntryTable(const std::string& path, const MediaFileEntry& e) {
  const auto& cells = e.file.cells;
  bool mp3 = e.format == MediaFormat::MP3;
  std::string out = path + "\n  " + std::string(FormatName(e.format)) + "  " + cells[1].text + " bytes  " +
                    cells[2].text + "  " + cells[3].text + "  " + (mp3 ? cells[8].text : cells[4].text);
  if (cells.size() == 6 && !cells[5].text.empty()) out += "  " + cells[5].text;
  out += "\n";
  static constexpr const char* kStates[] = {"absent", "present", "unavailable"};
  std::span<const TagKind> kinds = TagKindsOf(e.format);
  for (size_t k = 0; k < kinds.size(); ++k) {
    const TagRow& row = e.tags[k];
    out += "  [" + std::string(TagKindName(kinds[k])) + "] " + kStates[std::clamp(row.state, 0, 2)];
    if (mp3 && k < 4 && !cells[4 + k].text.empty()) out += " " + cells[4 + k].text;
    out += "\n";
    std::span<const std::string_view> names = ValueNamesOf(kinds[k]);
    for (size_t i = 0; i < names.size(); ++i)
      if (!row.cells[i + 1].text.empty())
        out += "    " + std::string(names[i]) + " = " + row.cells[i + 1].text + "\n";
  }
  return out;
}

struct Group {
  std::filesystem::path folder;
  std::vector<std::filesystem::path> files;
  bool explicitFiles = false;
};

int RunList(const std::vector<std::string>& args) {
  // Many small blocks come and go per file: keep the heap instead of
  // returning it to the system after every file.
  ::mallopt(M_TRIM_THRESHOLD, 256 << 20);
  ::mallopt(M_TOP_PAD, 16 << 20);
  const CliSyntax syntax{"list", kUsage, {{"--recursive", "-r", false}, {"--json", "", false}}, true};
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(syntax, args, status);
  if (!parsed) return status;
  const bool recursive = parsed->Has("--recursive");
  const bool json = parsed->Has("--json");
  const std::vector<std::string>& paths = parsed->operands;
  if (paths.empty()) return UsageError(syntax, "no path given");
  std::vector<Group> groups;
  for (const std::string& argument : paths) {
    const std::string p = PathArgument(argument);
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) {
      std::cerr << "hozanki-cli list: " << argument << ": no such file or folder" << EscapedPathHint(argument)
                << "\n";
      status = WorseStatus(status, kExitUsage);
      continue;
    }
    if (S_ISDIR(st.st_mode)) {
      groups.push_back({p, recursive ? ListMediaFilesRecursive(p) : ListMediaFiles(p), false});
    } else {
      std::filesystem::path path(p);
      std::filesystem::path parent = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
      if (!groups.empty() && groups.back().explicitFiles && groups.back().folder == parent)
        groups.back().files.push_back(path.filename());
      else
        groups.push_back({parent, {path.filename()}, true});
    }
  }
  unsigned threads = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
  bool first = true;
  if (json) std::cout << "[";
  for (const Group& g : groups) {
    const int64_t started = static_cast<int64_t>(std::time(nullptr));
    const unsigned depth = IoDepthFor(g.folder, threads);
    // Each file is printed as soon as it and those before it are read: the
    // readers run ahead by a window of files, never by the whole folder.
    const size_t window = std::max<size_t>(kMinWindow, size_t{depth} * kWindowPerRequest);
    std::vector<std::string> outputs(window);
    std::vector<std::string> errors(window);
    auto work = [&](size_t i, std::optional<MediaFileEntry>&& entry, const std::string& error,
                    std::optional<FileIdentity>&& readIdentity) {
      std::string& output = outputs[i % window];
      std::string& failure = errors[i % window];
      const std::string path =
          g.explicitFiles && g.folder == "." ? g.files[i].string() : (g.folder / g.files[i]).string();
      const std::string shown = DisplayPath(path);
      if (!entry) {
        if (g.explicitFiles || TypeFromExtension(g.files[i]) != FileType::Unknown)
          failure = shown + ": " + (error.empty() ? "not a supported media file" : error);
        return;
      }
      if (!json) {
        output = EntryTable(shown, *entry);
        return;
      }
      // The identity of the very file read, from the descriptor it was read through.
      std::optional<FileIdentity> identity = std::move(readIdentity);
      // Changed since the reading began: the values may be older than
      // the identity. Read again, between two identities that agree.
      for (int attempt = 0; identity && identity->changeSeconds >= started - 1 && attempt < 3; ++attempt) {
        const std::optional<FileIdentity> before = IdentityOfFile(path);
        std::optional<MediaFileEntry> again = ReadMediaFile(g.folder, g.files[i]);
        identity = IdentityOfFile(path);
        if (before && identity && again && *before == *identity) {
          entry = std::move(again);
          break;
        }
        if (attempt == 2) identity.reset();  // no identity: apply cannot be misled by it
      }
      output = EntryJson(path, shown, *entry, identity)
                   .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    };
    auto emit = [&](size_t i) {
      std::string& output = outputs[i % window];
      std::string& failure = errors[i % window];
      if (!failure.empty()) std::cerr << "hozanki-cli list: skipped " << Reason(failure) << "\n";
      // A file named on its own could not be handled; one found in a folder
      // is skipped as the window skips it.
      if (!failure.empty() && g.explicitFiles) status = WorseStatus(status, kExitFailed);
      if (!output.empty()) {
        if (json) std::cout << (first ? "\n" : ",\n");
        std::cout << output;
        first = false;
      }
      // The slot's memory goes back for the file window entries later.
      std::string().swap(output);
      std::string().swap(failure);
    };
    ReadMediaFilesInOrder(g.folder, g.files, depth, window, work, emit);
  }
  if (json) std::cout << (first ? "]\n" : "\n]\n");
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "hozanki-cli list: the listing could not be written\n";
    status = WorseStatus(status, kExitFailed);
  }
  return status;
}

CliCommandRegistration registration({"list", kUsage, RunList});

}  // namespace
}  // namespace hozanki::cli
