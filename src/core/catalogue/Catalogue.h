#pragma once
// The listed files: one ordered vector of MediaFileEntry per format. The file
// list and every tag table of a format are views over that one vector; views
// learn of changes through CatalogueObserver, so every change that adds,
// removes or reorders rows goes through this class.

#include <algorithm>
#include <array>
#include <span>
#include <utility>
#include <vector>

#include "core/catalogue/MediaFileEntry.h"
#include "core/common/FormatRegistry.h"

namespace hozanki {

// Told before and after each change of a format's rows. Row ranges are
// inclusive, as views need them.
class CatalogueObserver {
 public:
  virtual ~CatalogueObserver() = default;
  virtual void RowsAboutToBeInserted(MediaFormat format, int first, int last) = 0;
  virtual void RowsInserted(MediaFormat format, int first, int last) = 0;
  virtual void RowsAboutToBeRemoved(MediaFormat format, int first, int last) = 0;
  virtual void RowsRemoved(MediaFormat format, int first, int last) = 0;
  // The rows were reordered or replaced as a whole.
  virtual void RowsAboutToBeReset(MediaFormat format) = 0;
  virtual void RowsReset(MediaFormat format) = 0;
  // Cells or marks of rows first..last changed in place.
  virtual void RowsChanged(MediaFormat format, int first, int last) = 0;
};

class Catalogue {
 public:
  const std::vector<MediaFileEntry>& Entries(MediaFormat format) const {
    return entries_[static_cast<size_t>(format)];
  }
  int RowCount(MediaFormat format) const { return static_cast<int>(Entries(format).size()); }
  int TotalCount() const;

  // Observers are not owned; remove them before they die.
  void AddObserver(CatalogueObserver* observer);
  void RemoveObserver(CatalogueObserver* observer);

  // Appends a batch of entries to the end of the format's rows. Each entry's
  // tag rows are completed to the tag kinds of the format.
  void Append(MediaFormat format, std::vector<MediaFileEntry> batch);
  // Removes the given rows (any order; duplicates and out-of-range indexes are
  // ignored), telling observers one contiguous block at a time; rows in more
  // than kRemovalBlocksTold blocks go in one pass, told as a reset.
  static constexpr size_t kRemovalBlocksTold = 16;
  void Remove(MediaFormat format, std::vector<int> rows);
  void Clear(MediaFormat format);
  void ClearAll();
  // New order: order[newRow] = oldRow. False (and nothing changes) unless
  // `order` is a permutation of 0..RowCount-1.
  bool Reorder(MediaFormat format, std::span<const int> order);

  // Changes one row in place; observers are told afterwards (during a
  // ChangeBatch: when it ends).
  template <typename Edit>
  void EditRow(MediaFormat format, int row, Edit&& edit) {
    auto& rows = entries_[static_cast<size_t>(format)];
    if (row < 0 || row >= static_cast<int>(rows.size())) return;
    edit(rows[static_cast<size_t>(row)]);
    if (batchDepth_ > 0) {
      auto& [first, last] = pending_[static_cast<size_t>(format)];
      first = first < 0 ? row : std::min(first, row);
      last = std::max(last, row);
      return;
    }
    for (CatalogueObserver* o : observers_) o->RowsChanged(format, row, row);
  }

  // While one lives, the rows changed by EditRow are told once, when the
  // outermost batch ends: one change from the lowest to the highest changed
  // row of each format, instead of one per row. Rows added, removed or
  // reordered meanwhile first tell what was pending.
  class ChangeBatch {
   public:
    explicit ChangeBatch(Catalogue& catalogue) : catalogue_(catalogue) { ++catalogue_.batchDepth_; }
    ~ChangeBatch() {
      if (--catalogue_.batchDepth_ == 0) catalogue_.TellPendingChanges();
    }
    ChangeBatch(const ChangeBatch&) = delete;
    ChangeBatch& operator=(const ChangeBatch&) = delete;

   private:
    Catalogue& catalogue_;
  };

 private:
  void TellPendingChanges();

  int batchDepth_ = 0;
  // First and last changed row of each format during a batch; -1: none.
  std::array<std::pair<int, int>, kFormatCount> pending_ = [] {
    std::array<std::pair<int, int>, kFormatCount> none;
    none.fill({-1, -1});
    return none;
  }();
  std::array<std::vector<MediaFileEntry>, kFormatCount> entries_;
  std::vector<CatalogueObserver*> observers_;
};

}  // namespace hozanki
