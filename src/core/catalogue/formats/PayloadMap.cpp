#include "core/catalogue/formats/PayloadMap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "core/catalogue/formats/ApeTagData.h"
#include "core/catalogue/formats/AsfVideo.h"
#include "core/catalogue/formats/AviStructure.h"
#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/Id3v1Tag.h"
#include "core/catalogue/formats/MpegAudio.h"

namespace hozanki {
namespace {

using namespace std::string_view_literals;
namespace fs = std::filesystem;

constexpr uint64_t kMaxMovieBox = 256ull << 20;
constexpr uint64_t kMaxVqfHeader = 16ull << 20;
constexpr size_t kMaxRiffChunks = 1u << 20;
constexpr size_t kBlock = 1u << 20;

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

std::string Quoted(std::string_view id) {
  std::string out = "\"";
  for (char c : id) out.push_back(c >= 0x20 && c < 0x7F ? c : '?');
  return out + "\"";
}

// A regular file opened for reading (a FIFO or device is refused, never
// waited on).
class Reader {
 public:
  Reader() = default;
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;
  ~Reader() {
    if (fd_ >= 0) ::close(fd_);
  }

  bool Open(const fs::path& path, std::string* error) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) return Fail(error, "cannot open " + path.string() + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return Fail(error, "not a regular file");
    size_ = static_cast<uint64_t>(st.st_size);
    return true;
  }
  uint64_t Size() const { return size_; }

