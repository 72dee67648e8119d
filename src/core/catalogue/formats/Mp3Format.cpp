#include "core/catalogue/formats/Mp3Format.h"

namespace hozanki {

// Development scaffolding, replaced by the MP3 reader and writer.
std::unique_ptr<TagFile> OpenMp3Format(const std::filesystem::path&, std::string* error) {
  if (error) *error = "MP3 is not readable yet";
  return nullptr;
}

}  // namespace hozanki
