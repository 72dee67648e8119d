// hozanki-cli apply: writes the edited values of a `list --json` listing
// back to the files, all in one run through the window's save engine (same
// options, same in-place writes and journal).
//
//   hozanki-cli list --json DIR | jq '.[].tags.ID3v2.INAM |= ascii_upcase' | hozanki-cli apply -
//
// A file is refused on its own (the others are still written) when its
// entry is malformed, names a tag kind or value the format does not have, or
// the file changed on disk since it was listed: its "identity" (device,
// inode, size, change time in nanoseconds, a hash of its ends) is checked
// when it is read and again under the file's lock just before it is
// written. Only the values that differ from the file as listed are written.
// A listing of an older version without "identity" is checked by size and
// time stamp only, which misses changes that keep both.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "CliArguments.h"
#include "CliCommand.h"
#include "core/common/PathText.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/MediaWriter.h"
#include "core/common/FileIdentity.h"
#include "core/common/IoDepth.h"
#include "core/common/ParallelFor.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "core/tagedit/SaveEngine.h"

namespace hozanki::cli {
namespace {

using Json = nlohmann::json;

constexpr const char* kUsage =
    "apply [--dry-run] [--touch] FILE.json|-   write the values edited in a `list --json` listing";

// The file an entry of `list --json` names (its "path" field).
std::optional<std::filesystem::path> PathOfListEntry(const Json& entry) {
  auto it = entry.find("path");
  if (it == entry.end() || !it->is_string() || it->get_ref<const std::string&>().empty()) return std::nullopt;
  // The same text `list --json` gives: bytes that are not UTF-8 escaped.
  return std::filesystem::path(DecodePathText(it->get<std::string>()));
}

struct Change {
  std::string what;  // "ID3v2 INAM" or "name"
  std::string from, to;
};

// Brings `entry` (as read now) in line with the listing's `j`; the rows
// that change get the changed mark. False with `error` set when the listing
// entry cannot be applied.
bool ApplyEntry(const Json& j, const std::optional<FileIdentity>& identity, MediaFileEntry& entry,
                std::string& newName, std::vector<Change>& changes, std::string* error) {
  auto fail = [&](std::string text) {
    *error = std::move(text);
    return false;
  };
  // A field of the wrong type, and a file that changed since it was listed
  // (the field that tells), as failure records.
  auto wrongType = [&](const char* field, const char* type) {
    return FailWith(error, {FailureKind::kInputFieldType, "", field, 0, 0, 0,
                            "\"" + std::string(field) + "\" must be " + type});
  };
  auto changed = [&](const char* field, const char* what) {
    return FailWith(error, {FailureKind::kChangedSinceListed, "", field, 0, 0, 0,
                            std::string("the file changed since it was listed (") + what + ")"});
  };
  if (auto f = j.find("format"); f != j.end() && (!f->is_string() || *f != FormatName(entry.format)))
    return fail("the file is a " + std::string(FormatName(entry.format)) + " file, not what was listed");
  // Changed on disk since it was listed.
  if (auto s = j.find("size"); s != j.end()) {
    if (!s->is_number_unsigned()) return wrongType("size", "a number of bytes");
    if (s->get<uint64_t>() != entry.size) return changed("size", "size");
  }
  if (auto t = j.find("timestamp"); t != j.end()) {
    if (!t->is_string()) return wrongType("timestamp", "a text");
    if (*t != entry.file.cells[2].text) return changed("timestamp", "time stamp");
  }
  // Any other change, also one that kept size and time stamp.
  if (auto id = j.find("identity"); id != j.end()) {
    const std::optional<FileIdentity> listed =
        id->is_string() ? FileIdentity::FromText(id->get_ref<const std::string&>()) : std::nullopt;
    if (!listed) return wrongType("identity", "what `list --json` gives");
    if (!identity || *identity != *listed) return changed("identity", "identity");
  }

  newName = entry.file.cells[0].text;
  if (auto n = j.find("name"); n != j.end()) {
    if (!n->is_string() || n->get_ref<const std::string&>().empty()) return fail("\"name\" must be a file name");
    if (*n != newName) {
      if (IsBadFileName(n->get<std::string>())) return fail("bad file name \"" + n->get<std::string>() + "\"");
      changes.push_back({"name", newName, n->get<std::string>()});
      newName = n->get<std::string>();
      entry.file.cells[0].text = newName;
      entry.file.image = kChangedMark;
    }
  }
  auto tags = j.find("tags");
  if (tags == j.end()) return true;
  if (!tags->is_object()) return fail("\"tags\" must be an object");
  std::span<const TagKind> kinds = TagKindsOf(entry.format);
  for (const auto& [kindName, values] : tags->items()) {
    size_t k = 0;
    while (k < kinds.size() && TagKindName(kinds[k]) != kindName) ++k;
    if (k == kinds.size())
      return fail("unknown tag kind \"" + kindName + "\" for a " + std::string(FormatName(entry.format)) + " file");
    if (!values.is_object()) return fail("tags." + kindName + " must be an object");
    TagRow& row = entry.tags[k];
    std::span<const std::string_view> names = ValueNamesOf(kinds[k]);
    int state = row.state;
    bool valuesChanged = false;
    for (const auto& [name, value] : values.items()) {
      if (name == "state") {
        if (!value.is_number_integer() || value.get<int>() < kUnchecked || value.get<int>() > kUnavailable)
          return fail("tags." + kindName + ".state must be 0, 1 or 2");
        state = value.get<int>();
        continue;
      }
      auto it = std::find(names.begin(), names.end(), name);
      if (it == names.end())
        return fail("unknown value name \"" + name + "\" in tags." + kindName);
      if (!value.is_string()) return fail("tags." + kindName + "." + name + " must be a string");
      Cell& cell = row.cells[static_cast<size_t>(it - names.begin()) + 1];
      if (cell.text == value.get_ref<const std::string&>()) continue;
      changes.push_back({kindName + " " + name, cell.text, value.get<std::string>()});
      cell.text = value.get<std::string>();
      cell.value = 1;
      valuesChanged = true;
    }
    if (state != row.state) {
      if (state == kUnavailable || row.state == kUnavailable)
        return fail("tags." + kindName + ".state cannot be changed to or from 2 (unavailable)");
      if (state == kUnchecked && valuesChanged)
        return fail("tags." + kindName + " is removed (state 0) and changed at once");
      changes.push_back({kindName + " state", std::to_string(row.state), std::to_string(state)});
      row.state = state;
      row.image = kChangedMark;
    }
    if (valuesChanged) {
      if (row.state == kUnavailable) return fail("tags." + kindName + " cannot be written to this file");
      if (row.state == kUnchecked) changes.push_back({kindName + " state", "0", "1"});
      row.state = kChecked;
      row.image = kChangedMark;
    }
  }
  return CanWriteMediaFile(entry, error);
}

// The top-level elements of a JSON array, one at a time, each as its own
// text, so that a long listing is never held whole. The input was checked
// to be well-formed JSON before (Json::accept).
class ArrayElements {
 public:
  explicit ArrayElements(std::FILE* in) : in_(in) {}

