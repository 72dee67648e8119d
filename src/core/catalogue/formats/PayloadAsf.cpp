#include "core/catalogue/formats/AsfVideo.h"
#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/PayloadFormats.h"

namespace hozanki::payload {
namespace {

using namespace std::string_view_literals;

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
    return Refuse(error, FailureKind::kDamagedFile, "ASF",
                  "damaged ASF header (the lengths in a tag object do not add up)");
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
    if (end - pos < 24)
      return Refuse(error, FailureKind::kDamagedFile, "ASF", "damaged ASF header (an object is cut short)");
    std::string h = file.Read(pos, 24);
    if (h.size() < 24) return Refuse(error, FailureKind::kSystem, "ASF", "cannot read the ASF header");
    uint64_t size = ReadLE(h, 16, 8);
    if (size < 24 || size > end - pos)
      return Refuse(error, FailureKind::kDamagedFile, "ASF",
                    "damaged ASF header (an object's size does not fit the header)");
    std::string_view guid = std::string_view(h).substr(0, 16);
    if (top && guid == kAsfHeaderExtension) {
      if (size < 46)
        return Refuse(error, FailureKind::kDamagedFile, "ASF",
                      "damaged ASF header (the header extension object is too short)");
      uint32_t dataSize = Le32(file.Read(pos + 42, 4), 0);
      if (dataSize != size - 46)
        return Refuse(error, FailureKind::kDamagedFile, "ASF",
                      "damaged ASF header (the header extension's data size does not match the object)");
      if (!CheckAsfObjects(file, pos + 46, pos + size, -1, false, error)) return false;
    } else if (!CheckAsfTagObject(file, guid, pos, size, error)) {
      return false;
    } else if (guid == kAsfStreamProperties) {
      std::string body = file.Read(pos, 78);
      if (size < 78 || body.size() < 78 || uint64_t(Le32(body, 64)) + Le32(body, 68) > size - 78)
        return Refuse(error, FailureKind::kDamagedFile, "ASF",
                      "damaged ASF header (a stream properties object is too short for its data)");
    }
    pos += size;
    ++seen;
  }
  if (pos != end || (count >= 0 && seen != count))
    return Refuse(error, FailureKind::kDamagedFile, "ASF",
                  "damaged ASF header (its size does not match the objects it holds)");
  return true;
}

}  // namespace

bool MapAsf(const Reader& file, PayloadMap& map, std::string* error) {
  std::string head = file.Read(0, 30);
  if (head.size() < 30 || head.compare(0, 16, kAsfHeaderGuid) != 0)
    return Refuse(error, FailureKind::kNotFormat, "ASF", "not an ASF file (no header object)");
  uint64_t size = ReadLE(head, 16, 8);
  uint32_t count = Le32(head, 24);
  if (size < 30)
    return Refuse(error, FailureKind::kDamagedFile, "ASF",
                  "damaged ASF header (its size is smaller than the header itself)");
  if (size > file.Size())
    return Refuse(error, FailureKind::kChunkPastEnd, "ASF",
                  "damaged ASF header (its size runs past the end of the file)");
  if (count > (size - 30) / 24)
    return Refuse(error, FailureKind::kDamagedFile, "ASF",
                  "damaged ASF header (more objects than its size can hold)");
  if (!CheckAsfObjects(file, 30, size, count, true, error)) return false;
  if (file.Read(size, 16) != kAsfDataObject)
    return Refuse(error, FailureKind::kDamagedFile, "ASF",
                  "damaged ASF file (no data object after the header)");
  map.ranges.push_back({size, file.Size() - size});
  return true;
}

}  // namespace hozanki::payload
