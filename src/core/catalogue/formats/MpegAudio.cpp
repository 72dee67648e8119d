#include "core/catalogue/formats/MpegAudio.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/catalogue/formats/FormatTexts.h"

namespace hozanki {
namespace {

struct FrameHeader {
  int version = 1;  // 1, 2, 25
  int layer = 3;
  int bitrate = 0;
  int sampleRate = 0;
  int padding = 0;
  int mode = 0;
  int length = 0;  // bytes
  int samples = 0;
};

constexpr std::array<std::array<int, 16>, 6> kBitrates = {{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},  // V1 L1
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},     // V1 L2
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},      // V1 L3
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},     // V2 L1
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},          // V2 L2, L3
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
}};

uint32_t Be32(std::string_view d, size_t pos) {
  return (uint32_t(uint8_t(d[pos])) << 24) | (uint32_t(uint8_t(d[pos + 1])) << 16) |
         (uint32_t(uint8_t(d[pos + 2])) << 8) | uint32_t(uint8_t(d[pos + 3]));
}

bool ParseHeader(std::string_view d, size_t pos, FrameHeader& h) {
  if (pos + 4 > d.size()) return false;
  uint32_t v = Be32(d, pos);
  if ((v & 0xFFE00000u) != 0xFFE00000u) return false;
  int versionBits = (v >> 19) & 3;
  int layerBits = (v >> 17) & 3;
  int bitrateIndex = (v >> 12) & 15;
  int rateIndex = (v >> 10) & 3;
  if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
    return false;
  h.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
  h.layer = 4 - layerBits;
  int table = h.version == 1 ? h.layer - 1 : (h.layer == 1 ? 3 : 4);
  h.bitrate = kBitrates[static_cast<size_t>(table)][static_cast<size_t>(bitrateIndex)];
  static constexpr int kRates[3] = {44100, 48000, 32000};
  h.sampleRate = kRates[rateIndex] / (h.version == 1 ? 1 : h.version == 2 ? 2 : 4);
  h.padding = (v >> 9) & 1;
  h.mode = (v >> 6) & 3;
  if (h.layer == 1) {
    h.samples = 384;
    h.length = (12000 * h.bitrate / h.sampleRate + h.padding) * 4;
  } else {
    h.samples = (h.layer == 3 && h.version != 1) ? 576 : 1152;
    h.length = (h.samples / 8) * 1000 * h.bitrate / h.sampleRate + h.padding;
  }
  return h.length >= 4;
}

// Looks for a Xing/Info or VBRI header in the first frame; its frame count.
std::optional<uint32_t> VbrFrameCount(std::string_view d, size_t pos, const FrameHeader& h, bool& vbr) {
  size_t side = h.version == 1 ? (h.mode == 3 ? 17 : 32) : (h.mode == 3 ? 9 : 17);
  size_t x = pos + 4 + side;
  if (x + 12 <= d.size()) {
    std::string_view id = d.substr(x, 4);
    if (id == "Xing" || id == "Info") {
      uint32_t flags = Be32(d, x + 4);
      if (flags & 1) {
        vbr = id == "Xing";
        return Be32(d, x + 8);
      }
    }
  }
  size_t v = pos + 4 + 32;
  if (v + 18 <= d.size() && d.substr(v, 4) == "VBRI") {
    vbr = true;
    return Be32(d, v + 14);
  }
  return std::nullopt;
}

std::optional<size_t> FindFrame(std::string_view d, FrameHeader& h) {
  for (size_t pos = 0; pos + 4 <= d.size(); ++pos) {
    if (uint8_t(d[pos]) != 0xFF || !ParseHeader(d, pos, h)) continue;
    size_t next = pos + static_cast<size_t>(h.length);
    FrameHeader n;
    if (next + 4 > d.size()) {
      if (pos == 0 || next == d.size()) return pos;
      continue;
    }
    if (ParseHeader(d, next, n) && n.version == h.version && n.layer == h.layer &&
        n.sampleRate == h.sampleRate)
      return pos;
  }
  return std::nullopt;
}

}  // namespace

std::optional<MpegAudioInfo> ReadMpegAudio(std::string_view head, uint64_t audioSize) {
  FrameHeader h;
  std::optional<size_t> pos = FindFrame(head, h);
  if (!pos) return std::nullopt;
  MpegAudioInfo info;
  info.version = h.version;
  info.layer = h.layer;
  info.bitrate = h.bitrate;
  info.sampleRate = h.sampleRate;
  info.channels = h.mode == 3 ? 1 : 2;
  static constexpr const char* kModes[4] = {"Stereo", "Joint Stereo", "Dual Channel", "Mono"};
  info.channelMode = kModes[h.mode];
  bool vbr = false;
  uint64_t streamBytes = audioSize > *pos ? audioSize - *pos : 0;
  if (std::optional<uint32_t> frames = VbrFrameCount(head, *pos, h, vbr); frames && *frames > 0) {
    info.seconds = double(*frames) * h.samples / h.sampleRate;
    info.vbr = vbr;
    if (vbr && info.seconds > 0)
      info.bitrate = static_cast<int>(std::min(double(streamBytes) * 8 / info.seconds / 1000 + 0.5, 1e9));
  } else if (h.bitrate > 0) {
    info.seconds = double(streamBytes) * 8 / (h.bitrate * 1000.0);
  }
  return info;
}

bool LooksLikeMpegAudio(std::string_view head) {
  FrameHeader h;
  return FindFrame(head.substr(0, std::min<size_t>(head.size(), 8192)), h).has_value();
}

std::string PlayingTimeText(double seconds) {
  long long s = WholeSeconds(seconds);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%lld:%02lld (%lldsec)", s / 60, s % 60, s);
  return buffer;
}

std::string AudioFormatText(const MpegAudioInfo& info) {
  std::string version = info.version == 25 ? "MPEG-2.5" : info.version == 2 ? "MPEG-2" : "MPEG-1";
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, "%s Layer %d, %s%dkbps, %dHz, %s", version.c_str(), info.layer,
                info.vbr ? "VBR " : "", info.bitrate, info.sampleRate, info.channelMode.c_str());
  return buffer;
}

}  // namespace hozanki