  // Up to `length` bytes from `offset` (fewer at the end of the file or on a
  // read error).
  std::string Read(uint64_t offset, uint64_t length) const {
    if (offset >= size_) return {};
    std::string out(static_cast<size_t>(std::min(length, size_ - offset)), '\0');
    out.resize(ReadInto(offset, out.data(), out.size()));
    return out;
  }
  size_t ReadInto(uint64_t offset, char* buffer, size_t length) const {
    size_t done = 0;
    while (done < length) {
      ssize_t r = ::pread(fd_, buffer + done, length - done, static_cast<off_t>(offset + done));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      done += static_cast<size_t>(r);
    }
    return done;
  }

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

// ---------------------------------------------------------------- MP3, APE

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

// ---------------------------------------------------------------- RIFF

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
  if (file.Read(start, 4) != "MAC ") return Fail(error, "not a Monkey's Audio file (no \"MAC \" header)");
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

// ---------------------------------------------------------------- VQF

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

// ---------------------------------------------------------------- ASF

constexpr auto kAsfHeaderExtension = "\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65"sv;
constexpr auto kAsfStreamProperties = "\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65"sv;
constexpr auto kAsfDataObject = "\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C"sv;

constexpr auto kAsfContentDescription = "\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C"sv;
constexpr auto kAsfExtendedContentDescription =
    "\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50"sv;
constexpr auto kAsfMetadata = "\xEA\xCB\xF8\xC5\xAF\x5B\x77\x48\x84\x67\xAA\x8C\x44\xFA\x4C\xCA"sv;
constexpr auto kAsfMetadataLibrary = "\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54"sv;

// The tag objects hold 16- and 32-bit lengths of their own (a title longer
// than 65,535 bytes overflows them): they must fill the object exactly.
bool CheckAsfTagObject(const Reader& file, std::string_view guid, uint64_t pos, uint64_t size,
                       std::string* error) {
  auto fail = [error] {
    return Fail(error, "damaged ASF header (the lengths in a tag object do not add up)");
  };
  if (guid == kAsfContentDescription) {
    std::string h = file.Read(pos, 34);
    if (size < 34 || h.size() < 34) return fail();
    uint64_t sum = 34;
    for (size_t i = 24; i < 34; i += 2) sum += Le16(h, i);
    return sum == size || fail();
  }
  bool extended = guid == kAsfExtendedContentDescription;
  if (!extended && guid != kAsfMetadata && guid != kAsfMetadataLibrary) return true;
  if (size < 26) return fail();
  uint64_t count = Le16(file.Read(pos + 24, 2), 0);
  uint64_t at = pos + 26, end = pos + size;
  for (uint64_t i = 0; i < count; ++i) {
    if (extended) {
      // Name length, name, value type, value length, value.
      if (end - at < 2) return fail();
      at += 2 + Le16(file.Read(at, 2), 0);
      if (at > end || end - at < 4) return fail();
      at += 4 + Le16(file.Read(at + 2, 2), 0);
    } else {
      // Language, stream, name length, value type, value length (32 bits), name, value.
      if (end - at < 12) return fail();
      std::string r = file.Read(at, 12);
      at += 12 + uint64_t(Le16(r, 4)) + Le32(r, 8);
    }
    if (at > end) return fail();
  }
  return at == end || fail();
}

// Checks the objects in [begin, end): each at least 24 bytes, together
// filling the range exactly; `count` of them when count >= 0.
bool CheckAsfObjects(const Reader& file, uint64_t begin, uint64_t end, int64_t count, bool top,
                     std::string* error) {
  uint64_t pos = begin;
  int64_t seen = 0;
  while (pos < end && (count < 0 || seen < count)) {
    if (end - pos < 24) return Fail(error, "damaged ASF header (an object is cut short)");
    std::string h = file.Read(pos, 24);
    if (h.size() < 24) return Fail(error, "cannot read the ASF header");
    uint64_t size = ReadLE(h, 16, 8);
    if (size < 24 || size > end - pos)
      return Fail(error, "damaged ASF header (an object's size does not fit the header)");
    std::string_view guid = std::string_view(h).substr(0, 16);
    if (top && guid == kAsfHeaderExtension) {
      if (size < 46) return Fail(error, "damaged ASF header (the header extension object is too short)");
      uint32_t dataSize = Le32(file.Read(pos + 42, 4), 0);
      if (dataSize != size - 46)
        return Fail(error, "damaged ASF header (the header extension's data size does not match the object)");
      if (!CheckAsfObjects(file, pos + 46, pos + size, -1, false, error)) return false;
    } else if (!CheckAsfTagObject(file, guid, pos, size, error)) {
      return false;
    } else if (guid == kAsfStreamProperties) {
      std::string body = file.Read(pos, 78);
      if (size < 78 || body.size() < 78 || uint64_t(Le32(body, 64)) + Le32(body, 68) > size - 78)
        return Fail(error, "damaged ASF header (a stream properties object is too short for its data)");
    }
    pos += size;
    ++seen;
  }
  if (pos != end || (count >= 0 && seen != count))
    return Fail(error, "damaged ASF header (its size does not match the objects it holds)");
  return true;
}

bool MapAsf(const Reader& file, PayloadMap& map, std::string* error) {
  std::string head = file.Read(0, 30);
  if (head.size() < 30 || head.compare(0, 16, kAsfHeaderGuid) != 0)
    return Fail(error, "not an ASF file (no header object)");
  uint64_t size = ReadLE(head, 16, 8);
  uint32_t count = Le32(head, 24);
  if (size < 30) return Fail(error, "damaged ASF header (its size is smaller than the header itself)");
  if (size > file.Size()) return Fail(error, "damaged ASF header (its size runs past the end of the file)");
  if (count > (size - 30) / 24)
    return Fail(error, "damaged ASF header (more objects than its size can hold)");
  if (!CheckAsfObjects(file, 30, size, count, true, error)) return false;
  if (file.Read(size, 16) != kAsfDataObject)
    return Fail(error, "damaged ASF file (no data object after the header)");
  map.ranges.push_back({size, file.Size() - size});
  return true;
}

// ---------------------------------------------------------------- Ogg

struct OggPage {
  uint64_t offset = 0;
  uint64_t length = 0;  // header, segment table and body
  std::string header;   // 27 bytes + segment table
};

bool ReadOggPage(const Reader& file, uint64_t pos, OggPage& page, std::string* error) {
  page.offset = pos;
  page.header = file.Read(pos, 27 + 255);
  std::string_view h = page.header;
  if (h.size() < 27 || h.substr(0, 4) != "OggS" || h[4] != 0)
    return Fail(error, "damaged Ogg file (no page at byte " + std::to_string(pos) + ")");
  size_t segments = static_cast<unsigned char>(h[26]);
  if (h.size() < 27 + segments) return Fail(error, "damaged Ogg file (a page runs past the end of the file)");
  page.header.resize(27 + segments);
  uint64_t body = 0;
  for (size_t i = 0; i < segments; ++i) body += static_cast<unsigned char>(h[27 + i]);
  page.length = 27 + segments + body;
  if (page.length > file.Size() - pos)
    return Fail(error, "damaged Ogg file (a page runs past the end of the file)");
  return true;
}

bool MapOgg(const Reader& file, PayloadMap& map, std::string* error) {
  if (file.Size() == 0) return Fail(error, "empty file");
  int headerPackets = 0;
  int packets = 0;           // complete packets so far
  uint64_t packetStart = 0;  // file offset of the packet being read
  bool inPacket = false;
  bool headersDone = false;
  OggPage page;
  uint64_t pos = 0;
  while (pos < file.Size()) {
    if (!ReadOggPage(file, pos, page, error)) return false;
    if (headersDone) {
      map.ranges.push_back({page.offset, page.length});
    } else {
      size_t segments = page.header.size() - 27;
      uint64_t at = pos + page.header.size();
      for (size_t i = 0; i < segments; ++i) {
        if (!inPacket) {
          packetStart = at;
          inPacket = true;
          // Each header packet starts with its codec's mark.
          std::string mark = file.Read(packetStart, 8);
          if (packets == 0) {
            if (mark.compare(0, 7, "\x01vorbis") == 0)
              headerPackets = 3, map.variant = "Vorbis";
            else if (mark == "OpusHead")
              headerPackets = 2, map.variant = "Opus";
            else
              return Fail(error, "not an Ogg Vorbis or Opus file");
          } else {
            bool ok = map.variant == "Opus"
                          ? mark == "OpusTags"
                          : mark.compare(0, 7, packets == 1 ? "\x03vorbis" : "\x05vorbis") == 0;
            if (!ok) return Fail(error, "damaged Ogg file (a header packet is missing)");
          }
        }
        auto lacing = static_cast<unsigned char>(page.header[27 + i]);
        at += lacing;
        if (lacing < 255) {
          inPacket = false;
          if (++packets == headerPackets) {
            if (i + 1 != segments)
              return Fail(error, "damaged Ogg file (the audio does not start on a page of its own)");
            headersDone = true;
            break;
          }
        }
      }
    }
    pos += page.length;
  }
  if (!headersDone) return Fail(error, "damaged Ogg file (the header packets are incomplete)");
  return true;
}

// The Ogg page checksum (CRC-32, polynomial 0x04C11DB7, not reflected),
// eight bytes per step.
uint32_t OggCrc(uint32_t crc, std::string_view data) {
  using Tables = std::array<std::array<uint32_t, 256>, 8>;
  static const Tables tables = [] {
    Tables t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i << 24;
      for (int j = 0; j < 8; ++j) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
      t[0][i] = r;
    }
    for (size_t k = 1; k < 8; ++k)
      for (size_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 24];
    return t;
  }();
  auto byte = [&data](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(data[i])); };
  size_t i = 0;
  for (; data.size() - i >= 8; i += 8) {
    uint32_t c = crc ^ (byte(i) << 24 | byte(i + 1) << 16 | byte(i + 2) << 8 | byte(i + 3));
    uint32_t d = byte(i + 4) << 24 | byte(i + 5) << 16 | byte(i + 6) << 8 | byte(i + 7);
    crc = tables[7][c >> 24] ^ tables[6][(c >> 16) & 0xFF] ^ tables[5][(c >> 8) & 0xFF] ^
          tables[4][c & 0xFF] ^ tables[3][d >> 24] ^ tables[2][(d >> 16) & 0xFF] ^
          tables[1][(d >> 8) & 0xFF] ^ tables[0][d & 0xFF];
  }
  for (; i < data.size(); ++i) crc = (crc << 8) ^ tables[0][((crc >> 24) ^ byte(i)) & 0xFF];
  return crc;
}

