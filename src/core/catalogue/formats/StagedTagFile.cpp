#include "core/catalogue/formats/StagedTagFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "core/catalogue/formats/ByteOrder.h"

namespace hozanki {

namespace fs = std::filesystem;

std::string ReadFileBytes(const fs::path& path, uint64_t offset, size_t size) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  in.seekg(static_cast<std::streamoff>(offset));
  if (!in) return {};
  std::string bytes(size, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

std::string StagedTagFile::GetValue(std::string_view name) const {
  if (auto it = staged_.find(name); it != staged_.end()) return it->second;
  if (auto it = values_.find(name); it != values_.end()) return it->second;
  return {};
}

void StagedTagFile::SetValue(std::string_view name, std::string_view value) {
  if (!IsWritable(name)) return;
  staged_[std::string(name)] = std::string(value);
}

bool StagedTagFile::Open(const fs::path& path, std::string* error) {
  path_ = path;
  values_.clear();
  staged_.clear();
  return Read(path, values_, error);
}

bool StagedTagFile::Save(std::string* error) {
  ValueMap changes;
  for (const auto& [name, value] : staged_) {
    auto it = values_.find(name);
    if ((it == values_.end() ? std::string() : it->second) != value) changes.emplace(name, value);
  }
  if (changes.empty()) {
    staged_.clear();
    return true;
  }
  bool ok = RewriteThroughCopy(path_, error, [&](const fs::path& copy) {
    return Write(copy, changes, values_, error);
  });
  if (!ok) return false;
  ValueMap fresh;
  std::string readError;
  if (!Read(path_, fresh, &readError)) {
    if (error) *error = "written, but the file cannot be read back: " + readError;
    return false;
  }
  values_ = std::move(fresh);
  staged_.clear();
  return true;
}

bool CopyForRewrite(const fs::path& path, fs::path& copy, std::string* error) {
  copy = path;
  copy += ".tmp~";
  std::error_code ec;
  fs::remove(copy, ec);
  if (!fs::copy_file(path, copy, fs::copy_options::overwrite_existing, ec)) {
    if (error) *error = "cannot copy " + path.string() + ": " + ec.message();
    fs::remove(copy, ec);
    return false;
  }
  return true;
}

bool CommitRewrite(const fs::path& copy, const fs::path& path, std::string* error) {
  int fd = ::open(copy.c_str(), O_RDONLY | O_CLOEXEC);
  bool synced = fd >= 0 && ::fsync(fd) == 0;
  int savedErrno = errno;
  if (fd >= 0) ::close(fd);
  if (!synced) {
    if (error) *error = "cannot flush " + copy.string() + ": " + std::strerror(savedErrno);
    DiscardRewrite(copy);
    return false;
  }
  if (::rename(copy.c_str(), path.c_str()) != 0) {
    if (error) *error = "cannot replace " + path.string() + ": " + std::strerror(errno);
    DiscardRewrite(copy);
    return false;
  }
  fs::path folder = path.parent_path();
  int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

void DiscardRewrite(const fs::path& copy) {
  std::error_code ec;
  fs::remove(copy, ec);
}

}  // namespace hozanki
