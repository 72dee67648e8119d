#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "core/catalogue/TagFile.h"

namespace hozanki {

// Opens an MP3 file (plain MPEG or RIFF-wrapped "RMP3"), confirming its bytes.
std::unique_ptr<TagFile> OpenMp3Format(const std::filesystem::path& path, std::string* error);

}  // namespace hozanki
