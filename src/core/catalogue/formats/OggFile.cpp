#include "core/catalogue/formats/OggFile.h"

#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/speexfile.h>
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

enum class OggCodec { None, Vorbis, Opus, Speex, Flac };

// The codec of the first logical stream: its first page's packet starts at
// byte 27 + number of segments.
OggCodec CodecOf(std::string_view head) {
  if (head.size() < 28 || head.compare(0, 4, "OggS") != 0) return OggCodec::None;
  size_t packet = 27 + static_cast<unsigned char>(head[26]);
  if (packet + 8 > head.size()) return OggCodec::None;
  if (head.compare(packet, 7, "\x01vorbis") == 0) return OggCodec::Vorbis;
  if (head.compare(packet, 8, "OpusHead") == 0) return OggCodec::Opus;
  if (head.compare(packet, 8, "Speex   ") == 0) return OggCodec::Speex;
  if (head.compare(packet, 5, "\177FLAC") == 0) return OggCodec::Flac;
  return OggCodec::None;
}

const char* CodecName(OggCodec codec) {
  switch (codec) {
    case OggCodec::Opus: return "Opus";
    case OggCodec::Speex: return "Speex";
    case OggCodec::Flac: return "FLAC";
    case OggCodec::Vorbis:
    case OggCodec::None: break;
  }
  return "Vorbis";
}

template <typename Source>
std::unique_ptr<TagLib::Ogg::File> OpenOgg(OggCodec codec, Source source, bool properties) {
  switch (codec) {
    case OggCodec::Opus: return std::make_unique<TagLib::Ogg::Opus::File>(source, properties);
    case OggCodec::Speex: return std::make_unique<TagLib::Ogg::Speex::File>(source, properties);
    case OggCodec::Flac: return std::make_unique<TagLib::Ogg::FLAC::File>(source, properties);
    case OggCodec::Vorbis:
    case OggCodec::None: break;
  }
  return std::make_unique<TagLib::Ogg::Vorbis::File>(source, properties);
}

// TagLib's FLAC-in-Ogg save writes the comment block's header byte as a
// bare 4, dropping the last-block flag that ends the metadata: decoders
// would then take the first audio frame for another block. The comment
// packet is rendered here with its header byte as it was, and written by
// the plain Ogg packet writer.
bool SaveOggFlac(TagLib::Ogg::FLAC::File& file, std::string* error) {
  TagLib::ByteVector first = file.packet(0);
  // 0x7F "FLAC", version (2 bytes), number of header packets that follow (16 bits).
  if (first.size() < 9) {
    if (error) *error = "damaged Ogg FLAC stream header";
    return false;
  }
  unsigned headers = static_cast<unsigned char>(first[7]) << 8 | static_cast<unsigned char>(first[8]);
  for (unsigned i = 1; i <= headers; ++i) {
    TagLib::ByteVector block = file.packet(i);
    if (block.isEmpty() || (static_cast<unsigned char>(block[0]) & 0x7F) != 4) continue;
    TagLib::ByteVector data = file.tag()->render(false);
    if (data.size() >= (1u << 24)) {
      if (error) *error = "the comments do not fit a FLAC metadata block";
      return false;
    }
    TagLib::ByteVector packet = TagLib::ByteVector::fromUInt(data.size());
    packet[0] = block[0];
    packet.append(data);
    file.setPacket(i, packet);
    return file.TagLib::Ogg::File::save();
  }
  if (error) *error = "the Ogg FLAC stream has no comment block to write into";
  return false;
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
    if (error) *error = "not an Ogg Vorbis, Opus, Speex or FLAC file";
    return false;
  }
  auto file = OpenOgg(codec, path.c_str(), true);
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
    int bits = 0;
    if (codec == OggCodec::Flac) bits = static_cast<const TagLib::FLAC::Properties*>(props)->bitsPerSample();
    values["AFMT"] = AudioFormatText(CodecName(codec), props->bitrate(), props->sampleRate(), bits,
                                     props->channels());
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
  OggCodec codec = CodecOf(ReadFileBytes(copy, 0, 300));
  auto file = OpenOgg(codec, CopyStream(), false);
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
  if (codec == OggCodec::Flac) return SaveOggFlac(static_cast<TagLib::Ogg::FLAC::File&>(*file), error);
  if (!file->save()) {
    if (error) *error = "TagLib could not write the Ogg file";
    return false;
  }
  return true;
}

}  // namespace hozanki
