#include "core/catalogue/ParallelReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "core/catalogue/MediaReader.h"
#include "core/common/OrderedParallelFor.h"
#include "core/common/ParallelFor.h"

namespace hozanki {
namespace {

// Descriptors of the folders files are read from, shared by the reading
// threads: a file is opened by its name in its folder, so its path is not
// looked up folder by folder for every file (a round trip each on a network
// file system). Folders no thread uses are let go once more than a few are
// held.
class FolderHandles {
 public:
  explicit FolderHandles(std::filesystem::path base) : base_(std::move(base)) {}
  ~FolderHandles() {
    for (auto& [folder, held] : held_)
      if (held.fd >= 0) ::close(held.fd);
  }
  FolderHandles(const FolderHandles&) = delete;
  FolderHandles& operator=(const FolderHandles&) = delete;

  // The folder's descriptor (-1 when it cannot be opened); Release it after.
  int Acquire(const std::filesystem::path& folder) {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      auto it = held_.find(folder);
      if (it != held_.end()) {
        ++it->second.users;
        return it->second.fd;
      }
    }
    // Opened without the lock: other threads go on meanwhile.
    const std::filesystem::path path = folder.empty() ? base_ : base_ / folder;
    int fd = ::open(path.empty() ? "." : path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::lock_guard<std::mutex> hold(mutex_);
    auto [it, added] = held_.try_emplace(folder, Held{fd, 0});
    if (!added && fd >= 0) ::close(fd);
    ++it->second.users;
    return it->second.fd;
  }
  void Release(const std::filesystem::path& folder) {
    std::lock_guard<std::mutex> hold(mutex_);
    auto it = held_.find(folder);
    if (it == held_.end() || --it->second.users > 0 || held_.size() <= kKept) return;
    if (it->second.fd >= 0) ::close(it->second.fd);
    held_.erase(it);
  }

 private:
  static constexpr size_t kKept = 64;
  struct Held {
    int fd = -1;
    int users = 0;
  };
  std::filesystem::path base_;
  std::mutex mutex_;
  std::map<std::filesystem::path, Held> held_;
};

}  // namespace

namespace {

// Opens file by its name in its folder when it can (one look-up on a share).
std::optional<MediaFileEntry> ReadOne(FolderHandles& handles, const std::filesystem::path& folder,
                                      const std::filesystem::path& file, std::string* error,
                                      std::optional<FileIdentity>* identity) {
  if (!file.has_filename() || file.filename() == "." || file.filename() == "..")
    return ReadMediaFile(folder, file, error, identity);
  const std::filesystem::path parent = file.parent_path();
  const int folderFd = handles.Acquire(parent);
  std::optional<MediaFileEntry> entry = folderFd >= 0
                                            ? ReadMediaFileAt(folderFd, file.filename(), folder, file, error, identity)
                                            : ReadMediaFile(folder, file, error, identity);
  handles.Release(parent);
  return entry;
}

}  // namespace

void ReadMediaFiles(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& files,
                    unsigned threads, const ReadDone& done,
                    std::vector<std::optional<FileIdentity>>* identities) {
  if (identities) identities->assign(files.size(), std::nullopt);
  FolderHandles handles(folder);
  ParallelFor(files.size(), threads, [&](size_t i) {
    std::string error;
    std::optional<FileIdentity>* identity = identities ? &(*identities)[i] : nullptr;
    std::optional<MediaFileEntry> entry = ReadOne(handles, folder, files[i], &error, identity);
    done(i, std::move(entry), error);
  });
}

void ReadMediaFilesInOrder(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& files,
                           unsigned threads, size_t window, const ReadDoneWithIdentity& done,
                           const std::function<void(size_t)>& emit) {
  FolderHandles handles(folder);
  OrderedParallelFor(
      files.size(), threads, window,
      [&](size_t i) {
        std::string error;
        std::optional<FileIdentity> identity;
        std::optional<MediaFileEntry> entry = ReadOne(handles, folder, files[i], &error, &identity);
        done(i, std::move(entry), error, std::move(identity));
      },
      emit);
}

}  // namespace hozanki
