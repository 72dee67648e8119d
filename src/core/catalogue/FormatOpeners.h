#pragma once
// The catalogue's part of the format registry: per format, how a file is
// opened and how its payload (the audio and video bytes a tag write must
// leave alone) is mapped, in one table row each so that neither can be
// forgotten. Everything else about a format is in core/common/FormatRegistry.h.

#include <filesystem>
#include <memory>
#include <string>

#include "core/catalogue/TagFile.h"

namespace hozanki {

struct PayloadMap;
namespace payload {
class Reader;
}

// Opens a file of the given type, confirming its bytes; null with `error` set
// when they are not of that type.
using FormatOpener = std::unique_ptr<TagFile> (*)(FileType type, const std::filesystem::path& path,
                                                  std::string* error);
// Fills `map.ranges` (and the format's extras) of an opened file, or refuses
// it with a reason (core/catalogue/formats/PayloadFormats.h).
using PayloadMapper = bool (*)(const payload::Reader& file, PayloadMap& map, std::string* error);

// The opener and the payload mapper of a type, or null for Unknown.
FormatOpener OpenerOf(FileType type);
PayloadMapper PayloadMapperOf(FileType type);

}  // namespace hozanki
