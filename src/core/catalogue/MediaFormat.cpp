#include "core/catalogue/MediaFormat.h"

namespace hozanki {
namespace {

using namespace std::string_view_literals;

constexpr std::array kFormatNames = {"MP3"sv, "WAV"sv, "AVI"sv, "VQF"sv, "WMA"sv, "OGG"sv, "APE"sv, "MP4"sv};
constexpr std::array kTagKindKeys = {"MP1"sv, "MP2"sv, "MPR"sv, "MPA"sv, "WAV"sv, "AVI"sv,
                                     "VQF"sv, "WMA"sv, "OGG"sv, "APE"sv, "MP4"sv};
constexpr std::array kTagKindNames = {"ID3v1"sv, "ID3v2"sv, "RIFF"sv, "APE"sv, "WAV"sv, "AVI"sv,
                                      "VQF"sv, "WMA"sv, "OGG"sv, "APE"sv, "MP4"sv};

constexpr std::array kMp3Kinds = {TagKind::MP3ID3v1, TagKind::MP3ID3v2, TagKind::MP3RIFF, TagKind::MP3APE};
constexpr std::array kOtherKinds = {TagKind::WAV, TagKind::AVI, TagKind::VQF, TagKind::WMA,
                                    TagKind::OGG, TagKind::APE, TagKind::MP4};

constexpr std::array kId3v1 = {"IART_v1"sv, "INAM_v1"sv, "IPRD_v1"sv, "TRACK_v1"sv,
                               "ICRD_v1"sv, "IGNR_v1"sv, "ICMT_v1"sv};
constexpr std::array kId3v2 = {"IART_v2"sv, "INAM_v2"sv, "IPRD_v2"sv, "TRACK_v2"sv, "ICRD_v2"sv,
                               "IGNR_v2"sv, "ICMT_v2"sv, "COMP_v2"sv, "ICOP_v2"sv, "URL_v2"sv,
                               "OART_v2"sv, "ENC2_v2"sv, "ISFT_v2"sv};
constexpr std::array kRiff = {"IART_rmp"sv, "INAM_rmp"sv, "IPRD_rmp"sv, "ICRD_rmp"sv, "IGNR_rmp"sv,
                              "ICMT_rmp"sv, "ICOP_rmp"sv, "IENG_rmp"sv, "ISRC_rmp"sv, "ISFT_rmp"sv};
constexpr std::array kApe = {"IART_APE"sv, "INAM_APE"sv, "IPRD_APE"sv, "TRACK_APE"sv,
                             "ICRD_APE"sv, "IGNR_APE"sv, "ICMT_APE"sv};
constexpr std::array kWav = {"IART"sv, "INAM"sv, "IPRD"sv, "ICRD"sv, "IGNR"sv,
                             "ICMT"sv, "ICOP"sv, "IENG"sv, "ISRC"sv, "ISFT"sv};
constexpr std::array kAvi = {"IART"sv, "INAM"sv, "ICRD"sv, "IGNR"sv, "ICMT"sv,
                             "ICOP"sv, "IENG"sv, "ISRC"sv, "ISFT"sv};
constexpr std::array kVqf = {"IART"sv, "INAM"sv, "FILE"sv, "ICOP"sv, "ICMT"sv};
constexpr std::array kWma = {"IART"sv, "INAM"sv, "IPRD"sv, "TRACK"sv, "ICRD"sv,
                             "IGNR"sv, "ICMT"sv, "ICOP"sv, "URL1"sv, "URL2"sv};
constexpr std::array kOgg = {"IART"sv, "INAM"sv, "IPRD"sv, "TRACK"sv, "ICRD"sv, "IGNR"sv, "ICMT"sv};
constexpr std::array kMp4 = {"IART"sv, "INAM"sv, "IPRD"sv, "TRACK"sv, "ICRD"sv, "IGNR"sv, "ICMT"sv,
                             "IGRP"sv, "COMPOSER"sv, "DISC"sv, "BPM"sv, "TOOL"sv, "COMPILATION"sv};

}  // namespace

std::string_view FormatName(MediaFormat format) { return kFormatNames[static_cast<size_t>(format)]; }
std::string_view TagKindKey(TagKind kind) { return kTagKindKeys[static_cast<size_t>(kind)]; }
std::string_view TagKindName(TagKind kind) { return kTagKindNames[static_cast<size_t>(kind)]; }

MediaFormat FormatOfType(FileType type) {
  switch (type) {
    case FileType::WAV: return MediaFormat::WAV;
    case FileType::AVI: return MediaFormat::AVI;
    case FileType::VQF: return MediaFormat::VQF;
    case FileType::WMA: return MediaFormat::WMA;
    case FileType::OGG: return MediaFormat::OGG;
    case FileType::APE: return MediaFormat::APE;
    case FileType::MP4: return MediaFormat::MP4;
    default: return MediaFormat::MP3;
  }
}

FileType TypeOfFormat(MediaFormat format) {
  constexpr std::array types = {FileType::MP3, FileType::WAV, FileType::AVI, FileType::VQF,
                                FileType::WMA, FileType::OGG, FileType::APE, FileType::MP4};
  return types[static_cast<size_t>(format)];
}

MediaFormat FormatOfTagKind(TagKind kind) {
  int k = static_cast<int>(kind);
  return k < 4 ? MediaFormat::MP3 : static_cast<MediaFormat>(k - 3);
}

std::span<const TagKind> TagKindsOf(MediaFormat format) {
  if (format == MediaFormat::MP3) return kMp3Kinds;
  return std::span<const TagKind>(&kOtherKinds[static_cast<size_t>(format) - 1], 1);
}

std::span<const std::string_view> ValueNamesOf(TagKind kind) {
  switch (kind) {
    case TagKind::MP3ID3v1: return kId3v1;
    case TagKind::MP3ID3v2: return kId3v2;
    case TagKind::MP3RIFF: return kRiff;
    case TagKind::MP3APE: return kApe;
    case TagKind::WAV: return kWav;
    case TagKind::AVI: return kAvi;
    case TagKind::VQF: return kVqf;
    case TagKind::WMA: return kWma;
    case TagKind::OGG:
    case TagKind::APE: return kOgg;
    case TagKind::MP4: return kMp4;
  }
  return {};
}

int FileCellCount(MediaFormat format) {
  switch (format) {
    case MediaFormat::MP3: return 9;
    case MediaFormat::AVI:
    case MediaFormat::WMA:
    case MediaFormat::MP4: return 6;
    default: return 5;
  }
}

}  // namespace hozanki
