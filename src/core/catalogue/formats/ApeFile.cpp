#include "core/catalogue/formats/ApeFile.h"

#include <taglib/apefile.h>
#include <taglib/mpcfile.h>
#include <taglib/wavpackfile.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <optional>
#include <type_traits>

#include "core/catalogue/formats/ApeTagData.h"
#include "core/catalogue/formats/ByteOrder.h"
#include "core/common/AtomicFile.h"
#include "core/catalogue/formats/FormatTexts.h"
#include "core/catalogue/formats/Id3v1Tag.h"
#include "core/catalogue/formats/TakStream.h"

namespace hozanki {
namespace {

struct FieldName {
  std::string_view value;
  const char* key;
};
constexpr std::array kFields = {FieldName{"IART", "Artist"}, FieldName{"INAM", "Title"},
                                FieldName{"IPRD", "Album"},  FieldName{"TRACK", "Track"},
                                FieldName{"ICRD", "Year"},   FieldName{"IGNR", "Genre"},
                                FieldName{"ICMT", "Comment"},
                                FieldName{"AART", kApeExtraKeys[0].key.data()},
                                FieldName{"DISC", kApeExtraKeys[1].key.data()},
                                FieldName{"SOAR", kApeExtraKeys[2].key.data()},
                                FieldName{"SOAA", kApeExtraKeys[3].key.data()},
                                FieldName{"SOAL", kApeExtraKeys[4].key.data()},
                                FieldName{"SONM", kApeExtraKeys[5].key.data()},
                                FieldName{"LYRC", kApeExtraKeys[6].key.data()}};

// Where the APE tag sits at the end of a file: before an ID3v1 tag, if any.
struct TagPlace {
  uint64_t tagStart = 0;  // of the APE tag, or where a new one goes
  uint64_t tagEnd = 0;    // the ID3v1 tag or the end of the file follows
  std::optional<ApeTagData> tag;
};

TagPlace FindApeTag(const std::filesystem::path& path) {
  TagPlace place;
  std::error_code ec;
  uint64_t size = std::filesystem::file_size(path, ec);
  if (ec) return place;
  uint64_t end = size;
  if (size >= kId3v1Size && ReadFileBytes(path, size - kId3v1Size, 3) == "TAG") end -= kId3v1Size;
  place.tagStart = place.tagEnd = end;
  if (end < kApeFooterSize) return place;
  uint64_t total = ApeTagData::TagSizeAtEnd(ReadFileBytes(path, end - kApeFooterSize, kApeFooterSize));
  if (total == 0 || total > end) return place;
  place.tag = ApeTagData::Parse(ReadFileBytes(path, end - total, static_cast<size_t>(total)));
  if (place.tag) place.tagStart = end - total;
  return place;
}

using Values = std::map<std::string, std::string, std::less<>>;

enum class ApeCodec { None, Monkey, WavPack, Tak, Musepack };

// The stream's magic, after an ID3v2 tag some files start with (`start`).
ApeCodec CodecOf(const std::filesystem::path& path, uint64_t& start) {
  std::string head = ReadFileBytes(path, 0, 10);
  start = 0;
  if (head.size() == 10 && head.compare(0, 3, "ID3") == 0) {
    for (size_t i = 6; i < 10; ++i) start = start << 7 | (static_cast<unsigned char>(head[i]) & 0x7F);
    start += 10 + ((head[5] & 0x10) ? 10 : 0);
    head = ReadFileBytes(path, start, 4);
  }
  if (head.compare(0, 4, "MAC ") == 0) return ApeCodec::Monkey;
  if (head.compare(0, 4, "wvpk") == 0) return ApeCodec::WavPack;
  if (head.compare(0, 4, "tBaK") == 0) return ApeCodec::Tak;
  if (head.compare(0, 4, "MPCK") == 0 || head.compare(0, 3, "MP+") == 0) return ApeCodec::Musepack;
  return ApeCodec::None;
}

// "TIME" and "AFMT" of a stream TagLib reads.
template <typename File>
bool ReadProperties(const std::filesystem::path& path, const char* what, Values& values,
                    std::string* error) {
  File file(path.c_str(), true);
  const auto* props = file.isValid() ? file.audioProperties() : nullptr;
  if (!props || props->sampleRate() <= 0) {
    if (error) *error = std::string("broken ") + what + " file (no usable header)";
    return false;
  }
  std::string codec = what;
  int bits = 0;
  if constexpr (std::is_same_v<File, TagLib::APE::File>) {
    char name[32];
    std::snprintf(name, sizeof name, "APE %d.%02d", props->version() / 1000, props->version() % 1000 / 10);
    codec = name, bits = props->bitsPerSample();
  } else if constexpr (std::is_same_v<File, TagLib::WavPack::File>) {
    bits = props->bitsPerSample();
  } else {
    codec += " SV" + std::to_string(props->mpcVersion());
  }
  values["TIME"] = TimeText(props->lengthInMilliseconds() / 1000);
  values["AFMT"] = AudioFormatText(codec, props->bitrate(), props->sampleRate(), bits, props->channels());
  return true;
}

// TAK has no TagLib reader: its stream header is ours.
bool ReadTakProperties(const std::filesystem::path& path, uint64_t start, uint64_t audioEnd, Values& values,
                       std::string* error) {
  std::optional<TakStreamInfo> info = ParseTakHeader(ReadFileBytes(path, start, 64 * 1024));
  if (!info) {
    if (error) *error = "broken TAK file (no usable stream header)";
    return false;
  }
  uint64_t ms = info->samples * 1000 / static_cast<uint64_t>(info->sampleRate);
  uint64_t audio = audioEnd > start + info->headerSize ? audioEnd - start - info->headerSize : 0;
  int kbps = ms > 0 ? static_cast<int>(std::min<uint64_t>(audio * 8 / ms, 1u << 20)) : 0;
  values["TIME"] = TimeText(static_cast<int64_t>(ms / 1000));
  values["AFMT"] = AudioFormatText("TAK", kbps, info->sampleRate, info->bits, info->channels);
  return true;
}

}  // namespace

bool ApeFile::Read(const std::filesystem::path& path, ValueMap& values, std::string* error) {
  uint64_t start = 0;
  ApeCodec codec = CodecOf(path, start);
  TagPlace place = FindApeTag(path);
  bool read = false;
  switch (codec) {
    case ApeCodec::Monkey:
      if (start != 0) {
        if (error) *error = "not a Monkey's Audio file (no \"MAC \" header)";
        return false;
      }
      read = ReadProperties<TagLib::APE::File>(path, "Monkey's Audio", values, error);
      break;
    case ApeCodec::WavPack:
      read = ReadProperties<TagLib::WavPack::File>(path, "WavPack", values, error);
      break;
    case ApeCodec::Musepack:
      read = ReadProperties<TagLib::MPC::File>(path, "Musepack", values, error);
      break;
    case ApeCodec::Tak:
      read = ReadTakProperties(path, start, place.tagStart, values, error);
      break;
    case ApeCodec::None:
      if (error) *error = "not a Monkey's Audio, WavPack, TAK or Musepack file";
      return false;
  }
  if (!read) return false;
  // The items are our own reading: TagLib reads only UTF-8 and would lose
  // version 1 texts in code page 932.
  if (place.tag) {
    for (const auto& f : kFields) {
      std::vector<std::string> texts = place.tag->Texts(f.key);
      if (!texts.empty()) values[std::string(f.value)] = JoinValues(texts);
    }
  }
  return true;
}

bool ApeFile::IsWritable(std::string_view name) const {
  for (const auto& f : kFields)
    if (f.value == name) return true;
  return false;
}

bool ApeFile::Write(const std::filesystem::path& copy, const ValueMap& changes, const ValueMap&,
                    std::string* error) {
  // Only the changed items are rendered anew; every other item keeps its
  // bytes and flags. The tag is written as version 2, before an ID3v1 tag.
  TagPlace place = FindApeTag(copy);
  ApeTagData tag = place.tag.value_or(ApeTagData());
  bool changed = false;
  for (const auto& f : kFields) {
    auto it = changes.find(f.value);
    if (it == changes.end() || JoinValues(tag.Texts(f.key)) == it->second) continue;
    tag.Set(f.key, it->second);
    changed = true;
  }
  if (!changed) return true;
  std::string id3v1 = ReadFileBytes(copy, place.tagEnd, kId3v1Size);
  std::string bytes = tag.items.empty() ? std::string() : tag.Render();
  (void)error;
  FileReplacement& out = CopyFile();
  return out.Truncate(place.tagStart) && out.Append(bytes) && out.Append(id3v1);
}

}  // namespace hozanki
