#include "core/catalogue/LoadEngine.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "core/catalogue/FolderScan.h"
#include "core/catalogue/MediaReader.h"
#include "core/common/IoDepth.h"
#include "core/common/ParallelFor.h"

namespace hozanki {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Runs work(i) for i = 0 .. n-1 with ParallelFor on `threads` threads of
// its own and hands the results to take(i, result) on the calling thread in
// index order. After a cancel the indices run form a prefix (ParallelFor),
// so every one of them is delivered. The calling thread wakes when
// `wakeEvery` results are ready, when the work is done, and at least every
// `interval`; tick() runs after each round of delivery. Returns the number of
// indices delivered.
template <typename Result, typename Work, typename Take, typename Tick>
size_t RunOrdered(size_t n, unsigned threads, const std::atomic<bool>& cancel,
                  std::chrono::milliseconds interval, size_t wakeEvery, Work work, Take take, Tick tick) {
  if (n == 0) return 0;
  std::vector<std::optional<Result>> slots(n);
  std::mutex mutex;
  std::condition_variable ready;
  size_t readySinceWake = 0;  // guarded by mutex
  bool wake = false;          // guarded by mutex
  bool workDone = false;      // guarded by mutex

  std::thread workers([&] {
    ParallelFor(
        n, threads,
        [&](size_t i) {
          Result r{};
          try {
            r = work(i);
          } catch (const std::exception&) {
            r = Result{};  // an unreadable file is not listed
          }
          std::lock_guard lock(mutex);
          slots[i] = std::move(r);
          if (++readySinceWake >= wakeEvery) {
            readySinceWake = 0;
            wake = true;
            ready.notify_one();
          }
        },
        &cancel);
    std::lock_guard lock(mutex);
    workDone = true;
    ready.notify_one();
  });

  size_t delivered = 0;
  std::vector<std::pair<size_t, Result>> round;
  for (;;) {
    bool finished = false;
    {
      std::unique_lock lock(mutex);
      ready.wait_for(lock, interval, [&] { return wake || workDone; });
      wake = false;
      size_t i = delivered;
      while (i < n && slots[i].has_value()) {
        round.emplace_back(i, std::move(*slots[i]));
        slots[i].reset();
        ++i;
      }
      delivered = i;
      finished = delivered == n || (workDone && !slots[delivered].has_value());
    }
    for (auto& [index, result] : round) take(index, std::move(result));
    round.clear();
    tick();
    if (finished) break;
  }
  workers.join();
  return delivered;
}

unsigned CoreCount() {
  unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? cores : 1;
}

// Collects rows and hands them out by size or age.
template <typename Batch>
class Batcher {
 public:
  Batcher(size_t size, std::chrono::milliseconds interval, const std::function<void(Batch&&)>& sink)
      : size_(size), interval_(interval), sink_(sink) {}
  Batch& batch() { return batch_; }
  void SetCount(size_t count) { batch_.count = count; }
  void Tick(size_t pending, bool force) {
    bool moved = batch_.count != lastCount_;
    if (!force && pending < size_ && !(moved && Clock::now() - last_ >= interval_)) return;
    if (!force && pending == 0 && !moved) return;
    lastCount_ = batch_.count;
    last_ = Clock::now();
    size_t count = batch_.count;
    sink_(std::move(batch_));
    batch_ = Batch{};
    batch_.count = count;
  }

 private:
  size_t size_;
  std::chrono::milliseconds interval_;
  const std::function<void(Batch&&)>& sink_;
  Batch batch_;
  size_t lastCount_ = 0;
  Clock::time_point last_ = Clock::now();
};

}  // namespace

void CollectReloadItems(MediaFormat format, const std::vector<MediaFileEntry>& entries, bool changedOnly,
                        std::vector<ReloadItem>& out) {
  for (size_t row = 0; row < entries.size(); ++row) {
    const MediaFileEntry& entry = entries[row];
    if (changedOnly) {
      bool changed = entry.file.image == kChangedMark ||
                     std::any_of(entry.tags.begin(), entry.tags.end(),
                                 [](const TagRow& tag) { return tag.image == kChangedMark; });
      if (!changed) continue;
    }
    out.push_back(ReloadItem{format, row, entry});
  }
}

bool ApplyReloadedItem(MediaFileEntry& target, ReloadItem&& item) {
  if (target.format != item.format || item.entry.format != item.format) return false;
  if (target.relativePath != item.entry.relativePath) return false;
  target = std::move(item.entry);
  return true;
}

MediaReaders DefaultMediaReaders() {
  return MediaReaders{
      [](const fs::path& folder, const fs::path& relative) { return ReadMediaFile(folder, relative); },
      [](const fs::path& folder, MediaFileEntry& entry) { return RereadMediaFile(folder, entry); }};
}

