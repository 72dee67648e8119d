#include "gui/catalogue/NameConflictWatch.h"

#include <algorithm>

namespace hozanki {

NameConflictWatch::NameConflictWatch(Catalogue* catalogue, std::function<std::filesystem::path()> root,
                                     QObject* parent)
    : QObject(parent), catalogue_(catalogue), root_(std::move(root)) {
  timer_.setSingleShot(true);
  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, &NameConflictWatch::Refresh);
  catalogue_->AddObserver(this);
}

NameConflictWatch::~NameConflictWatch() { catalogue_->RemoveObserver(this); }

void NameConflictWatch::SetProbe(FolderCaseProbe probe, FolderLister lister) {
  index_ = NameConflictIndex(std::move(probe), std::move(lister));
  customProbe_ = true;
  StartOver();
}

void NameConflictWatch::SetSuspended(bool suspended) {
  suspended_ = suspended;
  if (!suspended) StartOver();
}

void NameConflictWatch::Schedule() {
  if (!suspended_ && !timer_.isActive()) timer_.start();
}

void NameConflictWatch::StartOver() {
  stale_ = true;
  dirty_.clear();
  Schedule();
}

void NameConflictWatch::RowsInserted(MediaFormat, int, int) { StartOver(); }
void NameConflictWatch::RowsRemoved(MediaFormat, int, int) { StartOver(); }
void NameConflictWatch::RowsReset(MediaFormat) { StartOver(); }

void NameConflictWatch::RowsChanged(MediaFormat format, int first, int last) {
  if (stale_ || suspended_) {
    stale_ = true;
    return;
  }
  for (int row = first; row <= last; ++row) dirty_.emplace(static_cast<int>(format), row);
  Schedule();
}

void NameConflictWatch::Rebuild() {
  stale_ = false;
  dirty_.clear();
  const std::filesystem::path root = root_ ? root_() : std::filesystem::path();
  bool anyStaged = false;
  for (int f = 0; f < kFormatCount && !anyStaged; ++f)
    for (const MediaFileEntry& e : catalogue_->Entries(static_cast<MediaFormat>(f)))
      if (e.file.image == kChangedMark) {
        anyStaged = true;
        break;
      }
  std::vector<NameRow> rows;
  // Drives come and go: the mount table is read afresh.
  if (anyStaged && !customProbe_) index_ = NameConflictIndex();
  if (anyStaged) {
    rows.reserve(static_cast<size_t>(catalogue_->TotalCount()));
    for (int f = 0; f < kFormatCount; ++f) {
      offsets_[static_cast<size_t>(f)] = rows.size();
      for (const MediaFileEntry& e : catalogue_->Entries(static_cast<MediaFormat>(f)))
        rows.push_back(NameRowOf(root, e));
    }
    offsets_[kFormatCount] = rows.size();
  }
  index_.Reset(std::move(rows));
  indexed_ = anyStaged;
  for (int f = 0; f < kFormatCount; ++f)
    if (catalogue_->RowCount(static_cast<MediaFormat>(f)) > 0)
      emit ConflictsChanged(static_cast<MediaFormat>(f), 0, catalogue_->RowCount(static_cast<MediaFormat>(f)) - 1);
}

void NameConflictWatch::Refresh() {
  timer_.stop();
  if (suspended_) return;
  if (stale_) {
    Rebuild();
  } else if (!dirty_.empty()) {
    if (!indexed_) {
      // Nothing was staged before: the index is built once the first name is.
      const bool staged = std::any_of(dirty_.begin(), dirty_.end(), [&](const std::pair<int, int>& d) {
        const auto& entries = catalogue_->Entries(static_cast<MediaFormat>(d.first));
        return d.second < static_cast<int>(entries.size()) &&
               entries[static_cast<size_t>(d.second)].file.image == kChangedMark;
      });
      if (staged) {
        Rebuild();
      } else {
        dirty_.clear();
      }
    } else {
      const std::filesystem::path root = root_ ? root_() : std::filesystem::path();
      std::set<std::pair<int, int>> touched;
      for (const auto& [f, row] : dirty_) {
        const auto& entries = catalogue_->Entries(static_cast<MediaFormat>(f));
        if (row >= static_cast<int>(entries.size())) continue;
        const size_t id = offsets_[static_cast<size_t>(f)] + static_cast<size_t>(row);
        for (size_t t : index_.Update(id, NameRowOf(root, entries[static_cast<size_t>(row)]))) {
          int tf = static_cast<int>(std::upper_bound(offsets_.begin(), offsets_.end(), t) - offsets_.begin()) - 1;
          touched.emplace(tf, static_cast<int>(t - offsets_[static_cast<size_t>(tf)]));
        }
      }
      dirty_.clear();
      for (const auto& [f, row] : touched) emit ConflictsChanged(static_cast<MediaFormat>(f), row, row);
    }
  }
  const int count = ConflictCount();
  if (count != lastCount_) {
    lastCount_ = count;
    emit CountChanged(count);
  }
}

const std::string* NameConflictWatch::ConflictOf(MediaFormat format, int row) const {
  if (!indexed_ || stale_ || row < 0) return nullptr;
  const size_t id = offsets_[static_cast<size_t>(format)] + static_cast<size_t>(row);
  if (id >= offsets_[static_cast<size_t>(format) + 1] || !index_.HasConflict(id)) return nullptr;
  return &index_.OtherName(id);
}

int NameConflictWatch::ConflictCount() const {
  return indexed_ && !stale_ ? static_cast<int>(index_.ConflictCount()) : 0;
}

}  // namespace hozanki
