#pragma once
// The project's own VQF (TwinVQ) reader and writer: "TWIN", an 8-byte
// version, the big-endian size of the header chunks, the chunks (four-byte
// id, big-endian size, data) and "DATA" followed by the bit stream.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hozanki {

struct VqfChunk {
  std::string id;
  std::string data;
};

struct VqfStructure {
  std::string version;            // the 8 bytes after "TWIN"
  std::vector<VqfChunk> chunks;   // header chunks in file order
  uint64_t dataOffset = 0;        // offset of "DATA"
  int channels = 0;
  int kbps = 0;
  int sampleRate = 0;
};

// Bytes needed from the start of a file to parse its header (0 when `head`,
// at least 16 bytes, is not a VQF start).
uint64_t VqfHeaderLength(std::string_view head);

// Parses the header from `head` (the file's first bytes, see VqfHeaderLength).
// False with `error` set when it is not a VQF file or the header is broken.
bool ParseVqf(std::string_view head, VqfStructure& vqf, std::string* error);

// The header bytes up to and including "DATA" for `vqf`'s chunks.
std::string RenderVqfHeader(const VqfStructure& vqf);

}  // namespace hozanki
