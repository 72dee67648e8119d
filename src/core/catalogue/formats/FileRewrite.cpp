#include "core/catalogue/formats/FileRewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace hozanki {
namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

bool CopyRange(int in, int out, uint64_t offset, uint64_t length) {
  std::string buffer(1 << 20, '\0');
  while (length > 0) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(length, buffer.size()));
    ssize_t r = ::pread(in, buffer.data(), want, static_cast<off_t>(offset));
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (r == 0) {
      errno = EIO;  // the file shrank under us
      return false;
    }
    if (!WriteAll(out, buffer.data(), static_cast<size_t>(r))) return false;
    offset += static_cast<uint64_t>(r);
    length -= static_cast<uint64_t>(r);
  }
  return true;
}

}  // namespace

void FileRewrite::AddBytes(std::string bytes) {
  if (bytes.empty()) return;
  Piece piece;
  piece.bytes = std::move(bytes);
  pieces_.push_back(std::move(piece));
}

void FileRewrite::AddRange(uint64_t offset, uint64_t length) {
  if (length == 0) return;
  Piece piece;
  piece.offset = offset;
  piece.length = length;
  piece.fromSource = true;
  pieces_.push_back(std::move(piece));
}

bool FileRewrite::Commit(std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
  };
  // Through a symbolic link the file it points to is rewritten, the link kept.
  if (char* real = ::realpath(source_.c_str(), nullptr)) {
    source_ = real;
    std::free(real);
  }
  if (::access(source_.c_str(), W_OK) != 0) return fail("cannot write " + source_.string());
  Fd in(::open(source_.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return fail("cannot open " + source_.string());
  struct stat st {};
  if (::fstat(in.get(), &st) != 0) return fail("cannot read " + source_.string());

  // A fresh name beside the original: never an existing file.
  std::string pattern = source_.string() + ".hozanki-XXXXXX";
  Fd out(::mkostemp(pattern.data(), O_CLOEXEC));
  std::filesystem::path tmp = pattern;
  if (out.get() < 0) return fail("cannot create a temporary file beside " + source_.string());
  if (::fchmod(out.get(), st.st_mode & 07777) != 0) {
    ::unlink(tmp.c_str());
    return fail("cannot set the permissions of " + tmp.string());
  }
  bool ok = true;
  for (const Piece& piece : pieces_) {
    ok = piece.fromSource ? CopyRange(in.get(), out.get(), piece.offset, piece.length)
                          : WriteAll(out.get(), piece.bytes.data(), piece.bytes.size());
    if (!ok) break;
  }
  if (ok) ok = ::fsync(out.get()) == 0;
  int fd = out.release();
  if (::close(fd) != 0) ok = false;
  if (!ok) {
    int saved = errno;
    ::unlink(tmp.c_str());
    errno = saved;
    return fail("cannot write " + tmp.string());
  }
  if (::rename(tmp.c_str(), source_.c_str()) != 0) {
    int saved = errno;
    ::unlink(tmp.c_str());
    errno = saved;
    return fail("cannot replace " + source_.string());
  }
  return true;
}

}  // namespace hozanki
