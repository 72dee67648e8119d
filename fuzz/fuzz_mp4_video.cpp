// Fuzzes the MP4 movie box reader (movie time, video sample entry, AAC
// channel configuration).
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/catalogue/formats/Mp4Movie.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  hozanki::ParseMp4Movie(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