// Audio pages must be the same pages, but TagLib renumbers the pages of the
// stream after the comment when the comment takes more or fewer pages: up to
// the end of the stream each sequence number moves by the same amount, and a
// renumbered page must carry the checksum of its new bytes.
bool SameOggPages(const Reader& fa, const PayloadMap& a, const Reader& fb, const PayloadMap& b,
                  std::string* error) {
  int64_t shift = 0;
  bool streamEnded = false;
  std::string pa, pb;
  for (size_t i = 0; i < a.ranges.size(); ++i) {
    // Pages hold at most 65,307 bytes: the buffers are reused.
    pa.resize(static_cast<size_t>(a.ranges[i].length));
    pb.resize(static_cast<size_t>(b.ranges[i].length));
    if (pa.size() < 27 || fa.ReadInto(a.ranges[i].offset, pa.data(), pa.size()) != pa.size() ||
        fb.ReadInto(b.ranges[i].offset, pb.data(), pb.size()) != pb.size())
      return Fail(error, "cannot read an Ogg page");
    if (pa.compare(0, 18, pb, 0, 18) != 0 ||
        pa.compare(26, std::string::npos, pb, 26, std::string::npos) != 0)
      return Fail(error, "the audio page at byte " + std::to_string(b.ranges[i].offset) +
                             " of the written file differs");
    auto seqA = static_cast<int64_t>(Le32(pa, 18));
    auto seqB = static_cast<int64_t>(Le32(pb, 18));
    if (i == 0) shift = seqB - seqA;
    int64_t expected = streamEnded ? 0 : shift;
    if (seqB - seqA != expected) return Fail(error, "the audio pages of the written file are misnumbered");
    if (expected == 0) {
      if (pa.compare(22, 4, pb, 22, 4) != 0) return Fail(error, "an audio page's checksum changed");
    } else {
      std::string_view page = pb;
      uint32_t crc =
          OggCrc(OggCrc(OggCrc(0, page.substr(0, 22)), std::string_view("\0\0\0\0", 4)), page.substr(26));
      if (crc != Le32(pb, 22)) return Fail(error, "a renumbered audio page has a wrong checksum");
    }
    if (static_cast<unsigned char>(pa[5]) & 0x04) streamEnded = true;
  }
  return true;
}

