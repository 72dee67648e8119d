#pragma once
// The metadata blocks of a FLAC file, read without decoding anything: an
// optional ID3v2 tag, "fLaC", the blocks (STREAMINFO first, the last one
// flagged), then the audio frames. Shared by the reader, the writer and the
// payload map.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue/formats/PayloadFormats.h"

namespace hozanki {

inline constexpr int kFlacStreamInfo = 0;
inline constexpr int kFlacPadding = 1;
inline constexpr int kFlacVorbisComment = 4;
inline constexpr uint32_t kFlacMaxBlockLength = 0xFFFFFF;

struct FlacBlock {
  int type = 0;
  uint64_t offset = 0;  // of its 4-byte header
  uint32_t length = 0;  // of its body
};

struct FlacLayout {
  uint64_t blocksStart = 0;  // after "fLaC"
  std::vector<FlacBlock> blocks;
  uint64_t audioStart = 0;  // after the last block
};

// False with a reason when the blocks do not add up: no "fLaC", STREAMINFO
// missing or not first, a block past the end of the file, a reserved block
// type, two Vorbis comment blocks, or no audio frame where the blocks end.
bool ReadFlacLayout(const payload::Reader& file, FlacLayout& layout, std::string* error);

// A Vorbis comment block's body: the vendor string and the comments
// ("NAME=value", bytes as stored).
struct VorbisComments {
  std::string vendor;
  std::vector<std::string> entries;
};
bool ParseVorbisComments(std::string_view body, VorbisComments& comments);
std::string RenderVorbisComments(const VorbisComments& comments);
// Whether a comment's field name is `name` (field names ignore ASCII case),
// and the value after "=".
bool IsField(std::string_view entry, std::string_view name);
std::string_view FieldValue(std::string_view entry);

}  // namespace hozanki
