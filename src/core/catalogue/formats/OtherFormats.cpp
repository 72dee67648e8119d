#include "core/catalogue/formats/OtherFormats.h"

#include "core/catalogue/formats/ApeFile.h"
#include "core/catalogue/formats/AviFile.h"
#include "core/catalogue/formats/AsfFile.h"
#include "core/catalogue/formats/Mp4File.h"
#include "core/catalogue/formats/OggFile.h"
#include "core/catalogue/formats/RiffInfo.h"
#include "core/catalogue/formats/VqfFile.h"
#include "core/catalogue/formats/WavFile.h"

namespace hozanki {

std::unique_ptr<TagFile> OpenOtherFormat(FileType type, const std::filesystem::path& path, std::string* error) {
  InstallRiffInfoStringHandler();
  std::unique_ptr<StagedTagFile> file;
  switch (type) {
    case FileType::WAV: file = std::make_unique<WavFile>(); break;
    case FileType::AVI: file = std::make_unique<AviFile>(); break;
    case FileType::VQF: file = std::make_unique<VqfFile>(); break;
    case FileType::WMA: file = std::make_unique<AsfFile>(); break;
    case FileType::OGG: file = std::make_unique<OggFile>(); break;
    case FileType::APE: file = std::make_unique<ApeFile>(); break;
    case FileType::MP4: file = std::make_unique<Mp4File>(); break;
    default:
      if (error) *error = "not a format of this reader";
      return nullptr;
  }
  if (!file->Open(path, error)) return nullptr;
  return file;
}

}  // namespace hozanki
