#pragma once
// The layouts of the two formats that carry an ID3v2 tag as a chunk of
// their own, read without decoding anything. Shared by the reader, the
// writer and the payload map.
//
// AIFF (and AIFF-C): "FORM", its size (big-endian), "AIFF" or "AIFC", then
// chunks (id, 32-bit big-endian size, body, a pad byte after an odd body):
// "COMM" (channels, frames, sample size, rate), "SSND" (the sound), and
// the tag in an "ID3 " chunk, anywhere among them.
//
// DSF: the "DSD " chunk (28 bytes: size, total file size, metadata
// pointer), the "fmt " chunk (52 bytes), the "data" chunk (12 bytes of
// header, then the samples), and the ID3v2 tag where the metadata pointer
// points: after the samples, at the end of the file. Every number is
// little-endian and 64 bits wide but the format fields.

#include <cstdint>
#include <string>
#include <vector>

#include "core/catalogue/formats/PayloadFormats.h"

namespace hozanki {

struct AiffChunk {
  std::string id;
  uint64_t offset = 0;  // of its 8-byte header
  uint64_t size = 0;    // of its body, without the pad byte
  uint64_t Span() const { return 8 + size + (size & 1); }
};

struct AiffLayout {
  bool aifc = false;
  uint64_t formSize = 0;  // as the header says
  uint64_t end = 0;       // where the walk stopped: the form's end, or the file's
  std::vector<AiffChunk> chunks;
  int comm = -1, ssnd = -1, id3 = -1;  // chunk indexes, -1 when absent
};

// False with a reason when the chunks do not add up: no "FORM" of type
// "AIFF" or "AIFC", a chunk past the end of the file, no "COMM" or "SSND"
// chunk, two ID3 chunks, or an ID3 chunk that holds no ID3v2 tag of its size.
bool ReadAiffLayout(const payload::Reader& file, AiffLayout& layout, std::string* error);

struct DsfLayout {
  uint64_t fmtOffset = 0, fmtSize = 0;    // the "fmt " chunk, header included
  uint64_t dataOffset = 0, dataSize = 0;  // the "data" chunk, header included
  uint64_t tagOffset = 0, tagSize = 0;    // the ID3v2 tag; 0 when there is none
  uint32_t channels = 0, sampleRate = 0, bits = 0;
  uint64_t samples = 0;  // per channel
};

// False with a reason when the chunks do not add up: no "DSD " chunk of 28
// bytes, no "fmt " chunk of at least 52 bytes after it, no "data" chunk
// after that within the file, or a metadata pointer that points anywhere
// but at an ID3v2 tag after the samples that ends within the file.
bool ReadDsfLayout(const payload::Reader& file, DsfLayout& layout, std::string* error);

// The size of the complete ID3v2 tag whose header is `head` (10 bytes); 0
// when `head` is no ID3v2 header.
uint64_t Id3v2TagSize(std::string_view head);

}  // namespace hozanki
