#pragma once
// What a start does first, in the window and on the command line alike:
// finishing or undoing the saves a crash cut short. Temporary files of
// settings writes that died are removed, files a journal names are put back
// as they were before their in-place write, and files the rename log names
// get their new name (or their old one when the new one is taken). A file
// that cannot be put back (replaced or resized since, unreadable) is left
// alone and reported.

#include <filesystem>
#include <string>
#include <vector>

#include "core/tagedit/SaveEngine.h"

namespace hozanki {

struct RecoveryReport {
  int putBack = 0;   // files a journal put back
  int renamed = 0;   // files the rename log gave a name
  // Files left alone, each with its path and why, in the user's words.
  std::vector<SaveFailure> failures;

  // The heading of the failure list ("" when nothing failed).
  std::string SummaryText() const;
};

// Recovers what the saves of a crashed run left in `settingsFolder`.
RecoveryReport RecoverInterruptedSaves(const std::filesystem::path& settingsFolder);

}  // namespace hozanki
