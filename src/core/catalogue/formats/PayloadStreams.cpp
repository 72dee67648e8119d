#include <algorithm>

#include "core/catalogue/formats/ApeTagData.h"
#include "core/catalogue/formats/AsfVideo.h"
#include "core/catalogue/formats/AviStructure.h"
#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/Id3v1Tag.h"
#include "core/catalogue/formats/MpegAudio.h"
#include "core/catalogue/formats/PayloadFormats.h"

namespace hozanki::payload {
namespace {

using namespace std::string_view_literals;

constexpr uint64_t kMaxVqfHeader = 16ull << 20;
constexpr size_t kMaxRiffChunks = 1u << 20;

// Size of an ID3v2 tag at the start of the file (0 when there is none).
bool FrontId3v2(std::string_view head, uint64_t fileSize, uint64_t& size, std::string* error) {
  size = 0;
  if (head.size() < 10 || head.substr(0, 3) != "ID3") return true;
  auto version = static_cast<uint8_t>(head[3]);
  auto flags = static_cast<uint8_t>(head[5]);
  uint32_t body = 0;
  for (size_t i = 6; i < 10; ++i) {
    auto b = static_cast<uint8_t>(head[i]);
    if (b & 0x80) return Fail(error, "damaged ID3v2 header (its size is not a synchsafe number)");
    body = (body << 7) | b;
  }
  if (version < 2 || version > 4) return Fail(error, "unknown ID3v2 version");
  size = 10 + uint64_t(body) + ((version == 4 && (flags & 0x10)) ? 10 : 0);
  if (size > fileSize) return Fail(error, "the ID3v2 tag runs past the end of the file");
  return true;
}

// The end of the payload in [start, end) before an APE tag and an ID3v1 tag
// at its end, read as the MP3 layer reads them. `strictApe`: an APE footer
// whose tag cannot be read is refused rather than taken for payload.
bool PayloadEndBeforeTags(const Reader& file, uint64_t start, uint64_t& end, bool strictApe,
                          std::string* error) {
  uint64_t tailSize = std::min<uint64_t>(end - start, kId3v1Size + kApeFooterSize);
  std::string tail = file.Read(end - tailSize, tailSize);
  if (tail.size() != tailSize) return Fail(error, "cannot read the end of the file");
  std::string_view rest = tail;
  if (rest.size() >= kId3v1Size && Id3v1Tag::Parse(rest.substr(rest.size() - kId3v1Size))) {
    end -= kId3v1Size;
    rest.remove_suffix(kId3v1Size);
  }
  if (rest.size() < kApeFooterSize) return true;
  std::string_view footer = rest.substr(rest.size() - kApeFooterSize);
  uint64_t size = ApeTagData::TagSizeAtEnd(footer);
  bool present = size > 0 && end - start >= size && ApeTagData::Parse(file.Read(end - size, size));
  if (present) {
    end -= size;
  } else if (strictApe && footer.substr(0, 8) == "APETAGEX") {
    return Fail(error, "damaged APE tag (its size or items do not add up)");
  }
  return true;
}

// Other containers whose bytes may hold something like an MPEG frame header.
bool IsOtherContainer(std::string_view head) {
  for (std::string_view magic : {"RIFF"sv, "OggS"sv, "fLaC"sv, "MAC "sv, "TWIN"sv, "\x1A\x45\xDF\xA3"sv})
    if (head.substr(0, magic.size()) == magic) return true;
  return head.substr(0, kAsfHeaderGuid.size()) == kAsfHeaderGuid ||
         (head.size() >= 8 && head.substr(4, 4) == "ftyp");
}

struct Chunk {
  std::string id;
  uint64_t offset = 0;  // of the chunk header
  uint64_t size = 0;    // declared (and checked to lie within the file)
};

bool ValidChunkId(std::string_view id) {
  return std::all_of(id.begin(), id.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 32 && u <= 127;
  });
}

// The chunks of a RIFF form from byte 12 until fewer than 8 bytes remain
// before `limit`. An odd-sized chunk is followed by a pad byte when that
// byte is NUL (as TagLib reads it).
bool WalkRiff(const Reader& file, uint64_t limit, std::vector<Chunk>& chunks, std::string* error) {
  uint64_t pos = 12;
  while (pos <= limit && limit - pos >= 8) {
    std::string h = file.Read(pos, 8);
    if (h.size() < 8) return Fail(error, "cannot read a chunk header");
    Chunk chunk{h.substr(0, 4), pos, Le32(h, 4)};
    if (!ValidChunkId(chunk.id)) return Fail(error, "damaged chunk header at byte " + std::to_string(pos));
    if (chunk.size > file.Size() - pos - 8)
      return Fail(error, "the " + Quoted(chunk.id) + " chunk runs past the end of the file");
    if (chunks.size() >= kMaxRiffChunks) return Fail(error, "too many chunks");
    chunks.push_back(chunk);
    pos += 8 + chunk.size;
    if ((chunk.size & 1) && file.Read(pos, 1) == std::string(1, '\0')) ++pos;
  }
  return true;
}

bool CheckRiffSize(uint32_t riffSize, const Chunk& data, std::string* error) {
  if (riffSize < 4 || 8 + uint64_t(riffSize) < data.offset + 8)
    return Fail(error, "the RIFF size (" + std::to_string(riffSize) + ") does not cover the data chunk");
  return true;
}

bool MapRiffMp3(const Reader& file, std::string_view head, PayloadMap& map, std::string* error) {
  uint32_t riffSize = Le32(head, 4);
  uint64_t riffEnd = 8 + uint64_t(riffSize);
  // An ID3v1 tag after the RIFF form is no chunk: the walk stops at the
  // form's end when the form lies within the file.
  std::vector<Chunk> chunks;
  if (!WalkRiff(file, std::min(riffEnd, file.Size()), chunks, error)) return false;
  auto data = std::find_if(chunks.begin(), chunks.end(), [](const Chunk& c) { return c.id == "data"; });
  if (data == chunks.end()) return Fail(error, "RIFF MP3 without a data chunk");
  if (!CheckRiffSize(riffSize, *data, error)) return false;
  uint64_t start = data->offset + 8, end = start + data->size;
  if (data->size >= kId3v1Size && Id3v1Tag::Parse(file.Read(end - kId3v1Size, kId3v1Size))) end -= kId3v1Size;
  map.variant = "RMP3";
  map.ranges.push_back({start, end - start});
  return true;
}

}  // namespace

