#include "core/catalogue/MediaReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>

#include "core/catalogue/FolderScan.h"
#include "core/catalogue/FormatOpeners.h"
#include "core/catalogue/TagFile.h"
#include "core/common/Failure.h"
#include "core/common/Mp3TagRule.h"
#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

int WholeNumber(std::string_view text) {
  int value = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && p == text.data() + text.size() && !text.empty() ? value : 0;
}

// The stamp of a file from its stat, taken now.
ReadStamp StampOf(const struct stat& st) {
  constexpr int64_t kNano = 1'000'000'000;
  timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return ReadStamp{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                   static_cast<int64_t>(st.st_ctim.tv_sec) * kNano + st.st_ctim.tv_nsec,
                   static_cast<int64_t>(now.tv_sec) * kNano + now.tv_nsec};
}

struct FileFacts {
  uint64_t size = 0;
  int64_t modified = 0;
  ReadStamp stamp;
};

std::optional<FileFacts> Stat(const std::filesystem::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  FileFacts facts{static_cast<uint64_t>(st.st_size), static_cast<int64_t>(st.st_mtime), {}};
  facts.stamp = StampOf(st);
  return facts;
}

std::string ReadTagValue(const TagFile& file, TagKind kind, std::string_view name) {
  const ValueNameRule* rule = ValueRuleOf(kind, name);
  if (rule && rule->quirk == ValueQuirk::Pair)
    return PairCellText(file.GetValue(rule->first), file.GetValue(rule->second));
  std::string value = file.GetValue(name);
  if (value.empty() && rule && rule->quirk == ValueQuirk::Fallback) value = file.GetValue(rule->first);
  return value;
}

void ReadRowValues(const TagFile& file, TagKind kind, TagRow& row) {
  std::span<const std::string_view> names = ValueNamesOf(kind);
  for (size_t i = 0; i < names.size(); ++i) row.cells[i + 1].text = ReadTagValue(file, kind, names[i]);
}

// Steps shared by a new and a re-read entry, after the rows are prepared.
void FillRows(const TagFile& file, MediaFileEntry& entry) {
  FileRow& row = entry.file;
  if (entry.format == MediaFormat::MP4)
    row.cells[3] = Mp4PlayingTimeCell(file.GetValue("AFMT"));
  else
    row.cells[3] = PlayingTimeCell(file.GetValue("TIME"));

  if (entry.format != MediaFormat::MP3) {
    row.cells[4].text = file.GetValue("AFMT");
    if (FileCellCount(entry.format) > 5) row.cells[5].text = file.GetValue("VFMT");
    TagRow& tags = entry.tags[0];
    tags.state = kChecked;
    ReadRowValues(file, TagKindsOf(entry.format)[0], tags);
    return;
  }
  row.cells[8].text = file.GetValue("AFMT");
  uint32_t mask = file.TagMask();
  TagRow& v1 = entry.tags[0];
  TagRow& v2 = entry.tags[1];
  TagRow& riff = entry.tags[2];
  TagRow& ape = entry.tags[3];
  // A kind the file holds is checked; the kinds it excludes are closed.
  auto hold = [&entry](TagKind kind) {
    entry.tags[static_cast<size_t>(TagRowIndex(kind))].state = kChecked;
    for (TagKind other : kMp3TagKinds)
      if (Mp3TagsExclude(kind, other)) entry.tags[static_cast<size_t>(TagRowIndex(other))].state = kUnavailable;
  };
  if (mask & kMaskID3v1) {
    row.cells[4].text = (mask & kMaskID3v1_0) ? "v1.0" : (mask & kMaskID3v1_1) ? "v1.1" : "";
    hold(TagKind::MP3ID3v1);
    ReadRowValues(file, TagKind::MP3ID3v1, v1);
  }
  if (mask & kMaskID3v2) {
    row.cells[5].text = (mask & kMaskID3v2_2)   ? "v2.2"
                        : (mask & kMaskID3v2_3) ? "v2.3"
                        : (mask & kMaskID3v2_4) ? "v2.4"
                                                : "";
    hold(TagKind::MP3ID3v2);
    ReadRowValues(file, TagKind::MP3ID3v2, v2);
  }
  if (mask & kMaskRIFF) {
    row.cells[6].text = "SIF";
    hold(TagKind::MP3RIFF);
    ReadRowValues(file, TagKind::MP3RIFF, riff);
  }
  if (mask & kMaskAPE) {
    row.cells[7].text = (mask & kMaskAPEv1) ? "v1" : "v2";
    hold(TagKind::MP3APE);
    ReadRowValues(file, TagKind::MP3APE, ape);
  }
}

