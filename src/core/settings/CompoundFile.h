#pragma once
// The data file "NR284Cnv.dat" that holds the compound edits:
//   [Total] Count=N
//   [CnvI]  Title=NAME  Count=M  ItemS=K,FIRST/  ItemS-=,SECOND/
// (the "-" keys only for kinds 0, 1, 3 and 4). The trailing "/" keeps
// trailing blanks; readers drop it. Code page 932, or UTF-8 with a BOM when
// some text does not fit; written atomically through the recovery copy.

#include <filesystem>
#include <string>
#include <vector>

#include "core/text/Compound.h"

namespace hozanki {

inline constexpr const char* kCompoundFileName = "NR284Cnv.dat";

// Reads the file as it is (a missing file gives no compound edits). A kind
// that is not a digit reads as 0. A file that exists but cannot be read gives
// none either, and its reason in `readError` (cleared otherwise): such a
// store must not be written over the file.
std::vector<CompoundEdit> ReadCompoundFile(const std::filesystem::path& dataFile,
                                           std::string* readError = nullptr);

// Start-up reading: recovers the data file from its recovery copy first.
std::vector<CompoundEdit> LoadCompoundStore(const std::filesystem::path& dataFile,
                                            std::string* readError = nullptr);

// Writes the compound edits, erasing every old "CnvI" section first (at
// least those below `previousCount`), so that no stale section remains.
// Refused when the file exists but cannot be read.
bool WriteCompoundFile(const std::filesystem::path& dataFile, const std::vector<CompoundEdit>& edits,
                       int previousCount, std::string* error = nullptr);

}  // namespace hozanki
