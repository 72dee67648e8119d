#include "core/catalogue/formats/ApeFile.h"

#include <taglib/apefile.h>
#include <taglib/apetag.h>

#include <array>
#include <cstdio>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FormatTexts.h"

namespace hozanki {
namespace {

struct FieldName {
  std::string_view value;
  const char* key;
};
constexpr std::array kFields = {FieldName{"IART", "Artist"}, FieldName{"INAM", "Title"},
                                FieldName{"IPRD", "Album"},  FieldName{"TRACK", "Track"},
                                FieldName{"ICRD", "Year"},   FieldName{"IGNR", "Genre"},
                                FieldName{"ICMT", "Comment"}};

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
  if (const auto* tag = file.APETag()) {
    const auto& items = tag->itemListMap();
    for (const auto& f : kFields) {
      auto it = items.find(TagLib::String(f.key).upper());
      if (it == items.end() || it->second.type() != TagLib::APE::Item::Text) continue;
      std::vector<std::string> texts;
      for (const auto& s : it->second.values()) texts.push_back(s.to8Bit(true));
      values[std::string(f.value)] = JoinValues(texts);
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

bool ApeFile::Write(const std::filesystem::path&, const ValueMap& changes, const ValueMap&,
                    std::string* error) {
  TagLib::APE::File file(CopyStream(), false);
  if (!file.isValid()) {
    if (error) *error = "broken Monkey's Audio file";
    return false;
  }
  auto* tag = file.APETag(true);
  for (const auto& f : kFields) {
    auto it = changes.find(f.value);
    if (it == changes.end()) continue;
    tag->removeItem(f.key);
    if (!it->second.empty()) tag->addValue(f.key, TagLib::String(it->second, TagLib::String::UTF8), true);
  }
  if (!file.save()) {
    if (error) *error = "TagLib could not write the Monkey's Audio file";
    return false;
  }
  return true;
}

}  // namespace hozanki
