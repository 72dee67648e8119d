#include "core/common/SaveJournal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "core/common/AtomicFile.h"
#include "core/common/Failure.h"
#include "core/common/IoDepth.h"
#include "core/common/ParallelFor.h"

namespace hozanki {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "HZJ1";
constexpr std::string_view kFileMark = "FILE";
constexpr std::string_view kEndMark = "END.";
constexpr std::string_view kPrefix = "hozanki-journal-";
constexpr std::string_view kSuffix = ".hzj";
// Files of a batch at which one flush of the whole file system is cheaper
// than one flush per file.
constexpr size_t kSyncFsFiles = 3;

std::function<void(std::string_view)>& StepHook() {
  static std::function<void(std::string_view)> hook;
  return hook;
}

// Steps come from several threads when files are written many at a time.
std::mutex stepMutex;

void Step(std::string_view step) {
  if (!StepHook()) return;
  std::lock_guard<std::mutex> hold(stepMutex);
  StepHook()(step);
}

uint32_t Crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void Put64(std::string& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}
void Put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

struct Reader {
  std::string_view in;
  bool ok = true;
  uint64_t Get(int bytes) {
    if (in.size() < static_cast<size_t>(bytes)) {
      ok = false;
      return 0;
    }
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint64_t(uint8_t(in[static_cast<size_t>(i)])) << (8 * i);
    in.remove_prefix(static_cast<size_t>(bytes));
    return v;
  }
  std::string_view Take(uint64_t n) {
    if (in.size() < n) {
      ok = false;
      return {};
    }
    std::string_view out = in.substr(0, static_cast<size_t>(n));
    in.remove_prefix(static_cast<size_t>(n));
    return out;
  }
};

bool PReadAll(int fd, std::string& out, uint64_t offset, uint64_t length) {
  out.assign(static_cast<size_t>(length), '\0');
  size_t done = 0;
  while (done < out.size()) {
    ssize_t r = ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) {
      if (r == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(r);
  }
  return true;
}


// The old bytes of one region.
struct Saved {
  uint64_t offset = 0;
  std::string bytes;
};

// One file of a journal, as recorded.
struct Record {
  std::string path;
  uint64_t device = 0, inode = 0, oldSize = 0, newSize = 0;
  int64_t sec = 0, nsec = 0;
  std::vector<Saved> regions;
};

void PutRecord(std::string& out, const Record& r) {
  out += kFileMark;
  Put32(out, static_cast<uint32_t>(r.path.size()));
  out += r.path;
  Put64(out, r.device);
  Put64(out, r.inode);
  Put64(out, r.oldSize);
  Put64(out, r.newSize);
  Put64(out, static_cast<uint64_t>(r.sec));
  Put64(out, static_cast<uint64_t>(r.nsec));
  Put32(out, static_cast<uint32_t>(r.regions.size()));
  for (const Saved& s : r.regions) {
    Put64(out, s.offset);
    Put64(out, s.bytes.size());
    out += s.bytes;
  }
}

// Parses a whole journal; false when it is torn or damaged.
bool ParseJournal(std::string_view bytes, std::vector<Record>& records) {
  if (bytes.size() < kMagic.size() + 12 || bytes.substr(0, kMagic.size()) != kMagic) return false;
  std::string_view body = bytes.substr(0, bytes.size() - 4);
  Reader crc{bytes.substr(bytes.size() - 4)};
  if (Crc32(body) != crc.Get(4)) return false;
  Reader in{body.substr(kMagic.size())};
  while (in.ok && in.in.size() > 8) {
    if (in.Take(4) != kFileMark) return false;
    Record r;
    r.path = std::string(in.Take(in.Get(4)));
    r.device = in.Get(8);
    r.inode = in.Get(8);
    r.oldSize = in.Get(8);
    r.newSize = in.Get(8);
    r.sec = static_cast<int64_t>(in.Get(8));
    r.nsec = static_cast<int64_t>(in.Get(8));
    uint64_t count = in.Get(4);
    for (uint64_t i = 0; in.ok && i < count; ++i) {
      Saved s;
      s.offset = in.Get(8);
      s.bytes = std::string(in.Take(in.Get(8)));
      r.regions.push_back(std::move(s));
    }
    if (!in.ok) return false;
    records.push_back(std::move(r));
  }
  if (!in.ok || in.Take(4) != kEndMark) return false;
  return in.Get(4) == records.size() && in.ok && in.in.empty();
}

// Puts one file back as the record says; false with `error` set when the
// file is not the one recorded or cannot be written.
bool Restore(int fd, const Record& r, std::string* error) {
  for (const Saved& s : r.regions)
    if (!WriteAllAt(fd, s.bytes, s.offset)) return (*error = FileErrorReason(errno)), false;
  if (::ftruncate(fd, static_cast<off_t>(r.oldSize)) != 0) return (*error = FileErrorReason(errno)), false;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(r.sec);
  times[1].tv_nsec = static_cast<long>(r.nsec);
  ::futimens(fd, times);
  if (FlushFile(fd, r.path) != 0) return (*error = FileErrorReason(errno)), false;
  return true;
}

bool Matches(const struct stat& st, const Record& r) {
  uint64_t size = static_cast<uint64_t>(st.st_size);
  return static_cast<uint64_t>(st.st_dev) == r.device && static_cast<uint64_t>(st.st_ino) == r.inode &&
         size >= std::min(r.oldSize, r.newSize) && size <= std::max(r.oldSize, r.newSize);
}

}  // namespace

bool InPlaceEdit::Identify(const fs::path& file, std::string* error) {
  std::error_code ec;
  fs::path resolved = fs::canonical(file, ec);
  struct stat st {};
  if (ec || ::stat(resolved.c_str(), &st) != 0)
    return FailWith(error, {FailureKind::kNoSuchFile, file.string(), "", 0, 0, 0, "cannot find " + file.string()});
  if (!S_ISREG(st.st_mode)) return FailWith(error, PathFailure(FailureKind::kNotRegularFile, file.string()));
  path = resolved;
  device = st.st_dev;
  inode = st.st_ino;
  oldSize = newSize = static_cast<uint64_t>(st.st_size);
  oldTime = st.st_mtim;
  changeTime = st.st_ctim;
  return true;
}

uint64_t InPlaceEdit::JournalBytes() const {
  uint64_t n = newSize < oldSize ? oldSize - newSize : 0;
  for (const Write& w : writes) n += w.bytes.size();
  return n;
}

SaveJournal::~SaveJournal() = default;

unsigned SaveJournal::Depth() const {
  if (ioDepth_ > 0) return ioDepth_;
  unsigned depth = 1;
  std::set<dev_t> devices;
  for (const InPlaceEdit& e : edits_)
    if (devices.insert(e.device).second) depth = std::max(depth, IoDepthFor(e.path.parent_path(), 1));
  return depth;
}

bool SaveJournal::IsJournalName(std::string_view name) {
  return name.size() > kPrefix.size() + kSuffix.size() && name.starts_with(kPrefix) && name.ends_with(kSuffix);
}

size_t SaveJournal::Add(InPlaceEdit edit) {
  bytes_ += edit.JournalBytes();
  edits_.push_back(std::move(edit));
  return edits_.size() - 1;
}

void SaveJournal::Commit() {
  results_.assign(edits_.size(), Result{});
  struct Open {
    int fd = -1;
    Record record;
  };
  std::vector<Open> files(edits_.size());
  struct Closer {
    std::vector<Open>& files;
    ~Closer() {
      for (Open& f : files)
        if (f.fd >= 0) ::close(f.fd);
    }
  } closer{files};

  // The old bytes of every region about to change, from files that are
  // still the ones planned. Each file is read on its own, many at a time on
  // a network file system; the journal lists them in the batch's order.
  const unsigned depth = Depth();
  ParallelFor(edits_.size(), depth, [&](size_t i) {
    const InPlaceEdit& e = edits_[i];
    Result& result = results_[i];
    Open& f = files[i];
    f.fd = ::open(e.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct FdCloser {
      int& fd;
      ~FdCloser() {
        if (fd >= 0) ::close(fd);
        fd = -1;
      }
    } fdCloser{f.fd};  // files are not held open between the steps (a batch may be large)
    struct stat st {};
    if (f.fd < 0 || ::fstat(f.fd, &st) != 0) {
      result.error = FileErrorReason(errno) + " (" + e.path.string() + ")";
      return;
    }
    if (st.st_dev != e.device || st.st_ino != e.inode || static_cast<uint64_t>(st.st_size) != e.oldSize ||
        st.st_mtim.tv_sec != e.oldTime.tv_sec || st.st_mtim.tv_nsec != e.oldTime.tv_nsec ||
        (e.changeTime.tv_sec != 0 &&
         (st.st_ctim.tv_sec != e.changeTime.tv_sec || st.st_ctim.tv_nsec != e.changeTime.tv_nsec))) {
      result.error = "読み込んだ後にファイルが変更されたため保存しません (" + e.path.string() + ")";
      return;
    }
    Record& r = f.record;
    r.path = e.path.string();
    r.device = e.device;
    r.inode = e.inode;
    r.oldSize = e.oldSize;
    r.newSize = e.newSize;
    r.sec = e.oldTime.tv_sec;
    r.nsec = e.oldTime.tv_nsec;
    bool ok = true;
    auto save = [&](uint64_t offset, uint64_t end) {
      end = std::min(end, e.oldSize);
      if (!ok || offset >= end) return;
      Saved s{offset, {}};
      ok = PReadAll(f.fd, s.bytes, offset, end - offset);
      r.regions.push_back(std::move(s));
    };
    for (const InPlaceEdit::Write& w : e.writes) save(w.offset, w.offset + w.bytes.size());
    if (e.newSize < e.oldSize) save(e.newSize, e.oldSize);
    if (!ok) {
      result.error = FileErrorReason(errno) + " (" + e.path.string() + ")";
      return;
    }
    result.ok = true;
  });
  std::string journal(kMagic);
  size_t recorded = 0;
  for (size_t i = 0; i < edits_.size(); ++i) {
    if (!results_[i].ok) continue;
    PutRecord(journal, files[i].record);
    ++recorded;
  }

  auto finish = [&] {
    edits_.clear();
    bytes_ = 0;
  };
  if (recorded == 0) return finish();
  journal += kEndMark;
  Put32(journal, static_cast<uint32_t>(recorded));
  Put32(journal, Crc32(journal));

  // The journal, complete and flushed (with its folder entry) before the
  // first byte of a file is overwritten.
  fs::path journalPath;
  int jfd = -1;
  for (int attempt = 0; attempt < 100 && jfd < 0; ++attempt) {
    journalPath = folder_ / (std::string(kPrefix) + std::to_string(::getpid()) + "-" +
                             std::to_string(::time(nullptr)) + "-" + std::to_string(attempt) + std::string(kSuffix));
    jfd = ::open(journalPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (jfd < 0 && errno != EEXIST) break;
    // Another run may have taken the fresh, empty file for a torn journal
    // and removed it before the lock was ours: then take another name.
    struct stat st {};
    if (jfd >= 0 && (::flock(jfd, LOCK_EX) != 0 || ::fstat(jfd, &st) != 0 || st.st_nlink == 0)) {
      ::close(jfd);
      jfd = -1;
    }
  }
  auto failAll = [&](const std::string& why) {
    for (Result& result : results_)
      if (result.ok) result.ok = false, result.error = why;
  };
  if (jfd < 0) {
    failAll("保存の記録を作れません: " + FileErrorReason(errno) + " (" + folder_.string() + ")");
    return finish();
  }
  bool journalOk = WriteAllAt(jfd, journal, 0);
  Step("journal-written");
  journalOk = journalOk && FlushFile(jfd, journalPath) == 0;
  if (!journalOk) {
    failAll("保存の記録を書けません: " + FileErrorReason(errno) + " (" + journalPath.string() + ")");
    ::unlink(journalPath.c_str());
    ::close(jfd);
    return finish();
  }
  FlushFolder(folder_);
  Step("journal-synced");

  // Files per device: one flush of the file system for many, else one per file.
  std::map<dev_t, size_t> perDevice;
  for (size_t i = 0; i < edits_.size(); ++i)
    if (results_[i].ok) ++perDevice[edits_[i].device];
  std::map<dev_t, size_t> syncFile;  // the file whose descriptor flushes its file system
  std::mutex syncFileMutex;

  // The overwrite, many files at a time on a network file system: every
  // file is a different one, and none is flushed before all are written.
  // A file that fails midway is put back from memory at once.
  ParallelFor(edits_.size(), depth, [&](size_t i) {
    if (!results_[i].ok) return;
    Step("overwriting");
    const InPlaceEdit& e = edits_[i];
    Open& f = files[i];
    f.fd = ::open(e.path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    struct stat st {};
    if (f.fd < 0 || ::fstat(f.fd, &st) != 0 || st.st_dev != e.device || st.st_ino != e.inode ||
        static_cast<uint64_t>(st.st_size) != e.oldSize) {
      results_[i].ok = false;
      results_[i].error = f.fd < 0 ? FileErrorReason(errno) + " (" + e.path.string() + ")"
                                   : "読み込んだ後にファイルが変更されたため保存しません (" + e.path.string() + ")";
      if (f.fd >= 0) ::close(f.fd), f.fd = -1;
      return;
    }
    bool ok = true;
    for (const InPlaceEdit::Write& w : e.writes) ok = ok && WriteAllAt(f.fd, w.bytes, w.offset);
    if (ok && e.newSize != e.oldSize) ok = ::ftruncate(f.fd, static_cast<off_t>(e.newSize)) == 0;
    NoteDiskStep(DiskStep::Overwrite, e.path);
    if (!ok) {
      results_[i].ok = false;
      results_[i].error = FileErrorReason(errno) + " (" + e.path.string() + ")";
      std::string ignored;
      Restore(f.fd, f.record, &ignored);
      return;
    }
    if (e.keepTime) {
      struct timespec times[2];
      times[0].tv_sec = 0;
      times[0].tv_nsec = UTIME_OMIT;
      times[1] = e.oldTime;
      ::futimens(f.fd, times);
    }
    // Kept open: each file of a small batch, one file per file system of a large one.
    if (perDevice.find(e.device)->second >= kSyncFsFiles) {
      {
        std::lock_guard<std::mutex> hold(syncFileMutex);
        if (syncFile.emplace(e.device, i).second) return;
      }
      ::close(f.fd);
      f.fd = -1;
    }
  });
  Step("overwritten");

  // One flush per file system when the batch is large (much cheaper than
  // one per file), else one per file.
  std::map<dev_t, std::vector<size_t>> byDevice;
  for (size_t i = 0; i < edits_.size(); ++i)
    if (results_[i].ok) byDevice[edits_[i].device].push_back(i);
  for (const auto& [device, members] : byDevice) {
    auto fail = [&](size_t i, int err) {
      results_[i].ok = false;
      results_[i].error = FileErrorReason(err) + " (" + edits_[i].path.string() + ")";
      std::string ignored;
      if (files[i].fd < 0) files[i].fd = ::open(edits_[i].path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
      if (files[i].fd >= 0) Restore(files[i].fd, files[i].record, &ignored);
    };
    if (perDevice[device] >= kSyncFsFiles) {
      if (FlushFileSystem(files[syncFile[device]].fd, edits_[syncFile[device]].path) != 0) {
        int err = errno;
        for (size_t i : members) fail(i, err);
      }
    } else {
      for (size_t i : members)
        if (FlushFile(files[i].fd, edits_[i].path) != 0) fail(i, errno);
    }
  }
  Step("synced");
  ::unlink(journalPath.c_str());
  // The journal's removal is made durable too: a journal coming back after a
  // power loss would put back files saved again since.
  FlushFolder(folder_);
  ::close(jfd);
  finish();
}

int PlayBackJournals(const fs::path& folder, std::string* report) {
  std::vector<PlayBackProblem> problems;
  const int restored = PlayBackJournals(folder, &problems);
  if (report)
    for (const PlayBackProblem& p : problems) *report += p.path.string() + ": " + p.reason + "\n";
  return restored;
}

int PlayBackJournals(const fs::path& folder, std::vector<PlayBackProblem>* problems) {
  int restored = 0;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  std::vector<std::string> names;
  while (struct dirent* d = ::readdir(dir))
    if (SaveJournal::IsJournalName(d->d_name)) names.emplace_back(d->d_name);
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    fs::path path = folder / name;
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    // A live writer holds its journal locked.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      continue;
    }
    std::string bytes;
    struct stat st {};
    // A writer that finished in the meantime removed its journal before
    // letting the lock go: nothing to play back then.
    if (::fstat(fd, &st) != 0 || st.st_nlink == 0) {
      ::close(fd);
      continue;
    }
    bool read = S_ISREG(st.st_mode) &&
                PReadAll(fd, bytes, 0, static_cast<uint64_t>(st.st_size));
    if (!read) {
      ::close(fd);
      continue;
    }
    std::vector<Record> records;
    if (ParseJournal(bytes, records)) {
      bool all = true;
      for (const Record& r : records) {
        int file = ::open(r.path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        struct stat fst {};
        std::string error;
        if (file < 0 || ::fstat(file, &fst) != 0) {
          error = FileErrorReason(errno);
        } else if (!Matches(fst, r)) {
          error = "保存の記録の後に置き換えられたファイルなので戻しません";
        } else if (Restore(file, r, &error)) {
          ++restored;
        } else {
          all = false;  // keep the journal for another try
        }
        if (file >= 0) ::close(file);
        if (!error.empty() && problems) problems->push_back({r.path, error});
      }
      if (!all) {
        ::close(fd);
        continue;
      }
    }
    // Played back, or torn: a torn journal was never complete, so nothing
    // was overwritten after it.
    ::unlink(path.c_str());
    FlushFolder(folder);
    ::close(fd);
  }
  return restored;
}

void SetJournalStepHookForTest(std::function<void(std::string_view step)> hook) {
  StepHook() = std::move(hook);
}

}  // namespace hozanki
