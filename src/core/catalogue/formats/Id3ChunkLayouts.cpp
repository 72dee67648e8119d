#include "core/catalogue/formats/Id3ChunkLayouts.h"

#include <algorithm>

#include "core/catalogue/formats/ByteOrder.h"

namespace hozanki {

using payload::Fail;

namespace {

constexpr size_t kMaxChunks = 1u << 16;

bool PrintableId(std::string_view id) {
  return std::all_of(id.begin(), id.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

bool IsId3ChunkId(std::string_view id) { return id == "ID3 " || id == "id3 "; }

}  // namespace

uint64_t Id3v2TagSize(std::string_view head) {
  if (head.size() < 10 || head.substr(0, 3) != "ID3") return 0;
  const auto version = static_cast<uint8_t>(head[3]);
  if (version < 2 || version > 4) return 0;
  uint64_t body = 0;
  for (size_t i = 6; i < 10; ++i) {
    const auto b = static_cast<uint8_t>(head[i]);
    if (b & 0x80) return 0;
    body = (body << 7) | b;
  }
  return 10 + body + ((version == 4 && (static_cast<uint8_t>(head[5]) & 0x10)) ? 10 : 0);
}

bool ReadAiffLayout(const payload::Reader& file, AiffLayout& layout, std::string* error) {
  layout = AiffLayout();
  const std::string head = file.Read(0, 12);
  if (head.size() < 12 || head.compare(0, 4, "FORM") != 0 ||
      (head.compare(8, 4, "AIFF") != 0 && head.compare(8, 4, "AIFC") != 0))
    return Fail(error, "not an AIFF file (no FORM AIFF header)");
  layout.aifc = head.compare(8, 4, "AIFC") == 0;
  layout.formSize = Be32(head, 4);
  layout.end = std::min<uint64_t>(8 + layout.formSize, file.Size());
  uint64_t pos = 12;
  while (pos + 8 <= layout.end) {
    const std::string h = file.Read(pos, 8);
    AiffChunk chunk{h.substr(0, 4), pos, Be32(h, 4)};
    if (h.size() < 8 || !PrintableId(chunk.id))
      return Fail(error, "damaged AIFF file (a bad chunk header at byte " + std::to_string(pos) + ")");
    if (chunk.size > file.Size() - pos - 8)
      return Fail(error, "damaged AIFF file (the " + payload::Quoted(chunk.id) + " chunk runs past the end of the file)");
    if (layout.chunks.size() >= kMaxChunks) return Fail(error, "damaged AIFF file (too many chunks)");
    const int index = static_cast<int>(layout.chunks.size());
    if (chunk.id == "COMM" && layout.comm < 0) layout.comm = index;
    if (chunk.id == "SSND" && layout.ssnd < 0) layout.ssnd = index;
    if (IsId3ChunkId(chunk.id)) {
      if (layout.id3 >= 0) return Fail(error, "damaged AIFF file (two ID3 chunks)");
      const uint64_t tag = Id3v2TagSize(file.Read(pos + 8, 10));
      if (tag == 0 || tag > chunk.size)
        return Fail(error, "damaged AIFF file (the ID3 chunk holds no ID3v2 tag of its size)");
      layout.id3 = index;
    }
    layout.chunks.push_back(chunk);
    pos += chunk.Span();
  }
  // The last chunk's pad byte may be missing at the very end of the file.
  layout.end = std::min(std::max(layout.end, pos), file.Size());
  if (layout.comm < 0 || layout.chunks[static_cast<size_t>(layout.comm)].size < 18)
    return Fail(error, "damaged AIFF file (no COMM chunk)");
  if (layout.ssnd < 0 || layout.chunks[static_cast<size_t>(layout.ssnd)].size < 8)
    return Fail(error, "damaged AIFF file (no SSND chunk)");
  return true;
}

bool ReadDsfLayout(const payload::Reader& file, DsfLayout& layout, std::string* error) {
  layout = DsfLayout();
  const std::string head = file.Read(0, 28 + 52 + 12);
  if (head.size() < 28 || head.compare(0, 4, "DSD ") != 0 || ReadLE(head, 4, 8) != 28)
    return Fail(error, "not a DSF file (no \"DSD \" chunk)");
  const uint64_t pointer = ReadLE(head, 20, 8);
  layout.fmtOffset = 28;
  if (head.size() < 28 + 52 || head.compare(28, 4, "fmt ") != 0)
    return Fail(error, "damaged DSF file (no \"fmt \" chunk)");
  layout.fmtSize = ReadLE(head, 32, 8);
  if (layout.fmtSize < 52 || layout.fmtSize > file.Size() - 28)
    return Fail(error, "damaged DSF file (the \"fmt \" chunk has a bad size)");
  layout.channels = static_cast<uint32_t>(ReadLE(head, 28 + 24, 4));
  layout.sampleRate = static_cast<uint32_t>(ReadLE(head, 28 + 28, 4));
  layout.bits = static_cast<uint32_t>(ReadLE(head, 28 + 32, 4));
  layout.samples = ReadLE(head, 28 + 36, 8);
  layout.dataOffset = 28 + layout.fmtSize;
  const std::string data = file.Read(layout.dataOffset, 12);
  if (data.size() < 12 || data.compare(0, 4, "data") != 0) return Fail(error, "damaged DSF file (no \"data\" chunk)");
  layout.dataSize = ReadLE(data, 4, 8);
  if (layout.dataSize < 12 || layout.dataSize > file.Size() - layout.dataOffset)
    return Fail(error, "damaged DSF file (the \"data\" chunk runs past the end of the file)");
  const uint64_t dataEnd = layout.dataOffset + layout.dataSize;
  if (pointer != 0) {
    if (pointer < dataEnd || pointer >= file.Size())
      return Fail(error, "damaged DSF file (the metadata pointer points outside the tag area)");
    const uint64_t tag = Id3v2TagSize(file.Read(pointer, 10));
    if (tag == 0 || tag > file.Size() - pointer)
      return Fail(error, "damaged DSF file (no ID3v2 tag where the metadata pointer points)");
    layout.tagOffset = pointer;
    layout.tagSize = tag;
  }
  return true;
}

}  // namespace hozanki
