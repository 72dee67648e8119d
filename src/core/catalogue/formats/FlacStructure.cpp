#include "core/catalogue/formats/FlacStructure.h"

#include "core/catalogue/formats/ByteOrder.h"

namespace hozanki {

using payload::Fail;
using payload::Refuse;

bool ReadFlacLayout(const payload::Reader& file, FlacLayout& layout, std::string* error) {
  layout = FlacLayout();
  uint64_t pos = 0;
  std::string head = file.Read(0, 10);
  if (head.size() == 10 && head.compare(0, 3, "ID3") == 0) {
    uint64_t size = 0;
    for (int i = 6; i < 10; ++i) size = (size << 7) | (static_cast<unsigned char>(head[i]) & 0x7F);
    pos = 10 + size + ((static_cast<unsigned char>(head[5]) & 0x10) ? 10 : 0);
  }
  if (file.Read(pos, 4) != "fLaC")
    return Refuse(error, FailureKind::kNotFormat, "FLAC", "not a FLAC file (no \"fLaC\")");
  pos += 4;
  layout.blocksStart = pos;
  bool last = false;
  bool comments = false;
  while (!last) {
    std::string h = file.Read(pos, 4);
    if (h.size() != 4)
      return Refuse(error, FailureKind::kChunkPastEnd, "FLAC",
                    "damaged FLAC file (a metadata block runs past the end of the file)");
    const auto flags = static_cast<unsigned char>(h[0]);
    FlacBlock block;
    block.type = flags & 0x7F;
    block.offset = pos;
    block.length = static_cast<uint32_t>(ReadBE(h, 1, 3));
    last = (flags & 0x80) != 0;
    if (block.type == 127)
      return Refuse(error, FailureKind::kDamagedFile, "FLAC",
                    "damaged FLAC file (reserved metadata block type)");
    if (layout.blocks.empty() && (block.type != kFlacStreamInfo || block.length != 34))
      return Refuse(error, FailureKind::kDamagedFile, "FLAC",
                    "damaged FLAC file (STREAMINFO is not the first block)");
    if (!layout.blocks.empty() && block.type == kFlacStreamInfo)
      return Refuse(error, FailureKind::kDamagedFile, "FLAC", "damaged FLAC file (a second STREAMINFO)");
    if (block.type == kFlacVorbisComment) {
      if (comments)
        return Refuse(error, FailureKind::kDamagedFile, "FLAC",
                      "damaged FLAC file (two Vorbis comment blocks)");
      comments = true;
    }
    if (block.length > file.Size() - pos - 4)
      return Refuse(error, FailureKind::kChunkPastEnd, "FLAC",
                    "damaged FLAC file (a metadata block runs past the end of the file)");
    layout.blocks.push_back(block);
    pos += 4 + block.length;
  }
  layout.audioStart = pos;
  if (pos < file.Size()) {
    std::string sync = file.Read(pos, 2);
    if (sync.size() != 2 || static_cast<unsigned char>(sync[0]) != 0xFF ||
        (static_cast<unsigned char>(sync[1]) & 0xFE) != 0xF8)
      return Refuse(error, FailureKind::kDamagedFile, "FLAC",
                    "damaged FLAC file (no audio frame after the metadata blocks)");
  }
  return true;
}

bool ParseVorbisComments(std::string_view body, VorbisComments& comments) {
  comments = VorbisComments();
  if (body.size() < 8) return false;
  const uint32_t vendor = Le32(body, 0);
  if (vendor > body.size() - 8) return false;
  comments.vendor = std::string(body.substr(4, vendor));
  size_t pos = 4 + vendor;
  const uint32_t count = Le32(body, pos);
  pos += 4;
  if (count > (body.size() - pos) / 4) return false;
  comments.entries.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    if (body.size() - pos < 4) return false;
    const uint32_t length = Le32(body, pos);
    pos += 4;
    if (length > body.size() - pos) return false;
    comments.entries.emplace_back(body.substr(pos, length));
    pos += length;
  }
  return true;  // bytes after the last comment (a framing bit some writers add) are ignored
}

std::string RenderVorbisComments(const VorbisComments& comments) {
  std::string out;
  PutLE32(out, static_cast<uint32_t>(comments.vendor.size()));
  out += comments.vendor;
  PutLE32(out, static_cast<uint32_t>(comments.entries.size()));
  for (const std::string& e : comments.entries) {
    PutLE32(out, static_cast<uint32_t>(e.size()));
    out += e;
  }
  return out;
}

bool IsField(std::string_view entry, std::string_view name) {
  if (entry.size() <= name.size() || entry[name.size()] != '=') return false;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = entry[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != name[i]) return false;
  }
  return true;
}

std::string_view FieldValue(std::string_view entry) {
  const size_t eq = entry.find('=');
  return eq == std::string_view::npos ? std::string_view() : entry.substr(eq + 1);
}

}  // namespace hozanki
