#include "core/common/AtomicFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace hozanki {
namespace {

void SetError(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
}

}  // namespace

bool WriteFileAtomic(const std::filesystem::path& target, std::string_view bytes,
                     std::string* error, const std::filesystem::path& temporary) {
  std::filesystem::path tmp = temporary.empty() ? std::filesystem::path(target.string() + ".tmp~") : temporary;
  mode_t mode = 0644;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;

  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) {
    SetError(error, "cannot create " + tmp.string());
    return false;
  }
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetError(error, "cannot write " + tmp.string());
      ::close(fd);
      ::unlink(tmp.c_str());
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    SetError(error, "cannot flush " + tmp.string());
    ::unlink(tmp.c_str());
    return false;
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    SetError(error, "cannot replace " + target.string());
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  // A read error (a folder in the file's place, an I/O error) throws from
  // inside the stream buffer; it is a file that cannot be read.
  try {
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::ios_base::failure&) {
    bytes.clear();
    return false;
  }
  return !in.bad();
}

bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::string* error) {
#ifdef SYS_renameat2
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1u /*RENAME_NOREPLACE*/) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) {
    SetError(error, "cannot rename " + from.string() + " to " + to.string());
    return false;
  }
#endif
  // File systems without renameat2: link + unlink never replaces either.
  if (::link(from.c_str(), to.c_str()) != 0) {
    SetError(error, "cannot rename " + from.string() + " to " + to.string());
    return false;
  }
  if (::unlink(from.c_str()) != 0) {
    SetError(error, "cannot remove " + from.string());
    ::unlink(to.c_str());
    return false;
  }
  return true;
}

}  // namespace hozanki
