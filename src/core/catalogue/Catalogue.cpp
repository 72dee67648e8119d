#include "core/catalogue/Catalogue.h"

#include <algorithm>

namespace hozanki {

int Catalogue::TotalCount() const {
  int total = 0;
  for (const auto& rows : entries_) total += static_cast<int>(rows.size());
  return total;
}

void Catalogue::AddObserver(CatalogueObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void Catalogue::RemoveObserver(CatalogueObserver* observer) {
  std::erase(observers_, observer);
}

void Catalogue::Append(MediaFormat format, std::vector<MediaFileEntry> batch) {
  TellPendingChanges();
  if (batch.empty()) return;
  auto& rows = entries_[static_cast<size_t>(format)];
  const int first = static_cast<int>(rows.size());
  const int last = first + static_cast<int>(batch.size()) - 1;
  const size_t kinds = TagKindsOf(format).size();
  for (MediaFileEntry& entry : batch) {
    entry.format = format;
    if (entry.tags.size() < kinds) entry.tags.resize(kinds);
  }
  for (CatalogueObserver* o : observers_) o->RowsAboutToBeInserted(format, first, last);
  rows.insert(rows.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
  for (CatalogueObserver* o : observers_) o->RowsInserted(format, first, last);
}

void Catalogue::Remove(MediaFormat format, std::vector<int> indexes) {
  TellPendingChanges();
  auto& rows = entries_[static_cast<size_t>(format)];
  const int count = static_cast<int>(rows.size());
  std::erase_if(indexes, [count](int i) { return i < 0 || i >= count; });
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  if (indexes.empty()) return;
  size_t blocks = 1;
  for (size_t i = 1; i < indexes.size(); ++i)
    if (indexes[i] != indexes[i - 1] + 1) ++blocks;
  if (blocks > kRemovalBlocksTold) {
    // Scattered rows: one pass over the rows, and the views start over,
    // instead of moving the rows behind each block once per block.
    for (CatalogueObserver* o : observers_) o->RowsAboutToBeReset(format);
    size_t next = 0;
    size_t kept = 0;
    for (size_t row = 0; row < rows.size(); ++row) {
      if (next < indexes.size() && static_cast<size_t>(indexes[next]) == row) {
        ++next;
        continue;
      }
      if (kept != row) rows[kept] = std::move(rows[row]);
      ++kept;
    }
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(kept), rows.end());
    for (CatalogueObserver* o : observers_) o->RowsReset(format);
    return;
  }
  // From the back, so that earlier indexes stay valid.
  size_t end = indexes.size();
  while (end > 0) {
    size_t begin = end - 1;
    while (begin > 0 && indexes[begin - 1] == indexes[begin] - 1) --begin;
    const int first = indexes[begin];
    const int last = indexes[end - 1];
    for (CatalogueObserver* o : observers_) o->RowsAboutToBeRemoved(format, first, last);
    rows.erase(rows.begin() + first, rows.begin() + last + 1);
    for (CatalogueObserver* o : observers_) o->RowsRemoved(format, first, last);
    end = begin;
  }
}

void Catalogue::TellPendingChanges() {
  for (size_t f = 0; f < pending_.size(); ++f) {
    const auto [first, last] = pending_[f];
    if (first < 0) continue;
    pending_[f] = {-1, -1};
    for (CatalogueObserver* o : observers_) o->RowsChanged(static_cast<MediaFormat>(f), first, last);
  }
}

void Catalogue::Clear(MediaFormat format) {
  TellPendingChanges();
  auto& rows = entries_[static_cast<size_t>(format)];
  if (rows.empty()) return;
  for (CatalogueObserver* o : observers_) o->RowsAboutToBeReset(format);
  rows.clear();
  rows.shrink_to_fit();
  for (CatalogueObserver* o : observers_) o->RowsReset(format);
}

void Catalogue::ClearAll() {
  for (int f = 0; f < kFormatCount; ++f) Clear(static_cast<MediaFormat>(f));
}

bool Catalogue::Reorder(MediaFormat format, std::span<const int> order) {
  TellPendingChanges();
  auto& rows = entries_[static_cast<size_t>(format)];
  if (order.size() != rows.size()) return false;
  std::vector<char> seen(rows.size(), 0);
  for (int old : order) {
    if (old < 0 || old >= static_cast<int>(rows.size()) || seen[static_cast<size_t>(old)]) return false;
    seen[static_cast<size_t>(old)] = 1;
  }
  for (CatalogueObserver* o : observers_) o->RowsAboutToBeReset(format);
  std::vector<MediaFileEntry> reordered;
  reordered.reserve(rows.size());
  for (int old : order) reordered.push_back(std::move(rows[static_cast<size_t>(old)]));
  rows = std::move(reordered);
  for (CatalogueObserver* o : observers_) o->RowsReset(format);
  return true;
}

}  // namespace hozanki
