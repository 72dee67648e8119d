#include "core/catalogue/formats/Mp4Movie.h"

#include <fstream>

#include "core/catalogue/formats/ByteOrder.h"

namespace hozanki {
namespace {

constexpr uint64_t kMaxMovieBox = 256ull << 20;

// Calls visit(type, body) for each box in `data`; stops at a malformed box.
template <typename Visit>
void ForEachBox(std::string_view data, Visit&& visit) {
  size_t pos = 0;
  while (data.size() - pos >= 8) {
    uint64_t size = Be32(data, pos);
    size_t header = 8;
    if (size == 1) {
      if (data.size() - pos < 16) return;
      size = ReadBE(data, pos + 8, 8);
      header = 16;
    } else if (size == 0) {
      size = data.size() - pos;
    }
    if (size < header || size > data.size() - pos) return;
    std::string_view type = data.substr(pos + 4, 4);
    visit(type, data.substr(pos + header, static_cast<size_t>(size) - header));
    pos += static_cast<size_t>(size);
  }
}

std::string_view Child(std::string_view data, std::string_view wanted) {
  std::string_view found;
  bool done = false;
  ForEachBox(data, [&](std::string_view type, std::string_view body) {
    if (!done && type == wanted) {
      found = body;
      done = true;
    }
  });
  return found;
}

// Timescale and duration of an "mvhd" or "mdhd" body.
bool HeaderTime(std::string_view body, uint64_t& timescale, uint64_t& duration) {
  if (body.empty()) return false;
  if (body[0] == 1) {
    timescale = Be32(body, 20);
    duration = ReadBE(body, 24, 8);
    return body.size() >= 32;
  }
  timescale = Be32(body, 12);
  duration = Be32(body, 16);
  return body.size() >= 20;
}

std::string VideoCodecName(std::string_view fourcc) {
  if (fourcc == "avc1" || fourcc == "avc3") return "H.264";
  if (fourcc == "hvc1" || fourcc == "hev1") return "HEVC";
  if (fourcc == "mp4v") return "MPEG-4";
  if (fourcc == "av01") return "AV1";
  if (fourcc == "vp09") return "VP9";
  if (fourcc == "s263") return "H.263";
  if (fourcc == "mjp2" || fourcc == "jpeg") return "JPEG";
  std::string text;
  for (char c : fourcc) text.push_back(c >= 0x20 && c < 0x7F ? c : '?');
  return text;
}

// Length of an MPEG-4 descriptor at `pos` (after its tag byte); moves `pos`.
size_t DescriptorLength(std::string_view d, size_t& pos) {
  size_t length = 0;
  for (int i = 0; i < 4 && pos < d.size(); ++i) {
    auto b = static_cast<unsigned char>(d[pos++]);
    length = (length << 7) | (b & 0x7F);
    if (!(b & 0x80)) break;
  }
  return length;
}

// Channel configuration of an AAC "esds" body; 0 when not found.
int EsdsChannels(std::string_view esds) {
  size_t pos = 4;
  if (pos >= esds.size() || esds[pos] != 0x03) return 0;
  ++pos;
  DescriptorLength(esds, pos);
  if (esds.size() - pos < 3) return 0;
  auto flags = static_cast<unsigned char>(esds[pos + 2]);
  pos += 3;
  if (flags & 0x80) pos += 2;
  if (flags & 0x40) pos += 1 + (pos < esds.size() ? static_cast<unsigned char>(esds[pos]) : 0);
  if (flags & 0x20) pos += 2;
  if (pos >= esds.size() || esds[pos] != 0x04) return 0;
  ++pos;
  DescriptorLength(esds, pos);
  pos += 13;
  if (pos >= esds.size() || esds[pos] != 0x05) return 0;
  ++pos;
  size_t length = DescriptorLength(esds, pos);
  if (length < 2 || esds.size() - pos < 2) return 0;
  int objectType = static_cast<unsigned char>(esds[pos]) >> 3;
  int frequencyIndex = ((static_cast<unsigned char>(esds[pos]) & 7) << 1) | (static_cast<unsigned char>(esds[pos + 1]) >> 7);
  if (objectType == 31 || frequencyIndex == 15) return 0;  // escape forms: not worth decoding here
  return (static_cast<unsigned char>(esds[pos + 1]) >> 3) & 0x0F;
}

void ReadTrack(std::string_view trak, Mp4MovieInfo& info) {
  std::string_view mdia = Child(trak, "mdia");
  std::string_view handler = Child(mdia, "hdlr");
  if (handler.size() < 12) return;
  std::string_view kind = handler.substr(8, 4);
  std::string_view stbl = Child(Child(mdia, "minf"), "stbl");
  std::string_view stsd = Child(stbl, "stsd");
  if (stsd.size() < 16) return;
  std::string_view entries = stsd.substr(8);
  std::string_view entryType, entry;
  ForEachBox(entries, [&](std::string_view type, std::string_view body) {
    if (entryType.empty()) entryType = type, entry = body;
  });
  if (entryType.empty()) return;
  if (kind == "vide" && !info.hasVideo) {
    info.hasVideo = true;
    info.videoCodec = VideoCodecName(entryType);
    info.width = Be16(entry, 24);
    info.height = Be16(entry, 26);
    uint64_t timescale = 0, duration = 0, samples = 0;
    std::string_view stts = Child(stbl, "stts");
    uint32_t count = Be32(stts, 4);
    for (uint32_t i = 0; i < count && 8 + 8ull * i + 8 <= stts.size(); ++i) samples += Be32(stts, 8 + 8 * i);
    if (HeaderTime(Child(mdia, "mdhd"), timescale, duration) && duration > 0 && timescale > 0)
      info.fps = static_cast<double>(samples) * static_cast<double>(timescale) / static_cast<double>(duration);
  } else if (kind == "soun" && info.audioChannels == 0 && entryType == "mp4a") {
    uint16_t version = Be16(entry, 8);
    size_t children = 28 + (version == 1 ? 16 : version == 2 ? 36 : 0);
    info.audioChannels = EsdsChannels(Child(Slice(entry, children, entry.size()), "esds"));
  }
}

}  // namespace

Mp4MovieInfo ParseMp4Movie(std::string_view moov) {
  Mp4MovieInfo info;
  uint64_t timescale = 0, duration = 0;
  if (HeaderTime(Child(moov, "mvhd"), timescale, duration) && timescale > 0)
    info.seconds = static_cast<double>(duration) / static_cast<double>(timescale);
  ForEachBox(moov, [&](std::string_view type, std::string_view body) {
    if (type == "trak") ReadTrack(body, info);
  });
  return info;
}

bool ReadMp4Movie(const std::filesystem::path& path, Mp4MovieInfo& info) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  auto fileSize = static_cast<uint64_t>(in.tellg());
  uint64_t pos = 0;
  while (fileSize - pos >= 8) {
    char header[16];
    in.seekg(static_cast<std::streamoff>(pos));
    in.read(header, 16);
    std::string_view h(header, static_cast<size_t>(in.gcount()));
    in.clear();
    uint64_t size = Be32(h, 0), headerSize = 8;
    if (size == 1) size = ReadBE(h, 8, 8), headerSize = 16;
    else if (size == 0) size = fileSize - pos;
    if (size < headerSize || size > fileSize - pos) return false;
    if (h.substr(4, 4) == "moov") {
      if (size - headerSize > kMaxMovieBox) return false;
      std::string body(static_cast<size_t>(size - headerSize), '\0');
      in.seekg(static_cast<std::streamoff>(pos + headerSize));
      in.read(body.data(), static_cast<std::streamsize>(body.size()));
      if (static_cast<size_t>(in.gcount()) != body.size()) return false;
      info = ParseMp4Movie(body);
      return true;
    }
    pos += size;
  }
  return false;
}

}  // namespace hozanki
