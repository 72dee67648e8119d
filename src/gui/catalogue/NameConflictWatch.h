#pragma once
// Keeps the file lists told of names that would collide: watches the
// catalogue, and whenever names are staged (typed, pasted, set by a bulk
// command, undone) works out the collisions of the rows concerned once the
// burst of changes is over. Loads, sorts and saves start it over.

#include <QObject>
#include <QTimer>
#include <array>
#include <filesystem>
#include <functional>
#include <vector>
#include <utility>

#include "core/catalogue/Catalogue.h"
#include "core/rename/NameConflicts.h"

namespace hozanki {

class NameConflictWatch : public QObject, public CatalogueObserver {
  Q_OBJECT

 public:
  // `root` gives the folder the rows are relative to.
  NameConflictWatch(Catalogue* catalogue, std::function<std::filesystem::path()> root, QObject* parent = nullptr);
  ~NameConflictWatch() override;

  // Tests put in a mount table and a folder listing of their own.
  void SetProbe(FolderCaseProbe probe, FolderLister lister);
  // While the window is busy (loading, saving) nothing is worked out; on
  // resuming everything is, afresh.
  void SetSuspended(bool suspended);
  // Works out what is pending now (otherwise done at the next idle moment).
  void Refresh();

  // The name the row's new name collides with, or nullptr.
  const std::string* ConflictOf(MediaFormat format, int row) const;
  int ConflictCount() const;

 signals:
  // Rows first..last of a format may show another mark.
  void ConflictsChanged(MediaFormat format, int first, int last);
  void CountChanged(int count);

 protected:
  void RowsAboutToBeInserted(MediaFormat, int, int) override {}
  void RowsInserted(MediaFormat format, int first, int last) override;
  void RowsAboutToBeRemoved(MediaFormat, int, int) override {}
  void RowsRemoved(MediaFormat format, int first, int last) override;
  void RowsAboutToBeReset(MediaFormat) override {}
  void RowsReset(MediaFormat format) override;
  void RowsChanged(MediaFormat format, int first, int last) override;

 private:
  void StartOver();
  void Rebuild();
  void Schedule();
  void ClearDirty();
  // Whether a changed row has a staged name.
  bool AnyStaged() const;

  Catalogue* catalogue_;
  std::function<std::filesystem::path()> root_;
  NameConflictIndex index_;
  // Whether the index holds every row (it holds none while nothing is staged).
  bool indexed_ = false;
  bool stale_ = true;
  bool suspended_ = false;
  bool customProbe_ = false;
  std::array<size_t, kFormatCount + 1> offsets_{};  // first id of each format
  // Rows changed since the last refresh: runs first..last of each format,
  // and how many rows they span (overlaps counted twice).
  std::array<std::vector<std::pair<int, int>>, kFormatCount> dirty_;
  size_t dirtyRows_ = 0;
  QTimer timer_;
  int lastCount_ = 0;
};

}  // namespace hozanki
