#include "core/catalogue/formats/OggFile.h"

#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>

#include <array>
#include <memory>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/catalogue/formats/FormatTexts.h"

namespace hozanki {
namespace {

struct FieldName {
  std::string_view value;
  const char* field;
};
constexpr std::array kFields = {FieldName{"IART", "ARTIST"}, FieldName{"INAM", "TITLE"},
                                FieldName{"IPRD", "ALBUM"},  FieldName{"TRACK", "TRACKNUMBER"},
                                FieldName{"ICRD", "DATE"},   FieldName{"IGNR", "GENRE"},
                                FieldName{"ICMT", "COMMENT"}, FieldName{"AART", "ALBUMARTIST"},
                                FieldName{"DISC1", "DISCNUMBER"}, FieldName{"DISC2", "DISCTOTAL"},
                                FieldName{"SOAR", "ARTISTSORT"}, FieldName{"SOAA", "ALBUMARTISTSORT"},
                                FieldName{"SOAL", "ALBUMSORT"}, FieldName{"SONM", "TITLESORT"},
                                FieldName{"LYRC", "LYRICS"}};

enum class OggCodec { None, Vorbis, Opus };

// The codec of the first logical stream: its first page's packet starts at
// byte 27 + number of segments.
OggCodec CodecOf(std::string_view head) {
  if (head.size() < 28 || head.compare(0, 4, "OggS") != 0) return OggCodec::None;
  size_t packet = 27 + static_cast<unsigned char>(head[26]);
  if (packet + 8 > head.size()) return OggCodec::None;
  if (head.compare(packet, 7, "\x01vorbis") == 0) return OggCodec::Vorbis;
  if (head.compare(packet, 8, "OpusHead") == 0) return OggCodec::Opus;
  return OggCodec::None;
}

std::unique_ptr<TagLib::Ogg::File> OpenOgg(OggCodec codec, const std::filesystem::path& path,
                                           bool properties) {
  if (codec == OggCodec::Opus) return std::make_unique<TagLib::Ogg::Opus::File>(path.c_str(), properties);
  return std::make_unique<TagLib::Ogg::Vorbis::File>(path.c_str(), properties);
}

std::unique_ptr<TagLib::Ogg::File> OpenOgg(OggCodec codec, TagLib::IOStream* stream) {
  if (codec == OggCodec::Opus) return std::make_unique<TagLib::Ogg::Opus::File>(stream, false);
  return std::make_unique<TagLib::Ogg::Vorbis::File>(stream, false);
}

TagLib::Ogg::XiphComment* CommentOf(TagLib::Ogg::File& file) {
  return static_cast<TagLib::Ogg::XiphComment*>(file.tag());
}

std::string FieldText(const TagLib::Ogg::XiphComment& tag, const char* field) {
  const auto& map = tag.fieldListMap();
  auto it = map.find(field);
  if (it == map.end()) return {};
  std::vector<std::string> texts;
  for (const auto& s : it->second) texts.push_back(s.to8Bit(true));
  return JoinValues(texts);
}

}  // namespace

bool OggFile::Read(const std::filesystem::path& path, ValueMap& values, std::string* error) {
  OggCodec codec = CodecOf(ReadFileBytes(path, 0, 300));
  if (codec == OggCodec::None) {
    if (error) *error = "not an Ogg Vorbis or Opus file";
    return false;
  }
  auto file = OpenOgg(codec, path, true);
  if (!file->isValid() || !file->tag()) {
    if (error) *error = "broken Ogg file";
    return false;
  }
  const auto& tag = *CommentOf(*file);
  for (const auto& f : kFields) values[std::string(f.value)] = FieldText(tag, f.field);
  if (values["ICMT"].empty() && !tag.contains("COMMENT")) values["ICMT"] = FieldText(tag, "DESCRIPTION");
  SplitVorbisDisc(values["DISC1"], values["DISC2"]);
  if (const auto* props = file->audioProperties()) {
    values["TIME"] = TimeText(props->lengthInMilliseconds() / 1000);
    values["AFMT"] = AudioFormatText(codec == OggCodec::Opus ? "Opus" : "Vorbis", props->bitrate(),
                                     props->sampleRate(), 0, props->channels());
  }
  return true;
}

bool OggFile::IsWritable(std::string_view name) const {
  for (const auto& f : kFields)
    if (f.value == name) return true;
  return false;
}

bool OggFile::Write(const std::filesystem::path& copy, const ValueMap& givenChanges, const ValueMap& current,
                    std::string* error) {
  const ValueMap changes = WithWholeDisc(givenChanges, current);
  auto file = OpenOgg(CodecOf(ReadFileBytes(copy, 0, 300)), CopyStream());
  if (!file->isValid() || !file->tag()) {
    if (error) *error = "broken Ogg file";
    return false;
  }
  auto& tag = *CommentOf(*file);
  for (const auto& f : kFields) {
    auto it = changes.find(f.value);
    if (it == changes.end()) continue;
    // The comment shown came from DESCRIPTION when COMMENT was absent: the
    // new text replaces it rather than hiding behind a new COMMENT.
    if (f.value == "ICMT" && !tag.contains("COMMENT")) tag.removeFields("DESCRIPTION");
    tag.removeFields(f.field);
    if (!it->second.empty()) tag.addField(f.field, TagLib::String(it->second, TagLib::String::UTF8), true);
  }
  if (!file->save()) {
    if (error) *error = "TagLib could not write the Ogg file";
    return false;
  }
  return true;
}

}  // namespace hozanki
