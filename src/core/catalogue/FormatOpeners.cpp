#include "core/catalogue/FormatOpeners.h"

#include <array>
#include <utility>

#include "core/catalogue/formats/Mp3Format.h"
#include "core/catalogue/formats/OtherFormats.h"

namespace hozanki {
namespace {

std::unique_ptr<TagFile> OpenMp3(FileType, const std::filesystem::path& path, std::string* error) {
  return OpenMp3Format(path, error);
}

constexpr std::array<std::pair<FileType, FormatOpener>, kFormatCount> kOpeners = {{
    {FileType::MP3, OpenMp3},
    {FileType::WAV, OpenOtherFormat},
    {FileType::AVI, OpenOtherFormat},
    {FileType::VQF, OpenOtherFormat},
    {FileType::WMA, OpenOtherFormat},
    {FileType::OGG, OpenOtherFormat},
    {FileType::APE, OpenOtherFormat},
    {FileType::MP4, OpenOtherFormat},
}};

}  // namespace

FormatOpener OpenerOf(FileType type) {
  for (const auto& [t, open] : kOpeners)
    if (t == type) return open;
  return nullptr;
}

}  // namespace hozanki