// ---------------------------------------------------------------- MP4

struct Box {
  std::string type;
  uint64_t offset = 0, header = 8, size = 0;
};

// Reads a box header from `h` at `pos` in a parent of `room` bytes from
// there. `topLevel`: a size of 0 runs to the end of the file.
bool BoxAt(std::string_view h, uint64_t pos, uint64_t room, bool topLevel, Box& box, std::string_view parent,
           std::string* error) {
  box.offset = pos;
  box.type = std::string(Slice(h, 4, 4));
  box.size = Be32(h, 0);
  box.header = 8;
  if (box.size == 1) {
    if (room < 16 || h.size() < 16) return Fail(error, "damaged MP4 file (a box header is cut short)");
    box.size = ReadBE(h, 8, 8);
    box.header = 16;
  } else if (box.size == 0 && topLevel) {
    box.size = room;
  }
  if (box.size < box.header || box.size > room) {
    std::string where = parent.empty() ? "the end of the file" : "its parent " + Quoted(parent);
    return Fail(error, "damaged MP4 file (the " + Quoted(box.type) + " box runs past " + where + ")");
  }
  return true;
}

// Walks the boxes of a container body; calls visit(box, body) for each.
// Fewer than 8 bytes left at the end are allowed (QuickTime ends some lists
// with a zero word).
template <typename Visit>
bool WalkBoxes(std::string_view data, std::string_view parent, std::string* error, Visit&& visit) {
  uint64_t pos = 0;
  while (data.size() - pos >= 8) {
    Box box;
    if (!BoxAt(data.substr(pos, 16), pos, data.size() - pos, false, box, parent, error)) return false;
    if (!visit(box, data.substr(static_cast<size_t>(pos + box.header),
                                static_cast<size_t>(box.size - box.header))))
      return false;
    pos += box.size;
  }
  return true;
}

