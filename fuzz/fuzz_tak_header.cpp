// Fuzzes the TAK stream header reader: whatever it accepts lies inside the
// input and holds an audio format within the bit fields' ranges.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/catalogue/formats/TakStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto info = hozanki::ParseTakHeader(bytes);
  if (!info) return 0;
  if (info->headerSize < 8 || info->headerSize > size || info->sampleRate < 6000 ||
      info->sampleRate >= 6000 + (1 << 18) || info->bits < 8 || info->bits > 39 || info->channels < 1 ||
      info->channels > 16 || info->samples >= (uint64_t{1} << 35))
    __builtin_trap();
  return 0;
}
