#include "core/catalogue/formats/Mp3Format.h"

#include "core/catalogue/formats/Mp3File.h"

namespace hozanki {

std::unique_ptr<TagFile> OpenMp3Format(const std::filesystem::path& path, std::string* error) {
  return Mp3File::Open(path, error);
}

}  // namespace hozanki
