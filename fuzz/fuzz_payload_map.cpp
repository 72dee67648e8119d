// A whole file through the payload map, as each format: a file
// that maps has its ranges in order inside it, and compares as the same
// payload as itself.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/catalogue/formats/PayloadMap.h"

using namespace hozanki;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("hozanki-fuzz-payload-" + std::to_string(::getpid()));
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  for (FileType type : {FileType::MP3, FileType::WAV, FileType::AVI, FileType::VQF, FileType::WMA,
                        FileType::OGG, FileType::APE, FileType::MP4, FileType::FLAC, FileType::AIFF, FileType::DSF}) {
    PayloadMap map;
    std::string error;
    if (!MapPayload(type, file, map, &error)) {
      if (error.empty()) std::abort();  // a refusal always says why
      continue;
    }
    uint64_t end = 0;
    for (const ByteRange& r : map.ranges) {
      if (r.offset < end || r.offset > size || r.length > size - r.offset) std::abort();
      end = r.offset + r.length;
    }
    if (!SamePayload(file, map, file, map, &error)) std::abort();
  }
  return 0;
}