bool IsContainer(std::string_view type) {
  for (std::string_view t : {"trak"sv, "mdia"sv, "minf"sv, "stbl"sv, "edts"sv, "dinf"sv, "udta"sv})
    if (t == type) return true;
  return false;
}

bool ReadMovie(std::string_view body, std::string_view parent, PayloadMap& map, std::string* error) {
  return WalkBoxes(body, parent, error, [&](const Box& box, std::string_view child) {
    if (box.type == "mvex")
      return Fail(error,
                  "fragmented MP4 files cannot be tagged safely (TagLib does not move their fragments)");
    if (box.type == "stco" || box.type == "co64") {
      size_t width = box.type == "stco" ? 4 : 8;
      uint64_t count = Be32(child, 4);
      if (child.size() < 8 || count > (child.size() - 8) / width)
        return Fail(error, "damaged MP4 file (the " + Quoted(box.type) + " entry count " +
                               std::to_string(count) + " cannot fit its box)");
      for (uint64_t i = 0; i < count; ++i)
        map.chunkOffsets.push_back(
            ReadBE(child, static_cast<size_t>(8 + i * width), static_cast<int>(width)));
      return true;
    }
    if (IsContainer(box.type)) return ReadMovie(child, box.type, map, error);
    // The tag: "meta" (with a version word, except in QuickTime), "ilst" and
    // each item's "data" boxes.
    if (box.type == "meta")
      return ReadMovie(
          child.size() >= 8 && child.substr(4, 4) == "hdlr" ? child : Slice(child, 4, child.size()), box.type,
          map, error);
    if (box.type == "ilst" && parent == "meta") return ReadMovie(child, box.type, map, error);
    if (parent == "ilst")
      return WalkBoxes(child, box.type, error, [](const Box&, std::string_view) { return true; });
    return true;
  });
}

bool MapMp4(const Reader& file, PayloadMap& map, std::string* error) {
  if (file.Size() == 0) return Fail(error, "empty file");
  uint64_t pos = 0;
  int movies = 0;
  std::string moov;
  while (file.Size() - pos >= 8) {
    std::string h = file.Read(pos, 16);
    Box box;
    if (!BoxAt(h, pos, file.Size() - pos, true, box, {}, error)) return false;
    if (box.type == "moof")
      return Fail(error,
                  "fragmented MP4 files cannot be tagged safely (TagLib does not move their fragments)");
    if (box.type == "mdat") map.ranges.push_back({pos + box.header, box.size - box.header});
    if (box.type == "moov") {
      if (++movies > 1) return Fail(error, "damaged MP4 file (more than one movie box)");
      if (box.size - box.header > kMaxMovieBox) return Fail(error, "the MP4 movie box is too large");
      moov = file.Read(pos + box.header, box.size - box.header);
      if (moov.size() != box.size - box.header) return Fail(error, "cannot read the MP4 movie box");
    }
    pos += box.size;
  }
  if (movies == 0) return Fail(error, "not an MP4 file (no movie box)");
  if (map.ranges.empty()) return Fail(error, "MP4 file without media data");
  if (!ReadMovie(moov, "moov", map, error)) return false;
  for (uint64_t offset : map.chunkOffsets) {
    bool inside = std::any_of(map.ranges.begin(), map.ranges.end(), [offset](const ByteRange& r) {
      return offset >= r.offset && offset - r.offset <= r.length;
    });
    if (!inside) return Fail(error, "damaged MP4 file (a chunk offset points outside the media data)");
  }
  map.mdatDataStart = map.ranges.front().offset;
  return true;
}

// Index of the media data range holding `offset` (the last one that starts
// at or before it).
size_t RangeOf(const std::vector<ByteRange>& ranges, uint64_t offset) {
  auto it = std::upper_bound(ranges.begin(), ranges.end(), offset,
                             [](uint64_t o, const ByteRange& r) { return o < r.offset; });
  return it == ranges.begin() ? 0 : static_cast<size_t>(it - ranges.begin() - 1);
}

