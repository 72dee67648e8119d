#pragma once
// The project's own reading of an ASF header object: the first video
// stream's format, which TagLib does not report.

#include <filesystem>
#include <string>
#include <string_view>

namespace hozanki {

struct AsfVideoInfo {
  bool hasVideo = false;
  std::string codec;   // compression FourCC of the BITMAPINFOHEADER
  int width = 0;
  int height = 0;
  double fps = 0;      // from the extended stream properties, 0 when absent
};

// Parses an ASF Header Object (the whole object, from its GUID). Never reads
// outside `header`; malformed objects end the walk.
AsfVideoInfo ParseAsfHeader(std::string_view header);

// Reads the Header Object at the start of a file and parses it.
bool ReadAsfVideo(const std::filesystem::path& path, AsfVideoInfo& info);

// The 16 bytes that start every ASF file (the Header Object's GUID).
extern const std::string_view kAsfHeaderGuid;

}  // namespace hozanki