std::optional<LoadRequest> PathListRequest(const std::vector<fs::path>& paths,
                                           const fs::path& workingFolder) {
  std::optional<fs::path> folder = PathListFolder(paths, workingFolder);
  if (!folder) return std::nullopt;
  LoadRequest request;
  request.folder = *folder;
  std::vector<fs::path> list;
  list.reserve(paths.size());
  for (const fs::path& p : paths) list.push_back(AbsolutePathForm(p, workingFolder));
  request.pathList = std::move(list);
  return request;
}

std::optional<LoadRequest> ArgumentRequest(const std::vector<fs::path>& paths, const fs::path& workingFolder) {
  if (paths.empty() || paths.front().empty()) return std::nullopt;
  fs::path first = AbsolutePathForm(paths.front(), workingFolder);
  if (!first.has_filename() && first.has_relative_path()) first = first.parent_path();
  std::error_code ec;
  if (fs::is_directory(fs::status(first, ec)) && !ec) {
    LoadRequest request;
    request.folder = first;
    return request;
  }
  return PathListRequest(paths, workingFolder);
}

LoadEngine::LoadEngine(MediaReaders readers, unsigned threads)
    : readers_(std::move(readers)), threads_(threads), probe_(FileSystemTypeOf) {}

void LoadEngine::SetFileSystemProbe(FileSystemTypeProbe probe) {
  probe_ = std::move(probe);
}

unsigned LoadEngine::DepthFor(const fs::path& folder) const {
  if (threads_ > 0) return threads_;
  return IoDepthFor(folder, CoreCount(), probe_);
}

void LoadEngine::SetBatchLimits(size_t batchSize, std::chrono::milliseconds batchInterval) {
  batchSize_ = std::max<size_t>(1, batchSize);
  batchInterval_ = batchInterval;
}

LoadResult LoadEngine::Load(const LoadRequest& request, const std::function<void(LoadBatch&&)>& onBatch) {
  std::vector<fs::path> files;
  ListingCounts counts;
  if (request.pathList)
    files = ListPathList(request.folder, *request.pathList, &cancel_, &counts);
  else if (request.recursive)
    files = ListMediaFilesRecursive(request.folder, &cancel_, &counts);
  else
    files = ListMediaFiles(request.folder, &cancel_, &counts);

  LoadResult result;
  Batcher<LoadBatch> batcher(batchSize_, batchInterval_, onBatch);
  using Read = std::optional<MediaFileEntry>;
  size_t handled = RunOrdered<Read>(
      files.size(), DepthFor(request.folder), cancel_, batchInterval_, batchSize_,
      [&](size_t i) { return readers_.read(request.folder, files[i]); },
      [&](size_t i, Read&& entry) {
        batcher.SetCount(counts.upTo[i]);
        if (entry) {
          batcher.batch().entries.push_back(std::move(*entry));
          ++result.listed;
        }
      },
      [&] { batcher.Tick(batcher.batch().entries.size(), false); });
  // Every file entry counts; after a cancel, those up to the last file read.
  result.count = handled == files.size() && !cancel_.load() ? counts.total : (handled ? counts.upTo[handled - 1] : 0);
  batcher.SetCount(result.count);
  batcher.Tick(batcher.batch().entries.size(), true);
  result.cancelled = cancel_.load();
  return result;
}

LoadResult LoadEngine::Reload(const fs::path& folder, std::vector<ReloadItem> items,
                              const std::function<void(ReloadBatch&&)>& onBatch) {
  enum Outcome : uint8_t { kUnread = 0, kMissing, kRead };  // an exception reads as kUnread
  LoadResult result;
  size_t found = 0;
  Batcher<ReloadBatch> batcher(batchSize_, batchInterval_, onBatch);
  result.count = 0;
  RunOrdered<uint8_t>(
      items.size(), DepthFor(folder), cancel_, batchInterval_, batchSize_,
      [&](size_t i) -> uint8_t {
        ReloadItem& item = items[i];  // only this worker touches item i
        std::error_code ec;
        if (!fs::exists(folder / item.entry.relativePath, ec)) return kMissing;
        MediaFileEntry copy = item.entry;
        if (!readers_.reread(folder, copy) || copy.format != item.format) return kUnread;
        item.entry = std::move(copy);
        return kRead;
      },
      [&](size_t i, uint8_t outcome) {
        if (outcome == kMissing) return;
        batcher.SetCount(++found);
        if (outcome == kRead) {
          batcher.batch().items.push_back(std::move(items[i]));
          ++result.listed;
        }
      },
      [&] { batcher.Tick(batcher.batch().items.size(), false); });
  result.count = found;
  batcher.Tick(batcher.batch().items.size(), true);
  result.cancelled = cancel_.load();
  return result;
}

}  // namespace hozanki
