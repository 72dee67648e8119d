#pragma once
// The project's own AVI reader: the top-level chunks of the first RIFF
// part, the INFO list, and the playing time and formats from "hdrl".
// TagLib does not read AVI, and its RIFF writer would shift "movi" and break
// OpenDML files, so INFO is written in place (AviFile).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue/formats/RiffInfo.h"

namespace hozanki {

struct AviChunk {
  std::string id;        // "LIST", "JUNK", "idx1", ...
  std::string listType;  // "hdrl", "INFO", "movi" for LIST chunks
  uint64_t offset = 0;   // of the chunk header
  uint64_t size = 0;     // of the data, without header and pad byte
  uint64_t Span() const { return 8 + size + (size & 1); }
};

struct AviStructure {
  std::vector<AviChunk> chunks;  // top level of the first RIFF part, complete ones only
  bool hasInfo = false;
  InfoList info;  // the first INFO list
  double seconds = 0;
  std::string audioFormat;  // "AFMT"
  std::string videoFormat;  // "VFMT"
};

// Reads `size` bytes at `offset` (fewer at the end of the data).
using ByteSource = std::function<std::string(uint64_t offset, size_t size)>;

// Parses an AVI file of `fileSize` bytes. False with `error` set when it is
// not an AVI file or its header list is missing or broken.
bool ParseAviStructure(const ByteSource& read, uint64_t fileSize, AviStructure& avi, std::string* error);

// The bytes to write over a run of INFO and JUNK chunks of `regionSize`
// bytes so that it holds the INFO list `info` (unchanged chunks with their
// bytes, changed fields written in `mode`) and JUNK for the rest; false with
// `error` set when it does not fit. The result is exactly `regionSize` long.
bool RenderInfoRegion(const InfoList& info, InfoTextMode mode, uint64_t regionSize, std::string& bytes,
                      std::string* error);

}  // namespace hozanki
