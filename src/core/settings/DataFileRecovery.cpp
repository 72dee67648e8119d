#include "core/settings/DataFileRecovery.h"

#include <system_error>

namespace hozanki {

void RecoverDataFile(const std::filesystem::path& dataFile) {
  std::error_code ec;
  const std::filesystem::path copy = RecoveryCopyOf(dataFile);
  if (std::filesystem::exists(dataFile, ec))
    std::filesystem::remove(copy, ec);
  else
    std::filesystem::rename(copy, dataFile, ec);
}

}  // namespace hozanki
