#include "core/catalogue/formats/AsfVideo.h"

#include <algorithm>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FormatTexts.h"

namespace hozanki {
namespace {

using namespace std::string_view_literals;

constexpr uint64_t kMaxHeader = 64ull << 20;
constexpr auto kStreamProperties = "\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65"sv;
constexpr auto kHeaderExtension = "\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65"sv;
constexpr auto kExtendedStreamProperties = "\xCB\xA5\xE6\x14\x72\xC6\x32\x43\x83\x99\xA9\x69\x52\x06\x5B\x5A"sv;
constexpr auto kVideoMedia = "\xC0\xEF\x19\xBC\x4D\x5B\xCF\x11\xA8\xFD\x00\x80\x5F\x5C\x44\x2B"sv;

// Calls visit(guid, whole object) for each object in `data`.
template <typename Visit>
void ForEachObject(std::string_view data, Visit&& visit) {
  size_t pos = 0;
  while (data.size() - pos >= 24) {
    uint64_t size = ReadLE(data, pos + 16, 8);
    if (size < 24 || size > data.size() - pos) return;
    visit(data.substr(pos, 16), data.substr(pos, static_cast<size_t>(size)));
    pos += static_cast<size_t>(size);
  }
}

struct Streams {
  int videoStream = -1;
  AsfVideoInfo info;
};

void ReadStreamProperties(std::string_view object, Streams& streams) {
  if (streams.videoStream >= 0 || object.size() < 78 || object.substr(24, 16) != kVideoMedia) return;
  uint32_t typeLength = Le32(object, 64);
  std::string_view typeData = Slice(object, 78, typeLength);
  streams.videoStream = Le16(object, 72) & 0x7F;
  streams.info.hasVideo = true;
  streams.info.width = static_cast<int>(Le32(typeData, 0));
  streams.info.height = static_cast<int>(Le32(typeData, 4));
  // Format data (a BITMAPINFOHEADER) from byte 11: compression at 16.
  if (typeData.size() >= 11 + 20) streams.info.codec = FourCcText(typeData.substr(11 + 16, 4));
}

void ReadExtension(std::string_view object, Streams& streams, bool first) {
  std::string_view data = Slice(object, 46, Le32(object, 42));
  ForEachObject(data, [&](std::string_view guid, std::string_view inner) {
    if (first && guid == kStreamProperties) ReadStreamProperties(inner, streams);
    if (!first && guid == kExtendedStreamProperties && inner.size() >= 84 && streams.videoStream >= 0 &&
        (Le16(inner, 72) & 0x7F) == streams.videoStream) {
      uint64_t perFrame = ReadLE(inner, 76, 8);  // 100 ns units
      if (perFrame > 0) streams.info.fps = 1e7 / static_cast<double>(perFrame);
    }
  });
}

}  // namespace

const std::string_view kAsfHeaderGuid = "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C"sv;

AsfVideoInfo ParseAsfHeader(std::string_view header) {
  Streams streams;
  if (header.size() < 30 || header.substr(0, 16) != kAsfHeaderGuid) return streams.info;
  uint64_t size = ReadLE(header, 16, 8);
  std::string_view objects = Slice(header, 30, size < 30 ? 0 : static_cast<size_t>(std::min<uint64_t>(size, header.size())) - 30);
  // Stream properties may sit in the header or inside the header extension.
  for (bool first : {true, false}) {
    ForEachObject(objects, [&](std::string_view guid, std::string_view object) {
      if (first && guid == kStreamProperties) ReadStreamProperties(object, streams);
      if (guid == kHeaderExtension) ReadExtension(object, streams, first);
    });
  }
  return streams.info;
}

bool ReadAsfVideo(const std::filesystem::path& path, AsfVideoInfo& info) {
  std::string head = ReadFileBytes(path, 0, 30);
  if (head.size() < 30 || head.substr(0, 16) != kAsfHeaderGuid) return false;
  uint64_t size = ReadLE(head, 16, 8);
  if (size < 30 || size > kMaxHeader) return false;
  info = ParseAsfHeader(ReadFileBytes(path, 0, static_cast<size_t>(size)));
  return true;
}

}  // namespace hozanki
