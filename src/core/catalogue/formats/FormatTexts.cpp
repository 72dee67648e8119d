#include "core/catalogue/formats/FormatTexts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace hozanki {

std::string TimeText(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%lld:%02lld (%lldsec)", static_cast<long long>(seconds / 60),
                static_cast<long long>(seconds % 60), static_cast<long long>(seconds));
  return buf;
}

int64_t WholeSeconds(double seconds) {
  constexpr double kMax = 1e15;  // some 30 million years
  if (!(seconds > 0)) return 0;  // also NaN
  return static_cast<int64_t>(std::min(seconds, kMax));
}

std::string AudioFormatText(std::string_view codec, int kbps, int sampleRate, int bits, int channels) {
  std::string text(codec);
  auto add = [&text](int value, const char* unit) {
    if (value <= 0) return;
    if (!text.empty()) text += ", ";
    text += std::to_string(value) + unit;
  };
  add(kbps, "kbps");
  add(sampleRate, "Hz");
  add(bits, "bit");
  add(channels, "ch");
  return text;
}

std::string VideoFormatText(std::string_view codec, int width, int height, double fps) {
  std::string text(codec);
  if (width > 0 && height > 0) {
    if (!text.empty()) text += ", ";
    text += std::to_string(width) + "x" + std::to_string(height);
  }
  if (fps > 0 && std::isfinite(fps) && fps < 1e6) {
    char buf[32];
    if (std::fabs(fps - std::round(fps)) < 0.005)
      std::snprintf(buf, sizeof buf, "%.0ffps", fps);
    else
      std::snprintf(buf, sizeof buf, "%.2ffps", fps);
    if (!text.empty()) text += ", ";
    text += buf;
  }
  return text;
}

std::string FourCcText(std::string_view fourcc) {
  std::string text;
  for (char c : fourcc) text.push_back(c >= 0x20 && c < 0x7F ? c : (c == 0 ? ' ' : '?'));
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (text.find_first_not_of("? ") == std::string::npos) {
    unsigned v = 0;
    for (size_t i = 0; i < fourcc.size() && i < 4; ++i)
      v |= static_cast<unsigned>(static_cast<unsigned char>(fourcc[i])) << (8 * i);
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return v == 0 ? std::string() : std::string(buf);
  }
  return text;
}

std::string WaveFormatName(unsigned formatTag) {
  switch (formatTag) {
    case 0x0001:
      return "PCM";
    case 0x0002:
      return "MS ADPCM";
    case 0x0003:
      return "IEEE float";
    case 0x0006:
      return "A-law";
    case 0x0007:
      return "u-law";
    case 0x0011:
      return "IMA ADPCM";
    case 0x0031:
      return "GSM 6.10";
    case 0x0050:
      return "MPEG";
    case 0x0055:
      return "MP3";
    case 0x00FF:
      return "AAC";
    case 0x0160:
      return "WMA1";
    case 0x0161:
      return "WMA2";
    case 0x2000:
      return "AC3";
    case 0x2001:
      return "DTS";
    case 0xFFFE:
      return "Extensible";
    default:
      break;
  }
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%04X", formatTag & 0xFFFF);
  return buf;
}

std::string JoinValues(const std::vector<std::string>& texts) {
  std::string joined;
  for (const auto& t : texts) {
    if (t.empty()) continue;
    if (!joined.empty()) joined += "; ";
    joined += t;
  }
  return joined;
}

void SplitVorbisDisc(std::string& number, std::string& total) {
  if (total.empty()) {
    const size_t slash = number.find('/');
    if (slash != std::string::npos) {
      total = number.substr(slash + 1);
      number.resize(slash);
    }
  }
  if (number.empty() && !total.empty()) number.push_back('0');
}

}  // namespace hozanki
