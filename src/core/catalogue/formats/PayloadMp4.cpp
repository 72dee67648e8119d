#include <algorithm>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/PayloadFormats.h"

namespace hozanki::payload {
namespace {

using namespace std::string_view_literals;

constexpr uint64_t kMaxMovieBox = 256ull << 20;

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
    if (room < 16 || h.size() < 16)
      return Refuse(error, FailureKind::kDamagedFile, "MP4", "damaged MP4 file (a box header is cut short)");
    box.size = ReadBE(h, 8, 8);
    box.header = 16;
  } else if (box.size == 0 && topLevel) {
    box.size = room;
  }
  if (box.size < box.header || box.size > room) {
    std::string where = parent.empty() ? "the end of the file" : "its parent " + Quoted(parent);
    return Refuse(error, parent.empty() ? FailureKind::kChunkPastEnd : FailureKind::kDamagedFile,
                  parent.empty() ? std::string(box.type) : std::string("MP4"),
                  "damaged MP4 file (the " + Quoted(box.type) + " box runs past " + where + ")");
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
      return Refuse(error, FailureKind::kUnsupportedFile, "MP4",
                    "fragmented MP4 files cannot be tagged safely (TagLib does not move their fragments)");
    if (box.type == "stco" || box.type == "co64") {
      size_t width = box.type == "stco" ? 4 : 8;
      uint64_t count = Be32(child, 4);
      if (child.size() < 8 || count > (child.size() - 8) / width)
        return Refuse(error, FailureKind::kDamagedFile, std::string(box.type),
                      "damaged MP4 file (the " + Quoted(box.type) + " entry count " + std::to_string(count) +
                          " cannot fit its box)");
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

// Index of the media data range holding `offset` (the last one that starts
// at or before it).
size_t RangeOf(const std::vector<ByteRange>& ranges, uint64_t offset) {
  auto it = std::upper_bound(ranges.begin(), ranges.end(), offset,
                             [](uint64_t o, const ByteRange& r) { return o < r.offset; });
  return it == ranges.begin() ? 0 : static_cast<size_t>(it - ranges.begin() - 1);
}

}  // namespace

bool MapMp4(const Reader& file, PayloadMap& map, std::string* error) {
  if (file.Size() == 0) return Refuse(error, FailureKind::kEmptyFile, "MP4", "empty file");
  uint64_t pos = 0;
  int movies = 0;
  std::string moov;
  while (file.Size() - pos >= 8) {
    std::string h = file.Read(pos, 16);
    Box box;
    if (!BoxAt(h, pos, file.Size() - pos, true, box, {}, error)) return false;
    if (box.type == "moof")
      return Refuse(error, FailureKind::kUnsupportedFile, "MP4",
                    "fragmented MP4 files cannot be tagged safely (TagLib does not move their fragments)");
    if (box.type == "mdat") map.ranges.push_back({pos + box.header, box.size - box.header});
    if (box.type == "moov") {
      if (++movies > 1)
        return Refuse(error, FailureKind::kDamagedFile, "MP4", "damaged MP4 file (more than one movie box)");
      if (box.size - box.header > kMaxMovieBox)
        return Refuse(error, FailureKind::kDamagedFile, "MP4", "the MP4 movie box is too large");
      moov = file.Read(pos + box.header, box.size - box.header);
      if (moov.size() != box.size - box.header)
        return Refuse(error, FailureKind::kSystem, "MP4", "cannot read the MP4 movie box");
    }
    pos += box.size;
  }
  if (movies == 0) return Refuse(error, FailureKind::kNotFormat, "MP4", "not an MP4 file (no movie box)");
  if (map.ranges.empty())
    return Refuse(error, FailureKind::kDamagedFile, "MP4", "MP4 file without media data");
  if (!ReadMovie(moov, "moov", map, error)) return false;
  for (uint64_t offset : map.chunkOffsets) {
    const ByteRange& r = map.ranges[RangeOf(map.ranges, offset)];
    if (offset < r.offset || offset - r.offset > r.length)
      return Refuse(error, FailureKind::kDamagedFile, "MP4",
                    "damaged MP4 file (a chunk offset points outside the media data)");
  }
  map.mdatDataStart = map.ranges.front().offset;
  return true;
}

bool SameChunkOffsets(const PayloadMap& a, const PayloadMap& b, std::string* error) {
  if (a.chunkOffsets.size() != b.chunkOffsets.size())
    return Refuse(error, FailureKind::kPayloadChanged, "MP4",
                  "the written file has a different number of chunk offsets");
  for (size_t i = 0; i < a.chunkOffsets.size(); ++i) {
    size_t k = RangeOf(a.ranges, a.chunkOffsets[i]);
    uint64_t expected = a.chunkOffsets[i] - a.ranges[k].offset + b.ranges[k].offset;
    if (b.chunkOffsets[i] != expected)
      return Refuse(error, FailureKind::kPayloadChanged, "MP4",
                    "the chunk offsets of the written file were not moved with the media data");
  }
  return true;
}

}  // namespace hozanki::payload
