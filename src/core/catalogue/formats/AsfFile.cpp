#include "core/catalogue/formats/AsfFile.h"

#include <taglib/asffile.h>

#include <array>

#include "core/catalogue/formats/AsfVideo.h"
#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FormatTexts.h"

namespace hozanki {
namespace {

struct AttributeName {
  std::string_view value;
  const char* attribute;
};
constexpr std::array kAttributes = {
    AttributeName{"IPRD", "WM/AlbumTitle"},   AttributeName{"TRACK", "WM/TrackNumber"},
    AttributeName{"ICRD", "WM/Year"},         AttributeName{"IGNR", "WM/Genre"},
    AttributeName{"URL1", "WM/PromotionURL"}, AttributeName{"URL2", "WM/AuthorURL"}};

std::string AttributeText(const TagLib::ASF::Attribute& a) {
  switch (a.type()) {
    case TagLib::ASF::Attribute::UnicodeType:
      return a.toString().to8Bit(true);
    case TagLib::ASF::Attribute::DWordType:
      return std::to_string(a.toUInt());
    case TagLib::ASF::Attribute::QWordType:
      return std::to_string(a.toULongLong());
    case TagLib::ASF::Attribute::WordType:
      return std::to_string(a.toUShort());
    case TagLib::ASF::Attribute::BoolType:
      return a.toBool() ? "1" : "0";
    default:
      return {};
  }
}

std::string Attributes(const TagLib::ASF::Tag& tag, const char* name) {
  std::vector<std::string> texts;
  for (const auto& a : tag.attribute(name)) texts.push_back(AttributeText(a));
  return JoinValues(texts);
}

std::string CodecName(TagLib::ASF::Properties::Codec codec) {
  switch (codec) {
    case TagLib::ASF::Properties::WMA1:
      return "WMA1";
    case TagLib::ASF::Properties::WMA2:
      return "WMA2";
    case TagLib::ASF::Properties::WMA9Pro:
      return "WMA9 Pro";
    case TagLib::ASF::Properties::WMA9Lossless:
      return "WMA9 Lossless";
    default:
      return "Unknown";
  }
}

}  // namespace

bool AsfFile::Read(const std::filesystem::path& path, ValueMap& values, std::string* error) {
  if (ReadFileBytes(path, 0, 16) != kAsfHeaderGuid) {
    if (error) *error = "not an ASF file (no header object)";
    return false;
  }
  TagLib::ASF::File file(path.c_str(), true, TagLib::AudioProperties::Average);
  if (!file.isValid() || !file.tag()) {
    if (error) *error = "broken ASF file";
    return false;
  }
  const auto& tag = *file.tag();
  values["IART"] = tag.artist().to8Bit(true);
  values["INAM"] = tag.title().to8Bit(true);
  values["ICMT"] = tag.comment().to8Bit(true);
  values["ICOP"] = tag.copyright().to8Bit(true);
  // Some writers (ffmpeg) put the comment in a "Description" attribute.
  if (values["ICMT"].empty()) values["ICMT"] = Attributes(tag, "Description");
  for (const auto& a : kAttributes) values[std::string(a.value)] = Attributes(tag, a.attribute);
  if (values["TRACK"].empty() && tag.contains("WM/Track")) {
    auto legacy = tag.attribute("WM/Track");
    unsigned zeroBased = legacy.front().type() == TagLib::ASF::Attribute::UnicodeType
                             ? static_cast<unsigned>(legacy.front().toString().toInt())
                             : legacy.front().toUInt();
    values["TRACK"] = std::to_string(zeroBased + 1);
  }
  const auto* props = file.audioProperties();
  if (props) {
    values["TIME"] = TimeText(props->lengthInMilliseconds() / 1000);
    if (props->sampleRate() > 0)
      values["AFMT"] = AudioFormatText(CodecName(props->codec()), props->bitrate(), props->sampleRate(),
                                       props->bitsPerSample(), props->channels());
  }
  AsfVideoInfo video;
  if (ReadAsfVideo(path, video) && video.hasVideo)
    values["VFMT"] = VideoFormatText(video.codec, video.width, video.height, video.fps);
  return true;
}

bool AsfFile::IsWritable(std::string_view name) const {
  if (name == "IART" || name == "INAM" || name == "ICMT" || name == "ICOP") return true;
  for (const auto& a : kAttributes)
    if (a.value == name) return true;
  return false;
}

bool AsfFile::Write(const std::filesystem::path&, const ValueMap& changes, const ValueMap&,
                    std::string* error) {
  TagLib::ASF::File file(CopyStream(), false);
  if (!file.isValid() || !file.tag()) {
    if (error) *error = "broken ASF file";
    return false;
  }
  auto& tag = *file.tag();
  for (const auto& [name, value] : changes) {
    TagLib::String text(value, TagLib::String::UTF8);
    // Content description fields; some writers repeat them as attributes
    // ("title", "Description"), which other programs would then show instead.
    auto dropCopies = [&tag](const char* upper, const char* lower) {
      tag.removeItem(upper);
      tag.removeItem(lower);
    };
    if (name == "IART")
      tag.setArtist(text), dropCopies("Author", "author");
    else if (name == "INAM")
      tag.setTitle(text), dropCopies("Title", "title");
    else if (name == "ICMT")
      tag.setComment(text), dropCopies("Description", "description");
    else if (name == "ICOP")
      tag.setCopyright(text), dropCopies("Copyright", "copyright");
    for (const auto& a : kAttributes) {
      if (a.value != name) continue;
      tag.removeItem(a.attribute);
      // The legacy zero-based number would contradict the new one.
      if (name == "TRACK") tag.removeItem("WM/Track");
      if (!value.empty()) tag.setAttribute(a.attribute, TagLib::ASF::Attribute(text));
    }
  }
  if (!file.save()) {
    if (error) *error = "TagLib could not write the ASF file";
    return false;
  }
  return true;
}

}  // namespace hozanki
