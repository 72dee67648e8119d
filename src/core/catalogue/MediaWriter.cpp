#include "core/catalogue/MediaWriter.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <array>

#include "core/catalogue/TagFile.h"
#include "core/catalogue/formats/Id3v1Tag.h"
#include "core/common/AtomicFile.h"
#include "core/settings/AppSettings.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

constexpr std::array kMp3Tags = {Mp3Tag::ID3v1, Mp3Tag::ID3v2, Mp3Tag::RIFF, Mp3Tag::APE};
constexpr std::array kMaskOf = {kMaskID3v1, kMaskID3v2, kMaskRIFF, kMaskAPE};

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

bool Marked(const TagRow& row) {
  return row.image == kChangedMark;
}
bool Wanted(const TagRow& row) {
  return Marked(row) && row.state == kChecked;
}

std::string CellText(const TagRow& row, size_t index) {
  return index < row.cells.size() ? row.cells[index].text : std::string();
}

bool Reopen(const std::filesystem::path& path, std::unique_ptr<TagFile>& file, std::string* error) {
  file = OpenTagFile(path, error);
  return file != nullptr;
}

// The ID3v2 options besides "Unicode": the version and unsynchronisation.
void SetId3v2Options(TagFile& file, const MediaFileEntry& entry, const WriteSettings& settings) {
  if (settings.unsync == 1 || settings.unsync == 2) file.SetOption("mp3_ID3v2Unsync", settings.unsync == 1 ? "0" : "1");
  static constexpr const char* kVersions[] = {"", "2.2", "2.3", "2.4"};
  if (settings.id3v2Version >= 1 && settings.id3v2Version <= 3)
    file.SetOption("mp3_SaveID3v2Version", kVersions[settings.id3v2Version]);
  // A tag the encoding repair marked is written for every reader:
  // without unsynchronisation, with which FFmpeg misreads UTF-16 frames.
  if (entry.forceUnicode) file.SetOption("mp3_ID3v2Unsync", "0");
}

// Stages the entry's MP3 rows in `file` (nothing written).
bool StageMp3(TagFile* file, const MediaFileEntry& entry, const WriteSettings& settings, std::string* error) {
  if (file->Type() != FileType::MP3) return Fail(error, "読み込んだ後にファイルの形式が変わっています");
  const uint32_t present = file->TagMask();
  const auto& rows = entry.tags;
  bool riffWritten = Wanted(rows[2]);
  bool id3v2OrApeWritten = Wanted(rows[1]) || Wanted(rows[3]);

  // Removals: a marked, unchecked kind; also a kind that a written kind
  // excludes. Additions: marked, checked, absent kinds. All of them, with
  // the values below, reach the disk in one save.
  for (size_t k = 0; k < kMp3Tags.size(); ++k) {
    const TagRow& row = rows[k];
    if (!(present & kMaskOf[k]) || row.state == kChecked) continue;
    bool excluded = (k == 2 && id3v2OrApeWritten) || ((k == 1 || k == 3) && riffWritten);
    if (!Marked(row) && !excluded) continue;
    if (!file->RemoveTagOnSave(kMp3Tags[k], error)) return false;
  }
  for (size_t k = 0; k < kMp3Tags.size(); ++k) {
    if (!Wanted(rows[k]) || (present & kMaskOf[k])) continue;
    if (!file->CreateTagOnSave(kMp3Tags[k], error)) return false;
  }
  // Values of every marked, checked kind.
  for (size_t k = 0; k < kMp3Tags.size(); ++k) {
    if (!Wanted(rows[k])) continue;
    TagKind kind = TagKindsOf(MediaFormat::MP3)[k];
    // "Unicode" also decides how RIFF INFO text that is not ASCII is written.
    if ((kind == TagKind::MP3ID3v2 || kind == TagKind::MP3RIFF) && (settings.unicode == 1 || settings.unicode == 2))
      file->SetOption("mp3_ID3v2Unicode", settings.unicode == 1 ? "0" : "1");
    if ((kind == TagKind::MP3ID3v2 || kind == TagKind::MP3RIFF) && entry.forceUnicode)
      file->SetOption("mp3_ID3v2Unicode", "1");
    if (kind == TagKind::MP3ID3v2) SetId3v2Options(*file, entry, settings);
    std::span<const std::string_view> names = ValueNamesOf(kind);
    for (size_t i = 0; i < names.size(); ++i) file->SetValue(names[i], CellText(rows[k], i + 1));
  }
  return true;
}

bool StageRow(TagFile& file, const MediaFileEntry& entry, std::string* error);

// Opens the file and stages the entry's rows in it.
std::unique_ptr<TagFile> Stage(const std::filesystem::path& path, const MediaFileEntry& entry,
                               const WriteSettings& settings, std::string* error) {
  std::unique_ptr<TagFile> file;
  if (!Reopen(path, file, error)) return nullptr;
  if (entry.format == MediaFormat::MP3) {
    if (!StageMp3(file.get(), entry, settings, error)) return nullptr;
    return file;
  }
  // "Unicode" decides how RIFF INFO text that is not ASCII is written.
  if (settings.unicode == 1 || settings.unicode == 2)
    file->SetOption("mp3_ID3v2Unicode", settings.unicode == 1 ? "0" : "1");
  if (entry.forceUnicode) file->SetOption("mp3_ID3v2Unicode", "1");
  // The formats with an ID3v2 table (AIFF, DSF) take all of its options;
  // the others have no use for them.
  SetId3v2Options(*file, entry, settings);
  if (!StageRow(*file, entry, error)) return nullptr;
  return file;
}

