#pragma once
// The project's own reading of an MP4 movie box ("moov"): the playing time
// and the first video track's sample entry, which TagLib does not report.

#include <filesystem>
#include <string>
#include <string_view>

namespace hozanki {

struct Mp4MovieInfo {
  double seconds = 0;       // movie header duration
  bool hasVideo = false;
  std::string videoCodec;   // "H.264", "HEVC", ... or the sample entry's FourCC
  int width = 0;
  int height = 0;
  double fps = 0;           // samples per second of the video track
  int audioChannels = 0;    // from the AAC decoder configuration, 0 when unknown
};

// Parses the body of a "moov" box (the bytes after its header). Never reads
// outside `moov`; malformed boxes end the walk.
Mp4MovieInfo ParseMp4Movie(std::string_view moov);

// Finds the top-level "moov" box of a file and parses it; false when there
// is none or it cannot be read.
bool ReadMp4Movie(const std::filesystem::path& path, Mp4MovieInfo& info);

}  // namespace hozanki
