#include "core/common/FileIdentity.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string_view>

#include "core/common/AtomicFile.h"

namespace hozanki {
namespace {

constexpr uint64_t kEnds = 16u << 10;
// How long a save waits for another one's lock: 10 s in steps of 10 ms.
constexpr int kLockWaits = 1000;
constexpr useconds_t kLockPause = 10000;

// FNV-1a, 64 bits.
void Mix(uint64_t& hash, std::string_view bytes) {
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3ull;
  }
}

bool ReadRange(int fd, uint64_t offset, uint64_t length, std::string& out) {
  out.assign(static_cast<size_t>(length), '\0');
  size_t done = 0;
  while (done < out.size()) {
    ssize_t r = ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    done += static_cast<size_t>(r);
  }
  return true;
}

template <typename T>
bool Parse(std::string_view text, T& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

std::string FileIdentity::Text() const {
  char nanos[16];
  std::snprintf(nanos, sizeof nanos, "%09lld", static_cast<long long>(changeNanoseconds));
  return std::to_string(device) + ":" + std::to_string(inode) + ":" + std::to_string(size) + ":" +
         std::to_string(changeSeconds) + "." + nanos + ":" + tagHash;
}

std::optional<FileIdentity> FileIdentity::FromText(std::string_view text) {
  std::string_view parts[5];
  for (int i = 0; i < 5; ++i) {
    const size_t colon = i < 4 ? text.find(':') : text.size();
    if (colon == std::string_view::npos) return std::nullopt;
    parts[i] = text.substr(0, colon);
    text.remove_prefix(i < 4 ? colon + 1 : colon);
  }
  FileIdentity id;
  const size_t dot = parts[3].find('.');
  if (dot == std::string_view::npos || !Parse(parts[0], id.device) || !Parse(parts[1], id.inode) ||
      !Parse(parts[2], id.size) || !Parse(parts[3].substr(0, dot), id.changeSeconds) ||
      !Parse(parts[3].substr(dot + 1), id.changeNanoseconds) || parts[4].size() != 16)
    return std::nullopt;
  id.tagHash = std::string(parts[4]);
  return id;
}

std::optional<FileIdentity> IdentityOfOpenFile(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return std::nullopt;
  if (!S_ISREG(st.st_mode)) {
    errno = EINVAL;
    return std::nullopt;
  }
  FileIdentity id;
  id.device = static_cast<uint64_t>(st.st_dev);
  id.inode = static_cast<uint64_t>(st.st_ino);
  id.size = static_cast<uint64_t>(st.st_size);
  id.changeSeconds = st.st_ctim.tv_sec;
  id.changeNanoseconds = st.st_ctim.tv_nsec;
  uint64_t hash = 0xcbf29ce484222325ull;
  std::string bytes;
  const uint64_t head = std::min(id.size, kEnds);
  if (!ReadRange(fd, 0, head, bytes)) return std::nullopt;
  Mix(hash, bytes);
  const uint64_t tail = std::min(id.size - head, kEnds);
  if (!ReadRange(fd, id.size - tail, tail, bytes)) return std::nullopt;
  Mix(hash, bytes);
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  id.tagHash = text;
  return id;
}

std::optional<FileIdentity> IdentityOfFile(const std::filesystem::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::optional<FileIdentity> id = IdentityOfOpenFile(fd);
  ::close(fd);
  return id;
}

FileLock::~FileLock() {
  Unlock();
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Unlock();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

void FileLock::Unlock() {
  if (fd_ >= 0) ::close(fd_);  // closing lets the lock go
  fd_ = -1;
}

bool FileLock::Lock(const std::filesystem::path& path, std::string* error) {
  Unlock();
  for (int attempt = 0; attempt < 100; ++attempt) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
      if (error) *error = FileErrorReason(errno) + " (" + path.string() + ")";
      return false;
    }
    // Another save's turn ends when its file is written; one that does not
    // end (a hung program, or this very run holding the file under another
    // name) makes this save fail instead of waiting for ever.
    int locked = -1;
    for (int wait = 0; wait < kLockWaits && (locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0; ++wait) {
      if (errno != EWOULDBLOCK && errno != EINTR) break;
      ::usleep(kLockPause);
    }
    if (locked != 0) {
      ::close(fd);
      if (error) *error = "ファイルが別の保存に使われているため保存しません (" + path.string() + ")";
      return false;
    }
    // Another save may have replaced the file while this one waited: the
    // lock must be on the file the path names now.
    struct stat held {}, named {};
    if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      fd_ = fd;
      return true;
    }
    ::close(fd);
  }
  if (error) *error = "ファイルをロックできません (" + path.string() + ")";
  return false;
}

}  // namespace hozanki
