#include "core/settings/SettingsKeys.h"

namespace hozanki::settings {
namespace {

constexpr std::array kFileMp3 = {110, 75, 127, 43, 43, 43, 38, 33, 200};
constexpr std::array kFileAudio = {110, 75, 127, 43, 200};
constexpr std::array kFileVideo = {110, 75, 127, 43, 200, 200};

constexpr std::array kTagId3v1 = {110, 90, 90, 90, 25, 38, 50, 50};
constexpr std::array kTagId3v2 = {110, 90, 90, 90, 25, 60, 50, 50, 50, 50, 50, 50, 50, 50};
constexpr std::array kTagRiff = {110, 90, 90, 90, 60, 50, 50, 50, 50, 50, 50};
constexpr std::array kTagApe = {110, 90, 90, 90, 25, 60, 50, 50};
constexpr std::array kTagAvi = {110, 90, 90, 90, 60, 50, 50, 50, 50, 50};
constexpr std::array kTagVqf = {110, 90, 90, 50, 50, 50};
constexpr std::array kTagWma = {110, 90, 90, 90, 25, 60, 50, 50, 50, 50, 50};
constexpr std::array kTagMp4 = {110, 90, 90, 90, 25, 38, 50, 50, 50, 50, 50, 50, 50, 38};

}  // namespace

std::span<const int> FileColumnDefaults(MediaFormat format) {
  switch (format) {
    case MediaFormat::MP3: return kFileMp3;
    case MediaFormat::AVI:
    case MediaFormat::WMA:
    case MediaFormat::MP4: return kFileVideo;
    default: return kFileAudio;
  }
}

std::span<const int> TagColumnDefaults(TagKind kind) {
  switch (kind) {
    case TagKind::MP3ID3v1: return kTagId3v1;
    case TagKind::MP3ID3v2: return kTagId3v2;
    case TagKind::MP3RIFF:
    case TagKind::WAV: return kTagRiff;
    case TagKind::MP3APE:
    case TagKind::OGG:
    case TagKind::APE: return kTagApe;
    case TagKind::AVI: return kTagAvi;
    case TagKind::VQF: return kTagVqf;
    case TagKind::WMA: return kTagWma;
    case TagKind::MP4: return kTagMp4;
  }
  return {};
}

}  // namespace hozanki::settings