  // Reads up to the opening "[": false when the input is not an array.
  bool Begin() {
    int c = SkipBlanks();
    if (c == 0xEF && std::getc(in_) == 0xBB && std::getc(in_) == 0xBF) c = SkipBlanks();  // a BOM
    return c == '[';
  }

  // The next element's text; false after the last.
  bool Next(std::string& text) {
    text.clear();
    int c = SkipBlanks();
    if (c == EOF || c == ']') return false;
    if (c == ',') c = SkipBlanks();
    int depth = 0;
    bool inString = false, escaped = false;
    for (; c != EOF; c = std::getc(in_)) {
      if (inString) {
        if (escaped)
          escaped = false;
        else if (c == '\\')
          escaped = true;
        else if (c == '"')
          inString = false;
      } else if (c == '"') {
        inString = true;
      } else if (c == '{' || c == '[') {
        ++depth;
      } else if (c == '}' || c == ']') {
        if (depth == 0) break;  // the array's end
        --depth;
      } else if (c == ',' && depth == 0) {
        break;
      }
      text.push_back(static_cast<char>(c));
    }
    if (c != EOF) std::ungetc(c, in_);
    return true;
  }

 private:
  int SkipBlanks() {
    int c;
    do c = std::getc(in_);
    while (c == ' ' || c == '\t' || c == '\n' || c == '\r');
    return c;
  }
  std::FILE* in_;
};

// The entries of a listing are read and written a batch at a time; files
// that are renamed wait for the end, where one plan orders their renames
// (two files that swap names may stand in different batches).
constexpr int kBatchFiles = 1024;

struct Batch {
  Catalogue catalogue;
  // Per format and row: the listing's identity of the file.
  std::map<std::pair<MediaFormat, int>, std::optional<FileIdentity>> listed;
  int files = 0;

