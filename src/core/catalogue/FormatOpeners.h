#pragma once
// The catalogue's part of the format registry: how a file of each format is
// opened. Everything else about a format is in core/common/FormatRegistry.h.

#include <filesystem>
#include <memory>
#include <string>

#include "core/catalogue/TagFile.h"

namespace hozanki {

// Opens a file of the given type, confirming its bytes; null with `error` set
// when they are not of that type.
using FormatOpener = std::unique_ptr<TagFile> (*)(FileType type, const std::filesystem::path& path,
                                                  std::string* error);

// The opener of a type, or null for Unknown and types without one.
FormatOpener OpenerOf(FileType type);

}  // namespace hozanki
