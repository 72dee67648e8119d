#include "core/catalogue/formats/FlacStructure.h"
#include "core/catalogue/formats/PayloadFormats.h"

namespace hozanki::payload {

// FLAC: STREAMINFO's body (it holds the stream's MD5 sum) and everything
// after the metadata blocks, the audio frames.
bool MapFlac(const Reader& file, PayloadMap& map, std::string* error) {
  FlacLayout layout;
  if (!ReadFlacLayout(file, layout, error)) return false;
  map.ranges.push_back({layout.blocks.front().offset + 4, layout.blocks.front().length});
  if (layout.audioStart < file.Size()) map.ranges.push_back({layout.audioStart, file.Size() - layout.audioStart});
  return true;
}

}  // namespace hozanki::payload