  void Add(MediaFileEntry&& entry, const std::optional<FileIdentity>& identity) {
    const MediaFormat format = entry.format;
    listed[{format, catalogue.RowCount(format)}] = identity;
    std::vector<MediaFileEntry> one;
    one.push_back(std::move(entry));
    catalogue.Append(format, std::move(one));
    ++files;
  }
};

int RunApply(const std::vector<std::string>& args) {
  const CliSyntax syntax{"apply", kUsage, {{"--dry-run", "-n", false}, {"--touch", "", false}}, true};
  int status = kExitOk;
  const std::optional<CliArguments> parsed = ParseArguments(syntax, args, status);
  if (!parsed) return status;
  const bool dryRun = parsed->Has("--dry-run");
  const bool touch = parsed->Has("--touch");
  if (parsed->operands.size() > 1) return UsageError(syntax, "one listing at a time");
  if (parsed->operands.empty() || parsed->operands[0].empty())
    return UsageError(syntax, "no listing given (a file, or - for standard input)");
  const std::string& input = parsed->operands[0];
  // The listing is read twice, once to check that all of it is well formed
  // before anything is written and once entry by entry: standard input is
  // kept in a temporary file for that.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(nullptr, std::fclose);
  if (input == "-") {
    in.reset(std::tmpfile());
    char buffer[1 << 16];
    size_t got = 0;
    bool kept = in != nullptr;
    while (kept && (got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
      kept = std::fwrite(buffer, 1, got, in.get()) == got;
    if (!kept || std::ferror(stdin) || std::fflush(in.get()) != 0) {
      std::cerr << "hozanki-cli apply: cannot keep standard input in a temporary file (nothing written)\n";
      return kExitFailed;
    }
  } else {
    in.reset(std::fopen(input.c_str(), "rb"));
    if (!in) {
      std::cerr << "hozanki-cli apply: cannot read " << input << "\n";
      return kExitUsage;
    }
  }
  std::rewind(in.get());
  bool wellFormed = Json::accept(in.get());
  std::rewind(in.get());
  ArrayElements elements(in.get());
  if (!wellFormed || !elements.Begin()) {
    std::cerr << "hozanki-cli apply: " << (input == "-" ? "standard input" : input)
              << " is not a JSON array as `list --json` prints (nothing written)\n";
    return kExitFailed;
  }

  // Every file from the root: a catalogue of files of any folder, saved as
  // the window saves.
  WriteSettings settings = WriteSettings::FromIni(IniFile::Load(SettingsFolder() / kSettingsFileName));
  if (touch) settings.keepTimeStamp = false;
  const std::filesystem::path root = "/";
  int failed = 0, written = 0;
  auto save = [&](Batch& batch) {
    if (!dryRun && HasStagedChanges(batch.catalogue)) {
      SavePlan plan = CollectSavePlan(batch.catalogue, root, settings, SettingsFolder());
      for (SaveItem& item : plan.items) item.expected = batch.listed[{item.format, item.row}];
      SaveEngine engine(std::move(plan));
      SaveResult result = engine.Run({}, [&](const SaveRowResult& row) {
        if (row.Failed()) {
          ++failed;
          std::cerr << "hozanki-cli apply: " << DisplayPath(root / row.oldRelativePath) << ": "
                    << Reason(row.error) << "\n";
        } else {
          ++written;
        }
      });
    }
    batch = Batch{};
  };
  Batch batch, renames;
  size_t entries = 0;
  int refused = 0, unchanged = 0, unidentified = 0;
  std::set<std::filesystem::path> seen;
  std::set<std::pair<uint64_t, uint64_t>> files;  // device and inode
  // The files of a run of entries are read several at a time (on a network
  // share each read is a few round trips), each identity before its values;
  // the entries are then taken one by one, in their order.
  struct Listed {
    Json j;
    std::string shown;
    std::string refusal;  // of the entry itself, before any file is read
    std::filesystem::path absolute;
    std::optional<FileIdentity> identity;
    std::optional<MediaFileEntry> entry;
    std::string error;
  };
  constexpr size_t kReadAhead = 256;
  std::vector<Listed> run;
  std::string text;
  bool more = true;
  while (more) {
    run.clear();
    while (run.size() < kReadAhead && (more = elements.Next(text))) {
      Listed& l = run.emplace_back();
      l.shown = "entry " + std::to_string(++entries);
      l.j = Json::parse(text, nullptr, /*allow_exceptions=*/false);
      if (!l.j.is_object()) {
        l.refusal = "not an object";
        continue;
      }
      std::optional<std::filesystem::path> path = PathOfListEntry(l.j);
      if (!path) {
        l.refusal = "no \"path\"";
        continue;
      }
      l.shown = DisplayPath(*path);
      std::error_code ec;
      l.absolute = std::filesystem::absolute(*path, ec).lexically_normal();
      if (ec || !seen.insert(l.absolute).second) l.refusal = ec ? "bad path" : "listed twice";
    }
    const auto first = std::find_if(run.begin(), run.end(), [](const Listed& l) { return l.refusal.empty(); });
    const unsigned depth = first == run.end() ? 1 : IoDepthFor(first->absolute.parent_path(), 2);
    ParallelFor(run.size(), depth, [&](size_t k) {
      Listed& l = run[k];
      if (!l.refusal.empty()) return;
      // The identity first: the values read after it belong to it (a change
      // in between shows as a changed identity at write time).
      l.identity = IdentityOfFile(l.absolute);
      l.entry = ReadMediaFile(root, l.absolute.relative_path(), &l.error);
    });
    for (Listed& l : run) {
      const Json& j = l.j;
      const std::string& shown = l.shown;
      auto refuse = [&](const std::string& why) {
        std::cerr << "hozanki-cli apply: " << shown << ": " << Reason(why) << " (file left untouched)\n";
        ++refused;
      };
      if (!l.refusal.empty()) {
        refuse(l.refusal);
        continue;
      }
      std::string error;
      const std::optional<FileIdentity>& identity = l.identity;
      // One file under two names (hard links) is written once.
      if (identity && !files.insert({identity->device, identity->inode}).second) {
        refuse("listed twice (under another name)");
        continue;
      }
      std::optional<MediaFileEntry>& entry = l.entry;
      if (!entry) {
        refuse(l.error.empty() ? "not a supported media file" : l.error);
        continue;
      }
      std::string newName;
      std::vector<Change> changes;
      if (!ApplyEntry(j, identity, *entry, newName, changes, &error)) {
        refuse(error);
        continue;
      }
      if (changes.empty()) {
        ++unchanged;
        continue;
      }
      const bool identified = j.contains("identity");
      unidentified += !identified;
      if (dryRun) {
        std::cout << shown << "\n";
        for (const Change& c : changes) std::cout << "  " << c.what << ": \"" << c.from << "\" -> \"" << c.to << "\"\n";
        continue;
      }
      const bool renamed = entry->file.image == kChangedMark;
      (renamed ? renames : batch).Add(std::move(*entry), identified ? identity : std::nullopt);
      if (batch.files >= kBatchFiles) save(batch);
    }
  }
  if (unidentified > 0)
    std::cerr << "hozanki-cli apply: " << unidentified
              << " entr(ies) without \"identity\" (a listing of an older version): checked by size and time "
                 "stamp only; list again to have changes by other programs found\n";
  save(batch);
  save(renames);
  std::cerr << "hozanki-cli apply: " << (dryRun ? "would write " : "") << (dryRun ? entries - refused - unchanged : written)
            << " file(s), " << unchanged << " unchanged, " << refused + failed << " refused or failed\n";
  return refused + failed > 0 ? kExitFailed : kExitOk;
}

CliCommandRegistration registration({"apply", kUsage, RunApply});

}  // namespace
}  // namespace hozanki::cli
