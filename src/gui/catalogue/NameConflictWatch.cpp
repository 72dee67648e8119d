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

void NameConflictWatch::ClearDirty() {
  for (auto& runs : dirty_) runs.clear();
  dirtyRows_ = 0;
}

void NameConflictWatch::StartOver() {
  stale_ = true;
  ClearDirty();
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
  if (first > last) return;
  dirty_[static_cast<size_t>(format)].emplace_back(first, last);
  dirtyRows_ += static_cast<size_t>(last - first + 1);
  Schedule();
}

void NameConflictWatch::Rebuild() {
  stale_ = false;
  ClearDirty();
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
      AppendNameRows(root, catalogue_->Entries(static_cast<MediaFormat>(f)), rows);
    }
    offsets_[kFormatCount] = rows.size();
  }
  index_.Reset(std::move(rows));
  indexed_ = anyStaged;
  for (int f = 0; f < kFormatCount; ++f)
    if (catalogue_->RowCount(static_cast<MediaFormat>(f)) > 0)
      emit ConflictsChanged(static_cast<MediaFormat>(f), 0, catalogue_->RowCount(static_cast<MediaFormat>(f)) - 1);
}

bool NameConflictWatch::AnyStaged() const {
  for (size_t f = 0; f < dirty_.size(); ++f) {
    const auto& entries = catalogue_->Entries(static_cast<MediaFormat>(f));
    for (const auto& [first, last] : dirty_[f])
      for (int row = first; row <= last && row < static_cast<int>(entries.size()); ++row)
        if (entries[static_cast<size_t>(row)].file.image == kChangedMark) return true;
  }
  return false;
}

void NameConflictWatch::Refresh() {
  timer_.stop();
  if (suspended_) return;
  if (stale_) {
    Rebuild();
  } else if (dirtyRows_ > 0) {
    if (!indexed_) {
      // Nothing was staged before: the index is built once the first name is.
      if (AnyStaged()) {
        Rebuild();
      } else {
        ClearDirty();
      }
    } else if (dirtyRows_ * 4 > index_.Size()) {
      // A burst over much of the table: one pass over all rows costs no more
      // than a look-up per row (and none at all when no name is staged any
      // more, as after an undo of every name).
      Rebuild();
    } else {
      const std::filesystem::path root = root_ ? root_() : std::filesystem::path();
      std::vector<std::pair<int, int>> touched;
      for (size_t f = 0; f < dirty_.size(); ++f) {
        const auto& entries = catalogue_->Entries(static_cast<MediaFormat>(f));
        std::vector<int> rows;
        for (const auto& [first, last] : dirty_[f])
          for (int row = first; row <= last && row < static_cast<int>(entries.size()); ++row) rows.push_back(row);
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        for (int row : rows) {
          const size_t id = offsets_[f] + static_cast<size_t>(row);
          for (size_t t : index_.Update(id, NameRowOf(root, entries[static_cast<size_t>(row)]))) {
            int tf = static_cast<int>(std::upper_bound(offsets_.begin(), offsets_.end(), t) - offsets_.begin()) - 1;
            touched.emplace_back(tf, static_cast<int>(t - offsets_[static_cast<size_t>(tf)]));
          }
        }
      }
      ClearDirty();
      // One signal per format, over the rows whose mark may have changed.
      std::sort(touched.begin(), touched.end());
      for (size_t i = 0; i < touched.size();) {
        size_t j = i;
        while (j + 1 < touched.size() && touched[j + 1].first == touched[i].first) ++j;
        emit ConflictsChanged(static_cast<MediaFormat>(touched[i].first), touched[i].second, touched[j].second);
        i = j + 1;
      }
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
