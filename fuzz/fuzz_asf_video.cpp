// Fuzzes the ASF header reader that finds the video stream's format.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/catalogue/formats/AsfVideo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(hozanki::kAsfHeaderGuid);
  bytes.append(reinterpret_cast<const char*>(data), size);
  hozanki::ParseAsfHeader(bytes);
  hozanki::ParseAsfHeader(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
