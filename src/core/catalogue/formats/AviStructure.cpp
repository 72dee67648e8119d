#include "core/catalogue/formats/AviStructure.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FormatTexts.h"
#include "core/common/Failure.h"

namespace hozanki {
namespace {

constexpr uint64_t kMaxListBody = 16u << 20;

struct StreamFacts {
  std::string type;  // "vids", "auds"
  std::string handler;
  uint32_t scale = 0, rate = 0, length = 0;
  std::string format;  // strf body
};

// Calls visit(id, body) for each chunk of a list body (after its type).
template <typename Visit>
void ForEachChunk(std::string_view data, Visit&& visit) {
  size_t pos = 0;
  while (data.size() - pos >= 8) {
    uint32_t size = Le32(data, pos + 4);
    if (size > data.size() - pos - 8) return;
    visit(data.substr(pos, 4), data.substr(pos + 8, size));
    pos += 8 + static_cast<size_t>(size) + (size & 1);
    if (pos > data.size()) return;
  }
}

void ReadHeaders(std::string_view hdrl, AviStructure& avi) {
  uint32_t microsPerFrame = 0, totalFrames = 0, odmlFrames = 0;
  std::vector<StreamFacts> streams;
  ForEachChunk(hdrl, [&](std::string_view id, std::string_view body) {
    if (id == "avih") {
      microsPerFrame = Le32(body, 0);
      totalFrames = Le32(body, 16);
    } else if (id == "LIST" && body.substr(0, 4) == "strl") {
      StreamFacts s;
      ForEachChunk(body.substr(4), [&](std::string_view sid, std::string_view sbody) {
        if (sid == "strh" && sbody.size() >= 36) {
          s.type = std::string(sbody.substr(0, 4));
          s.handler = std::string(sbody.substr(4, 4));
          s.scale = Le32(sbody, 20);
          s.rate = Le32(sbody, 24);
          s.length = Le32(sbody, 32);
        } else if (sid == "strf") {
          s.format = std::string(sbody);
        }
      });
      streams.push_back(std::move(s));
    } else if (id == "LIST" && body.substr(0, 4) == "odml") {
      ForEachChunk(body.substr(4), [&](std::string_view oid, std::string_view obody) {
        if (oid == "dmlh") odmlFrames = Le32(obody, 0);
      });
    }
  });
  const StreamFacts* video = nullptr;
  const StreamFacts* audio = nullptr;
  for (const auto& s : streams) {
    if (s.type == "vids" && !video) video = &s;
    if (s.type == "auds" && !audio) audio = &s;
  }
  if (video) {
    std::string_view f = video->format;
    std::string codec = FourCcText(Slice(f, 16, 4));
    if (codec.empty()) codec = FourCcText(video->handler);
    int width = static_cast<int>(Le32(f, 4));
    // Negative for top-down bitmaps; kept in 64 bits so that the smallest
    // value has a magnitude.
    int64_t signedHeight = static_cast<int32_t>(Le32(f, 8));
    int height = static_cast<int>(std::min<int64_t>(std::abs(signedHeight), INT32_MAX));
    double fps = video->scale ? static_cast<double>(video->rate) / video->scale : 0;
    avi.videoFormat = VideoFormatText(codec, width, height, fps);
    uint32_t frames = video->length ? video->length : (odmlFrames ? odmlFrames : totalFrames);
    if (fps > 0) avi.seconds = frames / fps;
  }
  if (avi.seconds <= 0 && microsPerFrame > 0)
    avi.seconds = static_cast<double>(odmlFrames ? odmlFrames : totalFrames) * microsPerFrame / 1e6;
  if (audio) {
    std::string_view f = audio->format;
    if (f.size() >= 16) {
      int kbps = static_cast<int>(Le32(f, 8) * 8ull / 1000);
      avi.audioFormat = AudioFormatText(WaveFormatName(Le16(f, 0)), kbps, static_cast<int>(Le32(f, 4)),
                                        Le16(f, 14), Le16(f, 2));
    }
    if (avi.seconds <= 0 && audio->rate && audio->scale)
      avi.seconds = static_cast<double>(audio->length) * audio->scale / audio->rate;
  }
  if (!std::isfinite(avi.seconds) || avi.seconds < 0) avi.seconds = 0;
}

}  // namespace

bool ParseAviStructure(const ByteSource& read, uint64_t fileSize, AviStructure& avi, std::string* error) {
  auto fail = [error](const char* message) {
    if (error) *error = message;
    return false;
  };
  std::string head = read(0, 12);
  if (head.size() < 12 || head.compare(0, 4, "RIFF") != 0 || head.compare(8, 4, "AVI ") != 0)
    return fail("not an AVI file (no RIFF AVI header)");
  uint64_t riffEnd = std::min<uint64_t>(8 + static_cast<uint64_t>(Le32(head, 4)), fileSize);
  bool haveHeaders = false;
  uint64_t pos = 12;
  while (riffEnd >= pos + 8) {
    std::string h = read(pos, 12);
    if (h.size() < 8) break;
    AviChunk chunk{h.substr(0, 4), h.size() >= 12 ? h.substr(8, 4) : std::string(), pos, Le32(h, 4)};
    if (chunk.id != "LIST") chunk.listType.clear();
    if (pos + 8 + chunk.size > riffEnd) break;  // runs past the end: not a complete chunk
    avi.chunks.push_back(chunk);
    if (chunk.id == "LIST" && chunk.size <= kMaxListBody && chunk.size >= 4) {
      if (chunk.listType == "hdrl" && !haveHeaders) {
        std::string body = read(pos + 12, static_cast<size_t>(chunk.size - 4));
        ReadHeaders(body, avi);
        haveHeaders = true;
      } else if (chunk.listType == "INFO" && !avi.hasInfo) {
        avi.info = ParseInfoList(read(pos + 12, static_cast<size_t>(chunk.size - 4)));
        avi.hasInfo = true;
      }
    }
    pos += chunk.Span();
  }
  if (!haveHeaders) return fail("broken AVI file (no complete header list)");
  return true;
}

bool RenderInfoRegion(const InfoList& info, InfoTextMode mode, uint64_t regionSize, std::string& bytes,
                      std::string* error) {
  bytes = info.Render(mode);
  if (bytes.size() & 1) bytes.push_back('\0');
  if (bytes.size() > regionSize) {
    // The values are longer than the room the file keeps for them.
    return FailWith(error, {FailureKind::kValueTooLong, "", "INFO", 0, regionSize, 0,
                            "no room for the INFO list in this AVI file: it needs " +
                                std::to_string(bytes.size()) + " bytes, and only " + std::to_string(regionSize) +
                                " bytes of INFO and JUNK padding lie before the movie data (the file is left "
                                "unchanged)"});
  }
  uint64_t rest = regionSize - bytes.size();
  if (rest >= 8) {
    bytes += "JUNK";
    PutLE32(bytes, static_cast<uint32_t>(rest - 8));
    bytes.append(static_cast<size_t>(rest - 8), '\0');
  } else if (rest > 0) {
    // Too little for a JUNK chunk: the list takes the extra NUL bytes (in a
    // changed field, else after its chunks). Sizes stay even, since every
    // chunk of the run is padded to even.
    bytes = info.Render(mode, static_cast<size_t>(rest));
    if (bytes.size() & 1) bytes.push_back('\0');
  }
  if (bytes.size() != regionSize) {
    return FailWith(error, {FailureKind::kDamagedFile, "", "AVI", 0, 0, 0,
                            "the INFO list of this AVI file does not add up (the file is left unchanged)"});
  }
  return true;
}

}  // namespace hozanki
