#include "core/catalogue/formats/ApeFile.h"

#include <taglib/apefile.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <optional>

#include "core/catalogue/formats/ApeTagData.h"
#include "core/catalogue/formats/ByteOrder.h"
#include "core/common/AtomicFile.h"
#include "core/catalogue/formats/FormatTexts.h"
#include "core/catalogue/formats/Id3v1Tag.h"

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

}  // namespace

bool ApeFile::Read(const std::filesystem::path& path, ValueMap& values, std::string* error) {
  if (ReadFileBytes(path, 0, 4) != "MAC ") {
    if (error) *error = "not a Monkey's Audio file (no \"MAC \" header)";
    return false;
  }
  TagLib::APE::File file(path.c_str(), true);
  if (!file.isValid()) {
    if (error) *error = "broken Monkey's Audio file";
    return false;
  }
  const auto* props = file.audioProperties();
  if (!props || props->sampleRate() <= 0) {
    if (error) *error = "broken Monkey's Audio file (no usable header)";
    return false;
  }
  // The items are our own reading: TagLib reads only UTF-8 and would lose
  // version 1 texts in code page 932.
  if (std::optional<ApeTagData> tag = FindApeTag(path).tag) {
    for (const auto& f : kFields) {
      std::vector<std::string> texts = tag->Texts(f.key);
      if (!texts.empty()) values[std::string(f.value)] = JoinValues(texts);
    }
  }
  char codec[32];
  std::snprintf(codec, sizeof codec, "APE %d.%02d", props->version() / 1000, props->version() % 1000 / 10);
  values["TIME"] = TimeText(props->lengthInMilliseconds() / 1000);
  values["AFMT"] = AudioFormatText(codec, props->bitrate(), props->sampleRate(), props->bitsPerSample(),
                                   props->channels());
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