void SetFileFacts(MediaFileEntry& entry, const FileFacts& facts) {
  entry.size = facts.size;
  entry.modified = facts.modified;
  entry.file.cells[0].text = DisplayPath(entry.relativePath.filename());
  entry.file.cells[1].text = SizeText(facts.size);
  entry.file.cells[2].text = TimeStampText(facts.modified);
}

}  // namespace

std::string SizeText(uint64_t size) {
  std::string digits = std::to_string(size);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

std::string TimeStampText(int64_t secondsSinceEpoch) {
  time_t t = static_cast<time_t>(secondsSinceEpoch);
  struct tm local {};
  localtime_r(&t, &local);
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return buffer;
}

std::string DisplayPath(const std::filesystem::path& path) { return DisplayName(path); }

Cell PlayingTimeCell(std::string_view text) {
  Cell cell;
  size_t blank = text.find(' ');
  cell.text = std::string(blank == std::string_view::npos ? text : text.substr(0, blank));
  std::string_view seconds = text;
  size_t open = text.find(" (");
  if (open != std::string_view::npos && text.size() >= open + 6 && text.substr(text.size() - 4) == "sec)")
    seconds = text.substr(open + 2, text.size() - 4 - open - 2);
  cell.value = WholeNumber(seconds);
  return cell;
}

Cell Mp4PlayingTimeCell(std::string_view audioFormat) {
  std::string_view seconds = audioFormat;
  size_t comma = audioFormat.find(", ");
  if (comma != std::string_view::npos) {
    size_t dot = audioFormat.find('.', comma + 2);
    if (dot != std::string_view::npos) seconds = audioFormat.substr(comma + 2, dot - comma - 2);
  }
  int s = WholeNumber(seconds);
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%d:%02d", s / 60, s % 60);
  return Cell{buffer, s};
}

bool StillAsRead(const std::filesystem::path& folder, const MediaFileEntry& entry) {
  if (!entry.stamp.Settled()) return false;
  struct stat st {};
  if (::stat((folder / entry.relativePath).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const ReadStamp now = StampOf(st);
  return now.device == entry.stamp.device && now.inode == entry.stamp.inode &&
         now.changed == entry.stamp.changed && static_cast<uint64_t>(st.st_size) == entry.size;
}

namespace {

// Whether a file held open can be opened again through /proc/self/fd (no
// look-up of its path).
bool CanReopenThroughProc() {
  static const bool can = ::access("/proc/self/fd", X_OK) == 0;
  return can;
}

// Reads the file open as `fd` (closed here).
std::optional<MediaFileEntry> ReadOpenFile(int fd, const std::filesystem::path& full,
                                           const std::filesystem::path& relativePath, std::string* error,
                                           std::optional<FileIdentity>* identity) {
  struct Closer {
    int fd;
    ~Closer() {
      if (fd >= 0) ::close(fd);
    }
  } closer{fd};
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int code = fd < 0 ? errno : 0;
    FailWith(error, PathFailure(code == 0        ? FailureKind::kNotRegularFile
                                : code == ENOENT ? FailureKind::kNoSuchFile
                                                 : FailureKind::kSystem,
                                full.string(), code));
    return std::nullopt;
  }
  const ReadStamp stamp = StampOf(st);  // before the values are read
  const FileType type = TypeFromExtension(full);
  const FormatOpener open = OpenerOf(type);
  if (!open) {
    FailWith(error, PathFailure(FailureKind::kNotMediaFile, full.string()));
    return std::nullopt;
  }
  // Readers that can use the descriptor do; the others open the same file
  // again through it.
  const std::string reopened = "/proc/self/fd/" + std::to_string(fd);
  const bool viaProc = CanReopenThroughProc();
  const std::filesystem::path readAs = viaProc ? std::filesystem::path(reopened) : full;
  HeldOpenFile held(readAs, fd);
  std::unique_ptr<TagFile> file = open(type, readAs, error);
  if (error && viaProc)
    for (size_t at; (at = error->find(reopened)) != std::string::npos;) error->replace(at, reopened.size(), full.string());
  if (!file || file->Type() == FileType::Unknown) return std::nullopt;
  MediaFileEntry entry =
      EntryFromTagFile(*file, relativePath, static_cast<uint64_t>(st.st_size), static_cast<int64_t>(st.st_mtime));
  entry.stamp = stamp;
  if (identity) *identity = IdentityOfOpenFile(fd);
  return entry;
}

}  // namespace

std::optional<MediaFileEntry> ReadMediaFile(const std::filesystem::path& folder,
                                            const std::filesystem::path& relativePath, std::string* error,
                                            std::optional<FileIdentity>* identity) {
  std::filesystem::path full = folder / relativePath;
  // Non-blocking: a pipe listed as a media file must not hang the reader.
  const int fd = ::open(full.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  return ReadOpenFile(fd, full, relativePath, error, identity);
}

std::optional<MediaFileEntry> ReadMediaFileAt(int folderFd, const std::filesystem::path& name,
                                              const std::filesystem::path& folder,
                                              const std::filesystem::path& relativePath, std::string* error,
                                              std::optional<FileIdentity>* identity) {
  const int fd = ::openat(folderFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  return ReadOpenFile(fd, folder / relativePath, relativePath, error, identity);
}

MediaFileEntry EntryFromTagFile(const TagFile& file, const std::filesystem::path& relativePath, uint64_t size,
                                int64_t modified) {
  MediaFileEntry entry;
  entry.format = FormatOfType(file.Type());
  entry.relativePath = relativePath;
  entry.file.cells.resize(static_cast<size_t>(FileCellCount(entry.format)));
  std::string shownPath = DisplayPath(relativePath.generic_string());
  for (TagKind kind : TagKindsOf(entry.format)) {
    TagRow row;
    row.cells.resize(ValueNamesOf(kind).size() + 1);
    row.cells[0].text = shownPath;
    entry.tags.push_back(std::move(row));
  }
  SetFileFacts(entry, FileFacts{size, modified, {}});
  FillRows(file, entry);
  return entry;
}

bool RereadMediaFile(const std::filesystem::path& folder, MediaFileEntry& entry) {
  std::filesystem::path full = folder / entry.relativePath;
  std::optional<FileFacts> facts = Stat(full);
  if (!facts) return false;
  std::unique_ptr<TagFile> file = OpenTagFile(full);
  if (!file || file->Type() != TypeOfFormat(entry.format)) return false;

  entry.file.image = kNoMark;
  entry.forceUnicode = false;
  entry.stamp = facts->stamp;
  entry.storedCells.clear();
  entry.file.cells.resize(static_cast<size_t>(FileCellCount(entry.format)));
  SetFileFacts(entry, *facts);
  if (entry.format == MediaFormat::MP3)
    for (size_t i = 4; i <= 7; ++i) entry.file.cells[i].text.clear();
  std::span<const TagKind> kinds = TagKindsOf(entry.format);
  entry.tags.resize(kinds.size());
  for (size_t k = 0; k < kinds.size(); ++k) {
    TagRow& row = entry.tags[k];
    row.state = kUnchecked;
    row.image = kNoMark;
    row.cells.resize(ValueNamesOf(kinds[k]).size() + 1);
    for (size_t i = 1; i < row.cells.size(); ++i) row.cells[i].value = 0;
  }
  FillRows(*file, entry);
  return true;
}

}  // namespace hozanki
