#include "core/common/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <vector>

namespace hozanki {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTempPrefix = ".hozanki-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr size_t kTempRandom = 8;

bool SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

std::string Reason(int err, const fs::path& path) {
  return FileErrorReason(err) + " (" + path.string() + ")";
}

int OpenFolder(const fs::path& folder) {
  return ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

std::function<void(const DiskStepEvent&)>& DiskStepHook() {
  static std::function<void(const DiskStepEvent&)> hook;
  return hook;
}

// The innermost ReplacementTimeScope of this thread.
thread_local const ReplacementTimeScope* currentTimeScope = nullptr;

fs::path Resolved(const fs::path& path) {
  if (char* real = ::realpath(path.c_str(), nullptr)) {
    fs::path out = real;
    std::free(real);
    return out;
  }
  return path;
}

// Copies the extended attributes (ACLs among them) of `from` onto `to`.
// False with errno set when one that exists cannot be carried over.
bool CopyAttributes(int from, int to) {
  ssize_t size = ::flistxattr(from, nullptr, 0);
  if (size < 0) return errno == ENOTSUP || errno == ENOSYS;
  if (size == 0) return true;
  std::vector<char> names(static_cast<size_t>(size));
  size = ::flistxattr(from, names.data(), names.size());
  if (size < 0) return false;
  for (const char* name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
    ssize_t length = ::fgetxattr(from, name, nullptr, 0);
    if (length < 0) return false;
    std::vector<char> value(static_cast<size_t>(length));
    length = ::fgetxattr(from, name, value.data(), value.size());
    if (length < 0) return false;
    if (::fsetxattr(to, name, value.data(), static_cast<size_t>(length), 0) != 0) {
      // Labels the system sets by itself on every new file need no copy.
      if (std::strncmp(name, "security.selinux", 16) == 0) continue;
      return false;
    }
  }
  return true;
}

}  // namespace

std::string FileErrorReason(int error) {
  switch (error) {
    case ENOSPC:
      return "ディスクの空き容量が足りません";
    case EDQUOT:
      return "ディスク使用量の制限を超えました";
    case EFBIG:
      return "ファイルが大きくなりすぎます";
    case EIO:
      return "読み書きエラーが発生しました";
    case EACCES:
    case EPERM:
      return "アクセスが拒否されました";
    case EROFS:
      return "読み取り専用のファイルシステムです";
    case ENOENT:
      return "ファイルが見つかりません";
    case ENAMETOOLONG:
      return "ファイル名が長すぎます";
    case EEXIST:
      return "同じ名前のファイルがあります";
    case EISDIR:
      return "フォルダです";
    case ETXTBSY:
    case EBUSY:
      return "ファイルが使用中です";
    case EMFILE:
    case ENFILE:
      return "開いているファイルが多すぎます";
    case ENOMEM:
      return "メモリが足りません";
    default:
      return "ファイルを読み書きできません（エラー番号 " + std::to_string(error) + "）";
  }
}

FileReplacement::~FileReplacement() {
  Abandon();
}

bool FileReplacement::Begin(const fs::path& target, std::string* error, const ReplaceOptions& options) {
  Abandon();
  failed_ = false;
  failure_.clear();
  size_ = 0;
  target_ = target;
  // Through a symbolic link (or a chain of them) the file it names is
  // replaced; the link itself stays.
  if (char* real = ::realpath(target.c_str(), nullptr)) {
    target_ = real;
    std::free(real);
  } else if (errno == ENOENT) {
    // A new file: its folder must exist (a dangling link names a file that
    // we would create where the link points).
    std::error_code ec;
    fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target_ = resolved;
  }
  struct stat st {};
  existed_ = ::stat(target_.c_str(), &st) == 0;
  if (!existed_ && errno != ENOENT) return SetError(error, Reason(errno, target_));
  if (existed_) {
    if (!S_ISREG(st.st_mode)) return SetError(error, "通常のファイルではありません (" + target_.string() + ")");
    if (::access(target_.c_str(), W_OK) != 0) return SetError(error, Reason(errno, target_));
    if (options.keepIdentity && st.st_nlink > 1)
      return SetError(error, "ハードリンクのあるファイルは、リンクを保ったまま書き換えられないため保存しません (" +
                                 target_.string() + ")");
  }
  setTime_ = false;
  for (const ReplacementTimeScope* scope = currentTimeScope; existed_ && scope; scope = scope->outer_)
    if (scope->target_ == target_) {
      setTime_ = true;
      time_ = scope->time_;
      break;
    }
  fs::path folder = target_.parent_path();
  mode_t mode = existed_ ? (st.st_mode & 07777) : 0666;
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    fs::path name = options.temporaryName.empty()
                        ? fs::path(FreshTemporaryName(kTempSuffix))
                        : fs::path(options.temporaryName);
    temporary_ = folder / name;
    fd_ = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, existed_ ? 0600 : mode);
    if (fd_ >= 0) break;
    if (errno != EEXIST) return SetError(error, Reason(errno, temporary_));
    if (!options.temporaryName.empty()) {
      // A recovery copy left by a write that died: ours by its name, and the
      // data file it would restore exists (recovery runs at start-up).
      struct stat old {};
      if (::lstat(temporary_.c_str(), &old) != 0 || !S_ISREG(old.st_mode) || attempt > 0)
        return SetError(error, Reason(EEXIST, temporary_));
      ::unlink(temporary_.c_str());
    }
  }
  if (fd_ < 0) return SetError(error, Reason(EEXIST, temporary_));
  ::flock(fd_, LOCK_EX);
  if (!existed_) return true;

  // Same owner, group, mode and attributes as the old file.
  auto refuse = [&](std::string text) {
    Abandon();
    return SetError(error, std::move(text));
  };
  if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
    if (::fchown(fd_, st.st_uid, st.st_gid) != 0 && options.keepIdentity)
      return refuse("ファイルの所有者またはグループを保てないため保存しません (" + target_.string() + ")");
  }
  if (::fchmod(fd_, mode) != 0) return refuse(Reason(errno, temporary_));
  int source = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (source < 0) return refuse(Reason(errno, target_));
  bool copied = CopyAttributes(source, fd_);
  int err = errno;
  ::close(source);
  if (!copied && options.keepIdentity)
    return refuse("拡張属性を保てないため保存しません (" + target_.string() + "): " + std::strerror(err));
  return true;
}

