#include "core/catalogue/formats/OtherFormats.h"

namespace hozanki {

// Development scaffolding, replaced by the format readers and writers.
std::unique_ptr<TagFile> OpenOtherFormat(FileType, const std::filesystem::path&, std::string* error) {
  if (error) *error = "this format is not readable yet";
  return nullptr;
}

}  // namespace hozanki