bool SameChunkOffsets(const PayloadMap& a, const PayloadMap& b, std::string* error) {
  if (a.chunkOffsets.size() != b.chunkOffsets.size())
    return Fail(error, "the written file has a different number of chunk offsets");
  for (size_t i = 0; i < a.chunkOffsets.size(); ++i) {
    size_t k = RangeOf(a.ranges, a.chunkOffsets[i]);
    uint64_t expected = a.chunkOffsets[i] - a.ranges[k].offset + b.ranges[k].offset;
    if (b.chunkOffsets[i] != expected)
      return Fail(error, "the chunk offsets of the written file were not moved with the media data");
  }
  return true;
}

// ---------------------------------------------------------------- comparing

bool SameRangeBytes(const Reader& fa, const PayloadMap& a, const Reader& fb, const PayloadMap& b,
                    std::string* error) {
  std::vector<char> ba(kBlock), bb(kBlock);
  for (size_t i = 0; i < a.ranges.size(); ++i) {
    uint64_t done = 0, length = a.ranges[i].length;
    while (done < length) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(kBlock, length - done));
      if (fa.ReadInto(a.ranges[i].offset + done, ba.data(), n) != n ||
          fb.ReadInto(b.ranges[i].offset + done, bb.data(), n) != n)
        return Fail(error, "cannot read the payload to compare it");
      if (std::memcmp(ba.data(), bb.data(), n) != 0) {
        size_t at = static_cast<size_t>(
            std::mismatch(ba.begin(), ba.begin() + static_cast<std::ptrdiff_t>(n), bb.begin()).first -
            ba.begin());
        return Fail(error, "the payload of the written file differs at byte " +
                               std::to_string(b.ranges[i].offset + done + at));
      }
      done += n;
    }
  }
  return true;
}

}  // namespace

bool MapPayload(FileType type, const fs::path& path, PayloadMap& map, std::string* error) {
  map = PayloadMap();
  map.type = type;
  Reader file;
  if (!file.Open(path, error)) return false;
  map.fileSize = file.Size();
  switch (type) {
    case FileType::MP3:
      return MapMp3(file, map, error);
    case FileType::WAV:
      return MapWav(file, map, error);
    case FileType::AVI:
      return MapAvi(file, map, error);
    case FileType::VQF:
      return MapVqf(file, map, error);
    case FileType::WMA:
      return MapAsf(file, map, error);
    case FileType::OGG:
      return MapOgg(file, map, error);
    case FileType::APE:
      return MapApe(file, map, error);
    case FileType::MP4:
      return MapMp4(file, map, error);
    case FileType::Unknown:
      break;
  }
  return Fail(error, "unsupported file type");
}

bool SamePayload(const fs::path& before, const PayloadMap& a, const fs::path& after, const PayloadMap& b,
                 std::string* error) {
  if (a.type == FileType::Unknown || a.ranges.empty() || b.ranges.empty())
    return Fail(error, "no payload map to compare");
  if (a.type != b.type || (a.type == FileType::OGG && a.variant != b.variant))
    return Fail(error, "the written file is not the same kind of file");
  if (a.ranges.size() != b.ranges.size() ||
      !std::equal(a.ranges.begin(), a.ranges.end(), b.ranges.begin(),
                  [](const ByteRange& x, const ByteRange& y) { return x.length == y.length; }))
    return Fail(error, "the payload of the written file has a different layout");
  if (a.type == FileType::AVI && (a.ranges != b.ranges || a.fileSize != b.fileSize))
    return Fail(error, "the written AVI file does not keep its data in place");
  if (a.type == FileType::MP4 && !SameChunkOffsets(a, b, error)) return false;
  Reader fa, fb;
  if (!fa.Open(before, error) || !fb.Open(after, error)) return false;
  if (fa.Size() != a.fileSize || fb.Size() != b.fileSize)
    return Fail(error, "a file changed size after it was mapped");
  if (a.type == FileType::OGG) return SameOggPages(fa, a, fb, b, error);
  return SameRangeBytes(fa, a, fb, b, error);
}

}  // namespace hozanki