void FileReplacement::Fail(int error, std::string reason) {
  if (failed_) return;
  failed_ = true;
  failure_ = reason.empty() ? Reason(error, target_) : std::move(reason);
}

bool FileReplacement::Check(int result, const char*) {
  if (result != 0) Fail(errno);
  return !failed_;
}

void FileReplacement::TrackSize(uint64_t end) {
  size_ = std::max(size_, end);
}

bool FileReplacement::WriteAt(uint64_t offset, std::string_view bytes) {
  if (failed_ || fd_ < 0) return false;
  if (limit_ && offset + bytes.size() > limit_) {
    Fail(EFBIG, "書き込みが想定の大きさを超えたため中止しました (" + target_.string() + ")");
    return false;
  }
  if (!WriteAllAt(fd_, bytes, offset)) {
    Fail(errno);
    return false;
  }
  TrackSize(offset + bytes.size());
  return true;
}

bool FileReplacement::ReadAt(uint64_t offset, size_t length, std::string& bytes) {
  bytes.assign(length, '\0');
  if (failed_ || fd_ < 0) return false;
  size_t done = 0;
  while (done < length) {
    ssize_t r = ::pread(fd_, bytes.data() + done, length - done, static_cast<off_t>(offset + done));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      Fail(errno);
      return false;
    }
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  bytes.resize(done);
  return true;
}

bool FileReplacement::Truncate(uint64_t size) {
  if (failed_ || fd_ < 0) return false;
  if (limit_ && size > limit_) {
    Fail(EFBIG, "書き込みが想定の大きさを超えたため中止しました (" + target_.string() + ")");
    return false;
  }
  if (size > size_) {
    // Extending writes zeros so that a full disk shows now, not later.
    std::string zeros(static_cast<size_t>(std::min<uint64_t>(size - size_, 1u << 20)), '\0');
    while (size_ < size)
      if (!Append(std::string_view(zeros).substr(0, static_cast<size_t>(std::min<uint64_t>(size - size_, zeros.size())))))
        return false;
    return true;
  }
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
    Fail(errno);
    return false;
  }
  size_ = size;
  return true;
}

bool FileReplacement::AppendHole(uint64_t length) {
  if (failed_ || fd_ < 0) return false;
  if (limit_ && size_ + length > limit_) {
    Fail(EFBIG, "書き込みが想定の大きさを超えたため中止しました (" + target_.string() + ")");
    return false;
  }
  if (::ftruncate(fd_, static_cast<off_t>(size_ + length)) != 0) {
    Fail(errno);
    return false;
  }
  size_ += length;
  return true;
}

