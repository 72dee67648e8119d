#pragma once

#include <filesystem>

namespace hozanki {

// Start-up recovery of a data file from its recovery copy (full name + ".___",
// the temporary file of its atomic write): when the data file exists (in any
// form, a symbolic link included) the copy is deleted, otherwise the copy is
// renamed to the data file. Only a regular file counts as a copy. Failures
// are silent; afterwards at most one of the two files remains.
void RecoverDataFile(const std::filesystem::path& dataFile);

inline std::filesystem::path RecoveryCopyOf(const std::filesystem::path& dataFile) {
  return dataFile.string() + ".___";
}

}  // namespace hozanki
