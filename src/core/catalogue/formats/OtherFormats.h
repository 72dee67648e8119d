#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "core/catalogue/TagFile.h"

namespace hozanki {

// Opens a WAV, AVI, VQF, WMA, OGG, APE or MP4 file, confirming its bytes.
std::unique_ptr<TagFile> OpenOtherFormat(FileType type, const std::filesystem::path& path,
                                         std::string* error);

}  // namespace hozanki