bool FileReplacement::Append(std::string_view bytes) {
  return WriteAt(size_, bytes);
}

bool FileReplacement::AppendRange(int fd, uint64_t offset, uint64_t length) {
  if (failed_ || fd_ < 0) return false;
  if (limit_ && size_ + length > limit_) {
    Fail(EFBIG, "書き込みが想定の大きさを超えたため中止しました (" + target_.string() + ")");
    return false;
  }
  // Large ranges go through the kernel's copy; a buffer is the fallback.
  while (length > 0) {
    loff_t in = static_cast<loff_t>(offset), out = static_cast<loff_t>(size_);
    ssize_t n = ::copy_file_range(fd, &in, fd_, &out, static_cast<size_t>(std::min<uint64_t>(length, 1u << 30)), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    offset += static_cast<uint64_t>(n);
    length -= static_cast<uint64_t>(n);
    size_ += static_cast<uint64_t>(n);
  }
  if (length == 0) return true;
  std::string buffer(std::min<uint64_t>(length, 1u << 20), '\0');
  while (length > 0) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(length, buffer.size()));
    ssize_t r = ::pread(fd, buffer.data(), want, static_cast<off_t>(offset));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      Fail(errno);
      return false;
    }
    if (r == 0) {
      Fail(EIO, "コピー中に元のファイルが短くなりました (" + target_.string() + ")");
      return false;
    }
    if (!Append(std::string_view(buffer.data(), static_cast<size_t>(r)))) return false;
    offset += static_cast<uint64_t>(r);
    length -= static_cast<uint64_t>(r);
  }
  return true;
}

bool FileReplacement::AppendTarget() {
  if (failed_ || fd_ < 0) return false;
  int source = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (source < 0) {
    Fail(errno);
    return false;
  }
  struct stat st {};
  bool ok = ::fstat(source, &st) == 0 && S_ISREG(st.st_mode);
  if (!ok) Fail(errno ? errno : EINVAL);
  if (ok) ok = AppendRange(source, 0, static_cast<uint64_t>(st.st_size));
  ::close(source);
  return ok;
}

bool FileReplacement::Commit(std::string* error) {
  if (fd_ < 0) return SetError(error, failed_ ? failure_ : "書き込みの準備ができていません");
  if (!failed_) {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
      Fail(errno);
    else if (st.st_nlink == 0)
      Fail(ENOENT, "一時ファイルが消されました (" + temporary_.string() + ")");
    else if (limit_ && static_cast<uint64_t>(st.st_size) > limit_)
      Fail(EFBIG, "書き込みが想定の大きさを超えたため中止しました (" + target_.string() + ")");
  }
  if (!failed_ && setTime_) {
    // The time the file is meant to keep, before it takes the target's
    // name: a crash after the rename must not leave the time of the write.
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1] = time_;
    Check(::futimens(fd_, times), "time");
  }
  if (!failed_) Check(FlushFile(fd_, temporary_), "flush");
  if (failed_) {
    std::string text = failure_;
    Abandon();
    return SetError(error, text);
  }
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    int err = errno;
    Abandon();
    return SetError(error, Reason(err, target_));
  }
  NoteDiskStep(DiskStep::Rename, temporary_, target_);
  ::close(fd_);
  fd_ = -1;
  temporary_.clear();
  FlushFolder(target_.parent_path());
  return true;
}

void FileReplacement::Abandon() {
  if (fd_ < 0) return;
  ::unlink(temporary_.c_str());
  ::close(fd_);
  fd_ = -1;
  temporary_.clear();
}

bool WriteFileAtomic(const fs::path& target, std::string_view bytes, std::string* error,
                     const ReplaceOptions& options) {
  FileReplacement file;
  if (!file.Begin(target, error, options)) return false;
  file.Append(bytes);
  return file.Commit(error);
}

bool ReadWholeFile(const fs::path& path, std::string& bytes, std::string* error) {
  bytes.clear();
  // O_NONBLOCK: opening a FIFO for reading would wait for a writer.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return SetError(error, Reason(errno, path));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) return SetError(error, Reason(errno, path));
  if (!S_ISREG(st.st_mode)) return SetError(error, "通常のファイルではありません (" + path.string() + ")");
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int err = errno;
      bytes.clear();
      return SetError(error, Reason(err, path));
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return true;
}

