#pragma once
// The one way this program replaces a file: settings, data files, list
// output and media files alike.
//
// A replacement is written to a temporary file in the target's folder,
// created exclusively under a short name of our own (".hozanki-XXXXXXXX.tmp",
// or a fixed recovery name for the data files), flushed, and renamed over the
// target; the folder is flushed after the rename. A crash therefore leaves the
// old file or the new one, never a mix. While a temporary file is being
// written it is held under an exclusive advisory lock, so that a later run can
// tell the leftovers of a writer that died (unlocked) from a live one, and
// SweepTemporaryFiles removes only those.
//
// Through a symbolic link the file it points to is replaced and the link
// kept. The owner, group, mode and extended attributes of the old file are
// carried over; when that is impossible (another user's file while not
// running as root, a file with several hard links that a rename would split)
// the replacement is refused before anything is written.
//
// Every write is checked: a short write, a full disk or an I/O error fails
// the replacement with its reason and leaves the target untouched. A size
// limit stops writers that would grow a file without end.

#include <sys/types.h>
#include <time.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace hozanki {

// The reason for a failed file operation, in the user's words ("ディスクの空き
// 容量が足りません" for ENOSPC and so on).
std::string FileErrorReason(int error);

struct ReplaceOptions {
  // A fixed temporary name in the target's folder (the data files' recovery
  // copy "NAME.___"); empty gives a fresh ".hozanki-XXXXXXXX.tmp".
  std::string temporaryName;
  // Refuse when the new file could not keep the old one's owner, group or
  // hard links. Off for the program's own files.
  bool keepIdentity = true;
};

class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement();  // a replacement not committed is abandoned
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Prepares replacing `target` (which need not exist yet): opens the
  // temporary file with the old file's owner, group, mode and extended
  // attributes. False with `error` set when the target cannot be replaced.
  bool Begin(const std::filesystem::path& target, std::string* error, const ReplaceOptions& options = {});

  // The file that will be replaced (a symbolic link resolved); the temporary
  // file and its descriptor (open for reading and writing, usable by other
  // writers such as TagLib streams).
  const std::filesystem::path& Target() const { return target_; }
  const std::filesystem::path& Temporary() const { return temporary_; }
  int Fd() const { return fd_; }

  // The temporary file may not grow past this many bytes (0: no limit).
  void SetSizeLimit(uint64_t bytes) { limit_ = bytes; }
  uint64_t SizeLimit() const { return limit_; }

  // Appends bytes, or a range of another open file, at the end of what was
  // written so far. A failure is sticky: every later call fails too, and
  // Commit reports the first cause.
  bool Append(std::string_view bytes);
  bool AppendRange(int fd, uint64_t offset, uint64_t length);
  // Appends the whole old file.
  bool AppendTarget();
  // Writes at an offset (within the size limit).
  bool WriteAt(uint64_t offset, std::string_view bytes);
  // Reads back what was written; short at the end.
  bool ReadAt(uint64_t offset, size_t length, std::string& bytes);
  // Cuts or extends (with zeros, within the size limit) what was written.
  bool Truncate(uint64_t size);
  // Extends what was written by a hole (reads as zeros, takes no space): for
  // scratch copies that are never committed.
  bool AppendHole(uint64_t length);
  uint64_t Size() const { return size_; }

  // Records a failure found by another writer on the descriptor (errno value
  // or a reason of its own); the first one wins.
  void Fail(int error, std::string reason = {});
  bool Failed() const { return failed_; }

  // Flushes the temporary file, renames it over the target and flushes the
  // folder. False with `error` set (target untouched) on any failure.
  bool Commit(std::string* error);
  // Removes the temporary file; the target stays as it is.
  void Abandon();

 private:
  bool Check(int result, const char* what);
  void TrackSize(uint64_t end);

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  int fd_ = -1;
  bool existed_ = false;
  bool failed_ = false;
  std::string failure_;
  uint64_t size_ = 0;
  uint64_t limit_ = 0;
  bool setTime_ = false;  // give the new file time_ before the rename
  struct timespec time_ {};
};

// Writes `bytes` as the new content of `target` through a FileReplacement.
bool WriteFileAtomic(const std::filesystem::path& target, std::string_view bytes, std::string* error = nullptr,
                     const ReplaceOptions& options = {.temporaryName = {}, .keepIdentity = false});

// Reads a whole regular file; false when it is missing, not a regular file
// (a FIFO or a device is never opened for reading in a way that could block)
// or cannot be read. `error`, when given, says why.
bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes, std::string* error = nullptr);

// Whether the path names nothing at all (as opposed to something that cannot
// be read).
bool IsMissingFile(const std::filesystem::path& path);

// Renames `from` to `to` without ever replacing an existing `to`.
// False (and `to` untouched) when `to` exists or the rename fails.
bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::string* error = nullptr);

// Whether a file name is one of our fresh temporary names.
bool IsTemporaryFileName(std::string_view name);

// Our temporary names: ".hozanki-" + 8 random letters and digits + `suffix`
// (".tmp" for a copy being written, ".ren" for a file stepping aside in a
// rename batch); whether `name` has that form.
std::string FreshTemporaryName(std::string_view suffix);
bool IsTemporaryName(std::string_view name, std::string_view suffix);

// Removes the temporary files in `folder` that a writer which died left
// behind (our names, unlocked, regular files). Returns how many went.
int SweepTemporaryFiles(const std::filesystem::path& folder);

// While one lives, the replacement of `target` made on this thread gives the
// new file `time` as its modification time before the rename, so that a
// crash right after the rename leaves the file with the time it is meant to
// have ("TimeStamp" on).
class ReplacementTimeScope {
 public:
  ReplacementTimeScope(const std::filesystem::path& target, const struct timespec& time);
  ~ReplacementTimeScope();
  ReplacementTimeScope(const ReplacementTimeScope&) = delete;
  ReplacementTimeScope& operator=(const ReplacementTimeScope&) = delete;

 private:
  const ReplacementTimeScope* outer_;
  friend class FileReplacement;
  std::filesystem::path target_;
  struct timespec time_;
};

// The steps that make a write durable, in the order they happen: a file's
// data flushed (`path`: the file, a journal or a temporary copy), a folder
// flushed, a file system flushed (`path`: a file on it), a rename (`path`
// from, `to`), bytes of a file overwritten in place. Each is told after it
// is done.
enum class DiskStep { FlushFile, FlushFolder, FlushFileSystem, Rename, Overwrite };
struct DiskStepEvent {
  DiskStep step;
  std::filesystem::path path;
  std::filesystem::path to;
};
// Tests only: called at every step of every durable write of this process,
// on the thread that makes it.
void SetDiskStepHookForTest(std::function<void(const DiskStepEvent&)> hook);

// The writers' own flushes and renames; each tells the hook. FlushFile and
// FlushFileSystem return what fsync and syncfs return.
int FlushFile(int fd, const std::filesystem::path& path);
int FlushFileSystem(int fd, const std::filesystem::path& path);
void FlushFolder(const std::filesystem::path& folder);
// pwrite of all `bytes` at `offset` (retried when interrupted; a write of
// nothing counts as EIO). False with errno set on failure.
bool WriteAllAt(int fd, std::string_view bytes, uint64_t offset);
void NoteDiskStep(DiskStep step, const std::filesystem::path& path, const std::filesystem::path& to = {});

}  // namespace hozanki
