#pragma once
// What tells that a file is still the one that was read: its device and
// inode, its size, its change time to the nanosecond (every write changes
// it, also one that keeps size and modification time, and no program can
// set it back) and a hash of its first and last 16 KiB, where the formats
// read here keep their tags (a guard for file systems whose change time is
// coarse). Cheap: one stat and two reads.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace hozanki {

struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t changeSeconds = 0;
  int64_t changeNanoseconds = 0;
  std::string tagHash;  // 16 hexadecimal digits

  bool operator==(const FileIdentity&) const = default;

  // "DEVICE:INODE:SIZE:SECONDS.NANOSECONDS:HASH", and back (nullopt when
  // the text is not one).
  std::string Text() const;
  static std::optional<FileIdentity> FromText(std::string_view text);
};

// The identity of the open regular file `fd`; nullopt (errno set) when it
// cannot be read.
std::optional<FileIdentity> IdentityOfOpenFile(int fd);
// The identity of the file `path` names (a symbolic link followed).
std::optional<FileIdentity> IdentityOfFile(const std::filesystem::path& path);

// Holds an exclusive advisory lock on a file while a save checks and writes
// it, so that two saves of one file (two command-line runs) take turns and
// the second sees what the first wrote.
class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Locks the file `path` names now, waiting for another holder (10 s at
  // most); the path is checked to still name the locked file afterwards.
  // False with `error` set when it cannot be opened or locked.
  bool Lock(const std::filesystem::path& path, std::string* error);
  // The identity of the locked file.
  std::optional<FileIdentity> Identity() const { return fd_ >= 0 ? IdentityOfOpenFile(fd_) : std::nullopt; }
  void Unlock();

 private:
  int fd_ = -1;
};

}  // namespace hozanki