bool MapMp3(const Reader& file, PayloadMap& map, std::string* error) {
  if (file.Size() == 0) return Fail(error, "empty file");
  std::string head = file.Read(0, 8192);
  if (head.size() >= 12 && head.compare(0, 4, "RIFF") == 0 && head.compare(8, 4, "RMP3") == 0)
    return MapRiffMp3(file, head, map, error);
  uint64_t start = 0;
  if (!FrontId3v2(head, file.Size(), start, error)) return false;
  if (start == 0 && (IsOtherContainer(head) || !LooksLikeMpegAudio(head)))
    return Fail(error, "not an MPEG audio file");
  uint64_t end = file.Size();
  if (!PayloadEndBeforeTags(file, start, end, false, error)) return false;
  map.variant = "MPEG";
  map.ranges.push_back({start, end - start});
  return true;
}

bool MapApe(const Reader& file, PayloadMap& map, std::string* error) {
  std::string head = file.Read(0, 10);
  uint64_t start = 0;
  if (!FrontId3v2(head, file.Size(), start, error)) return false;
  std::string magic = file.Read(start, 4);
  if (magic.size() == 4 && magic.compare(0, 3, "MP+") == 0) magic.resize(3);
  if (magic != "MAC " && magic != "wvpk" && magic != "tBaK" && magic != "MPCK" && magic != "MP+")
    return Fail(error, "not a Monkey's Audio, WavPack, TAK or Musepack file");
  map.variant = magic;
  uint64_t end = file.Size();
  if (!PayloadEndBeforeTags(file, start, end, true, error)) return false;
  map.ranges.push_back({start, end - start});
  return true;
}

bool MapWav(const Reader& file, PayloadMap& map, std::string* error) {
  std::string head = file.Read(0, 12);
  if (head.size() < 12 || head.compare(0, 4, "RIFF") != 0 || head.compare(8, 4, "WAVE") != 0)
    return Fail(error, "not a WAV file (no RIFF WAVE header)");
  // TagLib reads chunks up to the end of the file, whatever the RIFF size says.
  std::vector<Chunk> chunks;
  if (!WalkRiff(file, file.Size(), chunks, error)) return false;
  const Chunk* data = nullptr;
  bool format = false;
  for (const Chunk& c : chunks) {
    if (c.id != "fmt " && c.id != "data") continue;
    if (c.id == "data" && !data) data = &c;
    format = format || c.id == "fmt ";
    map.ranges.push_back({c.offset + 8, c.size});
  }
  if (!format) return Fail(error, "WAV file without a format chunk");
  if (!data) return Fail(error, "WAV file without a data chunk");
  return CheckRiffSize(Le32(head, 4), *data, error);
}

bool MapAvi(const Reader& file, PayloadMap& map, std::string* error) {
  AviStructure avi;
  ByteSource source = [&file](uint64_t offset, size_t size) { return file.Read(offset, size); };
  if (!ParseAviStructure(source, file.Size(), avi, error)) return false;
  // Everything but the INFO lists and JUNK chunks of the first RIFF part:
  // a run of them is one gap, since the INFO writer may move the boundary
  // between the INFO list and the JUNK after it.
  uint64_t pos = 0;
  for (const AviChunk& c : avi.chunks) {
    bool gap = c.id == "JUNK" || (c.id == "LIST" && c.listType == "INFO");
    if (!gap) continue;
    uint64_t end = std::min(c.offset + c.Span(), file.Size());
    if (c.offset > pos) map.ranges.push_back({pos, c.offset - pos});
    pos = end;
  }
  if (file.Size() > pos) map.ranges.push_back({pos, file.Size() - pos});
  return true;
}

bool MapVqf(const Reader& file, PayloadMap& map, std::string* error) {
  std::string head = file.Read(0, 16);
  if (head.size() < 16 || head.compare(0, 4, "TWIN") != 0)
    return Fail(error, "not a VQF file (no TWIN header)");
  uint64_t headerEnd = 16 + uint64_t(Be32(head, 12));
  if (headerEnd > kMaxVqfHeader) return Fail(error, "broken VQF file (header size too large)");
  if (headerEnd > file.Size()) return Fail(error, "the VQF header runs past the end of the file");
  head = file.Read(0, headerEnd + 4);
  uint64_t pos = 16;
  while (true) {
    if (pos + 4 > head.size()) return Fail(error, "broken VQF file (no DATA chunk after the header)");
    if (head.compare(pos, 4, "DATA") == 0) break;
    if (pos + 8 > headerEnd) return Fail(error, "broken VQF file (no DATA chunk after the header)");
    uint32_t size = Be32(head, pos + 4);
    if (size > headerEnd - pos - 8) return Fail(error, "broken VQF file (a chunk runs past the header)");
    pos += 8 + size;
  }
  map.ranges.push_back({pos + 4, file.Size() - pos - 4});
  return true;
}

}  // namespace hozanki::payload
