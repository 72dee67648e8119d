#include "core/settings/DataFileRecovery.h"

#include <system_error>

#include "core/common/AtomicFile.h"

namespace hozanki {

void RecoverDataFile(const std::filesystem::path& dataFile) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path copy = RecoveryCopyOf(dataFile);
  // Only a regular file can be a copy we made: a link or anything else of
  // that name is the user's and is never followed, moved or deleted.
  if (fs::symlink_status(copy, ec).type() != fs::file_type::regular) return;
  // A data file that is there in any form (a link to it, even one whose file
  // is gone, or something unreadable) wins over the copy.
  if (!IsMissingFile(dataFile))
    fs::remove(copy, ec);
  else
    RenameNoReplace(copy, dataFile);
}

}  // namespace hozanki
