#include "core/catalogue/formats/Id3ChunkLayouts.h"
#include "core/catalogue/formats/PayloadFormats.h"

namespace hozanki::payload {

// AIFF: the bodies of "COMM" (the sound's format) and "SSND" (the sound).
bool MapAiff(const Reader& file, PayloadMap& map, std::string* error) {
  AiffLayout layout;
  if (!ReadAiffLayout(file, layout, error)) return false;
  map.variant = layout.aifc ? "AIFC" : "AIFF";
  for (size_t i = 0; i < layout.chunks.size(); ++i)
    if (static_cast<int>(i) == layout.comm || static_cast<int>(i) == layout.ssnd)
      map.ranges.push_back({layout.chunks[i].offset + 8, layout.chunks[i].size});
  return true;
}

// DSF: the body of "fmt " and the samples of "data".
bool MapDsf(const Reader& file, PayloadMap& map, std::string* error) {
  DsfLayout layout;
  if (!ReadDsfLayout(file, layout, error)) return false;
  map.ranges.push_back({layout.fmtOffset + 12, layout.fmtSize - 12});
  map.ranges.push_back({layout.dataOffset + 12, layout.dataSize - 12});
  return true;
}

}  // namespace hozanki::payload
