#include "core/catalogue/ParallelReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "core/catalogue/MediaReader.h"
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

void ReadMediaFiles(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& files,
                    unsigned threads, const ReadDone& done,
                    std::vector<std::optional<FileIdentity>>* identities) {
  if (identities) identities->assign(files.size(), std::nullopt);
  FolderHandles handles(folder);
  ParallelFor(files.size(), threads, [&](size_t i) {
    std::string error;
    std::optional<FileIdentity>* identity = identities ? &(*identities)[i] : nullptr;
    const std::filesystem::path& file = files[i];
    std::optional<MediaFileEntry> entry;
    if (file.has_filename() && file.filename() != "." && file.filename() != "..") {
      const std::filesystem::path parent = file.parent_path();
      const int folderFd = handles.Acquire(parent);
      entry = folderFd >= 0 ? ReadMediaFileAt(folderFd, file.filename(), folder, file, &error, identity)
                            : ReadMediaFile(folder, file, &error, identity);
      handles.Release(parent);
    } else {
      entry = ReadMediaFile(folder, file, &error, identity);
    }
    done(i, std::move(entry), error);
  });
}

}  // namespace hozanki