bool IsMissingFile(const fs::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}

bool RenameNoReplace(const fs::path& from, const fs::path& to, std::string* error) {
#ifdef SYS_renameat2
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1u /*RENAME_NOREPLACE*/) == 0) {
    NoteDiskStep(DiskStep::Rename, from, to);
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return SetError(error, Reason(errno, to));
#endif
  // File systems without renameat2: link + unlink never replaces either.
  if (::link(from.c_str(), to.c_str()) != 0) return SetError(error, Reason(errno, to));
  if (::unlink(from.c_str()) != 0) {
    int err = errno;
    ::unlink(to.c_str());
    return SetError(error, Reason(err, from));
  }
  NoteDiskStep(DiskStep::Rename, from, to);
  return true;
}

std::string FreshTemporaryName(std::string_view suffix) {
  static constexpr std::string_view kChars = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 rng{std::random_device{}() ^ (static_cast<uint64_t>(::getpid()) << 32) ^
                                   static_cast<uint64_t>(::time(nullptr))};
  std::string name(kTempPrefix);
  for (size_t i = 0; i < kTempRandom; ++i) name += kChars[rng() % kChars.size()];
  return name += suffix;
}

bool IsTemporaryName(std::string_view name, std::string_view suffix) {
  if (name.size() != kTempPrefix.size() + kTempRandom + suffix.size()) return false;
  if (!name.starts_with(kTempPrefix) || !name.ends_with(suffix)) return false;
  std::string_view middle = name.substr(kTempPrefix.size(), kTempRandom);
  return std::all_of(middle.begin(), middle.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

bool IsTemporaryFileName(std::string_view name) {
  return IsTemporaryName(name, kTempSuffix);
}

bool WriteAllAt(int fd, std::string_view bytes, uint64_t offset) {
  const char* p = bytes.data();
  size_t n = bytes.size();
  while (n > 0) {
    const ssize_t w = ::pwrite(fd, p, n, static_cast<off_t>(offset));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      if (w == 0) errno = EIO;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
    offset += static_cast<uint64_t>(w);
  }
  return true;
}

int SweepTemporaryFiles(const fs::path& folder) {
  int dirFd = OpenFolder(folder);
  if (dirFd < 0) return 0;
  DIR* dir = ::fdopendir(dirFd);
  if (!dir) {
    ::close(dirFd);
    return 0;
  }
  int removed = 0;
  timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  while (dirent* entry = ::readdir(dir)) {
    if (!IsTemporaryFileName(entry->d_name)) continue;
    int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    // A live writer holds the lock. A file made a moment ago may not be
    // locked yet: leave it to the next sweep.
    bool stale = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && now.tv_sec - st.st_mtim.tv_sec >= 2 &&
                 ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (stale && ::unlinkat(dirFd, entry->d_name, 0) == 0) ++removed;
    ::close(fd);
  }
  ::closedir(dir);
  return removed;
}

ReplacementTimeScope::ReplacementTimeScope(const fs::path& target, const struct timespec& time)
    : outer_(currentTimeScope), target_(Resolved(target)), time_(time) {
  currentTimeScope = this;
}

ReplacementTimeScope::~ReplacementTimeScope() {
  currentTimeScope = outer_;
}

void SetDiskStepHookForTest(std::function<void(const DiskStepEvent&)> hook) {
  DiskStepHook() = std::move(hook);
}

void NoteDiskStep(DiskStep step, const fs::path& path, const fs::path& to) {
  if (!DiskStepHook()) return;
  // Files written many at a time tell their steps from several threads.
  static std::mutex hookMutex;
  std::lock_guard<std::mutex> hold(hookMutex);
  DiskStepHook()(DiskStepEvent{step, path, to});
}

int FlushFile(int fd, const fs::path& path) {
  const int result = ::fsync(fd);
  if (result == 0) NoteDiskStep(DiskStep::FlushFile, path);
  return result;
}

int FlushFileSystem(int fd, const fs::path& path) {
  const int result = ::syncfs(fd);
  if (result == 0) NoteDiskStep(DiskStep::FlushFileSystem, path);
  return result;
}

void FlushFolder(const fs::path& folder) {
  int dirFd = OpenFolder(folder);
  if (dirFd >= 0) {
    if (::fsync(dirFd) == 0) NoteDiskStep(DiskStep::FlushFolder, folder);
    ::close(dirFd);
  }
}

}  // namespace hozanki