bool StageRow(TagFile& file, const MediaFileEntry& entry, std::string* error) {
  if (entry.format == MediaFormat::MP3 || entry.tags.size() != 1)
    return Fail(error, "an MP3 file is written with its tag kinds");
  if (file.Type() != TypeOfFormat(entry.format)) return Fail(error, "読み込んだ後にファイルの形式が変わっています");
  const TagRow& row = entry.tags[0];
  bool checked = row.state == kChecked;
  TagKind kind = TagKindsOf(entry.format)[0];
  std::span<const std::string_view> names = ValueNamesOf(kind);
  for (size_t i = 0; i < names.size(); ++i) {
    std::string text = checked ? CellText(row, i + 1) : std::string();
    const ValueNameRule* rule = ValueRuleOf(kind, names[i]);
    if (rule && rule->quirk == ValueQuirk::Pair) {
      const auto [first, second] = SplitPairCell(text);
      file.SetValue(rule->first, first);
      file.SetValue(rule->second, second);
    } else {
      file.SetValue(names[i], text);
    }
  }
  return true;
}

}  // namespace

bool WriteRowToTagFile(TagFile& file, const MediaFileEntry& entry, std::string* error) {
  return StageRow(file, entry, error) && file.Save(error);
}

WriteSettings WriteSettings::FromOptions(const AppSettings& options) {
  WriteSettings s;
  s.unicode = options.unicode;
  s.unsync = options.unsync;
  s.id3v2Version = options.id3v2Ver;
  s.keepTimeStamp = options.timeStamp;
  return s;
}

WriteSettings WriteSettings::FromIni(const IniFile& ini) {
  AppSettings options;
  options.ReadOptions(ini);
  return FromOptions(options);
}

bool CanWriteMediaFile(const MediaFileEntry& entry, std::string* error) {
  if (entry.format != MediaFormat::MP3) return true;
  if (entry.tags.size() != 4) return Fail(error, "an MP3 entry needs four tag rows");
  const auto& rows = entry.tags;
  if (rows[2].state == kChecked && (rows[1].state == kChecked || rows[3].state == kChecked))
    return Fail(error, "a RIFF-wrapped MP3 cannot also carry an ID3v2 or APE tag");
  if (Wanted(rows[0])) {
    std::span<const std::string_view> names = ValueNamesOf(TagKind::MP3ID3v1);
    for (size_t i = 0; i < names.size(); ++i) {
      // Only a value the user set: one as read keeps its bytes (ISO-8859-1
      // ones, "Motörhead", as well).
      if (i + 1 >= rows[0].cells.size() || rows[0].cells[i + 1].value == 0) continue;
      std::string text = CellText(rows[0], i + 1);
      const std::string_view name = names[i];
      std::string why;
      if (!Id3v1FieldBytes(text, 30, &why)) return Fail(error, std::string(name) + ": " + why);
      if (why = Id3v1Tag::Refusal(name.substr(0, name.rfind('_')), text); !why.empty())
        return Fail(error, std::string(name) + ": " + why);
    }
  }
  return true;
}

PreparedWrite PrepareMediaWrite(const std::filesystem::path& folder, const MediaFileEntry& entry,
                                const WriteSettings& settings, InPlaceEdit& edit, std::string* error) {
  if (entry.tags.size() != TagKindsOf(entry.format).size())
    return Fail(error, "the entry's rows are incomplete"), PreparedWrite::Failed;
  if (!CanWriteMediaFile(entry, error)) return PreparedWrite::Failed;
  std::filesystem::path path = folder / entry.relativePath;
  struct stat before {};
  if (::stat(path.c_str(), &before) != 0) return Fail(error, FileErrorReason(errno) + " (" + path.string() + ")"), PreparedWrite::Failed;
  std::unique_ptr<TagFile> file = Stage(path, entry, settings, error);
  if (!file) return PreparedWrite::Failed;
  if (!settings.journalFolder.empty()) {
    edit = InPlaceEdit{};
    switch (file->PlanInPlace(edit, error)) {
      case TagFile::InPlacePlan::InPlace:
        edit.keepTime = settings.keepTimeStamp;
        return PreparedWrite::InPlace;
      case TagFile::InPlacePlan::Failed:
        return PreparedWrite::Failed;
      case TagFile::InPlacePlan::Rewrite:
        break;
    }
  }
  bool ok = false;
  if (settings.keepTimeStamp) {
    // A new copy takes the old time before it takes the file's name.
    ReplacementTimeScope keepTime(path, before.st_mtim);
    ok = file->Save(error);
  } else {
    ok = file->Save(error);
  }
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1] = before.st_mtim;
  if (!settings.keepTimeStamp) times[1].tv_nsec = UTIME_NOW;
  if (settings.keepTimeStamp || ok) ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  return ok ? PreparedWrite::Written : PreparedWrite::Failed;
}

bool WriteMediaFile(const std::filesystem::path& folder, const MediaFileEntry& entry,
                    const WriteSettings& settings, std::string* error) {
  InPlaceEdit edit;
  switch (PrepareMediaWrite(folder, entry, settings, edit, error)) {
    case PreparedWrite::Written:
      return true;
    case PreparedWrite::Failed:
      return false;
    case PreparedWrite::InPlace:
      break;
  }
  // The same value set again leaves the file alone.
  if (edit.Unchanged()) return true;
  SaveJournal journal(settings.journalFolder);
  journal.Add(std::move(edit));
  journal.Commit();
  const SaveJournal::Result& result = journal.Results().front();
  return result.ok || Fail(error, result.error);
}

}  // namespace hozanki
