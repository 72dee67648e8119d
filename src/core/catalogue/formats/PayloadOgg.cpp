#include <array>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/PayloadFormats.h"

namespace hozanki::payload {
namespace {

using namespace std::string_view_literals;

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

// The codec of the stream from its first header packet (at least its first
// 80 bytes, fewer when the file is shorter), and how many header packets
// precede the audio: Vorbis three; Opus two; Speex two and the extra headers
// its header counts; FLAC one and the metadata blocks its header counts.
bool FirstHeader(std::string_view mark, std::string& variant, int& headerPackets, std::string* error) {
  if (mark.substr(0, 7) == "\x01vorbis"sv) {
    variant = "Vorbis", headerPackets = 3;
  } else if (mark.substr(0, 8) == "OpusHead"sv) {
    variant = "Opus", headerPackets = 2;
  } else if (mark.substr(0, 8) == "Speex   "sv) {
    if (mark.size() < 80) return Fail(error, "damaged Speex header");
    uint32_t extra = Le32(mark, 68);
    if (extra > 16) return Fail(error, "damaged Speex header (" + std::to_string(extra) + " extra headers)");
    variant = "Speex", headerPackets = 2 + static_cast<int>(extra);
  } else if (mark.substr(0, 5) == "\177FLAC"sv && mark.substr(9, 4) == "fLaC"sv) {
    // Version 1.0 counts the metadata packets; 0 means "unknown", which
    // leaves the start of the audio to guessing.
    int blocks = static_cast<unsigned char>(mark[7]) << 8 | static_cast<unsigned char>(mark[8]);
    if (blocks == 0) return Fail(error, "Ogg FLAC stream that does not count its metadata blocks");
    variant = "FLAC", headerPackets = 1 + blocks;
  } else {
    return Fail(error, "not an Ogg Vorbis, Opus, Speex or FLAC file");
  }
  return true;
}

// Whether header packet `index` (from 1) starts as its codec's header does.
// Speex comments carry no mark; a FLAC metadata block is no audio frame.
bool LaterHeader(std::string_view variant, int index, std::string_view mark) {
  if (variant == "Opus") return mark.substr(0, 8) == "OpusTags"sv;
  if (variant == "Vorbis") return mark.substr(0, 7) == (index == 1 ? "\x03vorbis"sv : "\x05vorbis"sv);
  if (variant == "FLAC") return !mark.empty() && (static_cast<unsigned char>(mark[0]) & 0x7F) < 0x7F;
  return true;
}

}  // namespace

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
          std::string mark = file.Read(packetStart, 80);
          if (packets == 0) {
            if (!FirstHeader(mark, map.variant, headerPackets, error)) return false;
          } else if (!LaterHeader(map.variant, packets, mark)) {
            return Fail(error, "damaged Ogg file (a header packet is missing)");
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

}  // namespace hozanki::payload
