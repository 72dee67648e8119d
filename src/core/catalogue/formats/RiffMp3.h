#pragma once
// A RIFF-wrapped MP3 ("RIFF" size "RMP3"): a "data" chunk holding the MPEG
// stream and a "LIST" "INFO" chunk holding the tag. Chunks are walked with
// their sizes clamped to the file, so a damaged size never reads past the end.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/catalogue/formats/RiffInfo.h"

namespace hozanki {

struct RiffChunk {
  std::string id;       // four characters
  uint64_t offset = 0;  // of the chunk header in the file
  uint64_t size = 0;    // payload bytes present in the file (clamped)
};

struct RiffMp3Layout {
  std::vector<RiffChunk> chunks;  // top-level chunks after "RMP3", in file order
  int dataIndex = -1;             // the "data" chunk
  int infoIndex = -1;             // the "LIST" "INFO" chunk
  uint64_t end = 0;               // end of the last chunk (trailing bytes follow)
};

// Does `head` (the first bytes of a file) start a "RIFF" ... "RMP3" file?
bool IsRiffMp3(std::string_view head);

// Walks the top-level chunks. `read(offset, length)` returns file bytes (fewer
// at the end of the file). Null when no "data" chunk is found.
template <typename Reader>
std::optional<RiffMp3Layout> ParseRiffMp3(uint64_t fileSize, Reader read);

// The INFO list of the file (see RiffInfo.h: untouched chunks keep their bytes).
using RiffInfo = InfoList;

// `listPayload` is the payload after "LIST" size ("INFO" and the fields);
// any other payload gives an empty list.
RiffInfo ParseRiffInfo(std::string_view listPayload);
// A complete "LIST" chunk, padded to an even length; empty when the list
// holds nothing.
std::string RenderRiffInfo(const RiffInfo& info, InfoTextMode mode = InfoTextMode::kAsFile);
// The text mode of the "mp3_ID3v2Unicode" option as the MP3 file keeps it
// (-1 not sent, 0 off, 1 on).
InfoTextMode InfoTextModeOf(int unicodeOption);

// The header of a RIFF form and of a chunk.
std::string RiffHeader(uint64_t bodySize, std::string_view form);
std::string ChunkHeader(std::string_view id, uint64_t size);

// Reads a little-endian 32-bit value.
uint32_t Le32(std::string_view bytes, size_t pos);

template <typename Reader>
std::optional<RiffMp3Layout> ParseRiffMp3(uint64_t fileSize, Reader read) {
  RiffMp3Layout layout;
  // Chunks are walked within the form's declared size when it is sane: what
  // follows the form (an ID3v1 tag appended by another program) is not a
  // chunk and is kept byte for byte.
  uint64_t formEnd = fileSize;
  if (std::string form = read(0, 8); form.size() == 8) {
    uint64_t declared = 8 + uint64_t(Le32(form, 4));
    if (declared >= 20 && declared < fileSize) formEnd = declared;
  }
  uint64_t pos = 12;
  while (pos + 8 <= formEnd && layout.chunks.size() < 4096) {
    std::string header = read(pos, 8);
    if (header.size() < 8) break;
    RiffChunk chunk;
    chunk.id = header.substr(0, 4);
    chunk.offset = pos;
    uint64_t declared = Le32(header, 4);
    chunk.size = std::min<uint64_t>(declared, formEnd - pos - 8);
    if (chunk.id == "data" && layout.dataIndex < 0) layout.dataIndex = static_cast<int>(layout.chunks.size());
    if (chunk.id == "LIST" && layout.infoIndex < 0 && chunk.size >= 4 && read(pos + 8, 4) == "INFO")
      layout.infoIndex = static_cast<int>(layout.chunks.size());
    layout.chunks.push_back(chunk);
    pos += 8 + chunk.size + (chunk.size & 1);
  }
  layout.end = std::min(pos, formEnd);
  if (layout.dataIndex < 0) return std::nullopt;
  return layout;
}

}  // namespace hozanki
