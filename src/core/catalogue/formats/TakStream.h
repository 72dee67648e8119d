#pragma once
// The stream header of a TAK file: "tBaK", then metadata blocks of a type
// byte (low 7 bits), a 24-bit little-endian size and that many bytes (the
// contents and a CRC-24), up to an END block of type 0; the audio frames
// follow. Only STREAMINFO is read: its bit fields, least significant bit
// first, give the codec, the sample count and the audio format.

#include <cstdint>
#include <optional>
#include <string_view>

namespace hozanki {

struct TakStreamInfo {
  uint64_t samples = 0;
  int sampleRate = 0;
  int bits = 0;
  int channels = 0;
  uint64_t headerSize = 0;  // "tBaK" and every metadata block up to END
};

// Reads the header from the first bytes of the stream (`head`); null when
// the magic is missing, a block runs past `head`, or no STREAMINFO comes
// before the END block.
std::optional<TakStreamInfo> ParseTakHeader(std::string_view head);

}  // namespace hozanki
